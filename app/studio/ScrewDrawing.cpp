#include "app/studio/ScrewDrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tadmor::studio {

std::optional<ScrewDrawing> ScrewDrawingOf(const SimulationState& s, std::optional<double> meltedFlight) {
    const double turns[] = {s.FeedTurns, s.CompressionTurns, s.MeteringTurns};
    const double lengths[] = {s.ScrewDiameter, s.ScrewPitch, s.FeedDepth, s.MeteringDepth};
    const auto usable = [](double value) { return std::isfinite(value) && value > 0 && value < 1e9; };
    if (!std::all_of(std::begin(turns), std::end(turns), usable) ||
        !std::all_of(std::begin(lengths), std::end(lengths), usable))
        return std::nullopt;

    ScrewDrawing d;
    d.diameter = s.ScrewDiameter;
    d.pitch = s.ScrewPitch;
    d.feedDepth = s.FeedDepth;
    d.meteringDepth = s.MeteringDepth;
    d.meltingStart = s.DelayTurns;
    // The land's axial width is its width normal to the flight over the cosine of the helix angle.
    const double helix = std::atan(s.ScrewPitch / (std::numbers::pi * s.ScrewDiameter));
    d.landShare = std::clamp(s.FlightWidth / (std::cos(helix) * s.ScrewPitch), 0.0, 1.0);
    const double feedEnd = s.FeedTurns, compressionEnd = feedEnd + s.CompressionTurns;
    d.zones = {{0, feedEnd, "feed"},
               {feedEnd, compressionEnd, "compression"},
               {compressionEnd, compressionEnd + s.MeteringTurns, "metering"}};

    if (s.StepCount > 0 && static_cast<int>(s.ResFlight.size()) > s.StepCount &&
        static_cast<int>(s.ResSolidFraction.size()) > s.StepCount) {
        d.bed.emplace_back(s.DelayTurns, 1.0);
        for (int row = 1; row <= s.StepCount; ++row) d.bed.emplace_back(s.ResFlight[row], s.ResSolidFraction[row]);
        if (meltedFlight) d.bed.emplace_back(std::max(*meltedFlight, d.bed.back().first), 0.0);
    }
    return d;
}

double DepthAt(const ScrewDrawing& d, double flight) {
    const ScrewZone& compression = d.zones[1];
    if (flight <= compression.from) return d.feedDepth;
    if (flight >= compression.to) return d.meteringDepth;
    const double along = (flight - compression.from) / (compression.to - compression.from);
    return d.feedDepth + (d.meteringDepth - d.feedDepth) * along;
}

const ScrewZone* ZoneAt(const ScrewDrawing& d, double flight) {
    for (const ScrewZone& zone : d.zones)
        if (flight >= zone.from && flight <= zone.to) return &zone;
    return nullptr;
}

std::optional<double> SolidFractionAt(const ScrewDrawing& d, double flight) {
    if (d.bed.empty()) return std::nullopt;
    if (flight <= d.bed.front().first) return 1.0;
    if (flight >= d.bed.back().first) return d.bed.back().second;
    const auto after = std::upper_bound(d.bed.begin(), d.bed.end(), flight,
                                        [](double x, const std::pair<double, double>& p) { return x < p.first; });
    const auto& [x0, y0] = *(after - 1);
    const auto& [x1, y1] = *after;
    return x1 == x0 ? y1 : y0 + (y1 - y0) * (flight - x0) / (x1 - x0);
}

std::vector<double> FlightMarks(const ScrewDrawing& d, int most) {
    const double end = d.End();
    // Steps of 1, 2, 5, 10, 20, 50, ... turns.
    double step = 1;
    for (int k = 0; std::floor(end / step + 1e-9) + 1 > std::max(most, 1); ++k) step *= k % 3 == 1 ? 2.5 : 2;
    std::vector<double> marks;
    for (int k = 0; k * step <= end + 1e-9; ++k) marks.push_back(k * step);
    return marks;
}

}  // namespace tadmor::studio
