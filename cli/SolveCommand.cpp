#include "cli/SolveCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <tuple>

#include "charts/Builders.h"
#include "charts/ChartFiles.h"
#include "cli/Console.h"
#include "cli/SweepCommand.h"
#include "export/SolveExport.h"
#include "model/NumberText.h"

namespace tadmor::cli {

using analysis::Point;
using analysis::SolveProblem;
using analysis::SolveResult;
using analysis::Target;
using analysis::TargetKind;

namespace {

std::optional<double> ReadNumber(std::string_view text) { return TextToNumber(text, '.'); }

// What one calculation gave, in a few words.
std::string Describe(const Point& point) {
    const RunSummary& run = point.run;
    if (run.outcome != RequestOutcome::Completed) return run.outcomeName + ": " + run.message;
    std::string text =
        run.meltingIncrementFlight
            ? "melting completed at FLIGHT " + NumberText(*run.meltingIncrementFlight, 2)
            : "X/W " + NumberText(run.solidFractionAtEnd.value_or(1), 3) + " left at the end of the screw";
    return text + ", " + std::to_string(run.rows) + " rows, POWER TOT " + NumberText(run.totalPower.value_or(0), 2) +
           " kW, POWER VIS " + NumberText(run.viscousPower.value_or(0), 2) + " kW";
}

}  // namespace

std::string SolveText(const SolveProblem& problem, const SolveResult& result) {
    const std::string name(kInputFields[problem.field].variable);
    const auto value = [&](double v) { return analysis::ValueText(problem.field, v, '.'); };
    std::string text;
    for (const analysis::Solution& solution : result.solutions)
        text += name + " = " + value(solution.met.value) + ": " + Describe(solution.met) + "; not met at " +
                value(solution.unmet.value) + "\n";
    if (result.solutions.empty())
        text += "no " + name + " in " + value(result.low.value) + ":" + value(result.high.value) + " gives " +
                analysis::TargetText(problem.target) + "; at " + value(result.low.value) + ": " + Describe(result.low) +
                "; at " + value(result.high.value) + ": " + Describe(result.high) + "\n";
    return text + std::to_string(result.calculations) + " calculations\n";
}

Target ParseTarget(const std::string& meltedAt, const std::string& xwAtEnd) {
    if (meltedAt.empty() == xwAtEnd.empty())
        throw Error(ErrorKind::Input, "give one target: --melted-at or --xw-at-end");
    if (meltedAt == "end") return {TargetKind::MeltedAtEnd, 0};
    const std::string& text = meltedAt.empty() ? xwAtEnd : meltedAt;
    const std::optional<double> value = ReadNumber(text);
    if (!value)
        throw Error(ErrorKind::Input,
                    "the target " + Quoted(text) + " is not a number" + (meltedAt.empty() ? "" : " or end"));
    return {meltedAt.empty() ? TargetKind::SolidFractionAtEnd : TargetKind::MeltedAtFlight, *value};
}

std::pair<double, double> ParseRange(const std::string& text) {
    const std::size_t colon = text.find(':');
    const std::optional<double> low = ReadNumber(std::string_view(text).substr(0, colon));
    const std::optional<double> high =
        colon == std::string::npos ? std::nullopt : ReadNumber(std::string_view(text).substr(colon + 1));
    if (!low || !high || *low >= *high)
        throw Error(ErrorKind::Input, "--range must be LO:HI with LO < HI, not " + Quoted(text));
    return {*low, *high};
}

SolveProblem ProblemOf(const SolveOptions& options) {
    SolveProblem problem;
    problem.base = RequestCase(options.base);
    problem.field = FieldIndexOf(options.input);
    if (problem.field < 0 || problem.field >= kNumericFieldCount)
        throw Error(ErrorKind::Input,
                    "--for: no numeric input named " + Quoted(options.input) + DidYouMean(options.input));
    problem.target = ParseTarget(options.meltedAt, options.xwAtEnd);
    problem.intervals = options.intervals;
    std::tie(problem.low, problem.high) = options.range.empty()
                                              ? analysis::DefaultRange(analysis::BaseValue(problem.base, problem.field))
                                              : ParseRange(options.range);
    return problem;
}

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options) {
    CLI::App* solve = app.add_subcommand("solve", "Find the value of one input at which a target is met");
    solve->footer(
        "Targets: --melted-at FLIGHT (melting completes by then), --melted-at end (by the end of\n"
        "the screw; for OutputRate the melting capacity), --xw-at-end X (X/W at the end at most X).\n"
        "The range is scanned in --intervals steps and every crossing bisected to one unit of the\n"
        "input's last decimal; each solution is the value where the target is still met.\n"
        "Default range: a quarter to twice the base value (-1:1 for 0).\n"
        "--over NAME=FROM:TO:STEP solves at each value of NAME (a capacity curve) into -o CSV;\n"
        "SIGINT or SIGTERM stops it and writes the values solved so far.\n"
        "Exit codes as for run, and 7: no solution in the range; 130 or 143: stopped.");
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
    options.jobs = analysis::AllProcessors();
    solve->add_option("--jobs", options.jobs, "Calculations run at once")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    return solve;
}

int SolveMain(const SolveOptions& options) {
    SolveProblem problem;
    std::optional<analysis::VariedInput> over;
    const int prepared = Guarded([&] {
        problem = ProblemOf(options);
        if (!options.over.empty()) {
            over = ParseVary(options.over, "--over");
            if (options.output.empty()) throw Error(ErrorKind::Input, "--over needs -o CURVE.csv");
            RequireWritable(options.output, "the curve");
        } else if (!options.output.empty() || !options.plot.empty()) {
            throw Error(ErrorKind::Input, "-o and --plot go with --over");
        }
        charts::RequirePlotFileName(options.plot);
        return kExitSuccess;
    });
    if (prepared != kExitSuccess) return prepared;

    StopOnInterrupt();
    analysis::RunControl control{options.jobs, &StopSignal(), nullptr};
    if (!over) {
        const SolveResult result = analysis::Solve(problem, control);
        if (const int signal = StopSignal()) return Stopped(signal, "the solve is incomplete");
        std::cout << (options.format == "json" ? exporting::SolveJson(problem, result) : SolveText(problem, result));
        std::cout.flush();
        if (!result.solutions.empty()) return kExitSuccess;
        // Neither end ran: the base case itself is at fault.
        if (!result.low.met && !result.high.met) return ExitCodeOf(result.low.run.outcome);
        return kExitNoSolution;
    }

    control.progress = ProgressBar("values of " + std::string(analysis::NameOf(*over)));
    std::vector<std::optional<SolveResult>> results;
    analysis::SolveAll(analysis::OverProblems(problem, *over), results, control);
    if (!TryWriteWhole(options.output, exporting::CurveCsv(*over, problem.field, results), "the curve"))
        return kExitFileNotWritten;
    int solved = 0, calculations = 0, finished = 0;
    for (const std::optional<SolveResult>& result : results) {
        if (!result) continue;
        ++finished;
        solved += !result->solutions.empty();
        calculations += result->calculations;
    }
    if (const int signal = StopSignal())
        return Stopped(signal, "the curve " + Quoted(options.output) + " holds " + std::to_string(finished) + " of " +
                                   std::to_string(results.size()) + " values of " +
                                   std::string(analysis::NameOf(*over)));
    std::cout << options.output << ": " << results.size() << " values of " << analysis::NameOf(*over) << ", " << solved
              << " with a solution; " << calculations << " calculations\n";
    std::cout.flush();
    if (!options.plot.empty()) {
        const int exitCode = Guarded([&] {
            charts::WriteChart(charts::CurveChart(*over, problem.field, results,
                                                  std::string(kInputFields[problem.field].variable) + " for " +
                                                      analysis::TargetText(problem.target)),
                               options.plot);
            return kExitSuccess;
        });
        if (exitCode != kExitSuccess) return exitCode;
    }
    return solved > 0 ? kExitSuccess : kExitNoSolution;
}

}  // namespace tadmor::cli
