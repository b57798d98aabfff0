// tadmor extruder: the operating point against a die, a throughput given,
// the curve over screw speed, the files and the exit codes.
#include <nlohmann/json.hpp>

#include "support/PlotFiles.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor::cli {
namespace {

using namespace tadmor::test;
using Json = nlohmann::json;

const std::vector<std::string> kDefaultDie = {"extruder", "--die", "capillary:D=0.5,L=10"};

std::vector<std::string> With(std::vector<std::string> arguments, const std::vector<std::string>& extra) {
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

// The operating point of the default case: the table line, the JSON and the
// plots say the same; the crossing is confirmed by the rows of the JSON.
TEST_F(TadmorCommand, TheOperatingPointInEveryOutput) {
    const Result table = Run(With(kDefaultDie, {"--plot", "p.png", "--plot-characteristic", "c.svg"}));
    ASSERT_EQ(table.exitCode, 0) << table.err;
    const Result json = Run(With(kDefaultDie, {"--format", "json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const Json document = Json::parse(json.out);
    const Json& point = document["operatingPoint"];
    EXPECT_EQ(document["feed"], "flood");
    EXPECT_EQ(document["die"], "capillary D=0.500 cm, L=10.000 cm");
    EXPECT_EQ(point["ScrewSpeed"], 38.0);
    // The screw builds what the die needs, to the search's tolerance.
    EXPECT_NEAR(point["pressure"].get<double>(), point["dieDrop"].get<double>(), 1e-9 * point["dieDrop"].get<double>());
    const double rate = point["OutputRate"];
    EXPECT_GT(rate, 100);
    EXPECT_LT(rate, 309);  // below the metering zone's drag flow
    char line[200];
    std::snprintf(line, sizeof line, "operating point: %.1f kg/hr at 38.0 rpm: %.2f MPa at the tip", rate,
                  point["pressure"].get<double>());
    EXPECT_EQ(table.out.rfind(line, 0), 0u) << table.out;
    // The last row is the tip; the melting rows carry the march's columns.
    const Json& rows = document["rows"];
    EXPECT_EQ(rows.back()["P"], point["pressure"]);
    EXPECT_EQ(rows.back()["TM"], point["meltTemperature"]);
    EXPECT_TRUE(rows.front().contains("QS/QT") && rows.front().contains("TB"));
    EXPECT_FALSE(rows.back().contains("QS/QT"));
    EXPECT_EQ(document["melting"]["outcome"], "melting completed");
    EXPECT_EQ(PngSize(ReadFile(work / "p.png")), std::pair(1200, 900));
    EXPECT_TRUE(WellFormedXml(ReadFile(work / "c.svg")));

    // At that throughput given, the screw builds the same pressure.
    char given[40];
    std::snprintf(given, sizeof given, "OutputRate=%.17g", rate);
    const Result atRate = Run(With(kDefaultDie, {"--feed", "given", "--set", given, "--format", "json"}));
    ASSERT_EQ(atRate.exitCode, 0) << atRate.err;
    EXPECT_EQ(Json::parse(atRate.out)["atThroughput"]["pressure"], point["pressure"]);
}

TEST_F(TadmorCommand, ExtruderRefusalsAndExitCodes) {
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;  // the first line of standard error, or its start
    } cases[] = {
        {{"extruder", "--die", "nozzle:D=1"}, 2, "tadmor: Die kind \"nozzle\" is not known"},
        {With(kDefaultDie, {"--clearance", "thin"}), 2, "tadmor: --clearance \"thin\" is not a length"},
        {With(kDefaultDie, {"--start-pressure", "5 psi"}), 2, "tadmor: --start-pressure \"5 psi\" is not a pressure"},
        {With(kDefaultDie, {"-o", "c.csv"}), 2, "tadmor: -o goes with --over"},
        {With(kDefaultDie, {"--set", "ScrewSpeed=-1"}), 3, "tadmor: Value of Number of Revolution is not correct"},
        {With(kDefaultDie, {"--set", "BarrelC0=200"}), 5, "tadmor: error: the barrel temperature"},
        // A die far too narrow for this screw at any throughput scanned.
        {{"extruder", "--die", "capillary:D=0.1,L=10"},
         7,
         "tadmor: no operating point: the screw cannot push this die at any throughput from 6.18 kg/hr to 463.52 "
         "kg/hr: at 6.18 kg/hr it builds 35.06 MPa at its tip, the die needs 158.02 MPa"},
        {With(kDefaultDie, {"--strict"}), 8, "tadmor: warning: "},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.back() << ": " << result.err;
        EXPECT_EQ(result.err.rfind(c.err, 0), 0u) << result.err;
    }
}

// The curve over screw speed: each value's operating point is the single
// command's at that speed.
TEST_F(TadmorCommand, TheOperatingPointCurveOverScrewSpeed) {
    const Result curve = Run(With(kDefaultDie, {"--over", "ScrewSpeed=30,38", "-o", "curve.csv", "--plot", "o.png"}));
    ASSERT_EQ(curve.exitCode, 0) << curve.err;
    EXPECT_EQ(curve.out, "curve.csv: 2 values of ScrewSpeed, 2 with an operating point\n");
    const std::vector<std::string> lines = OutputLines(ReadFile(work / "curve.csv"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "ScrewSpeed,OutputRate (kg/hr),pressure (MPa),melt temperature (degC),drive power (kW),specific energy "
              "(kWh/kg),residence time (s),melting complete,outcome,message");
    const Json single = Json::parse(Run(With(kDefaultDie, {"--format", "json"})).out)["operatingPoint"];
    EXPECT_EQ(std::stod(lines[2].substr(3)), single["OutputRate"].get<double>()) << lines[2];
    EXPECT_EQ(PngSize(ReadFile(work / "o.png")), std::pair(1200, 900));
}

}  // namespace
}  // namespace tadmor::cli
