// Numbers as text in the program's own messages, summaries and labels.
#pragma once

#include <string>

namespace tadmor {

// `value` with "." as its decimal point whatever the locale, showing its
// digits down to the place 10^-decimals (`decimals` may be negative).
// Fixed-point with max(decimals, 0) decimals where that reads well: |value|
// below 1e15 and at most 12 decimals. Otherwise exponent form ("1.5e+300",
// "2e-07") with those digits, at most `significant` and at most 17, trailing
// zeros dropped; with all 17 the shortest text that reads back as the same
// double. A zero has no minus sign; "inf", "-inf" and "nan" for the rest.
std::string NumberText(double value, int decimals, int significant = 17);

// The shortest text, with ".", that reads back as exactly `value`.
std::string ExactNumber(double value);

}  // namespace tadmor
