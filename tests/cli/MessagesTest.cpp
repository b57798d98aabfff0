// What the command says when it refuses its input: the window's message
// first, then the input, its text, where it came from and what to write.
#include <regex>

#include "model/InputFields.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(TadmorCommand, ATextThatIsNotANumberIsNamedQuotedAndPlaced) {
    WriteFile(work / "speed.case",
              "# the operating point\n"
              "OutputRate = 250\n"
              "ScrewSpeed = 45 rpm\n");
    WriteFile(work / "comment.case", "ScrewSpeed = 45   # rpm\n");
    const struct {
        std::vector<std::string> arguments;
        std::string place;  // the start of the second line
        std::string fix;    // what it must tell to write
    } cases[] = {
        {{"run", "--set", "ScrewSpeed=60,5"}, "tadmor: --set: ScrewSpeed \"60,5\" is not a number", "60.5"},
        {{"run", "--set", "ScrewSpeed=60,5"}, "tadmor: --set: ScrewSpeed", "--decimal-separator ,"},
        {{"run", "--decimal-separator", ",", "--set", "ScrewSpeed=60.5"}, "tadmor: --set: ScrewSpeed \"60.5\"", "60,5"},
        {{"run", "--case", "speed.case"}, "tadmor: speed.case:3: ScrewSpeed \"45 rpm\" is not a number", "unit"},
        {{"run", "--case", "comment.case"}, "tadmor: comment.case:1: ScrewSpeed \"45   # rpm\"", "line of its own"},
        {{"run", "--set", "FeedTurns="}, "tadmor: --set: FeedTurns \"\" is not a number", "10.0"},
        {{"run", "--set", "SolidTemp=1e400"}, "tadmor: --set: SolidTemp \"1e400\" is not a number", "double"},
        {{"run", "--set", "ViscA0=x"}, "tadmor: --set: ViscA0 \"x\" is not a number", "exponent"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 3) << c.place;
        const std::vector<std::string> lines = OutputLines(result.err);
        ASSERT_EQ(lines.size(), 2u) << result.err;
        EXPECT_EQ(lines[0], "tadmor: Input value is not correct!");
        EXPECT_EQ(lines[1].rfind(c.place, 0), 0u) << lines[1];
        EXPECT_TRUE(Contains(lines[1], c.fix)) << lines[1];
    }
    EXPECT_FALSE(fs::exists(work / "result.txt"));
}

// The first text in field order is the one named, as the request refuses it.
TEST_F(TadmorCommand, TheRefusedTextIsTheFirstInFieldOrder) {
    const Result result =
        Run({"run", "--set", "SolidTemp=warm", "--set", "ScrewDiameter=-1", "--set", "FeedTurns=ten"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(OutputLines(result.err).at(1).rfind("tadmor: --set: FeedTurns \"ten\" is not a number", 0), 0u)
        << result.err;
}

TEST_F(TadmorCommand, AValueOutOfRangeIsGivenTheAllowedValues) {
    WriteFile(work / "zero.case", "\nDelayTurns = 0\n");
    const struct {
        std::vector<std::string> arguments;
        std::string message;  // the window's
        std::string detail;
    } cases[] = {
        {{"run", "--set", "ScrewSpeed=-5"},
         "Value of Number of Revolution is not correct",
         "--set: ScrewSpeed \"-5\" must be greater than 0"},
        {{"run", "--case", "zero.case"},
         "Value of Turns of Delay in Metering is not correct",
         "zero.case:2: DelayTurns \"0\" must be greater than 0"},
        {{"run", "--set", "FusionHeat=-0.1"},
         "Value of Heat of Fusion is not correct",
         "--set: FusionHeat \"-0.1\" must be 0 or greater"},
        {{"run", "-o", ""}, "Save File Name is not correct", "-o: ResultFileName \"\" must be"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 3) << c.detail;
        const std::vector<std::string> lines = OutputLines(result.err);
        ASSERT_EQ(lines.size(), 2u) << result.err;
        EXPECT_EQ(lines[0], "tadmor: " + c.message);
        EXPECT_EQ(lines[1].rfind("tadmor: " + c.detail, 0), 0u) << lines[1];
    }
}

TEST_F(TadmorCommand, AMisspelledNameGetsTheClosestName) {
    WriteFile(work / "typo.case", "OutputRate = 250\nScrewSped = 45\n");
    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"run", "--set", "ScrewSped=45"}, "tadmor: --set: unknown input name \"ScrewSped\"; did you mean ScrewSpeed?"},
        {{"run", "--case", "typo.case"},
         "tadmor: typo.case:2: unknown input name \"ScrewSped\"; did you mean ScrewSpeed?"},
        {{"run", "--set", "outputrate=250"},
         "tadmor: --set: unknown input name \"outputrate\"; did you mean OutputRate?"},
        {{"sweep", "--vary", "BarelC0=280,290", "-o", "s.csv"},
         "tadmor: --vary: unknown input name \"BarelC0\"; did you mean BarrelC0?"},
        {{"solve", "--for", "OutputRat", "--melted-at", "end"},
         "tadmor: --for: no numeric input named \"OutputRat\"; did you mean OutputRate?"},
        // Nothing is close to a name that is not a misspelling.
        {{"run", "--set", "Colour=5"}, "tadmor: --set: unknown input name \"Colour\""},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.error;
        EXPECT_EQ(result.err, c.error + "\n");
    }
}

TEST_F(TadmorCommand, BlanksAroundNamesAndSeveralSettingsAfterOneSet) {
    const Result run = Run({"run", "--set", " ScrewSpeed =45", "ScrewDiameter=16", "-o", "fast.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    FieldTexts texts = DefaultFieldTexts();
    texts[FieldIndexOf("ScrewSpeed")] = "45";
    texts[FieldIndexOf("ScrewDiameter")] = "16";
    EXPECT_EQ(ReadFile(work / "fast.txt"), RequestFile(texts, '.'));

    const Result sweep = Run({"sweep", "--set", "ScrewSpeed=45", "ScrewDiameter=16", "--vary", " OutputRate =300", "-o",
                              "s.csv", "--results-dir", "cases"});
    EXPECT_EQ(sweep.exitCode, 0) << sweep.err;
    texts[FieldIndexOf("OutputRate")] = "300";
    EXPECT_EQ(ReadFile(work / "cases" / "case-0.txt"), RequestFile(texts, '.'));

    // The solve's lower end is the run of the same settings.
    const Result solve = Run({"solve", "--set", "ScrewSpeed=45", "ScrewDiameter=16", "--for", "OutputRate", "--range",
                              "290:310", "--melted-at", "end", "--intervals", "2"});
    const Result low = Run({"run", "--set", "ScrewSpeed=45", "ScrewDiameter=16", "OutputRate=290", "-o", "low.txt"});
    ASSERT_EQ(low.exitCode, 0) << low.err;
    const std::string melted = low.out.substr(low.out.find("melting completed at FLIGHT"));
    EXPECT_TRUE(Contains(solve.out, "at 290.0: " + melted.substr(0, melted.size() - 1) + ",")) << solve.out;
}

TEST_F(TadmorCommand, EveryErrorStartsWithTheProgramsName) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"run", "--bogus"},
             {"walk"},
             {"run", "--format", "xml"},
             {"sweep", "-o", "s.csv"},
             {"plot"},
             {"run", "--jobs", "2"},
             {"sweep", "--vary", "ScrewSpeed=1:2:1", "-o", "s.csv", "--jobs", "many"}}) {
        const Result result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.front();
        ASSERT_FALSE(result.err.empty());
        for (const std::string& line : OutputLines(result.err)) EXPECT_EQ(line.rfind("tadmor: ", 0), 0u) << line;
    }
}

TEST_F(TadmorCommand, VersionNamesTheBuild) {
    const Result result = Run({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = OutputLines(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    EXPECT_EQ(lines[0], "tadmor " TADMOR_VERSION);
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("built with [A-Za-z]+ [0-9.]+"))) << lines[1];
    // On x86-64 the formulas are evaluated in the x87 extended format.
    EXPECT_EQ(lines[2], "floating point: values stored as double, formulas evaluated in long double (64-bit mantissa)");
}

}  // namespace
}  // namespace tadmor
