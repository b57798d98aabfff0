#include "cli/Console.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <iostream>

#include "report/AtomicFile.h"

namespace tadmor::cli {

namespace {

analysis::StopFlag gStopSignal = 0;

// The handler only stores the signal, which is safe as the atomic is lock-free.
void RequestStop(int signal) { gStopSignal = signal; }

std::string Reason(int error) { return error ? std::string(": ") + std::strerror(error) : ""; }

}  // namespace

int ExitCodeOf(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Input:
        case ErrorKind::Material:
            return kExitUsage;
        case ErrorKind::Fit:
            return kExitInvalidInput;
        case ErrorKind::File:
        case ErrorKind::Plot:
            return kExitFileNotWritten;
        case ErrorKind::Simulation:
            return kExitCalculationError;
        case ErrorKind::ResultsFile:
            return kExitNotAResultsFile;
        case ErrorKind::Internal:
            break;
    }
    return kExitInternal;
}

int ExitCodeOf(RequestOutcome outcome) {
    switch (outcome) {
        case RequestOutcome::Completed:
            return kExitSuccess;
        case RequestOutcome::InvalidInput:
            return kExitInvalidInput;
        case RequestOutcome::FileNotWritten:
            return kExitFileNotWritten;
        case RequestOutcome::CalculationError:
            return kExitCalculationError;
    }
    return kExitCalculationError;
}

std::string Escaped(std::string_view text) { return EscapedText(text); }

std::string Quoted(std::string_view text) { return ShownText(text, std::string_view::npos); }

std::string ErrorLine(std::string_view text) { return "tadmor: " + Escaped(text) + "\n"; }

int Guarded(const std::function<int()>& body) {
    try {
        return body();
    } catch (const Error& error) {
        std::cerr << ErrorLine(error.what()) << std::flush;
        return ExitCodeOf(error.Kind());
    } catch (const std::exception& error) {
        std::cerr << ErrorLine(std::string("internal error: ") + error.what()) << std::flush;
        return kExitInternal;
    }
}

void RequireWritable(const std::string& path, const std::string& what) {
    const AtomicFile file(path);
    if (!file.IsOpen())
        throw Error(ErrorKind::File, "cannot write " + what + " " + Quoted(path) + Reason(file.Error()));
}

void WriteWhole(const std::string& path, std::string_view bytes, const std::string& what) {
    AtomicFile file(path);
    if (!file.Write(bytes) || !file.Commit())
        throw Error(ErrorKind::File, "cannot write " + what + " " + Quoted(path) + Reason(file.Error()));
}

bool TryWriteWhole(const std::string& path, std::string_view bytes, const std::string& what) {
    try {
        WriteWhole(path, bytes, what);
        return true;
    } catch (const Error& error) {
        std::cerr << ErrorLine(error.what()) << std::flush;
        return false;
    }
}

const analysis::StopFlag& StopSignal() { return gStopSignal; }

void StopOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

bool ErrorsToTerminal() { return isatty(STDERR_FILENO) == 1; }

std::function<void(std::size_t, std::size_t, std::size_t)> ProgressBar(const std::string& unit) {
    if (!ErrorsToTerminal()) return nullptr;
    return [unit](std::size_t, std::size_t done, std::size_t total) {
        constexpr std::size_t kBarWidth = 40;
        const std::size_t filled = total ? kBarWidth * done / total : kBarWidth;
        std::cerr << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] " << done << "/"
                  << total << " " << unit << (done == total ? "\n" : "") << std::flush;
    };
}

int Stopped(int signal, const std::string& what) {
    std::cerr << (ErrorsToTerminal() ? "\n" : "") << "tadmor: stopped by " << (signal == SIGINT ? "SIGINT" : "SIGTERM")
              << ": " << Escaped(what) << '\n';
    return 128 + signal;
}

}  // namespace tadmor::cli
