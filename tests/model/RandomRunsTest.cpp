// Randomised runs: a few hundred plausible screws and operating points, drawn
// with a fixed seed. Each run must end with rows or with a clear error, and
// its rows must keep the invariants of a correct march.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace tadmor {
namespace {

// Screws scaled to the diameter, operating points scaled to the screw; the
// viscosity law and the thermal properties keep the window's fixed values.
// With `hotBarrel` the barrel lies between 270 and 350 degC along the whole
// screw (above the melting point); otherwise it may fall below it.
SimulationState Draw(std::mt19937& random, bool hotBarrel) {
    const auto uniform = [&random](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    for (;;) {
        SimulationState s = test::DefaultInputs();
        const double d = uniform(4, 25);
        s.ScrewDiameter = d;
        s.FeedTurns = uniform(4, 12);
        s.CompressionTurns = uniform(3, 10);
        s.MeteringTurns = uniform(4, 12);
        s.DelayTurns = uniform(0.5, s.FeedTurns + 1);  // now and then past the feed zone
        s.FeedDepth = d * uniform(0.08, 0.2);
        s.MeteringDepth = s.FeedDepth * uniform(0.25, 0.6);
        s.ScrewPitch = d * uniform(0.8, 1.2);
        s.FlightWidth = d * uniform(0.06, 0.12);
        s.ScrewSpeed = uniform(20, 120);
        s.OutputRate = 300 * std::pow(d / 15, 2.2) * (s.ScrewSpeed / 38) * uniform(0.3, 1.2);
        s.BarrelC0 = uniform(275, 330);
        s.BarrelC1 = uniform(-0.2, 0.05);
        s.BarrelC2 = uniform(-0.02, 0.02);
        s.SolidTemp = uniform(20, 120);
        if (!hotBarrel) return s;
        // The barrel temperature at the start of melting and beyond the end of the screw.
        const double axialLength = (s.FeedTurns - s.DelayTurns + s.CompressionTurns + s.MeteringTurns) * s.ScrewPitch;
        const double atStart = s.BarrelC0 * (1 - s.BarrelC1);
        const double atEnd = s.BarrelC0 * (1 - s.BarrelC1 * std::exp(s.BarrelC2 * axialLength));
        if (atStart >= 270 && atStart <= 350 && atEnd >= 270 && atEnd <= 350) return s;
    }
}

std::string Describe(const SimulationState& s) {
    return "D " + std::to_string(s.ScrewDiameter) + " turns " + std::to_string(s.FeedTurns) + "/" +
           std::to_string(s.CompressionTurns) + "/" + std::to_string(s.MeteringTurns) + " delay " +
           std::to_string(s.DelayTurns) + " rpm " + std::to_string(s.ScrewSpeed) + " kg/hr " +
           std::to_string(s.OutputRate) + " C " + std::to_string(s.BarrelC0) + " " + std::to_string(s.BarrelC1) + " " +
           std::to_string(s.BarrelC2);
}

void ExpectRowsHoldTheInvariants(const SimulationState& s) {
    const double totalTurns = s.FeedTurns + s.CompressionTurns + s.MeteringTurns;
    for (int i = 1; i <= s.StepCount; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const double flight = s.ResFlight[i], depth = s.ResDepth[i];
        const double xw = s.ResSolidFraction[i], qs = s.ResSolidFlowRatio[i];
        // Rows lie between the start of melting and half a step past the screw's end.
        EXPECT_GT(flight, s.DelayTurns);
        EXPECT_LT(flight, totalTurns + 0.1 + 1e-9);
        EXPECT_LE(depth, s.FeedDepth);
        EXPECT_GE(depth, s.MeteringDepth * (1 - 1e-9));
        // A recorded increment still has a solid bed; melt only accumulates.
        EXPECT_GT(xw, 0.002);
        EXPECT_LT(qs, 1);
        EXPECT_GE(s.ResBarrelTemp[i], 270 - 1e-9);
        EXPECT_LE(s.ResBarrelTemp[i], 350 + 1e-9);
        // The film lies between the solid bed at the melting point and the hotter barrel.
        EXPECT_GT(s.ResSolvedMidTemp[i], s.MeltingPoint);
        EXPECT_GT(s.ResFilmAvgTemp[i], s.MeltingPoint);
        EXPECT_GT(s.ResFilmThickness[i], 0);
        EXPECT_GT(s.ResInversePsi[i], 0);
        EXPECT_GT(s.ResTotalPower[i], 0);
        if (i == 1) continue;
        EXPECT_GT(flight, s.ResFlight[i - 1]);
        EXPECT_LE(depth, s.ResDepth[i - 1]);
        EXPECT_LE(qs, s.ResSolidFlowRatio[i - 1]);
        EXPECT_GE(s.ResTotalPower[i], s.ResTotalPower[i - 1]);
        EXPECT_GE(s.ResViscousPower[i], s.ResViscousPower[i - 1]);
        // Where the channel keeps its depth over the increment, the solid bed
        // can only narrow (in the compression zone the model lets it widen).
        if (i < s.StepCount && s.ResDepth[i + 1] == depth) {
            EXPECT_LE(xw, s.ResSolidFraction[i - 1]);
        }
    }
}

void ExpectIdenticalRows(const SimulationState& a, const SimulationState& b) {
    ASSERT_EQ(a.StepCount, b.StepCount);
    const std::vector<double> SimulationState::*columns[] = {
        &SimulationState::ResFlight,         &SimulationState::ResDepth,         &SimulationState::ResSolidFraction,
        &SimulationState::ResSolidFlowRatio, &SimulationState::ResBarrelTemp,    &SimulationState::ResSolvedMidTemp,
        &SimulationState::ResFilmAvgTemp,    &SimulationState::ResFilmThickness, &SimulationState::ResInversePsi,
        &SimulationState::ResTotalPower,     &SimulationState::ResViscousPower};
    for (auto column : columns)
        for (int i = 1; i <= a.StepCount; ++i) ASSERT_EQ((a.*column)[i], (b.*column)[i]) << "row " << i;
}

TEST(RandomRuns, PlausibleInputsGiveRowsThatKeepTheInvariants) {
    std::mt19937 random(20261207);
    int melted = 0;
    for (int run = 0; run < 250; ++run) {
        SimulationState s = Draw(random, true);
        SCOPED_TRACE("run " + std::to_string(run) + ": " + Describe(s));
        const SimulationState inputs = s;
        ASSERT_NO_THROW(RunMarch(s));
        ExpectRowsHoldTheInvariants(s);
        melted += MeltingCompleted(s);

        SimulationState again = inputs;
        RunMarch(again);
        ExpectIdenticalRows(s, again);
        if (HasFatalFailure() || HasNonfatalFailure()) return;
    }
    // The draw covers both ways a run ends.
    EXPECT_GT(melted, 50);
    EXPECT_LT(melted, 200);
}

// With barrels that may fall below the melting point some runs fail; each
// ends with rows or with an error that names the fault and the increment.
TEST(RandomRuns, EveryRunEndsWithRowsOrAClearError) {
    std::mt19937 random(7);
    int errors = 0;
    for (int run = 0; run < 150; ++run) {
        SimulationState s = Draw(random, false);
        SCOPED_TRACE("run " + std::to_string(run) + ": " + Describe(s));
        try {
            RunMarch(s);
            EXPECT_GE(s.StepCount, 0);
        } catch (const ArithmeticError& e) {
            ++errors;
            EXPECT_NE(std::string(e.what()).find(" at increment "), std::string::npos) << e.what();
        } catch (const ConvergenceError& e) {
            ++errors;
            EXPECT_NE(std::string(e.what()).find(" did not converge in "), std::string::npos) << e.what();
        }
    }
    EXPECT_GT(errors, 0);
}

}  // namespace
}  // namespace tadmor
