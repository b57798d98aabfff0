#include "cli/SolveCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <map>
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

// What one calculation gave, in a few words, with the codes of its warnings.
std::string Describe(const Point& point) {
    const RunSummary& run = point.run;
    if (run.outcome != RequestOutcome::Completed) return run.outcomeName + ": " + run.message;
    std::string text =
        run.meltingIncrementFlight
            ? "melting completed at FLIGHT " + NumberText(*run.meltingIncrementFlight, 2)
            : "X/W " + NumberText(run.solidFractionAtEnd.value_or(1), 3) + " left at the end of the screw";
    text += ", " + std::to_string(run.rows) + " rows, POWER TOT " + NumberText(run.totalPower.value_or(0), 2) +
            " kW, POWER VIS " + NumberText(run.viscousPower.value_or(0), 2) + " kW";
    return run.warnings.empty() ? text : text + ", warnings: " + WarningCodes(run);
}

bool AnyWarns(const std::vector<const Point*>& solutions) {
    return std::any_of(solutions.begin(), solutions.end(),
                       [](const Point* point) { return !point->run.warnings.empty(); });
}

}  // namespace

std::string SolveText(const SolveProblem& problem, const SolveResult& result) {
    const std::string name(kInputFields[problem.field].variable);
    const auto value = [&](const Point& point) { return analysis::ValueText(problem.field, point.value, '.'); };
    std::string text;
    for (const analysis::Solution& solution : result.solutions)
        text += name + " = " + value(solution.met) + ": " + Describe(solution.met) + "; not met at " +
                value(solution.unmet) + "\n";
    for (const analysis::Bracket& bracket : result.brackets)
        text += name + " between " + value(bracket.met) + " and " + value(bracket.unmet) +
                ", a bracket, not a solution: met at " + value(bracket.met) + ": " + Describe(bracket.met) +
                "; not met at " + value(bracket.unmet) + ": " + Describe(bracket.unmet) +
                (bracket.failure.empty() ? "" : "; between them " + bracket.failure) + "\n";
    if (result.solutions.empty() && result.brackets.empty()) {
        const std::string range = value(result.low) + ":" + value(result.high);
        const std::string ends = "; at " + value(result.low) + ": " + Describe(result.low) + "; at " +
                                 value(result.high) + ": " + Describe(result.high);
        const std::string target = analysis::TargetText(problem.target);
        if (result.outcome == analysis::SolveOutcome::MetThroughout)
            text += "every " + name + " in " + range + (result.failures > 0 ? " that calculates" : "") + " gives " +
                    target + ": met throughout the range" + ends + "\n";
        else
            text += "no " + name + " in " + range + " gives " + target + ends + "\n";
    }
    return text + std::to_string(result.calculations) + " calculations" +
           (result.failures > 0 ? ", " + std::to_string(result.failures) + " of them failed" : "") + "\n";
}

Target ParseTarget(const std::string& meltedAt, const std::string& xwAtEnd) {
    if (meltedAt.empty() == xwAtEnd.empty())
        throw Error(ErrorKind::Input, "give one target: --melted-at or --xw-at-end");
    if (meltedAt == "end") return {TargetKind::MeltedAtEnd, 0};
    if (meltedAt == "compression-end") return {TargetKind::MeltedAtCompressionEnd, 0};
    const std::string& text = meltedAt.empty() ? xwAtEnd : meltedAt;
    const std::optional<double> value = ReadNumber(text);
    if (!value)
        throw Error(ErrorKind::Input, "the target " + Quoted(text) + " is not a number" +
                                          (meltedAt.empty() ? "" : ", compression-end or end"));
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
    problem.target.bedWithinChannel = options.bedWithinChannel;
    problem.intervals = options.intervals;
    std::tie(problem.low, problem.high) = options.range.empty()
                                              ? analysis::DefaultRange(analysis::BaseValue(problem.base, problem.field))
                                              : ParseRange(options.range);
    analysis::ScannedRange(problem);  // refuses a range too narrow for the input's precision
    return problem;
}

CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options) {
    CLI::App* solve = app.add_subcommand("solve", "Find the value of one input at which a target is met");
    solve->footer(
        "Targets: --melted-at FLIGHT (melting completes by then; FLIGHTs compared at two decimals,\n"
        "as the results show them), --melted-at compression-end (by the end of the compression\n"
        "zone), --melted-at end (by the end of the screw; for OutputRate the melting capacity),\n"
        "--xw-at-end X (X/W at the end at most X); --bed-within-channel adds X/W never above 1\n"
        "(no bed-wider-than-channel warning).\n"
        "The range, its ends rounded inward to the input's precision (one unit of its last\n"
        "decimal), is scanned in --intervals steps (geometric ones when its ends have one sign\n"
        "and differ by a factor of 1000 or more) and every crossing bisected down to neighbouring\n"
        "values; each solution is the value where the target is still met. A calculation that\n"
        "fails is searched around: where the target flips only across failing calculations, the\n"
        "result is a bracket with both ends, not a solution. Default range: a quarter to twice\n"
        "the base value (-1:1 for 0). Every calculation shown carries its warnings' codes.\n"
        "--over NAME=FROM:TO:STEP solves at each value of NAME (a capacity curve) into -o CSV:\n"
        "the largest solution at each value, its outcome (solved, no solution, met throughout,\n"
        "bracket, refused, failed), message and warnings, and a last line \"# tadmor solve\n"
        "curve: complete\" (or \"incomplete, N of M values\"); --plot draws it, the solutions that\n"
        "warn marked. SIGINT or SIGTERM stops it and writes the values solved so far.\n"
        "Exit codes as for run, and 7: no solution in the range (the target met nowhere, met\n"
        "throughout, or crossed only across failing calculations); 8: (--strict) a solution warns;\n"
        "130 or 143: stopped.");
    AddInputOptions(*solve, options.base);
    solve->add_option("--for", options.input, "The input solved for")->required()->type_name("NAME");
    solve->add_option("--range", options.range, "The values scanned (ends rounded inward to the input's precision)")
        ->type_name("LO:HI");
    solve
        ->add_option("--melted-at", options.meltedAt,
                     "Melting completes by this FLIGHT, the end of the compression zone or the end")
        ->type_name("FLIGHT|compression-end|end");
    solve->add_option("--xw-at-end", options.xwAtEnd, "X/W at the end of the screw at most this")->type_name("X");
    solve->add_flag("--bed-within-channel", options.bedWithinChannel, "And X/W never above 1");
    solve->add_flag("--strict", options.strict, "Exit with 8 when a solution reported gives a warning");
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
    std::vector<SolveProblem> problems;  // with --over
    const int prepared = Guarded([&] {
        problem = ProblemOf(options);
        if (!options.over.empty()) {
            over = ParseVary(options.over, "--over");
            problems = analysis::OverProblems(problem, *over);
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
        std::vector<const Point*> solutions;
        for (const analysis::Solution& solution : result.solutions) solutions.push_back(&solution.met);
        switch (result.outcome) {
            case analysis::SolveOutcome::Solved:
                return options.strict && AnyWarns(solutions) ? kExitWarnings : kExitSuccess;
            case analysis::SolveOutcome::Refused:
            case analysis::SolveOutcome::Failed:  // no calculation ran: the base case itself is at fault
                return ExitCodeOf(result.low.run.outcome);
            default:
                return kExitNoSolution;
        }
    }

    control.progress = ProgressBar("values of " + std::string(analysis::NameOf(*over)));
    std::vector<std::optional<SolveResult>> results;
    analysis::SolveAll(problems, results, control);
    if (!TryWriteWhole(options.output, exporting::CurveCsv(*over, problem.field, results), "the curve"))
        return kExitFileNotWritten;
    int calculations = 0, finished = 0;
    std::map<std::string, int> outcomes;
    std::vector<const Point*> shown;  // the largest solution at each value
    for (const std::optional<SolveResult>& result : results) {
        if (!result) continue;
        ++finished;
        ++outcomes[analysis::OutcomeName(result->outcome)];
        if (!result->solutions.empty()) shown.push_back(&result->solutions.back().met);
        calculations += result->calculations;
    }
    if (const int signal = StopSignal())
        return Stopped(signal, "the curve " + Quoted(options.output) + " holds " + std::to_string(finished) + " of " +
                                   std::to_string(results.size()) + " values of " +
                                   std::string(analysis::NameOf(*over)));
    std::cout << options.output << ": " << results.size() << " values of " << analysis::NameOf(*over) << ", "
              << shown.size() << " with a solution";
    for (const auto& [outcome, count] : outcomes)
        if (outcome != analysis::OutcomeName(analysis::SolveOutcome::Solved))
            std::cout << ", " << count << " " << outcome;
    std::cout << "; " << calculations << " calculations\n";
    std::cout.flush();
    if (!options.plot.empty()) {
        const int exitCode = Guarded([&] {
            charts::WriteChart(charts::CurveChart(*over, problem.field, results,
                                                  std::string(kInputFields[problem.field].variable) + " for " +
                                                      analysis::TargetText(problem.target),
                                                  &problem.base),
                               options.plot);
            return kExitSuccess;
        });
        if (exitCode != kExitSuccess) return exitCode;
    }
    if (shown.empty()) return kExitNoSolution;
    return options.strict && AnyWarns(shown) ? kExitWarnings : kExitSuccess;
}

}  // namespace tadmor::cli
