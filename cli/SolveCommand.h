// `tadmor solve`: one input solved for a target, or, with --over, at each
// value of a second input (a capacity curve).
#pragma once

#include <string>
#include <utility>

#include "analysis/Solve.h"
#include "cli/InputOptions.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct SolveOptions {
    RunOptions base;
    std::string input;     // --for
    std::string range;     // "LO:HI"; empty: the input's default range
    std::string meltedAt;  // "FLIGHT", "compression-end" or "end"; empty with --xw-at-end
    std::string xwAtEnd;
    bool bedWithinChannel = false;
    bool strict = false;  // exit 8 when a solution warns
    int intervals = 20;
    std::string format = "table";
    std::string over;    // "NAME=FROM:TO:STEP": a curve of solutions
    std::string output;  // the curve's CSV
    std::string plot;
    int jobs = 1;
};

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options);
int SolveMain(const SolveOptions& options);

// Reads the target of --melted-at or --xw-at-end (exactly one). Throws Error of kind Input.
analysis::Target ParseTarget(const std::string& meltedAt, const std::string& xwAtEnd);

// Reads "LO:HI". Throws Error of kind Input.
std::pair<double, double> ParseRange(const std::string& text);

// The problem of the options (--over aside). Throws Error of kind Input.
analysis::SolveProblem ProblemOf(const SolveOptions& options);

// The report of a solve on standard output: each solution and each bracket
// with its results, or why there is none, and the number of calculations.
std::string SolveText(const analysis::SolveProblem& problem, const analysis::SolveResult& result);

}  // namespace tadmor::cli
