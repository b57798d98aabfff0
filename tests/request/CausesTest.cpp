// The causes of calculation errors: each on a case that fails from it, the
// numbers it names worked out here, and a near case that does not fail so.
// The error's own text stays in the message, after the cause.
#include "app/request/Causes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "tests/support/DefaultInputs.h"
#include "tests/support/RecordingUi.h"

namespace tadmor {
namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

Calculation CalculateWith(const Settings& settings) {
    FieldTexts texts = DefaultFieldTexts('.');
    for (const auto& [name, text] : settings) texts[FieldIndexOf(name)] = text;
    return Calculate(texts, '.');
}

// The message of a case that must fail, checked to keep the error's own text
// (from its routine to its FLIGHT) after the cause.
std::string FailureOf(const Settings& settings, const std::string& errorText) {
    const Calculation calculation = CalculateWith(settings);
    EXPECT_EQ(calculation.outcome, RequestOutcome::CalculationError);
    EXPECT_TRUE(calculation.message.ends_with(": " + errorText)) << calculation.message;
    return calculation.message;
}

constexpr const char* kInvalid =
    "Invalid floating-point operation (square root or logarithm of a negative number, or 0/0)";

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

TEST(Causes, ABarrelNotAboveTheMeltingPoint) {
    // The barrel law with C1 = 0 is C0 all along; with C1 = 1 and C2 = 0 it is 290 (1 - 1) = 0.
    const std::string atMelting = FailureOf(
        {{"BarrelC0", "265"}}, std::string(kInvalid) + " in StartFirstIncrement at increment 1 (FLIGHT 5.10)");
    EXPECT_TRUE(StartsWith(atMelting,
                           "the barrel temperature 265.00 degC at FLIGHT 5.10 is not above the melting "
                           "point 265.00 degC, so no melt film forms"))
        << atMelting;
    const Calculation cold = CalculateWith({{"BarrelC1", "1"}});
    EXPECT_TRUE(StartsWith(cold.message,
                           "the barrel temperature 0.00 degC at FLIGHT 5.10 is not above the melting "
                           "point 265.00 degC"))
        << cold.message;
    const Calculation high = CalculateWith({{"MeltingPoint", "400"}});
    EXPECT_TRUE(StartsWith(high.message,
                           "the barrel temperature 290.00 degC at FLIGHT 5.10 is not above the "
                           "melting point 400.00 degC"))
        << high.message;
    // The reference case of the barrel at the melting point fails so too.
    std::ifstream reference(std::string(TADMOR_REFERENCE_DIR) + "/barrel-at-melting-point.case");
    std::string line;
    while (std::getline(reference, line) && line[0] == '#') {
    }
    EXPECT_EQ(line, "BarrelC0 = 265.0");
    // 0.1 degC above the melting point the run completes.
    EXPECT_EQ(CalculateWith({{"BarrelC0", "265.1"}}).outcome, RequestOutcome::Completed);
    EXPECT_EQ(CalculateWith({{"MeltingPoint", "289.9"}}).outcome, RequestOutcome::Completed);
}

TEST(Causes, AChannelOfNoWidth) {
    // W = ScrewPitch cos(atan(ScrewPitch / (3.1415926 ScrewDiameter))) - FlightWidth
    //   = 15 cos(0.30817) - 20 = 14.2933 - 20 = -5.71 cm.
    const std::string narrow = FailureOf({{"FlightWidth", "20"}},
                                         std::string(kInvalid) + " in IterateProfileFilm at increment 1 (FLIGHT 5.10)");
    EXPECT_TRUE(StartsWith(narrow,
                           "the channel between the flights is -5.71 cm wide (ScrewPitch 15.00 cm across the "
                           "helix less FlightWidth 20.00 cm): the flights leave no room for a solid bed"))
        << narrow;
    // A flight of 14 cm leaves a channel of 0.29 cm, in which the run completes.
    EXPECT_EQ(CalculateWith({{"FlightWidth", "14"}}).outcome, RequestOutcome::Completed);
}

TEST(Causes, APowerLawIndexAtOrBelowZero) {
    // The first fit takes the secant of ln(eta) between rate/2 and 2 rate,
    // which for a law quadratic in ln(rate) is its slope at the rate itself:
    // n = 1 + a1 + 2 a11 ln(rate) + a12 (TB + Tm)/2, the rate V/0.04 cm. At
    // 1e6 rpm V = 3.1415926 x 15 x 1e6 / 60 = 785398 cm/s less the solid's
    // 3 cm/s: ln(rate) = 16.793 and n = 1 - 0.80314 - 1.85052 + 1.31194 = -0.342.
    const std::string fast =
        FailureOf({{"ScrewSpeed", "1e6"}}, std::string(kInvalid) + " in SolveProfileFilm at increment 1 (FLIGHT 5.10)");
    EXPECT_TRUE(StartsWith(fast,
                           "the viscosity law's local power-law index n is -0.342 at FLIGHT 5.10 (a sensible "
                           "melt has 0 < n <= 1; at or below 0 its stress falls"))
        << fast;
    // At 1e5 rpm ln(rate) = 14.490: n = -0.088.
    EXPECT_TRUE(StartsWith(CalculateWith({{"ScrewSpeed", "1e5"}}).message,
                           "the viscosity law's local power-law index n is -0.088 at FLIGHT 5.10"));
    // At 4e4 rpm ln(rate) = 13.574: n = 0.014, and the run completes.
    EXPECT_EQ(CalculateWith({{"ScrewSpeed", "4e4"}}).outcome, RequestOutcome::Completed);
}

TEST(Causes, APowerLawIndexAboveOne) {
    // a1 = -0.1: n - 1 = -0.1 - 0.11 ln(rate) + 1.31 is above 0 below 1e4 1/s,
    // where the film is: the closed-form film does not converge.
    const std::string thick = FailureOf({{"ViscA1", "-0.1"}},
                                        "The film thickness iteration did not converge in 10000 passes in "
                                        "SolveExponentialFilm at increment 2 (FLIGHT 5.30)");
    EXPECT_TRUE(StartsWith(thick, "the viscosity law's local power-law index n is ")) << thick;
    EXPECT_NE(thick.find(" at FLIGHT 5.30 (a sensible melt has 0 < n <= 1; above 1 the melt thickens"),
              std::string::npos)
        << thick;
    const Calculation zero = CalculateWith({{"ViscA1", "0"}});
    EXPECT_EQ(zero.outcome, RequestOutcome::CalculationError);
    EXPECT_TRUE(StartsWith(zero.message, "the viscosity law's local power-law index n is ")) << zero.message;
    // a1 = -0.3 is thickening too but converges: the run completes (with a warning).
    EXPECT_EQ(CalculateWith({{"ViscA1", "-0.3"}}).outcome, RequestOutcome::Completed);
}

TEST(Causes, AViscosityThatDoesNotFallWithTemperature) {
    // -d ln(eta)/dT = -(a2 + 2 a22 T + a12 ln(rate)): a2 = 0.03 makes it negative.
    const std::string heated =
        FailureOf({{"ViscA2", "0.03"}}, std::string(kInvalid) + " in FitPowerLawProfile at increment 1 (FLIGHT 5.10)");
    EXPECT_TRUE(StartsWith(heated, "the viscosity law's local temperature sensitivity -d ln(eta)/dT is -")) << heated;
    EXPECT_NE(heated.find(" 1/degC at FLIGHT 5.10, not above 0"), std::string::npos) << heated;
    EXPECT_EQ(CalculateWith({{"ViscA2", "0.02"}}).outcome, RequestOutcome::Completed);
}

TEST(Causes, MeltingThatStartsBeyondTheScrew) {
    const std::string far =
        FailureOf({{"DelayTurns", "1e308"}}, "Floating-point overflow in RunMarch at increment 1 (FLIGHT 1e+308)");
    EXPECT_TRUE(StartsWith(far, "melting starts at DelayTurns 1e+308, at or beyond the end of the 24.70-turn screw"))
        << far;
    EXPECT_EQ(CalculateWith({{"DelayTurns", "30"}}).outcome, RequestOutcome::Completed);
}

// A state on the model's ground: default geometry, barrel 290 degC, n and b
// of a thinning melt.
SimulationState Sound() {
    SimulationState s = test::DefaultInputs();
    s.HelixAngle = std::atan(15 / (3.1415926 * 15));
    s.PowerLawIndex = 0.5;
    s.TempSensitivity = -0.03;
    return s;
}

TEST(Causes, NoneWhereTheStateHoldsNoneOrForOtherErrors) {
    const ArithmeticError fault("fault", 1, 5.1);
    EXPECT_EQ(CauseOf(Sound(), fault), "");
    EXPECT_EQ(ExplainedError(Sound(), fault), "fault");
    // Before the first fit there is no local law to blame.
    SimulationState unfitted = Sound();
    unfitted.PowerLawIndex = unfitted.TempSensitivity = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(CauseOf(unfitted, fault), "");
    // n = 1 and a sensitivity just above 0 are sensible.
    SimulationState limits = Sound();
    limits.PowerLawIndex = 1;
    limits.TempSensitivity = -1e-9;
    EXPECT_EQ(CauseOf(limits, ConvergenceError("no", 2, 5.3)), "");
    // Without the FLIGHT the barrel is not judged.
    SimulationState cold = Sound();
    cold.BarrelC0 = 200;
    EXPECT_EQ(CauseOf(cold, ArithmeticError("fault", 1)), "");
    EXPECT_NE(CauseOf(cold, fault), "");
    // A run refused for its length has its own message.
    SimulationState beyond = Sound();
    beyond.DelayTurns = 30;
    EXPECT_EQ(CauseOf(beyond, IncrementLimitError("too long")), "");
    EXPECT_NE(CauseOf(beyond, fault), "");
}

// The window's request shows the same message, and the outcome stays.
TEST(Causes, TheRequestShowsTheCauseWithTheErrorsText) {
    FieldTexts texts = DefaultFieldTexts('.');
    texts[FieldIndexOf("BarrelC0")] = "265";
    texts[kFieldCount - 1] = ::testing::TempDir() + "causes-request.txt";
    SimulationState state;
    test::RecordingUi ui;
    EXPECT_EQ(RunCalculationRequest(texts, '.', state, ui), RequestOutcome::CalculationError);
    const std::vector<std::string> calls = {"busy on", "error: " + CalculateWith({{"BarrelC0", "265"}}).message,
                                            "busy off"};
    EXPECT_EQ(ui.calls, calls);
}

}  // namespace
}  // namespace tadmor
