// `tadmor sweep`: the product of some inputs' values over a base case, one
// summary line per case, stopped by SIGINT or SIGTERM and resumed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/Sweep.h"
#include "cli/InputOptions.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct SweepCommandOptions {
    RunOptions base;
    std::vector<std::string> vary;
    std::string summary;
    std::string resume;  // empty: no earlier summary
    std::string resultsDir;
    int jobs = 1;
    std::string shard = "0/1";
    std::string plot;
    std::string plotValue = "flight";
    std::string plotKind = "auto";  // auto: a map over two inputs, else lines
};

CLI::App* AddSweepCommand(CLI::App& app, SweepCommandOptions& options);
int SweepMain(const SweepCommandOptions& options);

// Reads "NAME=FROM:TO:STEP" or "NAME=V1,V2,...". Throws Error of kind Input.
analysis::VariedInput ParseVary(std::string_view option, std::string_view what = "--vary");

// The --vary options in order. A sweep of more than kMaxSweepCases cases is
// refused before any list of values is built. Throws Error of kind Input.
std::vector<analysis::VariedInput> ParseVaries(const std::vector<std::string>& options);

// Reads "K/N" with 0 <= K < N. Throws Error of kind Input.
analysis::Shard ParseShard(std::string_view text);

}  // namespace tadmor::cli
