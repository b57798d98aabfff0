// The files the command writes are whole or not there: two runs on one name
// leave one run's complete file, and a run, a plot or a sweep that fails
// part way leaves an earlier file of the name exactly as it was, with no
// partial or temporary file beside it.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/FileSizeLimit.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor::test {
namespace {

const std::vector<std::string> kFirst = {"run", "--set", "ScrewSpeed=38"};
const std::vector<std::string> kSecond = {"run", "--set", "ScrewSpeed=45", "--set", "OutputRate=250"};

std::vector<std::string> With(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

class FileSafety : public TadmorCommand {
protected:
    // The names in `folder`, hidden ones included.
    static std::set<std::string> Names(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }
};

// Each pair of runs starts at once and writes one name; every file must be
// byte for byte what one of the two runs writes alone.
TEST_F(FileSafety, ConcurrentRunsOnOneNameLeaveOneRunsCompleteFile) {
    ASSERT_EQ(Run(With(kFirst, {"-o", "first.txt"})).exitCode, 0);
    ASSERT_EQ(Run(With(kSecond, {"-o", "second.txt"})).exitCode, 0);
    const std::string first = ReadFile(work / "first.txt"), second = ReadFile(work / "second.txt");
    ASSERT_NE(first, second);
    fs::create_directory(work / "runs");

    constexpr int kPairs = 20;
    for (int i = 0; i < kPairs; ++i) {
        const std::string name = "runs/same-" + std::to_string(i) + ".txt";
        const pid_t a = Start(With(kFirst, {"-o", name}), root / "out-a", root / "err-a");
        const pid_t b = Start(With(kSecond, {"-o", name}), root / "out-b", root / "err-b");
        EXPECT_EQ(Wait(a), 0) << ReadFile(root / "err-a");
        EXPECT_EQ(Wait(b), 0) << ReadFile(root / "err-b");
        const std::string content = ReadFile(work / name);
        EXPECT_TRUE(content == first || content == second) << name << ": " << content.size() << " bytes";
    }
    EXPECT_EQ(Names(work / "runs").size(), static_cast<std::size_t>(kPairs));
}

TEST_F(FileSafety, AFailedRunKeepsTheEarlierResultsFile) {
    ASSERT_EQ(Run({"run", "-o", "result.txt"}).exitCode, 0);
    const std::string earlier = ReadFile(work / "result.txt");
    const Result failed = Run({"run", "--set", "BarrelC0=265", "-o", "result.txt"});
    EXPECT_EQ(failed.exitCode, 5) << failed.err;
    EXPECT_EQ(ReadFile(work / "result.txt"), earlier);
    EXPECT_EQ(Names(work), std::set<std::string>{"result.txt"});
}

// A disk that fills up part way: the limit holds for the program started
// under it, which then cannot write its whole file.
TEST_F(FileSafety, ATableThatDoesNotFitKeepsTheEarlierResultsFile) {
    WriteFile(work / "result.txt", "an earlier result");
    Result result;
    {
        FileSizeLimit limit(2000);  // the input section fits, the table does not
        result = Run({"run", "-o", "result.txt"});
    }
    EXPECT_EQ(result.exitCode, 4);
    // The march ran to its end: its warnings hold though its table was not written.
    EXPECT_EQ(result.err,
              "tadmor: Can not write result to file\n"
              "tadmor: the results file \"result.txt\" could not be written\n" +
                  kDefaultCaseWarning);
    EXPECT_EQ(ReadFile(work / "result.txt"), "an earlier result");
    EXPECT_EQ(Names(work), std::set<std::string>{"result.txt"});
}

TEST_F(FileSafety, APlotThatDoesNotFitKeepsTheEarlierPlot) {
    ASSERT_EQ(Run({"run", "-o", "result.txt"}).exitCode, 0);
    for (const std::string plot : {"profile.png", "profile.svg"}) {
        WriteFile(work / plot, "an earlier plot");
        Result result;
        {
            FileSizeLimit limit(4000);
            result = Run({"plot", "result.txt", "-o", plot});
        }
        EXPECT_EQ(result.exitCode, 4) << plot;
        EXPECT_EQ(ReadFile(work / plot), "an earlier plot");
    }
    EXPECT_EQ(Names(work), (std::set<std::string>{"profile.png", "profile.svg", "result.txt"}));
}

TEST_F(FileSafety, ASummaryThatDoesNotFitKeepsTheEarlierSummary) {
    WriteFile(work / "sweep.csv", "an earlier summary");
    Result result;
    {
        FileSizeLimit limit(100);  // less than the header line
        result = Run({"sweep", "--vary", "ScrewSpeed=35,40", "--jobs", "1", "-o", "sweep.csv"});
    }
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the summary file \"sweep.csv\": File too large\n");
    EXPECT_EQ(ReadFile(work / "sweep.csv"), "an earlier summary");
    EXPECT_EQ(Names(work), std::set<std::string>{"sweep.csv"});
}

// The case files of a results folder are results files like any other: a
// case whose file does not fit leaves none, and the summary says so.
TEST_F(FileSafety, CaseFilesThatDoNotFitLeaveNothingBehind) {
    fs::create_directory(work / "cases");
    Result result;
    {
        FileSizeLimit limit(5000);
        result =
            Run({"sweep", "--vary", "ScrewSpeed=35,40", "--jobs", "1", "--results-dir", "cases", "-o", "sweep.csv"});
    }
    EXPECT_TRUE(Names(work / "cases").empty());
    const std::string summary = ReadFile(work / "sweep.csv");
    EXPECT_NE(summary.find("\n0,35,file not written,"), std::string::npos) << summary;
    EXPECT_NE(summary.find("\n1,40,file not written,"), std::string::npos) << summary;
}

}  // namespace
}  // namespace tadmor::test
