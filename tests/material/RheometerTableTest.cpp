// Reading a rheometer table: units from the header or the caller, refusals.
#include <gtest/gtest.h>

#include "material/RheometerTable.h"

namespace tadmor::material {
namespace {

std::string ErrorOf(const std::string& contents, const TableUnits& units = {}) {
    try {
        ParseRheometerTable(contents, "t.csv", units);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(RheometerTable, UnitsFromTheHeader) {
    const std::vector<RheometerPoint> points = ParseRheometerTable(
        "# a comment\nT (K), rate [1/s], eta (Pa.s)\n473.15, 10, 980.665\r\n\n483.15,100,98.0665\n", "t");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].temperature, 200, 1e-12);
    EXPECT_EQ(points[0].shearRate, 10);
    EXPECT_NEAR(points[0].viscosity, 10, 1e-14);  // 980.665 Pa s = 10 gf s/cm2
    EXPECT_NEAR(points[1].viscosity, 1, 1e-15);
    EXPECT_EQ(ParseRheometerTable("\xEF\xBB\xBFT (degC), rate (1/s), eta (gf.s/cm2)\n200, 10, 3\n", "bom").size(), 1u);
}

TEST(RheometerTable, UnitsFromTheCaller) {
    const std::vector<RheometerPoint> points = ParseRheometerTable("200, 10, 4903.325\n", "t", {"degC", "P"});
    ASSERT_EQ(points.size(), 1u);
    EXPECT_NEAR(points[0].viscosity, 5, 1e-14);  // 1 gf s/cm2 = 980.665 P
    // The caller's unit replaces the header's.
    EXPECT_NEAR(
        ParseRheometerTable("T (degC), rate (1/s), eta (Pa.s)\n200, 10, 98.0665\n", "t", {"", "gf.s/cm2"})[0].viscosity,
        98.0665, 1e-12);
}

TEST(RheometerTable, Refusals) {
    EXPECT_EQ(ErrorOf("200, 10, 1000\n"),
              "t.csv:1: no unit of the temperature: give it in the header, e.g. \"T (degC)\", or as an option");
    EXPECT_EQ(ErrorOf("T, rate, eta (Pa.s)\n200, 10, 1000\n", {"F", ""}),
              "t.csv:1: \"F\" is not a unit of the temperature (one of degC, K)");
    EXPECT_EQ(ErrorOf("T (degC), rate (1/min), eta (Pa.s)\n"),
              "t.csv:1: \"1/min\" is not a unit of the shear rate (one of 1/s)");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 10\n"),
              "t.csv:2: expected three columns: temperature, shear rate, viscosity");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 10, 1e3x\n"),
              "t.csv:2: \"1e3x\" is not a number written with \".\"");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 0, 1000\n"),
              "t.csv:2: shear rate and viscosity must be above 0");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 10, 1e309\n"),
              "t.csv:2: \"1e309\" is beyond the range of a double");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 10, 1e-400\n"),
              "t.csv:2: the viscosity \"1e-400\" is beyond the range of a double");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 10, 1" + std::string(1, '\0') + "\n"),
              "t.csv:2: \"1\\x00\" is not a number written with \".\"");
    EXPECT_EQ(ErrorOf("T (K), rate, eta (Pa.s)\n473.15, 10, 1000\n0, 10, 1000\n"),
              "t.csv:3: the temperature \"0\" K lies at or below absolute zero, -273.15 degC");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n# nothing\n"), "t.csv:2: the table has no rows");
    EXPECT_EQ(ErrorOf("T (degC), rate, eta (Pa.s)\n200, 10, 1000\nT (degC), rate, eta (Pa.s)\n"),
              "t.csv:3: \"T (degC)\" is not a number written with \".\"");
}

}  // namespace
}  // namespace tadmor::material
