#include "cli/MapChart.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

#include "app/request/TextToNumber.h"

namespace tadmor::cli {

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
            component(level + amplitude * (-0.29227 * c - 0.90649 * s)),
            component(level + amplitude * (1.97294 * c))};
}

namespace {

// The distinct finite numbers among `texts`, ascending, each with the first
// text that gives it.
std::vector<Tick> DistinctValues(const std::vector<std::string>& texts) {
    std::vector<Tick> values;
    for (const std::string& text : texts)
        if (const std::optional<double> value = TextToNumber(text, '.'); value && std::isfinite(*value))
            values.push_back({*value, text});
    std::stable_sort(values.begin(), values.end(), [](const Tick& a, const Tick& b) { return a.at < b.at; });
    values.erase(std::unique(values.begin(), values.end(), [](const Tick& a, const Tick& b) { return a.at == b.at; }),
                 values.end());
    return values;
}

// The axis of a map spanning the cells around `values`, and its ticks: at
// each value, as written, when there are at most 16, else on round values.
std::pair<Axis, std::vector<Tick>> MapAxis(const std::vector<double>& edges, const std::vector<Tick>& values,
                                           int intervals) {
    constexpr std::size_t kMostValueTicks = 16;
    Axis axis = NiceAxis(edges.front(), edges.back(), intervals);
    axis.min = edges.front();
    axis.max = edges.back();
    if (values.size() <= kMostValueTicks) return {axis, values};
    std::vector<Tick> ticks;
    for (const double t : Ticks(axis)) ticks.push_back({t, TickText(t, axis)});
    return {axis, ticks};
}

std::vector<double> Positions(const std::vector<Tick>& values) {
    std::vector<double> positions;
    for (const Tick& value : values) positions.push_back(value.at);
    return positions;
}

CellOutcome OutcomeOf(const CaseResult& result) {
    switch (result.outcome) {
        case RequestOutcome::Completed: return result.meltingFlight ? CellOutcome::Melted : CellOutcome::EndOfScrew;
        case RequestOutcome::InvalidInput: return CellOutcome::Refused;
        case RequestOutcome::FileNotWritten:
        case RequestOutcome::CalculationError: break;
    }
    return CellOutcome::Failed;
}

}  // namespace

std::optional<MapChart> SweepMap(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                                 const std::vector<CaseResult>& results, std::string_view valueName,
                                 const std::string& title) {
    if (varied.size() != 2) return std::nullopt;
    const std::vector<Tick> xValues = DistinctValues(varied[0].values), yValues = DistinctValues(varied[1].values);
    if (xValues.size() < 2 || yValues.size() < 2) return std::nullopt;
    const std::vector<double> xCentres = Positions(xValues), yCentres = Positions(yValues);

    MapChart map;
    map.title = title;
    map.valueLabel = SweepValueLabel(valueName);
    map.subtitle = map.valueLabel + " against " + varied[0].name + " and " + varied[1].name;
    map.xLabel = InputLabel(kInputFields[varied[0].field]);
    map.yLabel = InputLabel(kInputFields[varied[1].field]);
    map.noValueName = valueName == "flight" ? "end of screw: melting not completed" : "no value";
    map.xEdges = CellEdges(xCentres);
    map.yEdges = CellEdges(yCentres);
    std::tie(map.x, map.xTicks) = MapAxis(map.xEdges, xValues, 10);
    std::tie(map.y, map.yTicks) = MapAxis(map.yEdges, yValues, 8);
    map.cells.resize(xCentres.size() * yCentres.size());

    double low = INFINITY, high = -INFINITY;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const std::optional<double> x = TextToNumber(cases[k].values[0], '.');
        const std::optional<double> y = TextToNumber(cases[k].values[1], '.');
        if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y)) continue;
        const std::size_t i = std::lower_bound(xCentres.begin(), xCentres.end(), *x) - xCentres.begin();
        const std::size_t j = std::lower_bound(yCentres.begin(), yCentres.end(), *y) - yCentres.begin();
        MapCell& cell = map.cells[j * xCentres.size() + i];
        cell = {OutcomeOf(results[k]), SweepValueOf(valueName, results[k])};
        if (cell.value && std::isfinite(*cell.value)) {
            low = std::min(low, *cell.value);
            high = std::max(high, *cell.value);
        }
    }
    if (low <= high) map.values = NiceAxis(low, high, 6);
    map.boundary = MeltingBoundary(map.xEdges, map.yEdges, map.cells);
    map.note = NoValueNote(results, valueName);
    const auto notRun = std::count_if(map.cells.begin(), map.cells.end(),
                                      [](const MapCell& cell) { return cell.outcome == CellOutcome::NotRun; });
    if (notRun > 0) map.note += (map.note.empty() ? "" : " ") + std::to_string(notRun) + " blank cells: not run here.";
    return map;
}

}  // namespace tadmor::cli
