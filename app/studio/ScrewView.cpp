#include "app/studio/ScrewView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "app/studio/ChartView.h"
#include "charts/qt/Paint.h"
#include "model/Error.h"
#include "model/NumberText.h"

namespace tadmor::studio {

namespace {

// Rows of the drawing, in pixels from the top: the zone names, the barrel
// wall, the channel at its deepest, and the caption under the screw core.
constexpr double kNamesHeight = 16, kBarrelHeight = 5, kDepthHeight = 46, kCaptionHeight = 17;
constexpr double kMargin = 8;

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// A length in cm, written in `unit`.
QString LengthText(double cm, LengthUnit unit, int digits = 3) {
    const double value = unit == LengthUnit::Millimetre ? cm * 10 : cm;
    return QString::fromStdString(SignificantNumber(value, digits) + " " + UnitName(unit));
}

}  // namespace

QString ScrewView::ZoneName(const std::string& name) {
    if (name == "feed") return tr("feed");
    if (name == "compression") return tr("compression");
    if (name == "metering") return tr("metering");
    return QString::fromStdString(name);
}

ScrewView::ScrewView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(110);
}

void ScrewView::SetResult(const std::shared_ptr<const LiveResult>& result, LengthUnit unit) {
    unit_ = unit;
    drawing_.reset();
    if (result && result->calculation.outcome != RequestOutcome::InvalidInput)
        drawing_ = ScrewDrawingOf(result->calculation.state, result->summary.interpolatedMeltedFlight);
    update();
}

void ScrewView::Follow(ChartView* chart) {
    if (chart_) chart_->removeEventFilter(this);
    chart_ = chart;
    followed_ = chart;
    if (chart_) chart_->installEventFilter(this);
    update();
}

bool ScrewView::eventFilter(QObject* watched, QEvent* event) {
    // Compared by address: the chart may be in its destructor already.
    if (watched == followed_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show))
        update();
    return QWidget::eventFilter(watched, event);
}

ScrewView::Span ScrewView::PlotSpan() const {
    Span span{kMargin, width() - kMargin, 0, drawing_ ? drawing_->End() : 1};
    const auto* chart = chart_ ? std::get_if<charts::Chart>(&chart_->CurrentChart()) : nullptr;
    if (chart && !chart->panels.empty() && chart->xLabel.starts_with("FLIGHT") && !chart->logX) {
        try {
            const charts::PanelPlace place = charts::PanelPlaces(*chart, QRectF(chart_->rect())).front();
            const QPointF left = mapFromGlobal(chart_->mapToGlobal(place.rect.topLeft()));
            const QPointF right = mapFromGlobal(chart_->mapToGlobal(place.rect.topRight()));
            if (right.x() > left.x() && place.x.max > place.x.min)
                span = {left.x(), right.x(), place.x.min, place.x.max};
        } catch (const Error&) {
        }
    }
    if (span.right <= span.left) span.right = span.left + 1;
    if (span.to <= span.from) span.to = span.from + 1;
    return span;
}

QString ScrewView::ReadoutAt(double x) const {
    if (!drawing_) return {};
    const double flight = PlotSpan().Flight(x);
    const ScrewZone* zone = ZoneAt(*drawing_, flight);
    if (!zone) return {};
    QString text = tr("FLIGHT %1, %2, depth %3")
                       .arg(QString::fromStdString(NumberText(flight, 2)), ZoneName(zone->name),
                            LengthText(DepthAt(*drawing_, flight), unit_));
    if (flight < drawing_->meltingStart)
        text += tr(", solid; melting starts at FLIGHT %1")
                    .arg(QString::fromStdString(NumberText(drawing_->meltingStart, 2)));
    else if (const std::optional<double> bed = SolidFractionAt(*drawing_, flight))
        text += tr(", X/W %1").arg(QString::fromStdString(NumberText(*bed, 3)));
    return text;
}

void ScrewView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& palette = this->palette();
    const QColor base = palette.color(QPalette::Base), text = palette.color(QPalette::Text);
    const bool dark = base.lightnessF() < 0.5;
    p.fillRect(rect(), base);
    if (!drawing_) {
        p.setPen(Mix(text, base, 0.4));
        p.drawText(rect(), Qt::AlignCenter, tr("The screw is drawn here once its inputs can be calculated."));
        return;
    }
    const ScrewDrawing& d = *drawing_;
    const Span span = PlotSpan();
    const double top = kNamesHeight + kBarrelHeight;  // the barrel's bore
    const double bottom = height() - kCaptionHeight;  // the foot of the screw core
    const double deepest = std::max(d.feedDepth, d.meteringDepth);
    const auto rootY = [&](double flight) { return top + kDepthHeight * DepthAt(d, flight) / deepest; };
    const double from = 0, to = d.End();
    const double left = std::max(span.X(from), 0.0), right = std::min(span.X(to), double(width()));

    // The channel holds melt; the solid bed is drawn over it.
    const QColor melt = dark ? QColor(240, 160, 60, 90) : QColor(224, 123, 0, 55);
    const QColor solid = dark ? QColor(110, 160, 235) : QColor(31, 78, 156, 190);
    p.fillRect(QRectF(QPointF(left, top), QPointF(right, bottom)), melt);

    // The flights, every turn or every few turns; the bed against the
    // trailing flight of each space between them (the melt pool gathers at
    // the pushing flight).
    const double turnWidth = (span.right - span.left) / (span.to - span.from);
    std::vector<double> marks = FlightMarks(d, std::max(2, int((right - left) / 6)));
    const bool everyTurn = marks.size() > 1 && marks[1] - marks[0] == 1;
    const double land = everyTurn ? std::max(1.5, d.landShare * turnWidth) : 1.5;  // pixels
    const std::size_t flights = marks.size();
    if (marks.back() < to) marks.push_back(to);
    p.setPen(Qt::NoPen);
    p.setBrush(solid);
    for (std::size_t k = 0; k + 1 < marks.size(); ++k) {
        const double a = marks[k], b = marks[k + 1];
        const std::optional<double> bed = SolidFractionAt(d, (a + b) / 2);
        if (!bed) continue;
        const double channelLeft = span.X(a) + land / 2, channelRight = span.X(b) - land / 2;
        const double share = std::clamp(*bed, 0.0, 1.0);
        if (share <= 0 || channelRight <= channelLeft) continue;
        const double bedLeft = channelRight - share * (channelRight - channelLeft);
        const QPointF corners[] = {{bedLeft, top},
                                   {channelRight, top},
                                   {channelRight, rootY(span.Flight(channelRight))},
                                   {bedLeft, rootY(span.Flight(bedLeft))}};
        p.drawPolygon(corners, 4);
    }

    // The screw core below the root, which rises over the compression zone.
    const QColor core = Mix(base, text, dark ? 0.35 : 0.28);
    QPainterPath root;
    root.moveTo(left, bottom);
    root.lineTo(left, rootY(from));
    for (const ScrewZone& zone : d.zones) {
        root.lineTo(span.X(zone.from), rootY(zone.from));
        root.lineTo(span.X(zone.to), rootY(zone.to));
    }
    root.lineTo(right, rootY(to));
    root.lineTo(right, bottom);
    root.closeSubpath();
    p.setBrush(core);
    p.drawPath(root.intersected([&] {
        QPainterPath clip;
        clip.addRect(QRectF(QPointF(left, top), QPointF(right, bottom)));
        return clip;
    }()));

    // The flights from the root to the barrel, and the barrel wall.
    const QColor flight = Mix(base, text, dark ? 0.6 : 0.55);
    p.setBrush(flight);
    for (std::size_t k = 0; k < flights; ++k) {
        const double at = marks[k], x = span.X(at);
        p.drawRect(
            QRectF(QPointF(std::max(left, x - land / 2), top), QPointF(std::min(right, x + land / 2), rootY(at))));
    }
    p.setBrush(Mix(base, text, 0.45));
    p.drawRect(QRectF(QPointF(left, kNamesHeight), QPointF(right, top)));

    // The zones named above the barrel, their ends marked down to the core.
    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    const QFontMetricsF metrics(small);
    for (const ScrewZone& zone : d.zones) {
        const double x0 = span.X(zone.from), x1 = span.X(zone.to);
        p.setPen(QPen(Mix(base, text, 0.5), 1, Qt::DashLine));
        if (zone.from > from) p.drawLine(QPointF(x0, 2), QPointF(x0, bottom));
        p.setPen(text);
        const QString name = metrics.elidedText(ZoneName(zone.name), Qt::ElideRight, x1 - x0 - 4);
        p.drawText(QRectF(x0, 0, x1 - x0, kNamesHeight), Qt::AlignCenter, name);
    }
    // Where melting starts: a notch in the barrel.
    const double start = span.X(d.meltingStart);
    p.setPen(Qt::NoPen);
    p.setBrush(text);
    const QPointF notch[] = {{start - 4, kNamesHeight - 1}, {start + 4, kNamesHeight - 1}, {start, top + 2}};
    p.drawPolygon(notch, 3);

    // The caption: the sizes, and how much the depth is enlarged.
    const double enlarged = (kDepthHeight / deepest) / (turnWidth / d.pitch);
    p.setPen(Mix(text, base, 0.25));
    const QString caption =
        tr("Ø %1, pitch %2, depth %3 → %4, drawn ×%5; blue: solid bed, amber: melt, ▼ melting starts")
            .arg(LengthText(d.diameter, unit_), LengthText(d.pitch, unit_), LengthText(d.feedDepth, unit_),
                 LengthText(d.meteringDepth, unit_), QString::fromStdString(SignificantNumber(enlarged, 2)));
    p.drawText(QRectF(left, bottom, width() - left, kCaptionHeight), Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(caption, Qt::ElideRight, width() - left - kMargin));

    if (!pointer_) return;
    const QString readout = ReadoutAt(pointer_->x());
    if (readout.isEmpty()) return;
    p.setPen(QPen(text, 1, Qt::DotLine));
    p.drawLine(QPointF(pointer_->x(), 0), QPointF(pointer_->x(), bottom));
    // Wrapped to the widget's width, beside the pointer where it fits.
    QRectF box =
        metrics.boundingRect(QRectF(0, 0, width() - 12, height()), Qt::TextWordWrap, readout).adjusted(-5, -3, 5, 3);
    box.moveTopLeft(QPointF(pointer_->x() + 10, top + 4));
    if (box.right() > width()) box.moveRight(pointer_->x() - 10);
    if (box.left() < 0) box.moveLeft(0);
    p.setPen(palette.color(QPalette::Mid));
    p.setBrush(palette.color(QPalette::ToolTipBase));
    p.drawRect(box);
    p.setPen(palette.color(QPalette::ToolTipText));
    p.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, readout);
}

void ScrewView::mouseMoveEvent(QMouseEvent* event) {
    pointer_ = event->position();
    update();
}

void ScrewView::leaveEvent(QEvent*) {
    pointer_.reset();
    update();
}

}  // namespace tadmor::studio
