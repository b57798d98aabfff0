// The number format of the results file.
#pragma once

#include <string>

namespace tadmor {

// The fixed-point format (P, D): value as fixed-point text with at most
// `precision` significant digits and exactly `decimals` decimals, or in
// exponent form when the integer part needs more than `precision` digits.
// Rounds half away from zero on the 18-significant-digit expansion of the
// double. `separator` is the decimal separator. value must be finite.
std::string FormatFixedPoint(double value, int precision, int decimals, char separator = '.');

// The same text, padded with spaces on the left to `precision` characters
// when it has at least 3 and fewer than `precision` characters.
std::string FormatFixed(int precision, int decimals, double value, char separator = '.');

}  // namespace tadmor
