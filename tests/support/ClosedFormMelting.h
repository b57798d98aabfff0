// Tadmor's closed-form solid bed profiles, in the limit where viscous
// dissipation is negligible: the reference that the march is checked against.
//
// With a melt of vanishing viscosity the melting flux Phi is set by conduction
// alone and stays constant along the channel (constant barrel temperature).
// The solid bed's mass balance, rho_s V_sz d(H X)/dz = -Phi sqrt(X), with the
// solid speed V_sz fixed by the feed depth H1 (G = rho_s V_sz H1 W), becomes
// for s = sqrt(X/W)
//     2 H ds/dz = A s - psi,    psi = Phi sqrt(W) H1 / G,
// whose solutions are, from s = 1 at z = 0,
//     constant depth H:       X/W = (1 - psi z / (2 H))^2,
//                             melted at z_T = 2 H / psi;
//     tapered, H = H1 - A z:  X/W = [psi/A - (psi/A - 1) sqrt(H1/H)]^2,
//                             melted at z_T = (H1/psi) (2 - A/psi).
// Phi itself comes from the heat balance at the solid bed surface of a film
// with the exponential temperature dependence b of the viscosity (Newtonian
// here: n = 1, so A_f = b (Tb - Tm)):
//     Phi = sqrt( Vbx U rho_m k (Tb - Tm) / (2 lambda) ),
//     U = 2 (1/(1 - e^-A_f) - 1/A_f)                    (drag flow shape factor),
//     lambda = Cs (Tm - Ts) + Lf + Cm (Tav - Tm),
//     Tav - Tm = (Tb - Tm) (e^-A_f (1/A_f + 1) + A_f/2 - 1/A_f) / (e^-A_f + A_f - 1)
// (the velocity-weighted mean of the linear film temperature). Everything
// here is computed from the inputs, not taken from the program.
#pragma once

#include <cmath>

#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace tadmor::test {

constexpr double kModelCircle = 3.1415926;  // the circle constant the model is defined with
constexpr double kMelted = 0.002;           // X/W at which the march counts the bed as melted

// The window's polymer, but with a viscosity of about 1e-13 gf s/cm2 that
// depends on temperature alone (b = -0.01 1/degC), a constant barrel and a
// lower throughput so that the bed melts within one zone.
inline SimulationState VanishingViscosity() {
    SimulationState s = DefaultInputs();
    s.ViscA0 = -30;
    s.ViscA1 = s.ViscA11 = s.ViscA22 = s.ViscA12 = 0;
    s.ViscA2 = -0.01;
    s.BarrelC1 = 0;
    s.OutputRate = 150;
    return s;
}

struct Channel {
    double turnLength;  // cm down-channel per turn
    double psi;
};

inline Channel Derive(const SimulationState& s) {
    const double helix = std::atan(s.ScrewPitch / (kModelCircle * s.ScrewDiameter));
    const double width = s.ScrewPitch * std::cos(helix) - s.FlightWidth;
    const double vbx = kModelCircle * s.ScrewDiameter * s.ScrewSpeed / 60 * std::sin(helix);
    const double massFlow = s.OutputRate / 3.6;  // g/s
    const double tb = s.BarrelC0, tm = s.MeltingPoint;
    const double a = s.ViscA2 * (tb - tm);
    const double decay = std::exp(-a);
    const double shape = 2 * (1 / (1 - decay) - 1 / a);
    const double tav = tm + (tb - tm) * (decay * (1 / a + 1) + a / 2 - 1 / a) / (decay + a - 1);
    const double lambda = s.SolidHeat * (tm - s.SolidTemp) + s.FusionHeat + s.MeltHeat * (tav - tm);
    const double phi = std::sqrt(vbx * shape * s.MeltDensity * s.MeltConductivity * (tb - tm) / (2 * lambda));
    return {kModelCircle * s.ScrewDiameter / std::cos(helix), phi * std::sqrt(width) * s.FeedDepth / massFlow};
}

}  // namespace tadmor::test
