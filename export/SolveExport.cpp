#include "export/SolveExport.h"

#include <nlohmann/json.hpp>

#include "export/MaterialOrigin.h"

namespace tadmor::exporting {

using analysis::Point;

namespace {

nlohmann::json Optional(const std::optional<double>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json();
}

nlohmann::json PointJson(const Point& point) {
    const RunSummary& run = point.run;
    nlohmann::json json = {{"value", point.value}, {"outcome", run.outcomeName}};
    json["message"] = run.message.empty() ? nlohmann::json() : nlohmann::json(run.message);
    if (run.outcome != RequestOutcome::Completed) return json;
    json["rows"] = run.rows;
    json["meltingCompletedAtFlight"] = Optional(run.meltingIncrementFlight);
    json["solidFractionAtEnd"] = run.solidFractionAtEnd.value_or(1);
    json["totalPower"] = run.totalPower.value_or(0);
    json["viscousPower"] = run.viscousPower.value_or(0);
    json["targetMet"] = *point.met;
    std::vector<std::string> codes;
    for (const Warning& warning : run.warnings)
        if (std::find(codes.begin(), codes.end(), warning.code) == codes.end()) codes.push_back(warning.code);
    json["warnings"] = codes;
    return json;
}

nlohmann::json CrossingJson(const Point& met, const Point& unmet) {
    nlohmann::json json = PointJson(met);
    json["notMetAt"] = unmet.value;
    return json;
}

// The solution a curve shows at one value: the largest.
const Point* Best(const CurveRow& row) {
    return row.result->solutions.empty() ? nullptr : &row.result->solutions.back().met;
}

// Why a value of the curve has no solution.
std::string CurveMessage(const CurveRow& row) {
    const analysis::SolveResult& result = *row.result;
    const auto text = [&](const Point& point) { return analysis::ValueText(row.field, point.value, '.'); };
    const std::string range = text(result.low) + ":" + text(result.high);
    switch (result.outcome) {
        case analysis::SolveOutcome::Solved:
            return "";
        case analysis::SolveOutcome::NoSolution:
            return "not met in " + range;
        case analysis::SolveOutcome::MetThroughout:
            return "met throughout " + range;
        case analysis::SolveOutcome::Bracketed: {
            const analysis::Bracket& bracket = result.brackets.back();
            return "met at " + text(bracket.met) + ", not met at " + text(bracket.unmet) + "; between them " +
                   bracket.failure;
        }
        case analysis::SolveOutcome::Refused:
        case analysis::SolveOutcome::Failed:
            return result.low.run.message;
    }
    return "";
}

}  // namespace

std::string SolveJson(const analysis::SolveProblem& problem, const analysis::SolveResult& result) {
    nlohmann::json solutions = nlohmann::json::array(), brackets = nlohmann::json::array();
    for (const analysis::Solution& solution : result.solutions)
        solutions.push_back(CrossingJson(solution.met, solution.unmet));
    for (const analysis::Bracket& bracket : result.brackets) {
        nlohmann::json json = CrossingJson(bracket.met, bracket.unmet);
        json["failedBetween"] = bracket.failure;
        brackets.push_back(json);
    }
    const nlohmann::json json = {{"input", kInputFields[problem.field].variable},
                                 {"range", {problem.low, problem.high}},
                                 {"target", analysis::TargetText(problem.target)},
                                 {"outcome", analysis::OutcomeName(result.outcome)},
                                 {"calculations", result.calculations},
                                 {"failedCalculations", result.failures},
                                 {"solutions", solutions},
                                 {"brackets", brackets},
                                 {"low", PointJson(result.low)},
                                 {"high", PointJson(result.high)},
                                 {"material", MaterialJson(problem.base.material)}};
    return json.dump(2) + "\n";
}

std::vector<Column<CurveRow>> CurveColumns(const analysis::VariedInput& over, int field) {
    const auto number = [](auto get) {
        return [get](const CurveRow& row) {
            const Point* best = Best(row);
            const std::optional<double> value = best ? get(best->run) : std::nullopt;
            return value ? Cell(*value) : Cell();
        };
    };
    return {
        {std::string(analysis::NameOf(over)), CellType::Value,
         [](const CurveRow& row) { return Cell(*row.overValue); }},
        {std::string(kInputFields[field].variable), CellType::Value,
         [](const CurveRow& row) {
             const Point* best = Best(row);
             return best ? Cell(analysis::ValueText(row.field, best->value, '.')) : Cell();
         }},
        {"outcome", CellType::Text,
         [](const CurveRow& row) { return Cell(analysis::OutcomeName(row.result->outcome)); }},
        {"solutions", CellType::Integer,
         [](const CurveRow& row) { return Cell(static_cast<long>(row.result->solutions.size())); }},
        {"melting completed at FLIGHT (turns)", CellType::Number,
         number([](const RunSummary& run) { return run.meltingIncrementFlight; })},
        {"X/W at end (-)", CellType::Number, number([](const RunSummary& run) { return run.solidFractionAtEnd; })},
        {"POWER TOT (kW)", CellType::Number, number([](const RunSummary& run) { return run.totalPower; })},
        {"POWER VIS (kW)", CellType::Number, number([](const RunSummary& run) { return run.viscousPower; })},
        {"calculations", CellType::Integer,
         [](const CurveRow& row) { return Cell(static_cast<long>(row.result->calculations)); }},
        {"message", CellType::Text, [](const CurveRow& row) { return Cell(CurveMessage(row)); }},
        {"warnings", CellType::Text,
         [](const CurveRow& row) {
             const Point* best = Best(row);
             return Cell(best ? WarningCodes(best->run) : std::string());
         }},
    };
}

std::string CurveCsv(const analysis::VariedInput& over, int field,
                     const std::vector<std::optional<analysis::SolveResult>>& results) {
    std::vector<CurveRow> rows;
    for (std::size_t i = 0; i < results.size(); ++i)
        if (results[i]) rows.push_back({&over.values[i], &*results[i], field});
    const std::string status = rows.size() == results.size() ? "complete"
                                                             : "incomplete, " + std::to_string(rows.size()) + " of " +
                                                                   std::to_string(results.size()) + " values";
    return CsvOf(CurveColumns(over, field), rows) + "# tadmor solve curve: " + status + "\n";
}

}  // namespace tadmor::exporting
