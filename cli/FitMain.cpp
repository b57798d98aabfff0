#include "cli/FitMain.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

#include "cli/ChartRenderer.h"
#include "cli/RunCommand.h"

namespace tadmor::cli {

CLI::App* AddFitCommand(CLI::App& app, FitOptions& options) {
    CLI::App* fit = app.add_subcommand("fit", "Fit the viscosity law to a rheometer table or a standard law");
    fit->footer(FitHelpFooter());
    fit->add_option("table", options.table, "The rheometer table")->type_name("TABLE.csv");
    fit->add_option("--temperature-unit", options.temperatureUnit, "Unit of the table's temperatures")
        ->type_name("degC|K");
    fit->add_option("--viscosity-unit", options.viscosityUnit, "Unit of the table's viscosities")
        ->type_name("Pa.s|P|gf.s/cm2");
    fit->add_option("--law", options.law, "A standard law instead of a table")
        ->type_name("cross-wlf|carreau-yasuda|power-law");
    fit->add_option("--param", options.parameters, "A parameter of the law (repeatable)")
        ->type_name("NAME=VALUE")
        ->allow_extra_args(false);
    fit->add_option("--temperatures", options.temperatures, "The window's temperatures, degC")->type_name("FROM:TO");
    fit->add_option("--shear-rates", options.shearRates, "The window's shear rates, 1/s")->type_name("FROM:TO");
    fit->add_option("-o,--output", options.output, "Write a material file")->type_name("FILE.material");
    fit->add_option("--name", options.name, "The material's name")->type_name("TEXT");
    fit->add_option("--source", options.source, "Where the data come from, for the material file")
        ->type_name("TEXT");
    fit->add_option("--base", options.base, "A material file giving the thermal properties")->type_name("FILE");
    fit->add_option("--plot", options.plot, "Draw the points and the fitted law")->type_name("FILE.png|FILE.svg");
    return fit;
}

int FitMain(const FitOptions& options, const std::function<int(const Chart&, const std::string&)>& plot) {
    std::vector<material::RheometerPoint> points;
    std::string description;
    try {
        RequirePlotFileName(options.plot);
        points = FitPoints(options, description);
    } catch (const UsageError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitUsage;
    } catch (const material::FitError& error) {
        std::cerr << ErrorLine(error.what());
        return kExitInvalidInput;
    }

    material::LawFit fit;
    try {
        fit = material::FitViscosityLaw(points);
    } catch (const material::FitError& error) {
        std::cerr << ErrorLine("cannot fit " + description + ": " + error.what());
        return kExitInvalidInput;
    }
    std::cout << FitReport(fit, description) << std::flush;
    for (const std::string& warning : fit.warnings) std::cerr << ErrorLine("warning: " + warning);

    if (!options.output.empty()) {
        try {
            material::WriteMaterialFile(FittedMaterial(fit, options, description), options.output);
        } catch (const UsageError& error) {
            std::cerr << ErrorLine(error.what());
            return kExitUsage;
        } catch (const material::MaterialError& error) {
            std::cerr << ErrorLine(error.what());
            return kExitFileNotWritten;
        }
        std::cout << "Material file: " << options.output << '\n';
    }
    if (options.plot.empty()) return kExitSuccess;
    const std::string subject = options.table.empty() ? "the " + options.law + " law"
                                                      : std::filesystem::path(options.table).filename().string();
    return plot(FitChart(points, fit, "Viscosity law fitted to " + subject,
                         options.table.empty() ? options.law : "data"),
                options.plot);
}

}  // namespace tadmor::cli
