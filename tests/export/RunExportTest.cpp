// A run's CSV and JSON: every number reads back to the state's double, the
// inputs as given, and the outcome with the FLIGHT of the melting increment.
#include "export/RunExport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

#include "model/ResultColumns.h"

namespace tadmor::exporting {
namespace {

TEST(ResultsCsv, EveryRowAtFullPrecision) {
    const Calculation calculation = inputs::Calculate(inputs::DefaultCase());
    const SimulationState& s = calculation.state;
    std::istringstream csv(ResultsCsv(s));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line,
              "FLIGHT (turns),DEPTH (cm),X/W (-),QS/QT (-),TB (degC),T121 (degC),TAV (degC),FILM (cm),"
              "1/PSAI (-),POWER TOT (kW),POWER VIS (kW)");
    int row = 0;
    while (std::getline(csv, line)) {
        ++row;
        std::istringstream fields(line);
        std::string field;
        for (const ResultColumn& column : kResultColumns) {
            ASSERT_TRUE(std::getline(fields, field, ','));
            EXPECT_EQ(std::strtod(field.c_str(), nullptr), (s.*column.values)[row]) << column.heading << " " << row;
        }
    }
    EXPECT_EQ(row, s.StepCount);
}

TEST(ResultsJson, TheInputsAsGivenTheOutcomeAndTheRows) {
    inputs::Case given = inputs::DefaultCase(',');
    inputs::SetInput(given, "OutputRate", "250,5", "--set");
    const Calculation melted = inputs::Calculate(given);
    const auto json = nlohmann::json::parse(ResultsJson(given, melted, RunWarnings(melted.state)));
    EXPECT_EQ(json["inputs"]["OutputRate"], 250.5);
    EXPECT_EQ(json["inputs"]["ResultFileName"], "result.txt");
    EXPECT_EQ(json["outcome"], "melting completed");
    EXPECT_TRUE(json["message"].is_null());
    EXPECT_EQ(json["meltingCompletedAtFlight"], IncrementFlight(melted.state));
    EXPECT_EQ(json["rowsRecorded"], melted.state.StepCount);
    ASSERT_EQ(json["rows"].size(), static_cast<std::size_t>(melted.state.StepCount));
    EXPECT_EQ(json["rows"].back()["X/W"], melted.state.ResSolidFraction[melted.state.StepCount]);
    EXPECT_EQ(json["columns"][10]["name"], "POWER VIS");
    EXPECT_EQ(json["warnings"][0]["code"], "bed-wider-than-channel");

    inputs::SetInput(given, "ScrewSpeed", "fast", "--set");
    const Calculation refused = inputs::Calculate(given);
    const auto refusal = nlohmann::json::parse(ResultsJson(given, refused, {}));
    EXPECT_EQ(refusal["inputs"]["ScrewSpeed"], "fast");
    EXPECT_EQ(refusal["outcome"], "invalid input");
    EXPECT_EQ(refusal["message"], "Input value is not correct!");
    EXPECT_TRUE(refusal["meltingCompletedAtFlight"].is_null());
    EXPECT_TRUE(refusal["rows"].empty());
}

}  // namespace
}  // namespace tadmor::exporting
