#include "material/Text.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "material/Material.h"
#include "report/ReadFile.h"

namespace tadmor::material {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int ForEachLine(std::string_view contents, const std::function<void(std::string_view, int)>& line) {
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

std::optional<long double> ReadNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    try {
        return ReadRegularFile(path);
    } catch (const FileReadError& error) {
        throw MaterialError("cannot read " + what + " \"" + path + "\": " + error.what());
    }
}

}  // namespace tadmor::material
