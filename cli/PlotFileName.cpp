// The names of plot files, for the command with and without its drawing.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "cli/ChartRenderer.h"
#include "cli/RunCommand.h"

namespace tadmor::cli {

namespace {

bool EndsWith(const std::string& path, std::string_view extension) {
    if (path.size() < extension.size()) return false;
    return std::equal(extension.begin(), extension.end(), path.end() - extension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

bool IsPlotFileName(const std::string& path) { return EndsWith(path, ".png") || EndsWith(path, ".svg"); }

bool IsPngFileName(const std::string& path) { return EndsWith(path, ".png"); }

void RequirePlotFileName(const std::string& path) {
    if (path.empty()) return;
    if (!PlotsAvailable()) throw UsageError("this tadmor was built without plots (TADMOR_BUILD_PLOTS=OFF)");
    if (!IsPlotFileName(path)) throw UsageError("the plot file name must end in .png or .svg, not \"" + path + "\"");
}

}  // namespace tadmor::cli
