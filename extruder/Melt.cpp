#include "extruder/Melt.h"

#include <cmath>
#include <limits>
#include <string>

#include "extruder/Units.h"
#include "model/NumberText.h"

namespace tadmor::extruder {

Melt MeltOf(const SimulationState& s) {
    return {s.ViscA0, s.ViscA1, s.ViscA11, s.ViscA2, s.ViscA22, s.ViscA12, s.MeltDensity};
}

bool IsNewtonian(const Melt& melt) { return melt.a1 == 0 && melt.a11 == 0 && melt.a12 == 0; }

Extended Viscosity(const Melt& melt, Extended shearRate, Extended temperature) {
    const Extended l = std::log(shearRate), t = temperature;
    return kPascalPerGfCm2 *
           std::exp(melt.a0 + melt.a1 * l + melt.a11 * l * l + melt.a2 * t + melt.a22 * t * t + melt.a12 * l * t);
}

FlowCurve::FlowCurve(const Melt& melt, Extended temperature)
    : melt_(melt),
      temperature_(temperature),
      index_(1 + melt.a1 + melt.a12 * temperature),
      offset_(melt.a0 + melt.a2 * temperature + melt.a22 * temperature * temperature + std::log(kPascalPerGfCm2)) {}

Extended FlowCurve::LargestStress() const {
    if (melt_.a11 >= 0) return std::numeric_limits<Extended>::infinity();
    return std::exp(offset_ - index_ * index_ / (4 * melt_.a11));
}

ShearRate FlowCurve::At(Extended stress) const {
    if (stress == 0) return {0, IsNewtonian(melt_) ? 1 / Viscosity(melt_, 1, temperature_) : 0};
    const Extended b = index_;
    const Extended excess = std::log(std::fabs(stress)) - offset_;
    const Extended discriminant = b * b + 4 * melt_.a11 * excess;  // the slope d ln(tau)/dL at the root, squared
    if (!(discriminant > 0) || (melt_.a11 == 0 && b <= 0)) {
        const std::string where = " at " + NumberText(Store(temperature_), 1) + " degC";
        if (melt_.a11 < 0)
            throw SimulationError("The viscosity law carries no shear stress above " +
                                  NumberText(Store(LargestStress() / kPascalPerMPa), 3, 3) + " MPa" + where +
                                  " (its power-law index falls to 0): the flow needs " +
                                  NumberText(Store(std::fabs(stress) / kPascalPerMPa), 3, 3) + " MPa");
        throw SimulationError("The viscosity law gives no shear rate for a shear stress of " +
                              NumberText(Store(std::fabs(stress)), 3, 3) + " Pa" + where +
                              ": its stress does not rise with the shear rate there (power-law index at or "
                              "below 0)");
    }
    const Extended root = std::sqrt(discriminant);
    // The root on the rising branch, in the form without cancellation.
    const Extended l = b >= 0 ? 2 * excess / (b + root) : (root - b) / (2 * melt_.a11);
    const Extended rate = std::exp(l);
    return {stress > 0 ? rate : -rate, rate / (std::fabs(stress) * root)};
}

}  // namespace tadmor::extruder
