#include <algorithm>
#include <cmath>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"

namespace tadmor {

double EstimatedIncrementCount(const SimulationState& s) {
    // Turns of each zone that lie after the start of melting.
    const Extended delay = s.DelayTurns;
    const Extended feed = std::max<Extended>(0, s.FeedTurns - delay);
    const Extended compressionStart = std::max<Extended>(delay, s.FeedTurns);
    const Extended compression =
        std::max<Extended>(0, s.FeedTurns + s.CompressionTurns - compressionStart);
    const Extended meteringStart = std::max<Extended>(delay, Extended(s.FeedTurns) + s.CompressionTurns);
    const Extended metering = std::max<Extended>(
        0, Extended(s.FeedTurns) + s.CompressionTurns + s.MeteringTurns - meteringStart);
    // Five increments a turn in the feed and metering zones, ten in the
    // compression zone, one more for each zone's remainder and the last.
    return Store(std::ceil(5 * feed) + std::ceil(10 * compression) + std::ceil(5 * metering) + 1);
}

}  // namespace tadmor
