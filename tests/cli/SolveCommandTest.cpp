// tadmor solve as a user runs it: every solution agrees with runs of the
// value found and of its neighbour, no solution exits 7 and says why, a
// bracket is never a solution, and a capacity curve is written whole.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>

#include "TadmorCommandFixture.h"

namespace {

using namespace tadmor::test;

class SolveCommand : public TadmorCommand {
protected:
    // Whether `tadmor run` of the solve's base case (its --case and --set
    // arguments) with `setting` melts, by FLIGHT `flight` as its summary
    // line shows it when one is given.
    bool MeltsWhenRun(const std::vector<std::string>& solve, const std::string& setting, const std::string& flight) {
        std::vector<std::string> run = {"run", "-o", "run.txt"};
        for (std::size_t i = 0; i + 1 < solve.size(); ++i)
            if (solve[i] == "--case" || solve[i] == "--set") run.insert(run.end(), {solve[i], solve[i + 1]});
        run.insert(run.end(), {"--set", setting});
        const Result result = Run(run);
        EXPECT_EQ(result.exitCode, 0) << setting << result.err;
        const std::string melted = "melting completed at FLIGHT ";
        const std::size_t at = result.out.find(melted);
        if (at == std::string::npos) return false;
        return flight.empty() || std::stod(result.out.substr(at + melted.size())) <= std::stod(flight);
    }
};

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

// Solves that failing calculations, huge ranges or FLIGHTs held as doubles
// once led astray; each solution melts when run, its neighbour does not.
TEST_F(SolveCommand, EachSolutionMeltsWhenRunAndItsNeighbourDoesNot) {
    const std::pair<std::vector<std::string>, double> solves[] = {
        // the arguments; the input's precision
        // Calculations fail next to the scan points around the crossing.
        {{"--for", "ScrewSpeed", "--melted-at", "end", "--range", "0.1:1e6"}, 0.1},
        {{"--for", "MeltingPoint", "--melted-at", "end", "--range", "100:400", "--intervals", "3"}, 0.1},
        // The midpoint of the scan's bracket fails; the crossing lies beyond it.
        {{"--for", "ViscA12", "--melted-at", "end", "--range", "-0.0105807:0.0141039", "--intervals", "3"}, 1e-9},
        {{"--for", "OutputRate", "--melted-at", "end", "--range", "1:1e18"}, 0.1},
        {{"--for", "OutputRate", "--melted-at", "end", "--range", "1e-300:1e300"}, 0.1},
        // At 80 kg/hr this case melts at FLIGHT 21.400000000000002, shown as 21.40.
        {{"--case", TADMOR_REFERENCE_DIR "/delay-in-metering.case", "--set", "ScrewSpeed=20", "--for", "OutputRate",
          "--melted-at", "21.4", "--range", "60:100"},
         0.1},
        {{"--for", "OutputRate", "--melted-at", "compression-end", "--bed-within-channel"}, 0.1},
        {{"--for", "OutputRate", "--melted-at", "end", "--bed-within-channel"}, 0.1},
    };
    for (const auto& [arguments, step] : solves) {
        std::vector<std::string> solve = {"solve", "--format", "json"};
        solve.insert(solve.end(), arguments.begin(), arguments.end());
        SCOPED_TRACE(testing::PrintToString(solve));
        const Result result = Run(solve);
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        const nlohmann::json json = nlohmann::json::parse(result.out);
        EXPECT_EQ(json.value("outcome", ""), "solved");
        if (json["solutions"].size() != 1) {
            ADD_FAILURE() << json["solutions"].size() << " solutions";
            continue;
        }
        const std::string name = *(std::find(solve.begin(), solve.end(), "--for") + 1);
        const std::string target = *(std::find(solve.begin(), solve.end(), "--melted-at") + 1);
        const std::string flight = target == "end" ? "" : target == "compression-end" ? "16" : target;
        const bool within = std::find(solve.begin(), solve.end(), "--bed-within-channel") != solve.end();
        const double value = json["solutions"][0]["value"], notMetAt = json["solutions"][0]["notMetAt"];
        EXPECT_NEAR(std::abs(notMetAt - value), step, step * 1e-6);
        for (const auto& [value, met] :
             {std::pair(json["solutions"][0]["value"], true), std::pair(json["solutions"][0]["notMetAt"], false)}) {
            const std::string setting = name + "=" + value.dump();
            const bool wider =
                Run({"run", "-o", "w.txt", "--strict", "--set", setting}).err.find("[bed-wider-than-channel]") !=
                std::string::npos;
            EXPECT_EQ(MeltsWhenRun(solve, setting, flight) && !(within && wider), met) << setting;
        }
    }
}

// No value in the range crosses the target: exit 7, and the words say
// whether it is met nowhere or throughout.
TEST_F(SolveCommand, NoSolutionInTheRangeExitsSevenAndSaysWhy) {
    const std::pair<std::vector<std::string>, std::string> solves[] = {
        {{"--range", "300:400"},
         "no OutputRate in 300.0:400.0 gives melting completed by the end of the screw; "
         "at 300.0: X/W 0.094 left at the end of the screw"},
        {{"--range", "50:100"},
         "every OutputRate in 50.0:100.0 gives melting completed by the end of the screw: "
         "met throughout the range; at 50.0: melting completed at FLIGHT 10.65"},
    };
    for (const auto& [range, start] : solves) {
        std::vector<std::string> solve = {"solve", "--for", "OutputRate", "--melted-at", "end"};
        solve.insert(solve.end(), range.begin(), range.end());
        const Result result = Run(solve);
        EXPECT_EQ(result.exitCode, 7);
        EXPECT_EQ(result.out.substr(0, start.size()), start);
    }
    const Result xw = Run({"solve", "--for", "OutputRate", "--xw-at-end", "2", "--format", "json"});
    EXPECT_EQ(xw.exitCode, 7);
    const nlohmann::json json = nlohmann::json::parse(xw.out);
    EXPECT_EQ(json["outcome"], "met throughout");
    EXPECT_EQ(json["low"]["targetMet"], true);
    EXPECT_EQ(json["high"]["targetMet"], true);
}

// The barrel of this case at its melting point (265 degC) gives no melt
// film: a calculation error between a barrel that melts and one that does
// not. A bracket, in the text and the JSON, and never a solution.
TEST_F(SolveCommand, ACrossingOverAFailingCalculationIsABracket) {
    const std::vector<std::string> solve = {"solve", "--case",   TADMOR_REFERENCE_DIR "/small-extruder-hot.case",
                                            "--for", "BarrelC0", "--melted-at",
                                            "end",   "--range",  "260:270"};
    const Result text = Run(solve);
    EXPECT_EQ(text.exitCode, 7);
    EXPECT_EQ(text.out.substr(0, 82),
              "BarrelC0 between 265.1 and 264.9, a bracket, not a solution: met at 265.1: melting");
    EXPECT_NE(text.out.find("; between them calculation error: the barrel temperature 265.00 degC"), std::string::npos)
        << text.out;
    std::vector<std::string> json = solve;
    json.insert(json.end(), {"--format", "json"});
    const nlohmann::json document = nlohmann::json::parse(Run(json).out);
    EXPECT_EQ(document["outcome"], "bracket");
    EXPECT_TRUE(document["solutions"].empty());
    ASSERT_EQ(document["brackets"].size(), 1u);
    EXPECT_EQ(document["brackets"][0]["value"], 265.1);
    EXPECT_EQ(document["brackets"][0]["notMetAt"], 264.9);
    EXPECT_TRUE(MeltsWhenRun(solve, "BarrelC0=265.1", ""));
    EXPECT_FALSE(MeltsWhenRun(solve, "BarrelC0=264.9", ""));
    EXPECT_EQ(Run({"run", "--case", TADMOR_REFERENCE_DIR "/small-extruder-hot.case", "--set", "BarrelC0=265"}).exitCode,
              5);
}

// The default capacity squeezes the bed wider than the channel: the text
// says so, and --strict exits 8 for it.
TEST_F(SolveCommand, WarningsOfASolutionAreShownAndStrictExitsEight) {
    const Result solve = Run({"solve", "--for", "OutputRate", "--melted-at", "end"});
    EXPECT_EQ(solve.exitCode, 0);
    EXPECT_EQ(
        solve.out.substr(0, solve.out.find('\n')),
        "OutputRate = 254.8: melting completed at FLIGHT 24.70, 128 rows, POWER TOT 38.82 kW, POWER VIS 31.01 kW, "
        "warnings: bed-wider-than-channel; not met at 254.9");
    EXPECT_EQ(Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--strict"}).exitCode, 8);
    EXPECT_EQ(Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--bed-within-channel", "--strict"}).exitCode,
              0);
}

TEST_F(SolveCommand, UsageErrorsExitTwo) {
    const std::pair<std::vector<std::string>, std::string> mistakes[] = {
        {{"--for", "OutputRate"}, "tadmor: give one target: --melted-at or --xw-at-end\n"},
        {{"--for", "Nothing", "--melted-at", "end"}, ""},
        {{"--for", "OutputRate", "--melted-at", "end", "--range", "5:1"}, ""},
        {{"--for", "OutputRate", "--melted-at", "soon"},
         "tadmor: the target \"soon\" is not a number, compression-end or end\n"},
        {{"--for", "OutputRate", "--melted-at", "end", "--range", "254.81:254.84"},
         "tadmor: the range 254.81:254.84 holds no value of OutputRate at its precision of 0.1: widen it to at least "
         "254.8:254.9\n"},
        {{"--for", "OutputRate", "--melted-at", "end", "--range", "254.80:254.85"},
         "tadmor: the range 254.8:254.85 holds only the value 254.8 of OutputRate at its precision of 0.1: widen it to "
         "at least 254.8:254.9\n"},
        {{"--for", "OutputRate", "--melted-at", "end", "--over", "OutputRate=100,200", "-o", "c.csv"},
         "tadmor: the input varied over, OutputRate, is the input solved for: vary another\n"},
    };
    for (const auto& [arguments, message] : mistakes) {
        std::vector<std::string> solve = {"solve"};
        solve.insert(solve.end(), arguments.begin(), arguments.end());
        const Result result = Run(solve);
        EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(solve);
        if (!message.empty()) {
            EXPECT_EQ(result.err, message);
        }
    }
    EXPECT_FALSE(fs::exists(work / "c.csv"));
}

TEST_F(SolveCommand, CapacityCurveHasOneLinePerScrewSpeedAndAStatusLine) {
    const Result curve = Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--over", "ScrewSpeed=30:50:10",
                              "-o", "curve.csv", "--jobs", "2"});
    ASSERT_EQ(curve.exitCode, 0) << curve.err;
    const std::vector<std::string> lines = OutputLines(ReadFile(work / "curve.csv"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0],
              "ScrewSpeed,OutputRate,outcome,solutions,melting completed at FLIGHT (turns),X/W at end (-),POWER TOT "
              "(kW),POWER VIS (kW),calculations,message,warnings");
    EXPECT_EQ(lines[4], "# tadmor solve curve: complete");
    // The line at the base case's 38 rpm is not in the curve; the one at 40 rpm
    // gives the capacity a separate solve at 40 rpm finds, and its warnings.
    const Result at40 = Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--set", "ScrewSpeed=40"});
    const std::string value = at40.out.substr(13, at40.out.find(':') - 13);
    EXPECT_TRUE(lines[2].starts_with("40," + value + ",solved,1,")) << lines[2] << at40.out;
    EXPECT_TRUE(lines[2].ends_with(",,bed-wider-than-channel")) << lines[2];
    EXPECT_EQ(Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--over", "ScrewSpeed=30:50:10", "-o",
                   "curve.csv", "--strict"})
                  .exitCode,
              8);
}

// Values of the second input that are refused are lines that say so.
TEST_F(SolveCommand, RefusedValuesOfACurveSayWhy) {
    const Result curve =
        Run({"solve", "--for", "OutputRate", "--melted-at", "end", "--over", "ScrewSpeed=-5,0,abc", "-o", "curve.csv"});
    EXPECT_EQ(curve.exitCode, 7);
    EXPECT_EQ(curve.out, "curve.csv: 3 values of ScrewSpeed, 0 with a solution, 3 refused; 63 calculations\n");
    const std::vector<std::string> lines = OutputLines(ReadFile(work / "curve.csv"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "-5,,refused,0,,,,,21,Value of Number of Revolution is not correct,");
    EXPECT_EQ(lines[3], "abc,,refused,0,,,,,21,Input value is not correct!,");
}

}  // namespace
