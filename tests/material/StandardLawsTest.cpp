// The standard laws against values worked out from their formulas, and the
// six-coefficient law fitted to each over a window.
#include <gtest/gtest.h>

#include <cmath>

#include "material/StandardLaws.h"
#include "support/Errors.h"

namespace tadmor::material {
namespace {

LawParameters Parameters(std::string_view law, const LawParameters& given) {
    return CompleteLawParameters(*FindStandardLaw(law), given);
}

const LawParameters kCross = {{"n", 0.3}, {"tau", 30000}, {"D1", 1e12}, {"D2", 373.15}, {"A1", 25}, {"A2", 51.6}};
const LawParameters kCarreau = {{"eta0", 5000}, {"lambda", 0.5}, {"a", 0.8}, {"n", 0.35}, {"Tref", 200}, {"Ea", 40}};

// Reference values from the formulas evaluated separately in double
// precision (Python), R = 8.31446261815324 J/(mol K).
TEST(StandardLaws, ValuesFromTheirFormulas) {
    EXPECT_NEAR(StandardLawViscosity(StandardLaw::CrossWlf, Parameters("cross-wlf", kCross), 200, 1000),
                304.4435972779613, 1e-12 * 304.4);
    EXPECT_NEAR(StandardLawViscosity(StandardLaw::CrossWlf, Parameters("cross-wlf", kCross), 240, 10),
                3250.9296965816234, 1e-12 * 3251);
    EXPECT_NEAR(StandardLawViscosity(StandardLaw::CarreauYasuda, Parameters("carreau-yasuda", kCarreau), 220, 100),
                324.43168739849017, 1e-12 * 324.4);
    LawParameters withInfinite = kCarreau;
    withInfinite["eta_inf"] = 10;
    EXPECT_NEAR(StandardLawViscosity(StandardLaw::CarreauYasuda, Parameters("carreau-yasuda", withInfinite), 200, 100),
                389.0230672666177, 1e-12 * 389);
    EXPECT_NEAR(StandardLawViscosity(
                    StandardLaw::PowerLaw,
                    Parameters("power-law", LawParameters{{"m", 1000}, {"n", 0.5}, {"T0", 200}, {"Ea", 50}}), 240, 10),
                117.41783923786649, 1e-12 * 117.4);
}

// The worked example of Rao and Schumacher, Design Formulas for Plastics
// Engineers, 2nd ed. (Hanser, 2004), section 1.3.7.2: an LDPE with n = 0.3286,
// beta = 0.00863 1/degC and K = 135990 N s^n/m2 has 373.1 Pa s at 200 degC
// and 500 1/s.
TEST(StandardLaws, PowerLawOfTheTextbookExample) {
    const LawParameters ldpe = Parameters("power-law", {{"m", 135990}, {"n", 0.3286}, {"b", 0.00863}});
    EXPECT_NEAR(StandardLawViscosity(StandardLaw::PowerLaw, ldpe, 200, 500), 373.1, 0.05);
    EXPECT_NEAR(StandardLawViscosity(StandardLaw::PowerLaw, ldpe, 200, 500), 373.1008488389969, 1e-12 * 373.1);
}

// An exponential power law is the six-coefficient law with a11 = a22 = a12 = 0:
// ln(eta in gf s/cm2) = ln(m / 98.0665) + b T0 + (n - 1) L - b T.
TEST(StandardLaws, ExponentialPowerLawFitsExactly) {
    const LawParameters p = Parameters("power-law", {{"m", 135990}, {"n", 0.3286}, {"b", 0.00863}, {"T0", 10}});
    const LawFit fit = FitViscosityLaw(SampleStandardLaw(StandardLaw::PowerLaw, p, {160, 240, 10, 1000}));
    EXPECT_NEAR(fit.coefficients[0], std::log(135990 / 98.0665) + 0.00863 * 10, 1e-10);
    EXPECT_NEAR(fit.coefficients[1], 0.3286 - 1, 1e-11);
    EXPECT_NEAR(fit.coefficients[3], -0.00863, 1e-13);
    for (const int i : {2, 4, 5}) EXPECT_NEAR(fit.coefficients[i], 0, 1e-12);
    EXPECT_LT(fit.maxLogError, 1e-12);
    EXPECT_EQ(fit.points, 9u * 21u);
    EXPECT_NEAR(fit.indexMin, 0.3286, 1e-11);
    EXPECT_NEAR(fit.sensitivityMax, 0.00863, 1e-13);
}

// Over a window, the fit's reported error is that of the law it was fitted to.
TEST(StandardLaws, FitErrorOverTheWindow) {
    struct Case {
        StandardLaw law;
        std::string_view name;
        LawParameters settings;
        FittedRange window;
    };
    const Case cases[] = {
        {StandardLaw::CrossWlf, "cross-wlf", kCross, {180, 240, 10, 3000}},
        {StandardLaw::CarreauYasuda, "carreau-yasuda", kCarreau, {180, 240, 10, 3000}},
        {StandardLaw::PowerLaw,
         "power-law",
         LawParameters{{"m", 1000}, {"n", 0.5}, {"T0", 200}, {"Ea", 50}},
         {180, 240, 10, 3000}},
    };
    for (const Case& c : cases) {
        const LawParameters p = Parameters(c.name, c.settings);
        const LawFit fit = FitViscosityLaw(SampleStandardLaw(c.law, p, c.window));
        double largest = 0;
        for (const double t : {180.0, 195.0, 210.0, 225.0, 240.0})
            for (const double rate : {10.0, 100.0, 1000.0, 3000.0}) {
                const double law = std::log(StandardLawViscosity(c.law, p, t, rate) / 98.0665);
                largest =
                    std::max(largest, std::fabs(static_cast<double>(LogViscosity(fit.coefficients, rate, t)) - law));
            }
        EXPECT_GT(fit.maxLogError, 0) << c.name;
        EXPECT_LE(largest, fit.maxLogError * (1 + 1e-9)) << c.name;  // grid points among the sampled ones
        EXPECT_LT(fit.maxLogError, 0.2) << c.name;
        EXPECT_NEAR(fit.maxPercentError, 100 * std::expm1(fit.maxLogError), 100 * std::expm1(fit.maxLogError) * 0.2)
            << c.name;
    }
}

TEST(StandardLaws, ParameterRefusals) {
    const struct {
        std::string_view law;
        LawParameters given;
        std::string error;
    } cases[] = {
        {"power-law", {{"n", 0.3}}, "power-law needs the parameter m (consistency at T0, Pa.s^n)"},
        {"power-law",
         {{"m", 1}, {"n", 0.3}, {"k", 2}},
         "power-law has no parameter \"k\" (its parameters: m, n, T0, b, Ea)"},
        {"power-law", {{"m", 1}, {"n", NAN}}, "power-law parameter n is not a finite number"},
        {"power-law",
         {{"m", 1}, {"n", 0.3}, {"b", 0.01}, {"Ea", 40}},
         "power-law takes either b (exponential) or Ea (Arrhenius), not both"},
        {"power-law", {{"m", 0}, {"n", 0.3}}, "power-law parameter m must be above 0 Pa.s^n, not 0"},
        {"power-law",
         {{"m", 1}, {"n", 0.3}, {"T0", -300}},
         "power-law parameter T0 must be above absolute zero, -273.15 degC, not -300"},
        {"carreau-yasuda",
         {{"eta0", 5000}, {"lambda", 0.5}, {"n", 0.35}, {"Tref", -400}},
         "carreau-yasuda parameter Tref must be above absolute zero, -273.15 degC, not -400"},
        {"carreau-yasuda",
         {{"eta0", 5000}, {"lambda", 0.5}, {"n", 0.35}, {"Tref", 200}, {"a", 0}},
         "carreau-yasuda parameter a must be above 0, not 0"},
        {"cross-wlf",
         {{"n", 0.3}, {"tau", 30000}, {"D1", 1e12}, {"D2", 0}, {"A1", 25}, {"A2", 51.6}},
         "cross-wlf parameter D2 must be above absolute zero, 0 K, not 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(test::ErrorTextOf([&] { Parameters(c.law, c.given); }), c.error);
    EXPECT_EQ(FindStandardLaw("cross"), nullptr);
}

// Cross-WLF's pole lies where A2 + T_K - D2 = 0: at D2 - A2 - 273.15 degC.
TEST(StandardLaws, ThePoleOfCrossWlf) {
    EXPECT_NEAR(*LawPole(StandardLaw::CrossWlf, kCross), 373.15 - 51.6 - 273.15, 1e-12);
    EXPECT_FALSE(LawPole(StandardLaw::PowerLaw, Parameters("power-law", {{"m", 1}, {"n", 0.5}})));
}

}  // namespace
}  // namespace tadmor::material
