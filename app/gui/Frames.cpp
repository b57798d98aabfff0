#include "app/gui/Frames.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <utility>

namespace tadmor::gui {

QRect DrawBevel(QPainter& painter, QRect rect, const QColor& topLeft, const QColor& bottomRight, int width) {
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        const int left = rect.left();
        const int top = rect.top();
        const int right = rect.right();
        const int bottom = rect.bottom();
        painter.fillRect(left, top, 1, bottom - top, topLeft);             // left edge
        painter.fillRect(left, top, right - left, 1, topLeft);             // top edge
        painter.fillRect(right, top, 1, bottom - top + 1, bottomRight);    // right edge
        painter.fillRect(left, bottom, right - left + 1, 1, bottomRight);  // bottom edge
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

namespace {

// The highlight and shadow colours of a bevel of kind `bevel`.
std::pair<QColor, QColor> BevelColours(const QPalette& palette, Bevel bevel) {
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    if (bevel == Bevel::Raised) {
        return {light, dark};
    }
    return {dark, light};
}

int BevelCount(Bevel outer, Bevel inner) { return (outer != Bevel::None ? 1 : 0) + (inner != Bevel::None ? 1 : 0); }

}  // namespace

BevelPanel::BevelPanel(QWidget* parent, Bevel outer, Bevel inner, int bevelWidth)
    : QWidget(parent), outer_(outer), inner_(inner), bevelWidth_(bevelWidth) {}

void BevelPanel::SetCaption(const QString& caption, Qt::Alignment alignment, const QFont& font, const QColor& colour) {
    caption_ = caption;
    alignment_ = alignment;
    captionFont_ = font;
    captionColour_ = colour;
    update();
}

QRect BevelPanel::InnerRect() const {
    const int inset = BevelCount(outer_, inner_) * bevelWidth_;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Window));
    for (const Bevel bevel : {outer_, inner_}) {
        if (bevel != Bevel::None) {
            const auto [topLeft, bottomRight] = BevelColours(palette(), bevel);
            area = DrawBevel(painter, area, topLeft, bottomRight, bevelWidth_);
        }
    }
    if (!caption_.isEmpty()) {
        painter.setFont(captionFont_);
        painter.setPen(captionColour_);
        painter.drawText(area, int(alignment_ | Qt::TextSingleLine), caption_);
    }
}

CaptionGroupBox::CaptionGroupBox(QWidget* parent, const QString& caption, const QFont& font, const QColor& colour)
    : QGroupBox(caption, parent), captionFont_(font), captionColour_(colour) {}

void CaptionGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(captionFont_);
    const int textHeight = metrics.height();
    const int frameTop = textHeight / 2 - 1;

    // Etched frame: a highlight rectangle one pixel down and right of the
    // shadow rectangle.
    const QRect shadow(0, frameTop, width() - 1, height() - 1 - frameTop);
    const QRect highlight = shadow.translated(1, 1);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    for (const auto& [frame, colour] : {std::pair{highlight, light}, std::pair{shadow, dark}}) {
        painter.fillRect(frame.left(), frame.top(), frame.width(), 1, colour);
        painter.fillRect(frame.left(), frame.bottom(), frame.width(), 1, colour);
        painter.fillRect(frame.left(), frame.top(), 1, frame.height(), colour);
        painter.fillRect(frame.right(), frame.top(), 1, frame.height(), colour);
    }

    // The caption interrupts the frame's top edge, blanks included.
    const QRect textRect(8, 0, metrics.horizontalAdvance(title()), textHeight);
    painter.fillRect(textRect, palette().color(QPalette::Window));
    painter.setFont(captionFont_);
    painter.setPen(captionColour_);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title());
}

}  // namespace tadmor::gui
