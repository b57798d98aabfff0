// The six-coefficient viscosity law fitted to viscosities measured at
// several shear rates and temperatures, by linear least squares of ln eta.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "material/Material.h"

namespace tadmor::material {

// One measured viscosity, in the model's units.
struct RheometerPoint {
    double temperature = 0;  // degC
    double shearRate = 0;    // 1/s
    double viscosity = 0;    // gf s/cm2
};

// Temperatures less than kSameTemperature (degC) above the lowest of a group
// count as one temperature, and shear rates less than kSameShearRateRatio
// times the lowest of a group as one shear rate: over such a spread a
// typical law changes eta by less than a measurement scatters (b = 0.02
// 1/degC over 0.1 degC: 0.2 %; n = 0.3 over a ratio of 1.01: 0.7 %), so the
// data cannot determine the terms in T or in L from it.
inline constexpr double kSameTemperature = 0.1;
inline constexpr double kSameShearRateRatio = 1.01;

// The largest RMS error of ln eta of a fit that is of any use: ln 2, a law
// that misses the data by a factor of two on average.
inline constexpr double kLargestRmsLogError = 0.69314718055994531;

struct LawFit {
    // a0, a1, a11, a2, a22, a12 in the model's units: ln(eta in gf s/cm2) with
    // T in degC and L = ln(shear rate in 1/s).
    std::array<double, kLawCoefficientCount> coefficients{};
    std::array<bool, kLawCoefficientCount> fitted{};  // false: left at 0, the data cannot determine it
    // Standard errors of the coefficients; NaN for one not fitted, and for
    // all when there are no more points than coefficients.
    std::array<double, kLawCoefficientCount> standardErrors{};
    std::size_t points = 0, temperatures = 0, shearRates = 0;  // distinct ones, as the fit counts them
    FittedRange range;                                         // of the data
    double rmsLogError = 0, maxLogError = 0;                   // of ln eta: ln eta(law) - ln eta(data)
    double rmsPercentError = 0, maxPercentError = 0;           // of eta: 100 (eta(law) / eta(data) - 1), absolute
    // Over the data's range of shear rates and temperatures: the local
    // power-law index n = 1 + d ln eta / d L and the temperature sensitivity
    // b = -d ln eta / dT (1/degC, positive when the viscosity falls as the
    // temperature rises; the model's TempSensitivity is -b).
    double indexMin = 0, indexMax = 0;
    double sensitivityMin = 0, sensitivityMax = 0;
    std::vector<std::string> notes;     // the terms left out and why
    std::vector<std::string> warnings;  // n outside (0, 1], b at or below 0
};

// Fits ln eta = a0 + a1 L + a11 L² + a2 T + a22 T² + a12 L T. Fewer than three
// temperatures determine no a22, a single one no a2 and a12; the same for
// shear rates and a11, a1 and a12. Throws Error of kind Fit when the points are
// too few, do not determine the terms that remain, or the law misses them by
// more than kLargestRmsLogError.
LawFit FitViscosityLaw(const std::vector<RheometerPoint>& points);

// ln eta of the law at `shearRate` (1/s) and `temperature` (degC).
long double LogViscosity(const std::array<double, kLawCoefficientCount>& a, long double shearRate,
                         long double temperature);

// The law's local power-law index n = 1 + d ln eta / d L = 1 + a1 + 2 a11 L + a12 T
// and temperature sensitivity b = -d ln eta / dT = -(a2 + 2 a22 T + a12 L)
// (1/degC) at `shearRate` (1/s) and `temperature` (degC).
long double LocalIndex(const std::array<double, kLawCoefficientCount>& a, long double shearRate,
                       long double temperature);
long double LocalSensitivity(const std::array<double, kLawCoefficientCount>& a, long double shearRate,
                             long double temperature);

// The three factors of the law at a reference point (Lr, Tr) that can be
// changed one at a time, the other two unchanged there.
enum class LawFactor {
    Level,        // the viscosity itself
    Index,        // n, the viscosity at the reference kept
    Sensitivity,  // b, the viscosity at the reference kept
};

// The coefficients with `factor` multiplied by `by` at (`shearRate`, `temperature`):
//   Level:        a0 + ln(by): eta × by everywhere, n and b unchanged;
//   Index:        dn = n (by - 1); a1 + dn and a0 - dn Lr: ln eta changes
//                 by dn (L - Lr), so n rises by dn everywhere and b stays;
//   Sensitivity:  db = b (by - 1); a2 - db and a0 + db Tr: ln eta changes
//                 by -db (T - Tr), so b rises by db everywhere and n stays.
std::array<double, kLawCoefficientCount> ScaledLaw(const std::array<double, kLawCoefficientCount>& a, LawFactor factor,
                                                   double by, double shearRate, double temperature);

}  // namespace tadmor::material
