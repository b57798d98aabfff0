// The down-channel flow balance of one increment of the screw channel filled
// with melt (the whole channel, or the melt pool beside the solid bed): the
// pressure gradient that carries a given throughput, and the power the barrel
// puts into the melt there.
#pragma once

#include <optional>

#include "extruder/Melt.h"

namespace tadmor::extruder {

// The geometry of one increment, in SI units.
struct ChannelSection {
    Extended width = 0;        // m, width of the melt normal to the flights: W, or W - X beside the bed
    Extended depth = 0;        // m, H
    Extended flightWidth = 0;  // m, e, the flight land
    Extended clearance = 0;    // m, delta between the flight land and the barrel; 0: none
    Extended speedDown = 0;    // m/s, V_bz, the barrel's speed along the channel
    Extended speedAcross = 0;  // m/s, V_bx, across the channel
    Extended turnNormal = 0;   // m, pi D cos(theta): down-channel distance between the two sides of a flight
};

// Per unit down-channel length.
struct ChannelFlow {
    Extended gradient = 0;     // Pa/m, dP/dz
    Extended drive = 0;        // W/m, shear stress times speed over the barrel (channel and flight land)
    Extended dissipation = 0;  // W/m, viscous dissipation in the melt
};

// The flow that carries `volumeFlow` (m3/s) down the channel at `temperature`
// (degC). The down-channel flow is the one-dimensional flow between the plates
// (Plate) corrected for the flights by the Newtonian shape factors: barrel
// speed F_d V_bz, viscosity law divided by F_p. With a Newtonian law, in
// closed form:
//   Q = F_d V_bz W H / 2 - F_p W H^3 g / (12 mu)
// The cross-channel circulation, and with a clearance the leakage over the
// flights, are Newtonian at the law's viscosity at V_b/H (the channel) and
// V_b/delta (the clearance).
// `guess` starts the search for the gradient (the last increment's, say).
ChannelFlow SolveChannel(const ChannelSection& section, const Melt& melt, Extended temperature, Extended volumeFlow,
                         std::optional<Extended> guess = std::nullopt);

// The flow (m3/s) the channel drags with no pressure gradient, less the
// leakage over the flights, for a melt of the same viscosity in the channel
// and the clearance (which makes it independent of the viscosity).
Extended OpenDischargeFlow(const ChannelSection& section);

}  // namespace tadmor::extruder
