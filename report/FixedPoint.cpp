#include "report/FixedPoint.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace tadmor {
namespace {

constexpr int kSignificantDigits = 18;

// |value| as 0.d1 d2 ... d18 x 10^exponent, the digits correctly rounded to
// nearest; zero has no digits and exponent 0.
struct DecimalExpansion {
    std::string digits;
    int exponent = 0;
};

DecimalExpansion Expand(double value) {
    if (value == 0) return {};
    // "d.ddddddddddddddddde+XX": 18 significant digits, then the exponent.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific,
                                      kSignificantDigits - 1);
    if (result.ec != std::errc()) throw std::logic_error("FormatFixedPoint: no room for the digits");
    const std::string_view written(text, static_cast<std::size_t>(result.ptr - text));
    const std::size_t e = written.find('e');
    DecimalExpansion expansion;
    for (const char c : written.substr(0, e))
        if (std::isdigit(static_cast<unsigned char>(c))) expansion.digits.push_back(c);
    std::string_view power = written.substr(e + 1);
    if (power.front() == '+') power.remove_prefix(1);
    std::from_chars(power.data(), power.data() + power.size(), expansion.exponent);
    ++expansion.exponent;
    return expansion;
}

// Keeps the first `count` digits, rounding half away from zero on the next
// one; a carry out of the first digit leaves "1" and raises the exponent.
void RoundToDigits(DecimalExpansion& e, int count) {
    if (count < 0) {
        e.digits.clear();
        return;
    }
    if (count >= static_cast<int>(e.digits.size())) return;
    const bool roundUp = e.digits[count] >= '5';
    e.digits.resize(count);
    if (!roundUp) return;
    int i = count - 1;
    while (i >= 0 && e.digits[i] == '9') e.digits[i--] = '0';
    if (i >= 0) {
        ++e.digits[i];
    } else {
        e.digits = "1";
        ++e.exponent;
    }
}

std::string ExponentForm(const std::string& digits, int exponent, int decimals, char separator) {
    std::string text(1, digits[0]);
    if (digits.size() > 1) {
        text += separator;
        text.append(digits, 1);
    }
    std::string power = std::to_string(exponent - 1);
    const std::size_t minimumWidth = decimals <= 4 ? static_cast<std::size_t>(std::max(decimals, 1)) : 1;
    if (power.size() < minimumWidth) power.insert(0, minimumWidth - power.size(), '0');
    return text + "E" + power;
}

std::string FixedForm(const std::string& digits, int exponent, int decimals, char separator) {
    std::string text;
    if (exponent <= 0) {
        text = "0";
    } else {
        text = digits.substr(0, exponent);
        text.resize(exponent, '0');
    }
    if (decimals > 0) {
        std::string fraction(std::clamp(-exponent, 0, decimals), '0');
        if (exponent < static_cast<int>(digits.size())) fraction.append(digits, std::max(exponent, 0));
        fraction.resize(decimals, '0');
        text += separator;
        text += fraction;
    }
    return text;
}

}  // namespace

std::string FormatFixedPoint(double value, int precision, int decimals, char separator) {
    if (!std::isfinite(value)) throw std::invalid_argument("FormatFixedPoint: value is not finite");
    DecimalExpansion e = Expand(value);
    RoundToDigits(e, std::min(e.exponent + decimals, precision));
    while (!e.digits.empty() && e.digits.back() == '0') e.digits.pop_back();
    if (e.digits.empty()) e.exponent = 0;

    const bool negative = value < 0 && !e.digits.empty();
    const std::string text = e.exponent > precision ? ExponentForm(e.digits, e.exponent, decimals, separator)
                                                    : FixedForm(e.digits, e.exponent, decimals, separator);
    return negative ? "-" + text : text;
}

std::string FormatFixed(int precision, int decimals, double value, char separator) {
    std::string text = FormatFixedPoint(value, precision, decimals, separator);
    const int length = static_cast<int>(text.size());
    if (length >= 3 && length < precision) text.insert(0, precision - length, ' ');
    return text;
}

}  // namespace tadmor
