#include "charts/ExtruderCharts.h"

#include <algorithm>
#include <cmath>

#include "charts/Builders.h"
#include "extruder/Increments.h"
#include "model/NumberText.h"

namespace tadmor::charts {

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

}  // namespace

Chart ExtruderProfileChart(const extruder::ExtruderCalculation& calculation, const std::string& title) {
    const SimulationState& s = calculation.calculation.state;
    Chart chart;
    chart.title = title;
    chart.xLabel = "FLIGHT (turns from the start of the screw)";
    const double feedEnd = s.FeedTurns, compressionEnd = feedEnd + s.CompressionTurns,
                 screwEnd = compressionEnd + s.MeteringTurns;
    chart.xRange = {0.0, screwEnd};
    chart.bands = {
        {0, feedEnd, "feed"}, {feedEnd, compressionEnd, "compression"}, {compressionEnd, screwEnd, "metering"}};
    chart.marks.push_back({s.DelayTurns, "melting starts"});
    if (!calculation.run) {
        chart.panels.push_back({"P (MPa)", {}, std::nullopt, {}});
        chart.panels.back().message = "Nothing to draw: " + calculation.error;
        return chart;
    }
    const extruder::ExtruderRun& run = *calculation.run;
    chart.subtitle = NumberText(run.throughput, 1) + " kg/hr at " + NumberText(run.screwSpeed, 1) +
                     " rpm: " + NumberText(run.tipPressure, 2) + " MPa at the tip (the die needs " +
                     NumberText(run.dieDrop, 2) + "), melt " + NumberText(run.meltTemperature, 1) + " \u00B0C, " +
                     NumberText(run.specificEnergy, 3) + " kWh/kg";
    if (const RunSummary melting = Summarize(calculation.calculation, {}); melting.meltingIncrementFlight)
        chart.marks.push_back({*melting.meltingIncrementFlight, "melted"});
    chart.marks.push_back({screwEnd, "end of screw"});

    Curve pressure{"P  melt pressure", {}, {}}, melt{"TM  bulk melt", {}, {}}, barrel{"TB  barrel", {}, {}},
        fraction{"X/W  solid bed width fraction", {}, {}};
    barrel.dashed = true;
    const std::vector<extruder::Increment> increments = extruder::ScrewIncrements(s);
    for (std::size_t i = 0; i < run.profile.size(); ++i) {
        const extruder::ProfileRow& row = run.profile[i];
        pressure.x.push_back(row.flight);
        pressure.y.push_back(row.pressure);
        melt.x.push_back(row.flight);
        melt.y.push_back(row.meltTemperature);
        fraction.x.push_back(row.flight);
        fraction.y.push_back(row.melting ? row.solidFraction : 0);
        if (i < increments.size()) {
            barrel.x.push_back(row.flight);
            barrel.y.push_back(increments[i].barrelTemp);
        }
    }
    Panel pressures{"pressure (MPa)", {pressure}, std::nullopt, {{run.dieDrop, "the die's pressure drop"}}};
    Panel temperatures{"temperature (\u00B0C)", {melt, barrel}, std::nullopt, {{s.MeltingPoint, "melting point"}}};
    Panel solid{"X/W (-)", {fraction}, std::pair(0.0, 1.0), {}};
    chart.panels = {std::move(pressures), std::move(temperatures), std::move(solid)};
    return chart;
}

Chart CharacteristicChart(const std::vector<extruder::CharacteristicPoint>& points,
                          const extruder::ExtruderRun* operatingPoint, const std::string& title) {
    Chart chart;
    chart.title = title;
    chart.xLabel = "throughput (kg/hr)";
    Curve screw{"the screw: pressure at its tip", {}, {}}, die{"the die: pressure drop it needs", {}, {}};
    die.dashed = true;
    std::vector<extruder::CharacteristicPoint> sorted = points;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.throughput < b.throughput; });
    int unsolved = 0;
    if (!sorted.empty()) chart.xRange = std::pair(0.0, sorted.back().throughput);
    for (const extruder::CharacteristicPoint& point : sorted) {
        screw.x.push_back(point.throughput);
        die.x.push_back(point.throughput);
        screw.y.push_back(point.solved ? point.tipPressure : kNone);
        die.y.push_back(point.solved ? point.dieDrop : kNone);
        unsolved += !point.solved;
    }
    Panel panel{"pressure (MPa)", {screw, die}, std::nullopt, {{0, "0 MPa"}}};
    if (operatingPoint) {
        Curve point{"operating point", {operatingPoint->throughput}, {operatingPoint->tipPressure}};
        point.markers = true;
        point.line = false;
        panel.curves.push_back(point);
        chart.marks.push_back({operatingPoint->throughput, NumberText(operatingPoint->throughput, 1) + " kg/hr"});
        chart.subtitle = "operating point " + NumberText(operatingPoint->throughput, 1) + " kg/hr at " +
                         NumberText(operatingPoint->tipPressure, 2) + " MPa";
    } else {
        chart.subtitle = "no operating point in the range";
    }
    if (unsolved > 0)
        chart.note = std::to_string(unsolved) + " of " + std::to_string(sorted.size()) +
                     " throughputs could not be calculated (gaps in the curves).";
    chart.panels.push_back(std::move(panel));
    return chart;
}

Chart OperatingPointsChart(const analysis::VariedInput& over,
                           const std::vector<std::optional<extruder::OperatingPointSearch>>& results,
                           const std::string& title) {
    Chart chart;
    chart.title = title;
    chart.xLabel = InputLabel(kInputFields[over.field]);
    // Four panels share the page's height: the unit on the axis, the name in the legend.
    struct Quantity {
        const char* name;
        const char* unit;
        double (*value)(const extruder::ExtruderRun&);
    };
    const Quantity quantities[] = {
        {"throughput", "kg/hr", [](const extruder::ExtruderRun& run) { return run.throughput; }},
        {"pressure at the tip", "MPa", [](const extruder::ExtruderRun& run) { return run.tipPressure; }},
        {"melt temperature at the die", "\u00B0C",
         [](const extruder::ExtruderRun& run) { return run.meltTemperature; }},
        {"specific energy", "kWh/kg", [](const extruder::ExtruderRun& run) { return run.specificEnergy; }},
    };
    int none = 0, searched = 0;
    for (const Quantity& quantity : quantities) {
        Curve curve{quantity.name, {}, {}};
        curve.markers = true;
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (!results[i]) continue;
            const auto& point = results[i]->point;
            curve.x.push_back(analysis::ValueOf(over.values[i]));
            curve.y.push_back(point && point->run ? quantity.value(*point->run) : kNone);
        }
        chart.panels.push_back({quantity.unit, {curve}, std::nullopt, {}});
    }
    for (const auto& result : results) {
        if (!result) continue;
        ++searched;
        none += !(result->point && result->point->run);
    }
    chart.subtitle = "the operating point at each " + std::string(analysis::NameOf(over));
    if (none > 0)
        chart.note = std::to_string(none) + " of " + std::to_string(searched) + " values of " +
                     std::string(analysis::NameOf(over)) + " have no operating point (gaps); see the CSV's message.";
    return chart;
}

}  // namespace tadmor::charts
