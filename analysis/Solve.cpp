#include "analysis/Solve.h"

#include <algorithm>
#include <cmath>

#include "app/request/Warnings.h"
#include "report/FixedPoint.h"

namespace tadmor::analysis {

namespace {

bool TargetMet(const Target& target, const Point& point) {
    switch (target.kind) {
        case TargetKind::MeltedAtFlight: return point.meltingFlight && *point.meltingFlight <= target.value;
        case TargetKind::MeltedAtEnd: return point.meltingFlight.has_value();
        case TargetKind::SolidFractionAtEnd: return point.solidFraction <= target.value;
    }
    return false;
}

}  // namespace

double PrecisionStep(int field) { return std::pow(10.0, -kInputFields[field].decimals); }

std::pair<double, double> DefaultRange(double base) {
    if (base == 0) return {-1, 1};
    return {std::min(base / 4, base * 2), std::max(base / 4, base * 2)};
}

std::string ValueText(int field, double value, char separator) {
    const double step = PrecisionStep(field);
    return FormatFixedPoint(std::round(value / step) * step, 17, kInputFields[field].decimals, separator);
}

Point Evaluate(const FieldTexts& base, char separator, int field, double value, const Target& target) {
    FieldTexts texts = base;
    texts[field] = ValueText(field, value, separator);
    const Calculation calculation = Calculate(texts, separator);
    Point point;
    point.value = value;
    point.outcome = calculation.outcome;
    point.message = calculation.message;
    if (calculation.outcome != RequestOutcome::Completed) return point;
    const SimulationState& s = calculation.state;
    point.rows = s.StepCount;
    if (MeltingCompleted(s)) point.meltingFlight = IncrementFlight(s);
    if (s.StepCount > 0) {
        point.solidFraction = point.meltingFlight ? 0 : s.ResSolidFraction[s.StepCount];
        point.totalPower = s.ResTotalPower[s.StepCount];
        point.viscousPower = s.ResViscousPower[s.StepCount];
    }
    point.met = TargetMet(target, point);
    for (const Warning& warning : RunWarnings(s))
        if (std::find(point.warnings.begin(), point.warnings.end(), warning.code) == point.warnings.end())
            point.warnings.push_back(warning.code);
    return point;
}

SolveResult Solve(const SolveProblem& problem) {
    const double step = PrecisionStep(problem.field);
    // Values are whole multiples of the step, so that every value tried is
    // exactly the text a run of it would be given.
    const long low = std::lround(std::min(problem.low, problem.high) / step);
    const long high = std::lround(std::max(problem.low, problem.high) / step);
    SolveResult result;
    const auto evaluate = [&](long k) {
        ++result.calculations;
        return Evaluate(problem.base, problem.separator, problem.field, static_cast<double>(k) * step,
                        problem.target);
    };

    std::vector<long> scanned;
    const int intervals = std::max(1, problem.intervals);
    for (int i = 0; i <= intervals; ++i) {
        const long k = low + std::lround(static_cast<double>(high - low) * i / intervals);
        if (scanned.empty() || k != scanned.back()) scanned.push_back(k);
    }
    std::vector<Point> points;
    for (const long k : scanned) points.push_back(evaluate(k));
    result.low = points.front();
    result.high = points.back();

    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (!points[i].met || !points[i + 1].met || *points[i].met == *points[i + 1].met) continue;
        long a = scanned[i], b = scanned[i + 1];
        Point pa = points[i], pb = points[i + 1];
        while (b - a > 1) {
            const long m = a + (b - a) / 2;
            Point pm = evaluate(m);
            if (!pm.met) break;  // a failed calculation inside: the bracket stays as it is
            if (*pm.met == *pa.met) {
                a = m;
                pa = std::move(pm);
            } else {
                b = m;
                pb = std::move(pm);
            }
        }
        result.solutions.push_back(*pa.met ? Solution{pa, pb} : Solution{pb, pa});
    }
    return result;
}

}  // namespace tadmor::analysis
