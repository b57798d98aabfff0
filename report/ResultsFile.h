// The results file: the input section, then the results table.
//
// Plain text, CR LF line ends, the degree sign as the Shift-JIS bytes
// 0x81 0x8E, everything else ASCII. The two sections are written in the two
// stages of a calculation but put in place as one file, and only when it is
// complete: until then an earlier file of the same name keeps its content.
#pragma once

#include <optional>
#include <string>

#include "model/Cal_Main.h"
#include "report/AtomicFile.h"

namespace tadmor {

// The three heading lines of the results table.
inline constexpr std::string_view kResultsTableHeadings[] = {
    " [RESULTS]",
    " FLIGHT DEPTH   X/W   QS/QT   TB    T121    TAV   FILM   1/PSAI     POWER",
    "                                                                  TOT    VIS ",
};

// Longest results file name accepted, in bytes.
inline constexpr std::size_t kMaxResultFileNameBytes = 259;

// The input section: the 28 input lines and three empty lines.
std::string InputSectionText(const SimulationState& s, char separator = '.');

// The results table: three heading lines, rows 1..StepCount, two empty lines.
std::string ResultsTableText(const SimulationState& s, char separator = '.');

// One results file, named by s.ResultFileName.
class ResultsFileWriter {
public:
    // Starts the file with the input section, in a temporary file beside the
    // named one. Returns false, changing nothing, when the file cannot be
    // created or written (or the name is longer than 259 bytes); the caller
    // then shows "File can not open!".
    bool WriteInputSection(const SimulationState& s, char separator = '.');

    // Adds the results table and puts the complete file in place of any
    // earlier one. Returns false when the input section was not written or
    // the table cannot be written; the earlier file is then as it was and the
    // caller shows "Can not write result to file".
    bool WriteResultsTable(const SimulationState& s, char separator = '.');

private:
    std::optional<AtomicFile> file_;  // between the two stages
};

}  // namespace tadmor
