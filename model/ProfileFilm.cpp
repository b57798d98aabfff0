// The melt film with viscous dissipation. A parabolic temperature profile
//   T(x) = Tm + (Tb - Tm - d) x + d x^2,  x from 0 at the solid bed to 1 at the barrel,
// gives the shear-rate ratio f(x) = exp(-(P x^2 + 2 Q x)) of a power-law melt;
// its integral I(x) is tabulated by Simpson's rule on 101 points, and the film
// energy equation is solved with the double integral J of f.
#include <cmath>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"

namespace tadmor {

namespace {

constexpr int kTableLast = 100;  // IntegralTable[kTableLast] holds I(1)

// d, P and Q from the current ProfileMidTemp.
void SetProfileCoefficients(SimulationState& s) {
    const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, tp = s.ProfileMidTemp;
    s.ProfileCurvature = Store((tb + tm) * 2 - 4 * tp);
    const Extended d = s.ProfileCurvature, b = s.TempSensitivity, n = s.PowerLawIndex;
    s.ProfileCoefB = Store(b * d / n);
    s.ProfileCoefC = Store(b * (tb - tm - d) / (2 * n));
}

// Cumulative Simpson's rule with step 0.01: entry j holds the integral of f from 0
// to 0.01 j. The abscissa advances by repeated addition; the 101st step's sum is
// not kept. A step starts where the last one ended, so f there is the last
// step's f(x1), already evaluated at the same abscissa.
//
// The table depends on P and Q alone, so a table built from the same P and Q
// is kept as it is (after SolveProfileFilm, and after an IterateProfileFilm
// with no UpdateProfile since). A table with a non-finite entry is never
// kept: building it again raises its fault again.
void BuildIntegralTable(SimulationState& s) {
    if (s.IntegralTableBuilt && s.IntegralTableCoefB == s.ProfileCoefB && s.IntegralTableCoefC == s.ProfileCoefC)
        return;
    const Extended p = s.ProfileCoefB, q = s.ProfileCoefC;
    const auto f = [p, q](Extended x) { return std::exp(-(p * x * x + 2 * q * x)); };
    double sum = 0;
    double x = 0;
    Extended fx = f(x);
    for (int j = 0; j <= kTableLast; ++j) {
        const double xh = Store(x + 0.005L);
        const double x1 = Store(x + 0.01L);
        const Extended fx1 = f(x1);
        s.IntegralTable[j] = sum;
        sum = Store(sum + (fx + 4 * f(xh) + fx1) * 0.01L / 6);
        x = x1;
        fx = fx1;
    }
    s.IntegralTableBuilt = std::isfinite(sum);
    ++s.IntegralTableBuilds;
    s.IntegralTableCoefB = s.ProfileCoefB;
    s.IntegralTableCoefC = s.ProfileCoefC;
}

// Simpson's rule over the table in 50 double intervals: sets J and returns Jh,
// the part over the half film next to the solid bed.
double IntegrateTable(SimulationState& s) {
    const auto& table = s.IntegralTable;
    double whole = 0;
    double half = 0;
    for (int i = 1; i <= kTableLast / 2; ++i) {
        const Extended t0 = table[2 * i - 2], t1 = table[2 * i - 1], t2 = table[2 * i];
        whole = Store(whole + (t0 + 4 * t1 + t2) * 0.02L / 6);
        if (i == kTableLast / 4) half = whole;
    }
    s.DoubleIntegral = whole;
    return half;
}

// Shear rate at the solid bed and dissipation factor for the current thickness.
void SetShearRate(SimulationState& s) {
    const Extended v = s.RelativeSpeed, delta = s.FilmThickness, i1 = s.IntegralTable[kTableLast];
    s.FilmShearRate = Store(v / (delta * i1));
    const Extended rate = s.FilmShearRate, n = s.PowerLawIndex, m = s.Consistency;
    s.DissipationFactor = Store(std::pow(rate, n + 1) * delta * delta * m);
}

// The solved temperature Tsol(x) = Tm + E x - K (integral of I), with Tsol(1) = Tb.
void SolveEnergy(SimulationState& s, double halfIntegral) {
    s.InterfaceTemp = s.MeltingPoint;
    const Extended fd = s.DissipationFactor, j = s.DoubleIntegral, jh = halfIntegral;
    const Extended k = s.MeltConductivity, tb = s.BarrelTemp, t0 = s.InterfaceTemp;
    s.EnergyConstant = Store(fd * j / (kCalorie * k) + tb - t0);
    const Extended e = s.EnergyConstant;
    s.SolvedMidTemp = Store(t0 + 0.5L * e - fd * jh / (kCalorie * k));
}

}  // namespace

void SolveProfileFilm(SimulationState& s) {
    SetProfileCoefficients(s);
    BuildIntegralTable(s);
    SetShearRate(s);
    const double halfIntegral = IntegrateTable(s);
    SolveEnergy(s, halfIntegral);
}

void IterateProfileFilm(SimulationState& s) {
    // The profile does not change inside the call: one table, one J and Jh.
    BuildIntegralTable(s);
    const double halfIntegral = IntegrateTable(s);

    const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, k = s.MeltConductivity;
    const Extended vj = s.RelativeSpeed, vbx = s.BarrelSpeedX, w = s.SolidBedWidth;
    // Heat per gram to turn solid at SolidTemp into melt at FilmAvgTemp.
    const Extended heatPerGram =
        (tm - Extended(s.SolidTemp)) * s.SolidHeat + s.FusionHeat + (Extended(s.FilmAvgTemp) - tm) * s.MeltHeat;
    const Extended rho = s.MeltDensity;

    for (int pass = 1;; ++pass) {
        if (pass > s.Limits.filmThickness)
            ThrowNotConverged(s, "film thickness iteration", s.Limits.filmThickness, "IterateProfileFilm");
        SetShearRate(s);
        SolveEnergy(s, halfIntegral);

        const Extended delta = s.FilmThickness, rate = s.FilmShearRate, j = s.DoubleIntegral;
        s.MeltRate = Store(delta * delta * rate * vbx / vj * j);
        const Extended e = s.EnergyConstant;
        s.ViscousHeatTerm = Store(2 * k * (e - (tb - tm)));
        const Extended meltRate = s.MeltRate;
        s.ShapeFactor = Store(2 * meltRate / (delta * vbx));
        // Heat balance at the solid-bed surface.
        const Extended viscousHeat = s.ViscousHeatTerm, shape = s.ShapeFactor;
        s.NewFilmThickness =
            Store(std::sqrt((2 * k * (tb - tm) + viscousHeat) * w / (vbx * shape * rho * heatPerGram)));
        s.OldFilmThickness = s.FilmThickness;
        s.FilmThickness = s.NewFilmThickness;

        CheckArithmetic(s, "IterateProfileFilm");
        if (std::fabs(Extended(s.NewFilmThickness) - s.OldFilmThickness) < kFilmTolerance) break;
    }

    const Extended d = s.ProfileCurvature;
    s.CheckMidTemp = Store(tm + ((tb - tm - d) * 0.5L + d * 0.25L));
}

void UpdateProfile(SimulationState& s) {
    // Move the profile's mid temperature half way towards the solved one.
    const Extended solved = s.SolvedMidTemp, check = s.CheckMidTemp;
    s.ProfileMidTemp = Store((solved + check) / 2);
    SetProfileCoefficients(s);
}

void ProfileFilmAverages(SimulationState& s) {
    const auto& table = s.IntegralTable;
    const Extended d = s.ProfileCurvature, tb = s.BarrelTemp, tm = s.MeltingPoint;
    const Extended delta = s.FilmThickness, rate = s.FilmShearRate;
    // T(x) delta gamma0 I(x): the parabola weighted by the flow through the film.
    const auto g = [&](Extended x, int j) { return (d * x * x + (tb - tm - d) * x + tm) * delta * rate * table[j]; };
    // As in the table, a double interval starts with the last one's g(x1).
    double sum = 0;
    double x = 0;
    Extended gx = g(x, 0);
    for (int i = 1; i <= kTableLast / 2; ++i) {
        const double xh = Store(x + 0.01L);
        const double x1 = Store(x + 0.02L);
        const Extended gx1 = g(x1, 2 * i);
        sum = Store(sum + (4 * g(xh, 2 * i - 1) + gx + gx1) * 0.02L / 6);
        x = x1;
        gx = gx1;
    }
    const double denominator = Store(delta * rate * Extended(s.DoubleIntegral));
    s.FilmAvgTemp = Store(Extended(sum) / denominator);

    const Extended e = s.EnergyConstant, fd = s.DissipationFactor, k = s.MeltConductivity;
    s.InterfaceGradient = Store((e - fd * table[kTableLast] / (kCalorie * k)) / delta);
    const Extended tav = s.FilmAvgTemp;
    s.MeltEnthalpy = Store((tav - tm) * s.MeltHeat + s.FusionHeat);
}

}  // namespace tadmor
