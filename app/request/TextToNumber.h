// Conversion of an input text to a number.
#pragma once

#include <optional>
#include <string_view>

namespace tadmor {

// Accepts exactly: blanks (spaces), an optional sign, digits with at most one
// decimal separator (a lone separator reads as 0), an optional exponent
// ("E" or "e", optional sign, digits), blanks, end. No group separators.
// Evaluated with a 64-bit mantissa and rounded to double; a value too large
// for a double fails. Returns nothing when the text is not such a number.
std::optional<double> TextToNumber(std::string_view text, char separator);

}  // namespace tadmor
