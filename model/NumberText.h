// Numbers as text in the program's own messages, summaries and labels.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/Arithmetic.h"

namespace tadmor {

// The program's one reader of numbers, whatever the locale. Accepts exactly:
// blanks (spaces), an optional sign, digits with at most one `separator` (a
// lone separator reads as 0), an optional exponent ("E" or "e", optional
// sign, digits), blanks, end. No group separators. Evaluated with a 64-bit
// mantissa; nothing when the text is not such a number or its value is
// beyond the range of a double.
std::optional<Extended> TextToExtended(std::string_view text, char separator);

// The same number rounded to double: the conversion of the window's fields.
std::optional<double> TextToNumber(std::string_view text, char separator);

// `value` with "." as its decimal point whatever the locale, showing its
// digits down to the place 10^-decimals (`decimals` may be negative).
// Fixed-point with max(decimals, 0) decimals where that reads well: |value|
// below 1e15 and at most 12 decimals. Otherwise exponent form ("1.5e+300",
// "2e-07") with those digits, at most `significant` and at most 17, trailing
// zeros dropped; with all 17 the shortest text that reads back as the same
// double. A zero has no minus sign; "inf", "-inf" and "nan" for the rest.
std::string NumberText(double value, int decimals, int significant = 17);

// `value` with `digits` significant digits (1 to 17) in the shorter of
// fixed and exponent form, trailing zeros dropped: "1000", "2.5e-07".
std::string SignificantNumber(double value, int digits);

// The shortest text, with ".", that reads back as exactly `value`, both
// through TextToNumber and through any correctly rounded reader. For the few
// doubles whose shortest text TextToNumber would round differently (it
// rounds twice: to 64 bits, then to double) it has 21 significant digits.
// A non-finite value gives "inf", "-inf" or "nan". `separator` replaces the ".".
std::string ExactNumber(double value, char separator = '.');

}  // namespace tadmor
