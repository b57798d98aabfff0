// The command line and the run of `tadmor solve`.
#pragma once

#include <functional>
#include <string>

#include "cli/SolveCommand.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

// Adds the solve subcommand to `app`, its options landing in `options`.
CLI::App* AddSolveCommand(CLI::App& app, SolveOptions& options);

// Runs the solve: the report or JSON on standard output, with --over the
// curve's CSV and plot (drawn by `plot`, which returns an exit code).
int SolveMain(const SolveOptions& options, const std::function<int(const Chart&, const std::string&)>& plot);

}  // namespace tadmor::cli
