// Solving for one input: the value at which a target on the melting is met,
// the other inputs fixed, found by scanning a range and bisecting every
// crossing. Each value is one calculation (Calculate); no file is written.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::analysis {

enum class TargetKind {
    MeltedAtFlight,      // melting completes at or before FLIGHT `value`
    MeltedAtEnd,         // melting completes before the end of the screw
    SolidFractionAtEnd,  // X/W at the end is at most `value` (0 when melting completed)
};

struct Target {
    TargetKind kind = TargetKind::MeltedAtEnd;
    double value = 0;
};

// One calculation at one value of the input solved for.
struct Point {
    double value = 0;
    RequestOutcome outcome = RequestOutcome::InvalidInput;
    std::string message;                  // the refusal's or the error's text
    int rows = 0;
    std::optional<double> meltingFlight;  // FLIGHT where melting completed
    double solidFraction = 0;             // X/W of the last row, 0 when melting completed
    double totalPower = 0;                // kW, POWER TOT of the last row
    double viscousPower = 0;              // kW, POWER VIS of the last row
    std::optional<bool> met;              // whether the target is met; empty unless completed
    std::vector<std::string> warnings;    // codes of the run's warnings (app/request/Warnings), once each
};

// A crossing, bisected down to neighbouring values one step of the input's
// precision apart (or to where a calculation inside failed).
struct Solution {
    Point met;    // the side of the bracket where the target is met: the answer
    Point unmet;  // the other side
};

struct SolveProblem {
    FieldTexts base;          // the other inputs
    char separator = '.';
    int field = 0;            // index into kInputFields of the input solved for
    double low = 0, high = 0; // the range scanned
    Target target;
    int intervals = 20;       // the scan's intervals before bisection
};

struct SolveResult {
    std::vector<Solution> solutions;  // in the order of the input's value
    Point low, high;                  // the calculations at the ends of the range
    int calculations = 0;
};

// The step of the input's practical precision: one unit of the last decimal
// of its results-file format (0.1 kg/hr for OutputRate).
double PrecisionStep(int field);

// The range scanned when none is given: a quarter to twice the base value
// (either way round for a negative one), -1 to 1 for a base value of 0.
std::pair<double, double> DefaultRange(double base);

// The text of `value` for the input `field`, rounded to its precision step.
std::string ValueText(int field, double value, char separator);

// One calculation of `base` with the input `field` at `value`.
Point Evaluate(const FieldTexts& base, char separator, int field, double value, const Target& target);

// Scans `intervals` equal intervals of the range (ends rounded to the
// precision step) and bisects each interval where the target flips between
// two completed calculations. A crossing inside one scan interval that flips
// back within it is not seen.
SolveResult Solve(const SolveProblem& problem);

}  // namespace tadmor::analysis
