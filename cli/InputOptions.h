// The options that give the inputs of a calculation, shared by run, sweep
// and solve.
#pragma once

#include "cli/RunCommand.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

// --material, --case, --set NAME=TEXT... and --decimal-separator.
void AddInputOptions(CLI::App& command, RunOptions& options);

}  // namespace tadmor::cli
