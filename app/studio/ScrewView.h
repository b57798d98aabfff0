// The screw of the current case drawn above the charts: the channel in
// axial section to scale along its length (the depth enlarged), its zones,
// the flights and the solid bed left in each turn, over the same FLIGHT
// range as the chart beneath it; hovering reads out FLIGHT, zone, depth and
// X/W.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

#include "app/studio/LiveResult.h"
#include "app/studio/ScrewDrawing.h"

namespace tadmor::studio {

class ChartView;

class ScrewView : public QWidget {
    Q_OBJECT
public:
    explicit ScrewView(QWidget* parent = nullptr);

    // Draws the screw of `result` (nothing for a refused case); depths are
    // read out in `unit`.
    void SetResult(const std::shared_ptr<const LiveResult>& result, LengthUnit unit);
    const std::optional<ScrewDrawing>& Drawing() const { return drawing_; }

    // Puts FLIGHT where `chart` draws it, while it shows a chart whose x
    // axis is FLIGHT; otherwise the screw spans the widget.
    void Follow(ChartView* chart);

    // Widget x of the FLIGHTs `from` and `to` the screw is drawn over.
    struct Span {
        double left = 0, right = 0, from = 0, to = 1;
        double X(double flight) const { return left + (flight - from) / (to - from) * (right - left); }
        double Flight(double x) const { return from + (x - left) / (right - left) * (to - from); }
    };
    Span PlotSpan() const;

    // "FLIGHT 12.30, compression, depth 1.07 cm, X/W 0.520" at widget x;
    // empty off the screw.
    QString ReadoutAt(double x) const;

    QSize sizeHint() const override { return {600, 110}; }
    QSize minimumSizeHint() const override { return {200, 110}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QString ZoneName(const std::string& name);

    std::optional<ScrewDrawing> drawing_;
    LengthUnit unit_ = LengthUnit::Centimetre;
    QPointer<ChartView> chart_;
    const QObject* followed_ = nullptr;  // the chart whose events are filtered
    std::optional<QPointF> pointer_;
};

}  // namespace tadmor::studio
