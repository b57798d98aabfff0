// Solving for one input, checked against separate calculations: the target
// flips within every reported bracket, and a fine scan of the same range
// finds exactly the crossings the solve reports.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/Solve.h"

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

    // Stopped before the first value: nothing is solved, nothing reported.
    StopFlag stop = SIGINT;
    EXPECT_FALSE(SolveAll(problems, curve, {2, &stop, nullptr}));
    EXPECT_FALSE(curve[0] || curve[1]);
}

}  // namespace
}  // namespace tadmor::analysis
