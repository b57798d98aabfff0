#include "cli/ChartRenderer.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <memory>

#include "cli/RunCommand.h"
#include "model/NumberText.h"
#include "report/AtomicFile.h"

namespace tadmor::cli {

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 900;
constexpr double kLeft = 110, kRight = 30, kTop = 132, kBottom = 100, kPanelGap = 48;
constexpr double kTickLength = 6;

const QColor kPalette[] = {
    QColor(31, 78, 156), QColor(224, 123, 0), QColor(192, 57, 43),   QColor(125, 60, 152), QColor(30, 132, 73),
    QColor(140, 86, 75), QColor(227, 119, 194), QColor(90, 90, 90), QColor(160, 160, 30), QColor(23, 160, 180),
};
const QColor kBandColors[] = {QColor(236, 242, 250), QColor(250, 243, 232), QColor(236, 246, 236)};
const QColor kGridColor(222, 222, 222);
const QColor kMarkColor(70, 70, 70);

// Text for the painter. Control characters, which an SVG file cannot hold,
// are shown as the replacement character, as are bytes that are not UTF-8.
QString QText(const std::string& text) {
    QString converted = QString::fromStdString(text);
    for (QChar& c : converted)
        if (c.unicode() < 0x20 || c.unicode() == 0xfffe || c.unicode() == 0xffff) c = QChar::ReplacementCharacter;
    return converted;
}

QFont Font(int pixels, bool bold = false) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The quantity at a decade tick: "0.01", "1", "1000", "1e5".
std::string DecadeText(double exponent) {
    const int decade = static_cast<int>(std::lround(exponent));
    if (decade < -3 || decade > 4) return "1e" + std::to_string(decade);
    return NumberText(std::pow(10.0, decade), std::max(0, -decade));
}

// One panel's rectangle on the page and its two axes.
struct Frame {
    QRectF rect;
    Axis x, y;
    bool logX = false, logY = false;
    // Positions stay within a page's width of the page: a zone edge far
    // outside the axis is still a line the painter can take. Curves never
    // reach so far, since the axes cover their data.
    double X(double value) const { return OnPage(rect.left() + (value - x.min) / (x.max - x.min) * rect.width()); }
    double Y(double value) const { return OnPage(rect.bottom() - (value - y.min) / (y.max - y.min) * rect.height()); }
    static double OnPage(double position) { return std::clamp(position, -double(kWidth), 2.0 * kWidth); }
    bool Shows(const Mark& mark) const { return mark.at >= x.min && mark.at <= x.max; }
};

class ChartPainter {
public:
    ChartPainter(QPainter& painter, const Chart& chart, const ChartAxes& axes)
        : p_(painter), chart_(chart), axes_(axes) {}

    void Paint() {
        p_.setRenderHint(QPainter::Antialiasing);
        p_.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
        PaintTitles();

        const std::size_t count = chart_.panels.size();
        const double height = (kHeight - kTop - kBottom - kPanelGap * (count - 1)) / count;
        int color = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Panel& panel = chart_.panels[i];
            const Frame frame{QRectF(kLeft, kTop + i * (height + kPanelGap), kWidth - kLeft - kRight, height),
                              axes_.x, axes_.y[i], chart_.logX, panel.logY};
            if (i == 0) PaintBandNamesAndMarkLabels(frame);
            PaintPanel(panel, frame, color, i + 1 == count);
        }
        if (!chart_.note.empty()) {
            p_.setFont(Font(14));
            p_.setPen(kMarkColor);
            p_.drawText(QRectF(kLeft, kHeight - 30, kWidth - kLeft - kRight, 24), Qt::AlignLeft | Qt::AlignVCenter,
                        QText(chart_.note));
        }
    }

private:
    void PaintTitles() {
        p_.setPen(Qt::black);
        p_.setFont(Font(24, true));
        p_.drawText(QRectF(0, 12, kWidth, 34), Qt::AlignCenter, QText(chart_.title));
        p_.setFont(Font(16));
        p_.setPen(kMarkColor);
        p_.drawText(QRectF(0, 48, kWidth, 24), Qt::AlignCenter, QText(chart_.subtitle));
    }

    // Above the first panel: the zone names, then the labels of the marks.
    void PaintBandNamesAndMarkLabels(const Frame& frame) {
        p_.setFont(Font(15, true));
        for (std::size_t b = 0; b < chart_.bands.size(); ++b) {
            const Band& band = chart_.bands[b];
            const double from = frame.X(std::max(band.from, frame.x.min)), to = frame.X(std::min(band.to, frame.x.max));
            if (to <= from) continue;
            p_.setPen(kBandColors[b % std::size(kBandColors)].darker(260));
            p_.drawText(QRectF(from, kTop - 54, to - from, 22), Qt::AlignCenter, QText(band.name));
        }
        p_.setFont(Font(13));
        p_.setPen(kMarkColor);
        const QFontMetricsF metrics(p_.font());
        for (const Mark& mark : chart_.marks) {
            if (!frame.Shows(mark)) continue;
            const double at = frame.X(mark.at);
            const double width = metrics.horizontalAdvance(QText(mark.label)) + 2;
            const bool leftOfLine = at + 4 + width > frame.rect.right();
            p_.drawText(QRectF(leftOfLine ? at - 4 - width : at + 4, kTop - 26, width, 20),
                        (leftOfLine ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, QText(mark.label));
        }
    }

    void PaintPanel(const Panel& panel, const Frame& frame, int& color, bool last) {
        const QRectF& r = frame.rect;
        p_.save();
        p_.setClipRect(r);
        for (std::size_t b = 0; b < chart_.bands.size(); ++b) {
            const Band& band = chart_.bands[b];
            p_.fillRect(QRectF(QPointF(frame.X(band.from), r.top()), QPointF(frame.X(band.to), r.bottom())),
                        kBandColors[b % std::size(kBandColors)]);
        }
        p_.setPen(QPen(kGridColor, 1));
        for (const double t : Ticks(frame.x)) p_.drawLine(QPointF(frame.X(t), r.top()), QPointF(frame.X(t), r.bottom()));
        for (const double t : Ticks(frame.y)) p_.drawLine(QPointF(r.left(), frame.Y(t)), QPointF(r.right(), frame.Y(t)));
        p_.setPen(QPen(QColor(150, 150, 150), 1.5));
        for (const Band& band : chart_.bands)
            for (const double edge : {band.from, band.to})
                p_.drawLine(QPointF(frame.X(edge), r.top()), QPointF(frame.X(edge), r.bottom()));
        p_.setPen(QPen(kMarkColor, 1.5, Qt::DashLine));
        for (const Mark& mark : chart_.marks)
            if (frame.Shows(mark)) p_.drawLine(QPointF(frame.X(mark.at), r.top()), QPointF(frame.X(mark.at), r.bottom()));
        for (const Mark& level : panel.levels) {
            p_.setPen(QPen(kMarkColor, 1.5, Qt::DotLine));
            p_.drawLine(QPointF(r.left(), frame.Y(level.at)), QPointF(r.right(), frame.Y(level.at)));
            p_.setFont(Font(13));
            p_.drawText(QRectF(r.left() + 6, frame.Y(level.at) - 20, 300, 18), Qt::AlignLeft | Qt::AlignVCenter,
                        QText(level.label));
        }

        std::vector<QColor> colors;
        for (const Curve& curve : panel.curves) {
            colors.push_back(kPalette[(curve.color >= 0 ? curve.color : color++) % std::size(kPalette)]);
            PaintCurve(curve, frame, colors.back());
        }
        p_.restore();

        p_.setPen(QPen(Qt::black, 1));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(r);
        PaintTicks(frame, last);
        p_.save();
        p_.setFont(Font(16));
        p_.translate(28, r.center().y());
        p_.rotate(-90);
        p_.drawText(QRectF(-r.height() / 2 - 60, -12, r.height() + 120, 24), Qt::AlignCenter, QText(panel.yLabel));
        p_.restore();
        if (last) {
            p_.setFont(Font(16));
            p_.drawText(QRectF(r.left(), r.bottom() + 34, r.width(), 24), Qt::AlignCenter, QText(chart_.xLabel));
        }
        PaintLegend(panel, frame, colors);
    }

    void PaintCurve(const Curve& curve, const Frame& frame, const QColor& color) {
        QPainterPath path;
        bool drawing = false;
        for (std::size_t k = 0; k < curve.x.size(); ++k) {
            if (!std::isfinite(curve.y[k])) {
                drawing = false;
                continue;
            }
            const QPointF point(frame.X(curve.x[k]), frame.Y(curve.y[k]));
            drawing ? path.lineTo(point) : path.moveTo(point);
            drawing = true;
        }
        p_.setBrush(Qt::NoBrush);
        p_.setPen(QPen(color, 2.5, curve.dashed ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (curve.line) p_.drawPath(path);
        if (!curve.markers) return;
        p_.setBrush(color);
        p_.setPen(QPen(Qt::white, 1));
        for (std::size_t k = 0; k < curve.x.size(); ++k)
            if (std::isfinite(curve.y[k])) p_.drawEllipse(QPointF(frame.X(curve.x[k]), frame.Y(curve.y[k])), 5, 5);
    }

    void PaintTicks(const Frame& frame, bool withXLabels) {
        const QRectF& r = frame.rect;
        p_.setFont(Font(14));
        p_.setPen(QPen(Qt::black, 1));
        for (const double t : Ticks(frame.y)) {
            p_.drawLine(QPointF(r.left() - kTickLength, frame.Y(t)), QPointF(r.left(), frame.Y(t)));
            p_.drawText(QRectF(r.left() - 80, frame.Y(t) - 10, 70, 20), Qt::AlignRight | Qt::AlignVCenter,
                        QText(frame.logY ? DecadeText(t) : TickText(t, frame.y)));
        }
        for (const double t : Ticks(frame.x)) {
            p_.drawLine(QPointF(frame.X(t), r.bottom()), QPointF(frame.X(t), r.bottom() + kTickLength));
            if (withXLabels)
                p_.drawText(QRectF(frame.X(t) - 40, r.bottom() + 8, 80, 20), Qt::AlignHCenter | Qt::AlignTop,
                            QText(frame.logX ? DecadeText(t) : TickText(t, frame.x)));
        }
    }

    // The legend goes in the corner of the panel that hides the fewest points.
    void PaintLegend(const Panel& panel, const Frame& frame, const std::vector<QColor>& colors) {
        if (std::none_of(panel.curves.begin(), panel.curves.end(), [](const Curve& c) { return !c.name.empty(); }))
            return;
        p_.setFont(Font(14));
        const QFontMetricsF metrics(p_.font());
        double textWidth = 0;
        for (const Curve& curve : panel.curves) textWidth = std::max(textWidth, metrics.horizontalAdvance(QText(curve.name)));
        const double line = 22, width = textWidth + 62, height = line * panel.curves.size() + 12;
        const QRectF& r = frame.rect;
        const QRectF corners[] = {
            QRectF(r.right() - width - 10, r.top() + 10, width, height),
            QRectF(r.right() - width - 10, r.bottom() - height - 10, width, height),
            QRectF(r.left() + 10, r.top() + 10, width, height),
            QRectF(r.left() + 10, r.bottom() - height - 10, width, height),
        };
        const auto hidden = [&](const QRectF& box) {
            int count = 0;
            for (const Curve& curve : panel.curves)
                for (std::size_t k = 0; k < curve.x.size(); ++k)
                    count += std::isfinite(curve.y[k]) && box.contains(frame.X(curve.x[k]), frame.Y(curve.y[k]));
            return count;
        };
        const QRectF box = *std::min_element(std::begin(corners), std::end(corners),
                                             [&](const QRectF& a, const QRectF& b) { return hidden(a) < hidden(b); });
        p_.setPen(QPen(QColor(160, 160, 160), 1));
        p_.setBrush(QColor(255, 255, 255, 235));
        p_.drawRect(box);
        for (std::size_t k = 0; k < panel.curves.size(); ++k) {
            const Curve& curve = panel.curves[k];
            const double y = box.top() + 6 + line * (k + 0.5);
            p_.setPen(QPen(colors[k], 2.5, curve.dashed ? Qt::DashLine : Qt::SolidLine));
            if (curve.line) p_.drawLine(QPointF(box.left() + 10, y), QPointF(box.left() + 46, y));
            if (curve.markers) {
                p_.setBrush(colors[k]);
                p_.drawEllipse(QPointF(box.left() + 28, y), 4, 4);
            }
            p_.setPen(Qt::black);
            p_.drawText(QRectF(box.left() + 54, y - line / 2, textWidth + 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                        QText(curve.name));
        }
    }

    QPainter& p_;
    const Chart& chart_;
    const ChartAxes& axes_;
};

}  // namespace

bool PlotsAvailable() { return true; }

void RenderChart(const Chart& chart, const std::string& path) {
    if (!IsPlotFileName(path)) throw PlotError("the plot file name must end in .png or .svg: \"" + path + "\"");
    const ChartAxes axes = AxesOf(chart);  // before any file is touched: it may refuse the chart
    // Fonts need a GUI application; nothing is ever shown, so no display is needed.
    std::unique_ptr<QGuiApplication> application;
    int argc = 1;
    char name[] = "tadmor";
    char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt's notes about its environment (no runtime folder, ...) are not
        // the user's concern; errors still reach standard error.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
        });
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    // Drawn in memory, then written whole: a failed plot leaves an earlier
    // file of the name as it was.
    QBuffer drawing;
    drawing.open(QIODevice::WriteOnly);
    if (IsPngFileName(path)) {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        QPainter painter(&image);
        ChartPainter(painter, chart, axes).Paint();
        painter.end();
        image.save(&drawing, "PNG");
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&drawing);
        svg.setSize(QSize(kWidth, kHeight));
        svg.setViewBox(QRect(0, 0, kWidth, kHeight));
        svg.setTitle(QText(chart.title));
        QPainter painter(&svg);
        ChartPainter(painter, chart, axes).Paint();
        painter.end();
    }
    const QByteArray& bytes = drawing.data();
    AtomicFile file(path);
    if (bytes.isEmpty() || !file.Write(std::string_view(bytes.constData(), bytes.size())) || !file.Commit())
        throw PlotError("cannot write the plot file \"" + path + "\"");
}

}  // namespace tadmor::cli
