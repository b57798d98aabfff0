#include "app/request/TextToNumber.h"

#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace tadmor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digits starting at `pos`, moving `pos` past them.
std::string_view TakeDigits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

void SkipBlanks(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

// The "C" locale, so that the evaluation never depends on the process's
// locale, which the window sets to the user's.
locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
    return classic;
}

}  // namespace

std::optional<double> TextToNumber(std::string_view text, char separator) {
    std::size_t pos = 0;
    SkipBlanks(text, pos);

    std::string number;  // the same number, rebuilt with "." as separator
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) number += text[pos++];

    const std::string_view whole = TakeDigits(text, pos);
    std::string_view fraction;
    bool hasSeparator = false;
    if (pos < text.size() && text[pos] == separator) {
        hasSeparator = true;
        ++pos;
        fraction = TakeDigits(text, pos);
    }
    if (whole.empty() && !hasSeparator) return std::nullopt;
    // A leading 0 makes ".5" and a lone separator valid for strtold.
    number += '0';
    number += whole;
    number += '.';
    number += fraction;

    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        number += 'e';
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) number += text[pos++];
        const std::string_view exponent = TakeDigits(text, pos);
        if (exponent.empty()) return std::nullopt;
        number += exponent;
    }

    SkipBlanks(text, pos);
    if (pos != text.size()) return std::nullopt;

    // Evaluated with a 64-bit mantissa, then rounded to double.
    const long double extended = strtold_l(number.c_str(), nullptr, ClassicLocale());
    const double value = static_cast<double>(extended);
    if (std::isinf(value)) return std::nullopt;
    return value;
}

}  // namespace tadmor
