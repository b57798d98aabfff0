#include "report/TextLines.h"

namespace tadmor {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int ForEachLine(std::string_view contents, const std::function<void(std::string_view, int)>& line) {
    if (contents.starts_with(kByteOrderMark)) contents.remove_prefix(kByteOrderMark.size());
    int number = 0;
    while (!contents.empty()) {
        const auto end = contents.find('\n');
        std::string_view text = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        ++number;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        text = Trim(text);
        if (!text.empty() && text.front() != '#') line(text, number);
    }
    return number;
}

int ForEachKeyValue(std::string_view contents, std::string_view source, ErrorKind kind,
                    const std::function<void(const KeyValue&)>& entry) {
    return ForEachLine(contents, [&](std::string_view line, int number) {
        KeyValue value;
        value.line = number;
        value.place = std::string(source) + ":" + std::to_string(number);
        const auto equals = line.find('=');
        value.name = Trim(line.substr(0, equals));
        if (equals == std::string_view::npos || value.name.empty())
            throw Error(kind, value.place + ": expected NAME = TEXT");
        value.text = Trim(line.substr(equals + 1));
        if (!value.text.empty() && value.text.front() == '"') {
            if (value.text.size() < 2 || value.text.back() != '"')
                throw Error(kind, value.place + ": missing closing quote");
            value.text = value.text.substr(1, value.text.size() - 2);
        }
        entry(value);
    });
}

}  // namespace tadmor
