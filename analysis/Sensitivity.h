// How much each input matters: the relative change of the melting and of the
// power when one input at a time is lowered and raised by the same fraction
// of its value, and the elasticity from the central difference. Each value is
// one calculation; no file is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Runner.h"
#include "app/request/RunSummary.h"
#include "inputs/Case.h"

namespace tadmor::analysis {

// One input lowered and raised.
struct InputResponse {
    int field = 0;                       // index into kInputFields
    double base = 0, low = 0, high = 0;  // its values, as the calculations read them
    RunSummary atLow, atHigh;            // nothing ran for a base value of 0
};

struct SensitivityResult {
    double percent = 0;  // the change of each input, in % of its value
    RunSummary base;
    std::vector<InputResponse> inputs;  // in the order asked for
    int calculations = 0;
};

// The inputs changed: those the window lets the user edit, and with a
// material the material inputs too.
std::vector<int> SensitivityFields(bool withMaterial);

// Runs `base` once and, for each of `fields` whose base value is not 0, with
// that input lowered and raised by `percent` % of its value, on the
// runner's threads. Nothing more runs when the base case does not complete.
// Stopped, the inputs not run are left out.
SensitivityResult Sensitivity(const inputs::Case& base, const std::vector<int>& fields, double percent,
                              const RunControl& control = {});

// The outputs whose sensitivity is measured.
enum class Measure {
    Melting,  // the interpolated melted FLIGHT; X/W at the end when the base case does not melt
    Power,    // POWER TOT of the last row
};

// The change of a measure with one input: percentages of the base value at
// the low and high input, and the elasticity (dy/y) / (dx/x) from the
// central difference; or, where there is no number, why.
struct Change {
    std::optional<double> lowPercent, highPercent, elasticity;
    std::string why;
};

Change ChangeOf(const SensitivityResult& result, const InputResponse& input, Measure measure);

// The measure's value in a completed calculation, as ChangeOf takes it.
double MeasureOf(const RunSummary& base, const RunSummary& response, Measure measure);

// The inputs in order of the magnitude of their elasticity of `measure`,
// largest first; those without a number last, in input order.
std::vector<const InputResponse*> Ranked(const SensitivityResult& result, Measure measure);

// The name of the measure with its unit: "FLIGHT where melting completed
// (turns)", "X/W at the end of the screw (-)" or "POWER TOT (kW)".
std::string MeasureName(const SensitivityResult& result, Measure measure);

}  // namespace tadmor::analysis
