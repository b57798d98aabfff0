// Warnings where a run leaves the fitted range of its material's viscosity law.
#include <gtest/gtest.h>

#include "material/RangeCheck.h"

namespace tadmor::material {
namespace {

// Five rows at FLIGHT 5.1 .. 5.5, sheared at RelativeSpeed / FILM =
// 30 / FILM: 100, 300, 1500, 1500, 600 1/s; the films' cold side at the
// melting point 200 degC, their mean TAV from 205 degC.
SimulationState FiveRows() {
    SimulationState s;
    s.MeltingPoint = 200;
    s.RelativeSpeed = 30;
    s.StepCount = 5;
    s.ResFlight = {0, 5.1, 5.2, 5.3, 5.4, 5.5};
    s.ResBarrelTemp = {0, 230, 240, 250, 250, 240};
    s.ResSolvedMidTemp = {0, 220, 245, 251, 230, 235};
    s.ResFilmAvgTemp = {0, 205, 222, 226, 215, 218};
    s.ResFilmThickness = {0, 0.3, 0.1, 0.02, 0.02, 0.05};
    return s;
}

// Each warning as "message at FLIGHT ...", checking its code on the way.
std::vector<std::string> Lines(const std::vector<Warning>& warnings) {
    std::vector<std::string> lines;
    for (const Warning& warning : warnings) {
        EXPECT_EQ(warning.code, "viscosity-extrapolated");
        lines.push_back(warning.message + " at " + warning.where);
    }
    return lines;
}

TEST(RangeCheck, InsideTheRangeNoWarning) {
    EXPECT_TRUE(FittedRangeWarnings({200, 260, 50, 2000}, FiveRows()).empty());
}

TEST(RangeCheck, EachWayOutNamesItsRows) {
    const std::vector<std::string> warnings = Lines(FittedRangeWarnings({210, 244, 200, 1000}, FiveRows()));
    ASSERT_EQ(warnings.size(), 4u);
    // The melting point 200 degC lies below the range in every row, the film's mean only in row 1.
    EXPECT_EQ(warnings[0],
              "film mean temperatures down to 205.0 degC lie below the fitted range of the viscosity law (210.0 to "
              "244.0 degC): the film's viscosity is extrapolated at FLIGHT 5.10");
    // Rows 2 (T121 245), 3 and 4 (TB 250); row 5 stays at 240.
    EXPECT_EQ(warnings[1],
              "film temperatures up to 251.0 degC lie above the fitted range of the viscosity law (210.0 to 244.0 "
              "degC): the film's viscosity is extrapolated at FLIGHT 5.20 to 5.40");
    EXPECT_EQ(warnings[2],
              "film shear rates up to 1.5e+03 1/s lie above the fitted range of the viscosity law (200 to 1e+03 1/s): "
              "the film's viscosity is extrapolated at FLIGHT 5.30 to 5.40");
    EXPECT_EQ(warnings[3],
              "film shear rates down to 100 1/s lie below the fitted range of the viscosity law (200 to 1e+03 1/s): "
              "the film's viscosity is extrapolated at FLIGHT 5.10");
}

TEST(RangeCheck, SeparateSpansAreListed) {
    const std::vector<std::string> warnings = Lines(FittedRangeWarnings({200, 260, 400, 5000}, FiveRows()));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].substr(warnings[0].find(" at FLIGHT")), " at FLIGHT 5.10 to 5.20");
    const std::vector<std::string> split = Lines(FittedRangeWarnings({200, 260, 50, 1000}, FiveRows()));
    ASSERT_EQ(split.size(), 1u);
    EXPECT_EQ(split[0].substr(split[0].find(" at FLIGHT")), " at FLIGHT 5.30 to 5.40");
    SimulationState s = FiveRows();
    s.ResFilmThickness[2] = 0.01;  // 3000 1/s at FLIGHT 5.2 too, then 5.3, 5.4
    s.ResFilmThickness[3] = 0.1;
    const std::vector<std::string> two = Lines(FittedRangeWarnings({200, 260, 50, 1000}, s));
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].substr(two[0].find(" at FLIGHT")), " at FLIGHT 5.20, 5.40");
}

}  // namespace
}  // namespace tadmor::material
