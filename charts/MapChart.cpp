#include "charts/MapChart.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

#include "model/NumberText.h"

namespace tadmor::charts {

std::vector<double> CellEdges(const std::vector<double>& centres) {
    if (centres.empty()) return {};
    if (centres.size() == 1) return {centres[0] - 0.5, centres[0] + 0.5};
    std::vector<double> edges{centres[0] - (centres[1] - centres[0]) / 2};
    for (std::size_t k = 1; k < centres.size(); ++k)
        edges.push_back(centres[k - 1] + (centres[k] - centres[k - 1]) / 2);
    const std::size_t last = centres.size() - 1;
    edges.push_back(centres[last] + (centres[last] - centres[last - 1]) / 2);
    return edges;
}

std::vector<Segment> MeltingBoundary(const std::vector<double>& xEdges, const std::vector<double>& yEdges,
                                     const std::vector<MapCell>& cells) {
    const std::size_t columns = xEdges.size() - 1, rows = yEdges.size() - 1;
    const auto differ = [&](std::size_t a, std::size_t b) {
        const CellOutcome p = cells[a].outcome, q = cells[b].outcome;
        return (p == CellOutcome::Melted && q == CellOutcome::EndOfScrew) ||
               (p == CellOutcome::EndOfScrew && q == CellOutcome::Melted);
    };
    std::vector<Segment> boundary;
    for (std::size_t i = 0; i + 1 < columns; ++i)
        for (std::size_t j = 0; j < rows; ++j)
            if (differ(j * columns + i, j * columns + i + 1))
                boundary.push_back({xEdges[i + 1], yEdges[j], xEdges[i + 1], yEdges[j + 1]});
    for (std::size_t j = 0; j + 1 < rows; ++j)
        for (std::size_t i = 0; i < columns; ++i)
            if (differ(j * columns + i, (j + 1) * columns + i))
                boundary.push_back({xEdges[i], yEdges[j + 1], xEdges[i + 1], yEdges[j + 1]});
    return boundary;
}

Rgb ScaleColor(double fraction) {
    // Cubehelix: D. A. Green, "A colour scheme for the display of
    // astronomical intensity images", Bull. Astr. Soc. India 39 (2011) 289.
    // A helix around the grey diagonal of the colour cube whose deviation
    // from grey is perpendicular to the perceived-brightness weights, so
    // brightness is the grey level itself. Start 0.5 (purple), -1.5
    // rotations, hue 1.2; the grey level runs from 0.12 to 0.88, away from
    // black and white, where no component leaves 0 to 1.
    constexpr double kStart = 0.5, kRotations = -1.5, kHue = 1.2, kDarkest = 0.12, kLightest = 0.88;
    const double level = kDarkest + (kLightest - kDarkest) * std::clamp(fraction, 0.0, 1.0);
    const double angle = 2 * std::numbers::pi * (kStart / 3 + kRotations * level);
    const double amplitude = kHue * level * (1 - level) / 2;
    const double c = std::cos(angle), s = std::sin(angle);
    const auto component = [](double v) { return std::clamp(v, 0.0, 1.0); };
    return {component(level + amplitude * (-0.14861 * c + 1.78277 * s)),
            component(level + amplitude * (-0.29227 * c - 0.90649 * s)), component(level + amplitude * (1.97294 * c))};
}

}  // namespace tadmor::charts
