#include "model/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

}  // namespace

std::string ExactNumber(double value) { return ToChars(value); }

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
