#include "report/ResultsFile.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "model/InputFields.h"
#include "model/ResultColumns.h"
#include "report/FixedPoint.h"

namespace tadmor {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One line of the input section: name on the left, unit (if any) ending at
// byte kFileLabelWidth, then " =  " and the value.
std::string InputSectionLine(const InputField& field, const SimulationState& s, char separator) {
    std::string text(field.fileName);
    text.append(kFileLabelWidth - field.fileName.size() - field.fileUnit.size(), ' ');
    text += field.fileUnit;
    text += " =  ";
    text += FormatFixedPoint(s.*field.value, field.precision, field.decimals, separator);
    return text;
}

std::string TableRow(const SimulationState& s, int row, char separator) {
    std::string text;
    for (const ResultColumn& column : kResultColumns) {
        text += text.empty() ? " " : "  ";
        text += FormatFixed(column.precision, column.decimals, (s.*column.values)[row], separator);
    }
    return text;
}

bool UsableFileName(const std::string& name) {
    return name.size() <= kMaxResultFileNameBytes && name.find('\0') == std::string::npos;
}

void AppendLine(std::string& text, std::string_view line) {
    text += line;
    text += kLineEnd;
}

void RequireRows(const SimulationState& s) {
    for (const ResultColumn& column : kResultColumns) {
        if (s.StepCount > 0 && (s.*column.values).size() <= static_cast<std::size_t>(s.StepCount)) {
            throw std::logic_error("ResultsTableText: a result column holds fewer rows than StepCount");
        }
    }
}

}  // namespace

std::string InputSectionText(const SimulationState& s, char separator) {
    std::string text;
    for (int i = 0; i < kNumericFieldCount; ++i) AppendLine(text, InputSectionLine(kInputFields[i], s, separator));
    for (int i = 0; i < 3; ++i) AppendLine(text, "");
    return text;
}

std::string ResultsTableText(const SimulationState& s, char separator) {
    RequireRows(s);
    std::string text;
    for (std::string_view heading : kResultsTableHeadings) AppendLine(text, heading);
    for (int row = 1; row <= s.StepCount; ++row) AppendLine(text, TableRow(s, row, separator));
    for (int i = 0; i < 2; ++i) AppendLine(text, "");
    return text;
}

bool ResultsFileWriter::WriteInputSection(const SimulationState& s, char separator) {
    file_.reset();
    if (!UsableFileName(s.ResultFileName)) return false;
    file_.emplace(s.ResultFileName);
    if (file_->Write(InputSectionText(s, separator))) return true;
    file_.reset();
    return false;
}

bool ResultsFileWriter::WriteResultsTable(const SimulationState& s, char separator) {
    if (!file_) return false;
    const bool written = file_->Write(ResultsTableText(s, separator)) && file_->Commit();
    file_.reset();
    return written;
}

}  // namespace tadmor
