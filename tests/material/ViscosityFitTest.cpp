// The least-squares fit of the viscosity law: tables made from known laws
// fitted back, standard errors against the scatter of noisy fits, the reduced
// laws of too few temperatures or shear rates, and the diagnostics.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "material/ViscosityFit.h"
#include "support/Errors.h"

namespace tadmor::material {
namespace {

using Coefficients = std::array<double, kLawCoefficientCount>;

// The window's law.
constexpr Coefficients kWindowLaw = {7.442, -0.80314, -0.055098, 0.0047899, -0.00012377, 0.0047277};

// ln eta of a law, written out here rather than taken from the code under test.
double LawLn(const Coefficients& a, double rate, double t) {
    const double l = std::log(rate);
    return a[0] + a[1] * l + a[2] * l * l + a[3] * t + a[4] * t * t + a[5] * l * t;
}

// n = 1 + d ln eta / d L and b = -d ln eta / dT of a law at a point, by
// central differences of LawLn.
std::pair<double, double> IndexAndSensitivity(const Coefficients& a, double rate, double t) {
    const double h = 1e-4;
    return {1 + (LawLn(a, rate * std::exp(h), t) - LawLn(a, rate * std::exp(-h), t)) / (2 * h),
            -(LawLn(a, rate, t + h) - LawLn(a, rate, t - h)) / (2 * h)};
}

std::vector<RheometerPoint> Table(const Coefficients& law, const std::vector<double>& temperatures,
                                  const std::vector<double>& rates, double noise = 0, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::normal_distribution<double> scatter(0, noise > 0 ? noise : 1);
    std::vector<RheometerPoint> points;
    for (const double t : temperatures)
        for (const double rate : rates)
            points.push_back({t, rate, std::exp(LawLn(law, rate, t) + (noise > 0 ? scatter(random) : 0))});
    return points;
}

const std::vector<double> kTemperatures = {180, 200, 220, 240, 260};
const std::vector<double> kRates = {1, 3, 10, 30, 100, 300, 1000, 3000};

TEST(ViscosityFit, ExactTableGivesTheLawBack) {
    const LawFit fit = FitViscosityLaw(Table(kWindowLaw, kTemperatures, kRates));
    for (int i = 0; i < kLawCoefficientCount; ++i) {
        EXPECT_TRUE(fit.fitted[i]);
        EXPECT_NEAR(fit.coefficients[i], kWindowLaw[i], 1e-9 * std::fabs(kWindowLaw[i])) << kMaterialInputs[i];
    }
    EXPECT_LT(fit.maxLogError, 1e-12);
    EXPECT_LT(fit.maxPercentError, 1e-10);
    EXPECT_TRUE(fit.notes.empty());
    EXPECT_EQ(fit.points, 40u);
    EXPECT_EQ(fit.temperatures, 5u);
    EXPECT_EQ(fit.shearRates, 8u);
    EXPECT_EQ(fit.range.temperatureMin, 180);
    EXPECT_EQ(fit.range.shearRateMax, 3000);
}

// Kelvin-sized temperatures and a narrow window would make the plain normal
// equations singular in double precision; the scaled problem is not.
TEST(ViscosityFit, NarrowWindowFarFromZero) {
    const LawFit fit = FitViscosityLaw(Table(kWindowLaw, {500, 500.5, 501, 501.5}, {100, 110, 120, 130}));
    for (int i = 0; i < kLawCoefficientCount; ++i)
        EXPECT_NEAR(fit.coefficients[i], kWindowLaw[i], 1e-6 * std::fabs(kWindowLaw[i])) << kMaterialInputs[i];
}

// Over many noisy tables the coefficients scatter as their standard errors
// say: about 95 % lie within 1.96 standard errors of the true value.
TEST(ViscosityFit, StandardErrorsCoverTheTrueValues) {
    constexpr int kTables = 400;
    std::array<int, kLawCoefficientCount> covered{};
    std::array<double, kLawCoefficientCount> sumSquares{}, sumErrors{};
    for (int k = 0; k < kTables; ++k) {
        const LawFit fit = FitViscosityLaw(Table(kWindowLaw, kTemperatures, kRates, 0.03, 100 + k));
        for (int i = 0; i < kLawCoefficientCount; ++i) {
            const double miss = fit.coefficients[i] - kWindowLaw[i];
            covered[i] += std::fabs(miss) <= 1.96 * fit.standardErrors[i];
            sumSquares[i] += miss * miss;
            sumErrors[i] += fit.standardErrors[i];
        }
        if (k == 0) {
            EXPECT_NEAR(fit.rmsLogError, 0.03, 0.01);  // the noise put in, less the fitted part
            for (int i = 0; i < kLawCoefficientCount; ++i)
                EXPECT_LT(std::fabs(fit.coefficients[i] - kWindowLaw[i]), 3 * fit.standardErrors[i]);
        }
    }
    for (int i = 0; i < kLawCoefficientCount; ++i) {
        EXPECT_GE(covered[i], 0.91 * kTables) << kMaterialInputs[i];
        EXPECT_LE(covered[i], 0.99 * kTables) << kMaterialInputs[i];
        // the spread of the estimates against the mean standard error
        EXPECT_NEAR(std::sqrt(sumSquares[i] / kTables) / (sumErrors[i] / kTables), 1.0, 0.12) << kMaterialInputs[i];
    }
}

TEST(ViscosityFit, TwoTemperaturesLeaveOutA22) {
    Coefficients law = kWindowLaw;
    law[4] = 0;
    const LawFit fit = FitViscosityLaw(Table(law, {200, 240}, kRates));
    EXPECT_FALSE(fit.fitted[4]);
    EXPECT_EQ(fit.coefficients[4], 0);
    EXPECT_TRUE(std::isnan(fit.standardErrors[4]));
    ASSERT_EQ(fit.notes.size(), 1u);
    EXPECT_EQ(fit.notes[0], "two temperatures only: a22 is 0 (ln eta linear in T)");
    for (const int i : {0, 1, 2, 3, 5}) EXPECT_NEAR(fit.coefficients[i], law[i], 1e-9 * std::fabs(law[i]));
}

// At one temperature T0 the law is a0 + a2 T0 + a22 T0² + (a1 + a12 T0) L + a11 L².
TEST(ViscosityFit, OneTemperatureIsNoTemperatureDependence) {
    const double t0 = 200;
    const LawFit fit = FitViscosityLaw(Table(kWindowLaw, {t0}, kRates));
    EXPECT_FALSE(fit.fitted[3] || fit.fitted[4] || fit.fitted[5]);
    const auto& a = kWindowLaw;
    EXPECT_NEAR(fit.coefficients[0], a[0] + a[3] * t0 + a[4] * t0 * t0, 1e-9);
    EXPECT_NEAR(fit.coefficients[1], a[1] + a[5] * t0, 1e-9);
    EXPECT_NEAR(fit.coefficients[2], a[2], 1e-11);
    EXPECT_EQ(fit.notes, std::vector<std::string>{"one temperature only: a2, a22 and a12 are 0 (no temperature "
                                                  "dependence)"});
}

TEST(ViscosityFit, OneShearRateIsNewtonian) {
    const LawFit fit = FitViscosityLaw(Table(kWindowLaw, kTemperatures, {50}));
    EXPECT_FALSE(fit.fitted[1] || fit.fitted[2] || fit.fitted[5]);
    const double l = std::log(50.0);
    const auto& a = kWindowLaw;
    EXPECT_NEAR(fit.coefficients[0], a[0] + a[1] * l + a[2] * l * l, 1e-9);
    EXPECT_NEAR(fit.coefficients[3], a[3] + a[5] * l, 1e-11);
    EXPECT_NEAR(fit.coefficients[4], a[4], 1e-13);
    EXPECT_EQ(fit.notes, std::vector<std::string>{"one shear rate only: a1, a11 and a12 are 0 (a Newtonian law)"});
    EXPECT_EQ(fit.indexMin, 1);
}

// Temperatures less than 0.1 degC apart, or shear rates less than 1 % apart,
// cannot determine the terms in T or in L: they count as one, each group
// from its lowest value.
TEST(ViscosityFit, ValuesTooCloseToTellApartCountAsOne) {
    const double t0 = 200;
    const LawFit close = FitViscosityLaw(Table(kWindowLaw, {t0, t0 + 1e-7}, kRates));
    EXPECT_EQ(close.temperatures, 1u);
    EXPECT_FALSE(close.fitted[3] || close.fitted[4] || close.fitted[5]);
    const auto& a = kWindowLaw;
    EXPECT_NEAR(close.coefficients[0], a[0] + a[3] * t0 + a[4] * t0 * t0, 1e-6);
    EXPECT_EQ(close.sensitivityMax, 0);  // not the 2e6 1/degC of the two temperatures apart
    EXPECT_EQ(close.range.temperatureMax, t0 + 1e-7);
    EXPECT_EQ(close.notes,
              (std::vector<std::string>{
                  "temperatures less than 0.1 degC apart count as one: the data's 2 different ones count as 1",
                  "one temperature only: a2, a22 and a12 are 0 (no temperature dependence)"}));

    const LawFit rates = FitViscosityLaw(Table(kWindowLaw, kTemperatures, {10, 10.09, 100, 1000}));
    EXPECT_EQ(rates.shearRates, 3u);
    EXPECT_EQ(rates.notes, std::vector<std::string>{
                               "shear rates less than 1 % apart count as one: the data's 4 different ones count as 3"});
    const LawFit ramp = FitViscosityLaw(Table(kWindowLaw, {200, 200.06, 200.12, 200.18, 200.24}, kRates));
    EXPECT_EQ(ramp.temperatures, 3u);
    EXPECT_TRUE(ramp.fitted[4]);
}

// At one temperature and one shear rate the law is the mean of ln eta: for
// ln eta = 1 ± d the RMS error of ln eta is d, refused above ln 2.
TEST(ViscosityFit, AFitMissingByMoreThanAFactorOfTwoIsRefused) {
    const auto pair = [](double d) {
        return std::vector<RheometerPoint>{{200, 10, std::exp(1 + d)}, {200, 10, std::exp(1 - d)}};
    };
    const LawFit fit = FitViscosityLaw(pair(0.69));
    EXPECT_NEAR(fit.coefficients[0], 1, 1e-15);
    EXPECT_NEAR(fit.rmsLogError, 0.69, 1e-15);
    EXPECT_EQ(test::ErrorTextOf([&] { FitViscosityLaw(pair(0.7)); }, ErrorKind::Fit),
              "the law misses the data by a factor of 2.01 on average (RMS error of ln eta 0.7, above ln 2 = "
              "0.693, the most that is of use): the six-coefficient law cannot follow these data; fit a narrower "
              "range of them");
}

// n = 1 + d ln eta / d L and b = -d ln eta / dT at the corners of the data,
// against central differences of the law.
TEST(ViscosityFit, IndexAndSensitivityOverTheData) {
    const LawFit fit = FitViscosityLaw(Table(kWindowLaw, kTemperatures, kRates));
    double nMin = INFINITY, nMax = -INFINITY, bMin = INFINITY, bMax = -INFINITY;
    for (const double rate : {1.0, 3000.0})
        for (const double t : {180.0, 260.0}) {
            const auto [n, b] = IndexAndSensitivity(kWindowLaw, rate, t);
            nMin = std::min(nMin, n), nMax = std::max(nMax, n);
            bMin = std::min(bMin, b), bMax = std::max(bMax, b);
        }
    EXPECT_NEAR(fit.indexMin, nMin, 1e-8);
    EXPECT_NEAR(fit.indexMax, nMax, 1e-8);
    EXPECT_NEAR(fit.sensitivityMin, bMin, 1e-8);
    EXPECT_NEAR(fit.sensitivityMax, bMax, 1e-8);
    // The window's law is shear-thickening at 1 1/s and 260 degC (n = 1.43),
    // not from 100 1/s up.
    EXPECT_GT(nMax, 1.4);
    ASSERT_EQ(fit.warnings.size(), 1u);
    EXPECT_NE(fit.warnings[0].find("power-law index n leaves (0, 1]"), std::string::npos);
    EXPECT_TRUE(FitViscosityLaw(Table(kWindowLaw, kTemperatures, {100, 300, 1000, 3000})).warnings.empty());
}

TEST(ViscosityFit, WarningsOutsideTheSensibleLaw) {
    Coefficients thickening = kWindowLaw;
    thickening[1] = 0.3;  // n above 1 at low shear rates
    const LawFit shear = FitViscosityLaw(Table(thickening, kTemperatures, kRates));
    ASSERT_EQ(shear.warnings.size(), 1u);
    EXPECT_NE(shear.warnings[0].find("power-law index n leaves (0, 1]"), std::string::npos);
    EXPECT_GT(shear.indexMax, 1);

    Coefficients warming = kWindowLaw;
    warming[3] = 0.08;  // ln eta rising with T at the cold end
    const LawFit heat = FitViscosityLaw(Table(warming, kTemperatures, {100, 300, 1000, 3000}));
    ASSERT_EQ(heat.warnings.size(), 1u);
    EXPECT_NE(heat.warnings[0].find("temperature sensitivity b drops to 0 or below"), std::string::npos);
    EXPECT_LE(heat.sensitivityMin, 0);
}

// Whether `action` throws an Error of kind Fit.
template <typename Action>
bool FitRefusal(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Kind() == ErrorKind::Fit;
    }
    return false;
}

TEST(ViscosityFit, DataThatCannotBeFitted) {
    EXPECT_EQ(FitRefusal([&] { FitViscosityLaw({}); }), true);
    // Shear rate and temperature rising together: L and T cannot be told apart.
    std::vector<RheometerPoint> diagonal;
    for (int k = 0; k < 6; ++k) {
        const double t = 200 + 10 * k, rate = std::exp(0.5 * k);
        diagonal.push_back({t, rate, std::exp(LawLn(kWindowLaw, rate, t))});
    }
    try {
        FitViscosityLaw(diagonal);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "the points do not determine ViscA1, ViscA11, ViscA2, ViscA22 and ViscA12 together: measure more "
                  "shear rates at more temperatures");
    }
    EXPECT_EQ(FitRefusal([&] { FitViscosityLaw({{200, 10, 1}, {200, 100, 0}}); }), true);
    EXPECT_EQ(FitRefusal([&] {
                  FitViscosityLaw({{200, 10, 1}, {210, 20, 2}, {220, 30, 3}});
              }),
              true);  // 3 points, 6 terms
}

// Each factor of the law scaled at a reference point, read back from ln eta
// evaluated directly: n and b by central differences in L and T (exact but
// for rounding, the law being quadratic in both), and away from the
// reference the change of ln eta the factor stands for.
TEST(ScaledLaw, ChangesOneFactorAtTheReferenceAndKeepsTheOthers) {
    const double rate = 100, t = 265;         // the reference
    const double farRate = 2000, farT = 230;  // a point away from it
    struct Factors {
        double ln, n, b;
    };
    const auto factorsOf = [&](const Coefficients& a) {
        const auto [n, b] = IndexAndSensitivity(a, rate, t);
        return Factors{LawLn(a, rate, t), n, b};
    };
    const Factors before = factorsOf(kWindowLaw);
    for (const double by : {0.95, 1.05}) {
        const double dn = before.n * (by - 1), db = before.b * (by - 1);
        const struct {
            LawFactor factor;
            Factors expected;
            double farChange;  // of ln eta at the far point
        } cases[] = {
            {LawFactor::Level, {before.ln + std::log(by), before.n, before.b}, std::log(by)},
            {LawFactor::Index, {before.ln, before.n * by, before.b}, dn * std::log(farRate / rate)},
            {LawFactor::Sensitivity, {before.ln, before.n, before.b * by}, -db * (farT - t)},
        };
        for (const auto& c : cases) {
            const Coefficients scaled = ScaledLaw(kWindowLaw, c.factor, by, rate, t);
            const Factors after = factorsOf(scaled);
            const std::string what = std::to_string(static_cast<int>(c.factor)) + " by " + std::to_string(by);
            EXPECT_NEAR(after.ln, c.expected.ln, 1e-12) << what;
            EXPECT_NEAR(after.n, c.expected.n, 1e-9) << what;
            EXPECT_NEAR(after.b, c.expected.b, 1e-9) << what;
            // dn and db come from the differences, good to about 1e-10.
            EXPECT_NEAR(LawLn(scaled, farRate, farT) - LawLn(kWindowLaw, farRate, farT), c.farChange, 1e-9) << what;
            // The local factors as the code reads them agree.
            EXPECT_NEAR(static_cast<double>(LocalIndex(scaled, rate, t)), after.n, 1e-9) << what;
            EXPECT_NEAR(static_cast<double>(LocalSensitivity(scaled, rate, t)), after.b, 1e-9) << what;
        }
    }
}

}  // namespace
}  // namespace tadmor::material
