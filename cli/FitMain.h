// The options and the run of `tadmor fit`.
#pragma once

#include <functional>
#include <string>

#include "cli/FitCommand.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

// Adds the fit subcommand to `app`, its options landing in `options`.
CLI::App* AddFitCommand(CLI::App& app, FitOptions& options);

// Runs the fit: the report on standard output, warnings on standard error,
// the material file and the plot (drawn by `plot`, which returns an exit code).
int FitMain(const FitOptions& options, const std::function<int(const Chart&, const std::string&)>& plot);

}  // namespace tadmor::cli
