// The studio's design answers as calls of the libraries, without Qt: the
// melting capacity and its curve over screw speed, and the processing-window
// map of two inputs. Each runs through the runner with the caller's
// RunControl (threads, stop flag, progress).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Runner.h"
#include "analysis/Solve.h"
#include "analysis/Sweep.h"
#include "app/studio/StudioInputs.h"
#include "charts/Chart.h"
#include "charts/MapChart.h"

namespace tadmor::studio {

// `count` evenly spaced values of an input from `from` to `to`.
struct ValueRange {
    double from = 0, to = 0;
    int count = 2;
};

// The range as values of input `field` (index into kInputFields), each
// rounded to 12 significant digits so that 0.1 steps read as written.
// Throws Error of kind Input for fewer than two values, ends that are no
// finite numbers, or equal ends.
analysis::VariedInput RangeOf(int field, const ValueRange& range);

// Half to one and a half times the input's value in `base` (-1 to 1 for 0
// or a text that is no number), `count` values.
ValueRange RangeAround(const inputs::Case& base, int field, int count);

// What tells two requests apart: an answer computed for another key is stale.
std::string CaseKey(const StudioRequest& request);

// The melting capacity: the OutputRate at which the solid just melts by the
// end of the screw, in the default range of the base value, at the case and
// at each screw speed of the curve.
struct CapacityAnswer {
    analysis::SolveProblem problem;  // at the case
    analysis::VariedInput speeds;
    // [0] at the case, then one per speed; empty where stopped before it.
    std::vector<std::optional<analysis::SolveResult>> results;
};

// The problem and speeds; nothing solved yet. Throws as RangeOf and
// analysis::ScannedRange.
CapacityAnswer CapacityOf(const inputs::Case& base, const ValueRange& speeds);

// Solves at the case and at every speed, all as tasks of one runner.
// Returns false when stopped.
bool RunCapacity(CapacityAnswer& answer, const analysis::RunControl& control);

// The capacity curve over the screw speeds solved.
charts::Chart CapacityChart(const CapacityAnswer& answer, const std::string& title);

// A sweep over two inputs, the first across, the second up.
struct MapAnswer {
    analysis::Sweep sweep;
    std::vector<analysis::SweepCase> cases;
    analysis::CaseResults results;
};

// The sweep and its cases; nothing run yet. Throws Error of kind Input for
// one input twice and as RangeOf.
MapAnswer MapOf(const inputs::Case& base, int xField, const ValueRange& x, int yField, const ValueRange& y);

// Runs the cases not run yet. Returns false when stopped.
bool RunMap(MapAnswer& answer, const analysis::RunControl& control);

// The cases run so far.
long CasesRun(const MapAnswer& answer);

// The map coloured by `valueName` (one of charts::kSweepValues); none
// unless every case ran.
std::optional<charts::MapChart> MapChartOf(const MapAnswer& answer, std::string_view valueName,
                                           const std::string& title);

}  // namespace tadmor::studio
