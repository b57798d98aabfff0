// Solving for one input: the value at which a target on the melting is met,
// the other inputs fixed, found by scanning a range and bisecting every
// crossing. Each value is one calculation; no file is written.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/Runner.h"
#include "analysis/Sweep.h"
#include "app/request/RunSummary.h"
#include "inputs/Case.h"

namespace tadmor::analysis {

enum class TargetKind {
    MeltedAtFlight,      // melting completes in an increment at or before FLIGHT `value`
    MeltedAtEnd,         // melting completes before the end of the screw
    SolidFractionAtEnd,  // X/W at the end is at most `value` (0 when melting completed)
};

struct Target {
    TargetKind kind = TargetKind::MeltedAtEnd;
    double value = 0;
};

// The target in words, e.g. "melting completed by FLIGHT 8".
std::string TargetText(const Target& target);

// One calculation at one value of the input solved for.
struct Point {
    double value = 0;
    std::string text;  // the text the calculation was given, with "."
    RunSummary run;
    std::optional<bool> met;  // whether the target is met; empty unless completed
};

// A crossing, bisected down to neighbouring values one step of the input's
// precision apart (or to where a calculation inside failed).
struct Solution {
    Point met;    // the side of the bracket where the target is met: the answer
    Point unmet;  // the other side
};

struct SolveProblem {
    inputs::Case base;         // the other inputs
    int field = 0;             // index into kInputFields of the input solved for
    double low = 0, high = 0;  // the range scanned
    Target target;
    int intervals = 20;  // the scan's intervals before bisection
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
// Throws Error of kind Input for a base value that is not a finite number.
std::pair<double, double> DefaultRange(double base);

// The base value of `field` as the calculation reads it; NaN when its text
// is not a number.
double BaseValue(const inputs::Case& base, int field);

// The text of `value` for the input `field`, rounded to its precision step.
std::string ValueText(int field, double value, char separator);

// One calculation of the problem's base with its input at `value`.
Point Evaluate(const SolveProblem& problem, double value);

// Scans `intervals` equal intervals of the range (ends rounded to the
// precision step), the scan's calculations on control.jobs threads, and
// bisects each interval where the target flips between two completed
// calculations. A crossing inside one scan interval that flips back within
// it is not seen. Stopped, it returns what it has.
SolveResult Solve(const SolveProblem& problem, const RunControl& control = {});

// The problem at each value of a second input: a capacity curve.
std::vector<SolveProblem> OverProblems(const SolveProblem& problem, const VariedInput& over);

// Solves each problem, one per task of the runner, into its place; a
// problem not solved (stopped) is left empty. Returns false when stopped.
bool SolveAll(const std::vector<SolveProblem>& problems, std::vector<std::optional<SolveResult>>& results,
              const RunControl& control);

}  // namespace tadmor::analysis
