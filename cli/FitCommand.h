// `tadmor fit`: the viscosity law fitted to a rheometer table or to a
// standard law over a window; its report, its plot and its material file.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "material/FitData.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct FitOptions {
    std::string table;            // the rheometer table; empty with --law
    std::string temperatureUnit;  // replaces the table header's when given
    std::string viscosityUnit;
    std::string law;                      // a standard law's name; empty with a table
    std::vector<std::string> parameters;  // its NAME=VALUE
    std::string temperatures;             // the window FROM:TO, degC
    std::string shearRates;               // the window FROM:TO, 1/s
    std::optional<std::string> output;    // the material file
    std::string name;                     // the material's name; empty: from the table or law
    std::string source;                   // where the data come from
    std::optional<std::string> base;      // a material file giving the thermal properties
    std::optional<std::string> plot;
};

CLI::App* AddFitCommand(CLI::App& app, FitOptions& options);
int FitMain(const FitOptions& options);

// Reads "FROM:TO" of two numbers written with ".", FROM below TO. Throws
// Error of kind Input.
std::pair<double, double> ReadWindow(const std::string& text, const std::string& option);

// Reads the NAME=VALUE of --param. Throws Error of kind Input.
material::LawParameters ReadParameters(const std::vector<std::string>& settings);

}  // namespace tadmor::cli
