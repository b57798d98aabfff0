// A run's results for other tools: CSV and JSON at full precision.
#pragma once

#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "app/request/Warnings.h"
#include "inputs/Case.h"

namespace tadmor::exporting {

// One header line "FLIGHT (turns),DEPTH (cm),...", then rows 1..StepCount;
// with a material, MaterialComment before them.
std::string ResultsCsv(const SimulationState& state, const std::optional<material::Material>& material = {});

// The inputs by variable name (numbers, or the text of one that is not a
// number, as `given` has them), the outcome, its message (null when none),
// the rows recorded, the FLIGHT of the increment where melting completed (or
// null), the columns with their units, the rows as objects keyed by
// heading, the warnings, and the material with its sources (or null).
std::string ResultsJson(const inputs::Case& given, const Calculation& calculation,
                        const std::vector<Warning>& warnings);

}  // namespace tadmor::exporting
