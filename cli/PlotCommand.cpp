#include "cli/PlotCommand.h"

#include <CLI/CLI.hpp>

#include <filesystem>

#include "charts/Builders.h"
#include "charts/ChartFiles.h"
#include "cli/Console.h"
#include "cli/Help.h"
#include "report/ResultsFileReader.h"

namespace tadmor::cli {

CLI::App* AddPlotCommand(CLI::App& app, PlotCommandOptions& options) {
    CLI::App* plot = app.add_subcommand("plot", "Draw the melting profile of a results file");
    plot->footer(PlotHelp());
    plot->add_option("results", options.resultsPath, "The results file")->required()->type_name("RESULTS.txt");
    plot->add_option("-o,--output", options.output, "The plot")->required()->type_name("FILE.png|FILE.svg");
    return plot;
}

int PlotMain(const PlotCommandOptions& options) {
    return Guarded([&] {
        charts::RequirePlotFileName(options.output);
        const ResultsFileContents contents = ReadResultsFile(options.resultsPath);
        const std::string name = std::filesystem::path(options.resultsPath).filename().string();
        charts::WriteChart(charts::MeltingProfileChart(StateOf(contents, name), std::nullopt), options.output);
        return kExitSuccess;
    });
}

}  // namespace tadmor::cli
