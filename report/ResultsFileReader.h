// Reads a results file back: the values of its input section and the rows of
// its results table, written with "." or "," as the decimal separator.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/Error.h"
#include "model/InputFields.h"
#include "model/ResultColumns.h"

namespace tadmor {

inline constexpr int kInputLineCount = kNumericFieldCount;   // lines of the input section
inline constexpr int kTableFieldCount = kResultColumnCount;  // fields of a table row

struct ResultsFileContents {
    char separator = '.';  // the decimal separator the file was written with
    // The input section's values in file order, which is the order of the
    // window's fields Edit1 .. Edit28.
    std::array<double, kInputLineCount> inputs{};
    // The table's rows in file order, each FLIGHT .. POWER VIS.
    std::vector<std::array<double, kTableFieldCount>> rows;
};

// Parses the bytes of a results file (CR LF or LF line ends). Throws Error
// of kind ResultsFile naming the first line that a results file would not have.
ResultsFileContents ParseResultsFile(std::string_view bytes);

// Reads and parses the file at `path`; the error (kind ResultsFile) names the file.
ResultsFileContents ReadResultsFile(const std::string& path);

// The inputs and the table of a results file as a state (StepCount rows
// from row 1), named `name`.
SimulationState StateOf(const ResultsFileContents& contents, const std::string& name);

}  // namespace tadmor
