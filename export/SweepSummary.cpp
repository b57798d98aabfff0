#include "export/SweepSummary.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <span>

namespace tadmor::exporting {

namespace {

// The status line of a summary starts so, followed by the sweep's id.
constexpr std::string_view kStatusPrefix = "# tadmor sweep ";

// The columns after the varied values, whose values ReadSummary reads back.
constexpr int kResultColumns = 9;

Cell Optional(const std::optional<double>& value) { return value ? Cell(*value) : Cell(); }

// The number that is the whole of `text`; for a double the shortest text
// that reads back as it, as the summary writes it.
template <typename Number>
std::optional<Number> ReadWhole(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

std::optional<RequestOutcome> OutcomeOfName(std::string_view name) {
    if (name == "melting completed" || name == "end of screw") return RequestOutcome::Completed;
    if (name == "invalid input") return RequestOutcome::InvalidInput;
    if (name == "file not written") return RequestOutcome::FileNotWritten;
    if (name == "calculation error") return RequestOutcome::CalculationError;
    return std::nullopt;
}

// A field that is empty or the number it holds.
bool ReadOptional(const std::string& field, std::optional<double>& value) {
    if (field.empty()) return true;
    value = ReadWhole<double>(field);
    return value.has_value();
}

// A case's result from the fields of its summary line after the varied
// values, in the order of SummaryColumns.
std::optional<RunSummary> RunOf(std::span<const std::string> fields) {
    RunSummary run;
    const std::optional<RequestOutcome> outcome = OutcomeOfName(fields[0]);
    if (!outcome) return std::nullopt;
    run.outcome = *outcome;
    run.outcomeName = fields[0];
    if (*outcome == RequestOutcome::Completed) {
        const std::optional<int> rows = ReadWhole<int>(fields[1]);
        if (!rows) return std::nullopt;
        run.rows = *rows;
    } else if (!fields[1].empty()) {
        return std::nullopt;
    }
    if (!ReadOptional(fields[2], run.meltingIncrementFlight) || !ReadOptional(fields[3], run.solidFractionAtEnd) ||
        !ReadOptional(fields[4], run.solidFlowRatioAtEnd) || !ReadOptional(fields[5], run.totalPower) ||
        !ReadOptional(fields[6], run.viscousPower))
        return std::nullopt;
    // At the end of the screw no solid is left once melting completed.
    if (run.meltingIncrementFlight) run.solidFractionAtEnd = run.solidFlowRatioAtEnd = 0.0;
    run.message = fields[7];
    std::string_view codes = fields[8];
    while (!codes.empty()) {
        const auto blank = codes.find(' ');
        run.warnings.push_back({std::string(codes.substr(0, blank)), "", ""});
        codes.remove_prefix(blank == std::string_view::npos ? codes.size() : blank + 1);
    }
    return run;
}

std::string HeaderLine(const std::vector<analysis::VariedInput>& varied) {
    return CsvOf(SummaryColumns(varied), std::vector<SweepRow>{});
}

}  // namespace

std::vector<Column<SweepRow>> SummaryColumns(const std::vector<analysis::VariedInput>& varied) {
    std::vector<Column<SweepRow>> columns;
    columns.push_back({"case", CellType::Integer, [](const SweepRow& row) { return Cell(row.sweepCase->index); }});
    for (std::size_t j = 0; j < varied.size(); ++j)
        columns.push_back({std::string(analysis::NameOf(varied[j])), CellType::Value,
                           [j](const SweepRow& row) { return Cell(row.sweepCase->values[j]); }});
    const auto completed = [](const SweepRow& row) { return row.run->outcome == RequestOutcome::Completed; };
    columns.push_back({"outcome", CellType::Text, [](const SweepRow& row) { return Cell(row.run->outcomeName); }});
    columns.push_back({"rows", CellType::Integer, [completed](const SweepRow& row) {
                           return completed(row) ? Cell(static_cast<long>(row.run->rows)) : Cell();
                       }});
    columns.push_back({"melting completed at FLIGHT (turns)", CellType::Number,
                       [](const SweepRow& row) { return Optional(row.run->meltingIncrementFlight); }});
    columns.push_back({"X/W at end (-)", CellType::Number,
                       [](const SweepRow& row) { return Optional(row.run->solidFractionAtEnd); }});
    columns.push_back({"QS/QT at end (-)", CellType::Number,
                       [](const SweepRow& row) { return Optional(row.run->solidFlowRatioAtEnd); }});
    columns.push_back(
        {"POWER TOT at end (kW)", CellType::Number, [](const SweepRow& row) { return Optional(row.run->totalPower); }});
    columns.push_back({"POWER VIS at end (kW)", CellType::Number,
                       [](const SweepRow& row) { return Optional(row.run->viscousPower); }});
    columns.push_back({"message", CellType::Text, [](const SweepRow& row) { return Cell(row.run->message); }});
    columns.push_back({"warnings", CellType::Text, [](const SweepRow& row) { return Cell(WarningCodes(*row.run)); }});
    return columns;
}

std::string SummaryCsv(const std::vector<analysis::VariedInput>& varied, const std::string& sweepId,
                       const std::vector<analysis::SweepCase>& cases, const analysis::CaseResults& results,
                       const std::optional<material::Material>& material) {
    std::vector<SweepRow> rows;
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (results[i]) rows.push_back({&cases[i], &*results[i]});
    std::string csv =
        MaterialComment(material) + CsvOf(SummaryColumns(varied), rows) + std::string(kStatusPrefix) + sweepId + ": ";
    if (rows.size() == cases.size()) return csv + "complete\n";
    return csv + "incomplete, " + std::to_string(rows.size()) + " of " + std::to_string(cases.size()) + " cases\n";
}

void ReadSummary(std::string_view text, std::string_view source, const std::vector<analysis::VariedInput>& varied,
                 const std::string& sweepId, const std::vector<analysis::SweepCase>& cases,
                 analysis::CaseResults& results) {
    const std::string where = "--resume " + std::string(source) + ": ";
    const auto refuse = [&](const std::string& what) { throw Error(ErrorKind::Input, where + what); };
    const std::size_t statusStart = text.size() < 2 ? 0 : text.rfind('\n', text.size() - 2) + 1;
    const std::string_view status = text.substr(statusStart);
    if (!text.ends_with('\n') || !status.starts_with(kStatusPrefix))
        refuse("no status line at its end: not a whole summary written by tadmor sweep");
    if (!status.substr(kStatusPrefix.size()).starts_with(sweepId + ": "))
        refuse("the summary of another sweep (other base inputs or varied values)");
    // A comment naming the material comes before the header.
    const std::size_t headerStart = text.starts_with("# material:") ? text.find('\n') + 1 : 0;
    const std::string header = HeaderLine(varied);
    if (text.substr(headerStart).rfind(header, 0) != 0) refuse("its first line is not the header of this sweep");

    const long total = analysis::CaseCount(varied);
    std::string_view lines = text.substr(headerStart + header.size(), statusStart - headerStart - header.size());
    while (!lines.empty()) {
        const std::size_t offset = lines.data() - text.data();
        const std::vector<std::string> fields = ReadCsvLine(lines);
        const long index =
            fields.size() == varied.size() + 1 + kResultColumns ? ReadWhole<long>(fields[0]).value_or(-1) : -1;
        std::optional<RunSummary> run;
        if (index >= 0 && index < total) run = RunOf(std::span(fields).subspan(varied.size() + 1));
        const auto found = std::lower_bound(cases.begin(), cases.end(), index,
                                            [](const analysis::SweepCase& c, long i) { return c.index < i; });
        const bool inShard = found != cases.end() && found->index == index;
        if (!run || (inShard && !std::equal(found->values.begin(), found->values.end(), fields.begin() + 1))) {
            const auto line = std::count(text.begin(), text.begin() + offset, '\n') + 1;
            refuse("line " + std::to_string(line) + " is not a line of this sweep's summary");
        }
        if (inShard) results[found - cases.begin()] = std::move(run);
    }
}

}  // namespace tadmor::exporting
