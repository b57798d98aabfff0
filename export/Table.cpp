#include "export/Table.h"

#include <algorithm>

#include "model/NumberText.h"

namespace tadmor::exporting {

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvText(const Cell& cell) {
    if (const long* integer = std::get_if<long>(&cell)) return std::to_string(*integer);
    if (const double* number = std::get_if<double>(&cell)) return ExactNumber(*number);
    if (const std::string* text = std::get_if<std::string>(&cell)) return CsvField(*text);
    return "";
}

std::string MaterialComment(const std::optional<material::Material>& material) {
    if (!material) return "";
    std::string line = "# material: " + material->name;
    for (const std::string& source : material->sources) line += "; " + source;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line + "\n";
}

std::vector<std::string> ReadCsvLine(std::string_view& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    std::size_t i = 0;
    for (; i < text.size() && (quoted || text[i] != '\n'); ++i) {
        const char c = text[i];
        if (c == '"' && quoted && i + 1 < text.size() && text[i + 1] == '"')
            fields.back() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    text.remove_prefix(std::min(i + 1, text.size()));
    return fields;
}

}  // namespace tadmor::exporting
