#include "cli/RunCommand.h"

#include <gtest/gtest.h>

#include "model/InputFields.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor::cli {
namespace {

using tadmor::test::UsageErrorOf;

std::string& TextOf(FieldTexts& texts, std::string_view variable) { return texts[FieldIndexOf(variable)]; }

TEST(CaseFile, LinesCommentsAndQuotes) {
    FieldTexts texts = DefaultFieldTexts();
    ApplyCaseText("# a comment\r\n"
                  "\n"
                  "   \t\n"
                  "  # an indented comment\n"
                  "ScrewDiameter = 16.5 \r\n"
                  "\tBarrelC0=300\n"
                  "SolidTemp =   \" 25.0 \"  \n"
                  "ResultFileName = \" \"\n"
                  "FeedTurns = 12\n"
                  "FeedTurns = 11 # not a comment",
                  "hot.case", texts);
    EXPECT_EQ(TextOf(texts, "ScrewDiameter"), "16.5");
    EXPECT_EQ(TextOf(texts, "BarrelC0"), "300");
    EXPECT_EQ(TextOf(texts, "SolidTemp"), " 25.0 ");
    EXPECT_EQ(TextOf(texts, "ResultFileName"), " ");
    EXPECT_EQ(TextOf(texts, "FeedTurns"), "11 # not a comment");
    EXPECT_EQ(TextOf(texts, "ScrewPitch"), "15.0");
}

TEST(CaseFile, EmptyAndQuotedEmptyTexts) {
    FieldTexts texts = DefaultFieldTexts();
    ApplyCaseText("ScrewPitch =\nResultFileName = \"\"\nBarrelC1 = \"a = \"b\"", "c", texts);
    EXPECT_EQ(TextOf(texts, "ScrewPitch"), "");
    EXPECT_EQ(TextOf(texts, "ResultFileName"), "");
    EXPECT_EQ(TextOf(texts, "BarrelC1"), "a = \"b");
}

// A byte-order mark is ignored at the start of the file only.
TEST(CaseFile, AByteOrderMarkAtTheStartIsIgnored) {
    FieldTexts texts = DefaultFieldTexts();
    ApplyCaseText("\xEF\xBB\xBFScrewSpeed = 45\r\nOutputRate = 250\r\n", "bom.case", texts);
    EXPECT_EQ(TextOf(texts, "ScrewSpeed"), "45");
    EXPECT_EQ(TextOf(texts, "OutputRate"), "250");
    EXPECT_EQ(UsageErrorOf([&] { ApplyCaseText("ScrewSpeed = 45\n\xEF\xBB\xBFOutputRate = 250", "bom.case", texts); }),
              "bom.case:2: unknown input name \"\xEF\xBB\xBFOutputRate\"; did you mean OutputRate?");
}

TEST(CaseFile, ErrorsNameTheFileAndLine) {
    FieldTexts texts = DefaultFieldTexts();
    const auto errorOf = [&texts](const char* contents) {
        return UsageErrorOf([&] { ApplyCaseText(contents, "run.case", texts); });
    };
    EXPECT_EQ(errorOf("# ok\nScrewDiameter 15\n"), "run.case:2: expected NAME = TEXT");
    EXPECT_EQ(errorOf("\n\n = 15\n"), "run.case:3: expected NAME = TEXT");
    EXPECT_EQ(errorOf("screwdiameter = 15"),
              "run.case:1: unknown input name \"screwdiameter\"; did you mean ScrewDiameter?");
    EXPECT_EQ(errorOf("Edit1 = 15"), "run.case:1: unknown input name \"Edit1\"");
    EXPECT_EQ(errorOf("ScrewDiameter = 1\nResultFileName = \"out.txt"), "run.case:2: missing closing quote");
    EXPECT_EQ(errorOf("ResultFileName = \""), "run.case:1: missing closing quote");
}

TEST(Settings, TextIsTakenExactly) {
    FieldTexts texts = DefaultFieldTexts();
    ApplySetting("ScrewDiameter= 16 ", texts);
    ApplySetting("ResultFileName=a=b.txt", texts);
    ApplySetting("BarrelC2=", texts);
    EXPECT_EQ(TextOf(texts, "ScrewDiameter"), " 16 ");
    EXPECT_EQ(TextOf(texts, "ResultFileName"), "a=b.txt");
    EXPECT_EQ(TextOf(texts, "BarrelC2"), "");
    EXPECT_EQ(UsageErrorOf([&] { ApplySetting("ScrewDiameter", texts); }),
              "--set expects NAME=TEXT, not \"ScrewDiameter\"");
    EXPECT_EQ(UsageErrorOf([&] { ApplySetting("Diameter=15", texts); }),
              "--set: unknown input name \"Diameter\"");
}

TEST(Options, LaterSourcesWin) {
    RunOptions options;
    options.settings = {"ScrewSpeed=40", "ResultFileName=set.txt", "ScrewSpeed=45"};
    options.output = "out.txt";
    const FieldTexts texts = TextsFor(options, '.');
    EXPECT_EQ(texts[FieldIndexOf("ScrewSpeed")], "45");
    EXPECT_EQ(texts[FieldIndexOf("ResultFileName")], "out.txt");
    EXPECT_EQ(texts[FieldIndexOf("OutputRate")], "300.0");
}

TEST(Options, DefaultTextsFollowTheSeparator) {
    const FieldTexts texts = TextsFor(RunOptions{}, ',');
    EXPECT_EQ(texts[FieldIndexOf("ScrewDiameter")], "15,0");
    EXPECT_EQ(texts[FieldIndexOf("ViscA22")], "-0,00012377");
    EXPECT_EQ(texts[FieldIndexOf("ResultFileName")], "result.txt");
}

TEST(Options, MissingCaseFile) {
    RunOptions options;
    options.casePath = "/nonexistent/folder/run.case";
    EXPECT_EQ(UsageErrorOf([&] { TextsFor(options, '.'); }),
              "cannot read case file \"/nonexistent/folder/run.case\": No such file or directory");
}

TEST(Options, DecimalSeparator) {
    RunOptions options;
    options.separator = ",";
    EXPECT_EQ(ChooseSeparator(options), ',');
    options.separator = ".";
    EXPECT_EQ(ChooseSeparator(options), '.');
    for (const char* bad : {"", "..", "5", "-", "e", " ", "x", "#", "\n", "\xff"}) {
        options.separator = bad;
        EXPECT_NE(UsageErrorOf([&] { ChooseSeparator(options); }), "") << '"' << bad << '"';
    }
}

TEST(Summary, MeltingCompletedOrSolidLeft) {
    SimulationState state;
    state.ResultFileName = "r.txt";
    state.ResSolidFraction = {0, 0.5, 0.3, 0.0946};
    state.StepCount = 3;
    state.StepNo = 3;
    EXPECT_EQ(Summary(state), "r.txt: 3 rows recorded; X/W 0.095 left at the end of the screw");

    // The increment that completed melting spans the screw's second turn
    // after a delay of 5 turns: its middle is at FLIGHT 6.
    state.StepNo = 4;
    state.ScrewDiameter = 15;
    state.HelixAngle = 0;
    state.DelayTurns = 5;
    state.ChannelPosition = 0;
    state.StepLength = 2 * 3.1415926 * 15;
    EXPECT_EQ(Summary(state), "r.txt: 3 rows recorded; melting completed at FLIGHT 6.00");
}

}  // namespace
}  // namespace tadmor::cli
