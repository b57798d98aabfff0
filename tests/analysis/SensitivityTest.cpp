// Sensitivity of the melting against Tadmor's closed form: with a melt of
// vanishing viscosity the melting length z from the start of melting is
// 2 H (1 - sqrt(0.002)) / psi to the melted fraction, psi proportional to
// sqrt(screw speed x conductivity) / throughput (support/ClosedFormMelting.h).
// So z scales exactly as G, N^-1/2 and k^-1/2, and the elasticity of the
// melted FLIGHT F = delay + z follows by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/Sensitivity.h"
#include "analysis/Solve.h"
#include "support/ClosedFormMelting.h"

namespace tadmor::analysis {
namespace {

const int kOutputRate = FieldIndexOf("OutputRate");
const int kScrewSpeed = FieldIndexOf("ScrewSpeed");
const int kConductivity = FieldIndexOf("MeltConductivity");
const int kBarrelC1 = FieldIndexOf("BarrelC1");

// The texts of test::VanishingViscosity with melting a turn into a long feed zone.
inputs::Case VanishingViscosityTexts() {
    inputs::Case texts = inputs::DefaultCase();
    for (const auto& [name, text] : {std::pair{"ViscA0", "-30"},
                                     {"ViscA1", "0"},
                                     {"ViscA11", "0"},
                                     {"ViscA2", "-0.01"},
                                     {"ViscA22", "0"},
                                     {"ViscA12", "0"},
                                     {"OutputRate", "150"},
                                     {"DelayTurns", "1"},
                                     {"FeedTurns", "41"}})
        texts.texts[FieldIndexOf(name)] = text;
    return texts;
}

// The central difference of x^power at 1 -+ 1 %, over 2 %.
double PowerElasticity(double power) { return (std::pow(1.01, power) - std::pow(0.99, power)) / 0.02; }

TEST(Sensitivity, MeltedFlightFollowsTheClosedFormScalings) {
    SimulationState s = test::VanishingViscosity();
    s.DelayTurns = 1;
    s.FeedTurns = 41;
    const test::Channel c = test::Derive(s);
    const double z = 2 * s.FeedDepth * (1 - std::sqrt(test::kMelted)) / c.psi / c.turnLength;  // turns
    const double flight = s.DelayTurns + z;

    const SensitivityResult result =
        Sensitivity(VanishingViscosityTexts(), {kOutputRate, kScrewSpeed, kConductivity, kBarrelC1}, 1, {2});
    ASSERT_EQ(result.base.outcome, RequestOutcome::Completed);
    ASSERT_TRUE(result.base.interpolatedMeltedFlight.has_value());
    EXPECT_NEAR(*result.base.interpolatedMeltedFlight, flight, 1e-8);
    EXPECT_EQ(result.calculations, 1 + 3 * 2);  // BarrelC1 is 0: not changed

    const double expected[] = {z / flight, z / flight * PowerElasticity(-0.5), z / flight * PowerElasticity(-0.5)};
    for (int i = 0; i < 3; ++i) {
        const InputResponse& input = result.inputs[i];
        const Change change = ChangeOf(result, input, Measure::Melting);
        ASSERT_TRUE(change.elasticity.has_value()) << change.why;
        EXPECT_NEAR(*change.elasticity, expected[i], 1e-9) << kInputFields[input.field].variable;
        // The input really moved by 1 % either way, and the output by its share.
        EXPECT_NEAR(input.low / input.base, 0.99, 1e-15);
        EXPECT_NEAR(input.high / input.base, 1.01, 1e-15);
        EXPECT_NEAR(*change.highPercent - *change.lowPercent, 2 * *change.elasticity, 1e-9);
    }
    const Change none = ChangeOf(result, result.inputs[3], Measure::Melting);
    EXPECT_FALSE(none.elasticity.has_value());
    EXPECT_EQ(none.why, "base value 0: no relative change");
}

TEST(Sensitivity, CasesThatEndDifferentlyAreNamedInsteadOfANumber) {
    // At the melting capacity 1 % more throughput no longer melts by the end.
    SolveProblem capacity;
    capacity.base = inputs::DefaultCase();
    capacity.field = kOutputRate;
    capacity.low = 20;
    capacity.high = 600;
    const SolveResult solved = Solve(capacity);
    ASSERT_EQ(solved.solutions.size(), 1u);
    inputs::Case atCapacity = inputs::DefaultCase();
    atCapacity.texts[kOutputRate] = ValueText(kOutputRate, solved.solutions[0].met.value, '.');
    const SensitivityResult result = Sensitivity(atCapacity, {kOutputRate}, 1);
    for (const Measure measure : {Measure::Melting, Measure::Power}) {
        const Change change = ChangeOf(result, result.inputs[0], measure);
        EXPECT_FALSE(change.elasticity.has_value());
        EXPECT_EQ(change.why, "melting not completed at +1 %");
    }

    // Lowered by 100 %, the screw speed is 0 and refused.
    const SensitivityResult halted = Sensitivity(inputs::DefaultCase(), {kScrewSpeed}, 100);
    const Change refused = ChangeOf(halted, halted.inputs[0], Measure::Melting);
    EXPECT_EQ(refused.why.rfind("refused at -100 %: ", 0), 0u) << refused.why;

    // A base case that fails runs nothing more.
    inputs::Case cold = inputs::DefaultCase();
    cold.texts[FieldIndexOf("BarrelC0")] = "200.0";
    const SensitivityResult failed = Sensitivity(cold, {kScrewSpeed}, 1);
    EXPECT_EQ(failed.base.outcome, RequestOutcome::CalculationError);
    EXPECT_EQ(failed.calculations, 1);
    EXPECT_TRUE(failed.inputs.empty());
}

TEST(Sensitivity, WithoutCompleteMeltingTheSolidLeftAtTheEndIsMeasured) {
    // The default case ends with X/W 0.094: more throughput leaves more solid,
    // a faster screw or a hotter barrel less.
    const SensitivityResult result =
        Sensitivity(inputs::DefaultCase(), {kOutputRate, kScrewSpeed, FieldIndexOf("BarrelC0")}, 1, {2});
    ASSERT_FALSE(result.base.interpolatedMeltedFlight.has_value());
    EXPECT_GT(*result.base.solidFractionAtEnd, 0.05);
    EXPECT_GT(*ChangeOf(result, result.inputs[0], Measure::Melting).elasticity, 0);
    EXPECT_LT(*ChangeOf(result, result.inputs[1], Measure::Melting).elasticity, 0);
    EXPECT_LT(*ChangeOf(result, result.inputs[2], Measure::Melting).elasticity, 0);
    // More throughput melted takes more power.
    EXPECT_GT(*ChangeOf(result, result.inputs[0], Measure::Power).elasticity, 0);
}

TEST(Sensitivity, StoppedItLeavesOutTheInputsNotRun) {
    StopFlag stop = 0;
    const SensitivityResult result = Sensitivity(inputs::DefaultCase(), {kOutputRate, kScrewSpeed}, 1,
                                                 {1, &stop, [&](std::size_t, std::size_t done, std::size_t) {
                                                      if (done == 2) stop = 1;
                                                  }});
    ASSERT_EQ(result.inputs.size(), 1u);
    EXPECT_EQ(result.inputs[0].field, kOutputRate);
    EXPECT_EQ(result.calculations, 3);
}

}  // namespace
}  // namespace tadmor::analysis
