// The arithmetic convention of the simulation, and its failures.
//
// Stored values (state variables, table entries, running sums, named scratch
// values) are doubles. The inside of one formula is evaluated in Extended, a
// 64-bit mantissa on x86-64, and rounded to double when stored: read the
// operands into Extended locals, compute, and store with Store().
//
// Invalid operation, division by zero and overflow are never carried on: the
// routines test the floating-point flags after each step that can raise them
// and inside every loop, and end the run with an ArithmeticError.
#pragma once

#include <stdexcept>
#include <string>

namespace tadmor {

struct SimulationState;

using Extended = long double;

inline double Store(Extended value) { return static_cast<double>(value); }

// A floating-point fault (invalid operation, division by zero, overflow).
class ArithmeticError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An iteration that reached its pass limit.
class ConvergenceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A run refused before it starts because it would need too many increments.
class IncrementLimitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Passes allowed to any one iteration of the simulation; normal runs need a
// handful. Reaching the limit ends the run with a ConvergenceError.
inline constexpr int kPassLimit = 10000;

// Increments allowed to one run; a run estimated to need more is refused.
inline constexpr long kIncrementLimit = 100000;

// Clears the floating-point fault flags; the march does this before it starts.
void ClearArithmeticFaults();

// Throws ArithmeticError when invalid operation, division by zero or overflow
// has been raised since the flags were cleared. The text names the fault, the
// routine and, while a march runs, the increment with its FLIGHT.
void CheckArithmetic(const SimulationState& s, const char* routine);

// Throws ConvergenceError naming the iteration, the routine and the increment.
[[noreturn]] void ThrowNotConverged(const SimulationState& s, const char* iteration,
                                    const char* routine);

// "increment 15 (FLIGHT 8.10)", or "" before the march has set up a run.
std::string DescribeIncrement(const SimulationState& s);

}  // namespace tadmor
