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

QString QText(const std::string& text) { return QString::fromStdString(text); }

QFont Font(int pixels, bool bold = false) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

std::string TickText(double value, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    std::string text = Fixed(value, decimals);
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
    return text;
}

// The range of the finite values, or nothing when there are none.
std::optional<std::pair<double, double>> RangeOf(const std::vector<double>& values,
                                                 std::optional<std::pair<double, double>> range = {}) {
    for (const double v : values) {
        if (!std::isfinite(v)) continue;
        range = range ? std::pair(std::min(range->first, v), std::max(range->second, v)) : std::pair(v, v);
    }
    return range;
}

// An axis over the range asked for, kept exactly (ticks on round values
// inside it) when the data lie within it; otherwise over both, padded a
// little and rounded out to whole steps.
Axis AxisFor(std::optional<std::pair<double, double>> asked, std::optional<std::pair<double, double>> data,
             int intervals) {
    if (asked && (!data || (data->first >= asked->first && data->second <= asked->second))) {
        Axis axis = NiceAxis(asked->first, asked->second, intervals);
        axis.min = asked->first;
        axis.max = asked->second;
        return axis;
    }
    auto [low, high] = data.value_or(std::pair(0.0, 1.0));
    if (asked) {
        low = std::min(low, asked->first);
        high = std::max(high, asked->second);
    }
    const double pad = 0.05 * (high - low);
    return NiceAxis(asked && low == asked->first ? low : low - pad, high + pad, intervals);
}

// A logarithmic axis (of log10 values) from whole decade to whole decade,
// with a tick at each.
Axis DecadeAxis(Axis axis) {
    axis.min = std::floor(axis.min + 1e-9);
    axis.max = std::ceil(axis.max - 1e-9);
    axis.step = std::max(1.0, std::round(axis.step));
    return axis;
}

// The quantity at a decade tick: "0.01", "1", "1000", "1e5".
std::string DecadeText(double exponent) {
    const int decade = static_cast<int>(std::lround(exponent));
    if (decade < -3 || decade > 4) return "1e" + std::to_string(decade);
    return Fixed(std::pow(10.0, decade), std::max(0, -decade));
}

std::vector<double> Ticks(const Axis& axis) {
    std::vector<double> ticks;
    for (double k = std::ceil(axis.min / axis.step - 1e-9); k * axis.step <= axis.max + 1e-9 * axis.step; ++k)
        ticks.push_back(k * axis.step);
    return ticks;
}

// One panel's rectangle on the page and its two axes.
struct Frame {
    QRectF rect;
    Axis x, y;
    bool logX = false, logY = false;
    double X(double value) const { return rect.left() + (value - x.min) / (x.max - x.min) * rect.width(); }
    double Y(double value) const { return rect.bottom() - (value - y.min) / (y.max - y.min) * rect.height(); }
};

class ChartPainter {
public:
    ChartPainter(QPainter& painter, const Chart& chart) : p_(painter), chart_(chart) {}

    void Paint() {
        p_.setRenderHint(QPainter::Antialiasing);
        p_.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
        PaintTitles();

        std::optional<std::pair<double, double>> xData;
        for (const Panel& panel : chart_.panels)
            for (const Curve& curve : panel.curves) xData = RangeOf(curve.x, xData);
        Axis x = AxisFor(chart_.xRange, xData, 14);
        if (chart_.logX) x = DecadeAxis(x);

        const std::size_t count = chart_.panels.size();
        const double height = (kHeight - kTop - kBottom - kPanelGap * (count - 1)) / count;
        int color = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Panel& panel = chart_.panels[i];
            std::optional<std::pair<double, double>> yData;
            for (const Curve& curve : panel.curves) yData = RangeOf(curve.y, yData);
            for (const Mark& level : panel.levels) yData = RangeOf({level.at}, yData);
            const Axis y = AxisFor(panel.yRange, yData, 6);
            const Frame frame{QRectF(kLeft, kTop + i * (height + kPanelGap), kWidth - kLeft - kRight, height), x,
                              panel.logY ? DecadeAxis(y) : y, chart_.logX, panel.logY};
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
            p_.drawLine(QPointF(frame.X(mark.at), r.top()), QPointF(frame.X(mark.at), r.bottom()));
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
                        QText(frame.logY ? DecadeText(t) : TickText(t, frame.y.step)));
        }
        for (const double t : Ticks(frame.x)) {
            p_.drawLine(QPointF(frame.X(t), r.bottom()), QPointF(frame.X(t), r.bottom() + kTickLength));
            if (withXLabels)
                p_.drawText(QRectF(frame.X(t) - 40, r.bottom() + 8, 80, 20), Qt::AlignHCenter | Qt::AlignTop,
                            QText(frame.logX ? DecadeText(t) : TickText(t, frame.x.step)));
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
};

}  // namespace

bool PlotsAvailable() { return true; }

void RenderChart(const Chart& chart, const std::string& path) {
    if (!IsPlotFileName(path)) throw PlotError("the plot file name must end in .png or .svg: \"" + path + "\"");
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
        ChartPainter(painter, chart).Paint();
        painter.end();
        image.save(&drawing, "PNG");
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&drawing);
        svg.setSize(QSize(kWidth, kHeight));
        svg.setViewBox(QRect(0, 0, kWidth, kHeight));
        svg.setTitle(QText(chart.title));
        QPainter painter(&svg);
        ChartPainter(painter, chart).Paint();
        painter.end();
    }
    const QByteArray& bytes = drawing.data();
    AtomicFile file(path);
    if (bytes.isEmpty() || !file.Write(std::string_view(bytes.constData(), bytes.size())) || !file.Commit())
        throw PlotError("cannot write the plot file \"" + path + "\"");
}

}  // namespace tadmor::cli
