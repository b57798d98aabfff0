#include "export/RunExport.h"

#include <nlohmann/json.hpp>

#include "export/MaterialOrigin.h"
#include "export/Table.h"
#include "model/NumberText.h"
#include "model/ResultColumns.h"

namespace tadmor::exporting {

std::string ResultsCsv(const SimulationState& state, const std::optional<material::Material>& material) {
    std::string csv = MaterialComment(material);
    const std::size_t headerStart = csv.size();
    for (const ResultColumn& column : kResultColumns) {
        if (csv.size() > headerStart) csv += ',';
        csv += std::string(column.heading) + " (" + std::string(column.unit) + ")";
    }
    csv += '\n';
    for (int row = 1; row <= state.StepCount; ++row) {
        for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
            if (i > 0) csv += ',';
            csv += ExactNumber((state.*kResultColumns[i].values)[row]);
        }
        csv += '\n';
    }
    return csv;
}

std::string ResultsJson(const inputs::Case& given, const Calculation& calculation,
                        const std::vector<Warning>& warnings) {
    using Json = nlohmann::ordered_json;
    const SimulationState& state = calculation.state;
    Json inputs = Json::object();
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string name(kInputFields[i].variable);
        const std::optional<double> value =
            i < kNumericFieldCount ? TextToNumber(given.texts[i], given.separator) : std::nullopt;
        inputs[name] = value ? Json(*value) : Json(given.texts[i]);
    }
    Json columns = Json::array();
    for (const ResultColumn& column : kResultColumns)
        columns.push_back({{"name", column.heading}, {"unit", column.unit}});
    Json rows = Json::array();
    for (int row = 1; row <= state.StepCount; ++row) {
        Json values = Json::object();
        for (const ResultColumn& column : kResultColumns)
            values[std::string(column.heading)] = (state.*column.values)[row];
        rows.push_back(std::move(values));
    }
    const RunSummary summary = Summarize(calculation, {});

    Json document = Json::object();
    document["inputs"] = std::move(inputs);
    document["outcome"] = summary.outcomeName;
    document["message"] = calculation.message.empty() ? Json(nullptr) : Json(calculation.message);
    document["rowsRecorded"] = state.StepCount;
    document["meltingCompletedAtFlight"] =
        summary.meltingIncrementFlight ? Json(*summary.meltingIncrementFlight) : Json(nullptr);
    document["columns"] = std::move(columns);
    document["rows"] = std::move(rows);
    Json warningList = Json::array();
    for (const Warning& warning : warnings)
        warningList.push_back({{"code", warning.code}, {"message", warning.message}, {"where", warning.where}});
    document["warnings"] = std::move(warningList);
    document["material"] = MaterialJson(given.material);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tadmor::exporting
