// A chart of the program's own painter drawn in a widget, so that what the
// studio shows and what `tadmor plot` writes are one drawing; hovering a
// chart reads out the values under the pointer.
#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <variant>

#include "charts/Chart.h"
#include "charts/MapChart.h"

namespace tadmor::studio {

using AnyChart = std::variant<std::monostate, charts::Chart, charts::MapChart, charts::TornadoChart>;

class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

    void SetChart(AnyChart chart);
    const AnyChart& CurrentChart() const { return chart_; }
    // Shown in place of a chart (nothing calculated yet, or why not).
    void SetMessage(const QString& message);

    // The values under `point` (widget coordinates), empty outside a panel.
    QString ReadoutAt(QPointF point) const;

signals:
    // A paint finished (the benchmark times an edit to the redrawn chart).
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PaintChart();

    AnyChart chart_;
    QString message_;
    std::optional<QPointF> pointer_;
};

}  // namespace tadmor::studio
