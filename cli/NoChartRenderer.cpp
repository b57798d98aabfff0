// The drawing of a tadmor built without Qt (TADMOR_BUILD_PLOTS=OFF): every
// plot is refused with a message; runs, exports and sweeps work as always.
#include "cli/ChartRenderer.h"

namespace tadmor::cli {

bool PlotsAvailable() { return false; }

void RenderChart(const Chart&, const std::string& path) {
    throw PlotError("this tadmor was built without plots (TADMOR_BUILD_PLOTS=OFF): \"" + path + "\" not drawn");
}

}  // namespace tadmor::cli
