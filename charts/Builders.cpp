#include "charts/Builders.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <tuple>

#include "extruder/Extruder.h"
#include "inputs/Case.h"
#include "model/NumberText.h"

namespace tadmor::charts {

using analysis::Change;
using analysis::InputResponse;
using analysis::Measure;
using analysis::NameOf;
using analysis::SensitivityResult;
using analysis::SolveResult;
using analysis::SweepCase;
using analysis::ValueOf;
using analysis::VariedInput;
using material::LawFit;
using material::LogViscosity;
using material::RheometerPoint;

namespace {

constexpr double kPascalSecondsPerModelUnit = 98.0665;  // 1 gf s/cm2 in Pa s

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
    chart.subtitle = "screw " + NumberText(state.ScrewDiameter, 1) + " cm, " + NumberText(state.ScrewSpeed, 1) +
                     " rpm, " + NumberText(state.OutputRate, 1) + " kg/hr, " + BarrelText(state);
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
    chart.bands = {
        {0, feedEnd, "feed"}, {feedEnd, compressionEnd, "compression"}, {compressionEnd, screwEnd, "metering"}};
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
    std::string caption = inputs::FieldCaption(field);
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

std::string NoValueNote(const std::vector<RunSummary>& results, std::string_view valueName) {
    // Counts of the cases without a value, by outcome, in order of first appearance.
    std::vector<std::pair<std::string, int>> counts;
    std::size_t withoutValue = 0;
    for (const RunSummary& result : results) {
        if (SweepValueOf(valueName, result)) continue;
        ++withoutValue;
        auto count =
            std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == result.outcomeName; });
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
                 const std::vector<RunSummary>& results, std::string_view valueName, const std::string& title) {
    const std::string valueLabel(SweepValueLabel(valueName));
    Chart chart;
    chart.title = title;
    chart.xLabel = InputLabel(kInputFields[varied.front().field]);
    chart.subtitle = valueLabel + " against " + std::string(NameOf(varied.front()));
    Panel panel{valueLabel, {}, std::nullopt, {}};

    bool anyValue = false, anyCompleted = false;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // The curve of this case: the values of the other varied inputs.
        std::string name;
        for (std::size_t j = 1; j < varied.size(); ++j)
            name += (j > 1 ? ", " : "") + std::string(NameOf(varied[j])) + " = " +
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

const std::array<SweepValue, 6> kSweepValues = {{
    {"flight", "FLIGHT where melting completed (turns)"},
    {"rows", "rows recorded"},
    {"xw", "X/W at the end (-)"},
    {"qsqt", "QS/QT at the end (-)"},
    {"power", "total power at the end (kW)"},
    {"viscous-power", "viscous power at the end (kW)"},
}};

std::optional<double> SweepValueOf(std::string_view name, const RunSummary& run) {
    if (name == "flight") return run.meltingIncrementFlight;
    if (name == "rows")
        return run.outcome == RequestOutcome::Completed ? std::optional<double>(run.rows) : std::nullopt;
    if (name == "xw") return run.solidFractionAtEnd;
    if (name == "qsqt") return run.solidFlowRatioAtEnd;
    if (name == "power") return run.totalPower;
    if (name == "viscous-power") return run.viscousPower;
    return std::nullopt;
}

namespace {

// The distinct finite numbers among `texts`, ascending, each with the first
// text that gives it.
std::vector<Tick> DistinctValues(const std::vector<std::string>& texts) {
    std::vector<Tick> values;
    for (const std::string& text : texts)
        if (const std::optional<double> value = TextToNumber(text, '.'); value && std::isfinite(*value))
            values.push_back({*value, text});
    std::stable_sort(values.begin(), values.end(), [](const Tick& a, const Tick& b) { return a.at < b.at; });
    values.erase(std::unique(values.begin(), values.end(), [](const Tick& a, const Tick& b) { return a.at == b.at; }),
                 values.end());
    return values;
}

// The axis of a map spanning the cells around `values`, and its ticks: at
// each value, as written, when there are at most 16, else on round values.
std::pair<Axis, std::vector<Tick>> MapAxis(const std::vector<double>& edges, const std::vector<Tick>& values,
                                           int intervals) {
    constexpr std::size_t kMostValueTicks = 16;
    Axis axis = NiceAxis(edges.front(), edges.back(), intervals);
    axis.min = edges.front();
    axis.max = edges.back();
    if (values.size() <= kMostValueTicks) return {axis, values};
    std::vector<Tick> ticks;
    for (const double t : Ticks(axis)) ticks.push_back({t, TickText(t, axis)});
    return {axis, ticks};
}

std::vector<double> Positions(const std::vector<Tick>& values) {
    std::vector<double> positions;
    for (const Tick& value : values) positions.push_back(value.at);
    return positions;
}

CellOutcome OutcomeOf(const RunSummary& result) {
    switch (result.outcome) {
        case RequestOutcome::Completed:
            return result.meltingIncrementFlight ? CellOutcome::Melted : CellOutcome::EndOfScrew;
        case RequestOutcome::InvalidInput:
            return CellOutcome::Refused;
        case RequestOutcome::FileNotWritten:
        case RequestOutcome::CalculationError:
            break;
    }
    return CellOutcome::Failed;
}

}  // namespace

std::vector<std::pair<double, double>> DragFlowAlong(const inputs::Case& base, const VariedInput& over) {
    std::vector<std::pair<double, double>> line;
    for (const std::string& value : over.values) {
        inputs::Case atValue = base;
        std::string text = value;
        std::replace(text.begin(), text.end(), '.', atValue.separator);
        atValue.texts[over.field] = text;
        const std::optional<SimulationState> converted = ConvertedInputs(atValue.texts, atValue.separator);
        if (!converted) continue;
        try {
            line.emplace_back(ValueOf(value), extruder::OpenDischargeCapacity(*converted, 0));
        } catch (const Error&) {
        }
    }
    return line;
}

std::optional<MapChart> SweepMap(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                                 const std::vector<RunSummary>& results, std::string_view valueName,
                                 const std::string& title, const inputs::Case* base) {
    if (varied.size() != 2) return std::nullopt;
    const std::vector<Tick> xValues = DistinctValues(varied[0].values), yValues = DistinctValues(varied[1].values);
    if (xValues.size() < 2 || yValues.size() < 2) return std::nullopt;
    const std::vector<double> xCentres = Positions(xValues), yCentres = Positions(yValues);

    MapChart map;
    map.title = title;
    map.valueLabel = SweepValueLabel(valueName);
    map.subtitle =
        map.valueLabel + " against " + std::string(NameOf(varied[0])) + " and " + std::string(NameOf(varied[1]));
    map.xLabel = InputLabel(kInputFields[varied[0].field]);
    map.yLabel = InputLabel(kInputFields[varied[1].field]);
    map.noValueName = valueName == "flight" ? "end of screw: melting not completed" : "no value";
    map.xEdges = CellEdges(xCentres);
    map.yEdges = CellEdges(yCentres);
    std::tie(map.x, map.xTicks) = MapAxis(map.xEdges, xValues, 10);
    std::tie(map.y, map.yTicks) = MapAxis(map.yEdges, yValues, 8);
    map.cells.resize(xCentres.size() * yCentres.size());

    double low = INFINITY, high = -INFINITY;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const std::optional<double> x = TextToNumber(cases[k].values[0], '.');
        const std::optional<double> y = TextToNumber(cases[k].values[1], '.');
        if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y)) continue;
        const std::size_t i = std::lower_bound(xCentres.begin(), xCentres.end(), *x) - xCentres.begin();
        const std::size_t j = std::lower_bound(yCentres.begin(), yCentres.end(), *y) - yCentres.begin();
        MapCell& cell = map.cells[j * xCentres.size() + i];
        cell = {OutcomeOf(results[k]), SweepValueOf(valueName, results[k])};
        if (cell.value && std::isfinite(*cell.value)) {
            low = std::min(low, *cell.value);
            high = std::max(high, *cell.value);
        }
    }
    if (low <= high) {
        // The colour scale spans the values there are, no further: a FLIGHT
        // scale rounded up would run past the end of the screw.
        map.values = NiceAxis(low, high, 6);
        if (low < high) map.values->min = low, map.values->max = high;
    }
    map.boundary = MeltingBoundary(map.xEdges, map.yEdges, map.cells);
    map.note = NoValueNote(results, valueName);
    const auto notRun = std::count_if(map.cells.begin(), map.cells.end(),
                                      [](const MapCell& cell) { return cell.outcome == CellOutcome::NotRun; });
    if (notRun > 0) map.note += (map.note.empty() ? "" : " ") + std::to_string(notRun) + " blank cells: not run here.";
    const int rateAxis = varied[1].field == FieldIndexOf("OutputRate")   ? 1
                         : varied[0].field == FieldIndexOf("OutputRate") ? 0
                                                                         : -1;
    if (base && rateAxis >= 0) {
        for (const auto& [value, capacity] : DragFlowAlong(*base, varied[1 - rateAxis]))
            map.limit.push_back(rateAxis == 1 ? std::pair(value, capacity) : std::pair(capacity, value));
        map.limitName = "drag flow of the metering zone: no screw conveys more";
    }
    return map;
}

std::string SensitivityBaseText(const RunSummary& base) {
    if (base.outcome != RequestOutcome::Completed) return base.outcomeName + ": " + base.message;
    return (base.interpolatedMeltedFlight
                ? "melted at FLIGHT " + NumberText(*base.interpolatedMeltedFlight, 3) + " (within its increment)"
                : "X/W " + NumberText(base.solidFractionAtEnd.value_or(1), 3) + " left at the end of the screw") +
           ", POWER TOT " + NumberText(base.totalPower.value_or(0), 2) + " kW";
}

TornadoChart SensitivityChart(const SensitivityResult& result, Measure measure) {
    TornadoChart chart;
    const std::string name = MeasureName(result, measure);
    chart.title = "Sensitivity of " + name.substr(0, name.rfind(" ("));
    chart.subtitle = "base case: " + SensitivityBaseText(result.base);
    chart.xLabel = "change of " + name.substr(0, name.rfind(" (")) + " (% of its base value)";
    chart.lowName = "input lowered";
    chart.highName = "input raised";
    for (const InputResponse* input : Ranked(result, measure)) {
        const Change change = ChangeOf(result, *input, measure);
        std::string label = InputName(*input) + " " + analysis::StepText(result, *input);
        if (change.sensitivity)
            label += input->kind == analysis::StepKind::Kelvin
                         ? ": " + SignificantNumber(*change.sensitivity, 3) + " % per K"
                         : ": elasticity " + SignificantNumber(*change.sensitivity, 3);
        chart.rows.push_back({label, change.lowPercent, change.highPercent, change.why});
    }
    chart.note = std::to_string(result.calculations) + " calculations; elasticity = (raised - lowered) / (2 x " +
                 ExactNumber(result.steps.percent) + " %), temperatures in % per K = (raised - lowered) / (2 x " +
                 ExactNumber(result.steps.kelvin) + " K)";
    return chart;
}

Chart FitChart(const std::vector<RheometerPoint>& points, const LawFit& fit, const std::string& title,
               const std::string& dataLabel) {
    Chart chart;
    chart.title = title;
    chart.subtitle = "ln eta fitted with " + std::to_string(fit.points) + " points: error of eta RMS " +
                     NumberText(fit.rmsPercentError, 2) + " %, largest " + NumberText(fit.maxPercentError, 2) + " %";
    chart.xLabel = "shear rate (1/s)";
    chart.logX = true;
    Panel panel;
    panel.yLabel = "viscosity (Pa\u00B7s)";
    panel.logY = true;

    std::set<double> all;
    for (const RheometerPoint& p : points) all.insert(p.temperature);
    std::vector<double> temperatures(all.begin(), all.end());
    constexpr std::size_t kMostLines = 5;
    if (temperatures.size() > kMostLines) {
        std::vector<double> some;
        for (std::size_t k = 0; k < kMostLines; ++k)
            some.push_back(temperatures[k * (temperatures.size() - 1) / (kMostLines - 1)]);
        temperatures = some;
    }
    const double low = std::log10(fit.range.shearRateMin), high = std::log10(fit.range.shearRateMax);
    for (std::size_t k = 0; k < temperatures.size(); ++k) {
        const double t = temperatures[k];
        Curve data;
        data.name = NumberText(t, 1) + " \u00B0C " + dataLabel;
        data.markers = true;
        data.line = false;
        data.color = static_cast<int>(k);
        for (const RheometerPoint& p : points) {
            if (p.temperature != t) continue;
            data.x.push_back(std::log10(p.shearRate));
            data.y.push_back(std::log10(p.viscosity * kPascalSecondsPerModelUnit));
        }
        Curve law;
        law.name = NumberText(t, 1) + " \u00B0C fitted law";
        law.color = static_cast<int>(k);
        constexpr int kSteps = 60;
        for (int j = 0; j <= kSteps; ++j) {
            const double x = low + (high - low) * j / kSteps;
            law.x.push_back(x);
            law.y.push_back(static_cast<double>(
                (LogViscosity(fit.coefficients, std::pow(10.0L, x), t) + std::log(kPascalSecondsPerModelUnit)) /
                std::log(10.0L)));
        }
        panel.curves.push_back(std::move(data));
        panel.curves.push_back(std::move(law));
    }
    // Both axes from whole decade to whole decade around the data.
    double lowest = INFINITY, highest = -INFINITY;
    for (const Curve& curve : panel.curves)
        for (const double y : curve.y) lowest = std::min(lowest, y), highest = std::max(highest, y);
    chart.xRange = std::pair(std::floor(low), std::ceil(high));
    panel.yRange = std::pair(std::floor(lowest), std::ceil(highest));
    chart.panels.push_back(std::move(panel));
    return chart;
}

Chart CurveChart(const VariedInput& over, int field, const std::vector<std::optional<SolveResult>>& results,
                 const std::string& title, const inputs::Case* base) {
    Curve curve, warned;
    curve.markers = true;
    warned.markers = true;
    warned.line = false;
    warned.color = 1;
    int calculations = 0, solved = 0;
    std::map<std::string, int> unsolved;  // values without a solution, by outcome
    std::set<std::string> codes;          // of the solutions' warnings
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!results[i]) continue;
        const SolveResult& result = *results[i];
        const double x = ValueOf(over.values[i]);
        const analysis::Point* best = result.solutions.empty() ? nullptr : &result.solutions.back().met;
        curve.x.push_back(x);
        curve.y.push_back(best ? best->value : NAN);
        calculations += result.calculations;
        if (!best) {
            ++unsolved[analysis::OutcomeName(result.outcome)];
            continue;
        }
        ++solved;
        if (best->run.warnings.empty()) continue;
        warned.x.push_back(x);
        warned.y.push_back(best->value);
        for (const Warning& warning : best->run.warnings) codes.insert(warning.code);
    }
    const std::string overName(NameOf(over));
    Chart chart;
    chart.title = title;
    chart.subtitle = "the largest " + std::string(kInputFields[field].variable) + " that meets it at each " + overName +
                     "; " + std::to_string(calculations) + " calculations";
    std::vector<std::string> notes;
    if (!unsolved.empty()) {
        std::string counts;
        for (const auto& [outcome, count] : unsolved)
            counts += (counts.empty() ? "" : ", ") + outcome + ": " + std::to_string(count);
        notes.push_back(std::to_string(curve.x.size() - solved) + " of " + std::to_string(curve.x.size()) +
                        " values of " + overName + " have no solution in the range (" + counts +
                        "), a gap in the curve");
    }
    if (!warned.x.empty()) {
        std::string list;
        for (const std::string& code : codes) list += (list.empty() ? "" : ", ") + code;
        warned.name = "solution with warnings";
        curve.name = "solution";
        notes.push_back(std::to_string(warned.x.size()) + " of " + std::to_string(solved) + " solutions warn (" + list +
                        ")");
    }
    for (const std::string& note : notes) chart.note += (chart.note.empty() ? "" : "; ") + note;
    if (!chart.note.empty()) chart.note += ".";
    chart.xLabel = InputLabel(kInputFields[over.field]);
    std::vector<Curve> curves = {curve};
    if (!warned.x.empty()) curves.push_back(warned);
    if (base && field == FieldIndexOf("OutputRate")) {
        Curve dragFlow{"drag flow of the metering zone: no screw conveys more", {}, {}};
        dragFlow.dashed = true;
        dragFlow.color = 2;
        for (const auto& [value, capacity] : DragFlowAlong(*base, over)) {
            dragFlow.x.push_back(value);
            dragFlow.y.push_back(capacity);
        }
        if (curve.name.empty()) curve.name = "solution";
        curves.push_back(dragFlow);
    }
    chart.panels.push_back({InputLabel(kInputFields[field]), curves, std::nullopt, {}, false});
    return chart;
}

}  // namespace tadmor::charts
