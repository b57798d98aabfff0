// The screw of a case as the studio draws it along the melting chart: its
// zones by FLIGHT (turns from the start of the screw), the channel depth at
// each FLIGHT, the flights to mark and the solid bed's share of the channel
// from the result rows. No Qt: the drawing's numbers are tested without a
// display.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/Cal_Main.h"

namespace tadmor::studio {

struct ScrewZone {
    double from = 0, to = 0;  // FLIGHT
    std::string name;         // "feed", "compression", "metering"
};

struct ScrewDrawing {
    double diameter = 0;           // cm
    double pitch = 0;              // cm, axial length of one turn
    double landShare = 0;          // the part of a turn's axial length the flight land takes
    double feedDepth = 0;          // cm, H1
    double meteringDepth = 0;      // cm, H3
    double meltingStart = 0;       // FLIGHT where melting starts
    std::vector<ScrewZone> zones;  // feed, compression, metering, in order
    // X/W along the screw: (FLIGHT, X/W) at the start of melting (the bed
    // fills the channel), at each result row, and where the bed melted away.
    std::vector<std::pair<double, double>> bed;

    double End() const { return zones.empty() ? 0 : zones.back().to; }
};

// The drawing of the inputs and rows of `state`; nothing when its geometry
// cannot be drawn (a refused or unset case). `meltedFlight` is where the bed
// melted away (the summary's interpolated FLIGHT), when it did.
std::optional<ScrewDrawing> ScrewDrawingOf(const SimulationState& state, std::optional<double> meltedFlight);

// The channel depth (cm) at `flight`: H1 in the feed zone, falling linearly
// over the compression zone, H3 in the metering zone.
double DepthAt(const ScrewDrawing& drawing, double flight);

// The zone that holds `flight`, or nullptr beyond the screw.
const ScrewZone* ZoneAt(const ScrewDrawing& drawing, double flight);

// X/W at `flight`, linear between the points of the bed: 1 before melting
// starts, 0 after the bed melted away, the last row's beyond it when solid
// reached the end of the screw; nothing when no row was recorded.
std::optional<double> SolidFractionAt(const ScrewDrawing& drawing, double flight);

// The FLIGHTs of the flights to draw: every turn from 0 to the end of the
// screw, or every 2, 5, 10, ... turns so that no more than `most` are drawn.
std::vector<double> FlightMarks(const ScrewDrawing& drawing, int most);

}  // namespace tadmor::studio
