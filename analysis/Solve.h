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

// FLIGHTs are compared as the results show them: at two decimals.
enum class TargetKind {
    MeltedAtFlight,          // melting completes in an increment at or before FLIGHT `value`
    MeltedAtCompressionEnd,  // ... at or before the end of the compression zone
    MeltedAtEnd,             // melting completes before the end of the screw
    SolidFractionAtEnd,      // X/W at the end is at most `value` (0 when melting completed)
};

struct Target {
    TargetKind kind = TargetKind::MeltedAtEnd;
    double value = 0;
    // And the bed never wider than the channel: no row with X/W above 1 (no
    // bed-wider-than-channel warning).
    bool bedWithinChannel = false;
};

// The target in words, e.g. "melting completed by FLIGHT 8".
std::string TargetText(const Target& target);

// One calculation at one value of the input solved for.
struct Point {
    double value = 0;  // the double of `text`
    std::string text;  // the text the calculation was given, with "."
    RunSummary run;
    std::optional<bool> met;  // whether the target is met; empty unless completed
};

// A crossing between neighbouring values: no value of the input's precision
// lies between them (one step of it apart, but for values so large that a
// double cannot hold that step).
struct Solution {
    Point met;    // the side where the target is met: the answer
    Point unmet;  // the other side
};

// A crossing across failing calculations: the target is met at one end, not
// at the other, and the calculations tried between them failed. Not a
// solution: the value where the target stops being met is not known.
struct Bracket {
    Point met, unmet;
    std::string failure;  // the outcome and message of a calculation between; empty when the search was stopped
};

enum class SolveOutcome {
    Solved,         // at least one solution
    NoSolution,     // the target is met at no value calculated
    MetThroughout,  // it is met at every value calculated
    Bracketed,      // it flips only across failing calculations
    Refused,        // no calculation completed; the first was refused
    Failed,         // no calculation completed; the first failed
};

// "solved", "no solution", "met throughout", "bracket", "refused" or "failed".
std::string OutcomeName(SolveOutcome outcome);

struct SolveProblem {
    inputs::Case base;         // the other inputs
    int field = 0;             // index into kInputFields of the input solved for
    double low = 0, high = 0;  // the range given
    Target target;
    int intervals = 20;  // the scan's intervals before bisection
};

struct SolveResult {
    SolveOutcome outcome = SolveOutcome::NoSolution;
    std::vector<Solution> solutions;  // in the order of the input's value
    std::vector<Bracket> brackets;    // likewise
    Point low, high;                  // the calculations at the ends of the range
    int calculations = 0;
    int failures = 0;  // calculations that did not complete
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

// The text of `value` for the input `field`, rounded to its precision step
// (to 17 significant digits where that is finer than the step).
std::string ValueText(int field, double value, char separator);

// The range scanned: the problem's ends rounded inward to the input's
// precision. Throws Error of kind Input when it holds fewer than two values.
std::pair<double, double> ScannedRange(const SolveProblem& problem);

// One calculation of the problem's base with its input at `value` (rounded
// to the input's precision).
Point Evaluate(const SolveProblem& problem, double value);

// Scans `intervals` equal intervals of the scanned range (geometric ones
// when its ends have one sign and differ by a factor of 1000 or more), the
// scan's calculations on control.jobs threads. Then bisects every interval
// whose ends differ: where the target flips between completed calculations,
// down to neighbouring values; where one end failed, towards the boundary of
// the failing region; and where a midpoint fails, on both of its sides. A
// crossing inside one scan interval that flips back within it is not seen.
// Throws as ScannedRange. Stopped, it returns what it has.
SolveResult Solve(const SolveProblem& problem, const RunControl& control = {});

// The problem at each value of a second input: a capacity curve. Throws
// Error of kind Input when the second input is the one solved for.
std::vector<SolveProblem> OverProblems(const SolveProblem& problem, const VariedInput& over);

// Solves each problem, one per task of the runner, into its place; a
// problem not solved (stopped) is left empty. Returns false when stopped.
bool SolveAll(const std::vector<SolveProblem>& problems, std::vector<std::optional<SolveResult>>& results,
              const RunControl& control);

}  // namespace tadmor::analysis
