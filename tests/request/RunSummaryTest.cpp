// The one summary of a calculation: what each outcome gives, the two FLIGHTs
// of complete melting told apart, and X/W at the end of the screw.
#include "app/request/RunSummary.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tadmor {
namespace {

Calculation CalculateWith(std::initializer_list<std::pair<const char*, const char*>> texts) {
    FieldTexts given = DefaultFieldTexts();
    for (const auto& [name, text] : texts) given[FieldIndexOf(name)] = text;
    return Calculate(given, '.');
}

TEST(RunSummary, MeltingCompletedInAnIncrementAndWithinIt) {
    const Calculation calculation = CalculateWith({{"OutputRate", "250"}});
    const RunSummary run = Summarize(calculation, {});
    const SimulationState& s = calculation.state;
    EXPECT_EQ(run.outcomeName, "melting completed");
    EXPECT_EQ(run.rows, s.StepCount);
    ASSERT_TRUE(run.meltingIncrementFlight && run.interpolatedMeltedFlight);
    // The increment after the last row: its middle, and a point inside it
    // past the last row, where X/W fell from above 0.002 to below it.
    EXPECT_EQ(*run.meltingIncrementFlight, IncrementFlight(s));
    const double halfStep = s.StepLength / TurnLength(s) / 2;
    EXPECT_LE(std::fabs(*run.interpolatedMeltedFlight - *run.meltingIncrementFlight), halfStep * (1 + 1e-12));
    EXPECT_GT(*run.interpolatedMeltedFlight, s.ResFlight[s.StepCount]);
    EXPECT_GT(s.ResSolidFraction[s.StepCount], kMeltedFraction);
    // No solid is left at the end of the screw; the powers are the last row's.
    EXPECT_EQ(run.solidFractionAtEnd, 0.0);
    EXPECT_EQ(run.solidFlowRatioAtEnd, 0.0);
    EXPECT_EQ(run.totalPower, s.ResTotalPower[s.StepCount]);
    EXPECT_EQ(run.viscousPower, s.ResViscousPower[s.StepCount]);
}

TEST(RunSummary, SolidAtTheEndIsTheLastRowsAndRefusalsAndErrorsOnlyTheirMessage) {
    const Calculation end = CalculateWith({});
    const RunSummary run = Summarize(end, RunWarnings(end.state));
    EXPECT_EQ(run.outcomeName, "end of screw");
    EXPECT_FALSE(run.meltingIncrementFlight || run.interpolatedMeltedFlight);
    EXPECT_EQ(run.solidFractionAtEnd, end.state.ResSolidFraction[end.state.StepCount]);
    EXPECT_EQ(run.solidFlowRatioAtEnd, end.state.ResSolidFlowRatio[end.state.StepCount]);
    EXPECT_EQ(WarningCodes(run), "bed-wider-than-channel");

    const struct {
        Calculation calculation;
        const char* outcome;
    } failed[] = {{CalculateWith({{"OutputRate", "0"}}), "invalid input"},
                  {CalculateWith({{"BarrelC0", "200"}}), "calculation error"}};
    for (const auto& f : failed) {
        const RunSummary summary = Summarize(f.calculation, {});
        EXPECT_EQ(summary.outcomeName, f.outcome);
        EXPECT_EQ(summary.message, f.calculation.message);
        EXPECT_FALSE(summary.message.empty());
        EXPECT_EQ(summary.rows, 0);
        EXPECT_FALSE(summary.solidFractionAtEnd || summary.totalPower || summary.meltingIncrementFlight);
    }
    EXPECT_EQ(failed[0].calculation.refusedField, FieldIndexOf("OutputRate"));
}

}  // namespace
}  // namespace tadmor
