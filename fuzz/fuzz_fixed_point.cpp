// Fuzzes the fixed-point format of the results file for the properties it
// promises: the shape of the text (digits, one separator, exactly D
// decimals, at most P significant digits, no blanks or plus signs, never
// "-0"), the choice between the fixed and the exponent form, and a round
// trip to within half a unit of the last kept digit (plus the error of the
// 18-digit expansion the format starts from). FormatFixed must pad to P.
//
// Input: byte 0 picks the separator and how the value is given, bytes 1 and
// 2 give P (2..18) and D (0..18); then either 8 bytes of a double or a
// decimal text read with strtod.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report/FixedPoint.h"

namespace {

[[noreturn]] void Fail(const char* what, double x, int p, int d, const std::string& text) {
    std::fprintf(stderr, "%s: value %.17g (%a) P %d D %d gave \"%s\"\n", what, x, x, p, d, text.c_str());
    std::abort();
}

// Decimal exponent E of |x| written as 0.d1d2... x 10^E, from its expansion
// to 18 significant digits.
int DecimalExponent(double x) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%.17e", std::fabs(x));
    if (length < 0 || length >= static_cast<int>(sizeof text)) std::abort();
    return std::atoi(std::strchr(text, 'e') + 1) + 1;
}

void Check(double x, int p, int d, char separator) {
    const std::string text = tadmor::FormatFixedPoint(x, p, d, separator);
    const auto fail = [&](const char* what) { Fail(what, x, p, d, text); };

    // Shape: -? digits (separator digits)? (E digits)?
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++i;
    const std::size_t intStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    const std::size_t intEnd = i;
    std::size_t fracStart = i, fracEnd = i;
    if (i < text.size() && text[i] == separator) {
        fracStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        fracEnd = i;
        if (fracEnd == fracStart) fail("separator without digits after it");
    }
    const bool exponentForm = i < text.size() && text[i] == 'E';
    std::size_t expStart = i, expEnd = i;
    if (exponentForm) {
        expStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        expEnd = i;
        if (expEnd == expStart) fail("exponent without digits");
    }
    if (i != text.size() || intEnd == intStart) fail("not the shape of a number");
    if (negative && text.find_first_of("123456789") == std::string::npos) fail("minus zero");
    if (negative && !(x < 0)) fail("minus sign on a value that is not negative");

    const int significant = [&] {
        const std::string digits =
            text.substr(intStart, intEnd - intStart) + text.substr(fracStart, fracEnd - fracStart);
        const std::size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos) return 0;
        return static_cast<int>(digits.find_last_not_of('0') - first + 1);
    }();
    if (significant > p) fail("more significant digits than P");

    // Value of the text, and the exponent it shows.
    std::string plain = text;
    if (fracEnd > fracStart) plain[fracStart - 1] = '.';
    const long double shown = std::strtold(plain.c_str(), nullptr);

    const int e0 = x == 0 ? 0 : DecimalExponent(x);
    if (exponentForm) {
        if (intEnd - intStart != 1 || text[intStart] == '0') fail("exponent form without one leading digit");
        if (fracEnd > fracStart && text[fracEnd - 1] == '0') fail("trailing zero in the exponent form");
        const int width = static_cast<int>(expEnd - expStart);
        const int minimum = d <= 4 ? std::max(d, 1) : 1;
        if (width < minimum || (width > minimum && text[expStart] == '0')) fail("exponent width");
        const int e = std::atoi(text.c_str() + expStart) + 1;
        if (e <= p) fail("exponent form for an integer part that fits");
        if (e != e0 && e != e0 + 1) fail("exponent does not match the value");
    } else {
        if (d == 0 && fracEnd > fracStart) fail("decimals where D is 0");
        if (d > 0 && static_cast<int>(fracEnd - fracStart) != d) fail("not exactly D decimals");
        if (intEnd - intStart > 1 && text[intStart] == '0') fail("leading zero");
        if (static_cast<int>(intEnd - intStart) > std::max(p, 1)) fail("integer part longer than P");
    }
    if (x < 0 && significant > 0 && !negative) fail("no minus sign on a negative value");

    // Round trip: the kept digits are K = min(E + D, P) of the expansion.
    const long double ax = std::fabs(static_cast<long double>(x));
    const int kept = std::min(e0 + d, p);
    long double tolerance = kept >= 0 ? 0.5L * std::pow(10.0L, e0 - kept) : std::pow(10.0L, e0);
    tolerance += 0.5L * std::pow(10.0L, e0 - 18) + 1e-18L * ax;
    if (std::fabs(std::fabs(shown) - ax) > tolerance) fail("does not round trip");

    const std::string padded = tadmor::FormatFixed(p, d, x, separator);
    const int length = static_cast<int>(text.size());
    const std::string expected = length >= 3 && length < p ? std::string(p - length, ' ') + text : text;
    if (padded != expected) fail("FormatFixed does not pad to P");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const char separator = data[0] & 1 ? ',' : '.';
    const int p = 2 + data[1] % 17;
    const int d = data[2] % 19;
    double x;
    if (data[0] & 2) {
        const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
        x = std::strtod(text.c_str(), nullptr);
    } else {
        std::uint8_t bytes[sizeof x] = {};
        std::memcpy(bytes, data + 3, std::min(size - 3, sizeof bytes));
        std::memcpy(&x, bytes, sizeof x);
    }
    if (!std::isfinite(x)) return 0;
    Check(x, p, d, separator);
    return 0;
}
