// The warnings of a run: each code on a case that provokes it and a near case
// that does not. Where they apply comes from the reference rows, from the
// barrel law evaluated here, or from rows built by hand.
#include "app/request/Warnings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "model/NumberText.h"
#include "support/ReferenceCases.h"

namespace tadmor {
namespace {

using test::Settings;

Calculation CalculateWith(const Settings& settings, char separator = '.') {
    FieldTexts texts = DefaultFieldTexts(separator);
    for (const auto& [name, text] : settings) texts[FieldIndexOf(name)] = text;
    return Calculate(texts, separator);
}

// The warnings of the default case with `settings`, which must complete.
std::vector<Warning> WarningsWith(const Settings& settings) {
    const Calculation calculation = CalculateWith(settings);
    EXPECT_EQ(calculation.outcome, RequestOutcome::Completed) << calculation.message;
    return RunWarnings(calculation.state);
}

// The first warning with `code`, copied: the list may be a temporary.
std::optional<Warning> Find(const std::vector<Warning>& warnings, const std::string& code) {
    for (const Warning& warning : warnings)
        if (warning.code == code) return warning;
    return std::nullopt;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ---- The reference cases: their inputs and their rows ----------------------

std::string ReferencePath(const std::string& name) { return std::string(TADMOR_REFERENCE_DIR) + "/" + name; }

Settings CaseSettings(const std::string& name) { return test::ReadCaseSettings(ReferencePath(name + ".case")); }

// Rows of NAME.csv: FLIGHT, DEPTH, X/W, QS/QT, TB, T121, ...
std::vector<std::vector<double>> ReferenceRows(const std::string& name) {
    std::vector<std::vector<double>> rows;
    std::ifstream file(ReferencePath(name + ".csv"));
    std::string line;
    std::getline(file, line);  // headings
    while (std::getline(file, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
        rows.push_back(row);
    }
    return rows;
}

enum Column { kFlight = 0, kSolidFraction = 2, kSolidFlowRatio = 3, kBarrelTemp = 4, kMidTemp = 5 };

// "FLIGHT 5.10 to 7.30, 9.10" of the rows where `holds`, or "" where none.
std::string Spans(const std::vector<std::vector<double>>& rows, const std::function<bool(std::size_t)>& holds) {
    std::string spans;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!holds(i)) continue;
        const std::size_t first = i;
        while (i + 1 < rows.size() && holds(i + 1)) ++i;
        spans += (spans.empty() ? "FLIGHT " : ", ") + NumberText(rows[first][kFlight], 2);
        if (i > first) spans += " to " + NumberText(rows[i][kFlight], 2);
    }
    return spans;
}

std::string WhereOf(const std::vector<Warning>& warnings, const std::string& code) {
    const std::optional<Warning> warning = Find(warnings, code);
    return warning ? warning->where : "";
}

// Every completed reference case (with "." as its separator): the warnings of
// its rows where its reference rows put them; none where they put none.
TEST(Warnings, OfTheRowsWhereTheReferenceRowsPutThem) {
    std::ifstream index(ReferencePath("index.tsv"));
    std::string line;
    std::getline(index, line);
    int cases = 0, bedCases = 0, hotCases = 0, negativeCases = 0;
    while (std::getline(index, line)) {
        std::istringstream fields(line);
        std::string name, separator, outcome, rowCount;
        std::getline(fields, name, '\t');
        std::getline(fields, separator, '\t');
        std::getline(fields, outcome, '\t');
        std::getline(fields, rowCount, '\t');
        if (outcome != "completed" || separator != "." || rowCount == "0") continue;
        SCOPED_TRACE(name);
        ++cases;
        const auto rows = ReferenceRows(name);
        const Settings settings = name == "default" ? Settings{} : CaseSettings(name);
        const std::vector<Warning> warnings = WarningsWith(settings);
        const auto at = [&](std::size_t i, Column c) { return rows[i][c]; };

        const std::string bed = Spans(rows, [&](std::size_t i) { return at(i, kSolidFraction) > 1; });
        EXPECT_EQ(WhereOf(warnings, "bed-wider-than-channel"), bed);
        const std::string hot = Spans(rows, [&](std::size_t i) { return at(i, kMidTemp) > at(i, kBarrelTemp); });
        EXPECT_EQ(WhereOf(warnings, "film-hotter-than-barrel"), hot);
        const std::size_t last = rows.size() - 1;
        const std::string negative =
            Spans(rows, [&](std::size_t i) { return i == last && at(i, kSolidFlowRatio) < -0.01; });
        EXPECT_EQ(WhereOf(warnings, "negative-solid-flow"), negative);
        // The reference barrels lie between 265 degC (the melting point) and 450 degC.
        EXPECT_FALSE(Find(warnings, "barrel-not-above-melting-point"));
        EXPECT_FALSE(Find(warnings, "barrel-temperature-implausible"));
        bedCases += !bed.empty();
        hotCases += !hot.empty();
        negativeCases += !negative.empty();
    }
    EXPECT_EQ(cases, 18);
    // Both sides of each test: cases with the warning and cases without.
    EXPECT_GT(bedCases, 0);
    EXPECT_LT(bedCases, cases);
    EXPECT_EQ(hotCases, 1);  // barrel-rising: its film is hotter at the start
    // The reference cases end at most a few thousandths below 0: the rounding of the last step, not warned of.
    EXPECT_EQ(negativeCases, 0);
}

TEST(Warnings, TheSolidBedWiderThanTheChannelHasItsPeak) {
    const auto rows = ReferenceRows("default");
    std::size_t peak = 0;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i][kSolidFraction] > rows[peak][kSolidFraction]) peak = i;
    const std::optional<Warning> bed = Find(WarningsWith({}), "bed-wider-than-channel");
    ASSERT_TRUE(bed.has_value());
    EXPECT_EQ(bed->where, "FLIGHT 14.05 to 17.50");  // as in the reference rows
    EXPECT_TRUE(Contains(bed->message, "X/W up to " + NumberText(rows[peak][kSolidFraction], 3) + " at FLIGHT " +
                                           NumberText(rows[peak][kFlight], 2) + "):"))
        << bed->message;
    EXPECT_TRUE(Contains(bed->message, "plug")) << bed->message;
    // The default case ends inside the channel; at 5000 kg/hr the bed is still wider there.
    EXPECT_FALSE(Contains(bed->message, "at the end"));
    const std::optional<Warning> choked = Find(WarningsWith({{"OutputRate", "5000"}}), "bed-wider-than-channel");
    ASSERT_TRUE(choked.has_value());
    EXPECT_TRUE(Contains(choked->message, " at the end)")) << choked->message;
    EXPECT_TRUE(choked->where.ends_with(" to 24.70")) << choked->where;
}

TEST(Warnings, QsQtBelowZeroAtTheEndOnlyBeyondTheStepsRounding) {
    // 60 rpm (the reference case fast-screw): the last increment melts a
    // little more than is left, QS/QT -0.00019, the rounding of its step.
    const auto rows = ReferenceRows("fast-screw");
    EXPECT_LT(rows.back()[kSolidFlowRatio], 0);
    EXPECT_FALSE(Find(WarningsWith({{"ScrewSpeed", "60"}}), "negative-solid-flow"));
}

// ---- Warnings of the inputs ---------------------------------------------------

TEST(Warnings, MeltingThatStartsBeyondTheScrew) {
    // The default screw has 10 + 6 + 8.7 = 24.7 turns. Starting at 30 turns,
    // the one increment is a fifth of a turn long: its middle is at 30.10.
    const std::optional<Warning> beyond = Find(WarningsWith({{"DelayTurns", "30"}}), "melting-beyond-screw");
    ASSERT_TRUE(beyond.has_value());
    EXPECT_EQ(beyond->where, "FLIGHT 30.10");
    EXPECT_TRUE(Contains(beyond->message, "DelayTurns 30.00, at or beyond the end of the 24.70-turn screw"))
        << beyond->message;
    EXPECT_FALSE(Find(WarningsWith({{"DelayTurns", "24.6"}}), "melting-beyond-screw"));
    // A run without rows names the input.
    SimulationState s;
    s.FeedTurns = 10;
    s.DelayTurns = 10;
    s.MeltingPoint = 265;
    const std::vector<Warning> none = RunWarnings(s);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(WarningLine(none[0]), none[0].message + " (input DelayTurns) [melting-beyond-screw]");
}

TEST(Warnings, SolidEnteringAtOrAboveTheMeltingPoint) {
    for (const char* temperature : {"300", "265"}) {  // the default melting point is 265 degC
        SCOPED_TRACE(temperature);
        const std::optional<Warning> solid =
            Find(WarningsWith({{"SolidTemp", temperature}}), "solid-above-melting-point");
        ASSERT_TRUE(solid.has_value());
        EXPECT_EQ(solid->where, "input SolidTemp");
    }
    EXPECT_FALSE(Find(WarningsWith({{"SolidTemp", "264.9"}}), "solid-above-melting-point"));
}

TEST(Warnings, DimensionsFarOutsideExtruderPractice) {
    // Millimetres typed for centimetres: one warning for each dimension.
    const std::vector<Warning> mm = WarningsWith({{"ScrewDiameter", "150"}, {"ScrewPitch", "150"}});
    ASSERT_EQ(mm.size(), 2u);
    EXPECT_EQ(mm[0].code, "dimension-implausible");
    EXPECT_EQ(mm[0].where, "input ScrewDiameter");
    EXPECT_TRUE(Contains(mm[0].message, "millimetres typed for centimetres")) << mm[0].message;
    EXPECT_EQ(mm[1].where, "input ScrewPitch");
    // 100 cm itself is allowed.
    EXPECT_FALSE(Find(WarningsWith({{"ScrewDiameter", "100"}, {"ScrewPitch", "100"}}), "dimension-implausible"));
}

// ---- The barrel along the screw -------------------------------------------------

// The barrel law TB = C0 (1 - C1 exp(C2 z)) at the rows' FLIGHTs: z is the
// axial distance from the start of melting, (FLIGHT - DelayTurns) pitches.
std::string BarrelSpans(const Calculation& calculation, double c0, double c1, double c2,
                        const std::function<bool(double)>& holds) {
    const SimulationState& s = calculation.state;
    std::vector<std::vector<double>> rows;
    for (int row = 1; row <= s.StepCount; ++row) {
        const double flight = s.ResFlight[row];
        const double tb = c0 * (1 - c1 * std::exp(c2 * s.ScrewPitch * (flight - s.DelayTurns)));
        rows.push_back({flight, 0, 0, 0, tb});
    }
    return Spans(rows, [&](std::size_t i) { return holds(rows[i][kBarrelTemp]); });
}

TEST(Warnings, ABarrelThatFallsBelowTheMeltingPoint) {
    // 260 (1 + 0.2 exp(-0.01 z)) reaches 265 degC at z = 234 cm, FLIGHT 20.6.
    const Calculation falling = CalculateWith({{"BarrelC0", "260"}, {"BarrelC1", "-0.2"}, {"BarrelC2", "-0.01"}});
    ASSERT_EQ(falling.outcome, RequestOutcome::Completed) << falling.message;
    const std::vector<Warning> warnings = RunWarnings(falling.state);
    const std::string spans = BarrelSpans(falling, 260, -0.2, -0.01, [](double tb) { return tb <= 265; });
    EXPECT_EQ(spans.substr(0, 13), "FLIGHT 20.70 ");
    EXPECT_EQ(WhereOf(warnings, "barrel-not-above-melting-point"), spans);
    EXPECT_FALSE(Find(warnings, "barrel-temperature-implausible"));
    // 0.1 degC above the melting point at the end of the screw: no warning.
    EXPECT_FALSE(Find(WarningsWith({{"BarrelC0", "265.1"}}), "barrel-not-above-melting-point"));
}

TEST(Warnings, ABarrelOutsideThePlausibleRange) {
    // C1 = -1 with C2 = 0: TB = 290 (1 + 1) = 580 degC all along.
    const Calculation hot = CalculateWith({{"BarrelC1", "-1"}});
    ASSERT_EQ(hot.outcome, RequestOutcome::Completed) << hot.message;
    const std::optional<Warning> implausible = Find(RunWarnings(hot.state), "barrel-temperature-implausible");
    ASSERT_TRUE(implausible.has_value());
    EXPECT_TRUE(Contains(implausible->message, "the barrel temperature (580.0 degC) leaves")) << implausible->message;
    EXPECT_EQ(implausible->where, BarrelSpans(hot, 290, -1, 0, [](double tb) { return tb > 450; }));
    EXPECT_EQ(implausible->where, "FLIGHT 5.10 to 24.70");
    // 450 degC itself is plausible: C0 = 225 with C1 = -1.
    EXPECT_FALSE(Find(WarningsWith({{"BarrelC0", "225"}, {"BarrelC1", "-1"}}), "barrel-temperature-implausible"));
}

// ---- The viscosity law and the film ---------------------------------------------

TEST(Warnings, APowerLawIndexAtOrBelowZero) {
    // With a12 = 0 the local index is n = 1 + a1 + 2 a11 ln(rate)
    // = 0.197 - 0.110 ln(rate): at or below 0 above 6 1/s, so in every row.
    const Calculation thickening = CalculateWith({{"ViscA12", "0"}});
    ASSERT_EQ(thickening.outcome, RequestOutcome::Completed) << thickening.message;
    const SimulationState& s = thickening.state;
    const std::optional<Warning> index = Find(RunWarnings(s), "power-law-index-outside");
    ASSERT_TRUE(index.has_value());
    EXPECT_EQ(index->where,
              "FLIGHT " + NumberText(s.ResFlight[1], 2) + " to " + NumberText(s.ResFlight[s.StepCount], 2));
    // The default law: n = 1.544 - 0.110 ln(rate) at 285 degC, below 1 above
    // 140 1/s; the film is sheared at more than 1000 1/s.
    const std::vector<Warning> defaults = WarningsWith({});
    EXPECT_FALSE(Find(defaults, "power-law-index-outside"));
    EXPECT_FALSE(Find(defaults, "temperature-sensitivity-not-positive"));
}

// Rows at FLIGHT 5.1, 5.2, 5.3 on the ground of the model: barrel 290,
// melting point 265, bed inside the channel, film cooler than the barrel,
// n below 1, viscosity falling as the melt is heated.
SimulationState ThreeRows() {
    SimulationState s;
    s.ScrewDiameter = 6.35;
    s.ScrewPitch = 6.35;
    s.FeedTurns = 10;
    s.MeltingPoint = 265;
    s.SolidTemp = 25;
    s.StepCount = 3;
    s.ResFlight = {0, 5.1, 5.2, 5.3};
    s.ResSolidFraction = {0, 0.9, 0.8, 0.7};
    s.ResSolidFlowRatio = {0, 0.9, 0.8, 0.7};
    s.ResBarrelTemp = {0, 290, 290, 290};
    s.ResSolvedMidTemp = {0, 280, 280, 280};
    s.RowPowerLawIndex = {0, 0.5, 0.5, 0.5};
    s.RowTempSensitivity = {0, -0.03, -0.03, -0.03};
    return s;
}

TEST(Warnings, NoneOnTheModelsGround) { EXPECT_TRUE(RunWarnings(ThreeRows()).empty()); }

TEST(Warnings, TheLocalLawAtItsLimits) {
    SimulationState s = ThreeRows();
    s.RowPowerLawIndex = {0, 1, 1.0001, 0};        // 1 (Newtonian) is sensible, above 1 and 0 are not
    s.RowTempSensitivity = {0, -0.0001, 0, 0.01};  // d ln(eta)/dT at or above 0: not thinning when heated
    const std::vector<Warning> warnings = RunWarnings(s);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].code, "power-law-index-outside");
    EXPECT_EQ(warnings[0].where, "FLIGHT 5.20 to 5.30");
    EXPECT_TRUE(Contains(warnings[0].message, "(0.000 to 1.000)")) << warnings[0].message;
    EXPECT_EQ(warnings[1].code, "temperature-sensitivity-not-positive");
    EXPECT_EQ(warnings[1].where, "FLIGHT 5.20 to 5.30");
    EXPECT_TRUE(Contains(warnings[1].message, "down to -0.01000 1/degC")) << warnings[1].message;
}

TEST(Warnings, OfHandBuiltRowsInOrderWithTheirLines) {
    SimulationState s = ThreeRows();
    s.ResSolidFraction = {0, 1.2, 1.0, 1.4};  // 1.0 itself is inside the channel
    s.ResBarrelTemp = {0, 265, 290, 500};
    s.ResSolvedMidTemp = {0, 270, 290, 280};  // equal to the barrel is not above it
    s.ResSolidFlowRatio = {0, 0.5, 0.1, -0.0102};
    const std::vector<Warning> warnings = RunWarnings(s);
    ASSERT_EQ(warnings.size(), 5u);
    EXPECT_EQ(
        WarningLine(warnings[0]),
        "the solid bed is wider than the channel (X/W up to 1.400 at FLIGHT 5.30, 1.400 at the end): the model "
        "then lets the bed spread beyond the channel, where a real screw would plug or the bed break up at FLIGHT "
        "5.10, 5.30 [bed-wider-than-channel]");
    EXPECT_EQ(warnings[1].code, "barrel-not-above-melting-point");
    EXPECT_EQ(warnings[1].where, "FLIGHT 5.10");
    EXPECT_EQ(warnings[2].code, "barrel-temperature-implausible");
    EXPECT_EQ(warnings[2].where, "FLIGHT 5.30");
    EXPECT_EQ(warnings[3].code, "film-hotter-than-barrel");
    EXPECT_EQ(warnings[3].where, "FLIGHT 5.10");
    EXPECT_TRUE(Contains(warnings[3].message, "by up to 5.0 degC at FLIGHT 5.10")) << warnings[3].message;
    EXPECT_EQ(warnings[4].code, "negative-solid-flow");
    EXPECT_EQ(warnings[4].where, "FLIGHT 5.30");
    EXPECT_EQ(WarningCodes(warnings),
              "bed-wider-than-channel barrel-not-above-melting-point "
              "barrel-temperature-implausible film-hotter-than-barrel negative-solid-flow");
}

TEST(Warnings, CodesOnceEach) {
    const std::vector<Warning> twice = {
        {"dimension-implausible", "a", ""}, {"dimension-implausible", "b", ""}, {"bed-wider-than-channel", "c", ""}};
    EXPECT_EQ(WarningCodes(twice), "dimension-implausible bed-wider-than-channel");
    EXPECT_EQ(WarningCodes({}), "");
}

}  // namespace
}  // namespace tadmor
