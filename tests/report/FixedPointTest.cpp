#include <gtest/gtest.h>

#include <string>

#include "report/FixedPoint.h"

namespace tadmor {
namespace {

struct FixedPointCase {
    double value;
    int precision;
    int decimals;
    const char* text;  // with "." as the separator
};

std::string WithComma(std::string text) {
    for (char& c : text) {
        if (c == '.') c = ',';
    }
    return text;
}

void ExpectFormats(const FixedPointCase& c) {
    SCOPED_TRACE(testing::Message() << "value " << c.value << " P " << c.precision << " D " << c.decimals);
    EXPECT_EQ(FormatFixedPoint(c.value, c.precision, c.decimals, '.'), c.text);
    EXPECT_EQ(FormatFixedPoint(c.value, c.precision, c.decimals, ','), WithComma(c.text));
}

TEST(FixedPointFormat, ExamplesOfTheRule) {
    const FixedPointCase cases[] = {
        {15, 5, 1, "15.0"},
        {123.456, 5, 3, "123.460"},
        {12345.678, 5, 2, "12346.00"},
        {0.125, 5, 2, "0.13"},  // exact tie: away from zero
        {0.995, 5, 2, "0.99"},  // stored just below 0.995
        {2.5, 5, 0, "3"},
        {-0.004, 5, 2, "0.00"},
        {-0.006, 5, 2, "-0.01"},
        {-0.00012377, 13, 10, "-0.0001237700"},
        {0.00052, 8, 6, "0.000520"},
        {1234567, 6, 1, "1.23457E6"},
        {1000000, 5, 2, "1E06"},
        {99999.96, 5, 1, "1E5"},
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FixedPointFormat, ZeroHasNoSign) {
    const FixedPointCase cases[] = {
        {0.0, 5, 2, "0.00"}, {-0.0, 5, 2, "0.00"},       {0.0, 5, 0, "0"}, {-0.00000000001, 13, 10, "0.0000000000"},
        {-0.4, 5, 0, "0"},   {-0.0049999, 5, 2, "0.00"},
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FixedPointFormat, RoundsHalfAwayFromZeroWithCarry) {
    const FixedPointCase cases[] = {
        {-2.5, 5, 0, "-3"},        {-0.125, 5, 2, "-0.13"},
        {0.5, 5, 0, "1"},         // no digit kept, first digit 5: carry gives 1
        {0.006, 5, 2, "0.01"},    // carry raises the exponent below 1
        {9.9951, 5, 2, "10.00"},  // carry into a new integer digit
        {9.995, 5, 2, "9.99"},    // stored just below 9.995
        {12.345, 5, 2, "12.35"},  // stored just above 12.345
        {2.675, 5, 2, "2.67"},    // stored just below 2.675
        {1.0 / 3.0, 4, 2, "0.33"}, {2.0 / 3.0, 4, 2, "0.67"},
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FixedPointFormat, NegativeKeptDigitCountMeansZero) {
    const FixedPointCase cases[] = {
        {0.0009, 5, 2, "0.00"},  // K = -1: not rounded up to 0.01
        {-0.0009, 5, 2, "0.00"},
        {5e-324, 18, 18, "0.000000000000000000"},
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FixedPointFormat, PrecisionLimitsTheSignificantDigits) {
    const FixedPointCase cases[] = {
        {123456.0, 6, 3, "123456.000"},
        {98765.4321, 5, 4, "98765.0000"},
        {0.123456789, 3, 6, "0.123000"},
        {-0.80314, 10, 7, "-0.8031400"},
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FixedPointFormat, EighteenDigitsAreNeverRoundedAgain) {
    const FixedPointCase cases[] = {
        // 0.1 is stored as 0.1000000000000000055511...: 18 digits round the tail up.
        {0.1, 18, 18, "0.100000000000000006"},
        // Stored as 123456789.12345679104...
        {123456789.123456789, 18, 18, "123456789.123456791000000000"},
        {0.1, 18, 20, "0.10000000000000000600"},
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FixedPointFormat, ExponentForm) {
    const FixedPointCase cases[] = {
        {-1234567, 6, 1, "-1.23457E6"},
        {1234567, 6, 0, "1.23457E6"},
        {1000000, 5, 4, "1E0006"},  // at least D exponent digits while D <= 4
        {10000000, 5, 5, "1E7"},    // at least one digit when D > 4
        {1e20, 5, 2, "1E20"},
        {123456, 5, 1, "1.2346E5"},
        {1.7976931348623157e308, 18, 2, "1.79769313486231571E308"},
        {100000, 5, 0, "1E5"},
        {99999.4, 5, 0, "99999"},  // the integer part still fits
    };
    for (const FixedPointCase& c : cases) ExpectFormats(c);
}

TEST(FormatFixedField, PadsOnlyTextsOfThreeToPMinusOneCharacters) {
    EXPECT_EQ(FormatFixed(5, 2, 5.1), " 5.10");
    EXPECT_EQ(FormatFixed(5, 1, 290.04), "290.0");
    EXPECT_EQ(FormatFixed(6, 4, 0.0123), "0.0123");
    EXPECT_EQ(FormatFixed(5, 1, 8.0), "  8.0");
    EXPECT_EQ(FormatFixed(5, 0, 123.0), "  123");
    EXPECT_EQ(FormatFixed(5, 0, 12.0), "12");  // shorter than 3: unchanged
    EXPECT_EQ(FormatFixed(5, 0, 7.0), "7");
    EXPECT_EQ(FormatFixed(5, 2, -123.456), "-123.46");  // longer than P: unchanged
    EXPECT_EQ(FormatFixed(5, 1, 123456.0), "1.2346E5");
    EXPECT_EQ(FormatFixed(5, 2, 5.1, ','), " 5,10");
}

}  // namespace
}  // namespace tadmor
