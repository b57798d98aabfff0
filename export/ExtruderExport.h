// The whole extruder for other tools: the JSON of a calculation (its
// operating point and its rows along the screw), the rows as CSV, and the
// curve of operating points over a second input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Sweep.h"
#include "export/Table.h"
#include "extruder/OperatingPoint.h"
#include "inputs/Case.h"

namespace tadmor::exporting {

// What the extruder command and Python report of one calculation: a flood-fed
// search (its operating point, or why there is none) or a throughput given.
struct ExtruderAnswer {
    bool floodFed = true;
    std::optional<extruder::OperatingPointSearch> search;      // flood-fed
    std::optional<extruder::ExtruderCalculation> calculation;  // the point's, or the given throughput's
    std::vector<Warning> warnings;                             // of the melting run and of the conveying
};

// The calculation reported: the operating point's, or the given throughput's.
const extruder::ExtruderCalculation* Reported(const ExtruderAnswer& answer);

// The rows along the screw: FLIGHT (turns), DEPTH (cm), X/W (-), P (MPa),
// TM (degC), drive power, film power, dissipation and barrel heat (kW) of
// each increment; the melting rows with the march's other columns.
struct ProfileRowOf {
    const extruder::ProfileRow* row;
    const SimulationState* state;  // the march, for a melting row's other columns
    int index;                     // from 1
};
std::vector<Column<ProfileRowOf>> ProfileColumns();
std::vector<ProfileRowOf> ProfileRows(const extruder::ExtruderCalculation& calculation);

// The JSON document: inputs, die, mode, "operatingPoint" (OutputRate,
// ScrewSpeed, pressure, dieDrop, meltTemperature, drivePower, specificEnergy,
// residenceTime, barrelHeat, pressureWork) or null with "none", the melting
// outcome, "rows" and "warnings".
std::string ExtruderJson(const inputs::Case& given, const extruder::ExtruderInputs& inputs,
                         const ExtruderAnswer& answer);

// One value of a curve and the search there.
struct OperatingPointRow {
    const std::string* overValue;
    const extruder::OperatingPointSearch* search;
};

// The columns of a curve: the second input, OutputRate (kg/hr), pressure
// (MPa), melt temperature (degC), drive power (kW), specific energy
// (kWh/kg), residence time (s), melting complete, outcome, message.
std::vector<Column<OperatingPointRow>> OperatingPointColumns(const analysis::VariedInput& over);

// The curve's CSV, the values searched only.
std::string OperatingPointsCsv(const analysis::VariedInput& over,
                               const std::vector<std::optional<extruder::OperatingPointSearch>>& results);

}  // namespace tadmor::exporting
