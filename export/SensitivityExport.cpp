#include "export/SensitivityExport.h"

#include <nlohmann/json.hpp>

namespace tadmor::exporting {

using analysis::Change;
using analysis::Measure;

namespace {

nlohmann::json ChangeJson(const Change& change) {
    if (!change.elasticity) return {{"why", change.why}};
    return {
        {"lowPercent", *change.lowPercent}, {"highPercent", *change.highPercent}, {"elasticity", *change.elasticity}};
}

Change ChangeIn(const SensitivityRow& row, Measure measure) { return ChangeOf(*row.result, *row.input, measure); }

}  // namespace

std::string SensitivityJson(const analysis::SensitivityResult& result, Measure rankBy) {
    const RunSummary& run = result.base;
    nlohmann::json base = {{"outcome", run.outcomeName}};
    if (run.outcome == RequestOutcome::Completed) {
        base["interpolatedMeltedFlight"] =
            run.interpolatedMeltedFlight ? nlohmann::json(*run.interpolatedMeltedFlight) : nlohmann::json();
        base["solidFractionAtEnd"] = run.solidFractionAtEnd.value_or(1);
        base["totalPower"] = run.totalPower.value_or(0);
    } else {
        base["message"] = run.message;
    }
    nlohmann::json inputs = nlohmann::json::array();
    for (const SensitivityRow& row : RankedRows(result, rankBy))
        inputs.push_back({{"input", kInputFields[row.input->field].variable},
                          {"base", row.input->base},
                          {"low", row.input->low},
                          {"high", row.input->high},
                          {"melting", ChangeJson(ChangeIn(row, Measure::Melting))},
                          {"power", ChangeJson(ChangeIn(row, Measure::Power))}});
    const nlohmann::json json = {{"percent", result.percent},
                                 {"melting", MeasureName(result, Measure::Melting)},
                                 {"power", MeasureName(result, Measure::Power)},
                                 {"rankedBy", rankBy == Measure::Power ? "power" : "melting"},
                                 {"base", base},
                                 {"calculations", result.calculations},
                                 {"inputs", inputs}};
    return json.dump(2) + "\n";
}

std::vector<Column<SensitivityRow>> SensitivityColumns() {
    const auto number = [](auto get) {
        return [get](const SensitivityRow& row) {
            const std::optional<double> value = get(row);
            return value ? Cell(*value) : Cell();
        };
    };
    std::vector<Column<SensitivityRow>> columns = {
        {"input", CellType::Text,
         [](const SensitivityRow& row) { return Cell(std::string(kInputFields[row.input->field].variable)); }},
        {"base", CellType::Number, [](const SensitivityRow& row) { return Cell(row.input->base); }},
        {"low", CellType::Number, [](const SensitivityRow& row) { return Cell(row.input->low); }},
        {"high", CellType::Number, [](const SensitivityRow& row) { return Cell(row.input->high); }},
    };
    for (const auto& [measure, name] : {std::pair(Measure::Melting, "melting"), std::pair(Measure::Power, "power")}) {
        const std::string prefix = name;
        columns.push_back({prefix + " elasticity", CellType::Number,
                           number([measure](const SensitivityRow& row) { return ChangeIn(row, measure).elasticity; })});
        columns.push_back({prefix + " low (%)", CellType::Number,
                           number([measure](const SensitivityRow& row) { return ChangeIn(row, measure).lowPercent; })});
        columns.push_back({prefix + " high (%)", CellType::Number, number([measure](const SensitivityRow& row) {
                               return ChangeIn(row, measure).highPercent;
                           })});
    }
    columns.push_back({"why", CellType::Text, [](const SensitivityRow& row) {
                           const std::string melting = ChangeIn(row, Measure::Melting).why;
                           return Cell(melting.empty() ? ChangeIn(row, Measure::Power).why : melting);
                       }});
    return columns;
}

std::vector<SensitivityRow> RankedRows(const analysis::SensitivityResult& result, Measure rankBy) {
    std::vector<SensitivityRow> rows;
    for (const analysis::InputResponse* input : Ranked(result, rankBy)) rows.push_back({&result, input});
    return rows;
}

}  // namespace tadmor::exporting
