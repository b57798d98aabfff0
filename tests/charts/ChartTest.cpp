// What the plots show, before any drawing.
#include "charts/Chart.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "charts/Builders.h"
#include "extruder/Extruder.h"
#include "model/InputFields.h"
#include "support/DefaultInputs.h"
#include "support/SweepResults.h"

namespace tadmor::charts {
namespace {

using analysis::SweepCase;
using analysis::SweepCases;
using analysis::VariedInput;

// Whether `action` throws an Error of kind Plot.
template <typename Action>
bool RefusedToDraw(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Kind() == ErrorKind::Plot;
    }
    return false;
}

TEST(NiceAxis, RoundStepsCoveringTheRange) {
    const auto expect = [](Axis axis, double min, double max, double step) {
        EXPECT_DOUBLE_EQ(axis.min, min);
        EXPECT_DOUBLE_EQ(axis.max, max);
        EXPECT_DOUBLE_EQ(axis.step, step);
    };
    expect(NiceAxis(0, 24.7, 14), 0, 26, 2);
    expect(NiceAxis(263.75, 291.25, 6), 260, 295, 5);
    expect(NiceAxis(0, 1, 6), 0, 1, 0.2);
    expect(NiceAxis(-0.03, 0.012, 5), -0.03, 0.02, 0.01);
    expect(NiceAxis(5, 5, 4), 4.5, 5.5, 0.5);  // one value: a tenth of it either side
}

// Axes of any finite values: a bounded number of distinct ticks, each
// labelled with a text that reads back within half a step. Values that
// agree to a billionth are drawn as one value.
TEST(NiceAxis, AnyFiniteValues) {
    const double oneAfter = std::nextafter(1.0, 2.0);
    const std::pair<double, double> ranges[] = {
        {5, 5},
        {0, 0},
        {-0.0, 0.0},
        {1, oneAfter},
        {-oneAfter, -1},
        {1e300, 1e300},
        {1e300, 2e300},
        {-1e300, 1e300},
        {1e17, 1e17 + 16},
        {1e17, 1.0000001e17},
        {1e-300, 2e-300},
        {0, 5e-324},
        {5e-324, 5e-324},
        {-1e308, -1e308},
        {0, 1e308},
        {290, 290.000001},
        {-DBL_MAX / 4, DBL_MAX / 4},
    };
    for (const auto& [low, high] : ranges) {
        for (const int intervals : {6, 14}) {
            SCOPED_TRACE(testing::Message() << low << " .. " << high << " in " << intervals);
            const Axis axis = NiceAxis(low, high, intervals);
            SCOPED_TRACE(testing::Message() << low << " .. " << high << " step " << axis.step);
            // A bound within a billionth of a step of a tick is on it.
            EXPECT_LE(axis.min, low + 1e-9 * axis.step);
            EXPECT_GE(axis.max, high - 1e-9 * axis.step);
            ASSERT_GT(axis.step, 0);
            // The ticks are counted from min/step: beyond 2^53 the count would stand still.
            EXPECT_LT(std::fabs(axis.min / axis.step), 0x1p53);
            EXPECT_LE((axis.max - axis.min) / axis.step, 2.0 * intervals);
            const std::vector<double> ticks = Ticks(axis);
            ASSERT_GE(ticks.size(), 2u);
            for (std::size_t i = 0; i < ticks.size(); ++i) {
                const std::string text = TickText(ticks[i], axis);
                EXPECT_LE(std::fabs(std::strtod(text.c_str(), nullptr) - ticks[i]), 0.5 * axis.step) << text;
                if (i == 0) continue;
                EXPECT_NE(text, TickText(ticks[i - 1], axis));
                EXPECT_GT(ticks[i], ticks[i - 1]);
            }
        }
    }
    const Axis one = NiceAxis(1e17, 1e17 + 16, 14);  // drawn as one value, a tenth either side
    EXPECT_EQ(TickText(Ticks(one).front(), one), "9e+16");
    EXPECT_EQ(TickText(Ticks(one).back(), one), "1.1e+17");
}

TEST(NiceAxis, RefusesWhatReachesBeyondTheLargestDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [low, high] : {std::pair(-DBL_MAX / 2, DBL_MAX / 2), std::pair(DBL_MAX, DBL_MAX),
                                    std::pair(0.0, inf), std::pair(std::nan(""), 1.0)})
        EXPECT_TRUE(RefusedToDraw([&] { NiceAxis(low, high, 6); })) << low << " .. " << high;
}

TEST(Ticks, NoneForAnAxisThatCannotBeCounted) {
    EXPECT_EQ(Ticks({1e17, 1e17 + 16, 2}).size(), 0u);  // 5e16 is beyond 2^53
    EXPECT_EQ(Ticks({0, 1e6, 1}).size(), 0u);
    EXPECT_EQ(Ticks({0, 1, 0.25}), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
}

// A state with the default inputs and three rows, FLIGHT 5.1 .. 5.5.
SimulationState ThreeRows() {
    SimulationState state = test::DefaultInputs();
    state.StepCount = 3;
    for (std::vector<double>* column : {&state.ResFlight, &state.ResSolidFraction, &state.ResSolidFlowRatio,
                                        &state.ResBarrelTemp, &state.ResSolvedMidTemp, &state.ResFilmAvgTemp})
        *column = {0, 0.9, 0.8, 0.7};
    state.ResFlight = {0, 5.1, 5.3, 5.5};
    return state;
}

TEST(MeltingProfileChart, ZonesOfTheScrewAndWhereMeltingStarts) {
    const Chart chart = MeltingProfileChart(ThreeRows(), std::nullopt);
    EXPECT_EQ(chart.title, "Melting profile: result.txt");
    ASSERT_EQ(chart.bands.size(), 3u);
    EXPECT_EQ(chart.bands[0].name, "feed");
    EXPECT_DOUBLE_EQ(chart.bands[0].to, 10);
    EXPECT_DOUBLE_EQ(chart.bands[1].to, 16);
    EXPECT_DOUBLE_EQ(chart.bands[2].to, 24.7);
    // The axis runs to the end of the screw, 10 + 6 + 8.7 turns, marked there.
    EXPECT_EQ(chart.xRange, std::pair(0.0, 24.7));
    ASSERT_EQ(chart.marks.size(), 2u);
    EXPECT_DOUBLE_EQ(chart.marks[0].at, 5);
    EXPECT_DOUBLE_EQ(chart.marks[1].at, 24.7);
    EXPECT_EQ(chart.marks[1].label, "end of screw");

    ASSERT_EQ(chart.panels.size(), 2u);
    const Panel& fractions = chart.panels[0];
    ASSERT_EQ(fractions.curves.size(), 2u);
    EXPECT_EQ(fractions.curves[0].x, (std::vector<double>{5.1, 5.3, 5.5}));
    EXPECT_EQ(fractions.curves[1].y, (std::vector<double>{0.9, 0.8, 0.7}));
    EXPECT_TRUE(fractions.levels.empty());  // no X/W above 1, nothing shaded
    EXPECT_TRUE(fractions.shades.empty());
    const Panel& temperatures = chart.panels[1];
    EXPECT_EQ(temperatures.curves.size(), 3u);
    ASSERT_EQ(temperatures.levels.size(), 1u);
    EXPECT_DOUBLE_EQ(temperatures.levels[0].at, 265);
    EXPECT_NE(chart.subtitle.find("last row: FLIGHT 5.50, X/W 0.700"), std::string::npos) << chart.subtitle;
}

TEST(MeltingProfileChart, WhereMeltingCompletedAndASolidBedWiderThanTheChannel) {
    SimulationState state = ThreeRows();
    state.ResSolidFraction[2] = 1.2;
    const Chart chart = MeltingProfileChart(state, 5.7);
    ASSERT_EQ(chart.marks.size(), 3u);
    EXPECT_DOUBLE_EQ(chart.marks[1].at, 5.7);
    EXPECT_EQ(chart.marks[1].label, "melted");
    EXPECT_EQ(chart.marks[2].label, "end of screw");
    EXPECT_NE(chart.subtitle.find("melting completed at FLIGHT 5.70"), std::string::npos) << chart.subtitle;
    ASSERT_EQ(chart.panels[0].levels.size(), 1u);
    EXPECT_DOUBLE_EQ(chart.panels[0].levels[0].at, 1);
    // X/W 0.9, 1.2, 0.7 at FLIGHT 5.1, 5.3, 5.5 crosses 1 going up at
    // 5.1 + 0.2 * 0.1/0.3 = 5.1667 and going down at 5.3 + 0.2 * 0.2/0.5 = 5.38.
    ASSERT_EQ(chart.panels[0].shades.size(), 1u);
    const Shade& shade = chart.panels[0].shades[0];
    EXPECT_NEAR(shade.from, 5.1 + 0.2 / 3, 1e-12);
    EXPECT_NEAR(shade.to, 5.38, 1e-12);
    EXPECT_EQ(shade.above, 1);
    EXPECT_EQ(shade.name, "X/W > 1: bed wider than channel");
}

TEST(MeltingProfileChart, BarrelTemperatureOrItsRangeAlongTheRows) {
    SimulationState state = ThreeRows();
    state.ResBarrelTemp = {0, 288.0, 275.55, 261.34};
    EXPECT_NE(MeltingProfileChart(state, {}).subtitle.find(", barrel 261.3 to 288.0 \u00B0C;"), std::string::npos);
    state.ResBarrelTemp = {0, 290, 290, 290};
    EXPECT_NE(MeltingProfileChart(state, {}).subtitle.find(", barrel 290.0 \u00B0C;"), std::string::npos);
    // Differences below the tenths shown are no range.
    state.ResBarrelTemp = {0, 290.01, 290.04, 290.02};
    EXPECT_NE(MeltingProfileChart(state, {}).subtitle.find(", barrel 290.0 \u00B0C;"), std::string::npos);
    // No rows: the barrel law's constant.
    state.StepCount = 0;
    EXPECT_NE(MeltingProfileChart(state, {}).subtitle.find(", barrel C0 290.0 \u00B0C"), std::string::npos);
}

TEST(SpansAbove, EndsWhereTheLineCrossesTheLevel) {
    using Spans = std::vector<std::pair<double, double>>;
    // 0.8 -> 1.2 crosses 1 halfway, at 0.5; 1.4 -> 0.9 at 2 + 0.4/0.5 = 2.8.
    EXPECT_EQ(SpansAbove({0, 1, 2, 3, 4}, {0.8, 1.2, 1.4, 0.9, 0.6}, 1.0), (Spans{{0.5, 2.8}}));
    // Above at the first and at the last point: the span starts or ends there.
    // 1.5 -> 0 crosses 1 a third of the way, at 11 + 1/3; 0 -> 2 halfway, at 12.5.
    const Spans two = SpansAbove({10, 11, 12, 13}, {2, 1.5, 0, 2}, 1.0);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].first, 10);
    EXPECT_NEAR(two[0].second, 11 + 1.0 / 3, 1e-12);
    EXPECT_EQ(two[1], std::pair(12.5, 13.0));
    // Touching the level is not rising above it.
    EXPECT_EQ(SpansAbove({0, 1, 2}, {0.5, 1, 0.5}, 1.0), Spans{});
    EXPECT_EQ(SpansAbove({}, {}, 1.0), Spans{});
}

TEST(AxesOf, ARangeThatCannotBeKeptGivesWayToTheData) {
    Chart chart = MeltingProfileChart(ThreeRows(), std::nullopt);
    chart.xRange = std::pair(0.0, std::numeric_limits<double>::infinity());  // zones that overflowed
    ChartAxes axes = AxesOf(chart);
    EXPECT_LE(axes.x.min, 5.1);
    EXPECT_GE(axes.x.max, 5.5);
    EXPECT_LT(axes.x.max, 6);
    chart.xRange = std::pair(10.0, 0.0);  // empty
    axes = AxesOf(chart);
    EXPECT_LT(axes.x.max, 6);
    ASSERT_EQ(axes.y.size(), 2u);
    EXPECT_EQ(axes.y[0].min, 0);  // X/W and QS/QT within [0, 1]: kept exactly
    EXPECT_EQ(axes.y[0].max, 1);

    chart.panels[1].curves[0].y = {-DBL_MAX, 0, DBL_MAX};
    EXPECT_TRUE(RefusedToDraw([&] { AxesOf(chart); }));
}

TEST(InputLabel, TheUnitOnceAfterTheWindowsCaption) {
    const auto label = [](const char* name) { return InputLabel(kInputFields[FieldIndexOf(name)]); };
    EXPECT_EQ(label("ScrewSpeed"), "ScrewSpeed: Number of Revolution (rpm)");
    EXPECT_EQ(label("OutputRate"), "OutputRate: Output (kg/hr)");
    EXPECT_EQ(label("BarrelC0"), "BarrelC0: Barrel Temp. Para. (C0) (\u00B0C)");
    EXPECT_EQ(label("BarrelC1"), "BarrelC1: Barrel Temp. Para. (C1)");  // dimensionless
    EXPECT_EQ(label("BarrelC2"), "BarrelC2: Barrel Temp. Para. (C2) (1/cm)");
    EXPECT_EQ(label("FeedTurns"), "FeedTurns: Turns of Feed Zone (turns)");
    // The window's own spelling of a unit gives way to the table's.
    EXPECT_EQ(label("MeltingPoint"), "MeltingPoint: Melting Point (\u00B0C)");
    EXPECT_EQ(label("SolidDensity"), "SolidDensity: Density of Solid (g/cm\u00B3)");
    EXPECT_EQ(label("ViscA22"), "ViscA22: Viscosity Equation Para. (a22) (1/\u00B0C\u00B2)");
    for (int i = 0; i < kNumericFieldCount; ++i) {
        const InputField& field = kInputFields[i];
        const std::string text = InputLabel(field);
        EXPECT_EQ(text.find("\u2103"), std::string::npos) << text;  // the window's degree sign
        if (field.unit.empty()) continue;
        const std::string unit = "(" + std::string(field.unit) + ")";
        EXPECT_TRUE(text.ends_with(unit)) << text;
        EXPECT_EQ(text.find(unit), text.size() - unit.size()) << text;  // once
    }
    EXPECT_EQ(ValueWithUnit(kInputFields[FieldIndexOf("OutputRate")], "150"), "150 kg/hr");
    EXPECT_EQ(ValueWithUnit(kInputFields[FieldIndexOf("BarrelC1")], "-0.1"), "-0.1");
}

using test::CaseOf;
using test::Varied;
constexpr RequestOutcome kCompleted = RequestOutcome::Completed, kRefused = RequestOutcome::InvalidInput,
                         kFailed = RequestOutcome::CalculationError;

TEST(SweepChart, UnitsInTheLegendAndTheAxis) {
    const std::vector<VariedInput> varied = {Varied("ScrewSpeed", {"30", "40"}), Varied("OutputRate", {"150", "300"})};
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    const std::vector<RunSummary> results = {CaseOf(kCompleted, 20.1), CaseOf(kCompleted), CaseOf(kCompleted, 18.5),
                                             CaseOf(kRefused)};
    const Chart chart = SweepChart(varied, cases, results, "flight", "Sweep: s.csv");
    EXPECT_EQ(chart.xLabel, "ScrewSpeed: Number of Revolution (rpm)");
    ASSERT_EQ(chart.panels.size(), 1u);
    const Panel& panel = chart.panels[0];
    EXPECT_EQ(panel.yLabel, "FLIGHT where melting completed (turns)");
    ASSERT_EQ(panel.curves.size(), 2u);
    EXPECT_EQ(panel.curves[0].name, "OutputRate = 150 kg/hr");
    EXPECT_EQ(panel.curves[1].name, "OutputRate = 300 kg/hr");
    EXPECT_EQ(panel.curves[0].x, (std::vector<double>{30, 40}));
    EXPECT_EQ(panel.curves[0].y[0], 20.1);
    EXPECT_TRUE(std::isnan(panel.curves[1].y[1]));
    EXPECT_TRUE(panel.message.empty());
    EXPECT_EQ(chart.note,
              "2 of 4 cases have no value (end of screw: 1, invalid input: 1); see the summary's outcome "
              "and message.");
}

TEST(SweepChart, SaysSoWhenNoCaseHasAValue) {
    const std::vector<VariedInput> varied = {Varied("BarrelC0", {"200", "210", "220"})};
    const std::vector<SweepCase> cases = SweepCases(varied, {});
    Chart chart =
        SweepChart(varied, cases, {CaseOf(kFailed), CaseOf(kFailed), CaseOf(kRefused)}, "flight", "Sweep: s.csv");
    EXPECT_EQ(chart.panels[0].message, "Nothing to draw: every case was refused or failed");
    EXPECT_EQ(chart.note,
              "None of the 3 cases has a value (calculation error: 2, invalid input: 1); see the "
              "summary's outcome and message.");
    // Completed runs that never melted have no FLIGHT of complete melting.
    chart = SweepChart(varied, cases, {CaseOf(kCompleted), CaseOf(kCompleted), CaseOf(kFailed)}, "flight", "s");
    EXPECT_EQ(chart.panels[0].message,
              "Nothing to draw: no case has a value of FLIGHT where melting completed (turns)");
}

TEST(CurveChart, AxesNameTheInputsWithTheirUnitsAndTheNoteTheGapsAndWarnings) {
    analysis::SolveResult found, warns, refused;
    analysis::Solution solution;
    solution.met.value = 254.8;
    found.solutions.push_back(solution);
    found.outcome = analysis::SolveOutcome::Solved;
    warns = found;
    warns.solutions[0].met.value = 270.1;
    warns.solutions[0].met.run.warnings = {{"bed-wider-than-channel", "", ""}, {"negative-solid-flow", "", ""}};
    refused.outcome = analysis::SolveOutcome::Refused;
    const Chart chart = CurveChart(Varied("ScrewSpeed", {"30", "40", "45", "50"}), FieldIndexOf("OutputRate"),
                                   {found, analysis::SolveResult{}, refused, warns}, "Solve");
    // With the base case, the drag flow at each speed: the default's at 38 rpm, in proportion to the speed.
    const inputs::Case base = inputs::DefaultCase();
    const Chart withLimit =
        CurveChart(Varied("ScrewSpeed", {"19", "38"}), FieldIndexOf("OutputRate"), {found, found}, "Solve", &base);
    const Curve& dragFlow = withLimit.panels[0].curves.back();
    EXPECT_TRUE(dragFlow.dashed);
    const double atBase = extruder::OpenDischargeCapacity(inputs::Calculate(base).state, 0);
    EXPECT_EQ(dragFlow.y[1], atBase);
    EXPECT_NEAR(dragFlow.y[0], atBase / 2, 1e-9 * atBase);
    // Values not solved (a stopped curve) are left out.
    EXPECT_EQ(CurveChart(Varied("ScrewSpeed", {"30", "+40"}), FieldIndexOf("OutputRate"), {std::nullopt, found}, "S")
                  .panels[0]
                  .curves[0]
                  .x,
              std::vector<double>{40});
    EXPECT_EQ(chart.xLabel, "ScrewSpeed: Number of Revolution (rpm)");
    ASSERT_EQ(chart.panels.size(), 1u);
    EXPECT_EQ(chart.panels[0].yLabel, "OutputRate: Output (kg/hr)");
    ASSERT_EQ(chart.panels[0].curves.size(), 2u);
    const Curve& curve = chart.panels[0].curves[0];
    EXPECT_EQ(curve.y[0], 254.8);
    EXPECT_TRUE(std::isnan(curve.y[1]) && std::isnan(curve.y[2]));  // no solution at 40 and 45 rpm
    // The solution that warns is marked again.
    const Curve& warned = chart.panels[0].curves[1];
    EXPECT_EQ(warned.x, std::vector<double>{50});
    EXPECT_EQ(warned.y, std::vector<double>{270.1});
    EXPECT_FALSE(warned.line);
    EXPECT_EQ(warned.name, "solution with warnings");
    EXPECT_EQ(chart.note,
              "2 of 4 values of ScrewSpeed have no solution in the range (no solution: 1, refused: 1), a gap in the "
              "curve; 1 of 2 solutions warn (bed-wider-than-channel, negative-solid-flow).");
}

}  // namespace
}  // namespace tadmor::charts
