// The files of tadmor sweep: those tried before the first case, results
// files not written, --resume, and stopping on a signal.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>

#include "tests/cli/TadmorCommandFixture.h"
#include "tests/support/ReadOnly.h"

namespace tadmor::cli {
namespace {

using namespace tadmor::test;
using Arguments = std::vector<std::string>;

Arguments With(Arguments arguments, const Arguments& extra) {
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

class SweepFiles : public TadmorCommand {
protected:
    const Arguments sweep = {"sweep", "--vary", "ScrewSpeed=35:50:5"};
};

TEST_F(SweepFiles, EveryFileIsTriedBeforeTheFirstCase) {
    Result result = Run(With(sweep, {"-o", "missing/s.csv", "--results-dir", "cases"}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the summary file \"missing/s.csv\": No such file or directory\n");
    EXPECT_FALSE(fs::exists(work / "cases"));

    result = Run(With(sweep, {"-o", "s.csv", "--plot", "missing/s.png"}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the plot \"missing/s.png\": No such file or directory\n");
    EXPECT_FALSE(fs::exists(work / "s.csv"));

    // A folder whose path leaves no room for the files in it: 4090 bytes.
    std::string deep;
    for (int i = 0; i < 20; ++i) deep += std::string(199, 'd') + "/";
    deep += std::string(90, 'd');
    result = Run(With(sweep, {"-o", "s.csv", "--results-dir", deep}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the results file \"" + deep + "/case-0.txt\": File name too long\n");
    EXPECT_FALSE(fs::exists(work / "s.csv"));

    const fs::path locked = work / "locked";
    fs::create_directory(locked);
    if (!SetImmutable(locked, true)) GTEST_SKIP() << "no immutable folders here";
    result = Run(With(sweep, {"-o", "s.csv", "--results-dir", "locked"}));
    SetImmutable(locked, false);
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the results file \"locked/case-0.txt\": Operation not permitted\n");
    EXPECT_FALSE(fs::exists(work / "s.csv"));
}

TEST_F(SweepFiles, AResultsFileNotWrittenGivesExitCode4) {
    fs::create_directories(work / "cases" / "case-2.txt");  // a folder where the file should go
    const Result result = Run(With(sweep, {"-o", "s.csv", "--results-dir", "cases"}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: 1 of 4 results files could not be written\n");
    const std::vector<std::string> lines = LinesOf(ReadFile(work / "s.csv"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3].rfind("2,45,file not written,,,,,,,", 0), 0u) << lines[3];
    for (const char* written : {"case-0.txt", "case-1.txt", "case-3.txt"})
        EXPECT_TRUE(fs::is_regular_file(work / "cases" / written)) << written;
}

TEST_F(SweepFiles, ASweepOfTooManyCasesIsRefusedBeforeItsValuesAreBuilt) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#endif
    Arguments arguments = {"sweep", "-o", "s.csv"};
    for (int field = 0; field < kNumericFieldCount; ++field) {
        arguments.push_back("--vary");
        arguments.push_back(std::string(kInputFields[field].variable) +
                            "=0.000000000000000000000000000001:0.999999:0.000001");
    }
    memoryLimit = rlim_t{1} << 30;  // the 28 lists of a million values each take about 2 GB
    const Result result = Run(arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tadmor: the sweep has more than 1000000 cases\n");
}

TEST_F(SweepFiles, ResumeTakesOnlyASummaryOfTheSameSweep) {
    const Arguments two = With(sweep, {"--vary", "OutputRate=250,300"});
    ASSERT_EQ(Run(With(two, {"-o", "s.csv"})).exitCode, 0);
    const std::string summary = ReadFile(work / "s.csv");

    // Complete: nothing runs and the summary is the same. The base text of a
    // varied input is not part of the sweep.
    for (const Arguments& same : {Arguments{}, Arguments{"--set", "OutputRate=330"}}) {
        const Result result = Run(With(two, With(same, {"-o", "again.csv", "--resume", "s.csv"})));
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(ReadFile(work / "again.csv"), summary);
    }
    for (const Arguments& other :
         {With(two, {"--set", "BarrelC0=280"}), With(two, {"--decimal-separator", ","}),
          Arguments{"sweep", "--vary", "ScrewSpeed=35:50:5", "--vary", "OutputRate=250,310"}}) {
        const Result result = Run(With(other, {"-o", "other.csv", "--resume", "s.csv"}));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err,
                  "tadmor: --resume s.csv: the summary of another sweep (other base inputs or varied values)\n");
        EXPECT_FALSE(fs::exists(work / "other.csv"));
    }
    WriteFile(work / "cut.csv", summary.substr(0, summary.size() - 5));
    Result result = Run(With(two, {"-o", "cut.csv", "--resume", "cut.csv"}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err,
              "tadmor: --resume cut.csv: no status line at its end: not a whole summary written by tadmor sweep\n");
    result = Run(With(two, {"-o", "none.csv", "--resume", "none.csv"}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tadmor: cannot read the --resume summary \"none.csv\": No such file or directory\n");
    ASSERT_EQ(mkfifo((work / "fifo.csv").c_str(), 0600), 0);
    result = Run(With(two, {"-o", "none.csv", "--resume", "fifo.csv"}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tadmor: cannot read the --resume summary \"fifo.csv\": it is not a regular file\n");
}

// The names of the files in `folder`, hidden ones too.
std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(SweepFiles, ASignalStopsTheSweepBetweenCasesAndResumeCompletesIt) {
    const Arguments many = {"sweep", "--vary", "ScrewSpeed=20:80:1", "--vary", "OutputRate=250,300,350", "--jobs", "2"};
    const std::size_t total = 183;
    ASSERT_EQ(Run(With(many, {"-o", "whole.csv", "--results-dir", "whole"})).exitCode, 0);
    const std::string whole = ReadFile(work / "whole.csv");
    const std::vector<std::string> wholeLines = LinesOf(whole);
    ASSERT_EQ(wholeLines.size(), total + 2);
    const std::string status = wholeLines.back().substr(0, wholeLines.back().size() - std::string("complete").size());

    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        fs::remove_all(work / "cases");
        fs::remove(work / "s.csv");
        const pid_t child = Start(With(many, {"-o", "s.csv", "--results-dir", "cases"}), root / "out", root / "err");
        // Under way once the first results file is there.
        for (int wait = 0; wait < 20000 && !fs::exists(work / "cases" / "case-000.txt"); ++wait) usleep(500);
        kill(child, signal);
        const int exitCode = Wait(child);
        const std::string err = ReadFile(root / "err");
        ASSERT_EQ(exitCode, 128 + signal) << err;

        const std::vector<std::string> lines = LinesOf(ReadFile(work / "s.csv"));
        ASSERT_GE(lines.size(), 2u);
        const std::size_t finished = lines.size() - 2;
        ASSERT_LT(finished, total);
        EXPECT_EQ(lines.back(), status + "incomplete, " + std::to_string(finished) + " of 183 cases");
        EXPECT_EQ(err, std::string("tadmor: stopped by ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") +
                           ": the summary \"s.csv\" holds " + std::to_string(finished) +
                           " of 183 cases; --resume s.csv runs the rest\n");
        // Each finished case is its line of the whole sweep and its complete
        // results file; there is no other file.
        std::vector<std::string> files;
        for (std::size_t i = 1; i <= finished; ++i) {
            const std::size_t index = std::stoul(lines[i]);
            ASSERT_LT(index, total);
            EXPECT_EQ(lines[i], wholeLines[index + 1]);
            std::string name = std::to_string(index);
            files.push_back("case-" + std::string(3 - name.size(), '0') + name + ".txt");
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(FileNames(work / "cases"), files);
        for (const std::string& file : files)
            EXPECT_EQ(ReadFile(work / "cases" / file), ReadFile(work / "whole" / file));

        const Result resumed = Run(With(many, {"-o", "s.csv", "--results-dir", "cases", "--resume", "s.csv"}));
        ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
        EXPECT_EQ(ReadFile(work / "s.csv"), whole);
        EXPECT_EQ(FileNames(work / "cases"), FileNames(work / "whole"));
    }
    EXPECT_EQ(FileNames(work), (std::vector<std::string>{"cases", "s.csv", "whole", "whole.csv"}));
}

}  // namespace
}  // namespace tadmor::cli
