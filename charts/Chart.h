// What a plot shows, decided without drawing anything: panels of curves
// stacked over one x axis, with zones and marks along x; and tornado
// charts. charts/qt/Paint.h draws them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tadmor::charts {

struct Curve {
    std::string name;          // legend entry; the legend is left out when no curve has one
    std::vector<double> x, y;  // a NaN in y leaves a gap
    bool dashed = false;
    bool markers = false;
    bool line = true;    // false: the markers alone
    int color = -1;      // index into the palette; -1: the next colour
    bool faint = false;  // drawn thin and pale behind the others, e.g. a case kept for comparison
};

struct Mark {
    double at = 0;
    std::string label;
};

struct Band {
    double from = 0, to = 0;
    std::string name;
};

// A hatched area of a panel: above y = `above` over x from `from` to `to`,
// named once in the panel's legend.
struct Shade {
    double from = 0, to = 0, above = 0;
    std::string name;
};

struct Panel {
    std::string yLabel;
    std::vector<Curve> curves;
    std::optional<std::pair<double, double>> yRange;  // the y axis spans at least this and the data
    std::vector<Mark> levels;                         // horizontal reference lines
    bool logY = false;                                // y values are log10 of the quantity; ticks on whole decades
    std::vector<Shade> shades{};
    std::string message{};  // written across the middle of the panel, e.g. when it has nothing to draw
};

struct Chart {
    std::string title, subtitle, xLabel;
    std::optional<std::pair<double, double>> xRange;  // the x axis spans at least this and the data
    std::vector<Band> bands;                          // zones along x, shaded and named above the first panel
    std::vector<Band> alerts;                         // spans of x a warning applies to, tinted and named
    std::vector<Mark> marks;                          // vertical lines through every panel
    std::vector<Panel> panels;
    std::string note;   // a line under the plot
    bool logX = false;  // x values are log10 of the quantity; ticks on whole decades
};

// A tornado chart: the relative change of one output when each input is
// lowered and raised by the same fraction, one row per input, largest first.
struct TornadoRow {
    std::string label;           // the input, e.g. "ScrewSpeed (rpm)"
    std::optional<double> low;   // % change of the output with the input lowered
    std::optional<double> high;  // % change with the input raised
    std::string note;            // shown instead of a bar that has no number
};

struct TornadoChart {
    std::string title, subtitle, xLabel;
    std::string lowName, highName;  // legend of the two bars, e.g. "input -1 %"
    std::vector<TornadoRow> rows;   // top to bottom
    std::string note;               // a line under the plot
};

// An axis from `min` to `max` with ticks at the multiples of `step`.
struct Axis {
    double min = 0, max = 1, step = 1;
};

// A labelled place on an axis.
struct Tick {
    double at = 0;
    std::string text;
    bool operator==(const Tick&) const = default;
};

// An axis in steps of 1, 2 or 5 times a power of ten, covering [low, high]
// in about `intervals` steps. Values that agree to a billionth of their size
// (or lie closer than 1e-305) are drawn as one value, with a tenth of it
// either side. Throws Error of kind Plot when low or high is not finite or the axis
// would reach beyond the largest double.
Axis NiceAxis(double low, double high, int intervals);

// The multiples of the step from min to max; none for an axis with more
// than a thousand of them.
std::vector<double> Ticks(const Axis& axis);

// The label of the tick at `value`: its digits down to the place of the step.
std::string TickText(double value, const Axis& axis);

// The axes that a chart is drawn on: x for every panel, and each panel's y.
struct ChartAxes {
    Axis x;
    std::vector<Axis> y;
};

// Each axis spans the range the chart asks for (kept exactly, ticks on round
// values inside it, when the data lie within it) or the finite data with a
// little margin. Throws Error of kind Plot when the chart cannot be drawn.
ChartAxes AxesOf(const Chart& chart);

// The spans of x where y rises above `level`, in order; a span's ends lie
// where the line through neighbouring points crosses the level, or at the
// first or last point when y is above it there. x ascends.
std::vector<std::pair<double, double>> SpansAbove(const std::vector<double>& x, const std::vector<double>& y,
                                                  double level);

}  // namespace tadmor::charts
