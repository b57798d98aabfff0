#include <gtest/gtest.h>

#include <cmath>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"
#include "support/Digits.h"

namespace tadmor {
namespace {

using test::Near;
using test::RoundsTo;

double DefaultLaw(double shearRate, double temperature) {
    const SimulationState d = test::DefaultInputs();
    return ViscosityAt(d.ViscA0, d.ViscA1, d.ViscA11, d.ViscA2, d.ViscA22, d.ViscA12, shearRate, temperature);
}

// The state StartFirstIncrement sees in the worked example.
SimulationState FirstIncrementState() {
    SimulationState s = test::DefaultInputs();
    s.BarrelTemp = 290;
    s.RelativeSpeed = 30;
    return s;
}

// A state after a profile film solution, ready for either refit.
SimulationState RefitState() {
    SimulationState s = FirstIncrementState();
    StartFirstIncrement(s);
    s.FilmShearRate = 610.108;
    s.ProfileCoefB = 0.7875;
    s.ProfileCoefC = -0.940625;
    s.ProfileMidTemp = 281.354;
    s.FilmThickness = 0.0209890;
    s.RelativeSpeed = 26.5;
    return s;
}

// The fitted power law, eta = m exp(b (T - Tm)) rate^(n - 1).
double PowerLaw(const SimulationState& s, double shearRate, double temperature) {
    return s.Consistency * std::exp(s.TempSensitivity * (temperature - s.MeltingPoint)) *
           std::pow(shearRate, s.PowerLawIndex - 1);
}

class ViscosityTest : public ::testing::Test {
protected:
    void SetUp() override { ClearArithmeticFaults(); }
};

TEST_F(ViscosityTest, LawAtUnitShearRateDropsTheLogarithmTerms) {
    const double eta = DefaultLaw(1, 265);
    EXPECT_TRUE(RoundsTo(eta, "1.019768"));
    EXPECT_TRUE(RoundsTo(std::log(eta), "0.01957525"));
}

TEST_F(ViscosityTest, LawAtShearRate100) {
    EXPECT_TRUE(RoundsTo(DefaultLaw(100, 265), "2.514381"));
    EXPECT_TRUE(RoundsTo(DefaultLaw(100, 290), "0.8770090"));
    EXPECT_TRUE(RoundsTo(DefaultLaw(750, 277.5), "1.21375"));
}

TEST_F(ViscosityTest, StartFirstIncrementWorkedExample) {
    SimulationState s = FirstIncrementState();
    s.FilmThickness = 1;
    s.ViscousHeat = 5;
    s.TotalHeat = 7;
    StartFirstIncrement(s);
    CheckArithmetic(s, "StartFirstIncrement");

    EXPECT_EQ(s.FilmThickness, 0.04);
    EXPECT_EQ(s.ViscousHeat, 0.0);
    EXPECT_EQ(s.TotalHeat, 0.0);
    EXPECT_EQ(s.ConductionMidTemp, 277.5);
    EXPECT_TRUE(RoundsTo(s.PowerLawIndex, "0.779291"));
    EXPECT_TRUE(RoundsTo(s.TempSensitivity, "-0.0326047"));
    EXPECT_TRUE(RoundsTo(s.Consistency, "7.71405"));
    EXPECT_TRUE(RoundsTo(s.ProfileMidTemp, "283.5333"));
    EXPECT_EQ(s.FilmAvgTemp, s.ProfileMidTemp);

    // ProfileMidTemp exceeds ConductionMidTemp by MidViscosity V^2 / (42690 8 k),
    // with MidViscosity the fitted law's value, not the law's (1.21375).
    const double midViscosity =
        (s.ProfileMidTemp - s.ConductionMidTemp) * 42690 * 8 * s.MeltConductivity / (s.RelativeSpeed * s.RelativeSpeed);
    EXPECT_TRUE(RoundsTo(midViscosity, "1.19050"));
    EXPECT_TRUE(Near(midViscosity, PowerLaw(s, 750, s.ConductionMidTemp), 1e-12));
}

// Every fit reproduces the law at its third sample rate, at MeltingPoint and at
// BarrelTemp. At the start that rate is RelativeSpeed / 0.04.
TEST_F(ViscosityTest, FitsReproduceTheLawAtTheirThirdSampleRate) {
    SimulationState s = FirstIncrementState();
    StartFirstIncrement(s);
    EXPECT_TRUE(Near(PowerLaw(s, 750, 265), DefaultLaw(750, 265), 1e-13));
    EXPECT_TRUE(Near(PowerLaw(s, 750, 290), DefaultLaw(750, 290), 1e-13));

    s = RefitState();
    FitPowerLawProfile(s);
    const double profileMid = s.FilmShearRate * std::exp(-(s.ProfileCoefC + s.ProfileCoefB / 4));
    EXPECT_TRUE(Near(PowerLaw(s, profileMid, 265), DefaultLaw(profileMid, 265), 1e-13));
    EXPECT_TRUE(Near(PowerLaw(s, profileMid, 290), DefaultLaw(profileMid, 290), 1e-13));

    s = RefitState();
    FitPowerLawExponential(s);
    const double a = s.TempExponent;
    const double closedMid = std::exp(-a / 2) * s.RelativeSpeed * a / ((1 - std::exp(-a)) * s.FilmThickness);
    EXPECT_TRUE(Near(PowerLaw(s, closedMid, 265), DefaultLaw(closedMid, 265), 1e-13));
    EXPECT_TRUE(Near(PowerLaw(s, closedMid, 290), DefaultLaw(closedMid, 290), 1e-13));
    CheckArithmetic(s, "fits");
}

// With a11 = a12 = 0 the law is a power law already: every fit gives it back.
TEST_F(ViscosityTest, FitsReproduceAPowerLawLaw) {
    const auto reproduces = [](void (*fit)(SimulationState&), bool refitted) {
        SimulationState s = refitted ? RefitState() : FirstIncrementState();
        s.ViscA11 = 0;
        s.ViscA12 = 0;
        fit(s);
        const double tm = s.MeltingPoint, tb = s.BarrelTemp;
        EXPECT_TRUE(Near(s.PowerLawIndex, 1 + s.ViscA1, 1e-12));
        EXPECT_TRUE(Near(s.TempSensitivity, s.ViscA2 + s.ViscA22 * (tm + tb), 1e-12));
        EXPECT_TRUE(Near(s.Consistency, std::exp(s.ViscA0 + s.ViscA2 * tm + s.ViscA22 * tm * tm), 1e-12));

        s.ViscA1 = 0;
        fit(s);
        EXPECT_EQ(s.PowerLawIndex, 1.0);
        CheckArithmetic(s, "fit");
    };
    reproduces(StartFirstIncrement, false);
    reproduces(FitPowerLawProfile, true);
    reproduces(FitPowerLawExponential, true);
}

TEST_F(ViscosityTest, ViscosityFallingWithTemperatureGivesNegativeExponents) {
    SimulationState s = RefitState();
    EXPECT_LT(s.TempSensitivity, 0);
    FitPowerLawExponential(s);
    EXPECT_LT(s.TempExponent, 0);
    EXPECT_LT(s.TempSensitivity, 0);
}

// TempExponent and the sample rates come from the n and b of the fit before.
TEST_F(ViscosityTest, FitPowerLawExponentialUsesThePreviousFit) {
    SimulationState s = RefitState();
    FitPowerLawExponential(s);
    const SimulationState first = s;
    FitPowerLawExponential(s);
    EXPECT_NE(s.TempExponent, first.TempExponent);
    EXPECT_NE(s.PowerLawIndex, first.PowerLawIndex);
    EXPECT_NE(s.TempSensitivity, first.TempSensitivity);
    EXPECT_NE(s.Consistency, first.Consistency);
    EXPECT_TRUE(Near(s.TempExponent, 25 * first.TempSensitivity / first.PowerLawIndex, 1e-15));
}

}  // namespace
}  // namespace tadmor
