// What a plot shows, decided without drawing anything: panels of curves
// stacked over one x axis, with zones and marks along x. RenderChart
// (cli/ChartRenderer.h) draws it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/Sweep.h"
#include "model/Cal_Main.h"

namespace tadmor::cli {

struct Curve {
    std::string name;  // legend entry; the legend is left out when no curve has one
    std::vector<double> x, y;  // a NaN in y leaves a gap
    bool dashed = false;
    bool markers = false;
    bool line = true;  // false: the markers alone
    int color = -1;    // index into the palette; -1: the next colour
};

struct Mark {
    double at = 0;
    std::string label;
};

struct Band {
    double from = 0, to = 0;
    std::string name;
};

struct Panel {
    std::string yLabel;
    std::vector<Curve> curves;
    std::optional<std::pair<double, double>> yRange;  // the y axis spans at least this and the data
    std::vector<Mark> levels;                         // horizontal reference lines
    bool logY = false;  // y values are log10 of the quantity; ticks on whole decades
};

struct Chart {
    std::string title, subtitle, xLabel;
    std::optional<std::pair<double, double>> xRange;  // the x axis spans at least this and the data
    std::vector<Band> bands;  // zones along x, shaded and named above the first panel
    std::vector<Mark> marks;  // vertical lines through every panel
    std::vector<Panel> panels;
    std::string note;         // a line under the plot
    bool logX = false;        // x values are log10 of the quantity; ticks on whole decades
};

// An axis from `min` to `max` in steps of 1, 2 or 5 times a power of ten,
// covering [low, high] in about `intervals` steps.
struct Axis {
    double min = 0, max = 1, step = 1;
};
Axis NiceAxis(double low, double high, int intervals);

// The melting profile of a run (inputs and rows 1..StepCount of `state`):
// X/W and QS/QT against FLIGHT on one panel, TB, T121 and TAV on another,
// the zones of the screw and the start of melting marked, and where melting
// completed when it is known.
Chart MeltingProfileChart(const SimulationState& state, std::optional<double> meltingFlight);

// One value of the sweep's cases (a name of kSweepValues) against the first
// varied input, one curve for each combination of the other varied inputs.
Chart SweepChart(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                 const std::vector<CaseResult>& results, std::string_view valueName, const std::string& title);

}  // namespace tadmor::cli
