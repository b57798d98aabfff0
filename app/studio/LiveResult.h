// What one live calculation of the studio gives: the run, its summary and
// warnings, with a die the pressure along the screw, the charts, and the
// outcome in plain words. No Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/studio/StudioInputs.h"
#include "charts/Chart.h"

namespace tadmor::studio {

struct LiveResult {
    std::uint64_t generation = 0;  // the edit it answers; a newer one supersedes it
    inputs::Case inputs;
    std::optional<extruder::ExtruderInputs> extruderInputs;
    Calculation calculation;
    RunSummary summary;                             // with every warning of the case
    std::optional<extruder::ExtruderRun> extruder;  // with a die, when the melt conveying was solved
    std::string extruderError;                      // why it was not
    charts::Chart melting;                          // X/W, QS/QT and the temperatures along the screw
    std::optional<charts::Chart> pressure;          // with a die: pressure, melt temperature and X/W
    std::string outcome;                            // in plain words
};

// Runs the calculation of `request` (the plain one, or with a die the whole
// extruder at the given throughput) and builds what the studio shows.
LiveResult ComputeLive(const StudioRequest& request, std::uint64_t generation);

// "Melted at FLIGHT 19.9 of 24.7", "9 % of the bed and 3 % of the throughput
// still solid at the end of the screw (FLIGHT 24.7)", "Not calculated: ...",
// "The calculation failed at FLIGHT ...: ..."; with a die, the pressure and
// melt temperature at the tip against the die's need.
std::string OutcomeWords(const LiveResult& result);

// The FLIGHT spans of the warnings that name them ("FLIGHT 10.65 to 24.70,
// 26.1"), one band each, named by the warning's code; a single FLIGHT is a
// span of one increment's width around it (`halfWidth` each side).
std::vector<charts::Band> WarningSpans(const std::vector<Warning>& warnings, double halfWidth = 0.05);

// The values of the named curves of `panel` at `x` (linear between points),
// "FLIGHT 12.30: X/W 0.520, QS/QT 0.401"; empty where no curve reaches x.
std::string Readout(const charts::Chart& chart, std::size_t panel, double x);

// The chart with the curves of `other` (a pinned case) added faint and
// unnamed behind its own, panel by panel.
charts::Chart WithFaintCurves(charts::Chart chart, const charts::Chart& other);

}  // namespace tadmor::studio
