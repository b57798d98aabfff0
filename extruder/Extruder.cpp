#include "extruder/Extruder.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "extruder/Channel.h"
#include "extruder/Increments.h"
#include "extruder/Numerics.h"
#include "extruder/Units.h"
#include "model/NumberText.h"

namespace tadmor::extruder {

namespace {

// The screw's geometry in SI units, with the circle constant pi (the melting
// march keeps its own).
struct Screw {
    Extended helix;        // rad
    Extended width;        // m, W normal to the flights
    Extended flightWidth;  // m
    Extended speed;        // m/s, barrel surface speed
    Extended turnNormal;   // m, pi D cos(helix)

    explicit Screw(const SimulationState& s) {
        const Extended d = kMetrePerCm * s.ScrewDiameter, pitch = kMetrePerCm * s.ScrewPitch;
        helix = std::atan(pitch / (kPi * d));
        width = pitch * std::cos(helix) - kMetrePerCm * s.FlightWidth;
        flightWidth = kMetrePerCm * s.FlightWidth;
        speed = kPi * d * s.ScrewSpeed / 60;
        turnNormal = kPi * d * std::cos(helix);
    }

    ChannelSection Section(Extended meltWidth, Extended depth, Extended clearance) const {
        return {meltWidth, depth, flightWidth, clearance, speed * std::cos(helix), speed * std::sin(helix), turnNormal};
    }
};

// Runs `work` for one increment and checks the floating-point flags after
// it; an error names the increment.
void AtIncrement(int number, double flight, const std::function<void()>& work) {
    const std::string where = " at increment " + std::to_string(number) + " (FLIGHT " + NumberText(flight, 2) + ")";
    try {
        work();
        CheckFaults("the melt conveying");
    } catch (const ArithmeticError& error) {
        throw ArithmeticError(error.what() + where, number, flight);
    } catch (const ConvergenceError& error) {
        throw ConvergenceError(error.what() + where, number, flight);
    } catch (const SimulationError& error) {
        throw SimulationError(error.what() + where, number, flight);
    }
}

// "FLIGHT 5.10 to 7.30, 9.10" of the rows where `holds`, or "".
template <class Holds>
std::string Spans(const std::vector<ProfileRow>& rows, Holds holds) {
    std::string spans;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!holds(i)) continue;
        const std::size_t first = i;
        while (i + 1 < rows.size() && holds(i + 1)) ++i;
        spans += (spans.empty() ? "FLIGHT " : ", ") + NumberText(rows[first].flight, 2);
        if (i > first) spans += " to " + NumberText(rows[i].flight, 2);
    }
    return spans;
}

std::vector<Warning> WarningsOf(const ExtruderRun& run, const SimulationState& s, const ExtruderInputs& inputs,
                                const std::vector<bool>& narrowPool) {
    std::vector<Warning> warnings;
    const auto& rows = run.profile;
    const auto pressureBefore = [&](std::size_t i) { return i == 0 ? run.startPressure : rows[i - 1].pressure; };
    const auto warn = [&](const char* code, const std::string& message, auto holds) {
        const std::string where = Spans(rows, holds);
        if (!where.empty()) warnings.push_back({code, message, where});
    };
    const auto extreme = [&](auto value) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < rows.size(); ++i)
            if (value(i) > value(best)) best = i;
        return best;
    };
    if (rows.empty()) return warnings;

    const std::size_t steepest = extreme([&](std::size_t i) { return pressureBefore(i) - rows[i].pressure; });
    warn("pressure-falling",
         "the channel must carry more than it drags here: the pressure falls along it (by up to " +
             NumberText(pressureBefore(steepest) - rows[steepest].pressure, 3, 3) + " MPa in the increment at FLIGHT " +
             NumberText(rows[steepest].flight, 2) + ")",
         [&](std::size_t i) { return rows[i].pressure < pressureBefore(i); });
    const std::size_t lowest = extreme([&](std::size_t i) { return -rows[i].pressure; });
    warn("pressure-below-zero",
         "the pressure falls below zero (down to " + NumberText(rows[lowest].pressure, 3, 3) + " MPa at FLIGHT " +
             NumberText(rows[lowest].flight, 2) +
             "): the channel would run partly filled (starved) there; the pressures given are those of a "
             "filled channel",
         [&](std::size_t i) { return rows[i].pressure < 0; });
    warn("melt-pool-too-narrow",
         "the solid bed leaves no melt pool as wide as the channel is deep, or one whose melt would have to move "
         "faster than the barrel: the melt moves with the bed there, and the pressure is carried unchanged "
         "through these increments",
         [&](std::size_t i) { return narrowPool[i]; });
    if (!run.meltingComplete)
        warnings.push_back({"melting-incomplete-at-die",
                            "the bed has not melted at the end of the screw (X/W " +
                                NumberText(s.ResSolidFraction[s.StepCount], 3) +
                                " at the last row): solid polymer reaches the die; its pressure drop is taken as "
                                "for melt at the melt pool's temperature",
                            "FLIGHT " + NumberText(rows.back().flight, 2)});
    if (inputs.meltTemperatureLimit) {
        const double limit = *inputs.meltTemperatureLimit;
        const std::size_t hottest = extreme([&](std::size_t i) { return rows[i].meltTemperature; });
        warn("melt-above-temperature-limit",
             "the melt reaches " + NumberText(rows[hottest].meltTemperature, 1) + " degC at FLIGHT " +
                 NumberText(rows[hottest].flight, 2) + ", above the limit of " + NumberText(limit, 1) + " degC",
             [&](std::size_t i) { return rows[i].meltTemperature > limit; });
    }
    if (!DieCovers(inputs.die, run.throughput)) {
        const auto& table = std::get<MeasuredDie>(inputs.die);
        warnings.push_back({"die-table-extrapolated",
                            "the throughput " + NumberText(run.throughput, 1) + " kg/hr lies outside the die table's " +
                                NumberText(table.points.front().throughput, 1) + " to " +
                                NumberText(table.points.back().throughput, 1) +
                                " kg/hr: its pressure drop is extrapolated",
                            "die " + DieDescription(inputs.die)});
    }
    return warnings;
}

}  // namespace

void CheckExtruderInputs(const ExtruderInputs& inputs) {
    if (!(inputs.flightClearance >= 0) || !std::isfinite(inputs.flightClearance))
        throw ExtruderInputError("The flight clearance must be a length of 0 cm or more (0: no leakage)");
    if (!(inputs.startPressure >= 0) || !std::isfinite(inputs.startPressure))
        throw ExtruderInputError("The pressure at the start of melting must be a number of 0 MPa or more");
    if (inputs.meltTemperatureLimit && !std::isfinite(*inputs.meltTemperatureLimit))
        throw ExtruderInputError("The melt temperature limit must be a number (degC)");
    CheckDie(inputs.die);
}

ExtruderRun ConveyMelt(const SimulationState& s, const ExtruderInputs& inputs) {
    const FloatingPointEnvironmentGuard environment;
    CheckExtruderInputs(inputs);
    if (!(inputs.flightClearance < s.MeteringDepth && inputs.flightClearance < s.FeedDepth))
        throw ExtruderInputError("The flight clearance (" + NumberText(inputs.flightClearance, 4, 6) +
                                 " cm) must be smaller than the channel's depth");

    const Screw screw(s);
    const Melt melt = MeltOf(s);
    if (!(screw.width > 0))
        throw SimulationError("The channel between the flights is not wider than 0 cm: no melt can flow in it");
    const Extended clearance = kMetrePerCm * inputs.flightClearance;
    const Extended massFlow = KgPerSecond(s.OutputRate);                      // kg/s
    const Extended density = kKgPerM3PerGPerCm3 * s.MeltDensity;              // kg/m3
    const Extended heat = kJPerKgKPerCalPerGK * s.MeltHeat;                   // J/(kg K)
    const Extended conductivity = kWPerMKPerCalPerCmSK * s.MeltConductivity;  // W/(m K)
    // The barrel's heat transfer coefficient by the penetration theory of a
    // wall wiped once a revolution: h = 2 sqrt(k rho c / (pi t)), t = 60/N s.
    const Extended transfer =
        inputs.adiabaticBarrel ? 0 : 2 * std::sqrt(conductivity * density * heat * s.ScrewSpeed / (60 * kPi));
    // The barrel's speed relative to the solid bed, as the march takes it.
    const Extended bedSpeed =
        massFlow / (screw.width * kMetrePerCm * s.FeedDepth * kKgPerM3PerGPerCm3 * s.SolidDensity);
    const Extended relativeSpeed =
        std::hypot(bedSpeed * std::sin(screw.helix), screw.speed - bedSpeed * std::cos(screw.helix));

    ExtruderRun run;
    run.throughput = s.OutputRate;
    run.screwSpeed = s.ScrewSpeed;
    run.startPressure = inputs.startPressure;
    run.meltingComplete = MeltingCompleted(s);
    const std::vector<Increment> increments = ScrewIncrements(s);
    std::vector<bool> narrowPool;
    Extended pressure = kPascalPerMPa * inputs.startPressure;
    Extended poolTemp = 0, poolMass = 0;  // the melt beside the bed: degC, kg/s
    Extended held = 0;                    // kg of polymer in the channel
    Extended previousFraction = 1, previousShare = 0;
    Extended drive = 0, film = 0, dissipation = 0, work = 0, barrel = 0;  // W
    std::optional<Extended> lastGradient;  // of the last increment solved, to start the next

    // One increment: the melt `width` wide carries `flowIn` to `flowOut` (kg/s)
    // at `inletTemp`, `addedAt` the temperature of the melt joining it.
    const auto convey = [&](const Increment& step, ProfileRow& row, Extended width, Extended flowIn, Extended flowOut,
                            Extended inletTemp, Extended addedAt) {
        const Extended dz = kMetrePerCm * step.lengthOnScrew;
        const Extended depth = kMetrePerCm * (step.depth + step.depthAtEnd) / 2;
        const Extended volumeFlow = (flowIn + flowOut) / (2 * density);
        // The pool carries pressure where it is at least as wide as it is
        // deep and its melt need not move faster on average than the barrel.
        // A narrower pool is ruled by its side walls, one of them the bed
        // moving down the channel with the melt (taken as at rest in the
        // channel's flow); there the melt moves with the bed and builds no
        // pressure, nor does it where the bed fills the channel.
        const bool pool = width >= depth && volumeFlow <= screw.speed * std::cos(screw.helix) * width * depth;
        ChannelFlow flow;
        if (pool) {
            flow = SolveChannel(screw.Section(width, depth, clearance), melt, inletTemp, volumeFlow, lastGradient);
            lastGradient = flow.gradient;
        }
        // Energy: the melt joining mixes in at the start; along the increment
        // flowOut c dT/dz = D' + h w (T_b - T), D' and h w constant, whose
        // solution relaxes T towards T_b + D'/(h w) over the length flowOut c / (h w).
        const Extended transferArea = pool ? transfer * width * dz : 0;  // W/K
        const Extended heatIn = flow.dissipation * dz;
        const Extended capacity = flowOut * heat;  // W/K
        const Extended mixed = capacity > 0 ? (flowIn * inletTemp + (flowOut - flowIn) * addedAt) / flowOut : addedAt;
        Extended outletTemp = mixed;
        if (transferArea > 0) {
            const Extended settled = step.barrelTemp + heatIn / transferArea;
            outletTemp = mixed - (settled - mixed) * std::expm1(-transferArea / capacity);
        } else if (capacity > 0) {
            outletTemp = mixed + heatIn / capacity;
        }
        const Extended conducted =
            transferArea > 0 ? capacity * (outletTemp - mixed) - heatIn : 0;  // h A (T_b - mean T)
        const Extended rise = flow.gradient * dz;
        pressure += rise;
        drive += flow.drive * dz;
        dissipation += heatIn;
        work += volumeFlow * rise;
        barrel += conducted;
        row.flight = step.flight;
        row.depth = step.depth;
        row.pressure = Store(pressure / kPascalPerMPa);
        row.meltTemperature = Store(outletTemp);
        row.drivePower = Store(flow.drive * dz / kWattPerKW);
        row.dissipation = Store(heatIn / kWattPerKW);
        row.barrelHeat = Store(conducted / kWattPerKW);
        held += depth * dz * density * std::max<Extended>(width, 0);
        narrowPool.push_back(!pool);
        return outletTemp;
    };

    // The melting rows: the melt pool beside the bed.
    for (int i = 1; i <= s.StepCount; ++i) {
        const Increment& step = increments[static_cast<std::size_t>(i - 1)];
        ProfileRow row;
        AtIncrement(i, step.flight, [&] {
            const Extended fraction = s.ResSolidFraction[i], filmTemp = s.ResFilmAvgTemp[i];
            const Extended share = 1 - std::clamp<Extended>(s.ResSolidFlowRatio[i], 0, 1);
            const Extended meanFraction = (previousFraction + fraction) / 2;
            const Extended bed = screw.width * std::min<Extended>(meanFraction, 1);
            const Extended inletTemp = poolMass > 0 ? poolTemp : filmTemp;
            poolTemp =
                convey(step, row, screw.width - bed, previousShare * massFlow, share * massFlow, inletTemp, filmTemp);
            poolMass = share * massFlow;
            // The film over the bed, sheared at its nominal rate V_j / delta at its mean temperature.
            const Extended dz = kMetrePerCm * step.lengthOnScrew, thickness = kMetrePerCm * s.ResFilmThickness[i];
            const Extended rate = relativeSpeed / thickness;
            const Extended filmDrive = Viscosity(melt, rate, filmTemp) * rate * relativeSpeed * bed * dz;
            row.filmPower = Store(filmDrive / kWattPerKW);
            row.drivePower = Store(row.drivePower + filmDrive / kWattPerKW);
            drive += filmDrive;
            film += filmDrive;
            held += kMetrePerCm * (step.depth + step.depthAtEnd) / 2 * dz * kKgPerM3PerGPerCm3 * s.SolidDensity * bed;
            row.solidFraction = s.ResSolidFraction[i];
            row.melting = true;
            previousFraction = fraction;
            previousShare = share;
        });
        run.profile.push_back(row);
    }

    // After the bed has melted, the whole channel; the melt of the increment
    // that melted the bed joins at that film's mean temperature.
    if (run.meltingComplete) {
        Extended temp = (poolMass * poolTemp + (massFlow - poolMass) * Extended(s.FilmAvgTemp)) / massFlow;
        for (std::size_t i = static_cast<std::size_t>(s.StepCount); i < increments.size(); ++i) {
            ProfileRow row;
            AtIncrement(static_cast<int>(i) + 1, increments[i].flight,
                        [&] { temp = convey(increments[i], row, screw.width, massFlow, massFlow, temp, temp); });
            run.profile.push_back(row);
        }
    }

    run.tipPressure = run.profile.empty() ? run.startPressure : run.profile.back().pressure;
    run.meltTemperature = run.profile.empty() ? s.FilmAvgTemp : run.profile.back().meltTemperature;
    run.drivePower = Store(drive / kWattPerKW);
    run.filmPower = Store(film / kWattPerKW);
    run.dissipation = Store(dissipation / kWattPerKW);
    run.pressureWork = Store(work / kWattPerKW);
    run.barrelHeatToMelt = Store(barrel / kWattPerKW);
    if (s.StepCount > 0)  // the march's conducted heat, from its own kW back to cal/s
        run.barrelHeatToBed = Store((Extended(s.ResTotalPower[s.StepCount]) - s.ResViscousPower[s.StepCount]) /
                                    kKilowattPerCalorie * kJoulePerCalorie / kWattPerKW);
    run.specificEnergy = Store(run.drivePower / Extended(run.throughput));
    run.residenceTime = Store(held / massFlow);
    CheckFaults("the totals of the melt conveying");
    try {
        run.dieDrop = DiePressureDrop(inputs.die, melt, run.throughput, run.meltTemperature);
    } catch (const SimulationError& error) {
        throw SimulationError("The die's pressure drop at " + NumberText(run.throughput, 2, 6) + " kg/hr and " +
                              NumberText(run.meltTemperature, 1) + " degC: " + error.what());
    }
    run.warnings = WarningsOf(run, s, inputs, narrowPool);
    return run;
}

ExtruderCalculation CalculateExtruder(const FieldTexts& texts, char separator, const ExtruderInputs& inputs) {
    CheckExtruderInputs(inputs);
    ExtruderCalculation result{Calculate(texts, separator), std::nullopt, ""};
    if (result.calculation.outcome != RequestOutcome::Completed) return result;
    try {
        result.run = ConveyMelt(result.calculation.state, inputs);
    } catch (const SimulationError& error) {
        result.error = error.what();
    }
    return result;
}

double OpenDischargeCapacity(const SimulationState& inputs, double flightClearance) {
    const FloatingPointEnvironmentGuard environment;
    const Screw screw(inputs);
    if (!(screw.width > 0) || !(inputs.MeteringDepth > 0))
        throw SimulationError("The metering channel has no width or depth: its flights leave no channel");
    const Extended flow = OpenDischargeFlow(
        screw.Section(screw.width, kMetrePerCm * inputs.MeteringDepth, kMetrePerCm * flightClearance));
    const double capacity = Store(KgPerHour(flow * kKgPerM3PerGPerCm3 * inputs.MeltDensity));
    CheckFaults("the open-discharge capacity");
    return capacity;
}

}  // namespace tadmor::extruder
