// How much each input matters: the change of the melting and of the power
// when one input at a time is lowered and raised, and the sensitivity from
// the central difference. Most inputs change by a fraction of their value
// (an elasticity); temperatures by kelvin (% of the output per K); the
// viscosity law by its level, its power-law index n and its temperature
// sensitivity b at a reference point. Each value is one calculation; no file
// is written.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Runner.h"
#include "app/request/RunSummary.h"
#include "inputs/Case.h"
#include "material/ViscosityFit.h"

namespace tadmor::analysis {

// What one row changes: an input, or a factor of the viscosity law.
struct Varied {
    int field = -1;  // index into kInputFields; -1 for `factor`
    material::LawFactor factor = material::LawFactor::Level;
};

// How a row's input is changed, which gives the unit of its sensitivity.
enum class StepKind {
    Relative,  // by ± the percent step of its value: an elasticity (dy/y) / (dx/x)
    Kelvin,    // a temperature, by ± the kelvin step: % change of the output per K
};

// The changes: each input by `percent` % of its value, each temperature by
// `kelvin` K.
struct SensitivitySteps {
    double percent = 1;
    double kelvin = 1;
};

// The largest step of either kind (100 % or 100 K).
inline constexpr double kLargestStep = 100;

// Throws Error of kind Input unless each step is a number above 0 and at
// most kLargestStep.
void CheckSteps(const SensitivitySteps& steps);

// The outputs whose sensitivity is measured.
enum class Measure {
    Melting,  // the interpolated melted FLIGHT; X/W at the end when the base case does not melt
    Power,    // POWER TOT of the last row
};
inline constexpr Measure kMeasures[] = {Measure::Melting, Measure::Power};

// One input lowered and raised.
struct InputResponse {
    Varied varied;
    StepKind kind = StepKind::Relative;
    // Its values as the calculations read them; for a factor of the law its
    // value at the reference point: the viscosity in Pa s, n, or b in 1/degC.
    double base = 0, low = 0, high = 0;
    RunSummary atLow, atHigh;  // nothing ran for a relative step of a base value of 0
    // For a measure that moves in whole increments (X/W at the end, POWER
    // TOT) and that neither change moved: the smallest of 2, 4, 8 ... times
    // the step (up to kLargestStep) at which a completed calculation gives
    // another value; nothing when none does. Indexed by Measure.
    std::array<std::optional<double>, 2> resolvingStep;
};

struct SensitivityResult {
    SensitivitySteps steps;
    RunSummary base;
    // Where the factors of the viscosity law are taken: the melting point
    // (degC) and the base case's mean film shear rate (1/s), the mean over
    // its rows of the relative speed over the film thickness.
    double referenceTemperature = 0, referenceShearRate = 0;
    std::vector<InputResponse> inputs;  // in the order asked for
    int calculations = 0;
};

// The rows of a sensitivity: the inputs the window lets the user edit; with
// a material the material inputs too, the viscosity law as its three
// factors; with `coefficients` the six coefficients of the law as well.
std::vector<Varied> SensitivityInputs(bool withMaterial, bool coefficients);

// Runs `base` once and, for each of `inputs`, with that input lowered and
// raised, on the runner's threads: a temperature (an input in degC) by
// steps.kelvin K, a factor of the law by steps.percent % at the reference
// point, any other input by steps.percent % of its value unless that is 0.
// A measure that moves in whole increments and did not move is run again at
// doubled steps for its resolvingStep. Nothing more runs when the base case
// does not complete. Stopped, the inputs not run are left out. Throws Error
// of kind Input for steps that CheckSteps refuses.
SensitivityResult Sensitivity(const inputs::Case& base, const std::vector<Varied>& inputs,
                              const SensitivitySteps& steps, const RunControl& control = {});

// The change of a measure with one input: percentages of the base value at
// the low and high input, and the sensitivity from the central difference
// (an elasticity, or % per K by the input's kind); or, where there is no
// number, why.
struct Change {
    std::optional<double> lowPercent, highPercent, sensitivity;
    std::string why;
};

Change ChangeOf(const SensitivityResult& result, const InputResponse& input, Measure measure);

// The measure's value in a completed calculation, as ChangeOf takes it.
double MeasureOf(const RunSummary& base, const RunSummary& response, Measure measure);

// The inputs in order of the size of the change of `measure` across their
// step (highPercent - lowPercent: the width of their tornado bar), largest
// first; those without a number last, in input order.
std::vector<const InputResponse*> Ranked(const SensitivityResult& result, Measure measure);

// The name of the measure with its unit: "FLIGHT where melting completed
// (turns)", "X/W at the end of the screw (-)" or "POWER TOT (kW)".
std::string MeasureName(const SensitivityResult& result, Measure measure);

// The row's name: the input's variable, or "ViscosityLevel",
// "PowerLawIndex" or "ViscosityTempSensitivity" for the law's factors.
std::string InputName(const InputResponse& input);

// The row's step as text, "±1 %" or "±2 K".
std::string StepText(const SensitivityResult& result, const InputResponse& input);

// The unit of a sensitivity of `kind`: "elasticity" or "% per K".
std::string SensitivityUnit(StepKind kind);

}  // namespace tadmor::analysis
