// Reads a results file back: the values of its input section and the rows of
// its results table, written with "." or "," as the decimal separator.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/InputFields.h"
#include "model/ResultColumns.h"

namespace tadmor {

// A file that is not a results file, or cannot be read; the text says why.
class NotAResultsFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kInputLineCount = kNumericFieldCount;  // lines of the input section
inline constexpr int kTableFieldCount = kResultColumnCount;  // fields of a table row

struct ResultsFileContents {
    char separator = '.';  // the decimal separator the file was written with
    // The input section's values in file order, which is the order of the
    // window's fields Edit1 .. Edit28.
    std::array<double, kInputLineCount> inputs{};
    // The table's rows in file order, each FLIGHT .. POWER VIS.
    std::vector<std::array<double, kTableFieldCount>> rows;
};

// Parses the bytes of a results file (CR LF or LF line ends). Throws
// NotAResultsFile naming the first line that a results file would not have.
ResultsFileContents ParseResultsFile(std::string_view bytes);

// Reads and parses the file at `path`; the error text names the file.
ResultsFileContents ReadResultsFile(const std::string& path);

}  // namespace tadmor
