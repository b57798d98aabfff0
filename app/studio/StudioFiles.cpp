#include "app/studio/StudioFiles.h"

#include <algorithm>
#include <cstring>

#include "model/Error.h"
#include "report/AtomicFile.h"
#include "report/ResultsFile.h"

namespace tadmor::studio {

std::string ResultsFileText(const SimulationState& state, char separator) {
    return InputSectionText(state, separator) + ResultsTableText(state, separator);
}

void WriteWholeFile(const std::string& path, std::string_view text, std::string_view what) {
    AtomicFile file(path);
    if (!file.Write(text) || !file.Commit())
        throw Error(ErrorKind::File, "cannot write " + std::string(what) + " " + ShownText(path, std::string::npos) +
                                         ": " + std::strerror(file.Error()));
}

bool IsMaterialFileName(std::string_view path) { return path.ends_with(".material"); }

std::vector<std::string> WithRecentFile(std::vector<std::string> recent, const std::string& path, std::size_t limit) {
    std::erase(recent, path);
    recent.insert(recent.begin(), path);
    if (recent.size() > limit) recent.resize(limit);
    return recent;
}

}  // namespace tadmor::studio
