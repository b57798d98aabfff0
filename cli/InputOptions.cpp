#include "cli/InputOptions.h"

#include <CLI/CLI.hpp>

namespace tadmor::cli {

void AddInputOptions(CLI::App& command, RunOptions& options) {
    command.add_option("--material", options.materialPath, "Read the material inputs from a material file")
        ->type_name("FILE");
    command.add_option("--case", options.casePath, "Read inputs from a case file")->type_name("FILE");
    command.add_option("--set", options.settings, "Set inputs: --set A=1 B=2 (repeatable)")
        ->type_name("NAME=TEXT...");
    command.add_option("--decimal-separator", options.separator,
                       "Decimal separator of the texts and the results file (default: \".\" for the texts, the "
                       "locale's for the file)")
        ->type_name(".|,");
}

}  // namespace tadmor::cli
