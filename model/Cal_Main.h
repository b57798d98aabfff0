// The melting simulation: its state and its routines.
//
// One record, SimulationState, holds every shared value of a run under its
// name. Every routine takes it by reference and communicates only through it,
// in the order of calls that RunMarch fixes. Nothing is global, so two runs
// may proceed side by side on two threads.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace tadmor {

// Passes allowed to each iteration of a run by default; normal runs need a
// handful. Reaching a limit ends the run with a ConvergenceError.
inline constexpr int kPassLimit = 10000;

// The pass limit of each iteration (tests lower one to reach its exit).
struct PassLimits {
    int filmThickness = kPassLimit;     // film thickness, in either film solution
    int profileIteration = kPassLimit;  // profile mid temperature against the solved one
    int filmHandovers = kPassLimit;     // closed form handing the film to the profile solution, per increment
    int solidBedWidth = kPassLimit;     // solid bed width, per increment
};

// Each member with its unit and meaning in a column; not reflowed.
// clang-format off
struct SimulationState {
    // ---- Inputs: written only by the calculation request -------------------
    double ScrewDiameter = 0;     // cm, screw (barrel) diameter
    double FeedTurns = 0;         // turns, length of the feed zone
    double CompressionTurns = 0;  // turns, length of the compression zone
    double MeteringTurns = 0;     // turns, length of the metering zone
    double DelayTurns = 0;        // turns from the screw start to where melting starts
    double FeedDepth = 0;         // cm, channel depth in the feed zone
    double MeteringDepth = 0;     // cm, channel depth in the metering zone
    double ScrewPitch = 0;        // cm, flight pitch
    double FlightWidth = 0;       // cm
    double ScrewSpeed = 0;        // rpm
    double OutputRate = 0;        // kg/hr, throughput
    double BarrelC0 = 0;          // degC, barrel temperature parameter C0
    double BarrelC1 = 0;          // dimensionless, barrel temperature parameter C1
    double BarrelC2 = 0;          // 1/cm, barrel temperature parameter C2
    double ViscA0 = 0;            // viscosity law coefficient a0
    double ViscA1 = 0;            // a1
    double ViscA11 = 0;           // a11
    double ViscA2 = 0;            // a2, 1/degC
    double ViscA22 = 0;           // a22, 1/degC^2
    double ViscA12 = 0;           // a12, 1/degC
    double SolidDensity = 0;      // g/cm3
    double MeltDensity = 0;       // g/cm3
    double SolidHeat = 0;         // cal/(g degC), specific heat of the solid
    double FusionHeat = 0;        // cal/g, heat of fusion
    double MeltHeat = 0;          // cal/(g degC), specific heat of the melt
    double MeltConductivity = 0;  // cal/(cm s degC), thermal conductivity of the melt
    double MeltingPoint = 0;      // degC
    double SolidTemp = 0;         // degC, temperature of the entering solid
    std::string ResultFileName;   // name of the results file, as typed
    PassLimits Limits;            // pass limits of the iterations

    // ---- Geometry and flows of a run: set once by the march's set-up -------
    double MassFlow = 0;           // g/s, OutputRate / 3.6
    double TotalVolumeFlow = 0;    // cm3/s, MassFlow / MeltDensity
    double HelixAngle = 0;         // rad
    double FeedLength = 0;         // cm down-channel after the start of melting (< 0 when the delay passes the feed zone)
    double CompressionLength = 0;  // cm
    double MeteringLength = 0;     // cm
    double FeedStep = 0;           // cm, a fifth of a turn
    double CompressionStep = 0;    // cm, a tenth of a turn
    double MeteringStep = 0;       // cm, a fifth of a turn
    double MeltingLength = 0;      // cm from the start of melting to the end of the screw
    double BarrelSpeed = 0;        // cm/s, barrel surface speed relative to the screw
    double DepthTaper = 0;         // cm of depth lost per cm down-channel in the compression zone

    // ---- State of the current increment -----------------------------------
    int StepNo = 0;                // current increment from 1; its row in the result columns
    double ChannelPosition = 0;    // cm, down-channel start of the increment
    double ChannelDepth = 0;       // cm, depth at the start of the increment
    double StepLength = 0;         // cm
    double ChannelWidth = 0;       // cm, normal to the flights
    double BarrelSpeedX = 0;       // cm/s, cross-channel barrel speed
    double BarrelTemp = 0;         // degC
    double SolidSpeed = 0;         // cm/s, down-channel speed of the solid bed
    double RelativeSpeed = 0;      // cm/s, barrel relative to the solid bed

    // ---- Melt film ---------------------------------------------------------
    double PowerLawIndex = 0;      // n of the fitted power law
    double TempSensitivity = 0;    // b, 1/degC
    double Consistency = 0;        // m, gf s^n / cm2 at MeltingPoint
    double TempExponent = 0;       // A = b (BarrelTemp - MeltingPoint) / n
    double ConductionMidTemp = 0;  // degC, (BarrelTemp + MeltingPoint)/2 of the first increment
    double ProfileMidTemp = 0;     // degC, mid-film temperature that fixes the parabolic profile
    double SolvedMidTemp = 0;      // degC, mid-film temperature of the last film solution (T121)
    double CheckMidTemp = 0;       // degC, mid temperature of the current parabola
    double FilmThickness = 0;      // cm
    double NewFilmThickness = 0;   // cm, last thickness iterate
    double OldFilmThickness = 0;   // cm, the iterate before it
    double ProfileCurvature = 0;   // d, degC
    double ProfileCoefB = 0;       // P
    double ProfileCoefC = 0;       // Q
    std::array<double, 201> IntegralTable{};  // entry j: integral of the shear-rate ratio up to 0.01 j
    bool IntegralTableBuilt = false;  // IntegralTable holds the finite table of these P and Q
    double IntegralTableCoefB = 0;
    double IntegralTableCoefC = 0;
    double FilmShearRate = 0;      // 1/s, at the solid-bed surface
    double DissipationFactor = 0;  // gf/s, m gamma0^(n+1) delta^2
    double DoubleIntegral = 0;     // J
    double EnergyConstant = 0;     // E, degC
    double InterfaceTemp = 0;      // degC, copy of MeltingPoint
    double MeltRate = 0;           // cm2/s, melt dragged out of the film per cm down-channel
    double ViscousHeatTerm = 0;    // cal/(cm s)
    double ShapeFactor = 0;        // drag flow relative to a linear velocity profile
    double FilmAvgTemp = 0;        // degC, flow-weighted mean film temperature (TAV)
    double InterfaceGradient = 0;  // degC/cm, at the barrel surface
    double MeltEnthalpy = 0;       // cal/g

    // ---- Solid bed, accumulators and row values ----------------------------
    double SolidBedWidth = 0;      // cm, width the next film solution uses
    double SolidBedWidthIn = 0;    // cm, at the start of the increment
    double SolidBedWidthOut = 0;   // cm, at the end of the increment
    double SolidBedWidthMean = 0;  // cm
    double SolidBedWidthPrev = 0;  // cm, width the last pass was solved with
    double MeltingFlux = 0;        // g/(cm^1.5 s), Phi
    double Psi = 0;                // melting parameter of the increment
    double SolidFraction = 0;      // X/W at the end of the increment
    double FlightPosition = 0;     // turns from the screw start to the middle of the increment
    double InversePsi = 0;         // 1/Psi
    double TotalHeat = 0;          // cal/s, summed over the increments
    double ViscousHeat = 0;        // cal/s, part of TotalHeat not conducted from the barrel
    double TotalPower = 0;         // kW
    double ViscousPower = 0;       // kW
    double StepMeltRate = 0;       // cm3/s, melt produced in this increment
    double MeltedFlow = 0;         // cm3/s, melt produced so far
    double SolidFlowRatio = 0;     // QS/QT

    // ---- Result columns: row i (from 1) at index i; index 0 is unused ------
    // They grow with the run; rows beyond StepCount may hold an earlier,
    // longer run's values and are never printed.
    std::vector<double> ResFlight;          // turns
    std::vector<double> ResDepth;           // cm
    std::vector<double> ResSolidFraction;   // X/W
    std::vector<double> ResSolidFlowRatio;  // QS/QT
    std::vector<double> ResBarrelTemp;      // degC
    std::vector<double> ResSolvedMidTemp;   // degC
    std::vector<double> ResFilmAvgTemp;     // degC
    std::vector<double> ResFilmThickness;   // cm
    std::vector<double> ResInversePsi;      // 1/PSAI
    std::vector<double> ResTotalPower;      // kW
    std::vector<double> ResViscousPower;    // kW
    int StepCount = 0;                      // rows recorded by the last run
    // The local power law of each recorded row (indexed as the result
    // columns): n and b of the row's last fit. Not in the results file.
    std::vector<double> RowPowerLawIndex;
    std::vector<double> RowTempSensitivity;

    // ---- Tallies of the last run: which film solutions it used ------------
    int IntegralTableBuilds = 0;   // Simpson tables of the profile solution built
    int ClosedFormSolutions = 0;   // closed-form film solutions computed
};
// clang-format on

// Constants shared by several routines. The first three are the values the
// model is defined with, not the physical ones (pi = 3.14159265..., one
// thermochemical calorie = 4.184 J = 42664.9 gf cm = 0.004184 kW s): the
// results depend on them to every printed digit, so they stay as they are.
inline constexpr long double kCircle = 3.1415926L;             // the circle constant of every geometric formula
inline constexpr long double kCalorie = 42690.0L;              // gram-force centimetres per calorie
inline constexpr long double kKilowattPerCalorie = 0.004183L;  // kW per cal/s
inline constexpr long double kZoneTolerance = 0.00001L;        // cm, tolerance of the zone boundaries
inline constexpr double kFilmTolerance = 0.0001;  // cm, a film-thickness iteration ends on a smaller change
inline constexpr double kMeltedFraction = 0.002;  // X/W at which the solid bed counts as melted

// Viscosity law and power-law fits.
double ViscosityAt(double a0, double a1, double a11, double a2, double a22, double a12, double ShearRate,
                   double Temperature);
void StartFirstIncrement(SimulationState& s);
void FitPowerLawProfile(SimulationState& s);
void FitPowerLawExponential(SimulationState& s);

// Melt film with viscous dissipation (tabulated parabolic profile).
void SolveProfileFilm(SimulationState& s);
void IterateProfileFilm(SimulationState& s);
void UpdateProfile(SimulationState& s);
void ProfileFilmAverages(SimulationState& s);

// Melt film in closed form.
void SolveExponentialFilm(SimulationState& s);
void ExponentialFilmAverages(SimulationState& s);

// Down-channel length of one turn, 3.1415926 x ScrewDiameter / cos(HelixAngle),
// in the wide arithmetic of a formula (not stored).
long double TurnLength(const SimulationState& s);

// FLIGHT of the current increment: turns from the start of the screw to its middle.
double IncrementFlight(const SimulationState& s);

// Whether the last run ended because the solid bed had melted (rather than at
// the end of the screw); then IncrementFlight gives where.
inline bool MeltingCompleted(const SimulationState& s) { return s.StepCount < s.StepNo; }

// After a run in which melting completed: the FLIGHT within the increment
// that melted the bed where its X/W falls to kMeltedFraction, from that
// increment's own solid bed profile. Unlike the increment's FLIGHT it moves
// continuously with the inputs, so small changes of an input show.
double MeltedFlight(const SimulationState& s);

// Solid bed and increment bookkeeping.
void ComputeMeltingFlux(SimulationState& s);
void UpdateSolidBedWidth(SimulationState& s);
void RecordIncrement(SimulationState& s);
void AdvanceIncrement(SimulationState& s);
void RecordLastIncrement(SimulationState& s);

// Increments a run of these inputs needs to reach the end of the screw, about
// (from the turns alone, before any set-up). A run estimated above
// kIncrementLimit (model/Arithmetic.h) is refused.
double EstimatedIncrementCount(const SimulationState& s);

// The message that refuses a run estimated above kIncrementLimit increments,
// or "" when the run may go ahead.
std::string IncrementLimitRefusal(const SimulationState& s);

// The march down the screw. Fills rows 1..StepCount of the result columns.
// Throws ArithmeticError or ConvergenceError (model/Arithmetic.h) when a run
// cannot be completed, and IncrementLimitError when it would be absurdly long.
void RunMarch(SimulationState& s);

}  // namespace tadmor
