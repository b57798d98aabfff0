#include "cli/SensitivityCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>

#include "charts/Builders.h"
#include "charts/ChartFiles.h"
#include "cli/Console.h"
#include "export/SensitivityExport.h"
#include "model/NumberText.h"

namespace tadmor::cli {

using analysis::Change;
using analysis::InputResponse;
using analysis::Measure;
using analysis::SensitivityResult;

namespace {

constexpr Measure kMeasures[] = {Measure::Melting, Measure::Power};

}  // namespace

std::string SensitivityText(const SensitivityResult& result, Measure rankBy) {
    std::string text = "Base case: " + charts::SensitivityBaseText(result.base) + "\n";
    if (result.base.outcome != RequestOutcome::Completed) return text;
    text +=
        "Elasticity = (relative change of the output) / (relative change of the input), each input lowered\n"
        "and raised by " +
        ExactNumber(result.percent) + " %" + " of its value; ranked by " + MeasureName(result, rankBy) + ".\n\n";
    const auto padded = [](std::string cell, std::size_t width) {
        return cell + std::string(width > cell.size() ? width - cell.size() : 1, ' ');
    };
    text += padded("input", 18) + padded("base value", 14) +
            padded(result.base.interpolatedMeltedFlight ? "FLIGHT melted" : "X/W at end", 15) + "POWER TOT\n";
    for (const InputResponse* input : Ranked(result, rankBy)) {
        std::string line =
            padded(std::string(kInputFields[input->field].variable), 18) + padded(ExactNumber(input->base), 14);
        std::vector<std::string> whys;
        for (const Measure measure : kMeasures) {
            const Change change = ChangeOf(result, *input, measure);
            line += padded(change.elasticity ? NumberText(*change.elasticity, 4) : "-", 15);
            if (!change.why.empty() && std::find(whys.begin(), whys.end(), change.why) == whys.end())
                whys.push_back(change.why);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        for (const std::string& why : whys) line += "   " + why;
        text += line + "\n";
    }
    return text + "\n" + std::to_string(result.calculations) + " calculations\n";
}

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
    options.jobs = analysis::AllProcessors();
    command->add_option("--jobs", options.jobs, "Calculations run at once")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    return command;
}

int SensitivityMain(const SensitivityOptions& options) {
    inputs::Case base;
    const int prepared = Guarded([&] {
        charts::RequirePlotFileName(options.plot);
        base = RequestCase(options.base);
        return kExitSuccess;
    });
    if (prepared != kExitSuccess) return prepared;
    const analysis::Measure rankBy = options.rankBy == "power" ? analysis::Measure::Power : analysis::Measure::Melting;
    StopOnInterrupt();
    const analysis::SensitivityResult result =
        analysis::Sensitivity(base, analysis::SensitivityFields(base.material.has_value()), options.percent,
                              {options.jobs, &StopSignal(), ProgressBar("calculations")});
    if (const int signal = StopSignal()) return Stopped(signal, "the sensitivity is incomplete");
    std::cout << (options.format == "json" ? exporting::SensitivityJson(result, rankBy)
                                           : SensitivityText(result, rankBy));
    std::cout.flush();
    if (result.base.outcome != RequestOutcome::Completed) {
        std::cerr << ErrorLine("the base case gives " + result.base.outcomeName + ": " + result.base.message);
        return ExitCodeOf(result.base.outcome);
    }
    if (options.plot.empty()) return kExitSuccess;
    return Guarded([&] {
        charts::WriteTornado(charts::SensitivityChart(result, rankBy), options.plot);
        return kExitSuccess;
    });
}

}  // namespace tadmor::cli
