// Draws charts, maps and tornado charts into PNG or SVG files with Qt,
// without a display: 1200 x 900 pixels; an SVG is 180 mm wide.
// The file names are tested in PlotFileName.cpp, which needs no Qt.
#pragma once

#include <string>

#include "cli/Chart.h"
#include "cli/MapChart.h"

namespace tadmor::cli {

// Whether `path` ends in ".png" or ".svg" (in any case), and in ".png".
bool IsPlotFileName(const std::string& path);
bool IsPngFileName(const std::string& path);

// Whether this tadmor draws plots: false when it was built without Qt
// (TADMOR_BUILD_PLOTS=OFF); the Render functions then refuse every plot.
bool PlotsAvailable();

// Throws UsageError for a plot file name this tadmor cannot draw; "" passes.
void RequirePlotFileName(const std::string& path);

// Writes the chart to `path`, a PNG or an SVG by its extension. Throws
// PlotError when the name has neither extension, the chart cannot be drawn
// (see AxesOf) or the file cannot be written.
void RenderChart(const Chart& chart, const std::string& path);

// Writes the map to `path` as RenderChart writes a chart.
void RenderMap(const MapChart& map, const std::string& path);

// Writes the tornado chart to `path` as RenderChart writes a chart. Throws
// PlotError for a chart without rows.
void RenderTornado(const TornadoChart& chart, const std::string& path);

}  // namespace tadmor::cli
