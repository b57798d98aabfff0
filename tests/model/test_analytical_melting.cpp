// The march against the closed-form solid bed profiles of the Tadmor melting
// model, in the limit where viscous dissipation is negligible.
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
// below is computed here from the inputs, not taken from the program.
#include <gtest/gtest.h>

#include <cmath>

#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace tadmor {
namespace {

constexpr double kModelCircle = 3.1415926;  // the circle constant the model is defined with
constexpr double kMelted = 0.002;           // X/W at which the march counts the bed as melted

// The window's polymer, but with a viscosity of about 1e-13 gf s/cm2 that
// depends on temperature alone (b = -0.01 1/degC), a constant barrel and a
// lower throughput so that the bed melts within one zone.
SimulationState VanishingViscosity() {
    SimulationState s = test::DefaultInputs();
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

Channel Derive(const SimulationState& s) {
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

// Largest relative difference between the march's X/W and `profile` at the
// end of each row's increment (row i ends at i steps of `step` cm); checks that
// the march stops at the increment in which the profile falls to the melted
// fraction (X/W 0.002, a little before z_T where it reaches 0).
template <typename Profile>
double CompareRows(const SimulationState& s, double step, Profile profile) {
    double worst = 0;
    for (int i = 1; i <= s.StepCount; ++i) {
        const double expected = profile(i * step);
        worst = std::fmax(worst, std::fabs(s.ResSolidFraction[i] - expected) / expected);
    }
    EXPECT_TRUE(MeltingCompleted(s));
    EXPECT_GT(profile(s.StepCount * step), kMelted);
    EXPECT_LE(profile((s.StepCount + 1) * step), kMelted);
    return worst;
}

TEST(AnalyticalMelting, ConstantDepthChannelFollowsTheParabolicProfile) {
    // Melting starts a turn into a feed zone long enough to melt in.
    SimulationState s = VanishingViscosity();
    s.DelayTurns = 1;
    s.FeedTurns = 41;
    RunMarch(s);
    const Channel c = Derive(s);
    const double h = s.FeedDepth;
    const double worst = CompareRows(s, c.turnLength / 5, [&](double z) {
        const double root = 1 - c.psi * z / (2 * h);
        return root * root;
    });
    EXPECT_LT(worst, 1e-9);
    const double meltedTurns = 2 * h / c.psi / c.turnLength;
    EXPECT_GT(s.StepCount, 50);
    std::printf("constant depth: psi %.9g, %d rows, melted at %.4f turns, worst X/W difference %.2e relative\n",
                c.psi, s.StepCount, meltedTurns, worst);
}

TEST(AnalyticalMelting, TaperedChannelFollowsTheSquareRootProfile) {
    // Melting starts at the start of a long compression zone.
    SimulationState s = VanishingViscosity();
    s.FeedTurns = 2;
    s.DelayTurns = 2;
    s.CompressionTurns = 20;
    RunMarch(s);
    const Channel c = Derive(s);
    const double h1 = s.FeedDepth;
    const double taper = (s.FeedDepth - s.MeteringDepth) / (s.CompressionTurns * c.turnLength);
    const double ratio = c.psi / taper;
    const double worst = CompareRows(s, c.turnLength / 10, [&](double z) {
        const double root = ratio - (ratio - 1) * std::sqrt(h1 / (h1 - taper * z));
        return root * root;
    });
    EXPECT_LT(worst, 1e-9);
    const double meltedTurns = h1 / c.psi * (2 - taper / c.psi) / c.turnLength;
    EXPECT_GT(s.StepCount, 50);
    EXPECT_LT(meltedTurns, s.CompressionTurns);  // the bed melts before the taper ends
    std::printf("tapered: psi %.9g, A/psi %.6f, %d rows, melted at %.4f turns, worst X/W difference %.2e relative\n",
                c.psi, taper / c.psi, s.StepCount, meltedTurns, worst);
}

}  // namespace
}  // namespace tadmor
