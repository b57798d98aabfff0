#include "analysis/Solve.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"
#include "report/FixedPoint.h"

namespace tadmor::analysis {

namespace {

bool TargetMet(const Target& target, const RunSummary& run) {
    switch (target.kind) {
        case TargetKind::MeltedAtFlight:
            return run.meltingIncrementFlight && *run.meltingIncrementFlight <= target.value;
        case TargetKind::MeltedAtEnd:
            return run.meltingIncrementFlight.has_value();
        case TargetKind::SolidFractionAtEnd:
            return run.solidFractionAtEnd.value_or(1) <= target.value;
    }
    return false;
}

}  // namespace

std::string TargetText(const Target& target) {
    switch (target.kind) {
        case TargetKind::MeltedAtFlight:
            return "melting completed by FLIGHT " + ExactNumber(target.value);
        case TargetKind::MeltedAtEnd:
            return "melting completed by the end of the screw";
        case TargetKind::SolidFractionAtEnd:
            return "X/W at most " + ExactNumber(target.value) + " at the end";
    }
    return "";
}

double PrecisionStep(int field) { return std::pow(10.0, -kInputFields[field].decimals); }

std::pair<double, double> DefaultRange(double base) {
    if (!std::isfinite(base)) throw Error(ErrorKind::Input, "the base value is not a number: give the range");
    if (base == 0) return {-1, 1};
    return {std::min(base / 4, base * 2), std::max(base / 4, base * 2)};
}

double BaseValue(const inputs::Case& base, int field) {
    return TextToNumber(base.texts[field], base.separator).value_or(NAN);
}

std::string ValueText(int field, double value, char separator) {
    const double step = PrecisionStep(field);
    return FormatFixedPoint(std::round(value / step) * step, 17, kInputFields[field].decimals, separator);
}

Point Evaluate(const SolveProblem& problem, double value) {
    inputs::Case inputs = problem.base;
    inputs.texts[problem.field] = ValueText(problem.field, value, inputs.separator);
    Point point;
    point.value = value;
    point.text = ValueText(problem.field, value, '.');
    point.run = inputs::Summarize(inputs, inputs::Calculate(inputs));
    if (point.run.outcome == RequestOutcome::Completed) point.met = TargetMet(problem.target, point.run);
    return point;
}

SolveResult Solve(const SolveProblem& problem, const RunControl& control) {
    const double step = PrecisionStep(problem.field);
    // Values are whole multiples of the step, so that every value tried is
    // exactly the text a run of it would be given.
    const long low = std::lround(std::min(problem.low, problem.high) / step);
    const long high = std::lround(std::max(problem.low, problem.high) / step);
    SolveResult result;
    const auto evaluate = [&](long k) { return Evaluate(problem, static_cast<double>(k) * step); };

    std::vector<long> scanned;
    const int intervals = std::max(1, problem.intervals);
    for (int i = 0; i <= intervals; ++i) {
        const long k = low + std::lround(static_cast<double>(high - low) * i / intervals);
        if (scanned.empty() || k != scanned.back()) scanned.push_back(k);
    }
    std::vector<Point> points(scanned.size());
    RunControl scan = control;
    scan.progress = nullptr;
    RunTasks(
        scanned.size(), [&](std::size_t i) { points[i] = evaluate(scanned[i]); }, scan);
    result.calculations = static_cast<int>(scanned.size());
    result.low = points.front();
    result.high = points.back();

    for (std::size_t i = 0; i + 1 < points.size() && !StopRequested(control); ++i) {
        if (!points[i].met || !points[i + 1].met || *points[i].met == *points[i + 1].met) continue;
        long a = scanned[i], b = scanned[i + 1];
        Point pa = points[i], pb = points[i + 1];
        while (b - a > 1 && !StopRequested(control)) {
            const long m = a + (b - a) / 2;
            Point pm = evaluate(m);
            ++result.calculations;
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

std::vector<SolveProblem> OverProblems(const SolveProblem& problem, const VariedInput& over) {
    std::vector<SolveProblem> problems;
    for (const std::string& value : over.values) {
        SolveProblem atValue = problem;
        std::string& text = atValue.base.texts[over.field];
        text = value;
        std::replace(text.begin(), text.end(), '.', problem.base.separator);
        problems.push_back(std::move(atValue));
    }
    return problems;
}

bool SolveAll(const std::vector<SolveProblem>& problems, std::vector<std::optional<SolveResult>>& results,
              const RunControl& control) {
    results.assign(problems.size(), std::nullopt);
    RunControl inside;  // each solve on its task's thread alone
    inside.stop = control.stop;
    return RunTasks(
        problems.size(),
        [&](std::size_t i) {
            SolveResult result = Solve(problems[i], inside);
            if (!StopRequested(control)) results[i] = std::move(result);
        },
        control);
}

}  // namespace tadmor::analysis
