// Runs the built tadmor program on temporary folders.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void WriteFile(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class SilentUi : public RequestUi {
public:
    void SetBusy(bool) override {}
    void ShowMessage(const std::string&) override {}
    void ShowError(const std::string&) override {}
    void ShowCompletion() override {}
    void RefreshFileList() override {}
};

// A fresh folder `work` to run the program in, with its output captured
// beside it.
class TadmorCommand : public testing::Test {
protected:
    fs::path root;
    fs::path work;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tadmor-cli-XXXXXX").string();
        root = mkdtemp(pattern.data());
        work = root / "work";
        fs::create_directory(work);
    }
    void TearDown() override { fs::remove_all(root); }

    // Runs tadmor with `arguments` in `work`, with `environment` added
    // ("NAME=VALUE") and LC_ALL=C unless it sets a locale itself.
    Result Run(const std::vector<std::string>& arguments, std::vector<std::string> environment = {}) {
        const fs::path out = root / "stdout", err = root / "stderr";
        std::vector<std::string> words = {TADMOR_COMMAND};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        if (environment.empty()) environment.push_back("LC_ALL=C");

        const pid_t child = fork();
        if (child == 0) {
            const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0 || chdir(work.c_str()) != 0)
                _exit(127);
            for (std::string& variable : environment) putenv(variable.data());
            execv(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        Result result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }

    // The results file that the request writes from `texts`, read back.
    std::string RequestFile(FieldTexts texts, char separator) {
        const fs::path path = root / "direct.txt";
        texts[kFieldCount - 1] = path.string();
        SimulationState state;
        SilentUi ui;
        EXPECT_EQ(RunCalculationRequest(texts, separator, state, ui), RequestOutcome::Completed);
        return ReadFile(path);
    }
};

// The rows of the results table in a file.
std::vector<std::string> TableRows(const std::string& file) {
    std::vector<std::string> rows;
    const auto table = file.find(" [RESULTS]\r\n");
    std::istringstream lines(file.substr(table == std::string::npos ? file.size() : table));
    std::string line;
    for (int heading = 0; heading < 3 && std::getline(lines, line);) ++heading;
    while (std::getline(lines, line) && line != "\r") rows.push_back(line);
    return rows;
}

TEST_F(TadmorCommand, DefaultRunWritesResultTxtAndOneSummaryLine) {
    const Result result = Run({"run"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    const std::string file = ReadFile(work / "result.txt");
    const std::vector<std::string> rows = TableRows(file);
    ASSERT_EQ(rows.size(), 129u);  // the default screw to its end
    // The summary's X/W is the last row's third field.
    EXPECT_EQ(result.out,
              "result.txt: 129 rows recorded; X/W " + rows.back().substr(15, 5) + " left at the end of the screw\n");
    EXPECT_EQ(file, RequestFile(DefaultFieldTexts(), '.'));
}

TEST_F(TadmorCommand, MeltingCompletedBeforeTheEnd) {
    const Result result = Run({"run", "--set", "ScrewSpeed=45", "--set", "ScrewDiameter=16", "-o", "fast.txt"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> rows = TableRows(ReadFile(work / "fast.txt"));
    ASSERT_FALSE(rows.empty());
    std::smatch match;
    ASSERT_TRUE(std::regex_match(result.out, match,
                                 std::regex(R"(fast\.txt: (\d+) rows recorded; melting completed at FLIGHT (\d+\.\d\d)\n)")))
        << result.out;
    EXPECT_EQ(std::stoul(match[1]), rows.size());
    // The increment after the last recorded one: a tenth or a fifth of a turn on.
    const double step = std::stod(match[2]) - std::stod(rows.back().substr(1, 5));
    EXPECT_TRUE(std::abs(step - 0.1) < 0.006 || std::abs(step - 0.2) < 0.006) << step;
}

TEST_F(TadmorCommand, ABadTextIsInvalidInput) {
    const Result result = Run({"run", "--set", "ScrewDiameter=15 cm"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "tadmor: Input value is not correct!\n");
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(work / "result.txt"));
}

TEST_F(TadmorCommand, UsageErrors) {
    const struct {
        std::vector<std::string> arguments;
        std::string named;
    } cases[] = {
        {{"run", "--set", "Diameter=15"}, "Diameter"},
        {{"run", "--set", "ScrewDiameter"}, "ScrewDiameter"},
        {{"run", "--case", "missing.case"}, "missing.case"},
        {{"run", "--decimal-separator", "::"}, "::"},
        {{"run", "--bogus"}, "--bogus"},
        {{"walk"}, "walk"},
        {{}, "run"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.named;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
    }
    EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(TadmorCommand, MissingFolderIsFileNotWritten) {
    const Result result = Run({"run", "-o", "missing/result.txt"});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "tadmor: File can not open!\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(TadmorCommand, CalculationErrorIsShownAsAnError) {
    const Result result = Run({"run", "--set", "BarrelC0=200.0"});  // below the melting point
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_EQ(result.err.rfind("tadmor: error: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    EXPECT_EQ(result.out, "");
}

TEST_F(TadmorCommand, CaseFileSettingsAndOutputInTheirOrder) {
    WriteFile(root / "hot.case",
              "# a hotter barrel\n"
              "\n"
              "BarrelC0 = 300.0\n"
              "  ScrewSpeed = 40.0   \n"
              "SolidTemp = \" 25.0 \"\n"
              "ResultFileName = \"hot barrel.txt\"\n");
    const Result fromCase = Run({"run", "--case", (root / "hot.case").string(), "--set", "ScrewSpeed=42"});
    EXPECT_EQ(fromCase.exitCode, 0) << fromCase.err;
    FieldTexts texts = DefaultFieldTexts();
    texts[FieldIndexOf("BarrelC0")] = "300.0";
    texts[FieldIndexOf("ScrewSpeed")] = "42";
    texts[FieldIndexOf("SolidTemp")] = " 25.0 ";
    EXPECT_EQ(ReadFile(work / "hot barrel.txt"), RequestFile(texts, '.'));

    const Result withOutput = Run({"run", "--case", (root / "hot.case").string(), "-o", "out.txt"});
    EXPECT_EQ(withOutput.exitCode, 0) << withOutput.err;
    EXPECT_TRUE(fs::exists(work / "out.txt"));
}

TEST_F(TadmorCommand, OneBlankFileNameFromACaseFile) {
    WriteFile(root / "blank.case", "ResultFileName = \" \"\n");
    const Result result = Run({"run", "--case", (root / "blank.case").string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::exists(work / " "));
}

TEST_F(TadmorCommand, MalformedCaseFileLine) {
    WriteFile(root / "bad.case", "# fine\nScrewDiameter = 15\nScrewPitch: 15\n");
    const Result result = Run({"run", "--case", (root / "bad.case").string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "tadmor: " + (root / "bad.case").string() + ":3: expected NAME = TEXT\n");
}

TEST_F(TadmorCommand, DecimalCommaGivesTheSameBytesAsTheRequest) {
    const Result result = Run({"run", "--decimal-separator", ",", "--set", "MeteringDepth=0,35"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    FieldTexts texts = DefaultFieldTexts();
    for (int i = 0; i < kNumericFieldCount; ++i)
        for (char& c : texts[i])
            if (c == '.') c = ',';
    texts[FieldIndexOf("MeteringDepth")] = "0,35";
    EXPECT_EQ(ReadFile(work / "result.txt"), RequestFile(texts, ','));
}

TEST_F(TadmorCommand, SeparatorOfTheUsersLocale) {
    // A German locale built for this test, so that its separator is ",".
    const fs::path locales = root / "locales";
    fs::create_directory(locales);
    const std::string build = "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE.UTF-8";
    const std::vector<std::string> german = {"LOCPATH=" + locales.string(), "LC_ALL=de_DE.UTF-8"};

    const Result comma = Run({"run", "-o", "comma.txt"}, german);
    EXPECT_EQ(comma.exitCode, 0) << comma.err;
    EXPECT_NE(ReadFile(work / "comma.txt").find("15,0"), std::string::npos);

    // The locale changes neither how "." texts read nor how the file is written.
    const Result point = Run({"run", "--decimal-separator", ".", "-o", "point.txt"}, german);
    EXPECT_EQ(point.exitCode, 0) << point.err;
    EXPECT_EQ(ReadFile(work / "point.txt"), RequestFile(DefaultFieldTexts(), '.'));
}

TEST_F(TadmorCommand, HelpExplainsNamesAndExitCodes) {
    const Result result = Run({"run", "--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* part : {"--case", "--set", "--decimal-separator", "MeltConductivity", "ResultFileName",
                             "Exit codes", "  5  calculation error"})
        EXPECT_NE(result.out.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace tadmor
