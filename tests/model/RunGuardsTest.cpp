// How a run ends when it cannot go on, what it leaves of its caller's
// floating-point environment, and which film solution it used.

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <string>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace tadmor {
namespace {

using test::DefaultInputs;

// 5 rpm and 40 kg/hr: so little viscous heating that the march takes the
// closed-form film after the first increment's starting solution.
SimulationState SlowScrew() {
    SimulationState s = DefaultInputs();
    s.ScrewSpeed = 5;
    s.OutputRate = 40;
    return s;
}

// The text of the SimulationError that a run of `s` ends with, or "" when it ends normally.
std::string ErrorOfRun(SimulationState s) {
    try {
        RunMarch(s);
    } catch (const SimulationError& error) {
        return error.what();
    }
    return "";
}

bool SameRows(const SimulationState& a, const SimulationState& b) {
    if (a.StepCount != b.StepCount) return false;
    for (int i = 1; i <= a.StepCount; ++i)
        if (a.ResSolidFraction[i] != b.ResSolidFraction[i] || a.ResTotalPower[i] != b.ResTotalPower[i] ||
            a.ResFilmThickness[i] != b.ResFilmThickness[i])
            return false;
    return true;
}

TEST(FloatingPointEnvironment, TheCallersRoundingAndFlagsComeBackAndDoNotChangeTheResults) {
    SimulationState plain = DefaultInputs();
    RunMarch(plain);

    std::feclearexcept(FE_ALL_EXCEPT);
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    std::feraiseexcept(FE_DIVBYZERO);  // a fault of the caller's own, before the run
    SimulationState upward = DefaultInputs();
    RunMarch(upward);
    const int round = std::fegetround();
    const int raised = std::fetestexcept(FE_ALL_EXCEPT);
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);

    EXPECT_EQ(round, FE_UPWARD);
    EXPECT_EQ(raised, FE_DIVBYZERO);  // neither cleared nor joined by the run's own flags
    EXPECT_TRUE(SameRows(plain, upward));
}

TEST(FloatingPointEnvironment, ARunEndedByAFaultRestoresItToo) {
    std::feclearexcept(FE_ALL_EXCEPT);
    ASSERT_EQ(std::fesetround(FE_TOWARDZERO), 0);
    SimulationState s = DefaultInputs();
    s.BarrelC0 = 200;  // far below the melting point: invalid operation in the first film
    EXPECT_THROW(RunMarch(s), ArithmeticError);
    const int round = std::fegetround();
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(round, FE_TOWARDZERO);
    EXPECT_EQ(raised, 0);
}

TEST(SimulationErrors, ShareOneBaseClassThatNamesTheIncrement) {
    SimulationState s = DefaultInputs();
    s.BarrelC0 = 200;
    try {
        RunMarch(s);
        FAIL() << "expected an arithmetic error";
    } catch (const SimulationError& error) {
        EXPECT_NE(dynamic_cast<const ArithmeticError*>(&error), nullptr);
        EXPECT_EQ(error.Increment(), 1);
        EXPECT_NEAR(error.Flight(), 5.1, 1e-9);
    }

    SimulationState tooLong = DefaultInputs();
    tooLong.MeteringTurns = 1e6;
    try {
        RunMarch(tooLong);
        FAIL() << "expected the increment limit";
    } catch (const SimulationError& error) {
        EXPECT_NE(dynamic_cast<const IncrementLimitError*>(&error), nullptr);
        EXPECT_EQ(error.Increment(), 0);
        EXPECT_TRUE(std::isnan(error.Flight()));
    }
}

// Each fault, raised by real arithmetic, is detected and named; underflow and
// inexact results pass.
TEST(SimulationErrors, EachFloatingPointFaultIsDetectedAndNamed) {
    volatile double zero = 0, minusOne = -1, large = 1000, tiny = 1e-300;
    const struct {
        double (*fault)(double, double, double, double);
        const char* kind;
    } cases[] = {
        {[](double z, double, double, double) { return 1 / z; }, "Floating-point division by zero in Test"},
        {[](double, double m, double, double) { return std::sqrt(m); },
         "Invalid floating-point operation (square root or logarithm of a negative number, or 0/0) in Test"},
        {[](double, double, double l, double) { return std::exp(l); }, "Floating-point overflow in Test"},
    };
    SimulationState s;  // before any run: no increment to name
    for (const auto& c : cases) {
        ClearArithmeticFaults();
        volatile double result = c.fault(zero, minusOne, large, tiny);
        (void)result;
        try {
            CheckArithmetic(s, "Test");
            ADD_FAILURE() << "not detected: " << c.kind;
        } catch (const ArithmeticError& error) {
            EXPECT_EQ(std::string(error.what()), c.kind);
        }
    }
    ClearArithmeticFaults();
    volatile double underflow = tiny * tiny, inexact = 1.0 / 3;
    (void)underflow;
    (void)inexact;
    EXPECT_NO_THROW(CheckArithmetic(s, "Test"));
}

TEST(SimulationErrors, AnOverflowingBarrelTemperatureEndsTheRun) {
    // C2 = 1000 1/cm: exp(1000 z) overflows at the middle of the first
    // increment, 1.5 cm after the start of melting.
    SimulationState s = DefaultInputs();
    s.BarrelC1 = -0.05;
    s.BarrelC2 = 1000;
    try {
        RunMarch(s);
        FAIL() << "expected an overflow";
    } catch (const ArithmeticError& error) {
        EXPECT_EQ(std::string(error.what()), "Floating-point overflow in RunMarch at increment 1 (FLIGHT 5.10)");
    }
}

// A rising barrel profile on which the closed form hands the film to the
// profile solution in some increments.
SimulationState HandingOver() {
    SimulationState s = DefaultInputs();
    s.ScrewDiameter = 13.1;
    s.FeedTurns = 11.9;
    s.CompressionTurns = 7.4;
    s.MeteringTurns = 8.5;
    s.DelayTurns = 0.9;
    s.FeedDepth = 1.197;
    s.MeteringDepth = 0.592;
    s.ScrewPitch = 15.7;
    s.FlightWidth = 1.12;
    s.ScrewSpeed = 66.8;
    s.OutputRate = 429.9;
    s.BarrelC0 = 384.9;
    s.BarrelC1 = 0.175;
    s.BarrelC2 = 0.0012;
    s.SolidTemp = 42.0;
    return s;
}

// Each iteration's pass limit, lowered so that a normal run reaches it; the
// message names the iteration, the limit, the routine and the increment.
TEST(PassLimits, EveryIterationEndsAtItsLimitWithItsOwnMessage) {
    struct Case {
        const char* expected;
        SimulationState s;
    };
    Case cases[] = {
        {"The film thickness iteration did not converge in 1 passes in IterateProfileFilm at increment 1 (FLIGHT 5.10)",
         DefaultInputs()},
        {"The film thickness iteration did not converge in 1 passes in SolveExponentialFilm at increment 1 (FLIGHT "
         "5.10)",
         SlowScrew()},
        {"The profile iteration did not converge in 1 passes in RunMarch at increment 1 (FLIGHT 5.10)",
         DefaultInputs()},
        {"The solid bed width iteration did not converge in 1 passes in RunMarch at increment 1 (FLIGHT 5.10)",
         DefaultInputs()},
        {"The choice between the film solutions did not converge in 0 passes in RunMarch at increment 35 (FLIGHT 7.80)",
         HandingOver()},
    };
    cases[0].s.Limits.filmThickness = 1;
    cases[1].s.Limits.filmThickness = 1;
    cases[2].s.Limits.profileIteration = 1;
    cases[3].s.Limits.solidBedWidth = 1;
    cases[4].s.Limits.filmHandovers = 0;
    for (const Case& c : cases) EXPECT_EQ(ErrorOfRun(c.s).substr(0, std::string(c.expected).size()), c.expected);
}

TEST(FilmSolutions, TheDefaultCaseNeverTakesTheClosedFormAndTheSlowScrewNothingElse) {
    SimulationState standard = DefaultInputs();
    RunMarch(standard);
    EXPECT_EQ(standard.ClosedFormSolutions, 0);
    EXPECT_GT(standard.IntegralTableBuilds, standard.StepCount);

    // Only the first increment's starting solution builds a table.
    SimulationState slow = SlowScrew();
    RunMarch(slow);
    EXPECT_GT(slow.StepCount, 50);
    EXPECT_EQ(slow.IntegralTableBuilds, 1);
    EXPECT_GE(slow.ClosedFormSolutions, slow.StepCount);
}

}  // namespace
}  // namespace tadmor
