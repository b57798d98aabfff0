// What the processing-window map of a sweep over two inputs shows, before
// any drawing: its cells, the edge of complete melting and the colour scale.
#include "charts/MapChart.h"

#include "charts/Builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "extruder/Extruder.h"
#include "support/SweepResults.h"

namespace tadmor::charts {
namespace {

using analysis::SweepCase;
using analysis::SweepCases;
using analysis::VariedInput;

TEST(CellEdges, HalfwayBetweenNeighboursAndAsFarBeyondTheEnds) {
    // Centres 20, 30, 60: inner edges (20 + 30)/2 = 25 and (30 + 60)/2 = 45;
    // the first cell reaches (30 - 20)/2 = 5 below 20, the last (60 - 30)/2 = 15 above 60.
    EXPECT_EQ(CellEdges({20, 30, 60}), (std::vector<double>{15, 25, 45, 75}));
    EXPECT_EQ(CellEdges({-1, 0.5}), (std::vector<double>{-1.75, -0.25, 1.25}));
    EXPECT_EQ(CellEdges({5}), (std::vector<double>{4.5, 5.5}));
    EXPECT_EQ(CellEdges({}), std::vector<double>{});
}

// A grid of outcomes, row 0 at the bottom:
//     y 10..20:  Melted      EndOfScrew  Refused
//     y  0..10:  Melted      Melted      EndOfScrew
// over x edges 0, 1, 2, 3.
TEST(MeltingBoundary, TheCellSidesBetweenMeltedAndEndOfScrew) {
    using enum CellOutcome;
    const std::vector<MapCell> cells = {{Melted, {}}, {Melted, {}},     {EndOfScrew, {}},
                                        {Melted, {}}, {EndOfScrew, {}}, {Refused, {}}};
    // Vertical sides: x = 1 in the upper row (Melted | EndOfScrew), x = 2 in
    // the lower one (Melted | EndOfScrew); EndOfScrew | Refused is none.
    // Horizontal sides at y = 10: only over the middle column (Melted below,
    // EndOfScrew above); the right column's EndOfScrew below Refused is none.
    EXPECT_EQ(MeltingBoundary({0, 1, 2, 3}, {0, 10, 20}, cells),
              (std::vector<Segment>{{1, 10, 1, 20}, {2, 0, 2, 10}, {1, 10, 2, 10}}));

    const std::vector<MapCell> noEdge = {{Melted, {}}, {Failed, {}}, {NotRun, {}}, {EndOfScrew, {}}};
    EXPECT_TRUE(MeltingBoundary({0, 1, 2}, {0, 1, 2}, noEdge).empty());
}

// Lightness of a colour by the luma weights of two television standards
// (ITU-R BT.601 and BT.709), as a grey conversion or a grey printer would
// weigh it.
double Luma601(const Rgb& c) { return 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue; }
double Luma709(const Rgb& c) { return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue; }

TEST(ScaleColor, LightnessRisesFromDarkToLightWithoutBlackOrWhite) {
    constexpr int kSteps = 1000;
    for (int k = 1; k <= kSteps; ++k) {
        const Rgb before = ScaleColor(double(k - 1) / kSteps), color = ScaleColor(double(k) / kSteps);
        ASSERT_GT(Luma601(color), Luma601(before)) << k;
        ASSERT_GT(Luma709(color), Luma709(before)) << k;
        for (const double component : {color.red, color.green, color.blue}) {
            EXPECT_GE(component, 0);
            EXPECT_LE(component, 1);
        }
    }
    // The ends stay a tenth away from black and from white.
    EXPECT_GT(Luma601(ScaleColor(0)), 0.1);
    EXPECT_LT(Luma601(ScaleColor(1)), 0.9);
    EXPECT_GT(Luma601(ScaleColor(1)) - Luma601(ScaleColor(0)), 0.7);
    // Colours, not greys: halfway the components differ by more than a tenth.
    const Rgb middle = ScaleColor(0.5);
    const auto [least, most] = std::minmax({middle.red, middle.green, middle.blue});
    EXPECT_GT(most - least, 0.1);
    // Beyond the range, the ends.
    EXPECT_EQ(Luma601(ScaleColor(-3)), Luma601(ScaleColor(0)));
    EXPECT_EQ(Luma601(ScaleColor(7)), Luma601(ScaleColor(1)));
}

using test::CaseOf;
using test::Varied;

TEST(SweepMap, CellsInTheOrderOfTheValuesWhateverTheOrderGiven) {
    // ScrewSpeed 60, 20, 30 (sorted: 20, 30, 60) by OutputRate 300, 100.
    const std::vector<VariedInput> varied = {Varied("ScrewSpeed", {"60", "20", "30"}),
                                             Varied("OutputRate", {"300", "100"})};
    // The cases: (60, 300), (60, 100), (20, 300), (20, 100), (30, 300), (30, 100).
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    constexpr RequestOutcome kDone = RequestOutcome::Completed;
    const std::vector<RunSummary> results = {
        CaseOf(kDone, 15.0),
        CaseOf(kDone, 12.0),
        CaseOf(kDone),  // 60/300, 60/100, 20/300
        CaseOf(RequestOutcome::InvalidInput),
        CaseOf(kDone),
        CaseOf(RequestOutcome::CalculationError),
    };
    const std::optional<MapChart> map = SweepMap(varied, cases, results, "flight", "Sweep: s.csv");
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(map->xEdges, (std::vector<double>{15, 25, 45, 75}));
    EXPECT_EQ(map->yEdges, (std::vector<double>{0, 200, 400}));  // 100 +- 100, 300 +- 100
    EXPECT_EQ(map->x.min, 15);
    EXPECT_EQ(map->x.max, 75);
    EXPECT_EQ(map->y.min, 0);
    EXPECT_EQ(map->y.max, 400);
    // Few values: a tick at each, written as given.
    EXPECT_EQ(map->xTicks, (std::vector<Tick>{{20, "20"}, {30, "30"}, {60, "60"}}));
    EXPECT_EQ(map->yTicks, (std::vector<Tick>{{100, "100"}, {300, "300"}}));
    EXPECT_EQ(map->xLabel, "ScrewSpeed: Number of Revolution (rpm)");
    EXPECT_EQ(map->yLabel, "OutputRate: Output (kg/hr)");
    EXPECT_EQ(map->valueLabel, "FLIGHT where melting completed (turns)");
    EXPECT_EQ(map->subtitle, "FLIGHT where melting completed (turns) against ScrewSpeed and OutputRate");
    EXPECT_EQ(map->noValueName, "end of screw: melting not completed");

    // Row 0 (OutputRate 100): 20 refused, 30 failed, 60 melted at 12.
    // Row 1 (OutputRate 300): 20 end of screw, 30 end of screw, 60 melted at 15.
    using enum CellOutcome;
    ASSERT_EQ(map->cells.size(), 6u);
    const CellOutcome outcomes[] = {Refused, Failed, Melted, EndOfScrew, EndOfScrew, Melted};
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(map->cells[k].outcome, outcomes[k]) << k;
    EXPECT_EQ(map->cells[2].value, 12.0);
    EXPECT_EQ(map->cells[5].value, 15.0);
    EXPECT_FALSE(map->cells[3].value.has_value());
    // The colour bar covers 12 to 15 and no further (a FLIGHT beyond the
    // values might lie beyond the screw), with ticks in round steps.
    ASSERT_TRUE(map->values.has_value());
    EXPECT_EQ(map->values->min, 12);
    EXPECT_EQ(map->values->max, 15);
    EXPECT_EQ(map->values->step, 0.5);
    // The one edge of complete melting: between 30 and 60 in the upper row, x = 45.
    EXPECT_EQ(map->boundary, (std::vector<Segment>{{45, 200, 45, 400}}));
    EXPECT_EQ(map->note,
              "4 of 6 cases have no value (end of screw: 2, invalid input: 1, calculation error: 1); see "
              "the summary's outcome and message.");
}

TEST(SweepMap, OtherValuesAndCasesNotRun) {
    const std::vector<VariedInput> varied = {Varied("ScrewSpeed", {"20", "30"}), Varied("BarrelC0", {"280", "290"})};
    // Shard 0 of 2: cases 0 and 2, (20, 280) and (30, 280).
    const std::vector<SweepCase> cases = SweepCases(varied, {0, 2});
    const std::vector<RunSummary> results = {CaseOf(RequestOutcome::Completed),
                                             CaseOf(RequestOutcome::Completed, 20.0)};
    const std::optional<MapChart> map = SweepMap(varied, cases, results, "xw", "Sweep: s.csv");
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(map->yLabel, "BarrelC0: Barrel Temp. Para. (C0) (\u00B0C)");
    EXPECT_EQ(map->cells[0].value, 0.4);  // X/W at the end
    EXPECT_EQ(map->cells[1].value, 0.0);
    EXPECT_EQ(map->cells[2].outcome, CellOutcome::NotRun);
    EXPECT_EQ(map->cells[3].outcome, CellOutcome::NotRun);
    EXPECT_EQ(map->boundary, (std::vector<Segment>{{25, 275, 25, 285}}));
    EXPECT_EQ(map->note, "2 blank cells: not run here.");

    // Every case failed: no colour bar.
    const std::optional<MapChart> failed =
        SweepMap(varied, cases, {CaseOf(RequestOutcome::CalculationError), CaseOf(RequestOutcome::InvalidInput)},
                 "flight", "Sweep: s.csv");
    ASSERT_TRUE(failed.has_value());
    EXPECT_FALSE(failed->values.has_value());
    EXPECT_TRUE(failed->boundary.empty());
}

TEST(SweepMap, OnlyForTwoInputsOfSeveralValues) {
    const VariedInput speed = Varied("ScrewSpeed", {"20", "30"}), rate = Varied("OutputRate", {"100", "200"});
    const auto mapOf = [](const std::vector<VariedInput>& varied) {
        const std::vector<SweepCase> cases = SweepCases(varied, {});
        return SweepMap(varied, cases, std::vector<RunSummary>(cases.size(), CaseOf(RequestOutcome::Completed)),
                        "flight", "Sweep: s.csv");
    };
    EXPECT_TRUE(mapOf({speed, rate}).has_value());
    EXPECT_FALSE(mapOf({speed}).has_value());
    EXPECT_FALSE(mapOf({speed, rate, Varied("BarrelC0", {"280", "290"})}).has_value());
    EXPECT_FALSE(mapOf({speed, Varied("OutputRate", {"100"})}).has_value());
    // The same value twice, or as another text, is one value.
    EXPECT_FALSE(mapOf({speed, Varied("OutputRate", {"100", "100.0"})}).has_value());
}

TEST(SweepMap, TicksOnRoundValuesWhenThereAreManyValues) {
    // OutputRate 100, 105, ..., 200: 21 values, cells from 97.5 to 202.5.
    std::vector<std::string> rates;
    for (int rate = 100; rate <= 200; rate += 5) rates.push_back(std::to_string(rate));
    const std::vector<VariedInput> varied = {Varied("ScrewSpeed", {"20", "30"}), Varied("OutputRate", rates)};
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    const std::optional<MapChart> map = SweepMap(
        varied, cases, std::vector<RunSummary>(cases.size(), CaseOf(RequestOutcome::Completed)), "flight", "s");
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(map->y.min, 97.5);
    EXPECT_EQ(map->y.max, 202.5);
    // About 8 steps over 105: steps of 20, the multiples inside the span.
    EXPECT_EQ(map->yTicks,
              (std::vector<Tick>{{100, "100"}, {120, "120"}, {140, "140"}, {160, "160"}, {180, "180"}, {200, "200"}}));
}

// With OutputRate an axis, the drag flow at each screw speed is drawn across
// the map: the metering zone's capacity, at 38 rpm the default case's.
TEST(SweepMap, TheDragFlowLimitAcrossAThroughputAxis) {
    const std::vector<VariedInput> varied = {Varied("ScrewSpeed", {"30", "38"}), Varied("OutputRate", {"100", "200"})};
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    const std::vector<RunSummary> runs(cases.size(), CaseOf(RequestOutcome::Completed, 20.0));
    const inputs::Case base = inputs::DefaultCase();
    const std::optional<MapChart> map = SweepMap(varied, cases, runs, "flight", "m", &base);
    ASSERT_TRUE(map);
    ASSERT_EQ(map->limit.size(), 2u);
    const double atBase = extruder::OpenDischargeCapacity(inputs::Calculate(base).state, 0);
    EXPECT_EQ(map->limit[1], std::pair(38.0, atBase));
    EXPECT_NEAR(map->limit[0].second, atBase * 30 / 38, 1e-9 * atBase);  // drag flow goes with the speed
    // Without OutputRate among the axes, no limit.
    const std::vector<VariedInput> other = {varied[0], Varied("BarrelC0", {"280", "300"})};
    EXPECT_TRUE(SweepMap(other, SweepCases(other, {}), runs, "flight", "m", &base)->limit.empty());
}

}  // namespace
}  // namespace tadmor::charts
