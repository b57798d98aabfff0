// Exported tables: one list of columns per table, from which the CSV files
// are written and Python builds its data frames, so that both always agree.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "material/Material.h"

namespace tadmor::exporting {

// A cell: empty, an integer, a number, or a text.
using Cell = std::variant<std::monostate, long, double, std::string>;

enum class CellType {
    Integer,  // long; empty where there is none
    Number,   // double; empty where there is none (NaN in Python)
    Value,    // a number kept as the text it was given as (a varied input's value)
    Text,
};

template <class Row>
struct Column {
    std::string name;
    CellType type;
    std::function<Cell(const Row&)> cell;
};

// `text` as one CSV field: in double quotes, its quotes doubled, when it
// holds a comma, a quote or a line end.
std::string CsvField(std::string_view text);

// The cell as CSV writes it: nothing, the integer, the shortest text that
// reads back as the number, or the text as a CSV field.
std::string CsvText(const Cell& cell);

// The header line of the columns and one line per row.
template <class Row>
std::string CsvOf(const std::vector<Column<Row>>& columns, const std::vector<Row>& rows) {
    std::string csv;
    for (std::size_t c = 0; c < columns.size(); ++c) csv += (c ? "," : "") + CsvField(columns[c].name);
    csv += '\n';
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < columns.size(); ++c) csv += (c ? "," : "") + CsvText(columns[c].cell(row));
        csv += '\n';
    }
    return csv;
}

// "# material: NAME; SOURCE; ..." and a line end: the first line of a CSV
// whose numbers come from a material; "" without one. CSV readers that take
// # for a comment skip it.
std::string MaterialComment(const std::optional<material::Material>& material);

// The fields of the CSV line at the start of `text`, which then starts after
// it. A field in double quotes may hold commas, line ends and doubled quotes.
std::vector<std::string> ReadCsvLine(std::string_view& text);

}  // namespace tadmor::exporting
