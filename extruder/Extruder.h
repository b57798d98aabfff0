// The whole extruder from the start of melting to the die: the melting march
// as the plain calculation runs it, and beside it the melt's pressure and
// temperature along the screw, the power, and the die at the tip.
// docs/extruder.md describes the model, its equations and its sources.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "app/request/Warnings.h"
#include "extruder/Die.h"

namespace tadmor::extruder {

// What the whole-extruder calculation takes beyond the melting inputs.
struct ExtruderInputs {
    double flightClearance = 0;  // cm between flight land and barrel; 0: no leakage, as the melting model assumes
    double startPressure = 0;    // MPa at the start of melting
    std::optional<double> meltTemperatureLimit;  // degC; a melt above it is warned of
    bool adiabaticBarrel = false;                // the barrel exchanges no heat with the melt
    Die die = Capillary{};
};

// Throws ExtruderInputError unless the numbers are finite, the clearance and
// start pressure not negative, and the die usable.
void CheckExtruderInputs(const ExtruderInputs& inputs);

// One increment of the screw.
struct ProfileRow {
    double flight = 0;           // turns, the middle of the increment (FLIGHT)
    double depth = 0;            // cm at its start (DEPTH)
    double solidFraction = 0;    // X/W at its end, as the march records it; 0 once melted
    double pressure = 0;         // MPa at its end
    double meltTemperature = 0;  // degC, bulk melt temperature at its end (the melt pool's during melting)
    double drivePower = 0;       // kW the barrel puts in over the increment (melt film included)
    double filmPower = 0;        // kW of it in the melt film over the bed
    double dissipation = 0;      // kW dissipated in the melt beside the film
    double barrelHeat = 0;       // kW conducted from the barrel into that melt (negative: out of it)
    bool melting = false;        // a row of the melting march
};

struct ExtruderRun {
    double throughput = 0;        // kg/hr
    double screwSpeed = 0;        // rpm
    double startPressure = 0;     // MPa
    double tipPressure = 0;       // MPa the screw builds at its tip
    double dieDrop = 0;           // MPa the die needs at this throughput and melt temperature
    double meltTemperature = 0;   // degC at the tip, entering the die
    double drivePower = 0;        // kW, shear stress times speed over the barrel, over the whole filled channel
    double filmPower = 0;         // kW of it dissipated in the melt film over the bed
    double dissipation = 0;       // kW dissipated in the rest of the melt
    double pressureWork = 0;      // kW, the melt's flow times its pressure rise
    double barrelHeatToMelt = 0;  // kW conducted from the barrel into the melt
    double barrelHeatToBed = 0;   // kW conducted from the barrel through the film into the bed (the march's)
    double specificEnergy = 0;    // kWh/kg, drive power over throughput
    double residenceTime = 0;     // s, the polymer held in the channel over the throughput
    bool meltingComplete = false;
    std::vector<ProfileRow> profile;
    // Codes: pressure-falling, pressure-below-zero, melt-pool-too-narrow,
    // melting-incomplete-at-die, melt-above-temperature-limit,
    // die-table-extrapolated. The melting run's own (app/request/Warnings)
    // are not repeated here.
    std::vector<Warning> warnings;
};

// The melt conveying along the screw after a completed march on `marched`
// (its inputs and rows), and the die at its tip. Throws SimulationError when
// the melt flow cannot be solved, ExtruderInputError for unusable inputs.
ExtruderRun ConveyMelt(const SimulationState& marched, const ExtruderInputs& inputs);

// The plain calculation (Calculate) and, when it completes, the melt
// conveying after it.
struct ExtruderCalculation {
    Calculation calculation;         // exactly as Calculate gives it
    std::optional<ExtruderRun> run;  // when the march completed and the conveying could be solved
    std::string error;               // why the conveying could not be solved
};
ExtruderCalculation CalculateExtruder(const FieldTexts& texts, char separator, const ExtruderInputs& inputs);

// The metering zone's open-discharge capacity: its drag flow less the leakage
// over the flights, kg/hr of melt (inputs in the model's units; the clearance
// in cm).
double OpenDischargeCapacity(const SimulationState& inputs, double flightClearance);  // SimulationError: no channel

}  // namespace tadmor::extruder
