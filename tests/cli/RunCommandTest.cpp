// The pieces of tadmor run: the options that give the inputs, the decimal
// separator and the summary line.
#include "cli/RunCommand.h"

#include <gtest/gtest.h>

#include "cli/InputOptions.h"
#include "model/InputFields.h"
#include "support/Errors.h"

namespace tadmor::cli {
namespace {

using tadmor::test::ErrorTextOf;

TEST(Options, LaterSourcesWin) {
    RunOptions options;
    options.settings = {"ScrewSpeed=40", "ResultFileName=set.txt", "ScrewSpeed=45"};
    options.output = "out.txt";
    const inputs::Case given = GivenCase(options);
    EXPECT_EQ(given.texts[FieldIndexOf("ScrewSpeed")], "45");
    EXPECT_EQ(given.texts[FieldIndexOf("ResultFileName")], "out.txt");
    EXPECT_EQ(given.texts[FieldIndexOf("OutputRate")], "300.0");
    RunOptions badSetting;
    badSetting.settings = {"ScrewDiameter"};
    EXPECT_EQ(ErrorTextOf([&] { GivenCase(badSetting); }), "--set expects NAME=TEXT, not \"ScrewDiameter\"");
    for (auto empty : {&RunOptions::materialPath, &RunOptions::casePath}) {
        RunOptions withEmpty;
        withEmpty.*empty = "";
        EXPECT_NE(ErrorTextOf([&] { GivenCase(withEmpty); }).find("needs a file name, not an empty text"),
                  std::string::npos);
    }
}

TEST(Options, DecimalSeparator) {
    RunOptions options;
    options.separator = ",";
    EXPECT_EQ(ChooseSeparator(options), ',');
    options.separator = ".";
    EXPECT_EQ(ChooseSeparator(options), '.');
    for (const char* bad : {"", "..", "5", "-", "e", " ", "x", "#", "\n", "\xff"}) {
        options.separator = bad;
        EXPECT_NE(ErrorTextOf([&] { ChooseSeparator(options); }), "") << '"' << bad << '"';
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

    // Inputs no screw has are said on the line itself; other warnings are not.
    for (const char* code : {"dimension-implausible", "geometry-implausible", "no-rows", "bed-wider-than-channel"})
        EXPECT_EQ(Summary(state, {{code, "", ""}}),
                  std::string("r.txt: 3 rows recorded; melting completed at FLIGHT 6.00") +
                      (code[0] == 'b' ? "" : "; the inputs describe no real screw (see the warnings)"))
            << code;
}

}  // namespace
}  // namespace tadmor::cli
