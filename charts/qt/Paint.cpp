#include "charts/qt/Paint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>

#include "model/Error.h"
#include "model/NumberText.h"

namespace tadmor::charts {

namespace {

constexpr int kWidth = kPageWidth;
constexpr int kHeight = kPageHeight;
constexpr double kLeft = 110, kRight = 30, kTop = 132, kBottom = 100, kPanelGap = 48;
constexpr double kTickLength = 6;

const QColor kPalette[] = {
    QColor(31, 78, 156), QColor(224, 123, 0),   QColor(192, 57, 43), QColor(125, 60, 152), QColor(30, 132, 73),
    QColor(140, 86, 75), QColor(227, 119, 194), QColor(90, 90, 90),  QColor(160, 160, 30), QColor(23, 160, 180),
};
const QColor kBandColors[] = {QColor(236, 242, 250), QColor(250, 243, 232), QColor(236, 246, 236)};
const QColor kGridColor(222, 222, 222);
const QColor kMarkColor(70, 70, 70);
const QColor kShadeColor(250, 222, 216);
const QColor kAlertColor(230, 70, 40, 38);
const QColor kHatchColor(120, 120, 120);
// The tornado's bars: dark and light, told apart in grey print too.
const QColor kLowBarColor(31, 78, 156);
const QColor kHighBarColor(160, 196, 232);

}  // namespace

QString QText(const std::string& text) {
    QString converted = QString::fromStdString(text);
    for (QChar& c : converted)
        if (c.unicode() < 0x20 || c.unicode() == 0xfffe || c.unicode() == 0xffff) c = QChar::ReplacementCharacter;
    return converted;
}

namespace {

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

// A plot area's rectangle on the page and its two axes.
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

// The white page with the title, the subtitle and the note under the plot.
void PaintPage(QPainter& p, const std::string& title, const std::string& subtitle, const std::string& note) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
    p.setPen(Qt::black);
    p.setFont(Font(24, true));
    p.drawText(QRectF(0, 12, kWidth, 34), Qt::AlignCenter, QText(title));
    p.setFont(Font(16));
    p.setPen(kMarkColor);
    p.drawText(QRectF(0, 48, kWidth, 24), Qt::AlignCenter, QText(subtitle));
    if (note.empty()) return;
    p.setFont(Font(14));
    p.drawText(QRectF(kLeft, kHeight - 30, kWidth - kLeft - kRight, 24), Qt::AlignLeft | Qt::AlignVCenter, QText(note));
}

// Diagonal lines 8 pixels apart over `rect`, on one lattice for the whole
// page so that neighbouring areas join.
void PaintHatch(QPainter& p, const QRectF& rect) {
    constexpr double kSpacing = 8;
    p.save();
    p.setPen(QPen(kHatchColor, 1, Qt::SolidLine, Qt::FlatCap));
    // The lines x + y = c, cut to the rectangle.
    for (double c = std::ceil((rect.left() + rect.top()) / kSpacing) * kSpacing; c < rect.right() + rect.bottom();
         c += kSpacing) {
        const double from = std::max(rect.left(), c - rect.bottom()), to = std::min(rect.right(), c - rect.top());
        if (to > from) p.drawLine(QPointF(from, c - from), QPointF(to, c - to));
    }
    p.restore();
}

// The ticks of an axis of a chart, labelled with their values.
std::vector<Tick> AxisTicks(const Axis& axis, bool log) {
    std::vector<Tick> ticks;
    for (const double t : Ticks(axis)) ticks.push_back({t, log ? DecadeText(t) : TickText(t, axis)});
    return ticks;
}

void PaintXTicks(QPainter& p, const Frame& frame, const std::vector<Tick>& ticks, bool labels = true) {
    const QRectF& r = frame.rect;
    p.setFont(Font(14));
    p.setPen(QPen(Qt::black, 1));
    for (const Tick& tick : ticks) {
        const double x = frame.X(tick.at);
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + kTickLength));
        if (labels)
            p.drawText(QRectF(x - 40, r.bottom() + 8, 80, 20), Qt::AlignHCenter | Qt::AlignTop, QText(tick.text));
    }
}

void PaintYTicks(QPainter& p, const Frame& frame, const std::vector<Tick>& ticks) {
    const QRectF& r = frame.rect;
    p.setFont(Font(14));
    p.setPen(QPen(Qt::black, 1));
    for (const Tick& tick : ticks) {
        const double y = frame.Y(tick.at);
        p.drawLine(QPointF(r.left() - kTickLength, y), QPointF(r.left(), y));
        p.drawText(QRectF(r.left() - 80, y - 10, 70, 20), Qt::AlignRight | Qt::AlignVCenter, QText(tick.text));
    }
}

// The label under a plot area.
void PaintXLabel(QPainter& p, const QRectF& r, const std::string& label) {
    p.setPen(Qt::black);
    p.setFont(Font(16));
    p.drawText(QRectF(r.left(), r.bottom() + 34, r.width(), 24), Qt::AlignCenter, QText(label));
}

// A label turned upright, centred on `x` beside the plot area `r`.
void PaintYLabel(QPainter& p, const QRectF& r, const std::string& label, double x = 28) {
    p.save();
    p.setPen(Qt::black);
    p.setFont(Font(16));
    p.translate(x, r.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-r.height() / 2 - 60, -12, r.height() + 120, 24), Qt::AlignCenter, QText(label));
    p.restore();
}

// A legend line: a sample painted into its box, and the text.
struct LegendEntry {
    std::function<void(QPainter&, const QRectF&)> sample;
    QString text;
};

constexpr double kSampleWidth = 36, kLegendLine = 22;

void PaintLegendEntry(QPainter& p, const LegendEntry& entry, QPointF at, double textWidth) {
    p.save();
    entry.sample(p, QRectF(at.x(), at.y() + 3, kSampleWidth, kLegendLine - 6));
    p.restore();
    p.setPen(Qt::black);
    p.drawText(QRectF(at.x() + kSampleWidth + 8, at.y(), textWidth, kLegendLine), Qt::AlignLeft | Qt::AlignVCenter,
               entry.text);
}

// The entries in rows above the plot, from the left edge of the plot: as
// many a row as fit across the page.
void PaintLegendRows(QPainter& p, const std::vector<LegendEntry>& entries, double left) {
    p.setFont(Font(14));
    const QFontMetricsF metrics(p.font());
    std::vector<std::pair<QPointF, double>> places;  // of each entry: where, and its text's width
    QPointF at(left, 0);
    for (const LegendEntry& entry : entries) {
        const double width = metrics.horizontalAdvance(entry.text) + 4, step = kSampleWidth + 8 + width + 28;
        if (at.x() > left && at.x() + step - 28 > kWidth - kRight) at = QPointF(left, at.y() + kLegendLine);
        places.emplace_back(at, width);
        at.rx() += step;
    }
    const double top = kTop - 8 - (places.empty() ? 0 : places.back().first.y() + kLegendLine);
    for (std::size_t k = 0; k < entries.size(); ++k)
        PaintLegendEntry(p, entries[k], places[k].first + QPointF(0, top), places[k].second);
}

LegendEntry HatchEntry(const std::string& name, const QColor& fill) {
    return {[fill](QPainter& p, const QRectF& box) {
                p.fillRect(box, fill);
                PaintHatch(p, box);
                p.setPen(QPen(kHatchColor, 1));
                p.setBrush(Qt::NoBrush);
                p.drawRect(box);
            },
            QText(name)};
}

// The plot area of each panel on the page, stacked top to bottom.
std::vector<Frame> FramesOf(const Chart& chart, const ChartAxes& axes) {
    const std::size_t count = chart.panels.size();
    const double height = (kHeight - kTop - kBottom - kPanelGap * (count - 1)) / count;
    std::vector<Frame> frames;
    for (std::size_t i = 0; i < count; ++i)
        frames.push_back({QRectF(kLeft, kTop + i * (height + kPanelGap), kWidth - kLeft - kRight, height), axes.x,
                          axes.y[i], chart.logX, chart.panels[i].logY});
    return frames;
}

class ChartPainter {
public:
    ChartPainter(QPainter& painter, const Chart& chart, const ChartAxes& axes)
        : p_(painter), chart_(chart), axes_(axes) {}

    void Paint() {
        PaintPage(p_, chart_.title, chart_.subtitle, chart_.note);
        const std::vector<Frame> frames = FramesOf(chart_, axes_);
        int color = 0;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (i == 0) PaintBandNamesAndMarkLabels(frames[i]);
            PaintPanel(chart_.panels[i], frames[i], color, i + 1 == frames.size());
            if (i == 0) PaintAlertNames(frames[i]);
        }
    }

private:
    // Above the first panel: the zone names, then the labels of the marks,
    // each beside its line, right or left, in the row above the panel or
    // the one above that, wherever it overlaps no other name.
    void PaintBandNamesAndMarkLabels(const Frame& frame) {
        std::vector<QRectF> taken;
        p_.setFont(Font(15, true));
        const QFontMetricsF bandMetrics(p_.font());
        for (std::size_t b = 0; b < chart_.bands.size(); ++b) {
            const Band& band = chart_.bands[b];
            const double from = frame.X(std::max(band.from, frame.x.min)), to = frame.X(std::min(band.to, frame.x.max));
            if (to <= from) continue;
            p_.setPen(kBandColors[b % std::size(kBandColors)].darker(260));
            const QRectF box(from, kTop - 54, to - from, 22);
            p_.drawText(box, Qt::AlignCenter, QText(band.name));
            const double width = std::min(box.width(), bandMetrics.horizontalAdvance(QText(band.name)));
            taken.push_back(QRectF(box.center().x() - width / 2, box.top(), width, box.height()));
        }
        p_.setFont(Font(13));
        p_.setPen(kMarkColor);
        const QFontMetricsF metrics(p_.font());
        std::vector<Mark> marks;
        std::copy_if(chart_.marks.begin(), chart_.marks.end(), std::back_inserter(marks),
                     [&](const Mark& mark) { return frame.Shows(mark); });
        std::stable_sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.at < b.at; });
        for (const Mark& mark : marks) {
            const double at = frame.X(mark.at);
            const double width = metrics.horizontalAdvance(QText(mark.label)) + 2;
            std::vector<QRectF> places;
            for (const double top : {kTop - 26, kTop - 48}) {
                if (at + 4 + width <= frame.rect.right()) places.emplace_back(at + 4, top, width, 20);
                places.emplace_back(at - 4 - width, top, width, 20);
            }
            const auto free = std::find_if(places.begin(), places.end(), [&](const QRectF& place) {
                return std::none_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(place); });
            });
            const QRectF place = free != places.end() ? *free : places.front();
            taken.push_back(place);
            p_.drawText(place, (place.left() > at ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                        QText(mark.label));
        }
    }

    // The name of each warning's span, inside the top of the first panel.
    void PaintAlertNames(const Frame& frame) {
        p_.setFont(Font(12, true));
        p_.setPen(kAlertColor.darker(300).toRgb());
        for (const Band& alert : chart_.alerts) {
            const double from = std::max(frame.X(alert.from), frame.rect.left()),
                         to = std::min(frame.X(alert.to), frame.rect.right());
            if (to <= from) continue;
            p_.drawText(QRectF(from + 2, frame.rect.top() + 2, std::max(to - from, 160.0), 18),
                        Qt::AlignLeft | Qt::AlignTop, QText(alert.name));
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
        for (const Shade& shade : panel.shades) {
            p_.fillRect(ShadeArea(shade, frame), kShadeColor);
            PaintHatch(p_, ShadeArea(shade, frame));
        }
        for (const Band& alert : chart_.alerts)
            p_.fillRect(QRectF(QPointF(frame.X(alert.from), r.top()), QPointF(frame.X(alert.to), r.bottom())),
                        kAlertColor);
        p_.setPen(QPen(kGridColor, 1));
        for (const double t : Ticks(frame.x))
            p_.drawLine(QPointF(frame.X(t), r.top()), QPointF(frame.X(t), r.bottom()));
        for (const double t : Ticks(frame.y))
            p_.drawLine(QPointF(r.left(), frame.Y(t)), QPointF(r.right(), frame.Y(t)));
        p_.setPen(QPen(QColor(150, 150, 150), 1.5));
        for (const Band& band : chart_.bands)
            for (const double edge : {band.from, band.to})
                p_.drawLine(QPointF(frame.X(edge), r.top()), QPointF(frame.X(edge), r.bottom()));
        p_.setPen(QPen(kMarkColor, 1.5, Qt::DashLine));
        for (const Mark& mark : chart_.marks)
            if (frame.Shows(mark))
                p_.drawLine(QPointF(frame.X(mark.at), r.top()), QPointF(frame.X(mark.at), r.bottom()));
        for (const Mark& level : panel.levels) {
            p_.setPen(QPen(kMarkColor, 1.5, Qt::DotLine));
            p_.drawLine(QPointF(r.left(), frame.Y(level.at)), QPointF(r.right(), frame.Y(level.at)));
            p_.setFont(Font(13));
            p_.drawText(LevelLabelBox(level, frame), Qt::AlignLeft | Qt::AlignVCenter, QText(level.label));
        }

        std::vector<QColor> colors;
        for (const Curve& curve : panel.curves)
            colors.push_back(kPalette[(curve.color >= 0 ? curve.color : color++) % std::size(kPalette)]);
        for (const bool faint : {true, false})  // faint curves behind the others
            for (std::size_t k = 0; k < panel.curves.size(); ++k)
                if (panel.curves[k].faint == faint) PaintCurve(panel.curves[k], frame, colors[k]);
        p_.restore();

        p_.setPen(QPen(Qt::black, 1));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(r);
        PaintYTicks(p_, frame, AxisTicks(frame.y, frame.logY));
        PaintXTicks(p_, frame, AxisTicks(frame.x, frame.logX), last);
        PaintYLabel(p_, r, panel.yLabel);
        if (last) PaintXLabel(p_, r, chart_.xLabel);
        if (!panel.message.empty()) {
            p_.setPen(Qt::black);
            p_.setFont(Font(20, true));
            p_.drawText(r.adjusted(20, 0, -20, 0), Qt::AlignCenter | Qt::TextWordWrap, QText(panel.message));
        }
        PaintLegend(panel, frame, colors);
    }

    static QRectF ShadeArea(const Shade& shade, const Frame& frame) {
        const QRectF& r = frame.rect;
        return QRectF(QPointF(frame.X(shade.from), r.top()), QPointF(frame.X(shade.to), frame.Y(shade.above)))
            .intersected(r);
    }

    // Where a level's label goes: above its line at the left of the panel, in Font(13).
    static QRectF LevelLabelBox(const Mark& level, const Frame& frame) {
        const double width = QFontMetricsF(Font(13)).horizontalAdvance(QText(level.label)) + 4;
        return QRectF(frame.rect.left() + 6, frame.Y(level.at) - 20, width, 18);
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
        const QColor ink = curve.faint ? QColor(color.red(), color.green(), color.blue(), 90) : color;
        p_.setPen(QPen(ink, curve.faint ? 1.5 : 2.5, curve.dashed ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap,
                       Qt::RoundJoin));
        if (curve.line) p_.drawPath(path);
        if (!curve.markers) return;
        p_.setBrush(color);
        p_.setPen(QPen(Qt::white, 1));
        for (std::size_t k = 0; k < curve.x.size(); ++k)
            if (std::isfinite(curve.y[k])) p_.drawEllipse(QPointF(frame.X(curve.x[k]), frame.Y(curve.y[k])), 5, 5);
    }

    // The curves with a name, then each name of the shades once. The legend
    // goes in the corner of the panel that hides the fewest points.
    void PaintLegend(const Panel& panel, const Frame& frame, const std::vector<QColor>& colors) {
        std::vector<LegendEntry> entries;
        for (std::size_t k = 0; k < panel.curves.size(); ++k) {
            const Curve& curve = panel.curves[k];
            if (curve.name.empty()) continue;
            entries.push_back({[&curve, color = colors[k]](QPainter& p, const QRectF& box) {
                                   const double y = box.center().y();
                                   p.setPen(QPen(color, 2.5, curve.dashed ? Qt::DashLine : Qt::SolidLine));
                                   if (curve.line) p.drawLine(QPointF(box.left() + 2, y), QPointF(box.right() - 2, y));
                                   if (!curve.markers) return;
                                   p.setBrush(color);
                                   p.drawEllipse(QPointF(box.center().x(), y), 4, 4);
                               },
                               QText(curve.name)});
        }
        std::vector<std::string> shadeNames;
        for (const Shade& shade : panel.shades) {
            if (shade.name.empty() || std::find(shadeNames.begin(), shadeNames.end(), shade.name) != shadeNames.end())
                continue;
            shadeNames.push_back(shade.name);
            entries.push_back(HatchEntry(shade.name, kShadeColor));
        }
        if (entries.empty()) return;

        p_.setFont(Font(14));
        const QFontMetricsF metrics(p_.font());
        double textWidth = 0;
        for (const LegendEntry& entry : entries) textWidth = std::max(textWidth, metrics.horizontalAdvance(entry.text));
        const double width = textWidth + kSampleWidth + 26, height = kLegendLine * entries.size() + 12;
        const QRectF& r = frame.rect;
        const QRectF corners[] = {
            QRectF(r.right() - width - 10, r.top() + 10, width, height),
            QRectF(r.right() - width - 10, r.bottom() - height - 10, width, height),
            QRectF(r.left() + 10, r.top() + 10, width, height),
            QRectF(r.left() + 10, r.bottom() - height - 10, width, height),
        };
        // A shade or a level's label hidden counts as much as every point.
        std::vector<QRectF> keepClear;
        for (const Shade& shade : panel.shades) keepClear.push_back(ShadeArea(shade, frame));
        for (const Mark& level : panel.levels) keepClear.push_back(LevelLabelBox(level, frame));
        const auto hidden = [&](const QRectF& box) {
            std::size_t count = 0;
            for (const QRectF& area : keepClear)
                if (box.intersects(area))
                    for (const Curve& curve : panel.curves) count += curve.x.size() + 1;
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
        for (std::size_t k = 0; k < entries.size(); ++k)
            PaintLegendEntry(p_, entries[k], QPointF(box.left() + 10, box.top() + 6 + kLegendLine * k), textWidth + 4);
    }

    QPainter& p_;
    const Chart& chart_;
    const ChartAxes& axes_;
};

// The mark of a refused case (a cross) or a failed one (a ring around "!"),
// black on a white outline so that it shows on any colour.
void PaintCaseSymbol(QPainter& p, CellOutcome outcome, QPointF at, double size) {
    QPainterPath path;
    if (outcome == CellOutcome::Refused) {
        path.moveTo(at + QPointF(-size, -size));
        path.lineTo(at + QPointF(size, size));
        path.moveTo(at + QPointF(-size, size));
        path.lineTo(at + QPointF(size, -size));
    } else {
        path.addEllipse(at, size, size);
        path.moveTo(at + QPointF(0, -0.55 * size));
        path.lineTo(at + QPointF(0, 0.1 * size));
        path.moveTo(at + QPointF(0, 0.45 * size));
        path.lineTo(at + QPointF(0, 0.5 * size));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
}

QColor ScaleQColor(double fraction) {
    const Rgb color = ScaleColor(fraction);
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

void PaintMap(QPainter& p, const MapChart& map) {
    PaintPage(p, map.title, map.subtitle, map.note);
    const Frame frame{QRectF(kLeft, kTop, kWidth - kLeft - 200, kHeight - kTop - kBottom), map.x, map.y};
    const QRectF& r = frame.rect;
    const std::size_t columns = map.xEdges.size() - 1;
    const auto fraction = [&](double value) { return (value - map.values->min) / (map.values->max - map.values->min); };
    const auto cellRect = [&](std::size_t k) {
        const std::size_t i = k % columns, j = k / columns;
        return QRectF(QPointF(frame.X(map.xEdges[i]), frame.Y(map.yEdges[j + 1])),
                      QPointF(frame.X(map.xEdges[i + 1]), frame.Y(map.yEdges[j])));
    };

    const auto coloured = [](const MapCell& cell) { return cell.value && std::isfinite(*cell.value); };
    const auto hatched = [&](const MapCell& cell) {
        return !coloured(cell) && (cell.outcome == CellOutcome::Melted || cell.outcome == CellOutcome::EndOfScrew);
    };
    const auto marked = [](const MapCell& cell) {
        return cell.outcome == CellOutcome::Refused || cell.outcome == CellOutcome::Failed;
    };

    // The cells, without antialiasing so that neighbours meet without a seam.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t k = 0; k < map.cells.size(); ++k)
        if (coloured(map.cells[k])) p.fillRect(cellRect(k), ScaleQColor(fraction(*map.cells[k].value)));
    p.setRenderHint(QPainter::Antialiasing);
    for (std::size_t k = 0; k < map.cells.size(); ++k)
        if (hatched(map.cells[k])) PaintHatch(p, cellRect(k));
    // The boundary, black on a white outline so that it shows on any colour.
    p.save();
    p.setClipRect(r);
    for (const QPen& pen :
         {QPen(Qt::white, 8, Qt::SolidLine, Qt::SquareCap), QPen(Qt::black, 4, Qt::SolidLine, Qt::SquareCap)}) {
        p.setPen(pen);
        for (const Segment& s : map.boundary)
            p.drawLine(QPointF(frame.X(s.x0), frame.Y(s.y0)), QPointF(frame.X(s.x1), frame.Y(s.y1)));
    }
    // The limit, dashed, black on white as the boundary.
    for (const QPen& pen : {QPen(Qt::white, 6, Qt::SolidLine), QPen(Qt::black, 2.5, Qt::DashLine)}) {
        p.setPen(pen);
        for (std::size_t k = 1; k < map.limit.size(); ++k)
            p.drawLine(QPointF(frame.X(map.limit[k - 1].first), frame.Y(map.limit[k - 1].second)),
                       QPointF(frame.X(map.limit[k].first), frame.Y(map.limit[k].second)));
    }
    p.restore();
    for (std::size_t k = 0; k < map.cells.size(); ++k) {
        if (!marked(map.cells[k])) continue;
        const QRectF box = cellRect(k);
        const double size = std::clamp(0.3 * std::min(box.width(), box.height()), 3.0, 11.0);
        PaintCaseSymbol(p, map.cells[k].outcome, box.center(), size);
    }

    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    PaintXTicks(p, frame, map.xTicks);
    PaintYTicks(p, frame, map.yTicks);
    PaintXLabel(p, r, map.xLabel);
    PaintYLabel(p, r, map.yLabel);

    // The colour bar, right of the map, with the value's ticks and label.
    const QRectF bar(r.right() + 30, r.top(), 26, r.height());
    if (map.values) {
        // In bands rather than as a gradient, which not every SVG reader draws.
        constexpr int kBands = 128;
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int k = 0; k < kBands; ++k)
            p.fillRect(QRectF(QPointF(bar.left(), bar.bottom() - bar.height() * (k + 1) / kBands),
                              QPointF(bar.right(), bar.bottom() - bar.height() * k / kBands)),
                       ScaleQColor((k + 0.5) / kBands));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(bar);
        p.setFont(Font(14));
        for (const Tick& tick : AxisTicks(*map.values, false)) {
            const double y = bar.bottom() - fraction(tick.at) * bar.height();
            p.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + kTickLength, y));
            p.drawText(QRectF(bar.right() + 10, y - 10, 70, 20), Qt::AlignLeft | Qt::AlignVCenter, QText(tick.text));
        }
    }
    PaintYLabel(p, r, map.valueLabel, kWidth - 26);

    const auto any = [&](auto predicate) { return std::any_of(map.cells.begin(), map.cells.end(), predicate); };
    std::vector<LegendEntry> entries;
    if (any(hatched)) entries.push_back(HatchEntry(map.noValueName, Qt::white));
    if (!map.boundary.empty())
        entries.push_back({[](QPainter& q, const QRectF& box) {
                               q.setPen(QPen(Qt::black, 4));
                               const double y = box.center().y();
                               q.drawLine(QPointF(box.left() + 2, y), QPointF(box.right() - 2, y));
                           },
                           "boundary: melted (coloured) | solid left at the end of the screw (hatched)"});
    if (map.limit.size() > 1)
        entries.push_back({[](QPainter& q, const QRectF& box) {
                               q.setPen(QPen(Qt::black, 2.5, Qt::DashLine));
                               const double y = box.center().y();
                               q.drawLine(QPointF(box.left() + 2, y), QPointF(box.right() - 2, y));
                           },
                           QText(map.limitName)});
    const auto symbolEntry = [](CellOutcome outcome, const char* text) {
        return LegendEntry{[outcome](QPainter& q, const QRectF& box) { PaintCaseSymbol(q, outcome, box.center(), 7); },
                           text};
    };
    for (const auto& [outcome, text] : {std::pair(CellOutcome::Refused, "refused (invalid input)"),
                                        std::pair(CellOutcome::Failed, "failed (calculation error)")})
        if (any([outcome](const MapCell& cell) { return cell.outcome == outcome; }))
            entries.push_back(symbolEntry(outcome, text));
    PaintLegendRows(p, entries, kLeft);
}

void PaintTornado(QPainter& p, const TornadoChart& chart) {
    PaintPage(p, chart.title, chart.subtitle, chart.note);
    const auto number = [](const std::optional<double>& v) { return v && std::isfinite(*v); };
    double reach = 0;
    for (const TornadoRow& row : chart.rows)
        for (const std::optional<double>& v : {row.low, row.high})
            if (number(v)) reach = std::max(reach, std::fabs(*v));
    const Axis x = NiceAxis(-reach, reach, 8);

    // The labels' column is as wide as the widest label, up to 40 % of the page.
    const int labelPixels = std::clamp(int(0.45 * (kHeight - kTop - kBottom) / chart.rows.size()), 9, 15);
    p.setFont(Font(labelPixels));
    double labelWidth = 0;
    for (const TornadoRow& row : chart.rows)
        labelWidth = std::max(labelWidth, QFontMetricsF(p.font()).horizontalAdvance(QText(row.label)));
    const double left = 30 + std::min(labelWidth, 0.4 * kWidth) + 14;
    const Frame frame{QRectF(left, kTop, kWidth - left - kRight - 10, kHeight - kTop - kBottom), x, Axis{}};
    const QRectF& r = frame.rect;
    const double rowHeight = r.height() / chart.rows.size();
    const double barHeight = std::min(0.36 * rowHeight, 26.0);

    p.setPen(QPen(kGridColor, 1));
    for (const double t : Ticks(x)) p.drawLine(QPointF(frame.X(t), r.top()), QPointF(frame.X(t), r.bottom()));
    // Decimals of the numbers at the bars: one more than the ticks'.
    const int decimals = std::max(0, 1 - int(std::floor(std::log10(x.step) + 1e-9)));
    for (std::size_t k = 0; k < chart.rows.size(); ++k) {
        const TornadoRow& row = chart.rows[k];
        const double middle = r.top() + rowHeight * (k + 0.5);
        if (k > 0) {
            p.setPen(QPen(kGridColor, 1));
            p.drawLine(QPointF(r.left(), middle - rowHeight / 2), QPointF(r.right(), middle - rowHeight / 2));
        }
        p.setFont(Font(labelPixels));
        p.setPen(Qt::black);
        p.drawText(QRectF(20, middle - rowHeight / 2, left - 34, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QText(row.label));
        const std::pair<const std::optional<double>*, QColor> bars[] = {{&row.low, kLowBarColor},
                                                                        {&row.high, kHighBarColor}};
        p.setFont(Font(std::min(labelPixels, 13)));
        const QFontMetricsF metrics(p.font());
        const QString note = QText(row.note.empty() ? "no value" : row.note);
        if (!number(row.low) && !number(row.high)) {
            p.setPen(kMarkColor);
            p.drawText(QRectF(frame.X(0) + 6, middle - rowHeight / 2, r.right() - frame.X(0) - 6, rowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, note);
            continue;
        }
        for (std::size_t b = 0; b < 2; ++b) {
            const QRectF band(r.left(), b == 0 ? middle - barHeight - 1 : middle + 1, r.width(), barHeight);
            const std::optional<double>& value = *bars[b].first;
            if (!number(value)) {
                p.setPen(kMarkColor);
                p.drawText(band.adjusted(frame.X(0) + 6 - r.left(), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, note);
                continue;
            }
            const double zero = frame.X(0), end = frame.X(*value);
            const QRectF bar(QPointF(std::min(end, zero), band.top()), QPointF(std::max(end, zero), band.bottom()));
            p.setPen(QPen(bars[b].second.darker(170), 1));
            p.setBrush(bars[b].second);
            p.drawRect(bar);
            // The number beyond the end of the bar, or inside it where the
            // plot ends first.
            const QString text = QText((*value > 0 ? "+" : "") + NumberText(*value, decimals));
            const double width = metrics.horizontalAdvance(text) + 4;
            const bool outside = *value < 0 ? end - 6 - width >= r.left() : end + 6 + width <= r.right();
            const bool rightward = outside == (*value > 0);
            const double from = rightward ? end + 6 : end - 6 - width;
            p.setPen(!outside && b == 0 ? Qt::white : Qt::black);
            p.drawText(QRectF(from, band.top(), width, barHeight),
                       (rightward ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text);
        }
    }
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(frame.X(0), r.top()), QPointF(frame.X(0), r.bottom()));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    PaintXTicks(p, frame, AxisTicks(x, false));
    PaintXLabel(p, r, chart.xLabel);

    const auto barEntry = [](const QColor& color, const std::string& name) {
        return LegendEntry{[color](QPainter& q, const QRectF& box) {
                               q.setPen(QPen(color.darker(170), 1));
                               q.setBrush(color);
                               q.drawRect(box);
                           },
                           QText(name)};
    };
    PaintLegendRows(p, {barEntry(kLowBarColor, chart.lowName), barEntry(kHighBarColor, chart.highName)}, left);
}

// Paints the page of `paint` into `area`, scaled alike in both directions
// and centred.
void PaintScaled(QPainter& painter, const QRectF& area, const std::function<void(QPainter&)>& paint) {
    const double scale = std::min(area.width() / kWidth, area.height() / kHeight);
    painter.save();
    painter.translate(area.center().x() - scale * kWidth / 2, area.center().y() - scale * kHeight / 2);
    painter.scale(scale, scale);
    paint(painter);
    painter.restore();
}

}  // namespace

void Paint(QPainter& painter, const Chart& chart, const QRectF& area) {
    const ChartAxes axes = AxesOf(chart);  // before anything is painted: it may refuse the chart
    PaintScaled(painter, area, [&](QPainter& p) { ChartPainter(p, chart, axes).Paint(); });
}

std::vector<PanelPlace> PanelPlaces(const Chart& chart, const QRectF& area) {
    const ChartAxes axes = AxesOf(chart);
    const double scale = std::min(area.width() / kWidth, area.height() / kHeight);
    const QPointF origin(area.center().x() - scale * kWidth / 2, area.center().y() - scale * kHeight / 2);
    std::vector<PanelPlace> places;
    for (const Frame& frame : FramesOf(chart, axes))
        places.push_back({QRectF(origin + frame.rect.topLeft() * scale, frame.rect.size() * scale), frame.x, frame.y,
                          frame.logX, frame.logY});
    return places;
}

void Paint(QPainter& painter, const MapChart& map, const QRectF& area) {
    PaintScaled(painter, area, [&](QPainter& p) { PaintMap(p, map); });
}

void Paint(QPainter& painter, const TornadoChart& chart, const QRectF& area) {
    if (chart.rows.empty())
        throw Error(ErrorKind::Plot, "cannot draw the tornado chart \"" + chart.title + "\": it has no rows");
    PaintScaled(painter, area, [&](QPainter& p) { PaintTornado(p, chart); });
}

}  // namespace tadmor::charts
