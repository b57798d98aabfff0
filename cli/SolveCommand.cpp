#include "cli/SolveCommand.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <iostream>
#include <thread>

#include "cli/ChartRenderer.h"
#include "cli/Export.h"
#include "cli/Sweep.h"
#include "model/NumberText.h"
#include "report/AtomicFile.h"

namespace tadmor::cli {

using analysis::Point;
using analysis::SolveProblem;
using analysis::SolveResult;
using analysis::Target;
using analysis::TargetKind;

namespace {

std::optional<double> ReadNumber(std::string_view text) {
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::string PointOutcome(const Point& point) {
    switch (point.outcome) {
        case RequestOutcome::Completed: return point.meltingFlight ? "melting completed" : "end of screw";
        case RequestOutcome::InvalidInput: return "invalid input";
        case RequestOutcome::FileNotWritten: return "file not written";
        case RequestOutcome::CalculationError: return "calculation error";
    }
    return "calculation error";
}

// What one calculation gave, in a few words.
std::string Describe(const Point& point) {
    if (point.outcome != RequestOutcome::Completed) return PointOutcome(point) + ": " + point.message;
    std::string text = point.meltingFlight ? "melting completed at FLIGHT " + NumberText(*point.meltingFlight, 2)
                                           : "X/W " + NumberText(point.solidFraction, 3) + " left at the end of the screw";
    return text + ", " + std::to_string(point.rows) + " rows, POWER TOT " + NumberText(point.totalPower, 2) +
           " kW, POWER VIS " + NumberText(point.viscousPower, 2) + " kW";
}

nlohmann::json PointJson(const Point& point) {
    nlohmann::json json = {{"value", point.value}, {"outcome", PointOutcome(point)}};
    json["message"] = point.message.empty() ? nlohmann::json() : nlohmann::json(point.message);
    if (point.outcome != RequestOutcome::Completed) return json;
    json["rows"] = point.rows;
    json["meltingFlight"] = point.meltingFlight ? nlohmann::json(*point.meltingFlight) : nlohmann::json();
    json["solidFractionAtEnd"] = point.solidFraction;
    json["totalPower"] = point.totalPower;
    json["viscousPower"] = point.viscousPower;
    json["targetMet"] = *point.met;
    return json;
}

std::string TargetText(const Target& target) {
    switch (target.kind) {
        case TargetKind::MeltedAtFlight: return "melting completed by FLIGHT " + ExactNumber(target.value);
        case TargetKind::MeltedAtEnd: return "melting completed by the end of the screw";
        case TargetKind::SolidFractionAtEnd: return "X/W at most " + ExactNumber(target.value) + " at the end";
    }
    return "";
}

std::string SolveText(const SolveProblem& problem, const SolveResult& result) {
    const std::string name(kInputFields[problem.field].variable);
    std::string text;
    for (const analysis::Solution& solution : result.solutions)
        text += name + " = " + analysis::ValueText(problem.field, solution.met.value, '.') + ": " +
                Describe(solution.met) + "; not met at " +
                analysis::ValueText(problem.field, solution.unmet.value, '.') + "\n";
    if (result.solutions.empty())
        text += "no " + name + " in " + analysis::ValueText(problem.field, result.low.value, '.') + ":" +
                analysis::ValueText(problem.field, result.high.value, '.') + " gives " + TargetText(problem.target) +
                "; at " + analysis::ValueText(problem.field, result.low.value, '.') + ": " + Describe(result.low) +
                "; at " + analysis::ValueText(problem.field, result.high.value, '.') + ": " + Describe(result.high) +
                "\n";
    return text + std::to_string(result.calculations) + " calculations\n";
}

// Solves `problems` on `jobs` threads, each into its place.
std::vector<SolveResult> SolveAll(const std::vector<SolveProblem>& problems, int jobs) {
    std::vector<SolveResult> results(problems.size());
    std::atomic<std::size_t> next = 0;
    std::vector<std::jthread> threads;
    for (int j = 0; j < std::max(1, jobs); ++j)
        threads.emplace_back([&] {
            for (std::size_t i = next++; i < problems.size(); i = next++) results[i] = analysis::Solve(problems[i]);
        });
    threads.clear();
    return results;
}

Chart CurveChart(const VariedInput& over, int field, const std::vector<SolveResult>& results,
                 const std::string& title) {
    Curve curve;
    curve.markers = true;
    for (std::size_t i = 0; i < results.size(); ++i) {
        curve.x.push_back(*ReadNumber(over.values[i]));
        curve.y.push_back(results[i].solutions.empty() ? NAN : results[i].solutions.back().met.value);
    }
    Chart chart;
    chart.title = title;
    chart.xLabel = FieldCaption(kInputFields[FieldIndexOf(over.name)]);
    chart.panels.push_back({FieldCaption(kInputFields[field]), {curve}, std::nullopt, {}, false});
    return chart;
}

}  // namespace

Target ParseTarget(const std::string& meltedAt, const std::string& xwAtEnd) {
    if (meltedAt.empty() == xwAtEnd.empty()) throw UsageError("give one target: --melted-at or --xw-at-end");
    if (meltedAt == "end") return {TargetKind::MeltedAtEnd, 0};
    const std::string& text = meltedAt.empty() ? xwAtEnd : meltedAt;
    const std::optional<double> value = ReadNumber(text);
    if (!value) throw UsageError("the target \"" + text + "\" is not a number" + (meltedAt.empty() ? "" : " or end"));
    return {meltedAt.empty() ? TargetKind::SolidFractionAtEnd : TargetKind::MeltedAtFlight, *value};
}

std::pair<double, double> ParseRange(const std::string& text) {
    const std::size_t colon = text.find(':');
    const std::optional<double> low = ReadNumber(std::string_view(text).substr(0, colon));
    const std::optional<double> high =
        colon == std::string::npos ? std::nullopt : ReadNumber(std::string_view(text).substr(colon + 1));
    if (!low || !high || *low >= *high) throw UsageError("--range must be LO:HI with LO < HI, not \"" + text + "\"");
    return {*low, *high};
}

std::string SolveJson(const SolveProblem& problem, const SolveResult& result) {
    nlohmann::json solutions = nlohmann::json::array();
    for (const analysis::Solution& solution : result.solutions) {
        nlohmann::json json = PointJson(solution.met);
        json["notMetAt"] = solution.unmet.value;
        solutions.push_back(json);
    }
    const nlohmann::json json = {{"input", kInputFields[problem.field].variable},
                                 {"range", {problem.low, problem.high}},
                                 {"target", TargetText(problem.target)},
                                 {"calculations", result.calculations},
                                 {"solutions", solutions},
                                 {"low", PointJson(result.low)},
                                 {"high", PointJson(result.high)}};
    return json.dump(2) + "\n";
}

std::string CurveCsv(const VariedInput& over, int field, const std::vector<SolveResult>& results) {
    std::string csv = over.name + "," + std::string(kInputFields[field].variable) +
                      ",solutions,FLIGHT melted (turns),X/W at end,POWER TOT (kW),POWER VIS (kW),calculations\n";
    for (std::size_t i = 0; i < results.size(); ++i) {
        csv += over.values[i] + ",";
        if (results[i].solutions.empty()) {
            csv += ",0,,,,," + std::to_string(results[i].calculations) + "\n";
            continue;
        }
        const Point& best = results[i].solutions.back().met;
        csv += analysis::ValueText(field, best.value, '.') + "," + std::to_string(results[i].solutions.size()) + "," +
               (best.meltingFlight ? ExactNumber(*best.meltingFlight) : "") + "," + ExactNumber(best.solidFraction) +
               "," + ExactNumber(best.totalPower) + "," + ExactNumber(best.viscousPower) + "," +
               std::to_string(results[i].calculations) + "\n";
    }
    return csv;
}

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
    solve->add_option("--material", options.base.materialPath, "Read the material inputs from a material file")
        ->type_name("FILE");
    solve->add_option("--case", options.base.casePath, "Read inputs from a case file")->type_name("FILE");
    solve->add_option("--set", options.base.settings, "Set one input (repeatable)")
        ->type_name("NAME=TEXT")
        ->allow_extra_args(false);
    solve->add_option("--decimal-separator", options.base.separator, "Decimal separator of the texts")
        ->type_name("C");
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
        problem.separator = ChooseSeparator(options.base);
        problem.base = TextsFor(options.base, problem.separator);
        problem.field = FieldIndexOf(options.input);
        if (problem.field < 0 || kInputFields[problem.field].value == nullptr)
            throw UsageError("--for: no numeric input named \"" + options.input + "\"");
        problem.target = ParseTarget(options.meltedAt, options.xwAtEnd);
        problem.intervals = options.intervals;
        if (!options.over.empty()) {
            over = ParseVary(options.over);
            if (options.output.empty()) throw UsageError("--over needs -o CURVE.csv");
        } else if (!options.output.empty() || !options.plot.empty()) {
            throw UsageError("-o and --plot go with --over");
        }
        if (!options.plot.empty() && !IsPlotFileName(options.plot))
            throw UsageError("the plot file name must end in .png or .svg, not \"" + options.plot + "\"");
        if (!options.range.empty()) {
            std::tie(problem.low, problem.high) = ParseRange(options.range);
        } else {
            // The base value as the calculation reads it.
            const Calculation base = Calculate(problem.base, problem.separator);
            std::tie(problem.low, problem.high) = analysis::DefaultRange(base.state.*kInputFields[problem.field].value);
        }
    } catch (const UsageError& error) {
        std::cerr << "tadmor: " << error.what() << '\n';
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

    std::vector<SolveProblem> problems;
    for (const std::string& value : over->values) {
        SolveProblem atValue = problem;
        atValue.base[over->field] = value;
        if (problem.separator != '.') std::replace(atValue.base[over->field].begin(), atValue.base[over->field].end(), '.', problem.separator);
        problems.push_back(atValue);
    }
    const std::vector<SolveResult> results = SolveAll(problems, options.jobs);
    AtomicFile csv(options.output);
    if (!csv.Write(CurveCsv(*over, problem.field, results)) || !csv.Commit()) {
        std::cerr << "tadmor: cannot write the curve \"" << options.output << "\"\n";
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
