// The series of Tadmor and Gogos, Principles of Polymer Processing, 2nd ed.
// (2006), section 6.3, written so that each converges in a few terms:
// 1 - tanh(x) = 2 e^-2x / (1 + e^-2x) falls off exponentially, and the sums
// over odd i of 1/i^3 and 1/i^5 are (7/8) zeta(3) and (31/32) zeta(5).
//
// For H/W below 1 the drag factor is taken from the same Fourier solution
// expanded across the depth instead of the width,
//   F_d = 1 - (16 H / (pi^3 W)) sum over odd i of tanh(i pi W / (2 H)) / i^3,
// and the pressure factor above 1 from the symmetry of the Poisson problem in
// W and H: W H^3 F_p(H/W) = H W^3 F_p(W/H).
#include "extruder/ShapeFactors.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "extruder/Units.h"

namespace tadmor::extruder {

namespace {

constexpr Extended kOddZeta3 = 1.05179979026464499972L;  // (7/8) zeta(3)
constexpr Extended kOddZeta5 = 1.00452376279513961613L;  // (31/32) zeta(5)

// The sum over odd i of tanh(i pi a / 2) / i^power, for a >= 1: its terms
// differ from 1/i^power by less than 2 e^(-pi i), so a few suffice.
Extended OddTanhSum(Extended a, int power, Extended oddZeta) {
    Extended deficit = 0;  // sum of (1 - tanh) / i^power
    for (int i = 1; i < 100; i += 2) {
        const Extended decay = std::exp(-kPi * a * i);
        if (decay < 1e-24L) break;
        deficit += 2 * decay / (1 + decay) / std::pow(Extended(i), power);
    }
    return oddZeta - deficit;
}

Extended PressureFactor(Extended r) {
    if (r > 1) return PressureFactor(1 / r) / (r * r);
    return 1 - 192 * r / (kPi * kPi * kPi * kPi * kPi) * OddTanhSum(1 / r, 5, kOddZeta5);
}

void RequireRatio(double depthOverWidth) {
    if (!(depthOverWidth > 0) || !std::isfinite(depthOverWidth))
        throw std::invalid_argument("The channel's depth over width must be a positive number, not " +
                                    std::to_string(depthOverWidth));
}

}  // namespace

double DragShapeFactor(double depthOverWidth) {
    RequireRatio(depthOverWidth);
    const Extended r = depthOverWidth;
    if (r >= 1) return Store(16 / (kPi * kPi * kPi * r) * OddTanhSum(r, 3, kOddZeta3));
    return Store(1 - 16 * r / (kPi * kPi * kPi) * OddTanhSum(1 / r, 3, kOddZeta3));
}

double PressureShapeFactor(double depthOverWidth) {
    RequireRatio(depthOverWidth);
    return Store(PressureFactor(depthOverWidth));
}

}  // namespace tadmor::extruder
