// Paints charts, maps and tornado charts with Qt, into any rectangle of any
// painter: a widget, an image or an SVG. Each is laid out on a page of
// 1200 x 900 units and scaled alike in both directions to fit the rectangle.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

#include "charts/Chart.h"
#include "charts/MapChart.h"

namespace tadmor::charts {

inline constexpr int kPageWidth = 1200;
inline constexpr int kPageHeight = 900;

// Throws Error of kind Plot when the chart cannot be drawn (see AxesOf).
void Paint(QPainter& painter, const Chart& chart, const QRectF& area);
void Paint(QPainter& painter, const MapChart& map, const QRectF& area);
// Throws Error of kind Plot for a chart without rows.
void Paint(QPainter& painter, const TornadoChart& chart, const QRectF& area);

// Where each panel's plot area of `chart` lies when it is painted into
// `area`, with its axes: for reading the values under a pointer.
struct PanelPlace {
    QRectF rect;
    Axis x, y;
    bool logX = false, logY = false;
};
std::vector<PanelPlace> PanelPlaces(const Chart& chart, const QRectF& area);

// Text for the painter. Control characters, which an SVG file cannot hold,
// are shown as the replacement character, as are bytes that are not UTF-8.
QString QText(const std::string& text);

}  // namespace tadmor::charts
