#include "app/studio/LiveResult.h"

#include <algorithm>
#include <cmath>

#include "charts/Builders.h"
#include "charts/ExtruderCharts.h"
#include "model/NumberText.h"

namespace tadmor::studio {

namespace {

// A share in percent, to two significant digits and never in exponent form.
std::string Percent(double percent) {
    return std::abs(percent) >= 10 ? NumberText(percent, 0) : SignificantNumber(percent, 2);
}

double ScrewTurns(const SimulationState& s) { return s.FeedTurns + s.CompressionTurns + s.MeteringTurns; }

// The warnings of the run, then those of the melt conveying.
std::vector<Warning> AllWarnings(const LiveResult& result) {
    std::vector<Warning> warnings = result.summary.warnings;
    if (result.extruder)
        warnings.insert(warnings.end(), result.extruder->warnings.begin(), result.extruder->warnings.end());
    return warnings;
}

}  // namespace

LiveResult ComputeLive(const StudioRequest& request, std::uint64_t generation) {
    LiveResult result;
    result.generation = generation;
    result.inputs = request.inputs;
    result.extruderInputs = request.extruder;
    std::optional<extruder::ExtruderCalculation> whole;
    if (request.extruder) {
        whole = extruder::CalculateExtruder(request.inputs.texts, request.inputs.separator, *request.extruder);
        result.calculation = whole->calculation;
        result.extruder = whole->run;
        result.extruderError = whole->error;
    } else {
        result.calculation = inputs::Calculate(request.inputs);
    }
    result.summary = inputs::Summarize(request.inputs, result.calculation);
    if (result.calculation.outcome == RequestOutcome::Completed) {
        result.melting = charts::MeltingProfileChart(result.calculation.state, result.summary.meltingIncrementFlight);
        result.melting.title = "Melting along the screw";
        result.melting.alerts = WarningSpans(result.summary.warnings);
    }
    if (result.extruder) {
        result.pressure = charts::ExtruderProfileChart(*whole, "Pressure and melt temperature to the die");
        result.pressure->alerts = WarningSpans(AllWarnings(result));
    }
    result.outcome = OutcomeWords(result);
    return result;
}

std::string OutcomeWords(const LiveResult& result) {
    const Calculation& c = result.calculation;
    const SimulationState& s = c.state;
    switch (c.outcome) {
        case RequestOutcome::InvalidInput:
            return "Not calculated: " + c.message +
                   (c.refusedField >= 0 ? " (" + std::string(kInputFields[c.refusedField].variable) + ")" : "");
        case RequestOutcome::CalculationError:
        case RequestOutcome::FileNotWritten:
            return "The calculation failed" +
                   (std::isfinite(c.errorFlight) ? " at FLIGHT " + NumberText(c.errorFlight, 2) : std::string()) +
                   ": " + c.message;
        case RequestOutcome::Completed:
            break;
    }
    const RunSummary& summary = result.summary;
    std::string words;
    if (summary.meltingIncrementFlight) {
        words = "Melted at FLIGHT " + NumberText(*summary.meltingIncrementFlight, 1) + " of " +
                NumberText(ScrewTurns(s), 1);
    } else {
        const double bed = summary.solidFractionAtEnd.value_or(1.0);
        const double flow = 100 * summary.solidFlowRatioAtEnd.value_or(1.0);
        words = (bed > 1 ? "a bed wider than the channel (X/W " + NumberText(bed, 2) + ")"
                         : Percent(100 * bed) + " % of the bed") +
                " and " + Percent(flow) + " % of the throughput still solid at the end of the screw (FLIGHT " +
                NumberText(ScrewTurns(s), 1) + ")";
    }
    if (summary.totalPower) words += "; POWER TOT " + NumberText(*summary.totalPower, 2) + " kW";
    if (result.extruderInputs) {
        if (!result.extruder) return words + "; the melt conveying was not solved: " + result.extruderError;
        const extruder::ExtruderRun& run = *result.extruder;
        words += "; at the tip " + NumberText(run.tipPressure, 2) + " MPa and " + NumberText(run.meltTemperature, 1) +
                 " °C, the die needs " + NumberText(run.dieDrop, 2) + " MPa; drive " + NumberText(run.drivePower, 2) +
                 " kW, " + NumberText(run.specificEnergy, 3) + " kWh/kg";
    }
    const std::size_t count = AllWarnings(result).size();
    if (count > 0) words += "; " + std::to_string(count) + (count == 1 ? " warning" : " warnings");
    return words;
}

std::vector<charts::Band> WarningSpans(const std::vector<Warning>& warnings, double halfWidth) {
    std::vector<charts::Band> bands;
    for (const Warning& warning : warnings) {
        std::string_view where = warning.where;
        if (!where.starts_with("FLIGHT ")) continue;
        where.remove_prefix(7);
        while (!where.empty()) {
            const auto comma = where.find(", ");
            const std::string_view span = where.substr(0, comma);
            const auto to = span.find(" to ");
            const std::optional<double> from = TextToNumber(span.substr(0, to), '.');
            const std::optional<double> until =
                to == std::string_view::npos ? from : TextToNumber(span.substr(to + 4), '.');
            if (from && until) bands.push_back({*from - halfWidth, *until + halfWidth, warning.code});
            where = comma == std::string_view::npos ? std::string_view() : where.substr(comma + 2);
        }
    }
    return bands;
}

std::string Readout(const charts::Chart& chart, std::size_t panel, double x) {
    if (panel >= chart.panels.size()) return "";
    std::string values;
    for (const charts::Curve& curve : chart.panels[panel].curves) {
        if (curve.name.empty() || curve.faint || curve.x.size() < 2) continue;
        const auto [low, high] = std::minmax_element(curve.x.begin(), curve.x.end());
        if (x < *low || x > *high) continue;
        // The segment that holds x, in the curve's order (x ascends along the screw).
        for (std::size_t k = 1; k < curve.x.size(); ++k) {
            const double x0 = curve.x[k - 1], x1 = curve.x[k];
            if (!((x0 <= x && x <= x1) || (x1 <= x && x <= x0))) continue;
            const double y0 = curve.y[k - 1], y1 = curve.y[k];
            if (!std::isfinite(y0) || !std::isfinite(y1)) break;
            const double y = x1 == x0 ? y1 : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
            values += (values.empty() ? "" : ", ") + curve.name + " " + SignificantNumber(y, 4);
            break;
        }
    }
    if (values.empty()) return "";
    const std::string name = chart.xLabel.substr(0, chart.xLabel.find(" ("));
    return name + " " + NumberText(x, 2) + ": " + values;
}

charts::Chart WithFaintCurves(charts::Chart chart, const charts::Chart& other) {
    int color = 0;  // the colour each curve of `other` is drawn in: the painter's count across the panels
    for (std::size_t p = 0; p < other.panels.size(); ++p)
        for (charts::Curve curve : other.panels[p].curves) {
            if (curve.color < 0) curve.color = color++;
            if (curve.faint || p >= chart.panels.size()) continue;
            curve.name.clear();
            curve.faint = true;
            chart.panels[p].curves.push_back(std::move(curve));
        }
    return chart;
}

}  // namespace tadmor::studio
