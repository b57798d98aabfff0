#include "app/studio/AnswerJobs.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "charts/Builders.h"
#include "model/Error.h"

namespace tadmor::studio {

namespace {

// `value` to 12 significant digits: 0.30000000000000004 reads as 0.3.
double Rounded(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 12).ptr;
    double rounded = value;
    std::from_chars(text, end, rounded);  // locale-free both ways
    return rounded;
}

}  // namespace

analysis::VariedInput RangeOf(int field, const ValueRange& range) {
    const std::string name(kInputFields[field].variable);
    if (range.count < 2) throw Error(ErrorKind::Input, name + ": at least two values are needed");
    if (!std::isfinite(range.from) || !std::isfinite(range.to))
        throw Error(ErrorKind::Input, name + ": the range's ends must be numbers");
    if (range.from == range.to) throw Error(ErrorKind::Input, name + ": the range's ends must differ");
    std::vector<double> values;
    const double step = (range.to - range.from) / (range.count - 1);
    for (int i = 0; i < range.count; ++i)
        values.push_back(i == range.count - 1 ? range.to : Rounded(range.from + i * step));
    return analysis::VariedValues(field, values);
}

ValueRange RangeAround(const inputs::Case& base, int field, int count) {
    const double value = analysis::BaseValue(base, field);
    if (!std::isfinite(value) || value == 0) return {-1, 1, count};
    return {Rounded(value * 0.5), Rounded(value * 1.5), count};
}

std::string CaseKey(const StudioRequest& request) {
    std::string key;
    for (const std::string& text : request.inputs.texts) key += text + '\x1f';
    key += request.dieText;
    if (const auto& e = request.extruder) {
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, "\x1f%.17g\x1f%.17g\x1f%.17g\x1f%d", e->flightClearance,
                      e->startPressure, e->meltTemperatureLimit.value_or(NAN), e->adiabaticBarrel ? 1 : 0);
        key += numbers;
    }
    return key;
}

CapacityAnswer CapacityOf(const inputs::Case& base, const ValueRange& speeds) {
    CapacityAnswer answer;
    analysis::SolveProblem& problem = answer.problem;
    problem.base = base;
    problem.field = FieldIndexOf("OutputRate");
    problem.target = {analysis::TargetKind::MeltedAtEnd, 0};
    std::tie(problem.low, problem.high) = analysis::DefaultRange(analysis::BaseValue(base, problem.field));
    analysis::ScannedRange(problem);  // refuses a range too narrow for the input's precision
    answer.speeds = RangeOf(FieldIndexOf("ScrewSpeed"), speeds);
    return answer;
}

bool RunCapacity(CapacityAnswer& answer, const analysis::RunControl& control) {
    std::vector<analysis::SolveProblem> problems{answer.problem};
    for (analysis::SolveProblem& atSpeed : analysis::OverProblems(answer.problem, answer.speeds))
        problems.push_back(std::move(atSpeed));
    return analysis::SolveAll(problems, answer.results, control);
}

charts::Chart CapacityChart(const CapacityAnswer& answer, const std::string& title) {
    std::vector<std::optional<analysis::SolveResult>> curve;
    if (!answer.results.empty()) curve.assign(answer.results.begin() + 1, answer.results.end());
    curve.resize(answer.speeds.values.size());
    return charts::CurveChart(answer.speeds, answer.problem.field, curve, title, &answer.problem.base);
}

MapAnswer MapOf(const inputs::Case& base, int xField, const ValueRange& x, int yField, const ValueRange& y) {
    if (xField == yField)
        throw Error(ErrorKind::Input,
                    "the map needs two different inputs, not " + std::string(kInputFields[xField].variable) + " twice");
    MapAnswer answer;
    answer.sweep.base = inputs::WithSeparator(base, '.');
    answer.sweep.varied = {RangeOf(xField, x), RangeOf(yField, y)};
    answer.cases = analysis::SweepCases(answer.sweep.varied, {});
    answer.results.assign(answer.cases.size(), std::nullopt);
    return answer;
}

bool RunMap(MapAnswer& answer, const analysis::RunControl& control) {
    return analysis::RunSweep(answer.sweep, answer.cases, answer.results, control);
}

long CasesRun(const MapAnswer& answer) {
    long run = 0;
    for (const auto& result : answer.results) run += result.has_value();
    return run;
}

std::optional<charts::MapChart> MapChartOf(const MapAnswer& answer, std::string_view valueName,
                                           const std::string& title) {
    std::vector<RunSummary> runs;
    for (const auto& result : answer.results) {
        if (!result) return std::nullopt;
        runs.push_back(*result);
    }
    return charts::SweepMap(answer.sweep.varied, answer.cases, runs, valueName, title, &answer.sweep.base);
}

}  // namespace tadmor::studio
