// Fuzzes the conversion of an input text to a number against a recogniser
// of the same grammar written here as a table of states: a text is accepted
// exactly when the grammar matches it and its value is finite as a double,
// and then the value is strtold of the text rounded to double, bit for bit.
//
// Input: the first byte chooses the decimal separator ("." or ","), the rest
// is the text.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "model/NumberText.h"

namespace {

enum State { Start, Sign, Whole, LoneSeparator, Fraction, ExponentMark, ExponentSign, Exponent, Trailing, Reject };

enum Class { Blank, PlusMinus, Digit, Separator, ExponentLetter, Other };

Class ClassOf(char c, char separator) {
    if (c == ' ') return Blank;
    if (c == '+' || c == '-') return PlusMinus;
    if (c >= '0' && c <= '9') return Digit;
    if (c == separator) return Separator;
    if (c == 'e' || c == 'E') return ExponentLetter;
    return Other;
}

// kNext[state][class]
constexpr State kNext[][6] = {
    //            Blank     PlusMinus     Digit     Separator      ExponentLetter Other
    /* Start */ {Start, Sign, Whole, LoneSeparator, Reject, Reject},
    /* Sign */ {Reject, Reject, Whole, LoneSeparator, Reject, Reject},
    /* Whole */ {Trailing, Reject, Whole, Fraction, ExponentMark, Reject},
    /* Lone */ {Trailing, Reject, Fraction, Reject, ExponentMark, Reject},
    /* Fract. */ {Trailing, Reject, Fraction, Reject, ExponentMark, Reject},
    /* E */ {Reject, ExponentSign, Exponent, Reject, Reject, Reject},
    /* E sign */ {Reject, Reject, Exponent, Reject, Reject, Reject},
    /* Exp. */ {Trailing, Reject, Exponent, Reject, Reject, Reject},
    /* Trail. */ {Trailing, Reject, Reject, Reject, Reject, Reject},
};

bool Accepting(State s) { return s == Whole || s == LoneSeparator || s == Fraction || s == Exponent || s == Trailing; }

bool Matches(std::string_view text, char separator) {
    State state = Start;
    for (char c : text) {
        state = kNext[state][ClassOf(c, separator)];
        if (state == Reject) return false;
    }
    return Accepting(state);
}

// The value of a matching text: strtold of the text without blanks and with
// "." as separator, rounded to double. A mantissa without digits reads as 0.
double ReferenceValue(std::string_view text, char separator) {
    std::string plain;
    bool mantissaDigit = false, inExponent = false;
    for (char c : text) {
        if (c == ' ') continue;
        if (c == 'e' || c == 'E') inExponent = true;
        if (!inExponent && c >= '0' && c <= '9') mantissaDigit = true;
        plain += c == separator ? '.' : c;
    }
    if (!mantissaDigit) return plain[0] == '-' ? -0.0 : 0.0;
    char* end = nullptr;
    const long double value = std::strtold(plain.c_str(), &end);
    if (*end != '\0') {
        std::fprintf(stderr, "strtold stopped early in \"%s\"\n", plain.c_str());
        std::abort();
    }
    return static_cast<double>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = data[0] & 1 ? ',' : '.';
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::optional<double> converted = tadmor::TextToNumber(text, separator);
    const bool matches = Matches(text, separator);
    const double expected = matches ? ReferenceValue(text, separator) : 0.0;
    const bool shouldAccept = matches && std::isfinite(expected);

    if (converted.has_value() != shouldAccept) {
        std::fprintf(stderr, "text \"%.*s\" (separator '%c'): %s, the grammar says %s\n", static_cast<int>(text.size()),
                     text.data(), separator, converted ? "accepted" : "refused", shouldAccept ? "accept" : "refuse");
        std::abort();
    }
    if (converted && std::memcmp(&*converted, &expected, sizeof expected) != 0) {
        std::fprintf(stderr, "text \"%.*s\" (separator '%c'): %.17g, expected %.17g\n", static_cast<int>(text.size()),
                     text.data(), separator, *converted, expected);
        std::abort();
    }
    return 0;
}
