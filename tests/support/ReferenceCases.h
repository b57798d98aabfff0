// The inputs of a reference case (tests/data/reference/NAME.case): its
// NAME = TEXT lines, '#' lines skipped, blanks and quotes around the text
// dropped.
#pragma once

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace tadmor::test {

using Settings = std::vector<std::pair<std::string, std::string>>;

inline std::string TrimmedCaseText(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"')
        trimmed = trimmed.substr(1, trimmed.size() - 2);
    return trimmed;
}

inline Settings ReadCaseSettings(const std::string& path) {
    Settings settings;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        settings.emplace_back(TrimmedCaseText(line.substr(0, equals)), TrimmedCaseText(line.substr(equals + 1)));
    }
    return settings;
}

}  // namespace tadmor::test
