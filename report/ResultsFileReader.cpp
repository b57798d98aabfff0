#include "report/ResultsFileReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "report/ReadFile.h"
#include "report/ResultsFile.h"

namespace tadmor {
namespace {

// Every input line is a label of name and unit, then " =  ", then the value.
constexpr std::string_view kLabelEnd = " =  ";
constexpr std::size_t kLabelBytes = kFileLabelWidth + kLabelEnd.size();

[[noreturn]] void Fail(std::size_t lineIndex, const std::string& what) {
    throw Error(ErrorKind::ResultsFile, "line " + std::to_string(lineIndex + 1) + " " + what);
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    return lines;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the numbers of one file, as the file's number format writes them:
// an optional minus, digits, optionally the decimal separator and digits,
// optionally "E", an optional minus and digits. The first separator seen is
// the file's; a number with the other one is refused.
class NumberReader {
public:
    std::optional<double> Read(std::string_view text) {
        std::string plain;
        std::size_t pos = 0;
        const auto takeDigits = [&] {
            const std::size_t start = pos;
            while (pos < text.size() && IsDigit(text[pos])) plain += text[pos++];
            return pos > start;
        };
        if (pos < text.size() && text[pos] == '-') plain += text[pos++];
        if (!takeDigits()) return std::nullopt;
        if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
            if (separator_ == 0) separator_ = text[pos];
            if (text[pos++] != separator_) return std::nullopt;
            plain += '.';
            if (!takeDigits()) return std::nullopt;
        }
        if (pos < text.size() && text[pos] == 'E') {
            plain += text[pos++];
            if (pos < text.size() && text[pos] == '-') plain += text[pos++];
            if (!takeDigits()) return std::nullopt;
        }
        if (pos != text.size()) return std::nullopt;
        double value = 0;
        const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
        if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
        return value;
    }

    char Separator() const { return separator_ == 0 ? '.' : separator_; }

private:
    char separator_ = 0;
};

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while ((pos = line.find_first_not_of(' ', pos)) != std::string_view::npos) {
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        words.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

}  // namespace

ResultsFileContents ParseResultsFile(std::string_view bytes) {
    const std::vector<std::string_view> lines = SplitLines(bytes);
    if (lines.empty()) throw Error(ErrorKind::ResultsFile, "the file is empty");
    ResultsFileContents contents;
    NumberReader numbers;

    std::size_t i = 0;
    for (; i < kInputLineCount; ++i) {
        if (i >= lines.size()) Fail(i, "is missing: the input section has 28 lines");
        const std::string_view line = lines[i];
        if (line.size() <= kLabelBytes || line.substr(kLabelBytes - kLabelEnd.size(), kLabelEnd.size()) != kLabelEnd)
            Fail(i, "is not an input line (a label of 43 bytes ending in \" =  \", then the value)");
        const auto value = numbers.Read(line.substr(kLabelBytes));
        if (!value) Fail(i, "holds \"" + std::string(line.substr(kLabelBytes)) + "\" where an input value belongs");
        contents.inputs[i] = *value;
    }
    for (const std::size_t end = i + 3; i < end; ++i)
        if (i < lines.size() && !lines[i].empty())
            Fail(i, "should be empty: three empty lines follow the input section");

    if (i >= lines.size())
        throw Error(ErrorKind::ResultsFile,
                    "the file holds the inputs but no results table: its calculation did not finish");
    for (const std::string_view heading : kResultsTableHeadings) {
        if (i >= lines.size() || lines[i] != heading)
            Fail(i, "should be the heading line \"" + std::string(heading) + "\" of the results table");
        ++i;
    }

    for (; i < lines.size() && !lines[i].empty(); ++i) {
        const std::vector<std::string_view> words = Words(lines[i]);
        if (words.size() != kTableFieldCount) Fail(i, "is not a row of the results table (11 numbers)");
        std::array<double, kTableFieldCount> row;
        for (int field = 0; field < kTableFieldCount; ++field) {
            const auto value = numbers.Read(words[field]);
            if (!value) Fail(i, "holds \"" + std::string(words[field]) + "\" where a number of the table belongs");
            row[field] = *value;
        }
        contents.rows.push_back(row);
    }
    if (i + 2 > lines.size() || !lines[i + 1].empty())
        throw Error(ErrorKind::ResultsFile, "the results table ends early: its two closing empty lines are missing");
    if (i + 2 < lines.size()) Fail(i + 2, "follows the results table, where the file should end");

    contents.separator = numbers.Separator();
    return contents;
}

ResultsFileContents ReadResultsFile(const std::string& path) {
    const std::string bytes = ReadRegularFile(path, ErrorKind::ResultsFile, "the results file");
    try {
        return ParseResultsFile(bytes);
    } catch (const Error& error) {
        throw Error(ErrorKind::ResultsFile, "\"" + path + "\" is not a results file: " + error.what());
    }
}

SimulationState StateOf(const ResultsFileContents& contents, const std::string& name) {
    SimulationState state;
    for (int i = 0; i < kInputLineCount; ++i) state.*kInputFields[i].value = contents.inputs[i];
    state.ResultFileName = name;
    state.StepCount = static_cast<int>(contents.rows.size());
    for (std::size_t c = 0; c < kResultColumns.size(); ++c) {
        std::vector<double>& values = state.*kResultColumns[c].values;
        values.assign(1, 0.0);  // row i at index i
        for (const auto& row : contents.rows) values.push_back(row[c]);
    }
    return state;
}

}  // namespace tadmor
