// The pieces of `tadmor run` worth testing on their own: where the input
// texts come from, the decimal separator, the console front-end, the summary
// line and the exit codes.
#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::cli {

enum ExitCode {
    kExitSuccess = 0,
    kExitUsage = 2,
    kExitInvalidInput = 3,
    kExitFileNotWritten = 4,
    kExitCalculationError = 5,
};

// A command line or case file that cannot be used; the text says what and where.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RunOptions {
    std::string casePath;                  // empty: no case file
    std::vector<std::string> settings;     // "NAME=TEXT", in command-line order
    std::optional<std::string> output;     // the results file name
    std::optional<std::string> separator;  // the decimal separator, one character
};

// Applies the `NAME = TEXT` lines of a case file's contents; `source` names
// the file in errors.
void ApplyCaseText(std::string_view contents, std::string_view source, FieldTexts& texts);

// Applies one "NAME=TEXT"; TEXT is taken exactly as given.
void ApplySetting(std::string_view setting, FieldTexts& texts);

// The decimal separator of the process's locale, "." when it is not one character.
char LocaleDecimalSeparator();

// The separator given on the command line, or the locale's.
char ChooseSeparator(const RunOptions& options);

// The 29 texts: the defaults (numbers written with `separator`), then the case
// file, then each setting in order, then the output name.
FieldTexts TextsFor(const RunOptions& options, char separator);

// Messages and errors as one line each on `errors`; busy and completion are silent.
class ConsoleUi : public RequestUi {
public:
    explicit ConsoleUi(std::ostream& errors) : errors_(errors) {}
    void SetBusy(bool) override {}
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowCompletion() override {}
    void RefreshFileList() override {}

private:
    std::ostream& errors_;
};

// One line after a completed run: rows recorded, and where melting completed
// or how much solid is left at the end of the screw.
std::string Summary(const SimulationState& state);

int ExitCodeOf(RequestOutcome outcome);

// The text after the options in --help.
std::string HelpFooter();

}  // namespace tadmor::cli
