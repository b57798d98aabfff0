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
    kExitNotAResultsFile = 6,
    kExitWarnings = 8,  // --strict: the run completed with warnings (7 is tadmor solve's no solution)
};

// A command line or case file that cannot be used; the text says what and where.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RunOptions {
    std::string materialPath;              // empty: no material file
    std::string casePath;                  // empty: no case file
    std::vector<std::string> settings;     // "NAME=TEXT", in command-line order
    std::optional<std::string> output;     // the results file name
    std::optional<std::string> separator;  // the decimal separator, "." or ","
};

// Applies the `NAME = TEXT` lines of a case file's contents; `source` names
// the file in errors.
void ApplyCaseText(std::string_view contents, std::string_view source, FieldTexts& texts);

// Applies one "NAME=TEXT"; TEXT is taken exactly as given.
void ApplySetting(std::string_view setting, FieldTexts& texts);

// The decimal separator of the process's locale when it is ",", else ".".
char LocaleDecimalSeparator();

// The separator given on the command line, or the locale's.
char ChooseSeparator(const RunOptions& options);

// The 29 texts: the defaults (numbers written with `separator`), then the
// material file, then the case file, then each setting in order, then the
// output name.
FieldTexts TextsFor(const RunOptions& options, char separator);

// Keeps the last message or error text that the request showed; busy and
// completion are silent.
class RecordingUi : public RequestUi {
public:
    void SetBusy(bool) override {}
    void ShowMessage(const std::string& text) override { message_ = text; }
    void ShowError(const std::string& text) override { message_ = text; }
    void ShowCompletion() override {}
    void RefreshFileList() override {}
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

// Also writes messages and errors as one line each on `errors`.
class ConsoleUi : public RecordingUi {
public:
    explicit ConsoleUi(std::ostream& errors) : errors_(errors) {}
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;

private:
    std::ostream& errors_;
};

// `text` for a message, its control characters written as \xNN so that the
// message shows all of it on one line; Quoted puts it in double quotes.
std::string Escaped(std::string_view text);
std::string Quoted(std::string_view text);

// The window's caption of a field without its colon, e.g. "Screw Diameter (cm)".
std::string FieldCaption(const InputField& field);

// One line after a completed run: rows recorded, and where melting completed
// or how much solid is left at the end of the screw.
std::string Summary(const SimulationState& state);

int ExitCodeOf(RequestOutcome outcome);

// The texts after the options in --help: of run (and of the command as a
// whole), of plot and of sweep.
std::string HelpFooter();
std::string PlotHelpFooter();
std::string SweepHelpFooter();

}  // namespace tadmor::cli
