// tadmor: the calculation request of the window from the command line, with
// export, plots of the melting profile, sweeps, fits, solves and sensitivities.
#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>
#include <limits>

#include "cli/Console.h"
#include "cli/ExtruderCommand.h"
#include "cli/FitCommand.h"
#include "cli/PlotCommand.h"
#include "cli/RunCommand.h"
#include "cli/SensitivityCommand.h"
#include "cli/SolveCommand.h"
#include "cli/SweepCommand.h"
#include "model/Arithmetic.h"

namespace {

// The program's version, the compiler that built it and its floating-point
// types, for --version.
std::string VersionText() {
    using tadmor::Extended;
    const bool extendedIsDouble = std::numeric_limits<Extended>::digits == std::numeric_limits<double>::digits;
    return std::string("tadmor ") + TADMOR_VERSION + "\nbuilt with " + TADMOR_COMPILER +
           "\nfloating point: values stored as double, formulas evaluated in " +
           (extendedIsDouble ? "double" : "long double") + " (" +
           std::to_string(std::numeric_limits<Extended>::digits) + "-bit mantissa)";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tadmor::cli;
    std::setlocale(LC_ALL, "");  // the user's decimal separator, as in the window

    CLI::App app{"tadmor: melting of a polymer in a single-screw extruder channel"};
    app.footer(
        "Commands: run (one calculation), plot (the melting profile of a results file),\n"
        "sweep (many calculations in parallel), fit (the viscosity law of a polymer),\n"
        "solve (the value of one input that meets a target),\n"
        "sensitivity (the inputs ranked by their effect on the melting and the power),\n"
        "extruder (pressure and melt temperature to the die, power, the operating point).\n"
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
    CLI::App* run = AddRunCommand(app, runOptions);
    PlotCommandOptions plotOptions;
    CLI::App* plot = AddPlotCommand(app, plotOptions);
    SweepCommandOptions sweepOptions;
    CLI::App* sweep = AddSweepCommand(app, sweepOptions);
    FitOptions fitOptions;
    CLI::App* fit = AddFitCommand(app, fitOptions);
    SolveOptions solveOptions;
    CLI::App* solve = AddSolveCommand(app, solveOptions);
    SensitivityOptions sensitivityOptions;
    CLI::App* sensitivity = AddSensitivityCommand(app, sensitivityOptions);
    ExtruderOptions extruderOptions;
    CLI::App* extruder = AddExtruderCommand(app, extruderOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kExitSuccess : kExitUsage;
    }
    if (run->parsed()) return RunMain(runOptions);
    if (plot->parsed()) return PlotMain(plotOptions);
    if (sweep->parsed()) return SweepMain(sweepOptions);
    if (fit->parsed()) return FitMain(fitOptions);
    if (solve->parsed()) return SolveMain(solveOptions);
    if (sensitivity->parsed()) return SensitivityMain(sensitivityOptions);
    if (extruder->parsed()) return ExtruderMain(extruderOptions);
    std::cerr << "tadmor: expected a command: run, plot, sweep, fit, solve, sensitivity or extruder; see tadmor "
                 "--help\n";
    return kExitUsage;
}
