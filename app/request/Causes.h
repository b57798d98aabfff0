// The cause of a calculation error in the engineer's terms, read from the
// inputs and the state the run ended in.
#pragma once

#include <string>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"

namespace tadmor {

// What made the run that ended with `error` in `state` fail, as a sentence:
// melting that starts beyond the screw, a channel of no width, a barrel not
// above the melting point where the run ended, a local power-law index outside
// (0, 1] or a viscosity that does not fall with temperature. Empty when none
// of these holds, and for errors other than arithmetic faults and iterations
// that did not converge.
std::string CauseOf(const SimulationState& state, const SimulationError& error);

// The error's own text, after its cause when one is found: "CAUSE: TEXT".
std::string ExplainedError(const SimulationState& state, const SimulationError& error);

}  // namespace tadmor
