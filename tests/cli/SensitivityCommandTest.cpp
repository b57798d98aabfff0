// tadmor sensitivity as a user runs it: its sensitivities agree with separate
// runs of the command at the changed values, the inputs come ranked, and
// every input without a number says why.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "TadmorCommandFixture.h"
#include "support/PlotFiles.h"

namespace {

using namespace tadmor::test;
using SensitivityCommand = TadmorCommand;

TEST_F(SensitivityCommand, SensitivitiesAgreeWithRunsAtTheChangedValues) {
    const Result sensitivity = Run({"sensitivity", "--format", "json"});
    ASSERT_EQ(sensitivity.exitCode, 0) << sensitivity.err;
    const nlohmann::json json = nlohmann::json::parse(sensitivity.out);
    EXPECT_EQ(json["base"]["outcome"], "end of screw");
    EXPECT_EQ(json["melting"], "X/W at the end of the screw (-)");
    // The 15 inputs the window lets the user edit; BarrelC1 and BarrelC2 are
    // 0 by default and not changed; MeteringTurns is run again at 2 %.
    ASSERT_EQ(json["inputs"].size(), 15u);
    EXPECT_EQ(json["calculations"], 1 + 13 * 2 + 2);

    // X/W and POWER TOT of the last row of `tadmor run` with `set`.
    const auto lastRow = [&](const std::string& set) {
        const Result run = Run({"run", "--format", "json", "-o", "r.txt", "--set", set});
        const nlohmann::json rows = nlohmann::json::parse(run.out)["rows"];
        return std::pair<double, double>(rows.back()["X/W"], rows.back()["POWER TOT"]);
    };
    const auto [xw0, power0] = lastRow("OutputRate=300");
    EXPECT_DOUBLE_EQ(json["base"]["solidFractionAtEnd"].get<double>(), xw0);
    // Throughput 1 % either way; the barrel 1 K either way, per K.
    const struct {
        std::string input, change, unit, low, high;
        double lowValue, highValue, perUnit;
    } cases[] = {{"OutputRate", "relative", "elasticity", "297", "303", 297, 303, 0.02},
                 {"BarrelC0", "kelvin", "% per K", "289", "291", 289, 291, 2.0 / 100}};
    for (const auto& c : cases) {
        const auto row = std::find_if(json["inputs"].begin(), json["inputs"].end(),
                                      [&](const nlohmann::json& input) { return input["input"] == c.input; });
        ASSERT_NE(row, json["inputs"].end()) << c.input;
        EXPECT_EQ((*row)["change"], c.change);
        EXPECT_EQ((*row)["unit"], c.unit);
        EXPECT_EQ((*row)["low"], c.lowValue);
        EXPECT_EQ((*row)["high"], c.highValue);
        const auto [xwLow, powerLow] = lastRow(c.input + "=" + c.low);
        const auto [xwHigh, powerHigh] = lastRow(c.input + "=" + c.high);
        EXPECT_NEAR((*row)["melting"]["sensitivity"].get<double>(), (xwHigh - xwLow) / xw0 / c.perUnit, 1e-10)
            << c.input;
        EXPECT_NEAR((*row)["melting"]["lowPercent"].get<double>(), 100 * (xwLow - xw0) / xw0, 1e-12) << c.input;
        EXPECT_NEAR((*row)["power"]["sensitivity"].get<double>(), (powerHigh - powerLow) / power0 / c.perUnit, 1e-10)
            << c.input;
    }

    // Ranked by the change of the melting across the step; those without a
    // number last.
    double previous = INFINITY;
    bool numbers = true;
    for (const auto& input : json["inputs"]) {
        const nlohmann::json& melting = input["melting"];
        if (!melting.contains("sensitivity")) {
            numbers = false;
            continue;
        }
        EXPECT_TRUE(numbers) << input["input"] << " has a number after one without";
        const double size = melting["highPercent"].get<double>() - melting["lowPercent"].get<double>();
        EXPECT_LE(std::fabs(size), previous) << input["input"];
        previous = std::fabs(size);
    }
}

TEST_F(SensitivityCommand, TableNamesEachInputAndWhyOneHasNoNumber) {
    const Result table = Run({"sensitivity", "--step", "2", "--set", "OutputRate=150"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    // The base case melts by FLIGHT 18.30 (the middle of the increment): the
    // melting is measured by where X/W reaches 0.002 within it.
    EXPECT_EQ(table.out.substr(0, table.out.find('\n')),
              "Base case: melted at FLIGHT 18.321 (within its increment), POWER TOT 22.88 kW");
    for (const char* line :
         {"\nRanked by the change of FLIGHT where melting completed (turns) across each step.\n",
          "\ninput                     step    unit        base value    FLIGHT melted  POWER TOT\n",
          "\nBarrelC1                  ±2 %    elasticity  0             -              -   base value 0: no "
          "relative change\n",
          // Melting completes before the metering zone ends however long it is.
          "\nMeteringTurns             ±2 %    elasticity  8.7           0.0000         -   no effect on POWER TOT up "
          "to ±100 %\n",
          "\nSolidTemp                 ±1 K    % per K     30            "})
        EXPECT_NE(table.out.find(line), std::string::npos) << line << "\nin\n" << table.out;
    // 13 inputs changed, MeteringTurns again at 4, 8 ... 64 and 100 %.
    EXPECT_NE(table.out.find("\n\n39 calculations\n"), std::string::npos) << table.out;

    // With a material file the material inputs are changed too, the law as
    // its three factors at the melting point and the mean film shear rate;
    // with --coefficients its six coefficients as well.
    const std::string material = std::string(TADMOR_MATERIALS_DIR) + "/default.material";
    const Result factors = Run({"sensitivity", "--material", material});
    ASSERT_EQ(factors.exitCode, 0) << factors.err;
    EXPECT_NE(factors.out.find("\nThe viscosity law's level (Pa s), index n and temperature sensitivity b (1/degC) "
                               "at 265.0 degC and\n"),
              std::string::npos)
        << factors.out;
    for (const char* line : {"\nViscosityLevel            ±1 %    elasticity  ", "\nPowerLawIndex             ±1 %",
                             "\nViscosityTempSensitivity  ±1 %", "\nMeltingPoint              ±1 K    % per K     265"})
        EXPECT_NE(factors.out.find(line), std::string::npos) << line;
    EXPECT_EQ(factors.out.find("\nViscA0 "), std::string::npos);
    const Result coefficients = Run({"sensitivity", "--format", "json", "--material", material, "--coefficients"});
    ASSERT_EQ(coefficients.exitCode, 0) << coefficients.err;
    EXPECT_EQ(nlohmann::json::parse(coefficients.out)["inputs"].size(), 15u + 7 + 3 + 6);
}

TEST_F(SensitivityCommand, TornadoChartOfTheRankedInputs) {
    const Result png = Run({"sensitivity", "--set", "OutputRate=150", "--plot", "tornado.png"});
    ASSERT_EQ(png.exitCode, 0) << png.err;
    EXPECT_EQ(PngSize(ReadFile(work / "tornado.png")), std::pair(1200, 900));
    const Result svg = Run({"sensitivity", "--rank-by", "power", "--plot", "tornado.svg"});
    ASSERT_EQ(svg.exitCode, 0) << svg.err;
    const std::string text = ReadFile(work / "tornado.svg");
    EXPECT_TRUE(WellFormedXml(text));
    EXPECT_NE(text.find("Sensitivity of POWER TOT"), std::string::npos);
    // The inputs without a number say why in their row; each says its step
    // and its sensitivity with its unit.
    EXPECT_NE(text.find("base value 0: no relative change"), std::string::npos);
    EXPECT_NE(text.find("OutputRate ±1 %: elasticity 0.72"), std::string::npos);
    EXPECT_NE(text.find("BarrelC0 ±1 K: 0.685 % per K"), std::string::npos);
}

TEST_F(SensitivityCommand, FailingBaseCaseAndUsageErrors) {
    const Result cold = Run({"sensitivity", "--set", "BarrelC0=200"});
    EXPECT_EQ(cold.exitCode, 5);
    EXPECT_EQ(cold.err.rfind("tadmor: the base case gives calculation error: the barrel temperature 200.00 degC", 0),
              0u)
        << cold.err;
    EXPECT_EQ(Run({"sensitivity", "--set", "ScrewSpeed=fast"}).exitCode, 3);
    // Steps beyond (0, 100], or not numbers, are refused with the rule.
    for (const auto& [option, value, unit] :
         {std::tuple("--step", "0", "%"), std::tuple("--step", "101", "%"), std::tuple("--step", "nan", "%"),
          std::tuple("--step", "-inf", "%"), std::tuple("--kelvin", "nan", "K"), std::tuple("--kelvin", "0", "K")}) {
        const Result refused = Run({"sensitivity", option, value});
        EXPECT_EQ(refused.exitCode, 2) << option << " " << value;
        EXPECT_NE(refused.err.find(std::string("must be above 0 and at most 100 ") + unit + ", not "),
                  std::string::npos)
            << refused.err;
    }
    EXPECT_EQ(Run({"sensitivity", "--rank-by", "speed"}).exitCode, 2);
    EXPECT_EQ(Run({"sensitivity", "--plot", "tornado.pdf"}).exitCode, 2);
}

}  // namespace
