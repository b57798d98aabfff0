// Fuzzes the results-file reader together with the axes of the melting
// profile it draws. Every input must be refused as not a results file, or
// give a chart whose axes are refused with a message, or axes over every
// finite value of the chart with a bounded number of distinct, increasing
// ticks whose labels are plain numbers that read back within half a step.
// Nothing is drawn: the axes decide what the drawing can show.
//
// Input: the bytes of a results file.
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "charts/Builders.h"
#include "report/ResultsFileReader.h"

namespace {

using namespace tadmor;
using namespace tadmor::charts;

[[noreturn]] void Fail(const char* what, const Axis& axis, const std::string& detail = "") {
    std::fprintf(stderr, "%s: axis %.17g .. %.17g step %.17g %s\n", what, axis.min, axis.max, axis.step,
                 detail.c_str());
    std::abort();
}

bool PlainNumber(const std::string& text) {
    if (text.empty() || text.size() > 29) return false;
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != 'e' && c != '-' && c != '+') return false;
    return true;
}

void CheckAxis(const Axis& axis, int intervals, double low, double high) {
    if (!std::isfinite(axis.min) || !std::isfinite(axis.max) || !std::isfinite(axis.max - axis.min) ||
        !(axis.step > 0) || !(axis.max > axis.min))
        Fail("an axis that cannot be drawn", axis);
    // The data: within the axis, up to a billionth of a step.
    if (low < axis.min - 1e-9 * axis.step || high > axis.max + 1e-9 * axis.step) Fail("data outside the axis", axis);
    const std::vector<double> ticks = Ticks(axis);
    if (ticks.size() < 2 || ticks.size() > 4u * intervals) Fail("too few or too many ticks", axis);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const std::string text = TickText(ticks[i], axis);
        if (!PlainNumber(text)) Fail("a tick label that is not a plain number", axis, text);
        if (!(std::fabs(std::strtod(text.c_str(), nullptr) - ticks[i]) <= 0.5 * axis.step))
            Fail("a tick label that does not read back", axis, text);
        if (i > 0 && (!(ticks[i] > ticks[i - 1]) || text == TickText(ticks[i - 1], axis)))
            Fail("ticks that do not increase", axis, text);
    }
}

// The range of the finite values of `values`, widened from [low, high].
void Widen(const std::vector<double>& values, double& low, double& high) {
    for (const double v : values)
        if (std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ResultsFileContents contents;
    try {
        contents = ParseResultsFile(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const Error& error) {
        if (error.Kind() != ErrorKind::ResultsFile) std::abort();
        return 0;
    }
    const Chart chart = MeltingProfileChart(StateOf(contents, "fuzz.txt"), std::nullopt);
    if (chart.subtitle.find('\0') != std::string::npos || chart.subtitle.size() > 1000) std::abort();
    ChartAxes axes;
    try {
        axes = AxesOf(chart);
    } catch (const Error& error) {
        if (error.Kind() != ErrorKind::Plot) std::abort();
        if (std::string_view(error.what()).rfind("cannot draw the chart: ", 0) != 0) std::abort();
        return 0;
    }
    if (axes.y.size() != chart.panels.size()) std::abort();
    double low = INFINITY, high = -INFINITY;
    for (const Panel& panel : chart.panels)
        for (const Curve& curve : panel.curves) Widen(curve.x, low, high);
    CheckAxis(axes.x, 14, low, high);
    for (std::size_t i = 0; i < chart.panels.size(); ++i) {
        low = INFINITY, high = -INFINITY;
        for (const Curve& curve : chart.panels[i].curves) Widen(curve.y, low, high);
        for (const Mark& level : chart.panels[i].levels) Widen({level.at}, low, high);
        CheckAxis(axes.y[i], 6, low, high);
    }
    return 0;
}
