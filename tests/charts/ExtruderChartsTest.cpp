// The charts of the whole extruder, before any drawing.
#include "charts/ExtruderCharts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tadmor::charts {
namespace {

TEST(ExtruderCharts, ProfileCharacteristicAndCurve) {
    extruder::ExtruderInputs inputs;
    inputs.die = extruder::Capillary{0.5, 10};
    const extruder::ExtruderCalculation calculation = extruder::CalculateExtruder(DefaultFieldTexts(), '.', inputs);
    ASSERT_TRUE(calculation.run);
    const Chart profile = ExtruderProfileChart(calculation, "p");
    ASSERT_EQ(profile.panels.size(), 3u);
    EXPECT_EQ(profile.panels[0].curves[0].y.back(), calculation.run->tipPressure);
    EXPECT_EQ(profile.panels[0].levels[0].at, calculation.run->dieDrop);
    // The barrel along the whole screw, at the default's 290 degC.
    EXPECT_EQ(profile.panels[1].curves[1].y.size(), calculation.run->profile.size());
    EXPECT_EQ(profile.panels[1].curves[1].y.back(), 290);

    extruder::CharacteristicPoint solved, failed;
    solved.throughput = 200, solved.solved = true, solved.tipPressure = 10, solved.dieDrop = 15;
    failed.throughput = 100, failed.failure = "no convergence";
    const Chart characteristic = CharacteristicChart({solved, failed}, &*calculation.run, "c");
    const Panel& panel = characteristic.panels[0];
    EXPECT_EQ(panel.curves[0].x, (std::vector<double>{100, 200}));  // in order of throughput
    EXPECT_TRUE(std::isnan(panel.curves[0].y[0]));
    EXPECT_EQ(panel.curves[2].x[0], calculation.run->throughput);  // the operating point marked
    EXPECT_EQ(characteristic.note, "1 of 2 throughputs could not be calculated (gaps in the curves).");

    extruder::OperatingPointSearch found, none;
    found.point = calculation;
    none.none = "the screw cannot push this die";
    const analysis::VariedInput speeds{FieldIndexOf("ScrewSpeed"), {"30", "38", "45"}};
    const Chart curve = OperatingPointsChart(speeds, {none, found, std::nullopt}, "o");
    ASSERT_EQ(curve.panels.size(), 4u);
    EXPECT_EQ(curve.panels[0].curves[0].x, (std::vector<double>{30, 38}));
    EXPECT_TRUE(std::isnan(curve.panels[0].curves[0].y[0]));
    EXPECT_EQ(curve.panels[3].curves[0].y[1], calculation.run->specificEnergy);
    EXPECT_EQ(curve.note, "1 of 2 values of ScrewSpeed have no operating point (gaps); see the CSV's message.");
}

}  // namespace
}  // namespace tadmor::charts
