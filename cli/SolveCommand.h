// The options and the pieces of `tadmor solve`: one input solved for a
// target, or, with --over, at each value of a second input (a capacity curve).
#pragma once

#include <string>
#include <vector>

#include "analysis/Solve.h"
#include "cli/Chart.h"
#include "cli/RunCommand.h"
#include "cli/Sweep.h"

namespace tadmor::cli {

// No value of the input in the range meets the target.
inline constexpr int kExitNoSolution = 7;

struct SolveOptions {
    RunOptions base;
    std::string input;     // --for
    std::string range;     // "LO:HI"; empty: the input's default range
    std::string meltedAt;  // "FLIGHT" or "end"; empty with --xw-at-end
    std::string xwAtEnd;
    int intervals = 20;
    std::string format = "table";
    std::string over;      // "NAME=FROM:TO:STEP": a curve of solutions
    std::string output;    // the curve's CSV
    std::string plot;
    int jobs = 1;
};

// Reads the target of --melted-at or --xw-at-end (exactly one). Throws UsageError.
analysis::Target ParseTarget(const std::string& meltedAt, const std::string& xwAtEnd);

// Reads "LO:HI". Throws UsageError.
std::pair<double, double> ParseRange(const std::string& text);

// The problem of the options (--over aside): the base case, the input, the
// target and the range, the default range from the base value. Throws UsageError.
analysis::SolveProblem ProblemOf(const SolveOptions& options);

// The problem at each value of the second input of --over.
std::vector<analysis::SolveProblem> OverProblems(const analysis::SolveProblem& problem, const VariedInput& over);

// Solves `problems` on `jobs` threads, each into its place.
std::vector<analysis::SolveResult> SolveAll(const std::vector<analysis::SolveProblem>& problems, int jobs);

// The outcome of one calculation as the JSON names it: "melting completed",
// "end of screw", "invalid input", "file not written" or "calculation error".
std::string PointOutcome(const analysis::Point& point);

// The target in words, e.g. "melting completed by FLIGHT 8".
std::string TargetText(const analysis::Target& target);

// The JSON object of a solve: the input, range, target, calculations, every
// solution with its bracket and its result, and the calculations at both ends.
std::string SolveJson(const analysis::SolveProblem& problem, const analysis::SolveResult& result);

// The report of a solve on standard output: each solution with its result,
// or why there is none, and the number of calculations.
std::string SolveText(const analysis::SolveProblem& problem, const analysis::SolveResult& result);

// The curve of --over: the largest solution at each value of the second input.
Chart CurveChart(const VariedInput& over, int field, const std::vector<analysis::SolveResult>& results,
                 const std::string& title);

// A curve's CSV: one line per value of the second input, with the largest
// solution found there (empty when none) and its result.
std::string CurveCsv(const VariedInput& over, int field, const std::vector<analysis::SolveResult>& results);

}  // namespace tadmor::cli
