// The summary of a sweep as a file of its own: its status line and the sweep
// it names, reading it back for --resume, stopping on a signal, and the files
// that are tried before the first case.
#include <signal.h>
#include <sys/stat.h>

#include <atomic>

#include "cli/Sweep.h"
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

std::size_t Present(const CaseResults& results) {
    return static_cast<std::size_t>(std::count_if(results.begin(), results.end(), [](const auto& r) { return r.has_value(); }));
}

CaseResult Completed(const char* name, int rows, std::optional<double> flight, std::array<double, 4> lastRow,
                     const char* warnings = "") {
    return {RequestOutcome::Completed, name, rows, flight, lastRow, "", warnings};
}

// Four cases; the last has not run.
class SweepSummary : public testing::Test {
protected:
    const std::vector<VariedInput> varied = {ParseVary("ScrewSpeed=30,40"), ParseVary("OutputRate=250,300")};
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    const std::string id = "0123456789abcdef";
    const CaseResults results = {
        Completed("melting completed", 118, 22.7, {0.002, -0.0005, 38.25, 35.5}, "negative-solid-flow"),
        Completed("end of screw", 129, std::nullopt, {0.1, 0.05, 43.5, 31.25},
                  "bed-wider-than-channel film-hotter-than-barrel"),
        CaseResult{RequestOutcome::CalculationError, "calculation error", 0, std::nullopt, std::nullopt,
                   "Invalid \"x\", at\nFLIGHT 5", ""},
        std::nullopt,
    };
    const std::string text =
        "case,ScrewSpeed,OutputRate,outcome,rows,melting completed at FLIGHT (turns),X/W at end (-),"
        "QS/QT at end (-),POWER TOT at end (kW),POWER VIS at end (kW),message,warnings\n"
        "0,30,250,melting completed,118,22.7,0.002,-5e-04,38.25,35.5,,negative-solid-flow\n"
        "1,30,300,end of screw,129,,0.1,0.05,43.5,31.25,,bed-wider-than-channel film-hotter-than-barrel\n"
        "2,40,250,calculation error,,,,,,,\"Invalid \"\"x\"\", at\nFLIGHT 5\",\n"
        "# tadmor sweep 0123456789abcdef: incomplete, 3 of 4 cases\n";

    std::string ReadError(const std::string& summary, const std::string& sweepId,
                          const std::vector<VariedInput>& inputs) const {
        CaseResults back(cases.size());
        return UsageErrorOf([&] { ReadSummary(summary, "s.csv", inputs, sweepId, cases, back); });
    }
    std::string Replaced(const std::string& from, const std::string& to) const {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    }
};

TEST_F(SweepSummary, EndsWithItsStatusAndReadsBackToTheSameBytes) {
    EXPECT_EQ(SummaryCsv(varied, id, cases, results), text);
    CaseResults back(cases.size());
    ReadSummary(text, "s.csv", varied, id, cases, back);
    EXPECT_EQ(Present(back), 3u);
    EXPECT_FALSE(back[3].has_value());
    EXPECT_EQ(back[2]->message, "Invalid \"x\", at\nFLIGHT 5");
    EXPECT_EQ(back[0]->meltingFlight, 22.7);
    EXPECT_EQ(back[1]->warnings, "bed-wider-than-channel film-hotter-than-barrel");
    EXPECT_EQ(SummaryCsv(varied, id, cases, back), text);

    CaseResults whole = results;
    whole[3] = CaseResult{RequestOutcome::InvalidInput, "invalid input", 0, std::nullopt, std::nullopt, "Bad", ""};
    const std::string complete = SummaryCsv(varied, id, cases, whole);
    EXPECT_TRUE(complete.ends_with("\n3,40,300,invalid input,,,,,,,Bad,\n# tadmor sweep 0123456789abcdef: complete\n"));
}

TEST_F(SweepSummary, ASummaryCutShortOrOfAnotherSweepIsRefused) {
    const std::string noStatus = "--resume s.csv: no status line at its end: not a whole summary written by tadmor sweep";
    EXPECT_EQ(ReadError("", id, varied), noStatus);
    EXPECT_EQ(ReadError(text.substr(0, text.size() - 1), id, varied), noStatus);
    EXPECT_EQ(ReadError(text.substr(0, text.find("# tadmor")), id, varied), noStatus);
    EXPECT_EQ(ReadError(text.substr(0, text.find("# tadmor") - 12), id, varied), noStatus);
    EXPECT_EQ(ReadError(text, "fedcba9876543210", varied),
              "--resume s.csv: the summary of another sweep (other base inputs or varied values)");
    EXPECT_EQ(ReadError(text, id, {ParseVary("ScrewSpeed=30,40"), ParseVary("BarrelC0=250,300")}),
              "--resume s.csv: its first line is not the header of this sweep");

    const std::string badLine = "--resume s.csv: line 3 is not a line of this sweep's summary";
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"end of screw", "end of the screw"},  // no outcome
             {"1,30,300", "9,30,300"},              // no case of the sweep
             {"1,30,300", "1,35,300"},              // not the case's values
             {"129,,", "12x,,"},                    // rows not a number
             {"43.5,31.25", "43.5,"},               // half a last row
             {"0.05,", "0.05,,"},                   // a field too many
             {",bed-wider-than-channel film-hotter-than-barrel", ""}}) {  // no warnings column
        SCOPED_TRACE(to);
        EXPECT_EQ(ReadError(Replaced(from, to), id, varied), badLine);
    }
    // Lines are counted through a message's line end.
    EXPECT_EQ(ReadError(text.substr(0, text.find("# tadmor")) + "3,40,300,lost\n" +
                            text.substr(text.find("# tadmor")),
                        id, varied),
              "--resume s.csv: line 6 is not a line of this sweep's summary");
}

TEST_F(SweepSummary, OnlyTheCasesOfTheShardAreTaken) {
    const std::vector<SweepCase> odd = SweepCases(varied, {1, 2});  // cases 1 and 3
    CaseResults back(odd.size());
    ReadSummary(text, "s.csv", varied, id, odd, back);
    ASSERT_TRUE(back[0].has_value());
    EXPECT_EQ(back[0]->outcomeName, "end of screw");
    EXPECT_FALSE(back[1].has_value());
}

TEST(SweepIdentity, NamesTheInputsThatDecideTheResults) {
    SweepSettings settings;
    settings.base = DefaultFieldTexts();
    settings.varied = {ParseVary("ScrewSpeed=30,40")};
    const std::string id = SweepId(settings);
    EXPECT_EQ(id.size(), 16u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);

    SweepSettings same = settings;
    same.base[FieldIndexOf("ScrewSpeed")] = "77";  // varied: its base text is never used
    same.jobs = 7;
    same.resultsDir = "cases";
    EXPECT_EQ(SweepId(same), id);

    SweepSettings other = settings;
    other.base[FieldIndexOf("OutputRate")] = "320";
    EXPECT_NE(SweepId(other), id);
    other = settings;
    other.varied = {ParseVary("ScrewSpeed=30,45")};
    EXPECT_NE(SweepId(other), id);
    other.varied = {ParseVary("ScrewSpeed=30,40,")};
    EXPECT_NE(SweepId(other), id);
    other = settings;
    other.separator = ',';
    EXPECT_NE(SweepId(other), id);
}

TEST(RunSweepStop, StartsNoCaseOnceStoppedAndRunsTheRestLater) {
    SweepSettings settings;
    settings.base = DefaultFieldTexts();
    settings.varied = {ParseVary("ScrewSpeed=30:65:5")};
    const std::vector<SweepCase> cases = SweepCases(settings.varied, {});
    std::atomic<int> stop = 0;
    CaseResults whole(cases.size());
    RunSweep(settings, cases, whole, stop);
    ASSERT_EQ(Present(whole), cases.size());

    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        settings.jobs = jobs;
        stop = 0;
        CaseResults results(cases.size());
        RunSweep(settings, cases, results, stop, [&](std::size_t done, std::size_t) {
            if (done == 3) stop = SIGINT;
        });
        // The cases running when it stopped have finished.
        const std::size_t finished = Present(results);
        EXPECT_GE(finished, 3u);
        EXPECT_LE(finished, 2u + jobs);
        if (jobs == 1) {
            EXPECT_TRUE(results[0] && results[1] && results[2]);
        }

        stop = 0;
        std::vector<std::size_t> counts;
        RunSweep(settings, cases, results, stop, [&](std::size_t done, std::size_t) { counts.push_back(done); });
        ASSERT_EQ(counts.size(), cases.size() - finished);
        EXPECT_EQ(counts.front(), finished + 1);
        EXPECT_EQ(SummaryCsv(settings.varied, "id", cases, results), SummaryCsv(settings.varied, "id", cases, whole));
    }
}

class SweepFiles : public TadmorCommand {
protected:
    const Arguments sweep = {"sweep", "--vary", "ScrewSpeed=35:50:5"};
};

TEST_F(SweepFiles, EveryFileIsTriedBeforeTheFirstCase) {
    Result result = Run(With(sweep, {"-o", "missing/s.csv", "--results-dir", "cases"}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the summary file \"missing/s.csv\"\n");
    EXPECT_FALSE(fs::exists(work / "cases"));

    result = Run(With(sweep, {"-o", "s.csv", "--plot", "missing/s.png"}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the plot \"missing/s.png\"\n");
    EXPECT_FALSE(fs::exists(work / "s.csv"));

    // A folder whose path leaves no room for the files in it: 4090 bytes.
    std::string deep;
    for (int i = 0; i < 20; ++i) deep += std::string(199, 'd') + "/";
    deep += std::string(90, 'd');
    result = Run(With(sweep, {"-o", "s.csv", "--results-dir", deep}));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the results file \"" + deep + "/case-0.txt\"\n");
    EXPECT_FALSE(fs::exists(work / "s.csv"));

    const fs::path locked = work / "locked";
    fs::create_directory(locked);
    if (!SetImmutable(locked, true)) GTEST_SKIP() << "no immutable folders here";
    result = Run(With(sweep, {"-o", "s.csv", "--results-dir", "locked"}));
    SetImmutable(locked, false);
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: cannot write the results file \"locked/case-0.txt\"\n");
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
    for (const Arguments& other : {With(two, {"--set", "BarrelC0=280"}), With(two, {"--decimal-separator", ","}),
                                   Arguments{"sweep", "--vary", "ScrewSpeed=35:50:5", "--vary", "OutputRate=250,310"}}) {
        const Result result = Run(With(other, {"-o", "other.csv", "--resume", "s.csv"}));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, "tadmor: --resume s.csv: the summary of another sweep (other base inputs or varied values)\n");
        EXPECT_FALSE(fs::exists(work / "other.csv"));
    }
    WriteFile(work / "cut.csv", summary.substr(0, summary.size() - 5));
    Result result = Run(With(two, {"-o", "cut.csv", "--resume", "cut.csv"}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err,
              "tadmor: --resume cut.csv: no status line at its end: not a whole summary written by tadmor sweep\n");
    result = Run(With(two, {"-o", "none.csv", "--resume", "none.csv"}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tadmor: --resume none.csv: cannot read the summary: No such file or directory\n");
    ASSERT_EQ(mkfifo((work / "fifo.csv").c_str(), 0600), 0);
    result = Run(With(two, {"-o", "none.csv", "--resume", "fifo.csv"}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tadmor: --resume fifo.csv: cannot read the summary: it is not a regular file\n");
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
        for (const std::string& file : files) EXPECT_EQ(ReadFile(work / "cases" / file), ReadFile(work / "whole" / file));

        const Result resumed = Run(With(many, {"-o", "s.csv", "--results-dir", "cases", "--resume", "s.csv"}));
        ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
        EXPECT_EQ(ReadFile(work / "s.csv"), whole);
        EXPECT_EQ(FileNames(work / "cases"), FileNames(work / "whole"));
    }
    EXPECT_EQ(FileNames(work), (std::vector<std::string>{"cases", "s.csv", "whole", "whole.csv"}));
}

}  // namespace
}  // namespace tadmor::cli
