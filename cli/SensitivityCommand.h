// `tadmor sensitivity`: the elasticity of the melting and of the power with
// respect to each input of a base case, ranked, with a tornado chart.
#pragma once

#include <string>

#include "analysis/Sensitivity.h"
#include "cli/InputOptions.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct SensitivityOptions {
    RunOptions base;
    analysis::SensitivitySteps steps;  // --step (% of each input's value) and --kelvin (K of each temperature)
    bool coefficients = false;         // --coefficients: the viscosity law's six coefficients too
    std::string rankBy = "melting";    // melting or power: the ranking and the chart
    std::string format = "table";
    std::string plot;
    int jobs = 1;
};

CLI::App* AddSensitivityCommand(CLI::App& app, SensitivityOptions& options);
int SensitivityMain(const SensitivityOptions& options);

// The report on standard output: the base case and the steps, then one line
// per input, ranked by `rankBy`, with its step, the unit of its sensitivity,
// and the sensitivities of both measures or why there is none.
std::string SensitivityText(const analysis::SensitivityResult& result, analysis::Measure rankBy);

}  // namespace tadmor::cli
