// The increments of the screw from the start of melting to its end, as the
// melting march lays them out: the same step lengths per zone, the same zone
// ends, the same compression taper and barrel temperature law, and past the
// increment where the bed melts, on to the end of the screw.
#pragma once

#include <vector>

#include "model/Cal_Main.h"

namespace tadmor::extruder {

struct Increment {
    double position = 0;       // cm down the channel from the start of melting to the increment's start
    double length = 0;         // cm, the march's step
    double lengthOnScrew = 0;  // cm of the step before the end of the screw (the last step may run past it)
    double depth = 0;          // cm at the start (the DEPTH column)
    double depthAtEnd = 0;     // cm at the end of the step
    double barrelTemp = 0;     // degC at the middle of the step (the TB column)
    double flight = 0;         // turns from the screw start to the middle of the step (the FLIGHT column)
};

// Every increment of the screw. `s` holds the inputs and the geometry the
// march's set-up derived from them (a state after RunMarch); the march's
// rows 1..StepCount are increments 1..StepCount, equal to the last bit.
std::vector<Increment> ScrewIncrements(const SimulationState& s);

}  // namespace tadmor::extruder
