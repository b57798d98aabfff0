// The one base of every error the program throws: a text for the user and a
// kind that each front-end maps once (exit codes, Python exceptions,
// message boxes).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tadmor {

enum class ErrorKind {
    Input,        // an option, a name, a text or a case file that cannot be used
    Material,     // a material file or rheometer table that cannot be used
    Fit,          // data or law parameters that cannot be fitted
    File,         // a file that cannot be written
    Plot,         // a chart that cannot be drawn or written
    ResultsFile,  // a file read as a results file that is not one
    Simulation,   // a run that cannot be completed (SimulationError)
    Internal,     // a fault of the program itself
};

class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }

private:
    ErrorKind kind_;
};

// `text` with its control characters written as \xNN, so that a message
// quoting it stays one line.
std::string EscapedText(std::string_view text);

// A text as a message quotes it: in double quotes, its control characters
// written as \xNN so that the message stays one line, and cut after `most`
// bytes with "..." so that a huge text does not flood it.
std::string ShownText(std::string_view text, std::size_t most = 80);

}  // namespace tadmor
