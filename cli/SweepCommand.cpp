#include "cli/SweepCommand.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <filesystem>
#include <iostream>

#include "charts/Builders.h"
#include "charts/ChartFiles.h"
#include "cli/Console.h"
#include "cli/Help.h"
#include "export/SweepSummary.h"
#include "report/ReadFile.h"

namespace tadmor::cli {

namespace {

// More than any summary holds: a million lines of cases with their values.
constexpr std::size_t kMaxSummaryBytes = std::size_t{1} << 30;

struct VaryOption {
    int field;
    std::string_view values;
};

VaryOption ReadVaryOption(std::string_view option, std::string_view what) {
    const auto equals = option.find('=');
    if (equals == std::string_view::npos)
        throw Error(ErrorKind::Input, std::string(what) + " expects NAME=FROM:TO:STEP or NAME=V1,V2,..., not " +
                                          Quoted(option.substr(0, 80)));
    return {analysis::VariedField(option.substr(0, equals), what), option.substr(equals + 1)};
}

}  // namespace

analysis::VariedInput ParseVary(std::string_view option, std::string_view what) {
    const VaryOption vary = ReadVaryOption(option, what);
    return analysis::VariedText(vary.field, vary.values);
}

std::vector<analysis::VariedInput> ParseVaries(const std::vector<std::string>& options) {
    std::vector<VaryOption> varies;
    long cases = 1;
    for (const std::string& option : options) {
        const VaryOption vary = ReadVaryOption(option, "--vary");
        for (const VaryOption& earlier : varies)
            if (earlier.field == vary.field)
                throw Error(ErrorKind::Input,
                            "--vary: " + std::string(kInputFields[vary.field].variable) + " is varied twice");
        cases *= analysis::CountOfValues(vary.field, vary.values);
        if (cases > analysis::kMaxSweepCases)
            throw Error(ErrorKind::Input,
                        "the sweep has more than " + std::to_string(analysis::kMaxSweepCases) + " cases");
        varies.push_back(vary);
    }
    std::vector<analysis::VariedInput> varied;
    for (const VaryOption& vary : varies) varied.push_back(analysis::VariedText(vary.field, vary.values));
    return varied;
}

analysis::Shard ParseShard(std::string_view text) {
    const auto slash = text.find('/');
    analysis::Shard shard;
    const auto readInt = [](std::string_view digits, int& value) {
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && result.ec == std::errc() && result.ptr == digits.data() + digits.size();
    };
    if (slash == std::string_view::npos || !readInt(text.substr(0, slash), shard.index) ||
        !readInt(text.substr(slash + 1), shard.count) || shard.index < 0 || shard.count < 1 ||
        shard.index >= shard.count)
        throw Error(ErrorKind::Input, "--shard expects K/N with 0 <= K < N, not " + Quoted(text));
    return shard;
}

CLI::App* AddSweepCommand(CLI::App& app, SweepCommandOptions& options) {
    CLI::App* sweep = app.add_subcommand("sweep", "Run a parameter sweep and write a summary");
    sweep->footer(SweepHelp());
    AddInputOptions(*sweep, options.base);
    sweep->add_option("--vary", options.vary, "Values of one input (repeatable)")
        ->type_name("NAME=FROM:TO:STEP|NAME=V1,V2,...")
        ->required()
        ->allow_extra_args(false);
    sweep->add_option("-o,--output", options.summary, "The summary")->required()->type_name("SUMMARY.csv");
    sweep->add_option("--resume", options.resume, "Run only the cases missing from this earlier summary")
        ->type_name("SUMMARY.csv");
    sweep->add_option("--results-dir", options.resultsDir, "Keep each case's results file here")->type_name("DIR");
    options.jobs = analysis::AllProcessors();
    sweep->add_option("--jobs", options.jobs, "Cases run at once")->check(CLI::Range(1, 1024))->capture_default_str();
    sweep->add_option("--shard", options.shard, "Run only the cases K, K+N, K+2N, ...")
        ->type_name("K/N")
        ->capture_default_str();
    sweep->add_option("--plot", options.plot, "Draw --plot-value against the first varied input (a map over two)")
        ->type_name("FILE.png|FILE.svg");
    std::vector<std::string> valueNames;
    for (const charts::SweepValue& value : charts::kSweepValues) valueNames.emplace_back(value.name);
    sweep->add_option("--plot-value", options.plotValue, "The summary column to plot")
        ->check(CLI::IsMember(valueNames))
        ->capture_default_str();
    sweep
        ->add_option("--plot-kind", options.plotKind,
                     "map: the processing window over two inputs; lines: one curve per value of the others; auto: a "
                     "map over two inputs of several values each, else lines")
        ->check(CLI::IsMember({"auto", "map", "lines"}))
        ->capture_default_str();
    return sweep;
}

int SweepMain(const SweepCommandOptions& options) {
    analysis::Sweep sweep;
    std::vector<analysis::SweepCase> cases;
    analysis::CaseResults results;
    const int prepared = Guarded([&] {
        charts::RequirePlotFileName(options.plot);
        sweep.base = RequestCase(options.base);
        sweep.varied = ParseVaries(options.vary);
        sweep.resultsDir = options.resultsDir;
        cases = analysis::SweepCases(sweep.varied, ParseShard(options.shard));
        results.resize(cases.size());
        if (!options.resume.empty())
            exporting::ReadSummary(
                ReadRegularFile(options.resume, ErrorKind::Input, "the --resume summary", kMaxSummaryBytes),
                options.resume, sweep.varied, analysis::SweepId(sweep), cases, results);
        // Every file is tried before the first case, so that no sweep computes
        // for a file it cannot write.
        RequireWritable(options.summary, "the summary file");
        if (!options.plot.empty()) RequireWritable(options.plot, "the plot");
        if (!sweep.resultsDir.empty()) {
            std::error_code error;
            std::filesystem::create_directories(sweep.resultsDir, error);
            if (!std::filesystem::is_directory(sweep.resultsDir))
                throw Error(ErrorKind::File, "cannot create the results folder " + Quoted(sweep.resultsDir));
            if (!cases.empty())
                RequireWritable(analysis::CaseResultFileName(sweep, cases.front().index), "the results file");
        }
        return kExitSuccess;
    });
    if (prepared != kExitSuccess) return prepared;

    StopOnInterrupt();
    analysis::RunControl control{options.jobs, &StopSignal(), ProgressBar("cases")};
    analysis::RunSweep(sweep, cases, results, control);
    const int stopSignal = StopSignal();

    if (!TryWriteWhole(
            options.summary,
            exporting::SummaryCsv(sweep.varied, analysis::SweepId(sweep), cases, results, sweep.base.material),
            "the summary file"))
        return kExitFileNotWritten;
    std::size_t finished = 0, completed = 0, melted = 0, notWritten = 0;
    for (const std::optional<RunSummary>& result : results) {
        if (!result) continue;
        ++finished;
        completed += result->outcome == RequestOutcome::Completed;
        melted += result->meltingIncrementFlight.has_value();
        notWritten += result->outcome == RequestOutcome::FileNotWritten;
    }
    if (stopSignal != 0)
        return Stopped(stopSignal,
                       "the summary \"" + options.summary + "\" holds " + std::to_string(finished) + " of " +
                           std::to_string(cases.size()) + " cases" +
                           (finished < cases.size() ? "; --resume " + options.summary + " runs the rest" : ""));
    std::cout << options.summary << ": " << cases.size() << " cases; " << completed << " ran to their end (" << melted
              << " with melting completed), " << cases.size() - completed << " refused or failed\n";
    std::cout.flush();
    int exitCode = kExitSuccess;
    if (notWritten > 0) {
        std::cerr << "tadmor: " << notWritten << " of " << cases.size() << " results files could not be written\n";
        exitCode = kExitFileNotWritten;
    }
    if (options.plot.empty()) return exitCode;
    std::vector<RunSummary> runs;
    for (std::optional<RunSummary>& result : results) runs.push_back(std::move(*result));
    const std::string title = "Sweep: " + std::filesystem::path(options.summary).filename().string();
    // Two varied inputs of several values each make a map unless lines are asked for; other sweeps, curves.
    const int plotExit = Guarded([&] {
        const auto map = options.plotKind == "lines"
                             ? std::nullopt
                             : charts::SweepMap(sweep.varied, cases, runs, options.plotValue, title, &sweep.base);
        if (options.plotKind == "map" && !map)
            throw Error(ErrorKind::Plot, "--plot-kind map needs two varied inputs of two or more values each");
        if (map)
            charts::WriteMap(*map, options.plot);
        else
            charts::WriteChart(charts::SweepChart(sweep.varied, cases, runs, options.plotValue, title), options.plot);
        return kExitSuccess;
    });
    return plotExit != kExitSuccess ? plotExit : exitCode;
}

}  // namespace tadmor::cli
