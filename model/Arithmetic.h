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

#include <cfenv>
#include <limits>
#include <string>

#include "model/Error.h"

#ifdef __FAST_MATH__
#error "The simulation needs IEEE arithmetic and its floating-point flags: do not build it with -ffast-math."
#endif

namespace tadmor {

struct SimulationState;

using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64,
              "The results depend on intermediate results carried with a 64-bit mantissa "
              "(the x87 extended format of long double on x86-64); this platform's long double differs.");

inline double Store(Extended value) { return static_cast<double>(value); }

// Every error that ends a run of the simulation; callers catch this one type.
// It names, where known, the increment at which the run ended.
class SimulationError : public Error {
public:
    explicit SimulationError(const std::string& text, int increment = 0,
                             double flight = std::numeric_limits<double>::quiet_NaN())
        : Error(ErrorKind::Simulation, text), increment_(increment), flight_(flight) {}
    int Increment() const { return increment_; }  // 0 when the run ended before its first increment
    double Flight() const { return flight_; }     // FLIGHT of that increment; NaN when unknown

private:
    int increment_;
    double flight_;
};

// A floating-point fault (invalid operation, division by zero, overflow).
class ArithmeticError : public SimulationError {
public:
    using SimulationError::SimulationError;
};

// An iteration that reached its pass limit.
class ConvergenceError : public SimulationError {
public:
    using SimulationError::SimulationError;
};

// A run refused before it starts, or stopped, because it would need too many increments.
class IncrementLimitError : public SimulationError {
public:
    using SimulationError::SimulationError;
};

// Runs the simulation in the default floating-point environment (round to
// nearest, no traps, flags clear) and gives the caller's environment, its
// flags included, back on every exit, normal or by an exception.
class FloatingPointEnvironmentGuard {
public:
    FloatingPointEnvironmentGuard() {
        std::fegetenv(&caller_);
        std::fesetenv(FE_DFL_ENV);
    }
    ~FloatingPointEnvironmentGuard() { std::fesetenv(&caller_); }
    FloatingPointEnvironmentGuard(const FloatingPointEnvironmentGuard&) = delete;
    FloatingPointEnvironmentGuard& operator=(const FloatingPointEnvironmentGuard&) = delete;

private:
    std::fenv_t caller_;
};

// Increments allowed to one run; a run estimated to need more is refused.
inline constexpr long kIncrementLimit = 100000;

// Clears the floating-point fault flags; the march does this before it starts.
void ClearArithmeticFaults();

// Throws ArithmeticError when invalid operation, division by zero or overflow
// has been raised since the flags were cleared. The text names the fault, the
// routine and, while a march runs, the increment with its FLIGHT.
void CheckArithmetic(const SimulationState& s, const char* routine);

// Throws ConvergenceError naming the iteration, its pass limit, the routine
// and the increment.
[[noreturn]] void ThrowNotConverged(const SimulationState& s, const char* iteration, int passLimit,
                                    const char* routine);

// "increment 15 (FLIGHT 8.10)", or "" before the march has set up a run.
std::string DescribeIncrement(const SimulationState& s);

}  // namespace tadmor
