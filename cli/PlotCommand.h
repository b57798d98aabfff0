// `tadmor plot`: the melting profile of a results file.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tadmor::cli {

struct PlotCommandOptions {
    std::string resultsPath;
    std::string output;
};

CLI::App* AddPlotCommand(CLI::App& app, PlotCommandOptions& options);
int PlotMain(const PlotCommandOptions& options);

}  // namespace tadmor::cli
