// The results file: the input section, then the results table.
//
// Plain text, CR LF line ends, the degree sign as the Shift-JIS bytes
// 0x81 0x8E, everything else ASCII. Both writers report a file they cannot
// open by their return value (the caller tells the user); a write error once
// the file is open is thrown as ResultsFileError.
#pragma once

#include <stdexcept>

#include "model/Cal_Main.h"

namespace tadmor {

class ResultsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Longest results file name accepted, in bytes.
inline constexpr std::size_t kMaxResultFileNameBytes = 259;

// Creates or truncates the file named by s.ResultFileName and writes the 28
// input lines and three empty lines. Returns false, writing nothing, when the
// file cannot be created (or the name is longer than 259 bytes); the caller
// then shows "File can not open!".
bool WriteInputSection(const SimulationState& s, char separator = '.');

// Appends the results table (three heading lines, rows 1..StepCount, two
// empty lines) to the existing file; never creates it. Returns false, writing
// nothing, when the file cannot be opened; the caller then shows
// "Can not write result to file".
bool WriteResultsTable(const SimulationState& s, char separator = '.');

}  // namespace tadmor
