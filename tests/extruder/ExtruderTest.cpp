// The whole extruder: the melting rows as the plain calculation has them, the
// Newtonian limits worked out here, the mass and energy balances, the
// operating point, and the warnings.
#include "extruder/OperatingPoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "extruder/Increments.h"
#include "extruder/ShapeFactors.h"
#include "model/ResultColumns.h"
#include "support/ReferenceCases.h"

namespace tadmor::extruder {
namespace {

using test::Settings;

FieldTexts TextsWith(const Settings& settings, char separator = '.') {
    FieldTexts texts = DefaultFieldTexts(separator);
    for (const auto& [name, text] : settings) texts[static_cast<std::size_t>(FieldIndexOf(name))] = text;
    return texts;
}

ExtruderRun RunWith(const Settings& settings, const ExtruderInputs& inputs) {
    const ExtruderCalculation calculation = CalculateExtruder(TextsWith(settings), '.', inputs);
    if (!calculation.run) throw std::runtime_error(calculation.calculation.message + calculation.error);
    return *calculation.run;
}

ExtruderInputs WithDie(const std::string& die) {
    ExtruderInputs inputs;
    inputs.die = ParseDie(die, {});
    return inputs;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// ---- The melting rows -----------------------------------------------------------

TEST(Extruder, MeltingRowsAreThoseOfThePlainCalculationInEveryReferenceCase) {
    std::ifstream index(std::string(TADMOR_REFERENCE_DIR) + "/index.tsv");
    std::string line;
    std::getline(index, line);
    int cases = 0;
    while (std::getline(index, line)) {
        std::istringstream fields(line);
        std::string name, separator;
        std::getline(fields, name, '\t');
        std::getline(fields, separator, '\t');
        SCOPED_TRACE(name);
        ++cases;
        const FieldTexts texts =
            TextsWith(test::ReadCaseSettings(std::string(TADMOR_REFERENCE_DIR) + "/" + name + ".case"), separator[0]);
        const Calculation plain = Calculate(texts, separator[0]);
        const ExtruderCalculation whole = CalculateExtruder(texts, separator[0], WithDie("capillary:D=1,L=5"));
        EXPECT_EQ(whole.calculation.outcome, plain.outcome);
        EXPECT_EQ(whole.calculation.message, plain.message);
        if (plain.outcome != RequestOutcome::Completed) {
            EXPECT_FALSE(whole.run);
            continue;
        }
        ASSERT_TRUE(whole.run) << whole.error;
        const SimulationState &a = plain.state, &b = whole.calculation.state;
        ASSERT_EQ(a.StepCount, b.StepCount);
        for (const ResultColumn& column : kResultColumns)
            for (int row = 1; row <= a.StepCount; ++row)
                EXPECT_TRUE(SameBits((a.*column.values)[row], (b.*column.values)[row])) << column.heading << row;
        // The increments laid out again: the march's rows to the bit, and on
        // to the end of the screw.
        const std::vector<Increment> increments = ScrewIncrements(b);
        const std::vector<ProfileRow>& profile = whole.run->profile;
        ASSERT_GE(increments.size(), static_cast<std::size_t>(b.StepCount));
        for (int row = 1; row <= b.StepCount; ++row) {
            const Increment& step = increments[static_cast<std::size_t>(row - 1)];
            EXPECT_TRUE(SameBits(step.flight, b.ResFlight[row]) && SameBits(step.depth, b.ResDepth[row]) &&
                        SameBits(step.barrelTemp, b.ResBarrelTemp[row]))
                << "row " << row;
            EXPECT_TRUE(SameBits(profile[static_cast<std::size_t>(row - 1)].solidFraction, b.ResSolidFraction[row]));
        }
        double length = 0;
        for (const Increment& step : increments) length += step.lengthOnScrew;
        if (b.MeltingLength > 0) {
            EXPECT_NEAR(length / b.MeltingLength, 1, 1e-12);
        }
        EXPECT_EQ(profile.size(), MeltingCompleted(b) ? increments.size() : static_cast<std::size_t>(b.StepCount));
    }
    EXPECT_GE(cases, 23);
}

// ---- Newtonian limits -----------------------------------------------------------

// A Newtonian melt (the temperature term too small to matter, 1e-10/degC)
// in a screw of constant depth 0.4 cm. With a conductive melt of no heat of
// fusion fed near its melting point the bed melts within the first increment.
const Settings kNewtonian = {{"FeedDepth", "0.4"}, {"ViscA0", "-2"}, {"ViscA1", "0"},  {"ViscA11", "0"},
                             {"ViscA2", "-1e-10"}, {"ViscA22", "0"}, {"ViscA12", "0"}, {"OutputRate", "60"}};
const Settings kInstantMelting = {
    {"MeltConductivity", "5"}, {"FusionHeat", "0"}, {"SolidTemp", "280"}, {"MeltingPoint", "285"}};

Settings Joined(Settings a, const Settings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The default screw in SI units, with the circle constant pi.
struct DefaultScrew {
    double helix = std::atan(0.15 / (std::numbers::pi * 0.15));
    double width = 0.15 * std::cos(helix) - 0.015;
    double speedDown = std::numbers::pi * 0.15 * 38 / 60 * std::cos(helix);
    double depth = 0.004;
    double Viscosity(double temperature) const { return 98.0665 * std::exp(-2 - 1e-10 * temperature); }
    // dP/dz = 12 mu (V_bz W H F_d / 2 - Q) / (W H^3 F_p), Pa/m, for a melt `width` wide.
    double Gradient(double mu, double flow, double meltWidth) const {
        const double r = depth / meltWidth;
        return 12 * mu * (speedDown * meltWidth * depth * DragShapeFactor(r) / 2 - flow) /
               (meltWidth * depth * depth * depth * PressureShapeFactor(r));
    }
};

TEST(Extruder, NewtonianPressureRiseAndMassBalanceAlongTheScrew) {
    // Melting over some increments: beside the bed the melt pool W - X wide
    // carries the melted share of the throughput; after, the channel all of it.
    ExtruderInputs inputs = WithDie("capillary:D=0.05,L=9");
    inputs.startPressure = 1;
    const ExtruderCalculation whole = CalculateExtruder(TextsWith(kNewtonian), '.', inputs);
    ASSERT_TRUE(whole.run) << whole.calculation.message << whole.error;
    const SimulationState& s = whole.calculation.state;
    const std::vector<ProfileRow>& rows = whole.run->profile;
    ASSERT_GT(s.StepCount, 2);
    ASSERT_TRUE(MeltingCompleted(s));
    const std::vector<Increment> increments = ScrewIncrements(s);
    const DefaultScrew screw;
    const double volumeFlow = 60.0 / 3600 / 1200;
    double pressure = 1, temperature = s.ResFilmAvgTemp[1], fraction = 1, share = 0;
    int poolRows = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double dz = increments[i].lengthOnScrew / 100, rise = rows[i].pressure - pressure;
        double expected;
        if (rows[i].melting) {
            const int row = static_cast<int>(i) + 1;
            const double meltWidth = screw.width * (1 - (fraction + s.ResSolidFraction[row]) / 2);
            const double nextShare = 1 - s.ResSolidFlowRatio[row];
            const double poolFlow = volumeFlow * (share + nextShare) / 2;
            // A pool narrower than deep, or one whose melt would outrun the
            // barrel, moves with the bed: no pressure change.
            const bool pool = meltWidth >= screw.depth && poolFlow <= screw.speedDown * meltWidth * screw.depth;
            expected = pool ? screw.Gradient(screw.Viscosity(temperature), poolFlow, meltWidth) * dz / 1e6 : 0;
            poolRows += pool;
            fraction = s.ResSolidFraction[row];
            share = nextShare;
        } else {
            expected = screw.Gradient(screw.Viscosity(temperature), volumeFlow, screw.width) * dz / 1e6;
        }
        EXPECT_NEAR(rise, expected, 1e-9 * std::fabs(expected)) << "FLIGHT " << rows[i].flight;
        pressure = rows[i].pressure;
        temperature = rows[i].meltTemperature;
    }
    EXPECT_GT(poolRows, s.StepCount / 2);
}

TEST(Extruder, NewtonianOperatingPointIsTheIntersectionOfTheStraightCharacteristics) {
    // The bed melts at once: a channel of one depth, full of melt from the
    // start of melting to the tip, at one viscosity. Both characteristics are
    // straight: screw  P = P0 + A (Q_d - Q),  A = 12 mu L / (W H^3 F_p);
    //               die  P = B Q,              B = 128 mu L_d / (pi D^4).
    ExtruderInputs inputs = WithDie("capillary:D=0.2,L=2.3");
    inputs.startPressure = 1;
    const FieldTexts texts = TextsWith(Joined(kNewtonian, kInstantMelting));
    const Calculation base = Calculate(texts, '.');
    ASSERT_EQ(base.state.StepCount, 0);
    const DefaultScrew screw;
    const double mu = screw.Viscosity(290), r = screw.depth / screw.width;
    const double length = base.state.MeltingLength / 100;
    const double a = 12 * mu * length / (screw.width * std::pow(screw.depth, 3) * PressureShapeFactor(r));
    const double b = 128 * mu * 0.023 / (std::numbers::pi * std::pow(0.002, 4));
    const double drag = screw.speedDown * screw.width * screw.depth * DragShapeFactor(r) / 2;
    const double expected = (1e6 + a * drag) / (a + b) * 1200 * 3600;  // kg/hr

    // The characteristics are those straight lines.
    const double throughputs[] = {20, 100};
    for (const CharacteristicPoint& point : Characteristics(texts, '.', inputs, throughputs)) {
        const double q = point.throughput / (1200 * 3600);
        EXPECT_NEAR(point.tipPressure, (1e6 + a * (drag - q)) / 1e6, 1e-9 * std::fabs(point.tipPressure));
        EXPECT_NEAR(point.dieDrop, b * q / 1e6, 1e-9 * point.dieDrop);
    }

    std::vector<int> reports;
    Progress progress;
    progress.report = [&](int done, int) { reports.push_back(done); };
    const OperatingPointSearch search = FindOperatingPoint(texts, '.', inputs, {20, 100, 8}, progress);
    ASSERT_TRUE(search.point && search.point->run) << search.none;
    EXPECT_NEAR(search.point->run->throughput, expected, 1e-9 * expected);
    EXPECT_NEAR(search.point->run->tipPressure, search.point->run->dieDrop, 1e-9 * search.point->run->dieDrop);
    EXPECT_LT(search.below.throughput, expected);
    EXPECT_GT(search.below.tipPressure, search.below.dieDrop);
    EXPECT_GT(search.above.throughput, expected);
    EXPECT_LT(search.above.tipPressure, search.above.dieDrop);
    EXPECT_EQ(static_cast<int>(reports.size()) + 1, search.calculations);
    EXPECT_EQ(reports.back(), static_cast<int>(reports.size()));

    // Stopped after the third calculation, it says so and goes no further.
    std::atomic<int> stop = 0;
    progress.report = [&](int done, int) { stop = done >= 3; };
    progress.stop = &stop;
    const OperatingPointSearch stopped = FindOperatingPoint(texts, '.', inputs, {20, 100, 8}, progress);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.point);
    EXPECT_EQ(stopped.calculations, 3);
}

TEST(Extruder, NoOperatingPointSaysWhy) {
    const FieldTexts texts = TextsWith(Joined(kNewtonian, kInstantMelting));
    // A die far too narrow: the screw cannot push it at any throughput.
    const OperatingPointSearch narrow = FindOperatingPoint(texts, '.', WithDie("capillary:D=0.01,L=20"), {20, 100, 4});
    EXPECT_FALSE(narrow.point);
    EXPECT_NE(narrow.none.find("the screw cannot push this die at any throughput from 20.00 kg/hr to 100.00 kg/hr"),
              std::string::npos)
        << narrow.none;
    // The default screw at 300 kg/hr and more does not melt its bed.
    const OperatingPointSearch unmelted =
        FindOperatingPoint(DefaultFieldTexts('.'), '.', WithDie("capillary:D=0.8,L=3"), {300, 400, 2});
    EXPECT_NE(unmelted.none.find("the bed does not melt before the die at any throughput in the range"),
              std::string::npos)
        << unmelted.none;
}

// ---- Energy ---------------------------------------------------------------------------

// Per increment: drive = film + dissipation + Q dP (the flow's power balance),
// and the melt's enthalpy rise = dissipation + barrel heat; over the run the
// same for the totals. Q and the melt flows from the march's rows and the
// throughput; dP and the temperatures from the profile.
void ExpectEnergyBalance(const Settings& settings, const ExtruderInputs& inputs) {
    const ExtruderCalculation whole = CalculateExtruder(TextsWith(settings), '.', inputs);
    ASSERT_TRUE(whole.run) << whole.error;
    const ExtruderRun& run = *whole.run;
    const SimulationState& s = whole.calculation.state;
    const double mass = s.OutputRate / 3600, heat = 4184 * s.MeltHeat;  // kg/s, J/(kg K)
    double pressure = run.startPressure, share = 0, temperature = 0, work = 0;
    for (std::size_t i = 0; i < run.profile.size(); ++i) {
        const ProfileRow& row = run.profile[i];
        const int march = static_cast<int>(i) + 1;
        const double nextShare = row.melting ? 1 - std::clamp(s.ResSolidFlowRatio[march], 0.0, 1.0) : 1;
        const double joining = row.melting ? s.ResFilmAvgTemp[march] : s.FilmAvgTemp;  // degC of the melt joining
        const double flow = mass * (row.melting ? (share + nextShare) / 2 : 1) / (1000 * s.MeltDensity);  // m3/s
        const double rowWork = flow * (row.pressure - pressure) * 1e3;                                    // kW
        work += rowWork;
        const double scale = std::fabs(row.drivePower) + std::fabs(rowWork) + 1e-9;
        EXPECT_NEAR(row.drivePower, row.filmPower + row.dissipation + rowWork, 1e-6 * scale) << row.flight;
        const double enthalpy =
            mass * heat * (nextShare * row.meltTemperature - share * temperature - (nextShare - share) * joining) /
            1000;  // kW
        EXPECT_NEAR(enthalpy, row.dissipation + row.barrelHeat,
                    1e-6 * (std::fabs(row.dissipation) + std::fabs(row.barrelHeat) + 1e-9))
            << row.flight;
        pressure = row.pressure;
        temperature = row.meltTemperature;
        share = nextShare;
    }
    EXPECT_NEAR(run.pressureWork, work, 1e-6 * std::fabs(work));
    EXPECT_NEAR(run.drivePower, run.filmPower + run.dissipation + run.pressureWork, 1e-6 * run.drivePower);
    EXPECT_NEAR(run.specificEnergy, run.drivePower / run.throughput, 1e-15);
}

TEST(Extruder, EnergyBalanceCloses) {
    ExtruderInputs inputs = WithDie("capillary:D=0.8,L=3");
    ExpectEnergyBalance({{"OutputRate", "150"}}, inputs);
    inputs.flightClearance = 0.02;
    ExpectEnergyBalance({{"OutputRate", "150"}, {"ScrewSpeed", "60"}}, inputs);
    ExpectEnergyBalance({{"ViscA1", "-0.5"}, {"ViscA11", "0"}, {"ViscA12", "0"}, {"OutputRate", "100"}}, inputs);
}

TEST(Extruder, WithoutConductionTheMeltHeatsByItsWorkAlone) {
    ExtruderInputs inputs = WithDie("capillary:D=0.8,L=3");
    inputs.adiabaticBarrel = true;
    const ExtruderCalculation whole = CalculateExtruder(TextsWith({{"OutputRate", "150"}}), '.', inputs);
    ASSERT_TRUE(whole.run);
    const ExtruderRun& run = *whole.run;
    const SimulationState& s = whole.calculation.state;
    EXPECT_EQ(run.barrelHeatToMelt, 0);
    // Past the bed, the whole throughput: m c (T_tip - T_start) = sum of (drive - Q dP).
    const auto melted = static_cast<std::size_t>(s.StepCount);
    const double mass = s.OutputRate / 3600, volume = mass / (1000 * s.MeltDensity);
    double work = 0;
    for (std::size_t i = melted; i < run.profile.size(); ++i)
        work += run.profile[i].drivePower - volume * (run.profile[i].pressure - run.profile[i - 1].pressure) * 1e3;
    const double rise = run.profile.back().meltTemperature - run.profile[melted - 1].meltTemperature;
    const double pool = 1 - std::clamp(s.ResSolidFlowRatio[s.StepCount], 0.0, 1.0);  // joins the last film's melt
    const double start = pool * run.profile[melted - 1].meltTemperature + (1 - pool) * s.FilmAvgTemp;
    EXPECT_NEAR(mass * 4184 * s.MeltHeat * (run.profile.back().meltTemperature - start) / 1000, work, 1e-6 * work);
    EXPECT_GT(rise, 0);
}

// ---- Warnings, inputs, capacity ---------------------------------------------------------

TEST(Extruder, WarningsSayWhereTheModelLeavesItsGround) {
    ExtruderInputs hot = WithDie("capillary:D=0.8,L=3");
    hot.meltTemperatureLimit = 290;
    ExtruderInputs table;
    table.die = ParseDieTable("temperature = 280\n10, 1\n20, 1.5\n", "die.csv");
    const struct {
        Settings settings;
        ExtruderInputs inputs;
        std::vector<std::string> present, absent;
    } cases[] = {
        {{},
         WithDie("capillary:D=0.8,L=3"),
         {"pressure-falling", "pressure-below-zero", "melt-pool-too-narrow", "melting-incomplete-at-die"},
         {"melt-above-temperature-limit"}},
        {{{"OutputRate", "150"}}, hot, {"melt-above-temperature-limit"}, {"melting-incomplete-at-die"}},
        {{{"OutputRate", "150"}}, table, {"die-table-extrapolated"}, {}},
    };
    for (const auto& c : cases) {
        const ExtruderRun run = RunWith(c.settings, c.inputs);
        const std::string codes = WarningCodes(run.warnings);
        for (const std::string& code : c.present) EXPECT_NE(codes.find(code), std::string::npos) << codes;
        for (const std::string& code : c.absent) EXPECT_EQ(codes.find(code), std::string::npos) << codes;
    }
    // In the default case the pool is narrower than the feed depth, 1.4 cm of
    // the channel's 12.8, while X/W stays above 0.89 (to FLIGHT 6.90), and
    // the bed fills or all but fills the channel in the compression zone and
    // after it (X/W above 1 from 14.05 to 17.50).
    const ExtruderRun plugged = RunWith({}, WithDie("capillary:D=0.8,L=3"));
    for (const Warning& warning : plugged.warnings) {
        if (warning.code == "melt-pool-too-narrow") {
            EXPECT_EQ(warning.where, "FLIGHT 5.10 to 6.90, 13.15 to 19.90");
        }
    }
}

TEST(Extruder, RefusesUnusableInputs) {
    const SimulationState marched = Calculate(DefaultFieldTexts('.'), '.').state;
    const std::function<void(ExtruderInputs&)> changes[] = {
        [](ExtruderInputs& in) { in.flightClearance = -0.01; },
        [](ExtruderInputs& in) { in.flightClearance = std::nan(""); },
        [](ExtruderInputs& in) { in.flightClearance = 0.4; },  // as deep as the metering channel
        [](ExtruderInputs& in) { in.startPressure = -1; },
        [](ExtruderInputs& in) { in.meltTemperatureLimit = HUGE_VAL; },
        [](ExtruderInputs& in) {
            in.die = Capillary{HUGE_VAL, 3};
        },
    };
    for (const auto& change : changes) {
        ExtruderInputs inputs = WithDie("capillary:D=0.8,L=3");
        change(inputs);
        EXPECT_THROW(ConveyMelt(marched, inputs), Error);
    }
}

TEST(Extruder, OpenDischargeCapacityIsTheDragFlowLessTheLeakage) {
    const SimulationState s = Calculate(DefaultFieldTexts('.'), '.').state;
    const DefaultScrew screw;
    const double r = screw.depth / screw.width, toKgPerHour = 1200 * 3600;
    const double drag = screw.speedDown * screw.width * screw.depth * DragShapeFactor(r) / 2;
    EXPECT_NEAR(OpenDischargeCapacity(s, 0), drag * toKgPerHour, 1e-12 * drag * toKgPerHour);
    // With a clearance delta over the land e the circulation across the
    // channel (q = 0 across it: its pressure rise 6 mu V_bx / H^2 per unit
    // width) drives melt back over the flight, with the barrel's drag:
    //   q_L = (V_bx / 2) (H - (H - delta) / (1 + delta^3 W / (e H^3))),
    // lost over pi D cos(theta) of channel per unit length; the land drags
    // V_bz delta e / 2 along. To first order the drag loses V_bz W delta / 2.
    const double delta = 0.0001, e = 0.015, h = screw.depth, w = screw.width;
    const double across = std::numbers::pi * 0.15 * 38 / 60 * std::sin(screw.helix);
    const double leak = across / 2 * (h - (h - delta) / (1 + delta * delta * delta * w / (e * h * h * h)));
    const double leaky =
        drag + screw.speedDown * delta * e / 2 - std::numbers::pi * 0.15 * std::cos(screw.helix) * leak;
    EXPECT_NEAR(OpenDischargeCapacity(s, 0.01), leaky * toKgPerHour, 1e-12 * leaky * toKgPerHour);
    EXPECT_NEAR(leaky, drag - screw.speedDown * w * delta / 2, 2e-4 * leaky);
}

}  // namespace
}  // namespace tadmor::extruder
