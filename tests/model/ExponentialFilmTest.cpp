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
    s.BarrelTemp = 300;
    s.RelativeSpeed = 29;
    s.BarrelSpeedX = 12;
    s.SolidBedWidth = 10;
    s.PowerLawIndex = 0.55;
    s.TempSensitivity = -0.025;
    s.Consistency = 3;
    s.FilmThickness = 0.02;
    s.FilmAvgTemp = 285;
    return s;
}

// The example's film with b chosen for a given A = b (Tb - Tm) / n.
SimulationState FilmWithExponent(double a) {
    SimulationState s = ExampleFilm();
    s.TempSensitivity = a * s.PowerLawIndex / (s.BarrelTemp - s.MeltingPoint);
    return s;
}

class ExponentialFilmTest : public ::testing::Test {
protected:
    void SetUp() override { ClearArithmeticFaults(); }
};

TEST_F(ExponentialFilmTest, WorkedExample) {
    SimulationState s = ExampleFilm();
    SolveExponentialFilm(s);
    CheckArithmetic(s, "SolveExponentialFilm");

    EXPECT_TRUE(RoundsTo(s.TempExponent, "-1.590909"));
    // Two passes, 0.02 -> 0.0169519 -> 0.0169354: the first iterate is the
    // thickness the second pass started from.
    EXPECT_TRUE(RoundsTo(s.OldFilmThickness, "0.0169519"));
    EXPECT_TRUE(RoundsTo(s.NewFilmThickness, "0.0169354"));
    EXPECT_EQ(s.FilmThickness, s.NewFilmThickness);
    EXPECT_TRUE(RoundsTo(s.FilmShearRate, "696.380"));
    EXPECT_TRUE(RoundsTo(s.DissipationFactor, "21.9772"));
    EXPECT_TRUE(RoundsTo(s.ViscousHeatTerm, "0.000942686"));
    EXPECT_TRUE(RoundsTo(s.ShapeFactor, "0.745399"));
    EXPECT_TRUE(RoundsTo(s.MeltRate, "0.0758158"));
    EXPECT_TRUE(RoundsTo(s.SolvedMidTemp, "282.7889"));
    EXPECT_EQ(s.ProfileMidTemp, s.SolvedMidTemp);
    EXPECT_EQ(s.FilmAvgTemp, 285.0);  // the loop keeps the entry value

    ExponentialFilmAverages(s);
    CheckArithmetic(s, "ExponentialFilmAverages");
    EXPECT_TRUE(RoundsTo(s.FilmAvgTemp, "290.0144"));
    EXPECT_TRUE(RoundsTo(s.InterfaceGradient, "1976.586"));
    EXPECT_TRUE(RoundsTo(s.MeltEnthalpy, "29.7069"));
}

// For n = 1 the new thickness does not depend on the old one: the second pass
// repeats the first, and a call started there stops after one pass.
TEST_F(ExponentialFilmTest, NewtonianFilmEndsAfterAtMostTwoPasses) {
    SimulationState s = ExampleFilm();
    s.PowerLawIndex = 1;
    SolveExponentialFilm(s);
    EXPECT_TRUE(Near(s.NewFilmThickness, s.OldFilmThickness, 1e-14));

    const double settled = s.NewFilmThickness;
    SolveExponentialFilm(s);
    EXPECT_EQ(s.OldFilmThickness, settled);
    CheckArithmetic(s, "SolveExponentialFilm");
}

// Without viscous heating (m = 0) the new thickness is the same for every old
// one, so a start 0.0001 below it makes the first change exactly 0.0001.
TEST_F(ExponentialFilmTest, ThicknessChangeOfExactlyTheToleranceRunsAnotherPass) {
    SimulationState base = ExampleFilm();
    base.Consistency = 0;
    base.SolidBedWidth = 0.001;  // a film of about 0.00017 cm: 0.0001 below it is exact
    SimulationState probe = base;
    SolveExponentialFilm(probe);
    const double settled = probe.NewFilmThickness;
    const double start = settled - 0.0001;
    ASSERT_EQ(static_cast<long double>(settled) - start, static_cast<long double>(0.0001));

    SimulationState s = base;
    s.FilmThickness = start;
    SolveExponentialFilm(s);
    EXPECT_EQ(s.OldFilmThickness, settled);  // a second pass ran
    EXPECT_EQ(s.NewFilmThickness, settled);

    const double closer = std::nextafter(start, 1.0);
    s = base;
    s.FilmThickness = closer;
    SolveExponentialFilm(s);
    EXPECT_EQ(s.OldFilmThickness, closer);  // one pass
    EXPECT_EQ(s.NewFilmThickness, settled);
}

TEST_F(ExponentialFilmTest, SmallExponentApproachesUniformViscosity) {
    SimulationState s = FilmWithExponent(0.001);
    SolveExponentialFilm(s);
    EXPECT_TRUE(RoundsTo(s.ShapeFactor, "1.00016667"));
    ExponentialFilmAverages(s);
    EXPECT_TRUE(RoundsTo((s.FilmAvgTemp - s.MeltingPoint) / (s.BarrelTemp - s.MeltingPoint), "0.666639"));

    // Far enough from 0 that the cancellations in the closed forms stay small,
    // near enough that the first-order terms stay below the tolerance.
    for (const double a : {1e-4, -1e-4}) {
        s = FilmWithExponent(a);
        SolveExponentialFilm(s);
        const double tb = s.BarrelTemp, tm = s.MeltingPoint, fd = s.DissipationFactor;
        const double k = s.MeltConductivity, delta = s.OldFilmThickness;
        EXPECT_TRUE(Near(s.ShapeFactor, 1, 1e-4));
        EXPECT_TRUE(Near(s.MeltRate, s.BarrelSpeedX * delta / 2, 1e-4));
        EXPECT_TRUE(Near(s.ViscousHeatTerm, fd / 42690, 1e-4));
        EXPECT_TRUE(Near(s.SolvedMidTemp - (tm + tb) / 2, fd / (8 * 42690 * k), 1e-4));
        ExponentialFilmAverages(s);
        EXPECT_TRUE(Near((s.FilmAvgTemp - tm) / (tb - tm), 2.0 / 3, 1e-4));
        EXPECT_TRUE(
            Near(s.InterfaceGradient - (tb - tm) / s.FilmThickness, -fd / (2 * 42690 * s.FilmThickness * k), 1e-4));
        CheckArithmetic(s, "closed-form film");
    }
}

// The exponential shear-rate profile integrates to the relative speed.
TEST_F(ExponentialFilmTest, ShearRateProfileCarriesTheRelativeSpeed) {
    for (const double a : {-3.0, -1.590909, -0.01, 0.01, 2.0}) {
        SimulationState s = FilmWithExponent(a);
        SolveExponentialFilm(s);
        const double ta = s.TempExponent;
        EXPECT_TRUE(Near(s.FilmShearRate * s.OldFilmThickness * -std::expm1(-ta) / ta, s.RelativeSpeed, 1e-14)) << a;
    }
}

TEST_F(ExponentialFilmTest, NoViscousHeatingGivesTheConductionProfile) {
    SimulationState s = ExampleFilm();
    s.Consistency = 0;
    SolveExponentialFilm(s);
    ExponentialFilmAverages(s);
    EXPECT_EQ(s.SolvedMidTemp, (s.MeltingPoint + s.BarrelTemp) / 2);
    EXPECT_TRUE(Near(s.InterfaceGradient, (s.BarrelTemp - s.MeltingPoint) / s.FilmThickness, 1e-15));
}

// A = 0 makes the shear rate 0/0: an invalid operation, caught in the loop.
TEST_F(ExponentialFilmTest, ZeroExponentIsAnArithmeticError) {
    SimulationState s = ExampleFilm();
    s.TempSensitivity = 0;
    try {
        SolveExponentialFilm(s);
        FAIL() << "no error";
    } catch (const ArithmeticError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Invalid"), std::string::npos) << text;
        EXPECT_NE(text.find("SolveExponentialFilm"), std::string::npos) << text;
    }
}

TEST_F(ExponentialFilmTest, BarrelBelowMeltingPointIsAnArithmeticError) {
    SimulationState s = ExampleFilm();
    s.BarrelTemp = 250;
    EXPECT_THROW(SolveExponentialFilm(s), ArithmeticError);
}

}  // namespace
}  // namespace tadmor
