// The melt as the flows of the whole-extruder calculation see it: the model's
// six-coefficient viscosity law and the melt's density, in the model's units
// as SimulationState holds them.
#pragma once

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"

namespace tadmor::extruder {

struct Melt {
    // ln eta = a0 + a1 L + a11 L^2 + a2 T + a22 T^2 + a12 L T, L = ln shear rate
    // (1/s), T in degC, eta in gf s/cm2 (model/Viscosity.cpp).
    double a0 = 0, a1 = 0, a11 = 0, a2 = 0, a22 = 0, a12 = 0;
    double density = 0;  // g/cm3
};

Melt MeltOf(const SimulationState& s);

// Whether the law's viscosity is independent of the shear rate (a1 = a11 = a12 = 0).
bool IsNewtonian(const Melt& melt);

// Viscosity, Pa s, at `shearRate` (1/s) and `temperature` (degC).
Extended Viscosity(const Melt& melt, Extended shearRate, Extended temperature);

// The shear rate (1/s) at which the law carries a shear stress, and
// d(shear rate)/d(stress).
struct ShearRate {
    Extended rate, slope;
};

// The law at one temperature, inverted: its stress
// ln(tau) = a11 L^2 + (1 + a1 + a12 T) L + const is solved for L on its
// rising branch.
class FlowCurve {
public:
    FlowCurve(const Melt& melt, Extended temperature);

    // At `stress` (Pa; its sign is the shear rate's). Throws SimulationError
    // where the law has no rising branch: above the law's largest stress, or
    // where its stress does not rise with the shear rate.
    ShearRate At(Extended stress) const;

    // The largest stress the law carries (Pa), infinite when it has none.
    Extended LargestStress() const;

private:
    Melt melt_;
    Extended temperature_;
    Extended index_;   // 1 + a1 + a12 T: the local index at a shear rate of 1/s
    Extended offset_;  // ln(tau / Pa) at a shear rate of 1/s
};

}  // namespace tadmor::extruder
