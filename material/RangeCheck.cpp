#include "material/RangeCheck.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "model/NumberText.h"

namespace tadmor::material {

std::vector<Warning> FittedRangeWarnings(const FittedRange& range, const SimulationState& s) {
    const auto hottest = [&](int row) { return std::max(s.ResBarrelTemp[row], s.ResSolvedMidTemp[row]); };
    const auto shearRate = [&](int row) { return s.RelativeSpeed / s.ResFilmThickness[row]; };
    const std::string temperatures = " the fitted range of the viscosity law (" + NumberText(range.temperatureMin, 1) +
                                     " to " + NumberText(range.temperatureMax, 1) + " degC)";
    const std::string rates = " the fitted range of the viscosity law (" + SignificantNumber(range.shearRateMin, 3) +
                              " to " + SignificantNumber(range.shearRateMax, 3) + " 1/s)";

    double highest = -INFINITY, fastest = 0, slowest = INFINITY;
    for (int row = 1; row <= s.StepCount; ++row) {
        highest = std::max(highest, hottest(row));
        fastest = std::max(fastest, shearRate(row));
        slowest = std::min(slowest, shearRate(row));
    }
    std::vector<Warning> warnings;
    const auto warn = [&](const std::string& what, const std::function<bool(int)>& outside) {
        const std::string spans = FlightSpans(s, outside);
        if (!spans.empty()) warnings.push_back({"viscosity-extrapolated", what, "FLIGHT " + spans});
    };
    // The film's cold side is at the melting point, below any melt rheometry
    // of a semicrystalline polymer: only a film whose mean temperature lies
    // below the range is extrapolated for the most part.
    double coldest = INFINITY;
    for (int row = 1; row <= s.StepCount; ++row) coldest = std::min(coldest, s.ResFilmAvgTemp[row]);
    warn("film mean temperatures down to " + NumberText(coldest, 1) + " degC lie below" + temperatures +
             ": the film's viscosity is extrapolated",
         [&](int row) { return s.ResFilmAvgTemp[row] < range.temperatureMin; });
    warn("film temperatures up to " + NumberText(highest, 1) + " degC lie above" + temperatures +
             ": the film's viscosity is extrapolated",
         [&](int row) { return hottest(row) > range.temperatureMax; });
    warn("film shear rates up to " + SignificantNumber(fastest, 3) + " 1/s lie above" + rates +
             ": the film's viscosity is extrapolated",
         [&](int row) { return shearRate(row) > range.shearRateMax; });
    warn("film shear rates down to " + SignificantNumber(slowest, 3) + " 1/s lie below" + rates +
             ": the film's viscosity is extrapolated",
         [&](int row) { return shearRate(row) < range.shearRateMin; });
    return warnings;
}

}  // namespace tadmor::material
