// The drawing of a tadmor built without Qt (TADMOR_BUILD_PLOTS=OFF): every
// plot is refused with a message; runs, exports and sweeps work as always.
#include "cli/ChartRenderer.h"

namespace tadmor::cli {

namespace {

[[noreturn]] void Refuse(const std::string& path) {
    throw PlotError("this tadmor was built without plots (TADMOR_BUILD_PLOTS=OFF): \"" + path + "\" not drawn");
}

}  // namespace

bool PlotsAvailable() { return false; }

void RenderChart(const Chart&, const std::string& path) { Refuse(path); }

void RenderMap(const MapChart&, const std::string& path) { Refuse(path); }

void RenderTornado(const TornadoChart&, const std::string& path) { Refuse(path); }

}  // namespace tadmor::cli
