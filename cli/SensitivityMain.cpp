#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/ChartRenderer.h"
#include "cli/Export.h"
#include "cli/InputOptions.h"
#include "cli/SensitivityCommand.h"

namespace tadmor::cli {

CLI::App* AddSensitivityCommand(CLI::App& app, SensitivityOptions& options) {
    CLI::App* command =
        app.add_subcommand("sensitivity", "Rank the inputs by how much they change the melting and the power");
    command->footer(
        "Each input the window lets you edit (and, with --material, each material input) is lowered\n"
        "and raised by --step % of its value, one calculation each, the others kept. The elasticity\n"
        "(relative change of the output over relative change of the input, a central difference) is\n"
        "given for the melting (the FLIGHT where melting completed, interpolated within its increment;\n"
        "X/W at the end of the screw when the base case does not melt) and for POWER TOT. Where a\n"
        "changed case ends differently (melting no longer completes, refused, an error) its line\n"
        "says so instead. An input whose base value is 0 is not changed.\n"
        "Exit codes: 0 done, 2 usage, 3 or 5 the base case refused or failed, 4 plot not written.");
    AddInputOptions(*command, options.base);
    command->add_option("--step", options.percent, "Change of each input, % of its value")
        ->check(CLI::Range(1e-6, 100.0))
        ->capture_default_str();
    command->add_option("--rank-by", options.rankBy, "The output that ranks the inputs and is plotted")
        ->check(CLI::IsMember({"melting", "power"}))
        ->capture_default_str();
    command->add_option("--format", options.format, "table or json")
        ->check(CLI::IsMember({"table", "json"}))
        ->capture_default_str();
    command->add_option("--plot", options.plot, "Draw the tornado chart")->type_name("FILE.png|FILE.svg");
    return command;
}

int SensitivityMain(const SensitivityOptions& options,
                    const std::function<int(const TornadoChart&, const std::string&)>& plot) {
    FieldTexts texts;
    char separator;
    try {
        RequirePlotFileName(options.plot);
        separator = ChooseSeparator(options.base);
        texts = RequestTexts(options.base);
    } catch (const UsageError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitUsage;
    }
    const analysis::Measure rankBy = options.rankBy == "power" ? analysis::Measure::Power : analysis::Measure::Melting;
    const analysis::SensitivityResult result =
        analysis::Sensitivity(texts, separator, SensitivityFields(!options.base.materialPath.empty()), options.percent);
    std::cout << (options.format == "json" ? SensitivityJson(result, rankBy) : SensitivityText(result, rankBy));
    std::cout.flush();
    if (result.base.outcome != RequestOutcome::Completed) {
        std::cerr << ErrorLine("the base case gives " + OutcomeName(result.base.outcome, {}) + ": " +
                               result.base.message);
        return ExitCodeOf(result.base.outcome);
    }
    return options.plot.empty() ? kExitSuccess : plot(SensitivityChart(result, rankBy), options.plot);
}

}  // namespace tadmor::cli
