// Solving for one input, checked against separate calculations: the target
// flips between every solution and its neighbour, and a fine scan of the
// same range finds exactly the crossings the solve reports; over random
// problems on the reference cases, every answer holds in direct runs.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "analysis/Solve.h"
#include "model/NumberText.h"

#include <signal.h>

namespace tadmor::analysis {
namespace {

const int kOutputRate = FieldIndexOf("OutputRate");
const int kScrewSpeed = FieldIndexOf("ScrewSpeed");

inputs::Case DefaultCase() { return inputs::DefaultCase(); }

SolveProblem Problem(int field, double low, double high, Target target, inputs::Case base = DefaultCase()) {
    SolveProblem problem;
    problem.base = std::move(base);
    problem.field = field;
    problem.low = low;
    problem.high = high;
    problem.target = target;
    return problem;
}

bool MeltsByTheEnd(const inputs::Case& base, int field, double value) {
    inputs::Case texts = base;
    texts.texts[field] = ValueText(field, value, '.');
    const Calculation calculation = inputs::Calculate(texts);
    EXPECT_EQ(calculation.outcome, RequestOutcome::Completed) << texts.texts[field];
    return MeltingCompleted(calculation.state);
}

// The capacity found melts by the end of the screw; one step and 1 % higher do not.
void ExpectCapacity(const inputs::Case& base) {
    const SolveResult result = Solve(Problem(kOutputRate, 20, 600, {TargetKind::MeltedAtEnd, 0}, base));
    ASSERT_EQ(result.solutions.size(), 1u);
    const double capacity = result.solutions[0].met.value;
    EXPECT_NEAR(result.solutions[0].unmet.value, capacity + 0.1, 1e-9);
    EXPECT_TRUE(MeltsByTheEnd(base, kOutputRate, capacity));
    EXPECT_FALSE(MeltsByTheEnd(base, kOutputRate, capacity + 0.1));
    EXPECT_FALSE(MeltsByTheEnd(base, kOutputRate, capacity * 1.01));
    EXPECT_TRUE(result.solutions[0].met.run.meltingIncrementFlight.has_value());
}

TEST(SolveCapacity, DefaultAndOtherCasesMeltAtTheCapacityAndNotAbove) {
    ExpectCapacity(DefaultCase());
    inputs::Case deeper = DefaultCase();
    deeper.texts[FieldIndexOf("MeteringDepth")] = "0.5";
    ExpectCapacity(deeper);
    inputs::Case hotter = DefaultCase();
    hotter.texts[FieldIndexOf("BarrelC0")] = "320.0";
    hotter.texts[kScrewSpeed] = "60.0";
    ExpectCapacity(hotter);
}

TEST(SolveCapacity, NoSolutionInARangeThatNeverMeltsTellsBothEnds) {
    const SolveResult result = Solve(Problem(kOutputRate, 300, 400, {TargetKind::MeltedAtEnd, 0}));
    EXPECT_TRUE(result.solutions.empty());
    EXPECT_EQ(result.calculations, 21);
    ASSERT_TRUE(result.low.met && result.high.met);
    EXPECT_FALSE(*result.low.met);
    EXPECT_FALSE(*result.high.met);
    EXPECT_DOUBLE_EQ(result.low.value, 300);
    EXPECT_DOUBLE_EQ(result.high.value, 400);
    EXPECT_GT(*result.high.run.solidFractionAtEnd, *result.low.run.solidFractionAtEnd);
}

// Every value of the range one precision step apart: where the target flips.
std::vector<std::pair<long, long>> FineCrossings(const SolveProblem& problem) {
    const double step = PrecisionStep(problem.field);
    std::vector<std::pair<long, long>> crossings;
    std::optional<bool> previous;
    const long low = std::lround(problem.low / step), high = std::lround(problem.high / step);
    for (long k = low; k <= high; ++k) {
        const Point point = Evaluate(problem, k * step);
        EXPECT_TRUE(point.met.has_value());
        if (previous && point.met && *point.met != *previous) crossings.emplace_back(k - 1, k);
        previous = point.met;
    }
    return crossings;
}

void ExpectSolveMatchesFineScan(const SolveProblem& problem) {
    const double step = PrecisionStep(problem.field);
    const SolveResult result = Solve(problem);
    const std::vector<std::pair<long, long>> fine = FineCrossings(problem);
    ASSERT_FALSE(fine.empty());
    ASSERT_EQ(result.solutions.size(), fine.size());
    for (std::size_t i = 0; i < fine.size(); ++i) {
        const long met = std::lround(result.solutions[i].met.value / step);
        const long unmet = std::lround(result.solutions[i].unmet.value / step);
        EXPECT_EQ(std::min(met, unmet), fine[i].first);
        EXPECT_EQ(std::max(met, unmet), fine[i].second);
        EXPECT_TRUE(*result.solutions[i].met.met);
        EXPECT_FALSE(*result.solutions[i].unmet.met);
    }
    // The solve needs far fewer calculations than the fine scan.
    EXPECT_LT(result.calculations, 60);
}

TEST(SolveAgreesWithAFineScan, MeltedAtAFlightForScrewSpeed) {
    ExpectSolveMatchesFineScan(Problem(kScrewSpeed, 30, 80, {TargetKind::MeltedAtFlight, 20.5}));
}

TEST(SolveAgreesWithAFineScan, SolidFractionAtTheEndForOutputRate) {
    ExpectSolveMatchesFineScan(Problem(kOutputRate, 200, 400, {TargetKind::SolidFractionAtEnd, 0.1}));
}

TEST(SolveTarget, MeltedAtFlightIsMetWhereMeltingCompletesByThatFlight) {
    const SolveResult result = Solve(Problem(kScrewSpeed, 30, 80, {TargetKind::MeltedAtFlight, 20.5}));
    ASSERT_FALSE(result.solutions.empty());
    for (const Solution& solution : result.solutions) {
        ASSERT_TRUE(solution.met.run.meltingIncrementFlight.has_value());
        EXPECT_LE(*solution.met.run.meltingIncrementFlight, 20.5);
        EXPECT_TRUE(!solution.unmet.run.meltingIncrementFlight || *solution.unmet.run.meltingIncrementFlight > 20.5);
    }
}

TEST(SolveRange, DefaultRangeAndValueTexts) {
    EXPECT_EQ(DefaultRange(300), std::make_pair(75.0, 600.0));
    EXPECT_EQ(DefaultRange(-0.8), std::make_pair(-1.6, -0.2));
    EXPECT_EQ(DefaultRange(0), std::make_pair(-1.0, 1.0));
    EXPECT_EQ(DefaultRange(BaseValue(DefaultCase(), kOutputRate)), std::make_pair(75.0, 600.0));
    EXPECT_EQ(ValueText(kOutputRate, 254.84, ','), "254,8");
    EXPECT_EQ(ValueText(FieldIndexOf("FeedDepth"), 1.456, '.'), "1.46");
    EXPECT_EQ(ValueText(kOutputRate, 1.7976931348623157e308, '.'), "1.7976931348623157E308");
    // The ends of a range rounded inward to the input's precision.
    const auto scanned = [](double low, double high) {
        return ScannedRange(Problem(kOutputRate, low, high, {TargetKind::MeltedAtEnd}));
    };
    EXPECT_EQ(scanned(254.75, 254.95), std::make_pair(254.8, 254.9));
    EXPECT_EQ(scanned(1e-300, 1e300), std::make_pair(0.1, 1e300));
}

// The scan's calculations on two threads give what one thread gives, and a
// curve over a second input is each value's own solve.
TEST(SolveOnTheRunner, ThreadsGiveTheSameAndACurveIsEachValuesSolve) {
    const SolveProblem problem = Problem(kOutputRate, 100, 400, {TargetKind::MeltedAtEnd, 0});
    const SolveResult one = Solve(problem, {1, nullptr, nullptr});
    const SolveResult two = Solve(problem, {2, nullptr, nullptr});
    ASSERT_EQ(one.solutions.size(), 1u);
    ASSERT_EQ(two.solutions.size(), 1u);
    EXPECT_EQ(one.solutions[0].met.value, two.solutions[0].met.value);
    EXPECT_EQ(one.calculations, two.calculations);

    const VariedInput speeds = VariedText(kScrewSpeed, "30,38");
    const std::vector<SolveProblem> problems = OverProblems(problem, speeds);
    std::vector<std::optional<SolveResult>> curve;
    EXPECT_TRUE(SolveAll(problems, curve, {2, nullptr, nullptr}));
    ASSERT_EQ(curve.size(), 2u);
    EXPECT_EQ(curve[1]->solutions[0].met.value, one.solutions[0].met.value);  // 38 rpm is the base case
    EXPECT_EQ(curve[0]->solutions[0].met.value, Solve(problems[0]).solutions[0].met.value);

    // A curve over the input solved for is refused.
    EXPECT_THROW(OverProblems(problem, VariedText(kOutputRate, "100,200")), Error);

    // Stopped before the first value: nothing is solved, nothing reported.
    StopFlag stop = SIGINT;
    EXPECT_FALSE(SolveAll(problems, curve, {2, &stop, nullptr}));
    EXPECT_FALSE(curve[0] || curve[1]);
}

// A calculation of `base` with the input at `text` (written with ".").
Calculation DirectRun(const inputs::Case& base, int field, std::string text) {
    inputs::Case inputs = base;
    std::replace(text.begin(), text.end(), '.', base.separator);
    inputs.texts[field] = text;
    return inputs::Calculate(inputs);
}

// Whether a direct calculation meets the target, decided from its rows with
// FLIGHTs as the results show them; empty when it does not complete.
std::optional<bool> MetByDirectRun(const inputs::Case& base, int field, const std::string& text, const Target& target) {
    const Calculation calculation = DirectRun(base, field, text);
    if (calculation.outcome != RequestOutcome::Completed) return std::nullopt;
    const SimulationState& s = calculation.state;
    const bool melted = MeltingCompleted(s);
    const auto shown = [](double flight) { return *TextToNumber(NumberText(flight, 2), '.'); };
    bool met = false;
    switch (target.kind) {
        case TargetKind::MeltedAtFlight:
            met = melted && shown(IncrementFlight(s)) <= target.value;
            break;
        case TargetKind::MeltedAtCompressionEnd:
            met = melted && shown(IncrementFlight(s)) <= shown(s.FeedTurns + s.CompressionTurns);
            break;
        case TargetKind::MeltedAtEnd:
            met = melted;
            break;
        case TargetKind::SolidFractionAtEnd:
            met = (melted ? 0 : s.StepCount > 0 ? s.ResSolidFraction[s.StepCount] : 1) <= target.value;
            break;
    }
    for (int row = 1; row <= s.StepCount && target.bedWithinChannel; ++row)
        if (s.ResSolidFraction[row] > 1) met = false;
    return met;
}

// Each solution is met where reported and not one precision step beyond,
// inside the range; each bracket's ends likewise, each next to a failing
// calculation (the boundary of the failing region between them).
void ExpectConfirmedByDirectRuns(const SolveProblem& problem, const SolveResult& result) {
    const double step = PrecisionStep(problem.field);
    const auto confirm = [&](const Point& met, const Point& unmet) {
        EXPECT_EQ(MetByDirectRun(problem.base, problem.field, met.text, problem.target), true) << met.text;
        EXPECT_EQ(MetByDirectRun(problem.base, problem.field, unmet.text, problem.target), false) << unmet.text;
        EXPECT_GE(std::min(met.value, unmet.value), std::min(problem.low, problem.high));
        EXPECT_LE(std::max(met.value, unmet.value), std::max(problem.low, problem.high));
    };
    for (const Solution& solution : result.solutions) {
        confirm(solution.met, solution.unmet);
        EXPECT_NEAR(std::abs(solution.unmet.value - solution.met.value), step, step * 1e-6) << solution.met.text;
    }
    for (const Bracket& bracket : result.brackets) {
        confirm(bracket.met, bracket.unmet);
        EXPECT_NE(bracket.failure, "");
        const double inward = bracket.met.value < bracket.unmet.value ? step : -step;
        for (const auto& [end, next] : {std::pair(bracket.met.value, inward), std::pair(bracket.unmet.value, -inward)})
            EXPECT_NE(DirectRun(problem.base, problem.field, ValueText(problem.field, end + next, '.')).outcome,
                      RequestOutcome::Completed)
                << "next to " << ValueText(problem.field, end, '.');
    }
}

// Random problems over the reference cases: every answer holds in direct
// runs, and a fine scan finds a crossing only where the solve reported one.
TEST(SolveProperty, AnswersHoldInDirectRunsAndAFineScan) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kSolves = 12;
#else
    constexpr int kSolves = 200;
#endif
    std::vector<inputs::Case> cases;
    std::vector<std::string> names;
    std::ifstream index(TADMOR_REFERENCE_DIR "/index.tsv");
    std::string line;
    std::getline(index, line);  // the header
    while (std::getline(index, line)) {
        const std::string name = line.substr(0, line.find('\t'));
        inputs::Case base = inputs::DefaultCase(line[name.size() + 1]);
        inputs::ApplyCaseFile(base, TADMOR_REFERENCE_DIR "/" + name + ".case");
        if (inputs::Calculate(base).outcome != RequestOutcome::Completed) continue;
        cases.push_back(base);
        names.push_back(name);
    }
    ASSERT_GE(cases.size(), 15u);

    std::mt19937 random(20240611);
    const auto uniform = [&](double low, double high) { return std::uniform_real_distribution(low, high)(random); };
    const auto pick = [&](int count) { return std::uniform_int_distribution(0, count - 1)(random); };
    int solves = 0, solved = 0;
    while (solves < kSolves) {
        SolveProblem problem;
        const int chosen = pick(static_cast<int>(cases.size()));
        problem.base = cases[chosen];
        problem.field = pick(kNumericFieldCount);
        // A range of 1 % to 50 % of the base value either side; now and then
        // one reaching below zero, where many inputs are refused, or one of many decades.
        const double base = BaseValue(problem.base, problem.field);
        const double size = base == 0 ? 1 : std::abs(base);
        const int shape = pick(8);
        std::tie(problem.low, problem.high) =
            std::pair(base - size * std::pow(10, uniform(-2, -0.3)), base + size * std::pow(10, uniform(-2, -0.3)));
        if (base > 0 && shape == 0)
            problem.low = -base * uniform(0.01, 0.5);
        else if (base > 0 && shape == 1)
            std::tie(problem.low, problem.high) =
                std::pair(base / std::pow(10, uniform(1, 4)), base * std::pow(10, uniform(1, 4)));
        problem.intervals = 2 + pick(11);
        std::pair<double, double> scanned;
        try {
            scanned = ScannedRange(problem);
        } catch (const Error&) {
            continue;  // narrower than the input's precision
        }
        // Targets near what a value inside the range gives, so that most ranges cross them.
        const Calculation inside = DirectRun(problem.base, problem.field,
                                             ValueText(problem.field, uniform(scanned.first, scanned.second), '.'));
        const SimulationState& s = inside.state;
        const bool melted = inside.outcome == RequestOutcome::Completed && MeltingCompleted(s);
        using enum TargetKind;
        const TargetKind kinds[2][6] = {
            {SolidFractionAtEnd, SolidFractionAtEnd, SolidFractionAtEnd, SolidFractionAtEnd, SolidFractionAtEnd,
             MeltedAtEnd},
            {MeltedAtFlight, MeltedAtFlight, MeltedAtFlight, MeltedAtEnd, MeltedAtCompressionEnd, SolidFractionAtEnd}};
        problem.target = {kinds[melted][pick(6)], 0, pick(5) == 0};
        if (problem.target.kind == TargetKind::MeltedAtFlight)
            problem.target.value = *TextToNumber(NumberText(IncrementFlight(s) + 0.1 * (pick(3) - 1), 2), '.');
        if (problem.target.kind == TargetKind::SolidFractionAtEnd)
            problem.target.value =
                (melted || s.StepCount == 0 ? 0 : s.ResSolidFraction[s.StepCount]) + uniform(0, 0.002);
        ++solves;
        SCOPED_TRACE(names[chosen] + ": " + std::string(kInputFields[problem.field].variable) + " in " +
                     ExactNumber(problem.low) + ":" + ExactNumber(problem.high) + " for " + TargetText(problem.target) +
                     ", " + std::to_string(problem.intervals) + " intervals");
        const SolveResult result = Solve(problem, {2, nullptr, nullptr});
        solved += result.outcome == SolveOutcome::Solved;
        ExpectConfirmedByDirectRuns(problem, result);
        if (result.outcome != SolveOutcome::NoSolution && result.outcome != SolveOutcome::MetThroughout) continue;
        // A fine scan, spaced as the solve's scan is: every stretch of it that
        // disagrees with the outcome flips back within one interval of the
        // solve's scan (narrower than one, and off the ends), where no scan sees it.
        const auto [low, high] = scanned;
        const bool geometric =
            ((low > 0 && high > 0) || (low < 0 && high < 0)) && std::max(high / low, low / high) >= 1000;
        std::vector<std::optional<bool>> fine(101);
        RunTasks(fine.size(),
                 [&](std::size_t i) {
                     const double t = static_cast<double>(i) / 100;
                     const double value = geometric ? low * std::pow(high / low, t) : low + (high - low) * t;
                     fine[i] = MetByDirectRun(problem.base, problem.field, ValueText(problem.field, value, '.'),
                                              problem.target);
                 },
                 {2, nullptr, nullptr});
        const bool throughout = result.outcome == SolveOutcome::MetThroughout;
        for (int i = 0; i <= 100; ++i) {
            if (!fine[i] || *fine[i] == throughout) continue;
            int last = i;  // the last point that disagrees before one that agrees
            for (int j = i + 1; j <= 100 && (!fine[j] || *fine[j] != throughout); ++j)
                if (fine[j]) last = j;
            EXPECT_TRUE(i > 0 && last < 100 && (last - i) * problem.intervals < 100)
                << "points " << i << " to " << last << " of the fine scan disagree";
            i = last;
        }
    }
    EXPECT_GT(solved, kSolves / 4);
}

}  // namespace
}  // namespace tadmor::analysis
