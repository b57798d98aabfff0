// One-dimensional flow of a generalized Newtonian melt between the screw root
// at rest (y = 0) and the barrel moving at `speed` (y = H), along a pressure
// gradient g. The shear stress is linear across the depth,
// tau(y) = tau_s + g y; the shear rate follows from the viscosity law at the
// local stress; the velocity rises from 0 at the screw to the barrel's speed.
#pragma once

#include <optional>

#include "extruder/Melt.h"

namespace tadmor::extruder {

struct PlateFlow {
    Extended screwStress;   // Pa, tau at y = 0
    Extended barrelStress;  // Pa, tau at y = H
    Extended flow;          // m2/s per unit width, the integral of the velocity over the depth
    Extended flowSlope;     // d(flow)/dg, m2/s per Pa/m
    Extended dissipation;   // W/m2, the integral of tau times the shear rate over the depth
};

class Plate {
public:
    // The law's viscosity is multiplied by `viscosityScale` (the flank
    // correction of the channel, 1/F_p; 1 for plain plates).
    Plate(const Melt& melt, Extended temperature, Extended speed, Extended depth, Extended viscosityScale = 1);

    // The flow at pressure gradient `gradient` (Pa/m): the screw stress is
    // found so that the velocity reaches the barrel's speed.
    PlateFlow AtGradient(Extended gradient) const;

    // The largest pressure gradient (either sign) whose stresses across the
    // depth the law can carry; infinite when the law has no largest stress.
    Extended LargestGradient() const { return 2 * largestStress_ / depth_; }

private:
    // Integrals over the depth of the shear rate and of its derivative with
    // respect to the stress, with the weights 1, y, H - y and y (H - y).
    struct Sums {
        Extended velocity, flow, dissipation;
        Extended slope, slopeY, slopeRest, slopeYRest;
    };
    Sums Integrals(Extended screwStress, Extended gradient) const;

    FlowCurve curve_;
    Extended speed_, depth_, scale_;
    Extended dragStress_;     // the Newtonian estimate of the stress: viscosity at speed/depth times speed/depth
    Extended largestStress_;  // the law's largest stress (scaled), infinite when it has none
    // The last solution, to start the next from: its gradient, screw stress
    // and d(screw stress)/d(gradient).
    mutable std::optional<Extended> lastGradient_;
    mutable Extended lastStress_ = 0, lastStressSlope_ = 0;
};

}  // namespace tadmor::extruder
