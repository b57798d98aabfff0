#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"
#include "support/Digits.h"

namespace tadmor {
namespace {

using test::Near;
using test::RoundsTo;

// The worked example's film, with the window's default material inputs.
SimulationState ExampleFilm() {
    SimulationState s = test::DefaultInputs();
    s.BarrelTemp = 290;
    s.PowerLawIndex = 0.8;
    s.TempSensitivity = -0.035;
    s.Consistency = 6.0;
    s.FilmThickness = 0.04;
    s.ProfileMidTemp = 282;
    s.RelativeSpeed = 26.5;
    s.BarrelSpeedX = 9.0;
    s.SolidBedWidth = 12.8;
    s.FilmAvgTemp = 282;
    return s;
}

SimulationState ExampleAfterIteration() {
    SimulationState s = ExampleFilm();
    SolveProfileFilm(s);
    IterateProfileFilm(s);
    return s;
}

// Jh, from SolvedMidTemp = Tm + E/2 - Fd Jh / (42690 k).
double HalfDoubleIntegral(const SimulationState& s) {
    return (s.MeltingPoint + 0.5 * s.EnergyConstant - s.SolvedMidTemp) * 42690 * s.MeltConductivity /
           s.DissipationFactor;
}

class ProfileFilmTest : public ::testing::Test {
protected:
    void SetUp() override { ClearArithmeticFaults(); }
};

TEST_F(ProfileFilmTest, SolveProfileFilmWorkedExample) {
    SimulationState s = ExampleFilm();
    s.MeltRate = 1;
    s.ViscousHeatTerm = 2;
    s.ShapeFactor = 3;
    s.CheckMidTemp = 4;
    SolveProfileFilm(s);
    CheckArithmetic(s, "SolveProfileFilm");

    EXPECT_EQ(s.ProfileCurvature, -18.0);
    EXPECT_TRUE(RoundsTo(s.ProfileCoefB, "0.787500"));
    EXPECT_TRUE(RoundsTo(s.ProfileCoefC, "-0.940625"));
    EXPECT_TRUE(RoundsTo(s.IntegralTable[50], "0.766664"));
    EXPECT_TRUE(RoundsTo(s.IntegralTable[100], "2.06821"));
    EXPECT_TRUE(RoundsTo(s.DoubleIntegral, "0.858450"));
    EXPECT_TRUE(RoundsTo(HalfDoubleIntegral(s), "0.168426"));
    EXPECT_TRUE(RoundsTo(s.FilmShearRate, "320.325"));
    EXPECT_TRUE(RoundsTo(s.DissipationFactor, "310.695"));
    EXPECT_TRUE(RoundsTo(s.EnergyConstant, "37.0149"));
    EXPECT_TRUE(RoundsTo(s.SolvedMidTemp, "281.150"));
    EXPECT_EQ(s.InterfaceTemp, 265.0);

    // One solution at the given thickness, nothing of the iteration.
    EXPECT_EQ(s.FilmThickness, 0.04);
    EXPECT_EQ(s.MeltRate, 1.0);
    EXPECT_EQ(s.ViscousHeatTerm, 2.0);
    EXPECT_EQ(s.ShapeFactor, 3.0);
    EXPECT_EQ(s.CheckMidTemp, 4.0);
}

TEST_F(ProfileFilmTest, IterateProfileFilmWorkedExample) {
    const SimulationState s = ExampleAfterIteration();
    CheckArithmetic(s, "IterateProfileFilm");

    EXPECT_TRUE(RoundsTo(s.FilmShearRate, "610.108"));
    EXPECT_TRUE(RoundsTo(s.DissipationFactor, "273.131"));
    EXPECT_TRUE(RoundsTo(s.EnergyConstant, "35.5622"));
    EXPECT_TRUE(RoundsTo(s.SolvedMidTemp, "280.709"));
    EXPECT_TRUE(RoundsTo(s.MeltRate, "0.0784523"));
    EXPECT_TRUE(RoundsTo(s.ViscousHeatTerm, "0.0109847"));
    EXPECT_TRUE(RoundsTo(s.ShapeFactor, "0.830137"));
    EXPECT_TRUE(RoundsTo(s.OldFilmThickness, "0.0210012"));
    EXPECT_TRUE(RoundsTo(s.NewFilmThickness, "0.0209890"));
    EXPECT_EQ(s.FilmThickness, s.NewFilmThickness);
    EXPECT_TRUE(RoundsTo(s.CheckMidTemp, "282.000"));
    // The last pass's values belong to its starting thickness.
    EXPECT_TRUE(Near(s.FilmShearRate, s.RelativeSpeed / (s.OldFilmThickness * s.IntegralTable[100]), 1e-15));
    // The iteration moves neither the profile nor the power law nor Tav.
    const SimulationState before = ExampleFilm();
    EXPECT_EQ(s.ProfileMidTemp, before.ProfileMidTemp);
    EXPECT_EQ(s.ProfileCurvature, -18.0);
    EXPECT_EQ(s.FilmAvgTemp, before.FilmAvgTemp);
    EXPECT_EQ(s.PowerLawIndex, before.PowerLawIndex);
}

// The iterates from 0.04 are 0.0214134, 0.0210012 and 0.0209890. The last two
// are what the call leaves; starting from the printed first iterate the same
// two follow, and starting from the second the call stops after one pass.
TEST_F(ProfileFilmTest, IterateProfileFilmWorkedExampleIterates) {
    SimulationState fromFirst = ExampleFilm();
    SolveProfileFilm(fromFirst);
    fromFirst.FilmThickness = 0.0214134;
    IterateProfileFilm(fromFirst);
    EXPECT_TRUE(RoundsTo(fromFirst.OldFilmThickness, "0.0210012"));
    EXPECT_TRUE(RoundsTo(fromFirst.NewFilmThickness, "0.0209890"));

    SimulationState fromSecond = ExampleFilm();
    SolveProfileFilm(fromSecond);
    fromSecond.FilmThickness = 0.0210012;
    IterateProfileFilm(fromSecond);
    EXPECT_EQ(fromSecond.OldFilmThickness, 0.0210012);
    EXPECT_TRUE(RoundsTo(fromSecond.NewFilmThickness, "0.0209890"));
}

TEST_F(ProfileFilmTest, ProfileFilmAveragesWorkedExample) {
    SimulationState s = ExampleAfterIteration();
    ProfileFilmAverages(s);
    CheckArithmetic(s, "ProfileFilmAverages");
    EXPECT_TRUE(RoundsTo(s.FilmAvgTemp, "285.429"));
    EXPECT_TRUE(RoundsTo(s.InterfaceGradient, "481.930"));
    EXPECT_TRUE(RoundsTo(s.MeltEnthalpy, "27.5058"));
}

TEST_F(ProfileFilmTest, UpdateProfileWorkedExample) {
    SimulationState s = ExampleAfterIteration();
    UpdateProfile(s);
    CheckArithmetic(s, "UpdateProfile");
    EXPECT_TRUE(RoundsTo(s.ProfileMidTemp, "281.354"));
    EXPECT_TRUE(RoundsTo(s.ProfileCurvature, "-15.4177"));
    EXPECT_TRUE(RoundsTo(s.ProfileCoefB, "0.674523"));
    EXPECT_TRUE(RoundsTo(s.ProfileCoefC, "-0.884136"));

    // The next iteration checks against the moved mid temperature.
    IterateProfileFilm(s);
    EXPECT_TRUE(Near(s.CheckMidTemp, s.ProfileMidTemp, 1e-14));
}

TEST_F(ProfileFilmTest, UpdateProfileAtAgreementChangesNothing) {
    SimulationState s = ExampleAfterIteration();
    s.SolvedMidTemp = s.CheckMidTemp;
    const SimulationState before = s;
    UpdateProfile(s);
    EXPECT_EQ(s.ProfileMidTemp, before.ProfileMidTemp);
    EXPECT_EQ(s.ProfileCurvature, before.ProfileCurvature);
    EXPECT_EQ(s.ProfileCoefB, before.ProfileCoefB);
    EXPECT_EQ(s.ProfileCoefC, before.ProfileCoefC);
}

TEST_F(ProfileFilmTest, SecondIterationStartsFromTheConvergedThickness) {
    SimulationState s = ExampleAfterIteration();
    const SimulationState first = s;
    IterateProfileFilm(s);
    EXPECT_EQ(s.IntegralTable, first.IntegralTable);
    EXPECT_EQ(s.DoubleIntegral, first.DoubleIntegral);
    EXPECT_TRUE(Near(HalfDoubleIntegral(s), HalfDoubleIntegral(first), 1e-12));
    EXPECT_EQ(s.OldFilmThickness, first.NewFilmThickness);
}

TEST_F(ProfileFilmTest, TableStartsAtExactlyZero) {
    for (const double b : {-0.035, 0.0, 0.02}) {
        for (const double tp : {270.0, 282.0, 300.0}) {
            SimulationState s = ExampleFilm();
            s.IntegralTable[0] = 1;
            s.TempSensitivity = b;
            s.ProfileMidTemp = tp;
            SolveProfileFilm(s);
            EXPECT_EQ(s.IntegralTable[0], 0.0);
            EXPECT_GT(s.IntegralTable[1], 0.0);
        }
    }
}

// With b = 0 the viscosity is uniform: f = 1, I(x) = x, J = 1/2, Jh = 1/8.
TEST_F(ProfileFilmTest, UniformViscosityLimits) {
    SimulationState s = ExampleFilm();
    s.TempSensitivity = 0;
    SolveProfileFilm(s);
    EXPECT_EQ(s.ProfileCoefB, 0.0);
    EXPECT_EQ(s.ProfileCoefC, 0.0);
    for (int j = 0; j <= 100; ++j) EXPECT_TRUE(Near(s.IntegralTable[j], 0.01 * j, 1e-14)) << j;
    EXPECT_TRUE(Near(s.DoubleIntegral, 0.5, 1e-14));
    EXPECT_TRUE(Near(HalfDoubleIntegral(s), 0.125, 1e-12));

    IterateProfileFilm(s);
    ProfileFilmAverages(s);
    CheckArithmetic(s, "profile film");
    const double tb = s.BarrelTemp, tm = s.MeltingPoint, d = s.ProfileCurvature;
    const double delta = s.OldFilmThickness;  // the last pass's thickness
    const double viscousRise = s.DissipationFactor / (42690 * s.MeltConductivity);
    EXPECT_TRUE(Near(s.FilmShearRate, s.RelativeSpeed / delta, 1e-14));
    EXPECT_TRUE(Near(s.SolvedMidTemp, (tm + tb) / 2 + viscousRise / 8, 1e-14));
    EXPECT_TRUE(Near(s.MeltRate, delta * s.BarrelSpeedX / 2, 1e-14));
    EXPECT_TRUE(Near(s.ShapeFactor, 1, 1e-14));
    EXPECT_TRUE(Near(s.ViscousHeatTerm, s.DissipationFactor / 42690, 1e-12));
    EXPECT_TRUE(Near(s.FilmAvgTemp, tm + 2 * (tb - tm) / 3 - d / 6, 1e-14));
    EXPECT_TRUE(Near(s.InterfaceGradient, (tb - tm - viscousRise / 2) / s.FilmThickness, 1e-12));
}

// The iteration ends on a change below 0.0001 cm; exactly 0.0001 runs another
// pass. Without viscous heating (m = 0) the new thickness hardly depends on the
// old one, so starting 0.0001 below it makes the first change 0.0001 up to its
// last bits; the starts around that point cover both sides of the boundary.
TEST_F(ProfileFilmTest, ThicknessChangeOfExactlyTheToleranceRunsAnotherPass) {
    SimulationState base = ExampleFilm();
    base.Consistency = 0;
    base.SolidBedWidth = 0.0012;  // a thin film, about 0.00017 cm
    SolveProfileFilm(base);
    SimulationState probe = base;
    IterateProfileFilm(probe);
    const double settled = probe.NewFilmThickness;
    ASSERT_LT(settled, 0.000244);  // below 2^-12: the differences below are exact

    int exact = 0, below = 0;
    double start = settled - 0.0001;
    for (int step = 0; step < 32; ++step, start = std::nextafter(start, 1.0)) {
        SimulationState s = base;
        s.FilmThickness = start;
        IterateProfileFilm(s);
        const bool onePass = s.OldFilmThickness == start;
        const double firstIterate = onePass ? s.NewFilmThickness : s.OldFilmThickness;
        const long double change = static_cast<long double>(firstIterate) - start;
        if (change == static_cast<long double>(0.0001)) {
            ++exact;
            EXPECT_FALSE(onePass) << "a change of exactly 0.0001 ended the iteration";
        } else if (change < static_cast<long double>(0.0001)) {
            ++below;
            EXPECT_TRUE(onePass);
        }
    }
    EXPECT_GT(exact, 0);
    EXPECT_GT(below, 0);
}

// A barrel below the melting point leaves a negative heat term under the square
// root: the iteration stops with an invalid operation instead of going on with NaN.
TEST_F(ProfileFilmTest, BarrelBelowMeltingPointIsAnArithmeticError) {
    SimulationState s = ExampleFilm();
    s.BarrelTemp = 200;
    s.ProfileMidTemp = 232.5;
    SolveProfileFilm(s);
    try {
        IterateProfileFilm(s);
        FAIL() << "no error";
    } catch (const ArithmeticError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Invalid"), std::string::npos) << text;
        EXPECT_NE(text.find("IterateProfileFilm"), std::string::npos) << text;
    }
}

// With n = 3, no conduction (Tb = Tm) and no temperature dependence, the heat
// balance gives the next thickness as a constant over the last one: the
// iterates alternate for ever, and the pass limit ends the iteration.
TEST_F(ProfileFilmTest, ThicknessIterationThatAlternatesReachesThePassLimit) {
    SimulationState s = ExampleFilm();
    s.PowerLawIndex = 3;
    s.TempSensitivity = 0;
    s.BarrelTemp = s.MeltingPoint;
    s.ProfileMidTemp = s.MeltingPoint;
    s.FilmAvgTemp = s.MeltingPoint;
    SolveProfileFilm(s);
    try {
        IterateProfileFilm(s);
        FAIL() << "no error";
    } catch (const ConvergenceError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("film thickness iteration did not converge in 10000 passes"), std::string::npos) << text;
        EXPECT_NE(text.find("IterateProfileFilm"), std::string::npos) << text;
    }
    // The iterates alternate between two values whose product is constant.
    EXPECT_GT(std::fabs(s.NewFilmThickness - s.OldFilmThickness), 0.0001);
}

}  // namespace
}  // namespace tadmor
