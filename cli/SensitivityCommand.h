// `tadmor sensitivity`: the elasticity of the melting and of the power with
// respect to each input of a base case, ranked, with a tornado chart.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/Sensitivity.h"
#include "cli/Chart.h"
#include "cli/RunCommand.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct SensitivityOptions {
    RunOptions base;
    double percent = 1;           // --step: each input lowered and raised by this % of its value
    std::string rankBy = "melting";  // melting or power: the ranking and the chart
    std::string format = "table";
    std::string plot;
};

// The inputs changed: those the window lets the user edit, and with a
// material file the material inputs too.
std::vector<int> SensitivityFields(bool withMaterial);

// The inputs in order of the magnitude of their elasticity of `measure`,
// largest first; those without a number last, in input order.
std::vector<const analysis::InputResponse*> Ranked(const analysis::SensitivityResult& result,
                                                   analysis::Measure measure);

// The name of the measure with its unit: "FLIGHT where melting completed
// (turns)", "X/W at the end of the screw (-)" or "POWER TOT (kW)".
std::string MeasureName(const analysis::SensitivityResult& result, analysis::Measure measure);

// The report on standard output: the base case, then one line per input,
// ranked by `rankBy`, with the elasticities of both measures or why there
// is none.
std::string SensitivityText(const analysis::SensitivityResult& result, analysis::Measure rankBy);

// The same as a JSON document.
std::string SensitivityJson(const analysis::SensitivityResult& result, analysis::Measure rankBy);

// The tornado chart of `measure`: the % change at the lowered and the
// raised input, one row per input in ranked order.
TornadoChart SensitivityChart(const analysis::SensitivityResult& result, analysis::Measure measure);

CLI::App* AddSensitivityCommand(CLI::App& app, SensitivityOptions& options);

// Runs the sensitivity: the report or JSON on standard output and, with
// --plot, the tornado chart (drawn by `plot`, which returns an exit code).
int SensitivityMain(const SensitivityOptions& options,
                    const std::function<int(const TornadoChart&, const std::string&)>& plot);

}  // namespace tadmor::cli
