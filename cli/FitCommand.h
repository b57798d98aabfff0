// `tadmor fit`: the viscosity law fitted to a rheometer table or to a
// standard law over a window; its report, its plot and its material file.
#pragma once

#include <string>
#include <vector>

#include "cli/Chart.h"
#include "material/Material.h"
#include "material/StandardLaws.h"
#include "material/ViscosityFit.h"

namespace tadmor::cli {

struct FitOptions {
    std::string table;            // the rheometer table; empty with --law
    std::string temperatureUnit;  // replaces the table header's when given
    std::string viscosityUnit;
    std::string law;              // a standard law's name; empty with a table
    std::vector<std::string> parameters;  // its NAME=VALUE
    std::string temperatures;     // the window FROM:TO, degC
    std::string shearRates;       // the window FROM:TO, 1/s
    std::string output;           // the material file; empty: none
    std::string name;             // the material's name; empty: from the table or law
    std::string source;           // where the data come from
    std::string base;             // a material file giving the thermal properties
    std::string plot;             // empty: no plot
};

// The points to fit: the table's, or the standard law sampled over its
// window. `description` gets what they are, for the report and the file.
// Throws UsageError for options or files that cannot be used, FitError for
// law parameters that cannot.
std::vector<material::RheometerPoint> FitPoints(const FitOptions& options, std::string& description);

// Reads "FROM:TO" of two numbers written with ".", FROM below TO. Throws UsageError.
std::pair<double, double> ReadWindow(const std::string& text, const std::string& option);

// The report on standard output: the coefficients with their standard
// errors, the errors of the fit, n and b over the data, and the notes.
std::string FitReport(const material::LawFit& fit, const std::string& description);

// The material of the fit: its law and range, the thermal properties and
// sources of the base material (the window's defaults without one).
material::Material FittedMaterial(const material::LawFit& fit, const FitOptions& options,
                                  const std::string& description);

// The points (named `dataLabel` in the legend) and the fitted law, viscosity
// against shear rate on log-log axes, one colour per temperature (at most
// five of them).
Chart FitChart(const std::vector<material::RheometerPoint>& points, const material::LawFit& fit,
               const std::string& title, const std::string& dataLabel);

// The text after the options in tadmor fit --help: the table, the laws and
// their parameters, the report and the exit codes.
std::string FitHelpFooter();

}  // namespace tadmor::cli
