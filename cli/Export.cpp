#include "cli/Export.h"

#include <nlohmann/json.hpp>

#include "app/request/TextToNumber.h"

namespace tadmor::cli {

std::string OutcomeName(RequestOutcome outcome, const SimulationState& state) {
    switch (outcome) {
        case RequestOutcome::Completed: return MeltingCompleted(state) ? "melting completed" : "end of screw";
        case RequestOutcome::InvalidInput: return "invalid input";
        case RequestOutcome::FileNotWritten: return "file not written";
        case RequestOutcome::CalculationError: return "calculation error";
    }
    return "calculation error";
}

std::optional<double> MeltingFlight(RequestOutcome outcome, const SimulationState& state) {
    if (outcome != RequestOutcome::Completed || !MeltingCompleted(state)) return std::nullopt;
    return IncrementFlight(state);
}

std::string ResultsCsv(const SimulationState& state) {
    std::string csv;
    for (const ResultColumn& column : kResultColumns) {
        if (!csv.empty()) csv += ',';
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

std::string ResultsJson(const FieldTexts& texts, char separator, const SimulationState& state,
                        RequestOutcome outcome, const std::string& message,
                        const std::vector<Warning>& warnings) {
    using Json = nlohmann::ordered_json;
    Json inputs = Json::object();
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string name(kInputFields[i].variable);
        const std::optional<double> value =
            i < kNumericFieldCount ? TextToNumber(texts[i], separator) : std::nullopt;
        inputs[name] = value ? Json(*value) : Json(texts[i]);
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
    const std::optional<double> flight = MeltingFlight(outcome, state);

    Json document = Json::object();
    document["inputs"] = std::move(inputs);
    document["outcome"] = OutcomeName(outcome, state);
    document["message"] = message.empty() ? Json(nullptr) : Json(message);
    document["rowsRecorded"] = state.StepCount;
    document["meltingCompletedAtFlight"] = flight ? Json(*flight) : Json(nullptr);
    document["columns"] = std::move(columns);
    document["rows"] = std::move(rows);
    Json warningList = Json::array();
    for (const Warning& warning : warnings)
        warningList.push_back({{"code", warning.code}, {"message", warning.message}, {"where", warning.where}});
    document["warnings"] = std::move(warningList);
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

SimulationState StateFromResultsFile(const ResultsFileContents& contents, const std::string& name) {
    SimulationState state;
    for (int i = 0; i < kInputLineCount; ++i) state.*kInputFields[i].value = contents.inputs[i];
    state.ResultFileName = name;
    state.StepCount = static_cast<int>(contents.rows.size());
    for (std::size_t c = 0; c < kResultColumns.size(); ++c) {
        std::vector<double>& values = state.*kResultColumns[c].values;
        values.assign(1, 0.0);  // row i at index i
        for (const auto& row : contents.rows) values.push_back(row[c]);
    }
    return state;
}

}  // namespace tadmor::cli
