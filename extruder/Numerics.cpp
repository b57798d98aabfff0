#include "extruder/Numerics.h"

#include <cfenv>

namespace tadmor::extruder {

void CheckFaults(const std::string& what) {
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised == 0) return;
    std::feclearexcept(FE_ALL_EXCEPT);
    const char* kind = (raised & FE_INVALID)     ? "Invalid floating-point operation"
                       : (raised & FE_DIVBYZERO) ? "Floating-point division by zero"
                                                 : "Floating-point overflow";
    throw ArithmeticError(std::string(kind) + " in " + what);
}

void ThrowNotConverged(const std::string& what, int passLimit) {
    throw ConvergenceError("The " + what + " did not converge in " + std::to_string(passLimit) + " passes");
}

const GaussRule& Gauss() {
    // Nodes by Newton's method on the Legendre polynomial, weights from its derivative.
    static const GaussRule rule = [] {
        GaussRule r{};
        constexpr int n = kGaussPoints;
        for (int i = 0; i < n; ++i) {
            Extended x = std::cos(3.14159265358979323846264338327950288L * (i + 0.75L) / (n + 0.5L));
            Extended derivative = 0;
            for (int pass = 0; pass < 100; ++pass) {
                Extended p0 = 1, p1 = x;
                for (int k = 2; k <= n; ++k) {
                    const Extended p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
                    p0 = p1;
                    p1 = p2;
                }
                derivative = n * (x * p1 - p0) / (x * x - 1);
                const Extended dx = p1 / derivative;
                x -= dx;
                if (std::fabs(dx) < 1e-19L) break;
            }
            r.nodes[i] = (1 - x) / 2;  // ascending on [0, 1]
            r.weights[i] = 1 / ((1 - x * x) * derivative * derivative);
        }
        return r;
    }();
    return rule;
}

}  // namespace tadmor::extruder
