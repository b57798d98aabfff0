// The six-coefficient melt viscosity law and the local power-law fits that
// the two film solutions work with:
//   eta = m exp(b (T - MeltingPoint)) shearRate^(n - 1).
#include <cmath>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"

namespace tadmor {

namespace {

double LawViscosity(const SimulationState& s, double shearRate, double temperature) {
    return ViscosityAt(s.ViscA0, s.ViscA1, s.ViscA11, s.ViscA2, s.ViscA22, s.ViscA12, shearRate, temperature);
}

// Fits n, b and m to the law: n from the shear rates g1 and g2 at fitTemp, b and m
// from the shear rate g3 at MeltingPoint and BarrelTemp.
void FitPowerLaw(SimulationState& s, double fitTemp, double g1, double g2, double g3) {
    const double eta1 = LawViscosity(s, g1, fitTemp);
    const double eta2 = LawViscosity(s, g2, fitTemp);
    {
        const Extended e1 = eta1, e2 = eta2, r1 = g1, r2 = g2;
        s.PowerLawIndex = Store(1 + std::log(e1 / e2) / std::log(r1 / r2));
    }
    const double eta3 = LawViscosity(s, g3, s.MeltingPoint);
    const double eta4 = LawViscosity(s, g3, s.BarrelTemp);
    {
        const Extended e3 = eta3, e4 = eta4, tm = s.MeltingPoint, tb = s.BarrelTemp;
        s.TempSensitivity = Store(std::log(e3 / e4) / (tm - tb));
    }
    {
        const Extended e3 = eta3, r3 = g3, n = s.PowerLawIndex;
        s.Consistency = Store(e3 / std::pow(r3, n - 1));
    }
}

}  // namespace

double ViscosityAt(double a0, double a1, double a11, double a2, double a22, double a12, double ShearRate,
                   double Temperature) {
    const double L = Store(std::log(Extended(ShearRate)));
    const Extended l = L, t = Temperature;
    return Store(std::exp(a0 + a1 * l + a11 * l * l + a2 * t + a22 * t * t + a12 * l * t));
}

void StartFirstIncrement(SimulationState& s) {
    s.FilmThickness = 0.04;
    s.ViscousHeat = 0;
    s.TotalHeat = 0;
    const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, v = s.RelativeSpeed;
    s.ConductionMidTemp = Store((tb + tm) / 2);
    const double StartShearRate = Store(v / Extended(s.FilmThickness));

    // The sample rates are StartShearRate/2 and 2 StartShearRate, both exact.
    FitPowerLaw(s, s.ConductionMidTemp, Store(StartShearRate / 2.0L), Store(2 * Extended(StartShearRate)),
                StartShearRate);

    // The fitted viscosity at the conduction mid-temperature.
    double MidViscosity;
    {
        const Extended m = s.Consistency, b = s.TempSensitivity, n = s.PowerLawIndex;
        const Extended mid = s.ConductionMidTemp, rate = StartShearRate;
        MidViscosity = Store(m * std::exp(b * (mid - tm)) * std::pow(rate, n - 1));
    }
    // Mid-film temperature of a film of constant viscosity MidViscosity sheared at
    // RelativeSpeed, its viscous heat conducted to both walls.
    const Extended eta = MidViscosity, k = s.MeltConductivity;
    s.ProfileMidTemp = Store((tm + tb) / 2 + (eta / kCalorie) * v * v / (8 * k));
    s.FilmAvgTemp = s.ProfileMidTemp;
}

void FitPowerLawProfile(SimulationState& s) {
    // Shear rates of the tabulated profile at x = 0, 1 and 1/2.
    const Extended rate = s.FilmShearRate, p = s.ProfileCoefB, q = s.ProfileCoefC;
    const double ShearRateSolid = s.FilmShearRate;
    const double ShearRateBarrel = Store(rate * std::exp(-(2 * q + p)));
    const double ShearRateMid = Store(rate * std::exp(-(2 * q * 0.5L + p * 0.25L)));
    FitPowerLaw(s, s.ProfileMidTemp, ShearRateSolid, ShearRateBarrel, ShearRateMid);
}

void FitPowerLawExponential(SimulationState& s) {
    // A from the previous fit's n and b; the shear rates of the closed-form film
    // at x = 1, 0 and 1/2, from the film thickness on entry.
    {
        const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, b = s.TempSensitivity, n = s.PowerLawIndex;
        s.TempExponent = Store((tb - tm) * b / n);
    }
    const Extended a = s.TempExponent, v = s.RelativeSpeed, delta = s.FilmThickness;
    const double ShearRateBarrel = Store(std::exp(-a) * v * a / ((1 - std::exp(-a)) * delta));
    const double ShearRateSolid = Store(v * a / ((1 - std::exp(-a)) * delta));
    const double ShearRateMid = Store(std::exp(-a / 2) * v * a / ((1 - std::exp(-a)) * delta));
    FitPowerLaw(s, s.ProfileMidTemp, ShearRateSolid, ShearRateBarrel, ShearRateMid);
}

}  // namespace tadmor
