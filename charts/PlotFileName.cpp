// The names of plot files, with and without the drawing.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "charts/ChartFiles.h"
#include "model/Error.h"

namespace tadmor::charts {

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
    if (!PlotsAvailable())
        throw Error(ErrorKind::Input, "this tadmor was built without plots (TADMOR_BUILD_PLOTS=OFF)");
    if (!IsPlotFileName(path))
        throw Error(ErrorKind::Input, "the plot file name must end in .png or .svg, not \"" + path + "\"");
}

}  // namespace tadmor::charts
