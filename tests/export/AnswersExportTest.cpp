// The documents of the answers: a solve's JSON and its curve's CSV, and a
// sensitivity's JSON and table, from results made by hand.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "export/SensitivityExport.h"
#include "export/SolveExport.h"

namespace tadmor::exporting {
namespace {

using namespace tadmor::analysis;

const int kOutputRate = FieldIndexOf("OutputRate");

Point PointAt(double value, bool melted, double flight = 0) {
    Point point;
    point.value = value;
    point.text = ValueText(kOutputRate, value, '.');
    point.run.outcome = RequestOutcome::Completed;
    point.run.outcomeName = melted ? "melting completed" : "end of screw";
    point.run.rows = 120;
    if (melted) point.run.meltingIncrementFlight = flight;
    point.run.solidFractionAtEnd = melted ? 0 : 0.02;
    point.run.totalPower = 38.5;
    point.run.viscousPower = 31;
    point.run.warnings = {{"bed-wider-than-channel", "", ""}, {"bed-wider-than-channel", "", ""}};
    point.met = melted;
    return point;
}

Point FailedAt(double value, RequestOutcome outcome, const std::string& message) {
    Point point;
    point.value = value;
    point.text = ValueText(kOutputRate, value, '.');
    point.run.outcome = outcome;
    point.run.outcomeName = OutcomeName(outcome, false);
    point.run.message = message;
    return point;
}

TEST(SolveJson, SolutionsBracketsAndBothEnds) {
    SolveProblem problem;
    problem.field = kOutputRate;
    problem.low = 75;
    problem.high = 600;
    SolveResult result;
    result.outcome = SolveOutcome::Solved;
    result.solutions.push_back({PointAt(254.8, true, 24.7), PointAt(254.9, false)});
    result.brackets.push_back({PointAt(401.2, true, 24.7), PointAt(400.8, false), "calculation error: no convergence"});
    result.low = PointAt(75, true, 12.1);
    result.high = FailedAt(600, RequestOutcome::CalculationError, "no convergence");
    result.calculations = 29;
    result.failures = 3;
    const auto json = nlohmann::json::parse(SolveJson(problem, result));
    EXPECT_EQ(json["input"], "OutputRate");
    EXPECT_EQ(json["target"], "melting completed by the end of the screw");
    EXPECT_EQ(json["calculations"], 29);
    EXPECT_EQ(json["failedCalculations"], 3);
    EXPECT_EQ(json["outcome"], "solved");
    EXPECT_EQ(json["range"], nlohmann::json::array({75.0, 600.0}));
    const auto& solution = json["solutions"][0];
    EXPECT_EQ(solution["value"], 254.8);
    EXPECT_EQ(solution["notMetAt"], 254.9);
    EXPECT_EQ(solution["meltingCompletedAtFlight"], 24.7);
    EXPECT_EQ(solution["warnings"], nlohmann::json::array({"bed-wider-than-channel"}));  // each code once
    ASSERT_EQ(json["brackets"].size(), 1u);
    EXPECT_EQ(json["brackets"][0]["value"], 401.2);
    EXPECT_EQ(json["brackets"][0]["notMetAt"], 400.8);
    EXPECT_EQ(json["brackets"][0]["failedBetween"], "calculation error: no convergence");
    EXPECT_EQ(json["high"]["outcome"], "calculation error");
    EXPECT_EQ(json["high"]["message"], "no convergence");
    EXPECT_FALSE(json["high"].contains("rows"));
}

// Each value's outcome, its message where there is no solution, the
// solution's warnings, and the status line.
TEST(CurveCsv, TheLargestSolutionOrWhyThereIsNoneAtEachValue) {
    const VariedInput over = VariedText(FieldIndexOf("ScrewSpeed"), "+30,40,50,60,abc,80,90");
    SolveResult two;
    two.outcome = SolveOutcome::Solved;
    two.solutions = {{PointAt(100, true, 10), PointAt(100.1, false)},
                     {PointAt(250.3, true, 24.5), PointAt(250.4, false)}};
    two.calculations = 31;
    SolveResult none, throughout, bracket, refused, failed;
    none.low = PointAt(100, false);
    none.high = PointAt(300, false);
    none.calculations = 21;
    throughout = none;
    throughout.outcome = SolveOutcome::MetThroughout;
    bracket.outcome = SolveOutcome::Bracketed;
    bracket.brackets.push_back({PointAt(265.1, true, 24.7), PointAt(264.9, false), "calculation error: no film"});
    bracket.calculations = 28;
    refused.outcome = SolveOutcome::Refused;
    refused.low = FailedAt(100, RequestOutcome::InvalidInput, "Input value is not correct!");
    refused.calculations = 21;
    failed.outcome = SolveOutcome::Failed;
    failed.low = FailedAt(100, RequestOutcome::CalculationError, "no convergence");
    failed.calculations = 21;
    const std::string header =
        "ScrewSpeed,OutputRate,outcome,solutions,melting completed at FLIGHT (turns),X/W at end (-),POWER TOT (kW),"
        "POWER VIS (kW),calculations,message,warnings\n";
    EXPECT_EQ(CurveCsv(over, kOutputRate, {two, std::nullopt, none, throughout, refused, bracket, failed}),
              header +
                  "+30,250.3,solved,2,24.5,0,38.5,31,31,,bed-wider-than-channel\n"
                  "50,,no solution,0,,,,,21,not met in 100.0:300.0,\n"
                  "60,,met throughout,0,,,,,21,met throughout 100.0:300.0,\n"
                  "abc,,refused,0,,,,,21,Input value is not correct!,\n"
                  "80,,bracket,0,,,,,28,\"met at 265.1, not met at 264.9; between them calculation error: no film\",\n"
                  "90,,failed,0,,,,,21,no convergence,\n"
                  "# tadmor solve curve: incomplete, 6 of 7 values\n");
    EXPECT_TRUE(CurveCsv(over, kOutputRate, {two, two, two, two, two, two, two})
                    .ends_with(",bed-wider-than-channel\n# tadmor solve curve: complete\n"));
}

TEST(SensitivityJson, InputsRankedWithTheirChangesOrWhyNot) {
    SensitivityResult result;
    result.steps = {1, 2};
    result.base = PointAt(300, true, 20).run;
    result.base.interpolatedMeltedFlight = 20;
    result.calculations = 7;
    const auto response = [&](int field, StepKind kind, double base, double step, double powerHigh,
                              std::optional<double> flightLow) {
        InputResponse input;
        input.varied = {field};
        input.kind = kind;
        input.base = base;
        input.low = base - step;
        input.high = base + step;
        input.atLow = input.atHigh = result.base;
        input.atLow.interpolatedMeltedFlight = flightLow;
        if (!flightLow) input.atLow.outcomeName = "end of screw";
        input.atHigh.totalPower = powerHigh;
        input.atHigh.interpolatedMeltedFlight = 21;
        return input;
    };
    result.inputs = {response(FieldIndexOf("ScrewSpeed"), StepKind::Relative, 100, 1, 38.5, 19.6),
                     response(kOutputRate, StepKind::Relative, 100, 1, 38.5, std::nullopt),
                     response(FieldIndexOf("BarrelC0"), StepKind::Kelvin, 290, 2, 42.35, 19.6)};
    result.inputs[0].resolvingStep[static_cast<int>(Measure::Power)] = 4;
    const auto json = nlohmann::json::parse(SensitivityJson(result, Measure::Melting));
    EXPECT_EQ(json["base"]["interpolatedMeltedFlight"], 20);
    EXPECT_EQ(json["kelvin"], 2);
    ASSERT_EQ(json["inputs"].size(), 3u);
    // Ranked by the change across the step: both move FLIGHT from 19.6 to 21.
    const auto& speed = json["inputs"][0];
    EXPECT_EQ(speed["input"], "ScrewSpeed");
    EXPECT_EQ(speed["change"], "relative");
    EXPECT_EQ(speed["unit"], "elasticity");
    // (21 - 19.6) / 20 over 2 %: 3.5.
    EXPECT_NEAR(speed["melting"]["sensitivity"].get<double>(), 3.5, 1e-12);
    EXPECT_NEAR(speed["melting"]["lowPercent"].get<double>(), -2, 1e-12);
    EXPECT_EQ(speed["power"]["why"], "step below the resolution of POWER TOT: ±4 % resolves it");
    const auto& barrel = json["inputs"][1];
    EXPECT_EQ(barrel["input"], "BarrelC0");
    EXPECT_EQ(barrel["change"], "kelvin");
    EXPECT_EQ(barrel["unit"], "% per K");
    // 7 % over 4 K; the power 10 % up and unchanged down: 2.5 % per K.
    EXPECT_NEAR(barrel["melting"]["sensitivity"].get<double>(), 1.75, 1e-12);
    EXPECT_NEAR(barrel["power"]["sensitivity"].get<double>(), 2.5, 1e-12);
    EXPECT_EQ(json["inputs"][2]["melting"]["why"], "melting not completed at -1 %");

    const std::vector<SensitivityRow> rows = RankedRows(result, Measure::Melting);
    const std::vector<Column<SensitivityRow>> columns = SensitivityColumns();
    EXPECT_EQ(columns[6].name, "melting sensitivity");
    EXPECT_NEAR(std::get<double>(columns[6].cell(rows[0])), 3.5, 1e-12);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(columns[6].cell(rows[2])));
    EXPECT_EQ(columns[9].name, "melting why");
    EXPECT_EQ(std::get<std::string>(columns[9].cell(rows[2])), "melting not completed at -1 %");
    EXPECT_EQ(columns.back().name, "power why");
    EXPECT_EQ(std::get<std::string>(columns.back().cell(rows[0])), json["inputs"][0]["power"]["why"]);
}

}  // namespace
}  // namespace tadmor::exporting
