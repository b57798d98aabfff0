#include "export/ExtruderExport.h"

#include <nlohmann/json.hpp>

#include "export/MaterialOrigin.h"

#include "model/ResultColumns.h"

namespace tadmor::exporting {

namespace {

using Json = nlohmann::ordered_json;

const extruder::ExtruderRun* RunOf(const OperatingPointRow& row) {
    const auto& point = row.search->point;
    return point && point->run ? &*point->run : nullptr;
}

template <class Get>
auto RunNumber(Get get) {
    return [get](const OperatingPointRow& row) {
        const extruder::ExtruderRun* run = RunOf(row);
        return run ? Cell(get(*run)) : Cell();
    };
}

Json OperatingPointJson(const extruder::ExtruderRun& run) {
    return {{"OutputRate", run.throughput},
            {"ScrewSpeed", run.screwSpeed},
            {"pressure", run.tipPressure},
            {"dieDrop", run.dieDrop},
            {"meltTemperature", run.meltTemperature},
            {"drivePower", run.drivePower},
            {"specificEnergy", run.specificEnergy},
            {"residenceTime", run.residenceTime},
            {"barrelHeat", run.barrelHeatToMelt + run.barrelHeatToBed},
            {"pressureWork", run.pressureWork},
            {"meltingComplete", run.meltingComplete}};
}

}  // namespace

const extruder::ExtruderCalculation* Reported(const ExtruderAnswer& answer) {
    if (answer.calculation) return &*answer.calculation;
    return answer.search && answer.search->point ? &*answer.search->point : nullptr;
}

std::vector<Column<ProfileRowOf>> ProfileColumns() {
    std::vector<Column<ProfileRowOf>> columns = {
        {"FLIGHT (turns)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->flight); }},
        {"DEPTH (cm)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->depth); }},
        {"X/W (-)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->solidFraction); }},
        {"P (MPa)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->pressure); }},
        {"TM (degC)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->meltTemperature); }},
        {"drive power (kW)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->drivePower); }},
        {"film power (kW)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->filmPower); }},
        {"dissipation (kW)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->dissipation); }},
        {"barrel heat (kW)", CellType::Number, [](const ProfileRowOf& r) { return Cell(r.row->barrelHeat); }},
    };
    // The melting march's own columns beside them, on its rows.
    for (const ResultColumn& column : kResultColumns) {
        if (column.heading == "FLIGHT" || column.heading == "DEPTH" || column.heading == "X/W") continue;
        columns.push_back({std::string(column.heading) + " (" + std::string(column.unit) + ")", CellType::Number,
                           [values = column.values](const ProfileRowOf& r) {
                               return r.row->melting ? Cell((r.state->*values)[r.index]) : Cell();
                           }});
    }
    return columns;
}

std::vector<ProfileRowOf> ProfileRows(const extruder::ExtruderCalculation& calculation) {
    std::vector<ProfileRowOf> rows;
    if (!calculation.run) return rows;
    for (std::size_t i = 0; i < calculation.run->profile.size(); ++i)
        rows.push_back({&calculation.run->profile[i], &calculation.calculation.state, static_cast<int>(i) + 1});
    return rows;
}

std::string ExtruderJson(const inputs::Case& given, const extruder::ExtruderInputs& inputs,
                         const ExtruderAnswer& answer) {
    Json document = Json::object();
    Json values = Json::object();
    for (int i = 0; i < kNumericFieldCount; ++i) {
        const std::optional<double> value = TextToNumber(given.texts[i], given.separator);
        values[std::string(kInputFields[i].variable)] = value ? Json(*value) : Json(given.texts[i]);
    }
    values["FlightClearance"] = inputs.flightClearance;
    values["StartPressure"] = inputs.startPressure;
    values["MeltTemperatureLimit"] = inputs.meltTemperatureLimit ? Json(*inputs.meltTemperatureLimit) : Json();
    document["inputs"] = std::move(values);
    document["die"] = extruder::DieDescription(inputs.die);
    document["feed"] = answer.floodFed ? "flood" : "given";
    const extruder::ExtruderCalculation* reported = Reported(answer);
    const extruder::ExtruderRun* run = reported && reported->run ? &*reported->run : nullptr;
    document["operatingPoint"] = run && answer.floodFed ? OperatingPointJson(*run) : Json();
    if (run && !answer.floodFed) document["atThroughput"] = OperatingPointJson(*run);
    std::string none;
    if (answer.search && !answer.search->point) none = answer.search->none;
    if (reported && !reported->run) none = reported->error.empty() ? reported->calculation.message : reported->error;
    document["none"] = none.empty() ? Json() : Json(none);
    if (answer.search) document["calculations"] = answer.search->calculations;
    if (reported) {
        const RunSummary melting = Summarize(reported->calculation, {});
        document["melting"] = {{"outcome", melting.outcomeName},
                               {"meltingCompletedAtFlight",
                                melting.meltingIncrementFlight ? Json(*melting.meltingIncrementFlight) : Json()}};
    }
    Json rows = Json::array();
    if (reported) {
        const std::vector<Column<ProfileRowOf>> columns = ProfileColumns();
        for (const ProfileRowOf& row : ProfileRows(*reported)) {
            Json values = Json::object();
            for (const auto& column : columns) {
                const Cell cell = column.cell(row);
                const std::string name = column.name.substr(0, column.name.rfind(" ("));
                if (const double* number = std::get_if<double>(&cell)) values[name] = *number;
            }
            rows.push_back(std::move(values));
        }
    }
    document["rows"] = std::move(rows);
    Json warnings = Json::array();
    for (const Warning& warning : answer.warnings)
        warnings.push_back({{"code", warning.code}, {"message", warning.message}, {"where", warning.where}});
    document["warnings"] = std::move(warnings);
    document["material"] = MaterialJson(given.material);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::vector<Column<OperatingPointRow>> OperatingPointColumns(const analysis::VariedInput& over) {
    return {
        {std::string(analysis::NameOf(over)), CellType::Value,
         [](const OperatingPointRow& row) { return Cell(*row.overValue); }},
        {"OutputRate (kg/hr)", CellType::Number, RunNumber([](const auto& run) { return run.throughput; })},
        {"pressure (MPa)", CellType::Number, RunNumber([](const auto& run) { return run.tipPressure; })},
        {"melt temperature (degC)", CellType::Number, RunNumber([](const auto& run) { return run.meltTemperature; })},
        {"drive power (kW)", CellType::Number, RunNumber([](const auto& run) { return run.drivePower; })},
        {"specific energy (kWh/kg)", CellType::Number, RunNumber([](const auto& run) { return run.specificEnergy; })},
        {"residence time (s)", CellType::Number, RunNumber([](const auto& run) { return run.residenceTime; })},
        {"melting complete", CellType::Text,
         [](const OperatingPointRow& row) {
             const extruder::ExtruderRun* run = RunOf(row);
             return run ? Cell(std::string(run->meltingComplete ? "yes" : "no")) : Cell();
         }},
        {"outcome", CellType::Text,
         [](const OperatingPointRow& row) {
             return Cell(std::string(RunOf(row) ? "operating point" : "no operating point"));
         }},
        {"message", CellType::Text,
         [](const OperatingPointRow& row) {
             const auto& point = row.search->point;
             if (point && !point->run) return Cell(point->error.empty() ? point->calculation.message : point->error);
             return Cell(row.search->none);
         }},
    };
}

std::string OperatingPointsCsv(const analysis::VariedInput& over,
                               const std::vector<std::optional<extruder::OperatingPointSearch>>& results) {
    std::vector<OperatingPointRow> rows;
    for (std::size_t i = 0; i < results.size(); ++i)
        if (results[i]) rows.push_back({&over.values[i], &*results[i]});
    return CsvOf(OperatingPointColumns(over), rows);
}

}  // namespace tadmor::exporting
