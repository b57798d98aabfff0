// The options that give the inputs of a calculation, shared by run, sweep,
// solve and sensitivity: --material, --case, --set and --decimal-separator.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "inputs/Case.h"

namespace CLI {
class App;
}

namespace tadmor::cli {

struct RunOptions {
    std::optional<std::string> materialPath;  // none: no material file
    std::optional<std::string> casePath;      // none: no case file
    std::vector<std::string> settings;        // "NAME=TEXT", in command-line order
    std::optional<std::string> output;        // the results file name
    std::optional<std::string> separator;     // the decimal separator, "." or ","
};

void AddInputOptions(CLI::App& command, RunOptions& options);

// The decimal separator of the process's locale when it is ",", else ".".
char LocaleDecimalSeparator();

// The separator of the results file: the one given on the command line, or
// the locale's.
char ChooseSeparator(const RunOptions& options);

// The inputs as given: the defaults (numbers written with the separator
// given, "." without one, whatever the locale), then the material file,
// then the case file, then each --set in order, then -o. Throws Error for
// an option or file that cannot be used.
inputs::Case GivenCase(const RunOptions& options);

// The given case turned into the separator of the results file.
inputs::Case RequestCase(const RunOptions& options);

}  // namespace tadmor::cli
