// tadmor: the calculation request of the window from the command line, with
// export, plots of the melting profile and parameter sweeps.
#include <CLI/CLI.hpp>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <clocale>
#include <filesystem>
#include <functional>
#include <iostream>
#include <limits>
#include <thread>

#include "cli/Chart.h"
#include "cli/ChartRenderer.h"
#include "cli/Export.h"
#include "cli/FitMain.h"
#include "cli/InputOptions.h"
#include "cli/Materials.h"
#include "cli/RunCommand.h"
#include "cli/SensitivityCommand.h"
#include "cli/SolveMain.h"
#include "cli/Sweep.h"
#include "model/Arithmetic.h"
#include "app/request/Warnings.h"
#include "report/AtomicFile.h"
#include "report/ReadFile.h"

namespace {

using namespace tadmor;
using namespace tadmor::cli;

struct RunCommandOptions {
    RunOptions run;
    std::string format = "table";
    std::string csv;   // empty: no CSV file
    std::string json;  // empty: no JSON file
    std::string plot;  // empty: no plot
    bool strict = false;  // warnings give kExitWarnings
};

struct PlotCommandOptions {
    std::string resultsPath;
    std::string output;
};

struct SweepCommandOptions {
    RunOptions base;
    std::vector<std::string> vary;
    std::string summary;
    std::string resume;  // empty: no earlier summary
    std::string resultsDir;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::string shard = "0/1";
    std::string plot;
    std::string plotValue = "flight";
};

// Draws with `render`; a failure is told on standard error and gives kExitFileNotWritten.
int Draw(const std::function<void()>& render) {
    try {
        render();
        return kExitSuccess;
    } catch (const PlotError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitFileNotWritten;
    }
}

// Draws `chart` as Draw does.
int Plot(const Chart& chart, const std::string& path) { return Draw([&] { RenderChart(chart, path); }); }

int PlotTornado(const TornadoChart& chart, const std::string& path) {
    return Draw([&] { RenderTornado(chart, path); });
}

// Whether a file can be written at `path`: its temporary file can be
// created. A failure is told on standard error.
bool CanWrite(const std::string& path, const std::string& what) {
    if (AtomicFile(path).IsOpen()) return true;
    std::cerr << ErrorLine("cannot write " + what + " " + Quoted(path));
    return false;
}

// Writes `bytes` whole to `path`; a failure is told on standard error.
bool WriteWhole(const std::string& path, std::string_view bytes, const std::string& what) {
    AtomicFile file(path);
    if (file.Write(bytes) && file.Commit()) return true;
    std::cerr << ErrorLine("cannot write " + what + " " + Quoted(path));
    return false;
}

bool EndsWith(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) return false;
    const std::string_view end = name.substr(name.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// Whether two names are one file: the same path once made absolute.
bool SameFile(const std::string& a, const std::string& b) {
    return std::filesystem::absolute(a).lexically_normal() == std::filesystem::absolute(b).lexically_normal();
}

int RunMain(const RunCommandOptions& options) {
    FieldTexts given, texts;
    TextOrigins origins;
    char textSeparator, separator;
    try {
        RequirePlotFileName(options.plot);
        textSeparator = TextSeparator(options.run);
        separator = ChooseSeparator(options.run);
        given = TextsFor(options.run, textSeparator, &origins);
        texts = WithSeparator(given, textSeparator, separator);
        const std::string& resultsFile = texts.back();
        for (const std::string* exported : {&options.csv, &options.json})
            if (!exported->empty() && !resultsFile.empty() && SameFile(*exported, resultsFile))
                throw UsageError("\"" + *exported + "\" is also the results file; give -o another name");
    } catch (const UsageError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitUsage;
    }
    if (const std::string& name = texts.back(); EndsWith(name, ".csv") || EndsWith(name, ".json")) {
        const bool csv = EndsWith(name, ".csv");
        std::cerr << ErrorLine("warning: " + Quoted(name) + " gets the results file (the window's text format), not " +
                               (csv ? "CSV; --csv " : "JSON; --json ") + Quoted(name) + " writes " +
                               (csv ? "the CSV" : "the JSON"));
    }
    // The exports are tried before the run, so that none computes for a file it cannot write.
    if ((!options.csv.empty() && !CanWrite(options.csv, "the CSV file")) ||
        (!options.json.empty() && !CanWrite(options.json, "the JSON file")))
        return kExitFileNotWritten;

    SimulationState state;
    ConsoleUi ui(std::cerr);
    const RequestOutcome outcome = RunCalculationRequest(texts, separator, state, ui);
    if (outcome == RequestOutcome::InvalidInput)
        if (const int field = RefusedField(texts, separator); field >= 0)
            std::cerr << ErrorLine(RefusalDetail(field, given, origins, textSeparator));
    if (outcome == RequestOutcome::FileNotWritten)
        std::cerr << ErrorLine("the results file " + Quoted(texts.back()) + " could not be written");
    const bool completed = outcome == RequestOutcome::Completed;
    const std::vector<Warning> warnings = AllWarnings(options.run.materialPath, texts, separator, state, outcome);
    const std::string json = ResultsJson(given, textSeparator, state, outcome, ui.Message(), warnings);
    if (options.format == "json")
        std::cout << json;
    else if (completed)
        std::cout << (options.format == "csv" ? ResultsCsv(state) : Summary(state) + "\n");
    std::cout.flush();
    bool written = true;
    if (!options.json.empty()) written = WriteWhole(options.json, json, "the JSON file");
    if (completed && !options.csv.empty()) written = WriteWhole(options.csv, ResultsCsv(state), "the CSV file") && written;
    for (const Warning& warning : warnings) std::cerr << ErrorLine("warning: " + WarningLine(warning));
    int exitCode = ExitCodeOf(outcome);
    if (completed && !options.plot.empty())
        exitCode = Plot(MeltingProfileChart(state, MeltingFlight(outcome, state)), options.plot);
    if (exitCode == kExitSuccess && !written) exitCode = kExitFileNotWritten;
    return exitCode == kExitSuccess && options.strict && !warnings.empty() ? kExitWarnings : exitCode;
}

int PlotMain(const PlotCommandOptions& options) {
    try {
        RequirePlotFileName(options.output);
    } catch (const UsageError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitUsage;
    }
    ResultsFileContents contents;
    try {
        contents = ReadResultsFile(options.resultsPath);
    } catch (const NotAResultsFile& error) {
        std::cerr << ErrorLine(error.what());
        return kExitNotAResultsFile;
    }
    const std::string name = std::filesystem::path(options.resultsPath).filename().string();
    return Plot(MeltingProfileChart(StateFromResultsFile(contents, name), std::nullopt), options.output);
}

// A bar on standard error, redrawn when a case ends.
void ShowProgress(std::size_t done, std::size_t total) {
    constexpr std::size_t kBarWidth = 40;
    const std::size_t filled = kBarWidth * done / total;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] " << done << "/"
              << total << " cases" << (done == total ? "\n" : "") << std::flush;
}

// The signal (SIGINT or SIGTERM) that asked the sweep to stop, or 0. The
// handler only stores it, which is safe in a handler as the atomic is lock-free.
std::atomic<int> gStopSignal = 0;
static_assert(std::atomic<int>::is_always_lock_free);

void RequestStop(int signal) { gStopSignal = signal; }

void StopOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

// More than any summary holds: a million lines of cases with their values.
constexpr std::size_t kMaxSummaryBytes = std::size_t{1} << 30;

std::string ReadSummaryFile(const std::string& path) {
    try {
        return ReadRegularFile(path, kMaxSummaryBytes);
    } catch (const FileReadError& error) {
        throw UsageError("--resume " + path + ": cannot read the summary: " + error.what());
    }
}

int SweepMain(const SweepCommandOptions& options) {
    SweepSettings settings;
    std::vector<SweepCase> cases;
    CaseResults results;
    try {
        RequirePlotFileName(options.plot);
        settings.separator = ChooseSeparator(options.base);
        settings.base = RequestTexts(options.base);
        settings.varied = ParseVaries(options.vary);
        cases = SweepCases(settings.varied, ParseShard(options.shard));
        results.resize(cases.size());
        if (!options.resume.empty())
            ReadSummary(ReadSummaryFile(options.resume), options.resume, settings.varied, SweepId(settings), cases,
                        results);
    } catch (const UsageError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitUsage;
    }
    settings.resultsDir = options.resultsDir;
    settings.jobs = options.jobs;

    // Every file is tried before the first case, so that no sweep computes
    // for a file it cannot write.
    if (!CanWrite(options.summary, "the summary file") || (!options.plot.empty() && !CanWrite(options.plot, "the plot")))
        return kExitFileNotWritten;
    if (!settings.resultsDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(settings.resultsDir, error);
        if (!std::filesystem::is_directory(settings.resultsDir)) {
            std::cerr << ErrorLine("cannot create the results folder " + Quoted(settings.resultsDir));
            return kExitFileNotWritten;
        }
        if (!cases.empty() && !CanWrite(CaseResultFileName(settings, cases.front().index), "the results file"))
            return kExitFileNotWritten;
    }

    const bool terminal = isatty(STDERR_FILENO) == 1;
    StopOnInterrupt();
    RunSweep(settings, cases, results, gStopSignal, terminal ? ShowProgress : nullptr);
    const int stopSignal = gStopSignal;

    if (!WriteWhole(options.summary, SummaryCsv(settings.varied, SweepId(settings), cases, results),
                    "the summary file"))
        return kExitFileNotWritten;
    std::size_t finished = 0, completed = 0, melted = 0, notWritten = 0;
    for (const std::optional<CaseResult>& result : results) {
        if (!result) continue;
        ++finished;
        completed += result->outcome == RequestOutcome::Completed;
        melted += result->meltingFlight.has_value();
        notWritten += result->outcome == RequestOutcome::FileNotWritten;
    }
    if (stopSignal != 0) {
        std::cerr << (terminal ? "\n" : "") << "tadmor: stopped by " << (stopSignal == SIGINT ? "SIGINT" : "SIGTERM")
                  << ": the summary \"" << options.summary << "\" holds " << finished << " of " << cases.size()
                  << " cases" << (finished < cases.size() ? "; --resume " + options.summary + " runs the rest" : "")
                  << '\n';
        return 128 + stopSignal;
    }
    std::cout << options.summary << ": " << cases.size() << " cases; " << completed << " ran to their end ("
              << melted << " with melting completed), " << cases.size() - completed << " refused or failed\n";
    std::cout.flush();
    int exitCode = kExitSuccess;
    if (notWritten > 0) {
        std::cerr << "tadmor: " << notWritten << " of " << cases.size() << " results files could not be written\n";
        exitCode = kExitFileNotWritten;
    }
    if (options.plot.empty()) return exitCode;
    std::vector<CaseResult> plotted;
    for (std::optional<CaseResult>& result : results) plotted.push_back(std::move(*result));
    const std::string title = "Sweep: " + std::filesystem::path(options.summary).filename().string();
    // Two varied inputs of several values each make a map; other sweeps, curves.
    const int plotExit = Draw([&] {
        if (const std::optional<MapChart> map = SweepMap(settings.varied, cases, plotted, options.plotValue, title))
            RenderMap(*map, options.plot);
        else
            RenderChart(SweepChart(settings.varied, cases, plotted, options.plotValue, title), options.plot);
    });
    return plotExit != kExitSuccess ? plotExit : exitCode;
}

// The program's version, the compiler that built it and its floating-point
// types, for --version.
std::string VersionText() {
    const bool extendedIsDouble = std::numeric_limits<Extended>::digits == std::numeric_limits<double>::digits;
    return std::string("tadmor ") + TADMOR_VERSION + "\nbuilt with " + TADMOR_COMPILER +
           "\nfloating point: values stored as double, formulas evaluated in " +
           (extendedIsDouble ? "double" : "long double") + " (" +
           std::to_string(std::numeric_limits<Extended>::digits) + "-bit mantissa)";
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");  // the user's decimal separator, as in the window

    CLI::App app{"tadmor: melting of a polymer in a single-screw extruder channel"};
    app.footer("Commands: run (one calculation), plot (the melting profile of a results file),\n"
               "sweep (many calculations in parallel), fit (the viscosity law of a polymer),\n"
               "solve (the value of one input that meets a target),\n"
               "sensitivity (the inputs ranked by their effect on the melting and the power).\n"
               "See tadmor COMMAND --help.");
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", VersionText());
    // Errors of the command line, like all others, start with "tadmor: ".
    app.failure_message([](const CLI::App* command, const CLI::Error& error) {
        const auto parsed = command->get_subcommands();
        return "tadmor: " + std::string(error.what()) + "; see tadmor " +
               (parsed.empty() ? "" : parsed.front()->get_name() + " ") + "--help\n";
    });

    RunCommandOptions runOptions;
    CLI::App* run = app.add_subcommand("run", "Run one calculation and write the results file");
    run->footer(HelpFooter());
    AddInputOptions(*run, runOptions.run);
    run->add_option("-o,--output", runOptions.run.output,
                    "The results file (ResultFileName), in the window's text format")->type_name("FILE");
    run->add_option("--format", runOptions.format, "What standard output gets: table (a summary line), csv or json")
        ->check(CLI::IsMember({"table", "csv", "json"}))
        ->capture_default_str();
    run->add_option("--csv", runOptions.csv, "Also write the rows as CSV to this file (after a completed run)")
        ->type_name("FILE.csv");
    run->add_option("--json", runOptions.json, "Also write the JSON document to this file")->type_name("FILE.json");
    run->add_option("--plot", runOptions.plot, "Also draw the melting profile")->type_name("FILE.png|FILE.svg");
    run->add_flag("--strict", runOptions.strict, "Exit with 8 when the run gives a warning");

    PlotCommandOptions plotOptions;
    CLI::App* plot = app.add_subcommand("plot", "Draw the melting profile of a results file");
    plot->footer(PlotHelpFooter());
    plot->add_option("results", plotOptions.resultsPath, "The results file")->required()->type_name("RESULTS.txt");
    plot->add_option("-o,--output", plotOptions.output, "The plot")->required()->type_name("FILE.png|FILE.svg");

    SweepCommandOptions sweepOptions;
    CLI::App* sweep = app.add_subcommand("sweep", "Run a parameter sweep and write a summary");
    sweep->footer(SweepHelpFooter());
    AddInputOptions(*sweep, sweepOptions.base);
    sweep->add_option("--vary", sweepOptions.vary, "Values of one input (repeatable)")
        ->type_name("NAME=FROM:TO:STEP|NAME=V1,V2,...")
        ->required()
        ->allow_extra_args(false);
    sweep->add_option("-o,--output", sweepOptions.summary, "The summary")->required()->type_name("SUMMARY.csv");
    sweep->add_option("--resume", sweepOptions.resume, "Run only the cases missing from this earlier summary")
        ->type_name("SUMMARY.csv");
    sweep->add_option("--results-dir", sweepOptions.resultsDir, "Keep each case's results file here")
        ->type_name("DIR");
    sweep->add_option("--jobs", sweepOptions.jobs, "Cases run at once")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    sweep->add_option("--shard", sweepOptions.shard, "Run only the cases K, K+N, K+2N, ...")
        ->type_name("K/N")
        ->capture_default_str();
    sweep->add_option("--plot", sweepOptions.plot, "Draw --plot-value against the first varied input (a map over two)")
        ->type_name("FILE.png|FILE.svg");
    std::vector<std::string> valueNames;
    for (const SweepValue& value : kSweepValues) valueNames.emplace_back(value.name);
    sweep->add_option("--plot-value", sweepOptions.plotValue, "The summary column to plot")
        ->check(CLI::IsMember(valueNames))
        ->capture_default_str();

    FitOptions fitOptions;
    CLI::App* fit = AddFitCommand(app, fitOptions);

    SolveOptions solveOptions;
    CLI::App* solve = AddSolveCommand(app, solveOptions);

    SensitivityOptions sensitivityOptions;
    CLI::App* sensitivity = AddSensitivityCommand(app, sensitivityOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kExitSuccess : kExitUsage;
    }
    if (run->parsed()) return RunMain(runOptions);
    if (plot->parsed()) return PlotMain(plotOptions);
    if (sweep->parsed()) return SweepMain(sweepOptions);
    if (fit->parsed()) return FitMain(fitOptions, Plot);
    if (solve->parsed()) return SolveMain(solveOptions, Plot);
    if (sensitivity->parsed()) return SensitivityMain(sensitivityOptions, PlotTornado);
    std::cerr << "tadmor: expected a command: run, plot, sweep, fit, solve or sensitivity; see tadmor --help\n";
    return kExitUsage;
}
