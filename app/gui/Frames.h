// Framed panels and group boxes drawn pixel for pixel: 3-D bevels of a given
// width and captions in their own font and colour.
#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QRect>
#include <QString>
#include <QWidget>

class QPainter;

namespace tadmor::gui {

enum class Bevel { None, Raised, Lowered };

// Draws `width` nested 1-pixel rectangles just inside `rect`: the top and left
// edges in `topLeft`, the bottom and right edges (with the two corners they
// share with the others) in `bottomRight`. Returns the rectangle left inside.
QRect DrawBevel(QPainter& painter, QRect rect, const QColor& topLeft, const QColor& bottomRight, int width);

// A panel framed by an outer and an inner bevel, with an optional caption.
class BevelPanel : public QWidget {
public:
    BevelPanel(QWidget* parent, Bevel outer, Bevel inner, int bevelWidth);

    void SetCaption(const QString& caption, Qt::Alignment alignment, const QFont& font, const QColor& colour);
    QString Caption() const { return caption_; }
    QColor CaptionColour() const { return captionColour_; }

    // The area inside both bevels.
    QRect InnerRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel outer_;
    Bevel inner_;
    int bevelWidth_;
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignCenter;
    QFont captionFont_;
    QColor captionColour_;
};

// A group box with an etched frame and a caption in its own font and colour.
class CaptionGroupBox : public QGroupBox {
public:
    CaptionGroupBox(QWidget* parent, const QString& caption, const QFont& font, const QColor& colour);
    QColor CaptionColour() const { return captionColour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont captionFont_;
    QColor captionColour_;
};

}  // namespace tadmor::gui
