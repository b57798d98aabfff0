// The texts after the options in --help: of run (and of the command as a
// whole), of plot and of sweep, and the exit codes they share.
#pragma once

#include <string>

namespace tadmor::cli {

std::string RunHelp();
std::string PlotHelp();
std::string SweepHelp();
std::string ExitCodesHelp();

}  // namespace tadmor::cli
