// tadmor sensitivity as a user runs it: its elasticities agree with separate
// runs of the command at the changed values, the inputs come ranked, and
// every input without a number says why.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

#include "TadmorCommandFixture.h"
#include "support/PlotFiles.h"

namespace {

using namespace tadmor::test;
using SensitivityCommand = TadmorCommand;

TEST_F(SensitivityCommand, ElasticitiesAgreeWithRunsAtTheChangedValues) {
    const Result sensitivity = Run({"sensitivity", "--format", "json"});
    ASSERT_EQ(sensitivity.exitCode, 0) << sensitivity.err;
    const nlohmann::json json = nlohmann::json::parse(sensitivity.out);
    EXPECT_EQ(json["base"]["outcome"], "end of screw");
    EXPECT_EQ(json["melting"], "X/W at the end of the screw (-)");
    // The 15 inputs the window lets the user edit; BarrelC1 and BarrelC2 are
    // 0 by default and not changed.
    ASSERT_EQ(json["inputs"].size(), 15u);
    EXPECT_EQ(json["calculations"], 1 + 13 * 2);

    // X/W and POWER TOT of the last row of `tadmor run` with OutputRate at `rate`.
    const auto lastRow = [&](const std::string& rate) {
        const Result run = Run({"run", "--format", "json", "-o", "r.txt", "--set", "OutputRate=" + rate});
        const nlohmann::json rows = nlohmann::json::parse(run.out)["rows"];
        return std::pair<double, double>(rows.back()["X/W"], rows.back()["POWER TOT"]);
    };
    const auto [xw0, power0] = lastRow("300");
    const auto [xwLow, powerLow] = lastRow("297");
    const auto [xwHigh, powerHigh] = lastRow("303");
    EXPECT_DOUBLE_EQ(json["base"]["solidFractionAtEnd"].get<double>(), xw0);
    bool found = false;
    for (const auto& input : json["inputs"]) {
        if (input["input"] != "OutputRate") continue;
        found = true;
        EXPECT_EQ(input["low"], 297.0);
        EXPECT_EQ(input["high"], 303.0);
        EXPECT_NEAR(input["melting"]["elasticity"].get<double>(), (xwHigh - xwLow) / xw0 / 0.02, 1e-12);
        EXPECT_NEAR(input["melting"]["lowPercent"].get<double>(), 100 * (xwLow - xw0) / xw0, 1e-12);
        EXPECT_NEAR(input["power"]["elasticity"].get<double>(), (powerHigh - powerLow) / power0 / 0.02, 1e-12);
    }
    EXPECT_TRUE(found);

    // Ranked by the size of the melting elasticity; those without one last.
    double previous = INFINITY;
    bool numbers = true;
    for (const auto& input : json["inputs"]) {
        if (!input["melting"].contains("elasticity")) {
            numbers = false;
            EXPECT_EQ(input["melting"]["why"], "base value 0: no relative change") << input["input"];
            continue;
        }
        EXPECT_TRUE(numbers) << input["input"] << " has a number after one without";
        const double size = std::fabs(input["melting"]["elasticity"].get<double>());
        EXPECT_LE(size, previous) << input["input"];
        previous = size;
    }
}

TEST_F(SensitivityCommand, TableNamesEachInputAndWhyOneHasNoNumber) {
    const Result table = Run({"sensitivity", "--step", "2", "--set", "OutputRate=150"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    // The base case melts by FLIGHT 18.30 (the middle of the increment): the
    // melting is measured by where X/W reaches 0.002 within it.
    EXPECT_EQ(table.out.substr(0, table.out.find('\n')),
              "Base case: melted at FLIGHT 18.321 (within its increment), POWER TOT 22.88 kW");
    EXPECT_NE(table.out.find("raised by 2 % of its value; ranked by FLIGHT where melting completed (turns)."),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("\ninput             base value    FLIGHT melted  POWER TOT\n"), std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("\nBarrelC1          0             -              -   base value 0: no relative change\n"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("\n\n27 calculations\n"), std::string::npos) << table.out;

    // With a material file the material inputs are changed too: all 28.
    const Result material =
        Run({"sensitivity", "--format", "json", "--material", std::string(TADMOR_MATERIALS_DIR) + "/default.material"});
    ASSERT_EQ(material.exitCode, 0) << material.err;
    EXPECT_EQ(nlohmann::json::parse(material.out)["inputs"].size(), 28u);
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
    // The inputs without a number say why in their row.
    EXPECT_NE(text.find("base value 0: no relative change"), std::string::npos);
}

TEST_F(SensitivityCommand, FailingBaseCaseAndUsageErrors) {
    const Result cold = Run({"sensitivity", "--set", "BarrelC0=200"});
    EXPECT_EQ(cold.exitCode, 5);
    EXPECT_EQ(cold.err.rfind("tadmor: the base case gives calculation error: the barrel temperature 200.00 degC", 0),
              0u)
        << cold.err;
    EXPECT_EQ(Run({"sensitivity", "--set", "ScrewSpeed=fast"}).exitCode, 3);
    EXPECT_EQ(Run({"sensitivity", "--step", "0"}).exitCode, 2);
    EXPECT_EQ(Run({"sensitivity", "--step", "101"}).exitCode, 2);
    EXPECT_EQ(Run({"sensitivity", "--rank-by", "speed"}).exitCode, 2);
    EXPECT_EQ(Run({"sensitivity", "--plot", "tornado.pdf"}).exitCode, 2);
}

}  // namespace
