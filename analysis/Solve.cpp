#include "analysis/Solve.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"
#include "report/FixedPoint.h"

namespace tadmor::analysis {

namespace {

// A FLIGHT as the results show it, to two decimals.
double ShownFlight(double flight) { return std::round(flight * 100) / 100; }

bool TargetMet(const Target& target, const Calculation& calculation, const RunSummary& run) {
    if (target.bedWithinChannel && std::any_of(run.warnings.begin(), run.warnings.end(), [](const Warning& warning) {
            return warning.code == "bed-wider-than-channel";
        }))
        return false;
    const std::optional<double>& melted = run.meltingIncrementFlight;
    const SimulationState& s = calculation.state;
    switch (target.kind) {
        case TargetKind::MeltedAtFlight:
            return melted && ShownFlight(*melted) <= target.value;
        case TargetKind::MeltedAtCompressionEnd:
            return melted && ShownFlight(*melted) <= ShownFlight(s.FeedTurns + s.CompressionTurns);
        case TargetKind::MeltedAtEnd:
            return melted.has_value();
        case TargetKind::SolidFractionAtEnd:
            return run.solidFractionAtEnd.value_or(1) <= target.value;
    }
    return false;
}

// The value the calculation reads from the text of `value`.
double Rounded(int field, double value) { return TextToNumber(ValueText(field, value, '.'), '.').value_or(value); }

// Ranges whose ends have one sign and differ by this factor or more are
// spread geometrically.
constexpr double kGeometricRatio = 1000;

bool Geometric(double a, double b) {
    return ((a > 0 && b > 0) || (a < 0 && b < 0)) &&
           std::max(std::abs(a), std::abs(b)) >= kGeometricRatio * std::min(std::abs(a), std::abs(b));
}

// The value the fraction t of the way from a to b, in logarithms over many
// decades; never beyond the largest double.
double Between(double a, double b, double t) {
    if (Geometric(a, b)) return std::copysign(std::exp(std::log(std::abs(a)) * (1 - t) + std::log(std::abs(b)) * t), a);
    return a * (1 - t) + b * t;
}

// The end of a range rounded to the input's precision, towards the inside.
double Inward(int field, double end, bool up) {
    const double rounded = Rounded(field, end);
    if (up ? rounded >= end : rounded <= end) return rounded;
    return Rounded(field, up ? rounded + PrecisionStep(field) : rounded - PrecisionStep(field));
}

// A value of the input's precision strictly between a and b (a < b); none
// when they are neighbours.
std::optional<double> Midpoint(int field, double a, double b) {
    const double middle = Rounded(field, Between(a, b, 0.5));
    if (middle > a && middle < b) return middle;
    return std::nullopt;
}

// Whether the values between two calculations may hide a crossing or the
// boundary of a failing region.
bool WorthBisecting(const Point& a, const Point& b) {
    if (a.met.has_value() != b.met.has_value()) return true;
    return a.met && *a.met != *b.met;
}

std::string FailureText(const Point& point) { return point.run.outcomeName + ": " + point.run.message; }

// The solutions and brackets between consecutive completed calculations
// (in the order of the value) that differ, and the outcome.
void Classify(int field, std::vector<Point> tried, SolveResult& result) {
    std::sort(tried.begin(), tried.end(), [](const Point& a, const Point& b) { return a.value < b.value; });
    const Point* previous = nullptr;  // the last completed calculation
    const Point* failed = nullptr;    // the first failed calculation after it
    bool anyCompleted = false, anyMet = false;
    for (const Point& point : tried) {
        if (!point.met) {
            ++result.failures;
            if (!failed) failed = &point;
            continue;
        }
        anyCompleted = true;
        anyMet = anyMet || *point.met;
        if (previous && *previous->met != *point.met) {
            const Point& met = *point.met ? point : *previous;
            const Point& unmet = *point.met ? *previous : point;
            if (failed)
                result.brackets.push_back({met, unmet, FailureText(*failed)});
            else if (Midpoint(field, previous->value, point.value))
                result.brackets.push_back({met, unmet, ""});  // stopped before they were neighbours
            else
                result.solutions.push_back({met, unmet});
        }
        previous = &point;
        failed = nullptr;
    }
    if (!result.solutions.empty())
        result.outcome = SolveOutcome::Solved;
    else if (!result.brackets.empty())
        result.outcome = SolveOutcome::Bracketed;
    else if (!anyCompleted)
        result.outcome =
            result.low.run.outcome == RequestOutcome::InvalidInput ? SolveOutcome::Refused : SolveOutcome::Failed;
    else
        result.outcome = anyMet ? SolveOutcome::MetThroughout : SolveOutcome::NoSolution;
}

}  // namespace

std::string TargetText(const Target& target) {
    std::string text;
    switch (target.kind) {
        case TargetKind::MeltedAtFlight:
            text = "melting completed by FLIGHT " + ExactNumber(target.value);
            break;
        case TargetKind::MeltedAtCompressionEnd:
            text = "melting completed by the end of the compression zone";
            break;
        case TargetKind::MeltedAtEnd:
            text = "melting completed by the end of the screw";
            break;
        case TargetKind::SolidFractionAtEnd:
            text = "X/W at most " + ExactNumber(target.value) + " at the end";
            break;
    }
    return target.bedWithinChannel ? text + ", X/W never above 1" : text;
}

std::string OutcomeName(SolveOutcome outcome) {
    switch (outcome) {
        case SolveOutcome::Solved:
            return "solved";
        case SolveOutcome::NoSolution:
            return "no solution";
        case SolveOutcome::MetThroughout:
            return "met throughout";
        case SolveOutcome::Bracketed:
            return "bracket";
        case SolveOutcome::Refused:
            return "refused";
        case SolveOutcome::Failed:
            return "failed";
    }
    return "failed";
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
    const double steps = value / PrecisionStep(field);
    // Beyond 2^53 steps a double holds whole steps only, and the text's 17
    // significant digits are the finer rounding.
    const double rounded = std::abs(steps) < 0x1p53 ? std::round(steps) * PrecisionStep(field) : value;
    return FormatFixedPoint(rounded, 17, kInputFields[field].decimals, separator);
}

std::pair<double, double> ScannedRange(const SolveProblem& problem) {
    const int field = problem.field;
    const double low = Inward(field, std::min(problem.low, problem.high), true);
    const double high = Inward(field, std::max(problem.low, problem.high), false);
    if (low < high) return {low, high};
    const auto text = [&](double value) { return ValueText(field, value, '.'); };
    const double step = PrecisionStep(field);
    const std::string given = ExactNumber(problem.low) + ":" + ExactNumber(problem.high);
    throw Error(ErrorKind::Input, "the range " + given + " holds " +
                                      (low == high ? "only the value " + text(low) : "no value") + " of " +
                                      std::string(kInputFields[field].variable) + " at its precision of " +
                                      NumberText(step, kInputFields[field].decimals) + ": widen it to at least " +
                                      text(Inward(field, std::min(problem.low, problem.high), false)) + ":" +
                                      text(Inward(field, std::max(problem.low, problem.high), true)));
}

Point Evaluate(const SolveProblem& problem, double value) {
    inputs::Case inputs = problem.base;
    inputs.texts[problem.field] = ValueText(problem.field, value, inputs.separator);
    Point point;
    point.text = ValueText(problem.field, value, '.');
    point.value = TextToNumber(point.text, '.').value_or(value);
    const Calculation calculation = inputs::Calculate(inputs);
    point.run = inputs::Summarize(inputs, calculation);
    if (point.run.outcome == RequestOutcome::Completed) point.met = TargetMet(problem.target, calculation, point.run);
    return point;
}

SolveResult Solve(const SolveProblem& problem, const RunControl& control) {
    const auto [low, high] = ScannedRange(problem);
    std::vector<double> values;
    const int intervals = std::max(1, problem.intervals);
    for (int i = 0; i <= intervals; ++i) {
        const double value = std::clamp(Rounded(problem.field, Between(low, high, double(i) / intervals)), low, high);
        if (values.empty() || value > values.back()) values.push_back(value);
    }
    std::vector<Point> tried(values.size());
    RunControl scan = control;
    scan.progress = nullptr;
    RunTasks(
        values.size(), [&](std::size_t i) { tried[i] = Evaluate(problem, values[i]); }, scan);
    SolveResult result;
    result.low = tried.front();
    result.high = tried.back();

    // The intervals still to bisect, the last pushed first.
    std::vector<std::pair<Point, Point>> open;
    for (std::size_t i = tried.size() - 1; i > 0; --i) open.emplace_back(tried[i - 1], tried[i]);
    while (!open.empty() && !StopRequested(control)) {
        auto [a, b] = std::move(open.back());
        open.pop_back();
        if (!WorthBisecting(a, b)) continue;
        const std::optional<double> middle = Midpoint(problem.field, a.value, b.value);
        if (!middle) continue;
        tried.push_back(Evaluate(problem, *middle));
        open.emplace_back(tried.back(), std::move(b));
        open.emplace_back(std::move(a), tried.back());
    }
    result.calculations = static_cast<int>(tried.size());
    Classify(problem.field, std::move(tried), result);
    return result;
}

std::vector<SolveProblem> OverProblems(const SolveProblem& problem, const VariedInput& over) {
    if (over.field == problem.field)
        throw Error(ErrorKind::Input, "the input varied over, " + std::string(kInputFields[over.field].variable) +
                                          ", is the input solved for: vary another");
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
