// Where a run leaves the ground the model stands on: diagnostics of the
// inputs and of the finished state. They never change a result or a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Cal_Main.h"
#include "model/NumberText.h"

namespace tadmor {

struct Warning {
    std::string code;     // stable, for scripts: "bed-wider-than-channel", ...
    std::string message;  // what is wrong and what it means, for an engineer
    std::string where;    // "FLIGHT 5.10 to 7.30", "input ScrewDiameter", or empty
};

// The warnings of a run: of its inputs always, of its rows 1..StepCount when
// it recorded any. The codes:
//   melting-beyond-screw          DelayTurns at or beyond the end of the screw
//   bed-wider-than-channel        X/W above 1
//   negative-solid-flow           QS/QT below -0.01 at the end
//   geometry-implausible          a depth above a third of the diameter, a pitch
//                                 outside 0.5 to 2 diameters
//   no-rows                       the bed melted before a row was recorded
//   solid-above-melting-point     SolidTemp at or above MeltingPoint
//   barrel-not-above-melting-point  TB at or below MeltingPoint in a row
//   barrel-temperature-implausible  TB outside 0 to 450 degC in a row
//   dimension-implausible         a screw dimension above 100 cm
//   power-law-index-outside       the local power-law index n outside (0, 1]
//   temperature-sensitivity-not-positive  -d ln(eta)/dT of the local law at or below 0
//   film-hotter-than-barrel       T121 above TB
// (viscosity-extrapolated, beyond a material file's fitted range, comes from
// material/RangeCheck.)
std::vector<Warning> RunWarnings(const SimulationState& state);

// The warning "no-rows" of a completed run whose bed melted within the first
// increment (but for melting that starts beyond the screw, warned of as such).
std::optional<Warning> NoRowsWarning(const SimulationState& state);

// "message at FLIGHT ... [code]" or "message (input NAME) [code]": one line as
// the command prints it.
std::string WarningLine(const Warning& warning);

// The codes of `warnings` in order, each once, separated by spaces.
std::string WarningCodes(const std::vector<Warning>& warnings);

// The FLIGHT spans of rows 1..StepCount where `outside(row)` holds, as
// "5.10 to 7.30, 9.10"; empty when it holds nowhere.
template <class Predicate>
std::string FlightSpans(const SimulationState& s, Predicate outside) {
    std::string spans;
    for (int row = 1; row <= s.StepCount; ++row) {
        if (!outside(row)) continue;
        const int first = row;
        while (row < s.StepCount && outside(row + 1)) ++row;
        spans += (spans.empty() ? "" : ", ") + NumberText(s.ResFlight[first], 2);
        if (row > first) spans += " to " + NumberText(s.ResFlight[row], 2);
    }
    return spans;
}

}  // namespace tadmor
