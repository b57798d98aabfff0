// Charts, maps and tornado charts as PNG or SVG files, drawn without a
// display: 1200 x 900 pixels; an SVG is 180 mm wide. A build without Qt
// (TADMOR_BUILD_PLOTS=OFF) refuses every plot.
#pragma once

#include <string>

#include "charts/Chart.h"
#include "charts/MapChart.h"

namespace tadmor::charts {

// Whether `path` ends in ".png" or ".svg" (in any case), and in ".png".
bool IsPlotFileName(const std::string& path);
bool IsPngFileName(const std::string& path);

// Whether this build draws plots.
bool PlotsAvailable();

// Throws Error of kind Input for a plot file name this build cannot draw;
// "" passes.
void RequirePlotFileName(const std::string& path);

// Writes the chart to `path`, a PNG or an SVG by its extension, whole or not
// at all. Throws Error of kind Plot when the name has neither extension, the
// chart cannot be drawn or the file cannot be written.
void WriteChart(const Chart& chart, const std::string& path);
void WriteMap(const MapChart& map, const std::string& path);
void WriteTornado(const TornadoChart& chart, const std::string& path);

}  // namespace tadmor::charts
