#include "material/ViscosityFit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <set>

#include "material/Units.h"
#include "model/NumberText.h"

namespace tadmor::material {

namespace {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::Matrix<long double, Eigen::Dynamic, 1>;

// Terms of the law in coefficient order: the powers of L and T in each.
struct Term {
    int powerL, powerT;
};
constexpr Term kTerms[kLawCoefficientCount] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}, {1, 1}};

// A variable mapped onto [-1, 1]: v = (x - centre) / halfWidth, so that the
// columns of the least-squares problem are of one size and well apart.
struct Scale {
    long double centre = 0, halfWidth = 1;
    Scale(long double low, long double high) : centre((low + high) / 2), halfWidth(high > low ? (high - low) / 2 : 1) {}
    long double operator()(long double x) const { return (x - centre) / halfWidth; }
};

long double Power(long double x, int power) { return power == 0 ? 1 : power == 1 ? x : x * x; }

// The coefficients of ln eta in L and T from those in the scaled u = (L - cL)
// / hL and v = (T - cT) / hT: row i of the matrix gives coefficient i of the
// law as a combination of the scaled ones. With u = pL + qL·L (pL = -cL/hL,
// qL = 1/hL) and likewise v, each scaled term expands by the binomial theorem.
Matrix BackTransform(const Scale& l, const Scale& t) {
    const long double pL = -l.centre / l.halfWidth, qL = 1 / l.halfWidth;
    const long double pT = -t.centre / t.halfWidth, qT = 1 / t.halfWidth;
    // coefficient of x^k in (p + q x)^n
    const auto binomial = [](long double p, long double q, int n, int k) -> long double {
        if (k > n) return 0;
        const long double choose = (n == 2 && k == 1) ? 2 : 1;
        return choose * Power(q, k) * Power(p, n - k);
    };
    Matrix m(kLawCoefficientCount, kLawCoefficientCount);
    for (int i = 0; i < kLawCoefficientCount; ++i)
        for (int j = 0; j < kLawCoefficientCount; ++j)
            m(i, j) = binomial(pL, qL, kTerms[j].powerL, kTerms[i].powerL) *
                      binomial(pT, qT, kTerms[j].powerT, kTerms[i].powerT);
    return m;
}

// How many values there are when each group of them, from its lowest up,
// counts as one; `same(lowest, value)` says whether `value` joins the group
// that starts at `lowest`.
std::size_t DistinctCount(const std::set<double>& values, const auto& same) {
    std::size_t count = 0;
    double lowest = 0;
    for (const double value : values)
        if (count == 0 || !same(lowest, value)) {
            ++count;
            lowest = value;
        }
    return count;
}

std::string Names(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

}  // namespace

long double LogViscosity(const std::array<double, kLawCoefficientCount>& a, long double shearRate,
                         long double temperature) {
    const long double l = std::log(shearRate), t = temperature;
    return a[0] + a[1] * l + a[2] * l * l + a[3] * t + a[4] * t * t + a[5] * l * t;
}

long double LocalIndex(const std::array<double, kLawCoefficientCount>& a, long double shearRate,
                       long double temperature) {
    return 1 + a[1] + 2 * a[2] * std::log(shearRate) + a[5] * temperature;
}

long double LocalSensitivity(const std::array<double, kLawCoefficientCount>& a, long double shearRate,
                             long double temperature) {
    // 0 - x, not -x: a law without T has b = 0, not -0.
    return 0 - (a[3] + 2 * a[4] * temperature + a[5] * std::log(shearRate));
}

std::array<double, kLawCoefficientCount> ScaledLaw(const std::array<double, kLawCoefficientCount>& a, LawFactor factor,
                                                   double by, double shearRate, double temperature) {
    std::array<double, kLawCoefficientCount> scaled = a;
    const long double l = std::log(static_cast<long double>(shearRate)), t = temperature;
    switch (factor) {
        case LawFactor::Level:
            scaled[0] = static_cast<double>(a[0] + std::log(static_cast<long double>(by)));
            break;
        case LawFactor::Index: {
            const long double dn = LocalIndex(a, shearRate, temperature) * (by - 1.0L);
            scaled[1] = static_cast<double>(a[1] + dn);
            scaled[0] = static_cast<double>(a[0] - dn * l);
            break;
        }
        case LawFactor::Sensitivity: {
            const long double db = LocalSensitivity(a, shearRate, temperature) * (by - 1.0L);
            scaled[3] = static_cast<double>(a[3] - db);
            scaled[0] = static_cast<double>(a[0] + db * t);
            break;
        }
    }
    return scaled;
}

LawFit FitViscosityLaw(const std::vector<RheometerPoint>& points) {
    LawFit fit;
    fit.points = points.size();
    std::set<double> temperatures, rates;
    for (const RheometerPoint& p : points) {
        if (!(p.temperature > kAbsoluteZero && std::isfinite(p.temperature) && p.shearRate > 0 &&
              std::isfinite(p.shearRate) && p.viscosity > 0 && std::isfinite(p.viscosity)))
            throw Error(ErrorKind::Fit,
                        "every point needs a finite temperature above absolute zero and a positive shear rate and "
                        "viscosity");
        temperatures.insert(p.temperature);
        rates.insert(p.shearRate);
    }
    if (points.empty()) throw Error(ErrorKind::Fit, "the table has no points");
    fit.temperatures =
        DistinctCount(temperatures, [](double lowest, double t) { return t - lowest < kSameTemperature; });
    fit.shearRates =
        DistinctCount(rates, [](double lowest, double rate) { return rate < lowest * kSameShearRateRatio; });
    fit.range = {*temperatures.begin(), *temperatures.rbegin(), *rates.begin(), *rates.rbegin()};
    if (fit.temperatures < temperatures.size())
        fit.notes.push_back("temperatures less than " + NumberText(kSameTemperature, 1) +
                            " degC apart count as one: the data's " + std::to_string(temperatures.size()) +
                            " different ones count as " + std::to_string(fit.temperatures));
    if (fit.shearRates < rates.size())
        fit.notes.push_back("shear rates less than " + NumberText(100 * (kSameShearRateRatio - 1), 0) +
                            " % apart count as one: the data's " + std::to_string(rates.size()) +
                            " different ones count as " + std::to_string(fit.shearRates));

    const bool withL = fit.shearRates >= 2, withL2 = fit.shearRates >= 3;
    const bool withT = fit.temperatures >= 2, withT2 = fit.temperatures >= 3;
    fit.fitted = {true, withL, withL2, withT, withT2, withL && withT};
    if (!withT)
        fit.notes.push_back("one temperature only: a2, a22 and a12 are 0 (no temperature dependence)");
    else if (!withT2)
        fit.notes.push_back("two temperatures only: a22 is 0 (ln eta linear in T)");
    if (!withL)
        fit.notes.push_back("one shear rate only: a1, a11 and a12 are 0 (a Newtonian law)");
    else if (!withL2)
        fit.notes.push_back("two shear rates only: a11 is 0 (ln eta linear in ln shear rate)");

    std::vector<int> columns;
    for (int i = 0; i < kLawCoefficientCount; ++i)
        if (fit.fitted[i]) columns.push_back(i);
    const Eigen::Index n = static_cast<Eigen::Index>(points.size());
    const Eigen::Index p = static_cast<Eigen::Index>(columns.size());
    if (n < p)
        throw Error(ErrorKind::Fit, std::to_string(points.size()) + " points cannot determine " +
                                        std::to_string(columns.size()) + " coefficients");

    const Scale scaleL(std::log(static_cast<long double>(fit.range.shearRateMin)),
                       std::log(static_cast<long double>(fit.range.shearRateMax)));
    const Scale scaleT(fit.range.temperatureMin, fit.range.temperatureMax);
    Matrix x(n, p);
    Vector y(n);
    for (Eigen::Index r = 0; r < n; ++r) {
        const RheometerPoint& point = points[r];
        const long double u = scaleL(std::log(static_cast<long double>(point.shearRate)));
        const long double v = scaleT(point.temperature);
        for (Eigen::Index c = 0; c < p; ++c)
            x(r, c) = Power(u, kTerms[columns[c]].powerL) * Power(v, kTerms[columns[c]].powerT);
        y(r) = std::log(static_cast<long double>(point.viscosity));
    }

    const Eigen::JacobiSVD<Matrix> svd(x, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Vector& singular = svd.singularValues();
    if (singular(p - 1) <= 1e-12L * singular(0)) {
        std::vector<std::string> names;
        for (const int c : columns)
            if (c > 0) names.push_back(std::string(kMaterialInputs[c]));
        throw Error(ErrorKind::Fit, "the points do not determine " + Names(names) +
                                        " together: measure more shear rates at more temperatures");
    }
    const Vector scaled = svd.solve(y);

    // Back to the coefficients in L and T, with their covariance.
    Vector full = Vector::Zero(kLawCoefficientCount);
    for (Eigen::Index c = 0; c < p; ++c) full(columns[c]) = scaled(c);
    const Matrix back = BackTransform(scaleL, scaleT);
    const Vector a = back * full;
    for (int i = 0; i < kLawCoefficientCount; ++i) fit.coefficients[i] = fit.fitted[i] ? static_cast<double>(a(i)) : 0;

    long double sumSquares = 0, sumPercent = 0;
    for (const RheometerPoint& point : points) {
        const long double residual =
            LogViscosity(fit.coefficients, point.shearRate, point.temperature) - std::log(point.viscosity);
        const long double percent = 100 * std::expm1(residual);
        sumSquares += residual * residual;
        sumPercent += percent * percent;
        fit.maxLogError = std::max(fit.maxLogError, static_cast<double>(std::fabs(residual)));
        fit.maxPercentError = std::max(fit.maxPercentError, static_cast<double>(std::fabs(percent)));
    }
    fit.rmsLogError = static_cast<double>(std::sqrt(sumSquares / n));
    fit.rmsPercentError = static_cast<double>(std::sqrt(sumPercent / n));
    if (!(fit.rmsLogError <= kLargestRmsLogError))
        throw Error(ErrorKind::Fit, "the law misses the data by a factor of " +
                                        SignificantNumber(std::exp(fit.rmsLogError), 3) +
                                        " on average (RMS error of ln eta " + SignificantNumber(fit.rmsLogError, 3) +
                                        ", above ln 2 = 0.693, the most that is of use): the six-coefficient "
                                        "law cannot follow these data; fit a narrower range of them");

    fit.standardErrors.fill(NAN);
    if (n > p) {
        // Covariance of the scaled coefficients: s² (XᵀX)⁻¹ = s² V Σ⁻² Vᵀ.
        const long double variance = sumSquares / (n - p);
        const Matrix inverse =
            svd.matrixV() * singular.array().square().inverse().matrix().asDiagonal() * svd.matrixV().transpose();
        Matrix covariance = Matrix::Zero(kLawCoefficientCount, kLawCoefficientCount);
        for (Eigen::Index i = 0; i < p; ++i)
            for (Eigen::Index j = 0; j < p; ++j) covariance(columns[i], columns[j]) = variance * inverse(i, j);
        const Matrix transformed = back * covariance * back.transpose();
        for (int i = 0; i < kLawCoefficientCount; ++i)
            if (fit.fitted[i]) fit.standardErrors[i] = static_cast<double>(std::sqrt(transformed(i, i)));
    }

    // n and b are linear in L and T: their extremes lie at the corners.
    const auto& c = fit.coefficients;
    fit.indexMin = fit.sensitivityMin = INFINITY;
    fit.indexMax = fit.sensitivityMax = -INFINITY;
    for (const double rate : {fit.range.shearRateMin, fit.range.shearRateMax})
        for (const double t : {fit.range.temperatureMin, fit.range.temperatureMax}) {
            const double index = static_cast<double>(LocalIndex(c, rate, t));
            const double sensitivity = static_cast<double>(LocalSensitivity(c, rate, t));
            fit.indexMin = std::min(fit.indexMin, index);
            fit.indexMax = std::max(fit.indexMax, index);
            fit.sensitivityMin = std::min(fit.sensitivityMin, sensitivity);
            fit.sensitivityMax = std::max(fit.sensitivityMax, sensitivity);
        }
    if (fit.indexMin <= 0 || fit.indexMax > 1)
        fit.warnings.push_back(
            "the local power-law index n leaves (0, 1] inside the data's range: the law is not "
            "shear-thinning there, and the model's film solutions expect 0 < n <= 1");
    if (withT && fit.sensitivityMin <= 0)
        fit.warnings.push_back(
            "the temperature sensitivity b drops to 0 or below inside the data's range: the "
            "viscosity does not fall everywhere as the temperature rises");
    return fit;
}

}  // namespace tadmor::material
