#include "cli/RunCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

#include "charts/Builders.h"
#include "charts/ChartFiles.h"
#include "cli/Console.h"
#include "cli/Help.h"
#include "export/RunExport.h"
#include "model/NumberText.h"

namespace tadmor::cli {

namespace {

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

}  // namespace

CLI::App* AddRunCommand(CLI::App& app, RunCommandOptions& options) {
    CLI::App* run = app.add_subcommand("run", "Run one calculation and write the results file");
    run->footer(RunHelp());
    AddInputOptions(*run, options.run);
    run->add_option("-o,--output", options.run.output, "The results file (ResultFileName), in the window's text format")
        ->type_name("FILE");
    run->add_option("--format", options.format, "What standard output gets: table (a summary line), csv or json")
        ->check(CLI::IsMember({"table", "csv", "json"}))
        ->capture_default_str();
    run->add_option("--csv", options.csv, "Also write the rows as CSV to this file (after a completed run)")
        ->type_name("FILE.csv");
    run->add_option("--json", options.json, "Also write the JSON document to this file")->type_name("FILE.json");
    run->add_option("--plot", options.plot, "Also draw the melting profile")->type_name("FILE.png|FILE.svg");
    run->add_flag("--strict", options.strict, "Exit with 8 when the run gives a warning");
    return run;
}

int RunMain(const RunCommandOptions& options) {
    inputs::Case given, request;
    const int usage = Guarded([&] {
        charts::RequirePlotFileName(options.plot);
        given = GivenCase(options.run);
        request = inputs::WithSeparator(given, ChooseSeparator(options.run));
        const std::string& resultsFile = request.texts.back();
        for (const std::string* exported : {&options.csv, &options.json})
            if (!exported->empty() && !resultsFile.empty() && SameFile(*exported, resultsFile))
                throw Error(ErrorKind::Input, "\"" + *exported + "\" is also the results file; give -o another name");
        // The exports are tried before the run, so that none computes for a file it cannot write.
        if (!options.csv.empty()) RequireWritable(options.csv, "the CSV file");
        if (!options.json.empty()) RequireWritable(options.json, "the JSON file");
        return kExitSuccess;
    });
    if (usage != kExitSuccess) return usage;
    if (const std::string& name = request.texts.back(); EndsWith(name, ".csv") || EndsWith(name, ".json")) {
        const bool csv = EndsWith(name, ".csv");
        std::cerr << ErrorLine("warning: " + Quoted(name) + " gets the results file (the window's text format), not " +
                               (csv ? "CSV; --csv " : "JSON; --json ") + Quoted(name) + " writes " +
                               (csv ? "the CSV" : "the JSON"));
    }

    SilentUi ui;
    const Calculation calculation = RunRequest(request.texts, request.separator, ui);
    if (!calculation.message.empty())
        std::cerr << ErrorLine((calculation.outcome == RequestOutcome::CalculationError ? "error: " : "") +
                               calculation.message);
    if (calculation.outcome == RequestOutcome::InvalidInput && calculation.refusedField >= 0)
        std::cerr << ErrorLine(inputs::RefusalDetail(given, calculation.refusedField));
    if (calculation.outcome == RequestOutcome::FileNotWritten)
        std::cerr << ErrorLine("the results file " + Quoted(request.texts.back()) + " could not be written");
    const SimulationState& state = calculation.state;
    const bool completed = calculation.outcome == RequestOutcome::Completed;
    const std::vector<Warning> warnings = inputs::AllWarnings(request, calculation);
    const std::string json = exporting::ResultsJson(given, calculation, warnings);
    if (options.format == "json")
        std::cout << json;
    else if (completed)
        std::cout << (options.format == "csv" ? exporting::ResultsCsv(state, given.material)
                                              : Summary(state, warnings) + "\n");
    std::cout.flush();
    bool written = true;
    if (!options.json.empty()) written = TryWriteWhole(options.json, json, "the JSON file");
    if (completed && !options.csv.empty())
        written = TryWriteWhole(options.csv, exporting::ResultsCsv(state, given.material), "the CSV file") && written;
    for (const Warning& warning : warnings) std::cerr << ErrorLine("warning: " + WarningLine(warning));
    int exitCode = ExitCodeOf(calculation.outcome);
    if (completed && !options.plot.empty())
        exitCode = Guarded([&] {
            charts::WriteChart(charts::MeltingProfileChart(state, Summarize(calculation, {}).meltingIncrementFlight),
                               options.plot);
            return kExitSuccess;
        });
    if (exitCode == kExitSuccess && !written) exitCode = kExitFileNotWritten;
    return exitCode == kExitSuccess && options.strict && !warnings.empty() ? kExitWarnings : exitCode;
}

std::string Summary(const SimulationState& state, const std::vector<Warning>& warnings) {
    std::string summary = state.ResultFileName + ": " + std::to_string(state.StepCount) + " rows recorded; ";
    if (MeltingCompleted(state)) {
        summary += "melting completed at FLIGHT " + NumberText(IncrementFlight(state), 2);
    } else {
        const double left = state.StepCount > 0 ? state.ResSolidFraction[state.StepCount] : 1.0;
        summary += "X/W " + NumberText(left, 3) + " left at the end of the screw";
    }
    // Inputs no screw has make the numbers meaningless: the line says so, not only the warnings.
    for (const char* code : {"dimension-implausible", "geometry-implausible", "no-rows"})
        if (std::any_of(warnings.begin(), warnings.end(), [&](const Warning& w) { return w.code == code; }))
            return summary + "; the inputs describe no real screw (see the warnings)";
    return summary;
}

}  // namespace tadmor::cli
