// The flows of the melt: between the plates of the channel and through the
// dies, against closed forms and against velocity profiles integrated
// numerically here.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "extruder/Channel.h"
#include "extruder/Die.h"
#include "extruder/Plate.h"
#include "model/Arithmetic.h"

namespace tadmor::extruder {
namespace {

constexpr double kPi = std::numbers::pi;

// A power-law melt, eta = m gamma^(n-1) Pa s (the law with a1 = n - 1 only).
Melt PowerLaw(double n, double m) {
    Melt melt;
    melt.a0 = std::log(m / 98.0665);
    melt.a1 = n - 1;
    melt.density = 0.8;
    return melt;
}

double PowerLawRate(double stress, double n, double m) {
    return std::copysign(std::pow(std::fabs(stress) / m, 1 / n), stress);
}

// The trapezoidal integral of f over [a, b] in `intervals` steps, and the
// running integral from a at every node.
std::vector<double> RunningIntegral(const std::function<double(double)>& f, double a, double b, int intervals) {
    std::vector<double> sums(static_cast<std::size_t>(intervals) + 1, 0);
    const double h = (b - a) / intervals;
    for (int i = 1; i <= intervals; ++i)
        sums[static_cast<std::size_t>(i)] =
            sums[static_cast<std::size_t>(i) - 1] + h / 2 * (f(a + (i - 1) * h) + f(a + i * h));
    return sums;
}

// Richardson's extrapolation of a trapezoidal result computed with n and 2n intervals.
double Extrapolated(const std::function<double(int)>& result, int intervals) {
    return (4 * result(2 * intervals) - result(intervals)) / 3;
}

// ---- Between the plates ------------------------------------------------------

TEST(Plate, ShearThinningMeltAgreesWithTheVelocityProfileIntegratedHere) {
    const FloatingPointEnvironmentGuard environment;
    const double n = 0.45, m = 9000, speed = 0.25, depth = 0.003;
    const Plate plate(PowerLaw(n, m), 200, speed, depth);
    for (const double g : {-2e7, -3e6, 4e6, 3e7}) {
        // The screw stress that brings the velocity to the barrel's speed, by
        // bisection; the flow from the velocity profile.
        const auto profileFlow = [&](int intervals) {
            const auto velocityAtBarrel = [&](double screwStress) {
                return RunningIntegral([&](double y) { return PowerLawRate(screwStress + g * y, n, m); }, 0, depth,
                                       intervals)
                    .back();
            };
            double low = -std::fabs(g) * depth - 1e6, high = std::fabs(g) * depth + 1e6;
            for (int pass = 0; pass < 200; ++pass) {
                const double mid = (low + high) / 2;
                (velocityAtBarrel(mid) < speed ? low : high) = mid;
            }
            const double stress = (low + high) / 2;
            const std::vector<double> u =
                RunningIntegral([&](double y) { return PowerLawRate(stress + g * y, n, m); }, 0, depth, intervals);
            double flow = 0;
            for (std::size_t i = 1; i < u.size(); ++i) flow += depth / intervals * (u[i - 1] + u[i]) / 2;
            return flow;
        };
        EXPECT_NEAR(double(plate.AtGradient(g).flow) / Extrapolated(profileFlow, 4000), 1, 1e-6) << "g " << g;
    }
}

TEST(Channel, NumericalSolutionReducesToTheNewtonianOne) {
    // A law with a vanishing shear-rate term takes the numerical path; the
    // Newtonian one the closed form.
    const FloatingPointEnvironmentGuard environment;
    ChannelSection section;
    section.width = 0.12, section.depth = 0.005, section.flightWidth = 0.012;
    section.speedDown = 0.28, section.speedAcross = 0.09, section.turnNormal = 0.45;
    for (const double clearance : {0.0, 0.0002}) {
        section.clearance = clearance;
        Melt nearly = PowerLaw(1, 300);
        nearly.a1 = -1e-13;
        for (const Extended flow : {1e-5L, 8e-5L, 2e-4L}) {
            const ChannelFlow exact = SolveChannel(section, PowerLaw(1, 300), 230, flow);
            const ChannelFlow numerical = SolveChannel(section, nearly, 230, flow);
            EXPECT_NEAR(double(numerical.gradient / exact.gradient), 1, 1e-9);
            EXPECT_NEAR(double(numerical.drive / exact.drive), 1, 1e-9);
            EXPECT_NEAR(double(numerical.dissipation / exact.dissipation), 1, 1e-9);
            // drive = dissipation + g Q, the power balance of the increment.
            EXPECT_NEAR(double(exact.drive / (exact.dissipation + exact.gradient * flow)), 1, 1e-12);
        }
    }
}

// ---- Dies ---------------------------------------------------------------------

// Volume flow (m3/s) through each die at a pressure drop (Pa), from the
// velocity profile: the shear rate of the local stress integrated from the
// wall, then the velocity over the cross-section.
double CapillaryProfileFlow(double radius, double length, double drop, double n, double m, int intervals) {
    const double wall = drop * radius / (2 * length);
    // u(r) = integral from r to R of the shear rate; run the integral from the wall inwards.
    const std::vector<double> fromWall = RunningIntegral(
        [&](double s) { return PowerLawRate(wall * (radius - s) / radius, n, m); }, 0, radius, intervals);
    double flow = 0;
    const double h = radius / intervals;
    for (int i = 1; i <= intervals; ++i) {
        const double r0 = radius - (i - 1) * h, r1 = radius - i * h;
        flow += 2 * kPi * h / 2 *
                (fromWall[static_cast<std::size_t>(i) - 1] * r0 + fromWall[static_cast<std::size_t>(i)] * r1);
    }
    return flow;
}

double SlitProfileFlow(double width, double height, double length, double drop, double n, double m, int intervals) {
    const double half = height / 2, wall = drop * half / length;
    const std::vector<double> fromWall =
        RunningIntegral([&](double s) { return PowerLawRate(wall * (half - s) / half, n, m); }, 0, half, intervals);
    double flow = 0;
    for (std::size_t i = 1; i < fromWall.size(); ++i) flow += half / intervals * (fromWall[i - 1] + fromWall[i]) / 2;
    return 2 * width * flow;
}

double AnnulusProfileFlow(double outer, double inner, double length, double drop, double n, double m, int intervals) {
    const double k = drop / (2 * length);
    const auto rate = [&](double lambda) {
        return [=](double r) { return -PowerLawRate(k * (r - lambda * lambda / r), n, m); };
    };
    // The radius of zero stress brings the velocity back to 0 at the outer wall.
    double low = inner, high = outer;
    for (int pass = 0; pass < 100; ++pass) {
        const double mid = (low + high) / 2;
        (RunningIntegral(rate(mid), inner, outer, intervals).back() < 0 ? low : high) = mid;
    }
    const std::vector<double> u = RunningIntegral(rate((low + high) / 2), inner, outer, intervals);
    const double h = (outer - inner) / intervals;
    double flow = 0;
    for (int i = 1; i <= intervals; ++i)
        flow += 2 * kPi * h / 2 *
                (u[static_cast<std::size_t>(i) - 1] * (inner + (i - 1) * h) +
                 u[static_cast<std::size_t>(i)] * (inner + i * h));
    return flow;
}

TEST(Die, PowerLawFlowAgreesWithTheIntegratedVelocityProfile) {
    const double drop = 12;  // MPa
    const Die capillary = Capillary{0.4, 3}, slit = Slit{8, 0.15, 2}, annulus = Annulus{2.0, 1.6, 4};
    for (const double n : {0.2, 0.4, 0.6, 0.8, 1.0}) {
        const double m = 20000 * std::pow(0.1, 1 - n);  // a few hundred Pa s at the die's shear rates
        const Melt melt = PowerLaw(n, m);
        const double toKgPerHour = 3600 * 800;
        const double dp = drop * 1e6;
        const double expected[] = {
            Extrapolated([&](int i) { return CapillaryProfileFlow(0.002, 0.03, dp, n, m, i); }, 4000),
            Extrapolated([&](int i) { return SlitProfileFlow(0.08, 0.0015, 0.02, dp, n, m, i); }, 4000),
            Extrapolated([&](int i) { return AnnulusProfileFlow(0.01, 0.008, 0.04, dp, n, m, i); }, 4000)};
        const Die* dies[] = {&capillary, &slit, &annulus};
        for (int kind = 0; kind < 3; ++kind) {
            const double throughput = DieThroughput(*dies[kind], melt, drop, 200);
            EXPECT_NEAR(throughput / (expected[kind] * toKgPerHour), 1, 1e-6)
                << DieDescription(*dies[kind]) << ", n " << n;
            EXPECT_NEAR(DiePressureDrop(*dies[kind], melt, throughput, 200) / drop, 1, 1e-12);
        }
    }
}

}  // namespace
}  // namespace tadmor::extruder
