// The melt film in closed form. Inside the viscosity's temperature factor the
// film temperature is taken as linear from MeltingPoint to BarrelTemp, so the
// local shear rate is FilmShearRate exp(-A x) with A = b (Tb - Tm) / n, and
//   T(x) = Tm + (Tb - Tm) x + (K / A^2) (1 - exp(-A x) - x (1 - exp(-A))),
// K = DissipationFactor / (42690 k), x from 0 at the solid bed to 1 at the barrel.
#include <cmath>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"

namespace tadmor {

void SolveExponentialFilm(SimulationState& s) {
    ++s.ClosedFormSolutions;
    const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, k = s.MeltConductivity;
    const Extended n = s.PowerLawIndex, b = s.TempSensitivity, m = s.Consistency;
    const Extended v = s.RelativeSpeed, vbx = s.BarrelSpeedX, w = s.SolidBedWidth;
    const Extended rho = s.MeltDensity;
    // Heat per gram to turn solid at SolidTemp into melt at FilmAvgTemp (the
    // value from before the call).
    const Extended heatPerGram =
        (tm - Extended(s.SolidTemp)) * s.SolidHeat + s.FusionHeat + (Extended(s.FilmAvgTemp) - tm) * s.MeltHeat;

    for (int pass = 1;; ++pass) {
        if (pass > s.Limits.filmThickness)
            ThrowNotConverged(s, "film thickness iteration", s.Limits.filmThickness, "SolveExponentialFilm");
        const Extended delta = s.FilmThickness;
        s.TempExponent = Store((tb - tm) * b / n);
        const Extended a = s.TempExponent;
        const Extended decay = std::exp(-a);  // shear rate at the barrel over that at the solid bed
        s.FilmShearRate = Store(v * a / ((1 - decay) * delta));
        const Extended rate = s.FilmShearRate;
        s.DissipationFactor = Store(std::pow(rate, n + 1) * (delta * delta * m));
        const Extended fd = s.DissipationFactor;
        s.ViscousHeatTerm = Store((decay + a - 1) * (2 * fd / (a * a)) / kCalorie);
        s.ShapeFactor = Store((1 / (1 - decay) - 1 / a) * 2);
        s.MeltRate = Store((delta * vbx / (1 - decay)) * (1 + (decay - 1) / a));
        // Heat balance at the solid-bed surface.
        const Extended viscousHeat = s.ViscousHeatTerm, shape = s.ShapeFactor;
        s.NewFilmThickness =
            Store(std::sqrt((2 * k * (tb - tm) + viscousHeat) * w / (vbx * shape * rho * heatPerGram)));
        s.SolvedMidTemp =
            Store((tm + tb) * 0.5L + ((1 - std::exp(-a / 2)) - (1 - decay) * 0.5L) * (fd / kCalorie) / (a * a * k));
        s.OldFilmThickness = s.FilmThickness;
        s.FilmThickness = s.NewFilmThickness;

        CheckArithmetic(s, "SolveExponentialFilm");
        if (std::fabs(Extended(s.NewFilmThickness) - s.OldFilmThickness) < kFilmTolerance) break;
    }
    s.ProfileMidTemp = s.SolvedMidTemp;
}

void ExponentialFilmAverages(SimulationState& s) {
    const Extended a = s.TempExponent, delta = s.FilmThickness, fd = s.DissipationFactor;
    const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, k = s.MeltConductivity;
    const Extended decay = std::exp(-a);
    // Mean of the linear part of the profile, weighted by the velocity profile.
    s.FilmAvgTemp = Store(tm + ((decay * (1 / a + 1) + a / 2 - 1 / a) * (tb - tm)) / (decay + a - 1));
    s.InterfaceGradient = Store((tb - tm) / delta + (a * decay + decay - 1) * fd / (kCalorie * a * a * delta * k));
    const Extended tav = s.FilmAvgTemp;
    s.MeltEnthalpy = Store((tav - tm) * s.MeltHeat + s.FusionHeat);
}

}  // namespace tadmor
