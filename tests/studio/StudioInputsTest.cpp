// The studio's inputs without a display: units, the request and its
// problems, case files, the outcome in words and the charts' read-outs.
#include "app/studio/StudioInputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/studio/LiveResult.h"
#include "model/NumberText.h"

namespace tadmor::studio {
namespace {

TEST(ShiftDecimal, MovesThePointDigitForDigit) {
    const struct {
        const char* text;
        int places;
        const char* shifted;
    } cases[] = {{"14.3", -1, "1.43"},  {"0.4", 1, "4"},    {"15", 1, "150"},       {"150", -1, "15"},
                 {"0.05", -1, "0.005"}, {"-2.5", 1, "-25"}, {"007.50", -1, "0.75"}, {"1.5e3", -1, "1.5e2"},
                 {"+3", 1, "30"},       {"abc", 1, "abc"},  {"", -1, ""},           {".5", 1, "5"}};
    for (const auto& [text, places, shifted] : cases) {
        EXPECT_EQ(ShiftDecimal(text, places), shifted) << text << " by " << places;
        // The shifted text reads as the decimal number times 10^places, rounded once.
        if (const std::optional<double> exact = TextToNumber(std::string(text) + "e" + std::to_string(places), '.'))
            EXPECT_EQ(TextToNumber(ShiftDecimal(text, places), '.'), exact) << text;
    }
}

TEST(StudioTexts, MillimetresGiveTheCaseOfCentimetres) {
    StudioTexts texts = DefaultTexts();
    texts.texts["FeedDepth"] = "1.43";
    texts.die = DieKind::Capillary;
    const StudioTexts mm = WithUnit(texts, LengthUnit::Millimetre);
    EXPECT_EQ(mm.texts.at("ScrewDiameter"), "150");
    EXPECT_EQ(mm.texts.at("FeedDepth"), "14.3");
    EXPECT_EQ(mm.texts.at("ScrewSpeed"), "38.0");  // not a length
    EXPECT_EQ(mm.texts.at("DieD"), "5");
    EXPECT_EQ(WithUnit(mm, LengthUnit::Centimetre).texts.at("FeedDepth"), "1.43");
    const StudioRequest inCm = BuildRequest(texts), inMm = BuildRequest(mm);
    for (int field = 0; field < kNumericFieldCount; ++field)
        EXPECT_EQ(TextToNumber(inMm.inputs.texts[field], '.'), TextToNumber(inCm.inputs.texts[field], '.'))
            << kInputFields[field].variable;
    EXPECT_EQ(inMm.dieText, "capillary:D=5mm,L=100mm");
    ASSERT_TRUE(inMm.extruder && inCm.extruder);
    EXPECT_EQ(std::get<extruder::Capillary>(inMm.extruder->die).diameter, 0.5);
}

TEST(StudioTexts, EachProblemIsNamedAtItsEntry) {
    StudioTexts texts = DefaultTexts();
    texts.texts["ScrewDiameter"] = "15,5";
    texts.texts["ScrewSpeed"] = "0";
    EXPECT_EQ(BuildRequest(texts).problems,
              (std::map<std::string, std::string>{
                  {"ScrewDiameter", "not a number: the decimal separator is \".\": write 15.5"},
                  {"ScrewSpeed", "must be greater than 0"}}));
    texts = DefaultTexts();
    texts.die = DieKind::Slit;
    texts.texts["DieH"] = "thin";
    texts.texts["FlightClearance"] = "-1";
    const StudioRequest slit = BuildRequest(texts);
    EXPECT_EQ(slit.problems.size(), 2u);
    EXPECT_TRUE(slit.problems.count("DieH") && slit.problems.count("FlightClearance"));
    EXPECT_FALSE(slit.extruder);
    texts = DefaultTexts();
    texts.die = DieKind::Table;
    texts.texts["DieTable"] = "/no/such/die.csv";
    const StudioRequest table = BuildRequest(texts);
    ASSERT_TRUE(table.problems.count("Die"));
    EXPECT_NE(table.problems.at("Die").find("No such file"), std::string::npos) << table.problems.at("Die");
}

TEST(StudioTexts, ACaseFileRunsInTheCommandAndReadsBackWithItsDie) {
    StudioTexts texts = WithUnit(DefaultTexts(), LengthUnit::Millimetre);
    texts.texts["ScrewSpeed"] = "45.5";
    texts.texts["FeedDepth"] = "12.5";
    texts.die = DieKind::Annulus;
    texts.texts["FlightClearance"] = "0.2";
    const std::string file = CaseFileText(texts);
    EXPECT_NE(file.find("\nFeedDepth = 1.25\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\n# studio die = annulus:Do=20mm,Di=16mm,L=100mm\n"), std::string::npos) << file;
    // The command's reader takes it as it is.
    inputs::Case command = inputs::DefaultCase();
    inputs::ApplyCaseText(command, file, "s.case");
    EXPECT_EQ(command.texts, BuildRequest(texts).inputs.texts);
    // The studio reads back the texts, the die and the extruder's entries.
    const StudioTexts back = ApplyCaseFileText(WithUnit(DefaultTexts(), LengthUnit::Millimetre), file, "s.case");
    EXPECT_EQ(back.die, DieKind::Annulus);
    for (const char* key : {"ScrewSpeed", "FeedDepth", "DieDo", "DieDi", "DieL", "FlightClearance"})
        EXPECT_EQ(TextToNumber(back.texts.at(key), '.'), TextToNumber(texts.texts.at(key), '.')) << key;
    EXPECT_EQ(BuildRequest(back).dieText, BuildRequest(texts).dieText);
}

// The outcome as the engineer reads it, against the run's own summary.
TEST(OutcomeWords, MeltedSolidLeftRefusedAndWithADie) {
    StudioTexts texts = DefaultTexts();
    const LiveResult solid = ComputeLive(BuildRequest(texts), 1);
    const RunSummary& s = solid.summary;
    EXPECT_EQ(solid.outcome, SignificantNumber(100 * *s.solidFractionAtEnd, 2) + " % of the bed and " +
                                 SignificantNumber(100 * *s.solidFlowRatioAtEnd, 2) +
                                 " % of the throughput still solid at the end of the screw (FLIGHT 24.7); "
                                 "POWER TOT 44.52 kW; 1 warning");
    EXPECT_EQ(solid.outcome.substr(0, 41), "9.4 % of the bed and 2.7 % of the through");

    // At 4 rpm the command's last row has X/W 2.116 and QS/QT 0.604.
    texts.texts["ScrewSpeed"] = "4";
    EXPECT_EQ(
        ComputeLive(BuildRequest(texts), 1)
            .outcome.rfind(
                "a bed wider than the channel (X/W 2.12) and 60 % of the throughput still solid at the end of the "
                "screw (FLIGHT 24.7); POWER TOT ",
                0),
        0u);
    texts.texts["ScrewSpeed"] = "38.0";

    texts.texts["OutputRate"] = "200";
    const LiveResult melted = ComputeLive(BuildRequest(texts), 2);
    ASSERT_TRUE(melted.summary.meltingIncrementFlight);
    EXPECT_EQ(melted.outcome.rfind(
                  "Melted at FLIGHT " + NumberText(*melted.summary.meltingIncrementFlight, 1) + " of 24.7", 0),
              0u)
        << melted.outcome;

    texts.texts["DelayTurns"] = "0";
    EXPECT_EQ(ComputeLive(BuildRequest(texts), 3).outcome.rfind("Not calculated: ", 0), 0u);

    texts = DefaultTexts();
    texts.die = DieKind::Capillary;
    texts.texts["OutputRate"] = "188.2";
    const LiveResult die = ComputeLive(BuildRequest(texts), 4);
    ASSERT_TRUE(die.extruder) << die.extruderError;
    EXPECT_NE(die.outcome.find("; at the tip " + NumberText(die.extruder->tipPressure, 2) + " MPa"), std::string::npos)
        << die.outcome;
    ASSERT_TRUE(die.pressure);
}

TEST(WarningSpans, EverySpanOfAWarningIsABandNamedByItsCode) {
    const std::vector<charts::Band> bands =
        WarningSpans({{"bed-wider-than-channel", "m", "FLIGHT 10.65 to 24.70, 26.10"},
                      {"throughput-above-drag-flow", "m", "input OutputRate"}},
                     0.05);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_DOUBLE_EQ(bands[0].from, 10.6);
    EXPECT_DOUBLE_EQ(bands[0].to, 24.75);
    EXPECT_DOUBLE_EQ(bands[1].from, 26.05);
    EXPECT_DOUBLE_EQ(bands[1].to, 26.15);
    EXPECT_EQ(bands[1].name, "bed-wider-than-channel");
}

TEST(Readout, ValuesOfTheNamedCurvesAtX) {
    charts::Chart chart;
    chart.xLabel = "FLIGHT (turns)";
    chart.panels.push_back({"y",
                            {{"X/W", {5, 6, 7}, {1, 0.8, 0.5}}, {"", {5, 7}, {0, 0}}, {"QS/QT", {6, 7}, {0.5, 0.3}}},
                            std::nullopt,
                            {}});
    EXPECT_EQ(Readout(chart, 0, 6.5), "FLIGHT 6.50: X/W 0.65, QS/QT 0.4");
    EXPECT_EQ(Readout(chart, 0, 5.5), "FLIGHT 5.50: X/W 0.9");
    EXPECT_EQ(Readout(chart, 0, 8), "");
    EXPECT_EQ(Readout(chart, 1, 6), "");
    // A pinned case's curves, faint and unnamed, keep their colours and add no read-out.
    const charts::Chart both = WithFaintCurves(chart, chart);
    ASSERT_EQ(both.panels[0].curves.size(), 6u);
    EXPECT_TRUE(both.panels[0].curves[3].faint);
    EXPECT_EQ(both.panels[0].curves[5].color, 2);
    EXPECT_EQ(Readout(both, 0, 6.5), Readout(chart, 0, 6.5));
}

}  // namespace
}  // namespace tadmor::studio
