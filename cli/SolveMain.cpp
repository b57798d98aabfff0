#include "cli/SolveMain.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <thread>

#include "cli/ChartRenderer.h"
#include "cli/InputOptions.h"
#include "report/AtomicFile.h"

namespace tadmor::cli {

using analysis::SolveProblem;
using analysis::SolveResult;

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options) {
    CLI::App* solve = app.add_subcommand("solve", "Find the value of one input at which a target is met");
    solve->footer(
        "Targets: --melted-at FLIGHT (melting completes by then), --melted-at end (by the end of\n"
        "the screw; for OutputRate the melting capacity), --xw-at-end X (X/W at the end at most X).\n"
        "The range is scanned in --intervals steps and every crossing bisected to one unit of the\n"
        "input's last decimal; each solution is the value where the target is still met.\n"
        "Default range: a quarter to twice the base value (-1:1 for 0).\n"
        "--over NAME=FROM:TO:STEP solves at each value of NAME (a capacity curve) into -o CSV.\n"
        "Exit codes as for run, and 7: no solution in the range.");
    AddInputOptions(*solve, options.base);
    solve->add_option("--for", options.input, "The input solved for")->required()->type_name("NAME");
    solve->add_option("--range", options.range, "The values scanned")->type_name("LO:HI");
    solve->add_option("--melted-at", options.meltedAt, "Melting completes by this FLIGHT or the end")
        ->type_name("FLIGHT|end");
    solve->add_option("--xw-at-end", options.xwAtEnd, "X/W at the end of the screw at most this")->type_name("X");
    solve->add_option("--intervals", options.intervals, "Intervals of the scan")
        ->check(CLI::Range(1, 10000))
        ->capture_default_str();
    solve->add_option("--format", options.format, "table or json")
        ->check(CLI::IsMember({"table", "json"}))
        ->capture_default_str();
    solve->add_option("--over", options.over, "Solve at each value of a second input")
        ->type_name("NAME=FROM:TO:STEP|NAME=V1,V2,...");
    solve->add_option("-o,--output", options.output, "The curve's CSV (with --over)")->type_name("CURVE.csv");
    solve->add_option("--plot", options.plot, "Draw the curve (with --over)")->type_name("FILE.png|FILE.svg");
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    solve->add_option("--jobs", options.jobs, "Solves run at once (with --over)")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    return solve;
}

int SolveMain(const SolveOptions& options, const std::function<int(const Chart&, const std::string&)>& plot) {
    SolveProblem problem;
    std::optional<VariedInput> over;
    try {
        problem = ProblemOf(options);
        if (!options.over.empty()) {
            over = ParseVary(options.over);
            if (options.output.empty()) throw UsageError("--over needs -o CURVE.csv");
        } else if (!options.output.empty() || !options.plot.empty()) {
            throw UsageError("-o and --plot go with --over");
        }
        RequirePlotFileName(options.plot);
    } catch (const UsageError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitUsage;
    }

    if (!over) {
        const SolveResult result = analysis::Solve(problem);
        std::cout << (options.format == "json" ? SolveJson(problem, result) : SolveText(problem, result));
        std::cout.flush();
        if (!result.solutions.empty()) return kExitSuccess;
        // Neither end ran: the base case itself is at fault.
        if (!result.low.met && !result.high.met) return ExitCodeOf(result.low.outcome);
        return kExitNoSolution;
    }

    const std::vector<SolveResult> results = SolveAll(OverProblems(problem, *over), options.jobs);
    AtomicFile csv(options.output);
    if (!csv.Write(CurveCsv(*over, problem.field, results)) || !csv.Commit()) {
        std::cerr << ErrorLine("cannot write the curve " + Quoted(options.output));
        return kExitFileNotWritten;
    }
    int solved = 0, calculations = 0;
    for (const SolveResult& result : results) {
        solved += !result.solutions.empty();
        calculations += result.calculations;
    }
    std::cout << options.output << ": " << results.size() << " values of " << over->name << ", " << solved
              << " with a solution; " << calculations << " calculations\n";
    std::cout.flush();
    if (!options.plot.empty()) {
        const int exitCode = plot(CurveChart(*over, problem.field, results,
                                             std::string(kInputFields[problem.field].variable) + " for " +
                                                 TargetText(problem.target)),
                                  options.plot);
        if (exitCode != kExitSuccess) return exitCode;
    }
    return solved > 0 ? kExitSuccess : kExitNoSolution;
}

}  // namespace tadmor::cli
