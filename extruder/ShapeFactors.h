// Shape factors of the rectangular screw channel (Newtonian, flights reaching
// the barrel): the drag flow and the pressure flow of a channel of width W and
// depth H relative to those of infinite parallel plates,
//   Q = F_d V_bz W H / 2 - F_p W H^3 (dP/dz) / (12 mu).
#pragma once

namespace tadmor::extruder {

// F_d(H/W) = (16 W / (pi^3 H)) sum over odd i of tanh(i pi H / (2 W)) / i^3.
double DragShapeFactor(double depthOverWidth);

// F_p(H/W) = 1 - (192 H / (pi^5 W)) sum over odd i of tanh(i pi W / (2 H)) / i^5.
double PressureShapeFactor(double depthOverWidth);

}  // namespace tadmor::extruder
