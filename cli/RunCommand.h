// `tadmor run`: one calculation, its results file, its exports and plot.
#pragma once

#include <string>

#include "app/request/Warnings.h"
#include "cli/InputOptions.h"
#include "model/Cal_Main.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct RunCommandOptions {
    RunOptions run;
    std::string format = "table";
    std::string csv;      // empty: no CSV file
    std::string json;     // empty: no JSON file
    std::string plot;     // empty: no plot
    bool strict = false;  // warnings give kExitWarnings
};

CLI::App* AddRunCommand(CLI::App& app, RunCommandOptions& options);
int RunMain(const RunCommandOptions& options);

// One line after a completed run: rows recorded, and where melting completed
// or how much solid is left at the end of the screw; and that the inputs
// describe no real screw when `warnings` say so.
std::string Summary(const SimulationState& state, const std::vector<Warning>& warnings = {});

}  // namespace tadmor::cli
