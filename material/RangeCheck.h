// Where a run leaves the range that its material's viscosity law was fitted
// over: extrapolated viscosities are the first thing to distrust.
#pragma once

#include <string>
#include <vector>

#include "app/request/Warnings.h"
#include "material/Material.h"
#include "model/Cal_Main.h"

namespace tadmor::material {

// One warning (code "viscosity-extrapolated") for each way the rows 1..StepCount of a finished run leave
// `range`, with the FLIGHT range of the rows concerned. A row's film spans
// the temperatures from MeltingPoint to the higher of TB and T121, and is
// sheared at its mean rate RelativeSpeed / FILM.
std::vector<Warning> FittedRangeWarnings(const FittedRange& range, const SimulationState& state);

}  // namespace tadmor::material
