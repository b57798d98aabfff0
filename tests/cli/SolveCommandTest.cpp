// tadmor solve as a user runs it: the capacity in JSON agrees with runs of
// the value found and above it, no solution exits 7 and says what both ends
// did, and a capacity curve is written whole.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>

#include "TadmorCommandFixture.h"

namespace {

using namespace tadmor::test;
using SolveCommand = TadmorCommand;

TEST_F(SolveCommand, CapacityInJsonMeltsWhenRunAndOnePercentMoreDoesNot) {
    const Result solve = Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--format", "json"});
    ASSERT_EQ(solve.exitCode, 0) << solve.err;
    const nlohmann::json json = nlohmann::json::parse(solve.out);
    ASSERT_EQ(json["solutions"].size(), 1u);
    const double capacity = json["solutions"][0]["value"];
    EXPECT_EQ(json["solutions"][0]["outcome"], "melting completed");
    EXPECT_EQ(json["low"]["value"], 75.0);
    EXPECT_EQ(json["high"]["value"], 600.0);
    // Each completed calculation carries the codes of its warnings, as tadmor run gives them.
    const Result high = Run({"run", "--format", "json", "-o", "high.txt", "--set", "OutputRate=600"});
    const nlohmann::json highRun = nlohmann::json::parse(high.out);
    std::vector<std::string> codes;
    for (const auto& warning : highRun["warnings"]) codes.push_back(warning["code"]);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(json["high"]["warnings"], nlohmann::json(codes));

    const Result at = Run({"run", "-o", "at.txt", "--set", "OutputRate=" + std::to_string(capacity)});
    EXPECT_NE(at.out.find("melting completed"), std::string::npos) << at.out;
    const Result above = Run({"run", "-o", "above.txt", "--set", "OutputRate=" + std::to_string(capacity * 1.01)});
    EXPECT_NE(above.out.find("left at the end of the screw"), std::string::npos) << above.out;
}

TEST_F(SolveCommand, NoSolutionInTheRangeExitsSevenAndTellsBothEnds) {
    const Result solve = Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--range", "300:400"});
    EXPECT_EQ(solve.exitCode, 7);
    EXPECT_EQ(solve.out.substr(0, 33), "no OutputRate in 300.0:400.0 give");
    EXPECT_NE(solve.out.find("at 300.0: X/W 0.094 left at the end of the screw"), std::string::npos) << solve.out;
    EXPECT_NE(solve.out.find("at 400.0: X/W 0.489 left"), std::string::npos) << solve.out;
}

TEST_F(SolveCommand, UsageErrorsExitTwo) {
    EXPECT_EQ(Run({"solve", "--for", "OutputRate"}).exitCode, 2);  // no target
    EXPECT_EQ(Run({"solve", "--for", "Nothing", "--melted-at", "end"}).exitCode, 2);
    EXPECT_EQ(Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--range", "5:1"}).exitCode, 2);
    EXPECT_EQ(Run({"solve", "--for", "OutputRate", "--melted-at", "soon"}).exitCode, 2);
}

TEST_F(SolveCommand, CapacityCurveHasOneLinePerScrewSpeed) {
    const Result curve = Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--over", "ScrewSpeed=30:50:10",
                              "-o", "curve.csv", "--jobs", "2"});
    ASSERT_EQ(curve.exitCode, 0) << curve.err;
    const std::string csv = ReadFile(work / "curve.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "ScrewSpeed,OutputRate,solutions,melting completed at FLIGHT (turns),X/W at end (-),POWER TOT (kW),POWER "
              "VIS (kW),"
              "calculations");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
    // The line at the base case's 38 rpm is not in the curve; the one at 40 rpm
    // gives the capacity a separate solve at 40 rpm finds.
    const Result at40 = Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--set", "ScrewSpeed=40"});
    const std::string value = at40.out.substr(13, at40.out.find(':') - 13);
    EXPECT_NE(csv.find("\n40," + value + ",1,"), std::string::npos) << csv << at40.out;
}

}  // namespace
