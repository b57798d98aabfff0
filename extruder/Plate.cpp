#include "extruder/Plate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "extruder/Numerics.h"
#include "extruder/Units.h"
#include "model/NumberText.h"

namespace tadmor::extruder {

Plate::Plate(const Melt& melt, Extended temperature, Extended speed, Extended depth, Extended viscosityScale)
    : curve_(melt, temperature), speed_(speed), depth_(depth), scale_(viscosityScale) {
    dragStress_ = scale_ * Viscosity(melt, speed_ / depth_, temperature) * speed_ / depth_;
    largestStress_ = scale_ * curve_.LargestStress() * (1 - 1e-12L);
}

Plate::Sums Plate::Integrals(Extended screwStress, Extended gradient) const {
    const Extended h = depth_;
    Sums sums{0, 0, 0, 0, 0, 0, 0};
    // The piece of the depth from `from` to `to`, with the nodes gathered at
    // `from` (where the stress vanishes, or is the smaller).
    const auto piece = [&](Extended from, Extended to) {
        const Extended length = to - from;
        ForEachNodeFromZero([&](Extended s, Extended weight) {
            const Extended y = from + s * length, tau = screwStress + gradient * y;
            const ShearRate rate = curve_.At(tau / scale_);
            const Extended w = weight * std::fabs(length), slope = w * rate.slope / scale_;
            sums.velocity += w * rate.rate;
            sums.flow += w * (h - y) * rate.rate;
            sums.dissipation += w * tau * rate.rate;
            sums.slope += slope;
            sums.slopeY += slope * y;
            sums.slopeRest += slope * (h - y);
            sums.slopeYRest += slope * y * (h - y);
        });
    };
    const Extended barrelStress = screwStress + gradient * h;
    if ((screwStress > 0 && barrelStress < 0) || (screwStress < 0 && barrelStress > 0)) {
        const Extended zero = -screwStress / gradient;
        piece(zero, 0);
        piece(zero, h);
    } else if (std::fabs(screwStress) <= std::fabs(barrelStress)) {
        piece(0, h);
    } else {
        piece(h, 0);
    }
    return sums;
}

PlateFlow Plate::AtGradient(Extended gradient) const {
    const Extended span = gradient * depth_;  // barrel stress less screw stress
    // Screw stresses that keep the whole depth within the law's stresses.
    const Extended lowest = -largestStress_ - std::fmin(Extended(0), span);
    const Extended highest = largestStress_ - std::fmax(Extended(0), span);
    if (!(lowest < highest))
        throw SimulationError("The viscosity law cannot carry a pressure gradient of " +
                              NumberText(Store(gradient / kPascalPerMPa), 3, 4) + " MPa/m over a depth of " +
                              NumberText(Store(depth_ * 1000), 3, 4) + " mm");
    const Extended scale = dragStress_ + std::fabs(span);
    const Extended guess =
        lastGradient_ ? lastStress_ + lastStressSlope_ * (gradient - *lastGradient_) : dragStress_ - span / 2;
    Sums sums{};  // of the last evaluation: the root's to within the tolerance
    const Extended screwStress = SafeNewton(
        [&](Extended stress) {
            sums = Integrals(stress, gradient);
            return ValueSlope{sums.velocity - speed_, sums.slope};
        },
        std::clamp(guess, lowest + 1e-9L * scale, highest - 1e-9L * scale), 1e-2L * scale, lowest, highest,
        1e-15L * scale, "screw stress of the channel flow");
    // Along the solution the velocity at the barrel stays at the barrel's speed.
    const Extended stressSlope = -sums.slopeY / sums.slope;
    lastGradient_ = gradient;
    lastStress_ = screwStress;
    lastStressSlope_ = stressSlope;
    return {screwStress, screwStress + span, sums.flow, sums.slopeYRest + sums.slopeRest * stressSlope,
            sums.dissipation};
}

}  // namespace tadmor::extruder
