// The operating point of the whole extruder at each value of a second input
// (throughput, pressure and melt temperature against screw speed), one
// search a task of the runner.
#pragma once

#include <optional>
#include <vector>

#include "analysis/Runner.h"
#include "analysis/Sweep.h"
#include "extruder/OperatingPoint.h"
#include "inputs/Case.h"

namespace tadmor::analysis {

// The search at each value of `over`, into its place in `results`; a value
// not searched (stopped) is left empty. Returns false when stopped.
bool OperatingPoints(const inputs::Case& base, const extruder::ExtruderInputs& inputs, const VariedInput& over,
                     const extruder::ThroughputScan& scan,
                     std::vector<std::optional<extruder::OperatingPointSearch>>& results, const RunControl& control);

}  // namespace tadmor::analysis
