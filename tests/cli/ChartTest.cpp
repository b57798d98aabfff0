// What the plots show, before any drawing.
#include "cli/Chart.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tadmor::cli
