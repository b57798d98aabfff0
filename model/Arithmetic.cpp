#include "model/Arithmetic.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "model/Cal_Main.h"
#include "model/NumberText.h"

namespace tadmor {

namespace {

constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// FLIGHT of the current increment, NaN before the march has set up a run.
double KnownFlight(const SimulationState& s) {
    return s.StepNo < 1 ? std::numeric_limits<double>::quiet_NaN() : IncrementFlight(s);
}

}  // namespace

void ClearArithmeticFaults() { std::feclearexcept(FE_ALL_EXCEPT); }

std::string DescribeIncrement(const SimulationState& s) {
    if (s.StepNo < 1) return "";
    const double flight = IncrementFlight(s);
    std::string text = "increment " + std::to_string(s.StepNo);
    if (std::isfinite(flight)) text += " (FLIGHT " + NumberText(flight, 2) + ")";
    return text;
}

void CheckArithmetic(const SimulationState& s, const char* routine) {
    const int raised = std::fetestexcept(kFaults);
    if (raised == 0) return;
    std::string kind;
    if (raised & FE_INVALID)
        kind = "Invalid floating-point operation (square root or logarithm of a negative number, or 0/0)";
    else if (raised & FE_DIVBYZERO)
        kind = "Floating-point division by zero";
    else
        kind = "Floating-point overflow";
    std::string where = std::string(" in ") + routine;
    const std::string increment = DescribeIncrement(s);
    if (!increment.empty()) where += " at " + increment;
    const double flight = KnownFlight(s);
    std::feclearexcept(FE_ALL_EXCEPT);
    throw ArithmeticError(kind + where, s.StepNo, flight);
}

void ThrowNotConverged(const SimulationState& s, const char* iteration, int passLimit, const char* routine) {
    std::string text =
        std::string("The ") + iteration + " did not converge in " + std::to_string(passLimit) + " passes in " + routine;
    const std::string increment = DescribeIncrement(s);
    if (!increment.empty()) text += " at " + increment;
    throw ConvergenceError(text, s.StepNo, KnownFlight(s));
}

}  // namespace tadmor
