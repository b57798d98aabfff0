// The options and the run of `tadmor solve`: one input solved for a target,
// or, with --over, at each value of a second input (a capacity curve).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/Solve.h"
#include "cli/Chart.h"
#include "cli/RunCommand.h"

namespace CLI {
class App;
}

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

// The JSON object of a solve: the input, range, target, calculations, every
// solution with its bracket and its result, and the calculations at both ends.
std::string SolveJson(const analysis::SolveProblem& problem, const analysis::SolveResult& result);

// A curve's CSV: one line per value of the second input, with the largest
// solution found there (empty when none) and its result.
std::string CurveCsv(const VariedInput& over, int field, const std::vector<analysis::SolveResult>& results);

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options);

int SolveMain(const SolveOptions& options, const std::function<int(const Chart&, const std::string&)>& plot);

}  // namespace tadmor::cli
