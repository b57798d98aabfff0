// What the command shows and returns: messages on standard error, the exit
// code of each error kind and outcome, files written whole, the progress
// bar and the stop on SIGINT and SIGTERM.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "analysis/Runner.h"
#include "app/request/CalculationRequest.h"
#include "model/Error.h"

namespace tadmor::cli {

enum ExitCode {
    kExitSuccess = 0,
    kExitUsage = 2,
    kExitInvalidInput = 3,
    kExitFileNotWritten = 4,
    kExitCalculationError = 5,
    kExitNotAResultsFile = 6,
    kExitNoSolution = 7,  // tadmor solve: no value in the range meets the target
    kExitWarnings = 8,    // --strict: the run completed but gave a warning
    kExitInternal = 70,   // a fault of the program
};

// The exit code of an error of `kind`: Input and Material 2, Fit 3, File
// and Plot 4, Simulation 5, ResultsFile 6, Internal 70.
int ExitCodeOf(ErrorKind kind);

// The exit code of a calculation's outcome.
int ExitCodeOf(RequestOutcome outcome);

// `text` for a message, its control characters written as \xNN so that the
// message shows all of it on one line; Quoted puts it in double quotes.
std::string Escaped(std::string_view text);
std::string Quoted(std::string_view text);

// A message of the command: "tadmor: TEXT" and a line end, TEXT Escaped.
std::string ErrorLine(std::string_view text);

// Runs `body` and returns its exit code; an Error it throws is told on
// standard error and gives the exit code of its kind.
int Guarded(const std::function<int()>& body);

// Throws Error of kind File unless a file can be written at `path` (its
// temporary file can be created); `what` names it ("the summary file").
void RequireWritable(const std::string& path, const std::string& what);

// Writes `bytes` whole to `path`. Throws Error of kind File, with the
// system's reason, when it cannot.
void WriteWhole(const std::string& path, std::string_view bytes, const std::string& what);

// Writes and tells a failure on standard error instead of throwing: false then.
bool TryWriteWhole(const std::string& path, std::string_view bytes, const std::string& what);

// The signal (SIGINT or SIGTERM) that asked the work to stop, or 0.
const analysis::StopFlag& StopSignal();

// From now on SIGINT and SIGTERM set StopSignal instead of ending the program.
void StopOnInterrupt();

// A progress bar on standard error, redrawn after each task, when standard
// error is a terminal; else none.
std::function<void(std::size_t, std::size_t, std::size_t)> ProgressBar(const std::string& unit);

// Whether standard error is a terminal.
bool ErrorsToTerminal();

// The exit code of a stop by `signal` (130, 143) and its line on standard
// error: "tadmor: stopped by SIGINT: WHAT".
int Stopped(int signal, const std::string& what);

}  // namespace tadmor::cli
