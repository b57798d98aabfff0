// The pieces of `tadmor run` worth testing on their own: where the input
// texts come from, the decimal separator, the console front-end, the summary
// line and the exit codes.
#pragma once

#include <array>
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

// Where each of the 29 texts came from, for messages: "FILE:LINE" (a case
// file), "--set", "-o", a material file's name, or "the default".
using TextOrigins = std::array<std::string, kFieldCount>;

// Applies the `NAME = TEXT` lines of a case file's contents; `source` names
// the file in errors and origins.
void ApplyCaseText(std::string_view contents, std::string_view source, FieldTexts& texts,
                   TextOrigins* origins = nullptr);

// Applies one "NAME=TEXT"; blanks around NAME are dropped, TEXT is taken
// exactly as given.
void ApplySetting(std::string_view setting, FieldTexts& texts, TextOrigins* origins = nullptr);

// The decimal separator of the process's locale when it is ",", else ".".
char LocaleDecimalSeparator();

// The separator of the results file: the one given on the command line, or
// the locale's.
char ChooseSeparator(const RunOptions& options);

// The separator of the texts given (material, case file, --set): the one
// given on the command line, or "." whatever the locale.
char TextSeparator(const RunOptions& options);

// The 29 texts: the defaults (numbers written with `separator`), then the
// material file, then the case file, then each setting in order, then the
// output name.
FieldTexts TextsFor(const RunOptions& options, char separator, TextOrigins* origins = nullptr);

// `texts` with the decimal separator of their numbers turned from `from`
// into `to`. "." and "," change places, so that a text that does not read
// with `from` does not read with `to` either.
FieldTexts WithSeparator(FieldTexts texts, char from, char to);

// The texts as the request reads them with ChooseSeparator: TextsFor with
// TextSeparator, turned into the results file's separator.
FieldTexts RequestTexts(const RunOptions& options);

// The line after the request's refusal of `field`: where its text came
// from, the text, and what to write instead (for a text that is not a
// number) or the values allowed (for a value that fails its test). `given`
// are the texts as given, read with `separator`.
std::string RefusalDetail(int field, const FieldTexts& given, const TextOrigins& origins, char separator);

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

// A message of the command: "tadmor: TEXT" and a line end, TEXT Escaped, so
// that a message is one line whatever file names or texts it quotes.
std::string ErrorLine(std::string_view text);

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
