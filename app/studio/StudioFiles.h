// The studio's files without Qt: the results file of a calculation, files
// written whole, and the list of files opened lately.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/Cal_Main.h"

namespace tadmor::studio {

// The results file of a finished calculation, byte for byte as the request
// writes it: the input section, then the results table.
std::string ResultsFileText(const SimulationState& state, char separator);

// Writes `text` to `path`, whole or not at all. Throws Error of kind File,
// "cannot write WHAT "PATH": REASON", when it cannot.
void WriteWholeFile(const std::string& path, std::string_view text, std::string_view what);

// Whether `path` names a material file (".material") rather than a case file.
bool IsMaterialFileName(std::string_view path);

inline constexpr std::size_t kMaxRecentFiles = 8;

// The list with `path` first, an earlier mention of it dropped, and no more
// than `limit` names.
std::vector<std::string> WithRecentFile(std::vector<std::string> recent, const std::string& path,
                                        std::size_t limit = kMaxRecentFiles);

}  // namespace tadmor::studio
