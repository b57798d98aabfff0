#include "app/request/Causes.h"

#include <cmath>

#include "model/NumberText.h"

namespace tadmor {

std::string CauseOf(const SimulationState& s, const SimulationError& error) {
    if (!dynamic_cast<const ArithmeticError*>(&error) && !dynamic_cast<const ConvergenceError*>(&error)) return "";
    const double flight = error.Flight();
    const std::string at = std::isfinite(flight) ? " at FLIGHT " + NumberText(flight, 2) : "";

    const double screwTurns = s.FeedTurns + s.CompressionTurns + s.MeteringTurns;
    if (s.DelayTurns >= screwTurns)
        return "melting starts at DelayTurns " + NumberText(s.DelayTurns, 2) + ", at or beyond the end of the " +
               NumberText(screwTurns, 2) + "-turn screw, so there is no channel left to melt in";

    // The width of the channel between the flights, normal to them (the
    // helix angle is set before the first increment).
    const double width = Store(s.ScrewPitch * std::cos(Extended(s.HelixAngle)) - s.FlightWidth);
    if (width <= 0)
        return "the channel between the flights is " + NumberText(width, 2) + " cm wide (ScrewPitch " +
               NumberText(s.ScrewPitch, 2) + " cm across the helix less FlightWidth " + NumberText(s.FlightWidth, 2) +
               " cm): the flights leave no room for a solid bed";

    // The barrel law where the run ended: z is the axial distance from the
    // start of melting, (FLIGHT - DelayTurns) pitches.
    if (std::isfinite(flight)) {
        const Extended z = Extended(s.ScrewPitch) * (Extended(flight) - s.DelayTurns);
        const double barrel = Store(s.BarrelC0 * (1 - s.BarrelC1 * std::exp(s.BarrelC2 * z)));
        if (barrel <= s.MeltingPoint)
            return "the barrel temperature " + NumberText(barrel, 2) + " degC" + at +
                   " is not above the melting point " + NumberText(s.MeltingPoint, 2) +
                   " degC, so no melt film forms between the barrel and the solid bed";
    }

    // The local power law of the last fit (NaN before the first).
    const double n = s.PowerLawIndex, sensitivity = -s.TempSensitivity;
    if (n <= 0 || n > 1)
        return "the viscosity law's local power-law index n is " + NumberText(n, 3) + at +
               " (a sensible melt has 0 < n <= 1; " +
               (n > 1 ? "above 1 the melt thickens as it is sheared faster"
                      : "at or below 0 its stress falls as it is sheared faster") +
               "): the law is used outside its range; check ViscA1, ViscA11 and ViscA12";
    if (sensitivity <= 0)
        return "the viscosity law's local temperature sensitivity -d ln(eta)/dT is " + NumberText(sensitivity, 5) +
               " 1/degC" + at +
               ", not above 0 (the melt does not thin as it is heated): the law is used outside its range; check "
               "ViscA2, ViscA22 and ViscA12";
    return "";
}

std::string ExplainedError(const SimulationState& state, const SimulationError& error) {
    const std::string cause = CauseOf(state, error);
    return cause.empty() ? error.what() : cause + ": " + error.what();
}

}  // namespace tadmor
