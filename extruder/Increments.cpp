// Written from model/March.cpp (SetUp, ChooseStepLength, StartIncrement) and
// model/SolidBed.cpp (AdvanceIncrement, IncrementFlight), formula for formula
// in the same arithmetic, so that the rows agree with the march's to the bit.
#include "extruder/Increments.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/Arithmetic.h"

namespace tadmor::extruder {

namespace {

double StepLength(const SimulationState& s, double position) {
    const Extended feedEnd = s.FeedLength;
    const Extended compressionEnd = feedEnd + s.CompressionLength;
    const Extended z = position;
    if (feedEnd - z - s.FeedStep >= 0) return s.FeedStep;
    if (feedEnd - z - kZoneTolerance >= 0) return Store(feedEnd - z);
    if (compressionEnd - z - s.CompressionStep >= 0) return s.CompressionStep;
    if (compressionEnd - z - kZoneTolerance >= 0) return Store(compressionEnd - z);
    return s.MeteringStep;
}

bool InCompressionZone(const SimulationState& s, double position) {
    const Extended z = position;
    return s.FeedLength - z < kZoneTolerance && s.FeedLength + Extended(s.CompressionLength) - z >= kZoneTolerance;
}

}  // namespace

std::vector<Increment> ScrewIncrements(const SimulationState& s) {
    std::vector<Increment> increments;
    double position = 0;
    double depth = s.FeedLength < 0
                       ? Store(s.FeedDepth - Extended(s.DepthTaper) * std::min(-s.FeedLength, s.CompressionLength))
                       : s.FeedDepth;
    for (;;) {
        if (increments.size() > 2 * static_cast<std::size_t>(kIncrementLimit))
            throw IncrementLimitError("The screw's increments did not reach its end in " +
                                      std::to_string(2 * kIncrementLimit) + " increments.");
        Increment step;
        step.position = position;
        step.length = StepLength(s, position);
        step.depth = depth;
        const bool compression = InCompressionZone(s, position);
        step.depthAtEnd = compression ? Store(depth - Extended(s.DepthTaper) * step.length) : depth;
        const Extended axial = s.ScrewPitch * (position + 0.5L * step.length) / TurnLength(s);
        step.barrelTemp = Store(s.BarrelC0 * (1 - s.BarrelC1 * std::exp(s.BarrelC2 * axial)));
        step.flight = Store((position + 0.5L * step.length) / TurnLength(s) + s.DelayTurns);
        const bool last = Extended(position) + step.length - s.MeltingLength >= -kZoneTolerance;
        step.lengthOnScrew =
            last ? Store(std::clamp<Extended>(s.MeltingLength - Extended(position), 0, step.length)) : step.length;
        increments.push_back(step);
        if (last) return increments;
        depth = step.depthAtEnd;
        position = Store(Extended(position) + step.length);
    }
}

}  // namespace tadmor::extruder
