#include "cli/InputOptions.h"

#include <CLI/CLI.hpp>

#include <clocale>
#include <cstring>

#include "cli/Console.h"

namespace tadmor::cli {

namespace {

// A path given on the command line: empty is refused.
const std::string& NonEmpty(const std::string& path, const std::string& option) {
    if (path.empty()) throw Error(ErrorKind::Input, option + " needs a file name, not an empty text");
    return path;
}

// The separator given by --decimal-separator, if any.
std::optional<char> GivenSeparator(const RunOptions& options) {
    if (!options.separator) return std::nullopt;
    const std::string& text = *options.separator;
    if (text != "." && text != ",")
        throw Error(ErrorKind::Input, "--decimal-separator expects \".\" or \",\", not " + Quoted(text));
    return text[0];
}

}  // namespace

void AddInputOptions(CLI::App& command, RunOptions& options) {
    command.add_option("--material", options.materialPath, "Read the material inputs from a material file")
        ->type_name("FILE");
    command.add_option("--case", options.casePath, "Read inputs from a case file")->type_name("FILE");
    command.add_option("--set", options.settings, "Set inputs: --set A=1 B=2 (repeatable)")->type_name("NAME=TEXT...");
    command
        .add_option("--decimal-separator", options.separator,
                    "Decimal separator of the texts and the results file (default: \".\" for the texts, the "
                    "locale's for the file)")
        ->type_name(".|,");
}

char LocaleDecimalSeparator() {
    const char* point = std::localeconv()->decimal_point;
    return point && std::strcmp(point, ",") == 0 ? ',' : '.';
}

char ChooseSeparator(const RunOptions& options) { return GivenSeparator(options).value_or(LocaleDecimalSeparator()); }

inputs::Case GivenCase(const RunOptions& options) {
    inputs::Case given = inputs::DefaultCase(GivenSeparator(options).value_or('.'));
    if (options.materialPath) {
        const std::string& path = NonEmpty(*options.materialPath, "--material");
        inputs::ApplyMaterial(given, material::ReadMaterialFile(path), path);
    }
    if (options.casePath) inputs::ApplyCaseFile(given, NonEmpty(*options.casePath, "--case"));
    for (const std::string& setting : options.settings) {
        const auto equals = setting.find('=');
        if (equals == std::string::npos)
            throw Error(ErrorKind::Input, "--set expects NAME=TEXT, not " + Quoted(setting));
        inputs::SetInput(given, setting.substr(0, equals), setting.substr(equals + 1), "--set");
    }
    if (options.output) inputs::SetInput(given, "ResultFileName", *options.output, "-o");
    return given;
}

inputs::Case RequestCase(const RunOptions& options) {
    return inputs::WithSeparator(GivenCase(options), ChooseSeparator(options));
}

}  // namespace tadmor::cli
