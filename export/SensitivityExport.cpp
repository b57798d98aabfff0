#include "export/SensitivityExport.h"

#include <nlohmann/json.hpp>

#include "export/MaterialOrigin.h"

namespace tadmor::exporting {

using analysis::Change;
using analysis::Measure;

namespace {

nlohmann::json ChangeJson(const Change& change) {
    if (!change.sensitivity) return {{"why", change.why}};
    return {
        {"lowPercent", *change.lowPercent}, {"highPercent", *change.highPercent}, {"sensitivity", *change.sensitivity}};
}

Change ChangeIn(const SensitivityRow& row, Measure measure) { return ChangeOf(*row.result, *row.input, measure); }

std::string MeasureKey(Measure measure) { return measure == Measure::Power ? "power" : "melting"; }

std::string KindName(const SensitivityRow& row) {
    return row.input->kind == analysis::StepKind::Kelvin ? "kelvin" : "relative";
}

}  // namespace

std::string SensitivityJson(const analysis::SensitivityResult& result, Measure rankBy,
                            const std::optional<material::Material>& material) {
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
    for (const SensitivityRow& row : RankedRows(result, rankBy)) {
        nlohmann::json input = {
            {"input", InputName(*row.input)}, {"change", KindName(row)}, {"unit", SensitivityUnit(row.input->kind)},
            {"base", row.input->base},        {"low", row.input->low},   {"high", row.input->high}};
        for (const Measure measure : analysis::kMeasures)
            input[MeasureKey(measure)] = ChangeJson(ChangeIn(row, measure));
        inputs.push_back(input);
    }
    const nlohmann::json json = {
        {"percent", result.steps.percent},
        {"kelvin", result.steps.kelvin},
        {"melting", MeasureName(result, Measure::Melting)},
        {"power", MeasureName(result, Measure::Power)},
        {"rankedBy", MeasureKey(rankBy)},
        {"base", base},
        {"lawReference", {{"temperature", result.referenceTemperature}, {"shearRate", result.referenceShearRate}}},
        {"calculations", result.calculations},
        {"inputs", inputs},
        {"material", MaterialJson(material)}};
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
        {"input", CellType::Text, [](const SensitivityRow& row) { return Cell(InputName(*row.input)); }},
        {"change", CellType::Text, [](const SensitivityRow& row) { return Cell(KindName(row)); }},
        {"unit", CellType::Text, [](const SensitivityRow& row) { return Cell(SensitivityUnit(row.input->kind)); }},
        {"base", CellType::Number, [](const SensitivityRow& row) { return Cell(row.input->base); }},
        {"low", CellType::Number, [](const SensitivityRow& row) { return Cell(row.input->low); }},
        {"high", CellType::Number, [](const SensitivityRow& row) { return Cell(row.input->high); }},
    };
    for (const Measure measure : analysis::kMeasures) {
        const std::string prefix = MeasureKey(measure);
        columns.push_back({prefix + " sensitivity", CellType::Number, number([measure](const SensitivityRow& row) {
                               return ChangeIn(row, measure).sensitivity;
                           })});
        columns.push_back({prefix + " low (%)", CellType::Number,
                           number([measure](const SensitivityRow& row) { return ChangeIn(row, measure).lowPercent; })});
        columns.push_back({prefix + " high (%)", CellType::Number, number([measure](const SensitivityRow& row) {
                               return ChangeIn(row, measure).highPercent;
                           })});
        columns.push_back({prefix + " why", CellType::Text,
                           [measure](const SensitivityRow& row) { return Cell(ChangeIn(row, measure).why); }});
    }
    return columns;
}

std::vector<SensitivityRow> RankedRows(const analysis::SensitivityResult& result, Measure rankBy) {
    std::vector<SensitivityRow> rows;
    for (const analysis::InputResponse* input : Ranked(result, rankBy)) rows.push_back({&result, input});
    return rows;
}

}  // namespace tadmor::exporting
