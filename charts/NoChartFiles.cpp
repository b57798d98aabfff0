// The plot files of a build without Qt (TADMOR_BUILD_PLOTS=OFF): every plot
// is refused with a message; runs, exports and sweeps work as always.
#include "charts/ChartFiles.h"

#include "model/Error.h"

namespace tadmor::charts {

namespace {

[[noreturn]] void Refuse(const std::string& path) {
    throw Error(ErrorKind::Plot,
                "this tadmor was built without plots (TADMOR_BUILD_PLOTS=OFF): \"" + path + "\" not drawn");
}

}  // namespace

bool PlotsAvailable() { return false; }

void WriteChart(const Chart&, const std::string& path) { Refuse(path); }

void WriteMap(const MapChart&, const std::string& path) { Refuse(path); }

void WriteTornado(const TornadoChart&, const std::string& path) { Refuse(path); }

}  // namespace tadmor::charts
