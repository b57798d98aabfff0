#include "model/NumberText.h"

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace tadmor {

namespace {

constexpr double kLargestFixed = 1e15;
constexpr int kMostFixedDecimals = 12;
constexpr int kDoubleDigits = 17;  // enough to tell every double apart

// The text that std::to_chars writes; `args` after the value. The buffer
// holds any double in any form used here, and a failure is never ignored.
template <typename... Args>
std::string ToChars(double value, Args... args) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, args...);
    if (result.ec != std::errc()) throw std::logic_error("NumberText: no room for a number");
    return std::string(text, result.ptr);
}

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

std::optional<Extended> TextToExtended(std::string_view text, char separator) {
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

    const Extended extended = strtold_l(number.c_str(), nullptr, ClassicLocale());
    if (std::isinf(static_cast<double>(extended))) return std::nullopt;
    return extended;
}

std::optional<double> TextToNumber(std::string_view text, char separator) {
    const std::optional<Extended> extended = TextToExtended(text, separator);
    if (!extended) return std::nullopt;
    return static_cast<double>(*extended);
}

std::string SignificantNumber(double value, int digits) {
    return ToChars(value, std::chars_format::general, std::clamp(digits, 1, kDoubleDigits));
}

std::string ExactNumber(double value, char separator) {
    std::string text = ToChars(value);
    // 21 significant digits lie within 1e-20 of the double: nearer than
    // either rounding could take it to the next double.
    if (std::isfinite(value) && TextToNumber(text, '.') != value)
        text = ToChars(value, std::chars_format::scientific, 20);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string NumberText(double value, int decimals, int significant) {
    if (!std::isfinite(value)) return ToChars(value);
    if (value == 0 && decimals > kMostFixedDecimals) return "0";
    if (std::fabs(value) < kLargestFixed && decimals <= kMostFixedDecimals) {
        std::string text = ToChars(value, std::chars_format::fixed, std::max(decimals, 0));
        if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
        return text;
    }
    const int leading = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int digits = std::clamp(leading + 1 + decimals, 1, std::clamp(significant, 1, kDoubleDigits));
    if (digits == kDoubleDigits) return ToChars(value, std::chars_format::scientific);

    std::string text = ToChars(value, std::chars_format::scientific, digits - 1);
    const auto exponent = text.find('e');
    auto end = text.find_last_not_of('0', exponent - 1);
    if (text[end] == '.') --end;
    return text.erase(end + 1, exponent - end - 1);
}

}  // namespace tadmor
