#include "cli/Chart.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "app/request/TextToNumber.h"
#include "cli/RunCommand.h"
#include "model/NumberText.h"

namespace tadmor::cli {

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
    throw PlotError("cannot draw the chart: its axes would reach beyond " +
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
    if (asked && !(std::isfinite(asked->first) && std::isfinite(asked->second) &&
                   Distinguishable(asked->first, asked->second)))
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

namespace {

std::vector<double> Column(const SimulationState& state, std::vector<double> SimulationState::*values) {
    const std::vector<double>& column = state.*values;
    return std::vector<double>(column.begin() + 1, column.begin() + 1 + state.StepCount);
}

Curve ColumnCurve(const SimulationState& state, std::string name, std::vector<double> SimulationState::*values) {
    return {std::move(name), Column(state, &SimulationState::ResFlight), Column(state, values)};
}

// "barrel 290.0 °C", or its range along the rows when it varies there.
std::string BarrelText(const SimulationState& state) {
    const std::vector<double> barrel = Column(state, &SimulationState::ResBarrelTemp);
    if (barrel.empty()) return "barrel C0 " + NumberText(state.BarrelC0, 1) + " \u00B0C";
    const auto [low, high] = std::minmax_element(barrel.begin(), barrel.end());
    const std::string lowText = NumberText(*low, 1), highText = NumberText(*high, 1);
    return "barrel " + lowText + (lowText == highText ? "" : " to " + highText) + " \u00B0C";
}

}  // namespace

Chart MeltingProfileChart(const SimulationState& state, std::optional<double> meltingFlight) {
    Chart chart;
    chart.title = "Melting profile: " + state.ResultFileName;
    chart.subtitle = "screw " + NumberText(state.ScrewDiameter, 1) + " cm, " + NumberText(state.ScrewSpeed, 1) + " rpm, " +
                     NumberText(state.OutputRate, 1) + " kg/hr, " + BarrelText(state);
    if (meltingFlight)
        chart.subtitle += "; melting completed at FLIGHT " + NumberText(*meltingFlight, 2);
    else if (state.StepCount > 0)
        chart.subtitle += "; last row: FLIGHT " + NumberText(state.ResFlight[state.StepCount], 2) + ", X/W " +
                          NumberText(state.ResSolidFraction[state.StepCount], 3);
    chart.xLabel = "FLIGHT (turns from the start of the screw)";

    const double feedEnd = state.FeedTurns;
    const double compressionEnd = feedEnd + state.CompressionTurns;
    const double screwEnd = compressionEnd + state.MeteringTurns;
    chart.xRange = {0.0, screwEnd};
    chart.bands = {{0, feedEnd, "feed"}, {feedEnd, compressionEnd, "compression"}, {compressionEnd, screwEnd, "metering"}};
    chart.marks.push_back({state.DelayTurns, "melting starts"});
    if (meltingFlight) chart.marks.push_back({*meltingFlight, "melted"});
    chart.marks.push_back({screwEnd, "end of screw"});

    Panel fractions{"X/W, QS/QT (-)", {}, std::pair(0.0, 1.0), {}};
    fractions.curves.push_back(ColumnCurve(state, "X/W  solid bed width fraction", &SimulationState::ResSolidFraction));
    fractions.curves.push_back(ColumnCurve(state, "QS/QT  solids flow fraction", &SimulationState::ResSolidFlowRatio));
    // Where the solid bed is wider than the channel (X/W above 1): the limit,
    // and the FLIGHT spans beyond it shaded.
    const Curve& solidFraction = fractions.curves.front();
    for (const auto& [from, to] : SpansAbove(solidFraction.x, solidFraction.y, 1.0))
        fractions.shades.push_back({from, to, 1.0, "X/W > 1: bed wider than channel"});
    for (const Curve& curve : fractions.curves)
        if (std::any_of(curve.y.begin(), curve.y.end(), [](double y) { return y > 1; })) {
            fractions.levels.push_back({1.0, "X/W = 1"});
            break;
        }

    Panel temperatures{"temperature (\u00B0C)", {}, std::nullopt, {{state.MeltingPoint, "melting point"}}};
    temperatures.curves.push_back(ColumnCurve(state, "TB  barrel", &SimulationState::ResBarrelTemp));
    temperatures.curves.back().dashed = true;
    temperatures.curves.push_back(ColumnCurve(state, "T121  mid-film", &SimulationState::ResSolvedMidTemp));
    temperatures.curves.push_back(ColumnCurve(state, "TAV  film average", &SimulationState::ResFilmAvgTemp));

    chart.panels = {std::move(fractions), std::move(temperatures)};
    if (state.StepCount == 0) chart.note = "No rows were recorded.";
    return chart;
}

std::string InputLabel(const InputField& field) {
    // A caption that ends in a parenthesised unit loses it for the unit of
    // the table; one that ends in the parameter's symbol, "(C0)", keeps that.
    std::string caption = FieldCaption(field);
    if (const std::size_t open = caption.rfind('('); open != std::string::npos && caption.ends_with(')')) {
        const std::string_view inside = std::string_view(caption).substr(open + 1, caption.size() - open - 2);
        const bool symbol = inside.size() >= 2 && std::isalpha(static_cast<unsigned char>(inside[0])) &&
                            std::all_of(inside.begin() + 1, inside.end(),
                                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (!symbol) caption.erase(caption.find_last_not_of(' ', open - 1) + 1);
    }
    return std::string(field.variable) + ": " + caption +
           (field.unit.empty() ? "" : " (" + std::string(field.unit) + ")");
}

std::string ValueWithUnit(const InputField& field, const std::string& value) {
    return field.unit.empty() ? value : value + " " + std::string(field.unit);
}

std::string_view SweepValueLabel(std::string_view valueName) {
    for (const SweepValue& value : kSweepValues)
        if (value.name == valueName) return value.label;
    return valueName;
}

std::string NoValueNote(const std::vector<CaseResult>& results, std::string_view valueName) {
    // Counts of the cases without a value, by outcome, in order of first appearance.
    std::vector<std::pair<std::string, int>> counts;
    std::size_t withoutValue = 0;
    for (const CaseResult& result : results) {
        if (SweepValueOf(valueName, result)) continue;
        ++withoutValue;
        auto count = std::find_if(counts.begin(), counts.end(),
                                  [&](const auto& c) { return c.first == result.outcomeName; });
        if (count == counts.end()) count = counts.insert(counts.end(), {result.outcomeName, 0});
        ++count->second;
    }
    if (withoutValue == 0) return "";
    std::string outcomes;
    for (const auto& [name, count] : counts)
        outcomes += (outcomes.empty() ? "" : ", ") + name + ": " + std::to_string(count);
    const std::string all = std::to_string(results.size());
    return (withoutValue == results.size() ? "None of the " + all + " cases has a value"
                                           : std::to_string(withoutValue) + " of " + all + " cases have no value") +
           " (" + outcomes + "); see the summary's outcome and message.";
}

Chart SweepChart(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                 const std::vector<CaseResult>& results, std::string_view valueName, const std::string& title) {
    const std::string valueLabel(SweepValueLabel(valueName));
    Chart chart;
    chart.title = title;
    chart.xLabel = InputLabel(kInputFields[varied.front().field]);
    chart.subtitle = valueLabel + " against " + varied.front().name;
    Panel panel{valueLabel, {}, std::nullopt, {}};

    bool anyValue = false, anyCompleted = false;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // The curve of this case: the values of the other varied inputs.
        std::string name;
        for (std::size_t j = 1; j < varied.size(); ++j)
            name += (j > 1 ? ", " : "") + varied[j].name + " = " +
                    ValueWithUnit(kInputFields[varied[j].field], cases[i].values[j]);
        auto curve = panel.curves.begin();
        while (curve != panel.curves.end() && curve->name != name) ++curve;
        if (curve == panel.curves.end()) {
            panel.curves.push_back({name, {}, {}, false, true});
            curve = panel.curves.end() - 1;
        }
        const std::optional<double> x = TextToNumber(cases[i].values.front(), '.');
        const std::optional<double> y = SweepValueOf(valueName, results[i]);
        anyValue = anyValue || y;
        anyCompleted = anyCompleted || results[i].outcome == RequestOutcome::Completed;
        if (!x) continue;
        curve->x.push_back(*x);
        curve->y.push_back(y.value_or(std::numeric_limits<double>::quiet_NaN()));
    }
    chart.note = NoValueNote(results, valueName);
    if (!anyValue)
        panel.message = "Nothing to draw: " + (anyCompleted ? "no case has a value of " + valueLabel
                                                            : std::string("every case was refused or failed"));
    chart.panels.push_back(std::move(panel));
    return chart;
}

}  // namespace tadmor::cli
