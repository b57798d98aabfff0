// The march against the closed-form solid bed profiles of the Tadmor melting
// model, in the limit where viscous dissipation is negligible (derived in
// support/ClosedFormMelting.h).
#include <gtest/gtest.h>

#include <cmath>

#include "model/Cal_Main.h"
#include "support/ClosedFormMelting.h"

namespace tadmor {
namespace {

using test::Channel;
using test::Derive;
using test::kMelted;
using test::VanishingViscosity;

// Largest relative difference between the march's X/W and `profile` at the
// end of each row's increment (row i ends at i steps of `step` cm); checks that
// the march stops at the increment in which the profile falls to the melted
// fraction (X/W 0.002, a little before z_T where it reaches 0). MeltedFlight
// is checked against the FLIGHT where the profile reaches that fraction.
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
    // Where X/W falls to the melted fraction: 1 - psi z / (2 H) = sqrt(0.002).
    const double meltedFlight = s.DelayTurns + 2 * h * (1 - std::sqrt(kMelted)) / c.psi / c.turnLength;
    EXPECT_NEAR(MeltedFlight(s), meltedFlight, 1e-8);
    EXPECT_NEAR(MeltedFlight(s), IncrementFlight(s), 0.1);  // within the last increment, a fifth of a turn
    std::printf("constant depth: psi %.9g, %d rows, melted at %.4f turns, worst X/W difference %.2e relative\n", c.psi,
                s.StepCount, meltedTurns, worst);
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
    // ratio - (ratio - 1) sqrt(H1 / (H1 - A z)) = sqrt(0.002) at the melted fraction.
    const double root = (ratio - 1) / (ratio - std::sqrt(kMelted));
    const double meltedFlight = s.DelayTurns + h1 * (1 - root * root) / taper / c.turnLength;
    EXPECT_NEAR(MeltedFlight(s), meltedFlight, 1e-8);
    EXPECT_NEAR(MeltedFlight(s), IncrementFlight(s), 0.05);  // within the last increment, a tenth of a turn
    std::printf("tapered: psi %.9g, A/psi %.6f, %d rows, melted at %.4f turns, worst X/W difference %.2e relative\n",
                c.psi, taper / c.psi, s.StepCount, meltedTurns, worst);
}

}  // namespace
}  // namespace tadmor
