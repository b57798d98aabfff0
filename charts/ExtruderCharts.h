// The charts of the whole extruder: pressure, melt temperature and X/W along
// the screw; the screw's and the die's characteristics with the operating
// point; and the operating points over a second input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Sweep.h"
#include "charts/Chart.h"
#include "extruder/OperatingPoint.h"

namespace tadmor::charts {

// Pressure, melt temperature (with the barrel's) and X/W against FLIGHT,
// the zones of the screw, the start of melting, where it completed and the
// end of the screw marked.
Chart ExtruderProfileChart(const extruder::ExtruderCalculation& calculation, const std::string& title);

// The pressure the screw builds at its tip and the pressure drop the die
// needs, against throughput, from `points`; the operating point marked when
// there is one.
Chart CharacteristicChart(const std::vector<extruder::CharacteristicPoint>& points,
                          const extruder::ExtruderRun* operatingPoint, const std::string& title);

// Throughput, pressure at the tip, melt temperature and specific energy at
// each value of the second input.
Chart OperatingPointsChart(const analysis::VariedInput& over,
                           const std::vector<std::optional<extruder::OperatingPointSearch>>& results,
                           const std::string& title);

}  // namespace tadmor::charts
