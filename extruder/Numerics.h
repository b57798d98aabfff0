// Root finding, quadrature and floating-point checks of the whole-extruder
// calculation. Every iteration has a pass limit and ends, when it reaches it,
// with a ConvergenceError naming what did not converge.
#pragma once

#include <array>
#include <cmath>
#include <string>

#include "model/Arithmetic.h"

namespace tadmor::extruder {

// Passes allowed to one root search; normal ones need a few dozen.
inline constexpr int kRootPassLimit = 300;

// Throws ArithmeticError when invalid operation, division by zero or overflow
// has been raised since the flags were last cleared, naming `what`.
void CheckFaults(const std::string& what);

[[noreturn]] void ThrowNotConverged(const std::string& what, int passLimit);

// A sign change of f: f(low) and f(high) of opposite signs (or one zero).
struct Bracket {
    Extended low, high, fLow, fHigh;
};

// Widens [guess - step, guess + step], doubling the step, until f changes
// sign, keeping within [lowest, highest]. Throws SimulationError naming `what`
// when f keeps its sign up to both limits, ConvergenceError after the pass
// limit.
template <class F>
Bracket BracketRoot(F f, Extended guess, Extended step, Extended lowest, Extended highest, const std::string& what) {
    Extended low = std::fmax(lowest, guess - step), high = std::fmin(highest, guess + step);
    Extended fLow = f(low), fHigh = f(high);
    for (int pass = 1; fLow * fHigh > 0; ++pass) {
        CheckFaults(what);
        if (pass > kRootPassLimit) ThrowNotConverged(what + " (no sign change found)", kRootPassLimit);
        if (low <= lowest && high >= highest)
            throw SimulationError("No solution of " + what + " within the range where it is defined");
        step *= 2;
        // Widen towards the side where the function approaches zero, else both.
        const bool down = std::fabs(fLow) < std::fabs(fHigh) || high >= highest;
        if (down && low > lowest) {
            low = std::fmax(lowest, low - step);
            fLow = f(low);
        } else {
            high = std::fmin(highest, high + step);
            fHigh = f(high);
        }
    }
    return {low, high, fLow, fHigh};
}

// Brent's method on a bracket: the root to within `tolerance` in x (or an
// exact zero). R. P. Brent, Algorithms for Minimization without Derivatives
// (1973), chapter 4.
template <class F>
Extended BrentRoot(F f, Bracket bracket, Extended tolerance, const std::string& what) {
    Extended a = bracket.low, b = bracket.high, fa = bracket.fLow, fb = bracket.fHigh;
    if (fa == 0) return a;
    if (fb == 0) return b;
    Extended c = a, fc = fa, d = b - a, e = d;
    for (int pass = 1;; ++pass) {
        CheckFaults(what);
        if (pass > kRootPassLimit) ThrowNotConverged(what, kRootPassLimit);
        if ((fb > 0) == (fc > 0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b, b = c, c = a;
            fa = fb, fb = fc, fc = fa;
        }
        const Extended tol = 2 * std::numeric_limits<Extended>::epsilon() * std::fabs(b) + tolerance / 2;
        const Extended m = (c - b) / 2;
        if (std::fabs(m) <= tol || fb == 0) return b;
        if (std::fabs(e) >= tol && std::fabs(fa) > std::fabs(fb)) {
            // Secant or inverse quadratic interpolation.
            const Extended s = fb / fa;
            Extended p, q;
            if (a == c) {
                p = 2 * m * s;
                q = 1 - s;
            } else {
                const Extended r = fb / fc, t = fa / fc;
                p = s * (2 * m * t * (t - r) - (b - a) * (r - 1));
                q = (t - 1) * (r - 1) * (s - 1);
            }
            if (p > 0) q = -q;
            p = std::fabs(p);
            if (2 * p < std::fmin(3 * m * q - std::fabs(tol * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = m;
                e = m;
            }
        } else {
            d = m;
            e = m;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol ? d : (m > 0 ? tol : -tol);
        fb = f(b);
    }
}

// A function's value and its derivative.
struct ValueSlope {
    Extended value, slope;
};

// The root of an increasing function f (giving value and slope) within
// (lowest, highest), from `guess`: Newton's method, kept inside the bracket of
// the signs seen so far. Where a Newton step would leave it (or the slope is
// not positive), it bisects the bracket, or while one side is still open,
// steps towards it, twice as far each time, starting with `step`. Ends when
// the next step would be below `tolerance`, returning the point last
// evaluated; throws SimulationError when it ends at a limit without having
// seen both signs.
template <class F>
Extended SafeNewton(F f, Extended guess, Extended step, Extended lowest, Extended highest, Extended tolerance,
                    const std::string& what) {
    Extended low = lowest, high = highest;
    bool lowSeen = false, highSeen = false;
    Extended x = guess;
    for (int pass = 1;; ++pass) {
        CheckFaults(what);
        if (pass > kRootPassLimit) ThrowNotConverged(what, kRootPassLimit);
        const ValueSlope at = f(x);
        if (at.value == 0) return x;
        (at.value < 0 ? low : high) = x;
        (at.value < 0 ? lowSeen : highSeen) = true;
        Extended next = x - at.value / at.slope;
        if (!(at.slope > 0 && next > low && next < high)) {
            if (lowSeen && highSeen) {
                next = (low + high) / 2;
            } else {
                step *= 2;
                next = lowSeen ? std::fmin(x + step, (x + high) / 2) : std::fmax(x - step, (x + low) / 2);
            }
        }
        if (std::fabs(next - x) <= tolerance || (lowSeen && highSeen && high - low <= tolerance)) {
            if (!(lowSeen && highSeen) && std::fmin(x - lowest, highest - x) <= tolerance)
                throw SimulationError("The " + what + " has no solution within the range where it is defined");
            return x;
        }
        x = next;
    }
}

// Gauss-Legendre rule of kGaussPoints points on [0, 1].
inline constexpr int kGaussPoints = 12;
struct GaussRule {
    std::array<Extended, kGaussPoints> nodes, weights;
};
const GaussRule& Gauss();

// The nodes s and weights of a rule for integrals over [0, 1] of functions
// that vanish at s = 0 like a power of s (a shear rate near the plane of zero
// stress): the Gauss rule after the substitution s = t^3, which makes such
// integrands smooth. Calls visit(s, weight) for each node.
template <class Visit>
void ForEachNodeFromZero(Visit visit) {
    const GaussRule& rule = Gauss();
    for (int i = 0; i < kGaussPoints; ++i) {
        const Extended t = rule.nodes[i];
        visit(t * t * t, rule.weights[i] * 3 * t * t);
    }
}

}  // namespace tadmor::extruder
