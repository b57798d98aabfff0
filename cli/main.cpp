// tadmor: the calculation request of the window, from the command line.
#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

#include "cli/RunCommand.h"

int main(int argc, char** argv) {
    using namespace tadmor;
    using namespace tadmor::cli;
    std::setlocale(LC_ALL, "");  // the user's decimal separator, as in the window

    CLI::App app{"tadmor: melting of a polymer in a single-screw extruder channel"};
    app.footer(HelpFooter());
    RunOptions options;
    CLI::App* run = app.add_subcommand("run", "Run one calculation and write the results file");
    run->footer(HelpFooter());
    run->add_option("--case", options.casePath, "Read inputs from a case file")->type_name("FILE");
    run->add_option("--set", options.settings, "Set one input (repeatable)")
        ->type_name("NAME=TEXT")
        ->allow_extra_args(false);
    run->add_option("-o,--output", options.output, "Results file name (ResultFileName)")->type_name("FILE");
    run->add_option("--decimal-separator", options.separator, "Decimal separator of the texts and the file")
        ->type_name("C");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kExitSuccess : kExitUsage;
    }
    if (!run->parsed()) {
        std::cerr << "tadmor: expected the command \"run\"; see tadmor --help\n";
        return kExitUsage;
    }

    FieldTexts texts;
    char separator;
    try {
        separator = ChooseSeparator(options);
        texts = TextsFor(options, separator);
    } catch (const UsageError& error) {
        std::cerr << "tadmor: " << error.what() << '\n';
        return kExitUsage;
    }

    SimulationState state;
    ConsoleUi ui(std::cerr);
    const RequestOutcome outcome = RunCalculationRequest(texts, separator, state, ui);
    if (outcome == RequestOutcome::Completed) std::cout << Summary(state) << '\n';
    return ExitCodeOf(outcome);
}
