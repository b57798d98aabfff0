// The shape factors F_d and F_p against a finite-difference solution of the
// down-channel flow in the rectangular cross-section, written here.
//
// The Newtonian velocity w(x, y) in 0 < x < W, 0 < y < H solves Poisson's
// equation. Drag: Laplace's equation with w = 1 on the barrel (y = H) and 0 on
// the root and the flights; F_d = (integral of w) / (W H / 2). Pressure:
// -laplacian(w) = 1 with w = 0 on every wall; F_p = (integral of w) / (W H^3 / 12).
// Five-point differences on half the width (symmetric about x = W/2), solved
// by banded Cholesky; the integrals by the trapezoidal rule; two grids, the
// second with both spacings halved, extrapolated (Richardson, error ~ h^2).
#include "extruder/ShapeFactors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tadmor::extruder {
namespace {

struct FlowIntegrals {
    double drag, pressure;  // F_d, F_p on one grid
};

// nx cells across half the width, ny cells over the depth.
FlowIntegrals FiniteDifference(double depthOverWidth, int nx, int ny) {
    const double h = 1, w = h / depthOverWidth;
    const double hx = w / 2 / nx, hy = h / ny;
    const double ax = 1 / (hx * hx), ay = 1 / (hy * hy);
    // Unknowns at x = i hx (i = 1..nx; nx on the line of symmetry), y = j hy
    // (j = 1..ny-1), numbered with j fastest: a band of half-width ny - 1.
    const int m = ny - 1, n = nx * m;
    const auto at = [m](int i, int j) { return (i - 1) * m + (j - 1); };
    // Lower band: band[k][d] is the entry (k, k - d), d = 0..m.
    std::vector<std::vector<double>> band(n, std::vector<double>(m + 1, 0));
    std::vector<double> dragRhs(n, 0), pressureRhs(n, 1);
    for (int i = 1; i <= nx; ++i)
        for (int j = 1; j < ny; ++j) {
            const int k = at(i, j);
            band[k][0] = 2 * ax + 2 * ay;
            if (j > 1) band[k][1] = -ay;
            if (j == ny - 1) dragRhs[k] += ay;  // the barrel at w = 1
            if (i > 1) band[k][m] = -ax;
            // The mirror point of x = W/2 + hx is x = W/2 - hx: its coefficient doubles.
            if (i == nx && i > 1) band[k][m] = -2 * ax;
        }
    // The mirrored row is not symmetric: scale the symmetry line's equations by 1/2.
    for (int j = 1; j < ny; ++j) {
        const int k = at(nx, j);
        for (double& entry : band[k]) entry /= 2;
        dragRhs[k] /= 2;
        pressureRhs[k] /= 2;
    }
    // Banded Cholesky, L L^T, in place.
    for (int k = 0; k < n; ++k)
        for (int d = std::min(k, m); d >= 0; --d) {
            const int c = k - d;
            double sum = band[k][d];
            for (int e = 1; e <= m && d + e <= m && c - e >= 0; ++e) sum -= band[k][d + e] * band[c][e];
            band[k][d] = d == 0 ? std::sqrt(sum) : sum / band[c][0];
        }
    const auto solve = [&](std::vector<double> b) {
        for (int k = 0; k < n; ++k) {
            for (int d = 1; d <= std::min(k, m); ++d) b[k] -= band[k][d] * b[k - d];
            b[k] /= band[k][0];
        }
        for (int k = n - 1; k >= 0; --k) {
            for (int d = 1; d <= std::min(n - 1 - k, m); ++d) b[k] -= band[k + d][d] * b[k + d];
            b[k] /= band[k][0];
        }
        return b;
    };
    const std::vector<double> drag = solve(dragRhs), pressure = solve(pressureRhs);
    // Trapezoidal rule over the half width, boundary values included (the
    // barrel at 1, the corner point of the discontinuity at 1/2).
    const auto integral = [&](const std::vector<double>& values, double barrel) {
        double sum = 0;
        for (int i = 0; i <= nx; ++i) {
            const double wx = (i == 0 || i == nx) ? 0.5 : 1;
            for (int j = 0; j <= ny; ++j) {
                const double wy = (j == 0 || j == ny) ? 0.5 : 1;
                double value = 0;
                if (j == ny)
                    value = i == 0 ? barrel / 2 : barrel;
                else if (i > 0 && j > 0)
                    value = values[static_cast<std::size_t>(at(i, j))];
                sum += wx * wy * value;
            }
        }
        return 2 * sum * hx * hy;
    };
    return {integral(drag, 1) / (w * h / 2), integral(pressure, 0) / (w * h * h * h / 12)};
}

TEST(ShapeFactors, AgreeWithFiniteDifferencesOfTheRectangularChannel) {
    for (const double ratio : {0.01, 0.03, 0.1, 0.3, 0.5, 1.0}) {
        constexpr int ny = 16;
        const int nx = std::max(1, static_cast<int>(std::lround(ny / ratio / 2)));
        const FlowIntegrals coarse = FiniteDifference(ratio, nx, ny);
        const FlowIntegrals fine = FiniteDifference(ratio, 2 * nx, 2 * ny);
        const double drag = (4 * fine.drag - coarse.drag) / 3;
        const double pressure = (4 * fine.pressure - coarse.pressure) / 3;
        EXPECT_NEAR(DragShapeFactor(ratio), drag, 1e-4) << "H/W " << ratio;
        EXPECT_NEAR(PressureShapeFactor(ratio), pressure, 1e-4) << "H/W " << ratio;
    }
}

TEST(ShapeFactors, SquareAndExchangedSides) {
    // In a square the four drag problems (one wall moving each) add up to a
    // uniform velocity: each carries a quarter, F_d = 1/2.
    EXPECT_NEAR(DragShapeFactor(1), 0.5, 1e-15);
    // The pressure problem is symmetric in W and H: W H^3 F_p(H/W) = H W^3 F_p(W/H).
    for (const double ratio : {0.2, 0.7, 3.0})
        EXPECT_NEAR(PressureShapeFactor(ratio), PressureShapeFactor(1 / ratio) / (ratio * ratio), 1e-14);
}

}  // namespace
}  // namespace tadmor::extruder
