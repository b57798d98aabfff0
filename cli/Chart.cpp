#include "cli/Chart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/request/TextToNumber.h"
#include "cli/RunCommand.h"

namespace tadmor::cli {

Axis NiceAxis(double low, double high, int intervals) {
    if (!(high > low)) {
        const double pad = low == 0 ? 1 : std::fabs(low) * 0.1;
        low -= pad;
        high += pad;
    }
    const double raw = (high - low) / intervals;
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
    return {min, max, step};
}

namespace {

std::vector<double> Column(const SimulationState& state, std::vector<double> SimulationState::*values) {
    const std::vector<double>& column = state.*values;
    return std::vector<double>(column.begin() + 1, column.begin() + 1 + state.StepCount);
}

Curve ColumnCurve(const SimulationState& state, std::string name, std::vector<double> SimulationState::*values) {
    return {std::move(name), Column(state, &SimulationState::ResFlight), Column(state, values)};
}

}  // namespace

Chart MeltingProfileChart(const SimulationState& state, std::optional<double> meltingFlight) {
    Chart chart;
    chart.title = "Melting profile: " + state.ResultFileName;
    chart.subtitle = "screw " + Fixed(state.ScrewDiameter, 1) + " cm, " + Fixed(state.ScrewSpeed, 1) + " rpm, " +
                     Fixed(state.OutputRate, 1) + " kg/hr, barrel C0 " + Fixed(state.BarrelC0, 1) + " \u00B0C";
    if (meltingFlight)
        chart.subtitle += "; melting completed at FLIGHT " + Fixed(*meltingFlight, 2);
    else if (state.StepCount > 0)
        chart.subtitle += "; last row: FLIGHT " + Fixed(state.ResFlight[state.StepCount], 2) + ", X/W " +
                          Fixed(state.ResSolidFraction[state.StepCount], 3);
    chart.xLabel = "FLIGHT (turns from the start of the screw)";

    const double feedEnd = state.FeedTurns;
    const double compressionEnd = feedEnd + state.CompressionTurns;
    const double screwEnd = compressionEnd + state.MeteringTurns;
    chart.xRange = {0.0, screwEnd};
    chart.bands = {{0, feedEnd, "feed"}, {feedEnd, compressionEnd, "compression"}, {compressionEnd, screwEnd, "metering"}};
    chart.marks.push_back({state.DelayTurns, "melting starts"});
    if (meltingFlight) chart.marks.push_back({*meltingFlight, "melted"});

    Panel fractions{"X/W, QS/QT (-)", {}, std::pair(0.0, 1.0), {}};
    fractions.curves.push_back(ColumnCurve(state, "X/W  solid bed width fraction", &SimulationState::ResSolidFraction));
    fractions.curves.push_back(ColumnCurve(state, "QS/QT  solids flow fraction", &SimulationState::ResSolidFlowRatio));
    // Where the solid bed is squeezed wider than the channel, show the limit.
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

Chart SweepChart(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                 const std::vector<CaseResult>& results, std::string_view valueName, const std::string& title) {
    std::string_view valueLabel = valueName;
    for (const SweepValue& value : kSweepValues)
        if (value.name == valueName) valueLabel = value.label;

    Chart chart;
    chart.title = title;
    chart.xLabel = varied.front().name + ": " + FieldCaption(kInputFields[varied.front().field]);
    chart.subtitle = std::string(valueLabel) + " against " + varied.front().name;
    Panel panel{std::string(valueLabel), {}, std::nullopt, {}};

    int withoutValue = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // The curve of this case: the values of the other varied inputs.
        std::string name;
        for (std::size_t j = 1; j < varied.size(); ++j)
            name += (j > 1 ? ", " : "") + varied[j].name + " = " + cases[i].values[j];
        auto curve = panel.curves.begin();
        while (curve != panel.curves.end() && curve->name != name) ++curve;
        if (curve == panel.curves.end()) {
            panel.curves.push_back({name, {}, {}, false, true});
            curve = panel.curves.end() - 1;
        }
        const std::optional<double> x = TextToNumber(cases[i].values.front(), '.');
        const std::optional<double> y = SweepValueOf(valueName, results[i]);
        if (!y) ++withoutValue;
        if (!x) continue;
        curve->x.push_back(*x);
        curve->y.push_back(y.value_or(std::numeric_limits<double>::quiet_NaN()));
    }
    if (withoutValue > 0)
        chart.note = std::to_string(withoutValue) + " of " + std::to_string(cases.size()) +
                     " cases have no value (see the summary's outcome and message).";
    chart.panels.push_back(std::move(panel));
    return chart;
}

}  // namespace tadmor::cli
