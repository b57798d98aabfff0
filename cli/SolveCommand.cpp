#include "cli/SolveCommand.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <thread>
#include <tuple>

#include "cli/Export.h"
#include "cli/Sweep.h"
#include "model/NumberText.h"

namespace tadmor::cli {

using analysis::Point;
using analysis::SolveProblem;
using analysis::SolveResult;
using analysis::Target;
using analysis::TargetKind;

namespace {

std::optional<double> ReadNumber(std::string_view text) {
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

// What one calculation gave, in a few words.
std::string Describe(const Point& point) {
    if (point.outcome != RequestOutcome::Completed) return PointOutcome(point) + ": " + point.message;
    std::string text = point.meltingFlight ? "melting completed at FLIGHT " + NumberText(*point.meltingFlight, 2)
                                           : "X/W " + NumberText(point.solidFraction, 3) + " left at the end of the screw";
    return text + ", " + std::to_string(point.rows) + " rows, POWER TOT " + NumberText(point.totalPower, 2) +
           " kW, POWER VIS " + NumberText(point.viscousPower, 2) + " kW";
}

nlohmann::json PointJson(const Point& point) {
    nlohmann::json json = {{"value", point.value}, {"outcome", PointOutcome(point)}};
    json["message"] = point.message.empty() ? nlohmann::json() : nlohmann::json(point.message);
    if (point.outcome != RequestOutcome::Completed) return json;
    json["rows"] = point.rows;
    json["meltingFlight"] = point.meltingFlight ? nlohmann::json(*point.meltingFlight) : nlohmann::json();
    json["solidFractionAtEnd"] = point.solidFraction;
    json["totalPower"] = point.totalPower;
    json["viscousPower"] = point.viscousPower;
    json["targetMet"] = *point.met;
    json["warnings"] = point.warnings;
    return json;
}

}  // namespace

std::string SolveText(const SolveProblem& problem, const SolveResult& result) {
    const std::string name(kInputFields[problem.field].variable);
    std::string text;
    for (const analysis::Solution& solution : result.solutions)
        text += name + " = " + analysis::ValueText(problem.field, solution.met.value, '.') + ": " +
                Describe(solution.met) + "; not met at " +
                analysis::ValueText(problem.field, solution.unmet.value, '.') + "\n";
    if (result.solutions.empty())
        text += "no " + name + " in " + analysis::ValueText(problem.field, result.low.value, '.') + ":" +
                analysis::ValueText(problem.field, result.high.value, '.') + " gives " + TargetText(problem.target) +
                "; at " + analysis::ValueText(problem.field, result.low.value, '.') + ": " + Describe(result.low) +
                "; at " + analysis::ValueText(problem.field, result.high.value, '.') + ": " + Describe(result.high) +
                "\n";
    return text + std::to_string(result.calculations) + " calculations\n";
}

Chart CurveChart(const VariedInput& over, int field, const std::vector<SolveResult>& results,
                 const std::string& title) {
    Curve curve;
    curve.markers = true;
    for (std::size_t i = 0; i < results.size(); ++i) {
        curve.x.push_back(*ReadNumber(over.values[i]));
        curve.y.push_back(results[i].solutions.empty() ? NAN : results[i].solutions.back().met.value);
    }
    int calculations = 0, unsolved = 0;
    for (const SolveResult& result : results) {
        calculations += result.calculations;
        unsolved += result.solutions.empty();
    }
    Chart chart;
    chart.title = title;
    chart.subtitle = "the largest " + std::string(kInputFields[field].variable) + " that meets it at each " + over.name +
                     "; " + std::to_string(calculations) + " calculations";
    if (unsolved > 0)
        chart.note = std::to_string(unsolved) + " of " + std::to_string(results.size()) + " values of " + over.name +
                     " have no solution in the range (a gap in the curve).";
    chart.xLabel = InputLabel(kInputFields[FieldIndexOf(over.name)]);
    chart.panels.push_back({InputLabel(kInputFields[field]), {curve}, std::nullopt, {}, false});
    return chart;
}

std::string PointOutcome(const Point& point) {
    switch (point.outcome) {
        case RequestOutcome::Completed: return point.meltingFlight ? "melting completed" : "end of screw";
        case RequestOutcome::InvalidInput: return "invalid input";
        case RequestOutcome::FileNotWritten: return "file not written";
        case RequestOutcome::CalculationError: return "calculation error";
    }
    return "calculation error";
}

std::string TargetText(const Target& target) {
    switch (target.kind) {
        case TargetKind::MeltedAtFlight: return "melting completed by FLIGHT " + ExactNumber(target.value);
        case TargetKind::MeltedAtEnd: return "melting completed by the end of the screw";
        case TargetKind::SolidFractionAtEnd: return "X/W at most " + ExactNumber(target.value) + " at the end";
    }
    return "";
}

std::vector<SolveResult> SolveAll(const std::vector<SolveProblem>& problems, int jobs) {
    std::vector<SolveResult> results(problems.size());
    std::atomic<std::size_t> next = 0;
    std::vector<std::jthread> threads;
    for (int j = 0; j < std::max(1, jobs); ++j)
        threads.emplace_back([&] {
            for (std::size_t i = next++; i < problems.size(); i = next++) results[i] = analysis::Solve(problems[i]);
        });
    threads.clear();
    return results;
}

Target ParseTarget(const std::string& meltedAt, const std::string& xwAtEnd) {
    if (meltedAt.empty() == xwAtEnd.empty()) throw UsageError("give one target: --melted-at or --xw-at-end");
    if (meltedAt == "end") return {TargetKind::MeltedAtEnd, 0};
    const std::string& text = meltedAt.empty() ? xwAtEnd : meltedAt;
    const std::optional<double> value = ReadNumber(text);
    if (!value) throw UsageError("the target \"" + text + "\" is not a number" + (meltedAt.empty() ? "" : " or end"));
    return {meltedAt.empty() ? TargetKind::SolidFractionAtEnd : TargetKind::MeltedAtFlight, *value};
}

std::pair<double, double> ParseRange(const std::string& text) {
    const std::size_t colon = text.find(':');
    const std::optional<double> low = ReadNumber(std::string_view(text).substr(0, colon));
    const std::optional<double> high =
        colon == std::string::npos ? std::nullopt : ReadNumber(std::string_view(text).substr(colon + 1));
    if (!low || !high || *low >= *high) throw UsageError("--range must be LO:HI with LO < HI, not \"" + text + "\"");
    return {*low, *high};
}

std::string SolveJson(const SolveProblem& problem, const SolveResult& result) {
    nlohmann::json solutions = nlohmann::json::array();
    for (const analysis::Solution& solution : result.solutions) {
        nlohmann::json json = PointJson(solution.met);
        json["notMetAt"] = solution.unmet.value;
        solutions.push_back(json);
    }
    const nlohmann::json json = {{"input", kInputFields[problem.field].variable},
                                 {"range", {problem.low, problem.high}},
                                 {"target", TargetText(problem.target)},
                                 {"calculations", result.calculations},
                                 {"solutions", solutions},
                                 {"low", PointJson(result.low)},
                                 {"high", PointJson(result.high)}};
    return json.dump(2) + "\n";
}

std::string CurveCsv(const VariedInput& over, int field, const std::vector<SolveResult>& results) {
    std::string csv = over.name + "," + std::string(kInputFields[field].variable) +
                      ",solutions,FLIGHT melted (turns),X/W at end,POWER TOT (kW),POWER VIS (kW),calculations\n";
    for (std::size_t i = 0; i < results.size(); ++i) {
        csv += over.values[i] + ",";
        if (results[i].solutions.empty()) {
            csv += ",0,,,,," + std::to_string(results[i].calculations) + "\n";
            continue;
        }
        const Point& best = results[i].solutions.back().met;
        csv += analysis::ValueText(field, best.value, '.') + "," + std::to_string(results[i].solutions.size()) + "," +
               (best.meltingFlight ? ExactNumber(*best.meltingFlight) : "") + "," + ExactNumber(best.solidFraction) +
               "," + ExactNumber(best.totalPower) + "," + ExactNumber(best.viscousPower) + "," +
               std::to_string(results[i].calculations) + "\n";
    }
    return csv;
}

SolveProblem ProblemOf(const SolveOptions& options) {
    SolveProblem problem;
    problem.separator = ChooseSeparator(options.base);
    problem.base = RequestTexts(options.base);
    problem.field = FieldIndexOf(options.input);
    if (problem.field < 0 || kInputFields[problem.field].value == nullptr)
        throw UsageError("--for: no numeric input named \"" + options.input + "\"" + DidYouMean(options.input));
    problem.target = ParseTarget(options.meltedAt, options.xwAtEnd);
    problem.intervals = options.intervals;
    if (!options.range.empty()) {
        std::tie(problem.low, problem.high) = ParseRange(options.range);
    } else {
        // The base value as the calculation reads it.
        const Calculation base = Calculate(problem.base, problem.separator);
        std::tie(problem.low, problem.high) = analysis::DefaultRange(base.state.*kInputFields[problem.field].value);
    }
    return problem;
}

std::vector<SolveProblem> OverProblems(const SolveProblem& problem, const VariedInput& over) {
    std::vector<SolveProblem> problems;
    for (const std::string& value : over.values) {
        SolveProblem atValue = problem;
        std::string& text = atValue.base[over.field];
        text = value;
        std::replace(text.begin(), text.end(), '.', problem.separator);
        problems.push_back(atValue);
    }
    return problems;
}

}  // namespace tadmor::cli
