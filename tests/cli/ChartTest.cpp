// What the plots show, before any drawing.
#include "cli/Chart.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "support/DefaultInputs.h"

namespace tadmor::cli {
namespace {

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
        {5, 5},          {0, 0},           {-0.0, 0.0},      {1, oneAfter},     {-oneAfter, -1},
        {1e300, 1e300},  {1e300, 2e300},   {-1e300, 1e300},  {1e17, 1e17 + 16}, {1e17, 1.0000001e17},
        {1e-300, 2e-300}, {0, 5e-324},     {5e-324, 5e-324}, {-1e308, -1e308},  {0, 1e308},
        {290, 290.000001}, {-DBL_MAX / 4, DBL_MAX / 4},
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
        EXPECT_THROW(NiceAxis(low, high, 6), PlotError) << low << " .. " << high;
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
    EXPECT_EQ(chart.xRange, std::pair(0.0, 24.7));
    ASSERT_EQ(chart.marks.size(), 1u);
    EXPECT_DOUBLE_EQ(chart.marks[0].at, 5);

    ASSERT_EQ(chart.panels.size(), 2u);
    const Panel& fractions = chart.panels[0];
    ASSERT_EQ(fractions.curves.size(), 2u);
    EXPECT_EQ(fractions.curves[0].x, (std::vector<double>{5.1, 5.3, 5.5}));
    EXPECT_EQ(fractions.curves[1].y, (std::vector<double>{0.9, 0.8, 0.7}));
    EXPECT_TRUE(fractions.levels.empty());  // no X/W above 1
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
    ASSERT_EQ(chart.marks.size(), 2u);
    EXPECT_DOUBLE_EQ(chart.marks[1].at, 5.7);
    EXPECT_EQ(chart.marks[1].label, "melted");
    EXPECT_NE(chart.subtitle.find("melting completed at FLIGHT 5.70"), std::string::npos) << chart.subtitle;
    ASSERT_EQ(chart.panels[0].levels.size(), 1u);
    EXPECT_DOUBLE_EQ(chart.panels[0].levels[0].at, 1);
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
    EXPECT_THROW(AxesOf(chart), PlotError);
}

}  // namespace
}  // namespace tadmor::cli
