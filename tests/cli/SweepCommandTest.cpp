// tadmor sweep: the texts of --vary and --shard, and the built program's
// summaries and results files.
#include "cli/SweepCommand.h"

#include <algorithm>
#include <cmath>

#include "report/ResultsFileReader.h"
#include "support/Errors.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor::cli {
namespace {

using namespace tadmor::test;
using Values = std::vector<std::string>;

TEST(Vary, OptionsNameTheInputAndItsValues) {
    const analysis::VariedInput speed = ParseVary("ScrewSpeed=38,45.5, 50");
    EXPECT_EQ(speed.field, FieldIndexOf("ScrewSpeed"));
    EXPECT_EQ(speed.values, (Values{"38", "45.5", " 50"}));
    EXPECT_EQ(ParseVary(" OutputRate =1:3:1").values, (Values{"1", "2", "3"}));
    const struct {
        const char* option;
        const char* error;
    } cases[] = {
        {"ScrewSpeed", "--vary expects NAME=FROM:TO:STEP or NAME=V1,V2,..., not \"ScrewSpeed\""},
        {"Speed=30,40", "--vary: unknown input name \"Speed\""},
        {"ScrewSpeed=30:45", "ScrewSpeed \"30:45\": expected FROM:TO:STEP"},
        {"Screw\x01Speed=30,40", "--vary: unknown input name \"Screw\\x01Speed\"; did you mean ScrewSpeed?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorTextOf([&] { ParseVary(c.option); }), c.error);
        // The same when the sweep is counted first.
        EXPECT_EQ(ErrorTextOf([&] { ParseVaries({c.option}); }), c.error);
    }
    EXPECT_EQ(ErrorTextOf([] {
                  ParseVaries({"ScrewSpeed=30,40", "OutputRate=1,2", "ScrewSpeed=50"});
              }),
              "--vary: ScrewSpeed is varied twice");
    // Counted before a list of values is built.
    EXPECT_EQ(ErrorTextOf([] {
                  ParseVaries({"ScrewSpeed=1:1000:1", "OutputRate=1:1001:1"});
              }),
              "the sweep has more than 1000000 cases");
}

TEST(Shard, OnlyKBelowN) {
    const analysis::Shard shard = ParseShard("2/3");
    EXPECT_EQ(shard.index, 2);
    EXPECT_EQ(shard.count, 3);
    for (const char* bad : {"3/3", "-1/3", "1/0", "1", "a/b", "1/3x", "/3", ""})
        EXPECT_NE(ErrorTextOf([&] { ParseShard(bad); }), "") << bad;
}

// The lines of a file, without the line ends.
Values Lines(const std::string& text) {
    Values lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

class TadmorSweep : public TadmorCommand {
protected:
    const std::vector<std::string> sweep = {"sweep", "--vary", "ScrewSpeed=35:50:5", "--vary", "OutputRate=250,300"};

    Result RunSweep(std::vector<std::string> extra) {
        std::vector<std::string> arguments = sweep;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return Run(arguments);
    }
};

TEST_F(TadmorSweep, SummaryIsTheSameOnOneAndOnTwoThreads) {
    const Result one = RunSweep({"-o", "one.csv", "--jobs", "1"});
    const Result two = RunSweep({"-o", "two.csv", "--jobs", "2"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(one.err, "");  // no progress bar when standard error is not a terminal
    const std::string summary = ReadFile(work / "one.csv");
    EXPECT_EQ(ReadFile(work / "two.csv"), summary);

    const Values lines = Lines(summary);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0],
              "case,ScrewSpeed,OutputRate,outcome,rows,melting completed at FLIGHT (turns),X/W at end (-),"
              "QS/QT at end (-),POWER TOT at end (kW),POWER VIS at end (kW),message,warnings");
    EXPECT_EQ(lines[1].rfind("0,35,250,end of screw,129,,", 0), 0u) << lines[1];
    EXPECT_EQ(lines[8].rfind("7,50,300,melting completed,", 0), 0u) << lines[8];
    EXPECT_EQ(lines[9].rfind("# tadmor sweep ", 0), 0u) << lines[9];
    EXPECT_EQ(lines[9].substr(31), ": complete") << lines[9];
    EXPECT_EQ(one.out, "one.csv: 8 cases; 8 ran to their end (4 with melting completed), 0 refused or failed\n");
    // Without --results-dir nothing but the summaries is written.
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 2);
}

TEST_F(TadmorSweep, ShardsTogetherAreTheWholeSweep) {
    ASSERT_EQ(RunSweep({"-o", "all.csv"}).exitCode, 0);
    Values rows;
    for (const char* shard : {"0/3", "1/3", "2/3"}) {
        const std::string name = std::string("shard") + shard[0] + ".csv";
        const Result result = RunSweep({"-o", name, "--shard", shard});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        Values lines = Lines(ReadFile(work / name));
        ASSERT_GE(lines.size(), 2u);
        rows.insert(rows.end(), lines.begin() + 1, lines.end() - 1);
    }
    EXPECT_EQ(rows.size(), 8u);
    std::sort(rows.begin(), rows.end(),
              [](const std::string& a, const std::string& b) { return std::stol(a) < std::stol(b); });
    const Values all = Lines(ReadFile(work / "all.csv"));
    EXPECT_EQ(rows, Values(all.begin() + 1, all.end() - 1));
}

TEST_F(TadmorSweep, InvalidAndFailingCasesAreRowsWithTheirMessages) {
    const Result result = Run(
        {"sweep", "--vary", "ScrewDiameter=15,-1,15 cm", "--vary", "BarrelC0=290,200", "-o", "s.csv", "--jobs", "2"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Values lines = Lines(ReadFile(work / "s.csv"));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1].rfind("0,15,290,end of screw,129,,0.094", 0), 0u) << lines[1];
    // The default case: its reference rows have X/W above 1 (14.05 to 17.50).
    EXPECT_TRUE(lines[1].ends_with(",,bed-wider-than-channel")) << lines[1];
    EXPECT_EQ(lines[2].rfind("1,15,200,calculation error,,,,,,,\"the barrel temperature 200.00 degC at FLIGHT 5.10 "
                             "is not above the melting point 265.00 degC",
                             0),
              0u)
        << lines[2];
    EXPECT_EQ(lines[3], "2,-1,290,invalid input,,,,,,,Value of Screw Diameter is not correct,");
    EXPECT_EQ(lines[4], "3,-1,200,invalid input,,,,,,,Value of Screw Diameter is not correct,");
    EXPECT_EQ(lines[5], "4,15 cm,290,invalid input,,,,,,,Input value is not correct!,");
    EXPECT_EQ(result.out, "s.csv: 6 cases; 1 ran to their end (0 with melting completed), 5 refused or failed\n");
}

TEST_F(TadmorSweep, ResultsFilesAreTheRequestsOwnInTheUsersSeparator) {
    const Result result =
        Run({"sweep", "--decimal-separator", ",", "--set", "ScrewSpeed=45", "--vary", "MeteringDepth=0.35,0.4",
             "--vary", "ScrewDiameter=16", "-o", "s.csv", "--results-dir", "cases"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Values lines = Lines(ReadFile(work / "s.csv"));
    ASSERT_EQ(lines.size(), 4u);
    for (const auto& [index, depth] : {std::pair(0, "0,35"), std::pair(1, "0,4")}) {
        SCOPED_TRACE(depth);
        FieldTexts texts = DefaultFieldTexts(',');
        texts[FieldIndexOf("ScrewSpeed")] = "45";
        texts[FieldIndexOf("MeteringDepth")] = depth;
        texts[FieldIndexOf("ScrewDiameter")] = "16";
        const fs::path file = work / "cases" / ("case-" + std::to_string(index) + ".txt");
        ASSERT_EQ(ReadFile(file), RequestFile(texts, ','));

        // The summary's powers are the table's last row at full precision.
        const ResultsFileContents table = ReadResultsFile(file.string());
        Values fields(1);
        for (const char c : lines[index + 1]) {
            if (c == ',')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        }
        ASSERT_EQ(fields.size(), 12u) << lines[index + 1];
        EXPECT_EQ(fields[3], "melting completed");
        EXPECT_EQ(std::stoul(fields[4]), table.rows.size());
        // Melting completed: no solid is left at the end of the screw.
        EXPECT_EQ(fields[6], "0");
        EXPECT_EQ(fields[7], "0");
        // POWER TOT and POWER VIS, to the table's printed digits.
        const struct {
            int summaryField, tableField;
            double halfUnit;
        } agreeing[] = {{8, 9, 0.005}, {9, 10, 0.005}};
        for (const auto& a : agreeing)
            EXPECT_LE(std::fabs(std::stod(fields[a.summaryField]) - table.rows.back()[a.tableField]),
                      a.halfUnit * (1 + 1e-9))
                << fields[a.summaryField];
        // Melting completed in the increment after the last row.
        const double step = std::stod(fields[5]) - table.rows.back()[0];
        EXPECT_TRUE(std::fabs(step - 0.1) < 0.006 || std::fabs(step - 0.2) < 0.006) << step;
    }
}

TEST_F(TadmorSweep, PlotAndUsageErrors) {
    const Result plotted = RunSweep({"-o", "s.csv", "--plot", "s.png", "--plot-value", "power"});
    EXPECT_EQ(plotted.exitCode, 0) << plotted.err;
    EXPECT_TRUE(fs::exists(work / "s.png"));
    // Two inputs of several values each: lines on asking, one per throughput.
    const Result lines = RunSweep({"-o", "l.csv", "--plot", "l.svg", "--plot-kind", "lines"});
    EXPECT_EQ(lines.exitCode, 0) << lines.err;
    const std::string drawing = ReadFile(work / "l.svg");
    EXPECT_NE(drawing.find("OutputRate = 300 kg/hr"), std::string::npos);
    EXPECT_EQ(drawing.find("boundary"), std::string::npos);
    const Result noMap =
        Run({"sweep", "--vary", "ScrewSpeed=35,40", "-o", "m.csv", "--plot", "m.png", "--plot-kind", "map"});
    EXPECT_EQ(noMap.exitCode, 4);
    EXPECT_EQ(noMap.err, "tadmor: --plot-kind map needs two varied inputs of two or more values each\n");

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"-o", "x.csv", "--shard", "3/3"},
                                               {"-o", "x.csv", "--plot", "x.jpg"},
                                               {"-o", "x.csv", "--plot-value", "speed"},
                                               {"-o", "x.csv", "--jobs", "0"},
                                               {"--vary", "ScrewSpeed=40", "-o", "x.csv"},
                                               {}}) {
        const Result result = RunSweep(bad);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_FALSE(fs::exists(work / "x.csv"));
    }
    const Result noFolder = RunSweep({"-o", "missing/x.csv"});
    EXPECT_EQ(noFolder.exitCode, 4);
    EXPECT_EQ(noFolder.err, "tadmor: cannot write the summary file \"missing/x.csv\": No such file or directory\n");
}

}  // namespace
}  // namespace tadmor::cli
