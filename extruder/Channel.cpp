// The flow balance of the channel with leakage over the flights, for
// Newtonian flow between flat plates (the melt in the channel of width W and
// depth H, and in the clearance delta over the flight land e):
//
//   channel, across:  q_x = V_bx H / 2 - H^3 g_x / (12 mu)
//   clearance, across: q_L = V_bx delta / 2 - delta^3 G_x / (12 mu_f)
//   continuity: q_x = q_L; periodicity: g_x W + G_x e = -g L_n
//   down the channel: Q = W q_z + e q_fz - L_n q_L,
//   q_fz = V_bz delta / 2 - delta^3 g / (12 mu_f)
//
// where x points the way the barrel drags across the channel (towards the
// pushing flight, and over it back into the turn before), g = dP/dz, and
// L_n = pi D cos(theta) is the down-channel distance between the two sides
// of a flight. The pressure difference across the land is the down-channel
// one of L_n plus the circulation's rise across the channel. Without a
// clearance q_L = 0 and g_x = 6 mu V_bx / H^2. Summing the pressure work of
// the four flows gives g Q: the power balance of an increment is
// drive = dissipation + Q dP.
#include "extruder/Channel.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "extruder/Numerics.h"
#include "extruder/Plate.h"
#include "extruder/ShapeFactors.h"

namespace tadmor::extruder {

namespace {

// The cross-channel gradient g_x = across + acrossPerGradient g and the
// leakage q_L = leak + leakPerGradient g, linear in the down-channel gradient g.
struct CrossFlow {
    Extended across, acrossPerGradient, leak, leakPerGradient;
};

CrossFlow CrossFlowOf(const ChannelSection& c, Extended channelViscosity, Extended clearanceViscosity) {
    const Extended h = c.depth, v = c.speedAcross, mu = channelViscosity;
    if (c.clearance == 0) return {6 * mu * v / (h * h), 0, 0, 0};
    const Extended d = c.clearance, muF = clearanceViscosity;
    const Extended conductance = h * h * h / (12 * mu) + d * d * d * c.width / (12 * muF * c.flightWidth);
    const Extended across = v * (h - d) / 2 / conductance;
    const Extended acrossPerGradient = -d * d * d * c.turnNormal / (12 * muF * c.flightWidth) / conductance;
    return {across, acrossPerGradient, v * h / 2 - h * h * h * across / (12 * mu),
            -h * h * h * acrossPerGradient / (12 * mu)};
}

}  // namespace

ChannelFlow SolveChannel(const ChannelSection& c, const Melt& melt, Extended temperature, Extended volumeFlow,
                         std::optional<Extended> guess) {
    const Extended w = c.width, h = c.depth, e = c.flightWidth, d = c.clearance, ln = c.turnNormal;
    const Extended fd = DragShapeFactor(Store(h / w)), fp = PressureShapeFactor(Store(h / w));
    const Extended speed = std::hypot(c.speedDown, c.speedAcross);
    const Extended mu = Viscosity(melt, speed / h, temperature);
    const Extended muF = d > 0 ? Viscosity(melt, speed / d, temperature) : 0;
    const CrossFlow cross = CrossFlowOf(c, mu, muF);
    const Plate plate(melt, temperature, fd * c.speedDown, h, 1 / fp);

    // Flow along the flight land, and the throughput at gradient g.
    const auto landFlow = [&](Extended g) {
        return d > 0 ? c.speedDown * d / 2 - d * d * d * g / (12 * muF) : Extended(0);
    };
    // The flow carried at gradient g less the throughput, and its slope: both fall as g rises.
    PlateFlow down{};  // at the gradient last tried: the solution's, once found
    const auto excess = [&](Extended g) {
        down = plate.AtGradient(g);
        return ValueSlope{w * down.flow + e * landFlow(g) - ln * (cross.leak + cross.leakPerGradient * g) - volumeFlow,
                          w * down.flowSlope - (d > 0 ? e * d * d * d / (12 * muF) : 0) - ln * cross.leakPerGradient};
    };
    // The Newtonian solution: exact for a Newtonian law; else, with the
    // viscosity at the plate's nominal shear rate, the first guess.
    const Extended muDown = IsNewtonian(melt) ? mu : Viscosity(melt, fd * c.speedDown / h, temperature);
    const Extended newtonian =
        (w * fd * c.speedDown * h / 2 + e * landFlow(0) - ln * cross.leak - volumeFlow) /
        (w * fp * h * h * h / (12 * muDown) + (d > 0 ? e * d * d * d / (12 * muF) : 0) + ln * cross.leakPerGradient);
    Extended g = newtonian;
    if (IsNewtonian(melt)) {
        down = plate.AtGradient(g);
    } else {
        // The gradient of a pressure flow as large as the drag flow sets the scale.
        const Extended scale = std::fabs(newtonian) + 6 * muDown * c.speedDown / (fp * h * h);
        const Extended largest = plate.LargestGradient() * (1 - 1e-9L);
        g = -SafeNewton(
            [&](Extended minusG) {
                const ValueSlope at = excess(-minusG);
                return ValueSlope{at.value, -at.slope};
            },
            std::clamp(-guess.value_or(newtonian), -largest / 2, largest / 2), 0.05L * scale, -largest, largest,
            1e-13L * scale, "pressure gradient of the channel flow");
    }

    const Extended gx = cross.across + cross.acrossPerGradient * g;
    const Extended vz = c.speedDown, vx = c.speedAcross, u = fd * vz;
    ChannelFlow flow;
    flow.gradient = g;
    flow.drive = w * u * down.barrelStress + w * vx * (mu * vx / h + gx * h / 2);
    flow.dissipation = w * down.dissipation + w * (mu * vx * vx / h + gx * gx * h * h * h / (12 * mu));
    if (d > 0) {
        const Extended gl = (-g * ln - gx * w) / e;  // across the land
        flow.drive += e * (vx * (muF * vx / d + gl * d / 2) + vz * (muF * vz / d + g * d / 2));
        flow.dissipation += e * (muF * (vx * vx + vz * vz) / d + (gl * gl + g * g) * d * d * d / (12 * muF));
    }
    return flow;
}

Extended OpenDischargeFlow(const ChannelSection& c) {
    const Extended h = c.depth;
    const CrossFlow cross = CrossFlowOf(c, 1, 1);
    return c.width * DragShapeFactor(Store(h / c.width)) * c.speedDown * h / 2 +
           c.flightWidth * c.speedDown * c.clearance / 2 - c.turnNormal * cross.leak;
}

}  // namespace tadmor::extruder
