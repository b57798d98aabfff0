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

std::string SensitivityText(const SensitivityResult& result, Measure rankBy) {
    std::string text = "Base case: " + charts::SensitivityBaseText(result.base) + "\n";
    if (result.base.outcome != RequestOutcome::Completed) return text;
    text += "Each input lowered and raised by " + ExactNumber(result.steps.percent) +
            " % of its value (sensitivity: the elasticity, relative change of\n"
            "the output over relative change of the input), each temperature by " +
            ExactNumber(result.steps.kelvin) + " K (sensitivity: % change of the\noutput per K).\n";
    if (std::any_of(result.inputs.begin(), result.inputs.end(),
                    [](const InputResponse& input) { return input.varied.field < 0; }))
        text += "The viscosity law's level (Pa s), index n and temperature sensitivity b (1/degC) at " +
                NumberText(result.referenceTemperature, 1) + " degC and\n" +
                SignificantNumber(result.referenceShearRate, 4) +
                " 1/s: the melting point and the base case's mean film shear rate.\n";
    text += "Ranked by the change of " + MeasureName(result, rankBy) + " across each step.\n\n";
    const auto padded = [](std::string cell, std::size_t width) {
        return cell + std::string(width > cell.size() ? width - cell.size() : 1, ' ');
    };
    text += padded("input", 26) + padded("step", 8) + padded("unit", 12) + padded("base value", 14) +
            padded(result.base.interpolatedMeltedFlight ? "FLIGHT melted" : "X/W at end", 15) + "POWER TOT\n";
    for (const InputResponse* input : Ranked(result, rankBy)) {
        const std::string step = analysis::StepText(result, *input);
        std::string line =
            padded(analysis::InputName(*input), 26) + padded(step, 9) +  // "±" is two bytes and one column
            padded(analysis::SensitivityUnit(input->kind), 12) + padded(SignificantNumber(input->base, 6), 14);
        std::vector<std::string> whys;
        for (const Measure measure : analysis::kMeasures) {
            const Change change = ChangeOf(result, *input, measure);
            line += padded(change.sensitivity ? NumberText(*change.sensitivity, 4) : "-", 15);
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
        "Each input the window lets you edit (with --material, each material input too) is lowered and\n"
        "raised, one calculation each, the others kept: a temperature (BarrelC0, SolidTemp, MeltingPoint)\n"
        "by --kelvin K, any other input by --step % of its value (not one whose base value is 0). The\n"
        "viscosity law of a material is changed as three factors taken at the melting point and the\n"
        "base case's mean film shear rate: ViscosityLevel (the viscosity there, Pa s; times 1 -+ step\n"
        "everywhere), PowerLawIndex (its local n) and ViscosityTempSensitivity (its b = -d ln eta/dT,\n"
        "1/degC), each by --step % with the other two and the viscosity there kept. --coefficients adds\n"
        "the six coefficients ViscA0 ... ViscA12 as relative changes.\n"
        "The sensitivity (a central difference) is an elasticity (relative change of the output over\n"
        "relative change of the input) or, for a temperature, the % change of the output per K; it is\n"
        "given for the melting (the FLIGHT where melting completed, interpolated within its increment;\n"
        "X/W at the end of the screw when the base case does not melt) and for POWER TOT. The inputs\n"
        "are ranked by the change of the output across their step. Where a changed case ends\n"
        "differently (melting no longer completes, refused, an error) its line says so instead. X/W at\n"
        "the end and POWER TOT move in whole increments when the screw gains or loses one: a change\n"
        "that leaves one exactly as it was is run again at 2, 4, 8 ... times the step, and the line\n"
        "says which step moves it, or that nothing up to 100 % (100 K) does.\n"
        "Exit codes: 0 done, 2 usage, 3 or 5 the base case refused or failed, 4 plot not written.");
    AddInputOptions(*command, options.base);
    command->add_option("--step", options.steps.percent, "Change of each input, % of its value (above 0, at most 100)")
        ->capture_default_str();
    command->add_option("--kelvin", options.steps.kelvin, "Change of each temperature, K (above 0, at most 100)")
        ->capture_default_str();
    command->add_flag("--coefficients", options.coefficients,
                      "Change the six coefficients of the viscosity law too, each by --step %");
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
        analysis::CheckSteps(options.steps);
        charts::RequirePlotFileName(options.plot);
        base = RequestCase(options.base);
        return kExitSuccess;
    });
    if (prepared != kExitSuccess) return prepared;
    const analysis::Measure rankBy = options.rankBy == "power" ? analysis::Measure::Power : analysis::Measure::Melting;
    StopOnInterrupt();
    const analysis::SensitivityResult result =
        analysis::Sensitivity(base, analysis::SensitivityInputs(base.material.has_value(), options.coefficients),
                              options.steps, {options.jobs, &StopSignal(), ProgressBar("calculations")});
    if (const int signal = StopSignal()) return Stopped(signal, "the sensitivity is incomplete");
    std::cout << (options.format == "json" ? exporting::SensitivityJson(result, rankBy, base.material)
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
