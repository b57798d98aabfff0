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
#include "model/NumberText.h"
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
        Sensitivity(VanishingViscosityTexts(), {{kOutputRate}, {kScrewSpeed}, {kConductivity}, {kBarrelC1}}, {}, {2});
    ASSERT_EQ(result.base.outcome, RequestOutcome::Completed);
    ASSERT_TRUE(result.base.interpolatedMeltedFlight.has_value());
    EXPECT_NEAR(*result.base.interpolatedMeltedFlight, flight, 1e-8);
    EXPECT_EQ(result.calculations, 1 + 3 * 2);  // BarrelC1 is 0: not changed

    const double expected[] = {z / flight, z / flight * PowerElasticity(-0.5), z / flight * PowerElasticity(-0.5)};
    for (int i = 0; i < 3; ++i) {
        const InputResponse& input = result.inputs[i];
        const Change change = ChangeOf(result, input, Measure::Melting);
        ASSERT_TRUE(change.sensitivity.has_value()) << change.why;
        EXPECT_NEAR(*change.sensitivity, expected[i], 1e-9) << InputName(input);
        // The input really moved by 1 % either way, and the output by its share.
        EXPECT_NEAR(input.low / input.base, 0.99, 1e-15);
        EXPECT_NEAR(input.high / input.base, 1.01, 1e-15);
        EXPECT_NEAR(*change.highPercent - *change.lowPercent, 2 * *change.sensitivity, 1e-9);
    }
    const Change none = ChangeOf(result, result.inputs[3], Measure::Melting);
    EXPECT_FALSE(none.sensitivity.has_value());
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
    const SensitivityResult result = Sensitivity(atCapacity, {{kOutputRate}}, {});
    for (const Measure measure : {Measure::Melting, Measure::Power}) {
        const Change change = ChangeOf(result, result.inputs[0], measure);
        EXPECT_FALSE(change.sensitivity.has_value());
        EXPECT_EQ(change.why, "melting not completed at +1 %");
    }

    // Lowered by 100 %, the screw speed is 0 and refused.
    const SensitivityResult halted = Sensitivity(inputs::DefaultCase(), {{kScrewSpeed}}, {100, 1});
    const Change refused = ChangeOf(halted, halted.inputs[0], Measure::Melting);
    EXPECT_EQ(refused.why.rfind("refused at -100 %: ", 0), 0u) << refused.why;

    // A base case that fails runs nothing more.
    inputs::Case cold = inputs::DefaultCase();
    cold.texts[FieldIndexOf("BarrelC0")] = "200.0";
    const SensitivityResult failed = Sensitivity(cold, {{kScrewSpeed}}, {});
    EXPECT_EQ(failed.base.outcome, RequestOutcome::CalculationError);
    EXPECT_EQ(failed.calculations, 1);
    EXPECT_TRUE(failed.inputs.empty());
}

TEST(Sensitivity, WithoutCompleteMeltingTheSolidLeftAtTheEndIsMeasured) {
    // The default case ends with X/W 0.094: more throughput leaves more solid,
    // a faster screw or a hotter barrel less.
    const SensitivityResult result =
        Sensitivity(inputs::DefaultCase(), {{kOutputRate}, {kScrewSpeed}, {FieldIndexOf("BarrelC0")}}, {}, {2});
    ASSERT_FALSE(result.base.interpolatedMeltedFlight.has_value());
    EXPECT_GT(*result.base.solidFractionAtEnd, 0.05);
    EXPECT_GT(*ChangeOf(result, result.inputs[0], Measure::Melting).sensitivity, 0);
    EXPECT_LT(*ChangeOf(result, result.inputs[1], Measure::Melting).sensitivity, 0);
    EXPECT_LT(*ChangeOf(result, result.inputs[2], Measure::Melting).sensitivity, 0);
    // More throughput melted takes more power.
    EXPECT_GT(*ChangeOf(result, result.inputs[0], Measure::Power).sensitivity, 0);
}

// X/W at the end and POWER TOT of a calculation of `texts`, which completes.
std::pair<double, double> XwAndPower(const inputs::Case& texts) {
    const RunSummary run = inputs::Summarize(texts, inputs::Calculate(texts));
    EXPECT_EQ(run.outcome, RequestOutcome::Completed) << run.message;
    return {run.solidFractionAtEnd.value_or(NAN), run.totalPower.value_or(NAN)};
}

inputs::Case With(inputs::Case texts, const char* name, double value) {
    texts.texts[FieldIndexOf(name)] = ExactNumber(value);
    return texts;
}

// A temperature moves by kelvin, the viscosity level by a factor of the
// viscosity (a0 + ln(1 -+ step)): both against a pair of runs made here.
TEST(Sensitivity, KelvinAndViscosityLevelStepsAgreeWithADirectPairOfRuns) {
    const inputs::Case base = inputs::DefaultCase();
    const double a0 = 7.442;
    const struct {
        Varied varied;
        inputs::Case low, high;
        StepKind kind;
        double perStep;  // the output's relative change across the step, for one unit of the sensitivity
    } cases[] = {
        // in % per K: 4 K, and 100 % to a fraction
        {{FieldIndexOf("BarrelC0")}, With(base, "BarrelC0", 288), With(base, "BarrelC0", 292), StepKind::Kelvin, 0.04},
        {{-1, material::LawFactor::Level},
         With(base, "ViscA0", a0 + std::log(0.97)),
         With(base, "ViscA0", a0 + std::log(1.03)),
         StepKind::Relative,
         0.06},
    };
    const auto [xw0, power0] = XwAndPower(base);
    for (const auto& c : cases) {
        const SensitivityResult result = Sensitivity(base, {c.varied}, {3, 2}, {2});
        ASSERT_EQ(result.inputs.size(), 1u);
        const InputResponse& input = result.inputs[0];
        EXPECT_EQ(input.kind, c.kind) << InputName(input);
        const auto [xwLow, powerLow] = XwAndPower(c.low);
        const auto [xwHigh, powerHigh] = XwAndPower(c.high);
        const Change melting = ChangeOf(result, input, Measure::Melting);
        const Change power = ChangeOf(result, input, Measure::Power);
        ASSERT_TRUE(melting.sensitivity && power.sensitivity) << melting.why << power.why;
        EXPECT_NEAR(*melting.sensitivity, (xwHigh - xwLow) / xw0 / c.perStep, 1e-9) << InputName(input);
        EXPECT_NEAR(*power.sensitivity, (powerHigh - powerLow) / power0 / c.perStep, 1e-9) << InputName(input);
        EXPECT_NEAR(*melting.lowPercent, 100 * (xwLow - xw0) / xw0, 1e-9) << InputName(input);
    }
}

// The factors n and b of the law at the reference point (the melting point
// and the mean film shear rate) read from the law itself, by central
// differences of ln eta; each moved by the step.
TEST(Sensitivity, LawIndexAndTemperatureSensitivityAreTakenAtTheReference) {
    const SensitivityResult result = Sensitivity(
        inputs::DefaultCase(), {{-1, material::LawFactor::Index}, {-1, material::LawFactor::Sensitivity}}, {}, {2});
    ASSERT_EQ(result.inputs.size(), 2u);
    EXPECT_EQ(result.referenceTemperature, 265);
    const double rate = result.referenceShearRate, t = result.referenceTemperature, h = 1e-4;
    const auto ln = [](double r, double temperature) {
        return std::log(ViscosityAt(7.442, -0.80314, -0.055098, 0.0047899, -0.00012377, 0.0047277, r, temperature));
    };
    const double n = 1 + (ln(rate * std::exp(h), t) - ln(rate * std::exp(-h), t)) / (2 * h);
    const double b = -(ln(rate, t + h) - ln(rate, t - h)) / (2 * h);
    for (const auto& [input, value] : {std::pair(&result.inputs[0], n), std::pair(&result.inputs[1], b)}) {
        EXPECT_NEAR(input->base, value, 1e-9) << InputName(*input);
        EXPECT_NEAR(input->low, 0.99 * value, 1e-9) << InputName(*input);
        EXPECT_NEAR(input->high, 1.01 * value, 1e-9) << InputName(*input);
        EXPECT_TRUE(ChangeOf(result, *input, Measure::Melting).sensitivity.has_value());
    }
}

// X/W at the end and POWER TOT move in whole increments with the length of
// the screw: where neither change moves them the line says which step does,
// or that none does; the interpolated melted FLIGHT keeps its exact 0.
TEST(Sensitivity, AMeasureUnmovedByTheStepSaysWhatStepMovesIt) {
    const int metering = FieldIndexOf("MeteringTurns");
    const inputs::Case base = inputs::DefaultCase();
    const std::pair<double, double> atBase = XwAndPower(base);
    // Direct runs: 1 % either way moves neither measure, 2 % moves both.
    EXPECT_EQ(XwAndPower(With(base, "MeteringTurns", 8.7 * 0.99)), atBase);
    EXPECT_EQ(XwAndPower(With(base, "MeteringTurns", 8.7 * 1.01)), atBase);
    const auto lowered = XwAndPower(With(base, "MeteringTurns", 8.7 * 0.98));
    const auto raised = XwAndPower(With(base, "MeteringTurns", 8.7 * 1.02));
    EXPECT_TRUE(lowered.first != atBase.first || raised.first != atBase.first);
    EXPECT_TRUE(lowered.second != atBase.second || raised.second != atBase.second);

    const SensitivityResult result = Sensitivity(base, {{metering}}, {}, {2});
    EXPECT_EQ(result.calculations, 1 + 2 + 2);
    const Change xw = ChangeOf(result, result.inputs[0], Measure::Melting);
    EXPECT_FALSE(xw.sensitivity.has_value());
    EXPECT_EQ(xw.why, "step below the resolution of X/W at the end: ±2 % resolves it");
    EXPECT_EQ(ChangeOf(result, result.inputs[0], Measure::Power).why,
              "step below the resolution of POWER TOT: ±2 % resolves it");

    // At 150 kg/hr melting completes in the metering zone, before its end
    // at any length allowed: the screw's length changes no result.
    const inputs::Case melts = With(base, "OutputRate", 150);
    const double power = XwAndPower(melts).second;
    for (const double turns : {8.7 * 0.36, 8.7 * 2})
        EXPECT_EQ(XwAndPower(With(melts, "MeteringTurns", turns)).second, power);
    const SensitivityResult melted = Sensitivity(melts, {{metering}}, {}, {2});
    const Change flight = ChangeOf(melted, melted.inputs[0], Measure::Melting);
    ASSERT_TRUE(flight.sensitivity.has_value()) << flight.why;
    EXPECT_EQ(*flight.sensitivity, 0);
    EXPECT_EQ(ChangeOf(melted, melted.inputs[0], Measure::Power).why, "no effect on POWER TOT up to ±100 %");
    EXPECT_EQ(melted.calculations, 1 + 2 + 7 * 2);  // 2, 4, ... 64 and 100 %
}

TEST(Sensitivity, StoppedItLeavesOutTheInputsNotRun) {
    StopFlag stop = 0;
    const SensitivityResult result = Sensitivity(inputs::DefaultCase(), {{kOutputRate}, {kScrewSpeed}}, {},
                                                 {1, &stop, [&](std::size_t, std::size_t done, std::size_t) {
                                                      if (done == 2) stop = 1;
                                                  }});
    ASSERT_EQ(result.inputs.size(), 1u);
    EXPECT_EQ(result.inputs[0].varied.field, kOutputRate);
    EXPECT_EQ(result.calculations, 3);
}

}  // namespace
}  // namespace tadmor::analysis
