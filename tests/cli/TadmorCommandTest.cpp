// Runs the built tadmor program on temporary folders.
#include <regex>

#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

TEST_F(TadmorCommand, DefaultRunWritesResultTxtAndOneSummaryLine) {
    const Result result = Run({"run"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, kDefaultCaseWarning);
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
    ASSERT_TRUE(std::regex_match(
        result.out, match, std::regex(R"(fast\.txt: (\d+) rows recorded; melting completed at FLIGHT (\d+\.\d\d)\n)")))
        << result.out;
    EXPECT_EQ(std::stoul(match[1]), rows.size());
    // The increment after the last recorded one: a tenth or a fifth of a turn on.
    const double step = std::stod(match[2]) - std::stod(rows.back().substr(1, 5));
    EXPECT_TRUE(std::abs(step - 0.1) < 0.006 || std::abs(step - 0.2) < 0.006) << step;
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
    // The window's message, then the file it was about.
    EXPECT_EQ(result.err,
              "tadmor: File can not open!\ntadmor: the results file \"missing/result.txt\" could not be written\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(TadmorCommand, MessagesStayOneLineWhateverTheFileNames) {
    // A case file name with a line feed, a carriage return and an escape
    // character: each shows as \xNN, so every message is one whole line.
    const std::string name = "a\nb\rc\x1b[31md.case";
    WriteFile(work / name, "ScrewSpeed = 4x5\n");
    const Result refused = Run({"run", "--case", name, "-o", "r.txt"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(refused.err.rfind("tadmor: Input value is not correct!\ntadmor: a\\x0ab\\x0dc\\x1b[31md.case:1: "
                                "ScrewSpeed \"4x5\" is not a number",
                                0),
              0u)
        << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 2) << refused.err;
    const Result missing = Run({"plot", "missing\n" + name, "-o", "p.png"});
    EXPECT_EQ(missing.exitCode, 6);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    EXPECT_EQ(missing.err.find('\x1b'), std::string::npos) << missing.err;
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
    FieldTexts texts = DefaultFieldTexts(',');
    texts[FieldIndexOf("MeteringDepth")] = "0,35";
    EXPECT_EQ(ReadFile(work / "result.txt"), RequestFile(texts, ','));
}

TEST_F(TadmorCommand, SeparatorOfTheUsersLocale) {
    const std::vector<std::string> german = GermanLocale();
    if (german.empty()) GTEST_SKIP() << kNoGermanLocale;

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
