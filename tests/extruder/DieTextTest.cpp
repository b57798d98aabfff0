// The die text and the die table: what is read, what is refused and how the
// refusal says what to fix; and the table's interpolation and temperature shift.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

#include "extruder/Die.h"

namespace tadmor::extruder {
namespace {

const std::map<std::string, std::string> kFiles = {
    {"die.csv",
     "# strand die, measured\n"
     "temperature = 230   # degC\n"
     "shear rate = 50\n"
     "\n"
     "16, 2\n"
     "36, 3.0\r\n"
     "100, 5\n"},
    {"no-temperature.csv", "10, 2\n20, 3\n"},
    {"one-point.csv", "temperature = 200\n10, 2\n"},
    {"falling.csv", "temperature = 200\n10, 2\n20, 1.5\n"},
    {"words.csv", "temperature = 200\nthroughput, pressure\n"},
    {"unknown-key.csv", "temperature = 200\npressure unit = bar\n10, 2\n20, 3\n"},
};

std::string ReadFile(const std::string& path) {
    const auto found = kFiles.find(path);
    if (found == kFiles.end())
        throw Error(ErrorKind::Input, "cannot read die table \"" + path + "\": No such file or directory");
    return found->second;
}

Die Parse(const std::string& text) { return ParseDie(text, ReadFile); }

TEST(DieText, ReadsEachKindWithItsUnits) {
    const Capillary capillary = std::get<Capillary>(Parse("capillary:D=5mm,L=5"));
    EXPECT_DOUBLE_EQ(capillary.diameter, 0.5);
    EXPECT_DOUBLE_EQ(capillary.length, 5);
    const Slit slit = std::get<Slit>(Parse(" Slit : w=0.1m , H=2 mm, L = 3cm "));
    EXPECT_DOUBLE_EQ(slit.width, 10);
    EXPECT_DOUBLE_EQ(slit.height, 0.2);
    EXPECT_DOUBLE_EQ(slit.length, 3);
    const Annulus annulus = std::get<Annulus>(Parse("annulus:L=4,Di=1.6,Do=2e0"));
    EXPECT_DOUBLE_EQ(annulus.outerDiameter, 2);
    EXPECT_DOUBLE_EQ(annulus.innerDiameter, 1.6);
    const MeasuredDie table = std::get<MeasuredDie>(Parse("table:die.csv"));
    EXPECT_DOUBLE_EQ(table.temperature, 230);
    EXPECT_DOUBLE_EQ(table.shearRate, 50);
    ASSERT_EQ(table.points.size(), 3u);
    EXPECT_DOUBLE_EQ(table.points[1].throughput, 36);
    EXPECT_DOUBLE_EQ(table.points[2].pressureDrop, 5);
}

TEST(DieText, RefusalsSayWhatToFix) {
    const std::pair<std::string, std::string> cases[] = {
        {"0.5,5", "give its kind and dimensions: capillary:D=0.5,L=5"},
        {"nozzle:D=1,L=2", "Die kind \"nozzle\" is not known"},
        {"capillary:D=0.5", "L is missing"},
        {"capillary:D=0.5,L=5,W=3", "\"W=3\" is not one of its dimensions"},
        {"capillary:D=0.5,D=0.4,L=5", "D is given twice"},
        {"capillary:D=0,5,L=5", "\"5\" is not one of its dimensions"},
        {"capillary:D=5in,L=5", "D=\"5in\" is not a length: write a number with '.'"},
        {"capillary:D=0mm,L=5", "D must be a length greater than 0"},
        {"capillary:D=1e308m,L=5", "D=\"1e308m\" is too large"},
        {"annulus:Do=1.5,Di=2,L=4", "the inner diameter Di (2.000 cm) must be smaller than the outer diameter Do"},
        {"table:missing.csv", "cannot read die table \"missing.csv\": No such file or directory"},
        {"table:no-temperature.csv", "give the temperature it was measured at"},
        {"table:one-point.csv", "give two or more lines 'throughput, pressure drop'"},
        {"table:falling.csv", "point 2: throughput and pressure drop must both increase"},
        {"table:words.csv", "line 2: \"throughput, pressure\" is not 'throughput, pressure drop'"},
        {"table:unknown-key.csv", "line 2: \"pressure unit\" is not known"},
    };
    for (const auto& [text, message] : cases) {
        try {
            Parse(text);
            ADD_FAILURE() << text << " was read";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << text << ": " << error.what();
        }
    }
}

TEST(DieTable, InterpolatesAsPowersAndShiftsWithTheViscosityLaw) {
    // The table's points lie on dP = 0.5 Q^0.5 (MPa, kg/hr): between and
    // beyond them the table gives that power law exactly.
    const Die die = Parse("table:die.csv");
    Melt melt;
    melt.a0 = 2, melt.a1 = -0.6, melt.a11 = -0.01, melt.a2 = -0.02, melt.a22 = 1e-5, melt.density = 0.75;
    for (const double q : {4.0, 16.0, 25.0, 100.0, 150.0})
        EXPECT_NEAR(DiePressureDrop(die, melt, q, 230), 0.5 * std::sqrt(q), 1e-14);
    // Without a12 the law's temperature factor is the same at every shear
    // rate: exp(a2 (T - T0) + a22 (T^2 - T0^2)).
    const double factor = std::exp(-0.02 * (250 - 230) + 1e-5 * (250.0 * 250 - 230.0 * 230));
    EXPECT_NEAR(DiePressureDrop(die, melt, 25, 250), 2.5 * factor, 1e-14);
    EXPECT_NEAR(DieThroughput(die, melt, 2.5 * factor, 250), 25, 1e-12);
    EXPECT_TRUE(DieCovers(die, 100));
    EXPECT_FALSE(DieCovers(die, 105));
}

}  // namespace
}  // namespace tadmor::extruder
