// Checks a computed value against a figure printed to some number of digits.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace tadmor::test {

// Whether `actual` rounds to the figure `shown` (e.g. "0.03127910": eight
// decimals, so within half a unit of the eighth decimal).
inline ::testing::AssertionResult RoundsTo(double actual, const std::string& shown) {
    const double figure = std::strtod(shown.c_str(), nullptr);
    const auto point = shown.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(shown.size() - point - 1);
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    if (std::fabs(actual - figure) <= halfUnit * (1 + 1e-9)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "value " << ::testing::PrintToString(actual) << " does not round to "
                                         << shown;
}

// Whether a and b agree to a relative difference of at most `relative`.
inline ::testing::AssertionResult Near(double a, double b, double relative) {
    if (std::fabs(a - b) <= relative * std::fmax(std::fabs(a), std::fabs(b))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(a) << " and " << ::testing::PrintToString(b)
                                         << " differ by more than " << relative << " relative";
}

}  // namespace tadmor::test
