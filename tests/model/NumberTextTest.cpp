// Numbers as text at any magnitude: the form, the digits, the round trip.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <regex>
#include <string>

#include "model/NumberText.h"

namespace tadmor {
namespace {

TEST(NumberText, FixedPointWhereItReadsWell) {
    EXPECT_EQ(NumberText(25.3, 2), "25.30");
    EXPECT_EQ(NumberText(0.0937, 3), "0.094");
    EXPECT_EQ(NumberText(-12.25, 1), "-12.2");  // 12.25 is exact: to even
    EXPECT_EQ(NumberText(123456.789, 2), "123456.79");
    EXPECT_EQ(NumberText(999999999999999.9, 0), "1000000000000000");  // below 1e15 before rounding
    EXPECT_EQ(NumberText(1.23456e-7, 7), "0.0000001");
    EXPECT_EQ(NumberText(1e-308, 2), "0.00");
    EXPECT_EQ(NumberText(5e-324, 12), "0.000000000000");
    EXPECT_EQ(NumberText(1250, -2), "1250");  // places above the units: no decimals
}

TEST(NumberText, ZeroHasNoSign) {
    EXPECT_EQ(NumberText(0.0, 2), "0.00");
    EXPECT_EQ(NumberText(-0.0, 2), "0.00");
    EXPECT_EQ(NumberText(-0.0, 0), "0");
    EXPECT_EQ(NumberText(-0.001, 2), "0.00");
    EXPECT_EQ(NumberText(-0.0, 400), "0");
}

TEST(NumberText, ExponentFormForLargeValuesAndManyDecimals) {
    EXPECT_EQ(NumberText(1e15, 0), "1e+15");
    EXPECT_EQ(NumberText(1e70, 2), "1e+70");
    EXPECT_EQ(NumberText(-1e308, 2), "-1e+308");
    EXPECT_EQ(NumberText(DBL_MAX, 0), "1.7976931348623157e+308");
    EXPECT_EQ(NumberText(DBL_MAX, 0, 3), "1.8e+308");
    EXPECT_EQ(NumberText(2.6e20, -20), "3e+20");
    EXPECT_EQ(NumberText(1.2e300, -299), "1.2e+300");
    EXPECT_EQ(NumberText(1e-308, 310), "1e-308");
    EXPECT_EQ(NumberText(2e-301, 301), "2e-301");
    EXPECT_EQ(NumberText(5e-324, 400), "5e-324");
    EXPECT_EQ(NumberText(1.5e-13, 14), "1.5e-13");
    EXPECT_EQ(NumberText(1.0000000001e-5, 15), "1.0000000001e-05");
    EXPECT_EQ(NumberText(123456789.0, 13), "1.23456789e+08");
}

TEST(NumberText, WhatIsNotFinite) {
    EXPECT_EQ(NumberText(std::numeric_limits<double>::infinity(), 2), "inf");
    EXPECT_EQ(NumberText(-std::numeric_limits<double>::infinity(), 2), "-inf");
    EXPECT_EQ(NumberText(std::numeric_limits<double>::quiet_NaN(), 2), "nan");
}

// Every magnitude from 1e-308 to 1e308, at places from 10^5 to 10^-320:
// a plain number of bounded length that reads back within half a unit of the
// last place asked for (or of the 17th digit).
TEST(NumberText, EveryMagnitudeReadsBack) {
    const std::regex shape(R"(-?[0-9]+(\.[0-9]+)?(e[+-][0-9]{2,3})?)");
    for (int exponent = -308; exponent <= 308; ++exponent) {
        for (const double mantissa : {1.0, -1.5, 3.14159265358979, -9.87654321}) {
            const double value = mantissa * std::pow(10.0, exponent);
            if (!std::isfinite(value)) continue;  // beyond the largest double
            for (const int decimals : {-5, 0, 2, 12, 13, 40, 320}) {
                const std::string text = NumberText(value, decimals);
                SCOPED_TRACE(std::to_string(exponent) + " " + std::to_string(decimals) + ": " + text);
                ASSERT_TRUE(std::regex_match(text, shape));
                ASSERT_LE(text.size(), 29u);
                const double back = std::strtod(text.c_str(), nullptr);
                const double place = std::pow(10.0, -decimals);
                EXPECT_LE(std::fabs(back - value), std::max(0.5 * place * (1 + 1e-9), std::fabs(value) * 1e-16));
            }
        }
    }
}

// The program reads numbers with a 64-bit mantissa and then rounds to double:
// for a few doubles the shortest text that any correctly rounded reader takes
// back lands on a neighbour that way. The exact text of those has 21 digits.
TEST(ExactNumber, ReadsBackThroughTheProgramsOwnReaderAndAnyOther) {
    for (const double value : {43.613889372583166, 5.0734121111978014, 8141.6885851806755, -0.0062233414769213196}) {
        const std::string text = ExactNumber(value);
        EXPECT_EQ(TextToNumber(text, '.'), value) << text;
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        EXPECT_EQ(text.size(), value < 0 ? 27u : 26u) << text;  // 21 digits in exponent form
    }
    // Every other double: its shortest text.
    const std::pair<double, const char*> shortest[] = {{0.1, "0.1"},
                                                       {300.0, "300"},
                                                       {1e-300, "1e-300"},
                                                       {-2.5, "-2.5"},
                                                       {1.7976931348623157e308, "1.7976931348623157e+308"}};
    for (const auto& [value, text] : shortest) EXPECT_EQ(ExactNumber(value), text);
    EXPECT_EQ(ExactNumber(-2.5, ','), "-2,5");
    EXPECT_EQ(ExactNumber(NAN), "nan");
}

// Any text the reader takes reads the same through TextToExtended, rounded.
TEST(TextToExtended, KeepsTheSixtyFourBitsThatTextToNumberRounds) {
    const std::optional<Extended> extended = TextToExtended(" 43.61388937258317 ", '.');
    ASSERT_TRUE(extended);
    EXPECT_EQ(static_cast<double>(*extended), TextToNumber("43.61388937258317", '.'));
    EXPECT_NE(*extended, static_cast<Extended>(43.613889372583166));  // between two doubles
    EXPECT_FALSE(TextToExtended("1e309", '.'));                       // beyond a double, though not beyond 64 bits
    EXPECT_FALSE(TextToExtended("1,5", '.'));
}

}  // namespace
}  // namespace tadmor
