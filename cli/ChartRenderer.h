// Draws a Chart into a PNG or SVG file with Qt, without a display.
#pragma once

#include <stdexcept>
#include <string>

#include "cli/Chart.h"

namespace tadmor::cli {

class PlotError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether `path` ends in ".png" or ".svg" (in any case).
bool IsPlotFileName(const std::string& path);

// Writes the chart to `path`, a PNG or an SVG by its extension. Throws
// PlotError when the name has neither extension or the file cannot be written.
void RenderChart(const Chart& chart, const std::string& path);

}  // namespace tadmor::cli
