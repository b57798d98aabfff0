#include "charts/Chart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/Error.h"
#include "model/NumberText.h"

namespace tadmor::charts {

namespace {

// Values closer than this, relative to their size or absolutely, are drawn
// as one: their differences would not show, and finer ticks would need more
// digits than a double has (or steps below the normal doubles).
constexpr double kSameRelative = 1e-9;
constexpr double kSameAbsolute = 1e-305;
constexpr std::size_t kMostTicks = 1000;

bool Distinguishable(double low, double high) {
    const double spread = high / 2 - low / 2;  // half of it, which cannot overflow
    return spread > kSameAbsolute / 2 && spread > kSameRelative / 2 * std::max(std::fabs(low), std::fabs(high));
}

[[noreturn]] void ThrowTooLarge() {
    throw Error(ErrorKind::Plot, "cannot draw the chart: its axes would reach beyond " +
                                     NumberText(std::numeric_limits<double>::max(), 0, 3));
}

using Range = std::optional<std::pair<double, double>>;

// The range of the finite values, widened from `range`.
Range RangeOf(const std::vector<double>& values, Range range = {}) {
    for (const double v : values) {
        if (!std::isfinite(v)) continue;
        range = range ? std::pair(std::min(range->first, v), std::max(range->second, v)) : std::pair(v, v);
    }
    return range;
}

// An axis over the range asked for, kept exactly (ticks on round values
// inside it) when the data lie within it; otherwise over both, padded a
// little and rounded out to whole steps. A range asked for that is empty,
// too narrow to draw or not finite is not kept.
Axis AxisFor(Range asked, Range data, int intervals) {
    if (asked &&
        !(std::isfinite(asked->first) && std::isfinite(asked->second) && Distinguishable(asked->first, asked->second)))
        asked.reset();
    if (asked && (!data || (data->first >= asked->first && data->second <= asked->second))) {
        Axis axis = NiceAxis(asked->first, asked->second, intervals);
        axis.min = asked->first;
        axis.max = asked->second;
        return axis;
    }
    auto [low, high] = data.value_or(std::pair(0.0, 1.0));
    if (asked) {
        low = std::min(low, asked->first);
        high = std::max(high, asked->second);
    }
    const double pad = 0.05 * high - 0.05 * low;
    return NiceAxis(asked && low == asked->first ? low : low - pad, high + pad, intervals);
}

// A logarithmic axis (of log10 values) from whole decade to whole decade,
// with a tick at each.
Axis DecadeAxis(Axis axis) {
    axis.min = std::floor(axis.min + 1e-9);
    axis.max = std::ceil(axis.max - 1e-9);
    axis.step = std::max(1.0, std::round(axis.step));
    return axis;
}

}  // namespace

Axis NiceAxis(double low, double high, int intervals) {
    if (!std::isfinite(low) || !std::isfinite(high)) ThrowTooLarge();
    if (!Distinguishable(low, high)) {
        const double middle = low / 2 + high / 2;
        const double pad = middle == 0 ? 1 : std::max(std::fabs(middle) * 0.1, kSameAbsolute);
        low = middle - pad;
        high = middle + pad;
    }
    const double raw = high / intervals - low / intervals;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw * (1 - 1e-9)) {
            step = factor * power;
            break;
        }
    }
    // A bound within a billionth of a step of a tick is taken to be on it.
    const double min = std::floor(low / step + 1e-9) * step;
    const double max = std::ceil(high / step - 1e-9) * step;
    if (!std::isfinite(max - min)) ThrowTooLarge();
    return {min, max, step};
}

std::vector<double> Ticks(const Axis& axis) {
    const double first = std::ceil(axis.min / axis.step - 1e-9);
    const double last = std::floor(axis.max / axis.step + 1e-9);
    // Beyond 2^53 the multiples could not be counted one by one.
    if (!(last - first < kMostTicks) || !(std::fabs(first) < 0x1p53 && std::fabs(last) < 0x1p53)) return {};
    std::vector<double> ticks;
    for (double k = first; k <= last; ++k) ticks.push_back(k * axis.step);
    return ticks;
}

std::string TickText(double value, const Axis& axis) {
    return NumberText(value, -static_cast<int>(std::floor(std::log10(axis.step) + 1e-9)));
}

ChartAxes AxesOf(const Chart& chart) {
    Range xData;
    for (const Panel& panel : chart.panels)
        for (const Curve& curve : panel.curves) xData = RangeOf(curve.x, xData);
    ChartAxes axes{AxisFor(chart.xRange, xData, 14), {}};
    if (chart.logX) axes.x = DecadeAxis(axes.x);
    for (const Panel& panel : chart.panels) {
        Range yData;
        for (const Curve& curve : panel.curves) yData = RangeOf(curve.y, yData);
        for (const Mark& level : panel.levels) yData = RangeOf({level.at}, yData);
        const Axis y = AxisFor(panel.yRange, yData, 6);
        axes.y.push_back(panel.logY ? DecadeAxis(y) : y);
    }
    return axes;
}

std::vector<std::pair<double, double>> SpansAbove(const std::vector<double>& x, const std::vector<double>& y,
                                                  double level) {
    // Where the line from point k-1 to point k crosses the level.
    const auto crossing = [&](std::size_t k) {
        return x[k - 1] + (x[k] - x[k - 1]) * (level - y[k - 1]) / (y[k] - y[k - 1]);
    };
    std::vector<std::pair<double, double>> spans;
    for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k) {
        const bool above = y[k] > level, before = k > 0 && y[k - 1] > level;
        if (above && !before) spans.emplace_back(k == 0 ? x[k] : crossing(k), x[k]);
        if (above) spans.back().second = x[k];
        if (!above && before) spans.back().second = crossing(k);
    }
    return spans;
}

}  // namespace tadmor::charts
