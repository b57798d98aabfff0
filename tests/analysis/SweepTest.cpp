// The sweep: the values of a varied input, the cases and their shards, the
// results file names, and every case equal to its own calculation.
#include "analysis/Sweep.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cmath>

#include "support/Errors.h"

namespace tadmor::analysis {
namespace {

using tadmor::test::ErrorTextOf;
using Values = std::vector<std::string>;

int Field(const char* name) { return FieldIndexOf(name); }

std::size_t Present(const CaseResults& results) {
    return static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(), [](const auto& r) { return r.has_value(); }));
}

TEST(VariedText, RangesAreWrittenWithTheirMostDecimalsAndListsAsGiven) {
    const struct {
        const char* name;
        const char* values;
        Values expected;
    } cases[] = {
        {"ScrewSpeed", "30:45:5", {"30", "35", "40", "45"}},
        // 0.3 + 2 x 0.1 is not 0.5 in doubles; the last value is still taken.
        {"MeteringDepth", "0.3:0.5:0.1", {"0.3", "0.4", "0.5"}},
        {"BarrelC1", "-0.2:0.2:0.1", {"-0.2", "-0.1", "0.0", "0.1", "0.2"}},
        {"ScrewSpeed", "45:30:-7.5", {"45.0", "37.5", "30.0"}},
        {"OutputRate", "300:320:15", {"300", "315"}},
        {"OutputRate", "300:300:1", {"300"}},
        // Decimal places of an exponent form: those it shows.
        {"ScrewSpeed", "2.5e-3:3.5e-3:0.5e-3", {"0.0025", "0.0030", "0.0035"}},
        {"ScrewSpeed", "1e-300:3e-300:1e-300", {"1e-300", "2e-300", "3e-300"}},
        {"ScrewSpeed", "1e300:3e300:1E+300", {"1e+300", "2e+300", "3e+300"}},
        {"ScrewSpeed", "+50:+60:10", {"50", "60"}},
        {"ScrewSpeed", "38,45.5, 50,abc", {"38", "45.5", " 50", "abc"}},
    };
    for (const auto& c : cases) {
        const VariedInput input = VariedText(Field(c.name), c.values);
        EXPECT_EQ(input.field, Field(c.name));
        EXPECT_EQ(input.values, c.expected) << c.values;
    }
    EXPECT_EQ(ErrorTextOf([] { RequireNumbers(VariedText(Field("ScrewSpeed"), "38,abc")); }),
              "ScrewSpeed: \"abc\" is not a number written with \".\"");
    EXPECT_EQ(ErrorTextOf([] { RequireNumbers(VariedText(Field("ScrewSpeed"), "38,,40")); }),
              "ScrewSpeed: an empty value is not a number written with \".\"");
    EXPECT_EQ(VariedValues(Field("ScrewSpeed"), {20, 0.1, 1e300}).values, (Values{"20", "0.1", "1e+300"}));
}

TEST(VariedText, Refusals) {
    const struct {
        const char* name;
        const char* values;
        const char* error;
    } cases[] = {
        {"ScrewSpeed", "30:45", "ScrewSpeed \"30:45\": expected FROM:TO:STEP"},
        {"ScrewSpeed", "30:45:0", "ScrewSpeed \"30:45:0\": STEP must lead from FROM to TO"},
        {"ScrewSpeed", "30:45:-5", "ScrewSpeed \"30:45:-5\": STEP must lead from FROM to TO"},
        {"ScrewSpeed", "30:4,5:1", "ScrewSpeed \"30:4,5:1\": \"4,5\" is not a number written with \".\""},
        {"ScrewSpeed", "0:1e7:1", "ScrewSpeed \"0:1e7:1\": more than 1000000 values"},
        // Control characters written out: the message stays one line.
        {"ScrewSpeed", "30:4\r\n5", "ScrewSpeed \"30:4\\x0d\\x0a5\": expected FROM:TO:STEP"},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorTextOf([&] { VariedText(Field(c.name), c.values); }), c.error);
    EXPECT_EQ(ErrorTextOf([] { VariedField("Speed", "--vary"); }), "--vary: unknown input name \"Speed\"");
    EXPECT_EQ(ErrorTextOf([] { VariedField("Screw\x01Speed", "sweep"); }),
              "sweep: unknown input name \"Screw\\x01Speed\"; did you mean ScrewSpeed?");
    EXPECT_EQ(ErrorTextOf([] { VariedField("ResultFileName", "--vary"); }),
              "--vary: ResultFileName cannot be varied; every case has its own results file");
    EXPECT_EQ(ErrorTextOf([] { VariedValues(Field("ScrewSpeed"), {}); }), "ScrewSpeed: no values given");
    EXPECT_EQ(ErrorTextOf([] {
                  VariedValues(Field("ScrewSpeed"), {1, NAN});
              }),
              "ScrewSpeed: nan is not a finite number");
}

TEST(Cases, ProductWithTheFirstInputSlowestAndShardsThatPartitionIt) {
    const std::vector<VariedInput> varied = {VariedText(Field("ScrewSpeed"), "a,b"),
                                             VariedText(Field("OutputRate"), "1,2,3")};
    const std::vector<SweepCase> all = SweepCases(varied, {});
    ASSERT_EQ(all.size(), 6u);
    const Values expected[] = {{"a", "1"}, {"a", "2"}, {"a", "3"}, {"b", "1"}, {"b", "2"}, {"b", "3"}};
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].index, static_cast<long>(i));
        EXPECT_EQ(all[i].values, expected[i]);
    }
    const std::vector<SweepCase> shard = SweepCases(varied, {1, 4});
    ASSERT_EQ(shard.size(), 2u);
    EXPECT_EQ(shard[0].index, 1);
    EXPECT_EQ(shard[1].index, 5);
    EXPECT_EQ(shard[1].values, expected[5]);

    const std::vector<VariedInput> huge = {VariedText(Field("ScrewSpeed"), "1:1000:1"),
                                           VariedText(Field("OutputRate"), "1:1001:1")};
    EXPECT_EQ(ErrorTextOf([&] { SweepCases(huge, {}); }), "the sweep has more than 1000000 cases");
    EXPECT_EQ(ErrorTextOf([&] { SweepCases({varied[0], varied[0]}, {}); }), "ScrewSpeed is varied twice");
    for (const Shard bad : {Shard{3, 3}, Shard{-1, 3}, Shard{0, 0}})
        EXPECT_EQ(ErrorTextOf([&] { SweepCases(varied, bad); }).rfind("a shard K/N needs 0 <= K < N", 0), 0u);
}

TEST(Cases, ResultsFileNamesArePaddedToTheLastCase) {
    Sweep sweep;
    sweep.varied = {VariedText(Field("ScrewSpeed"), "30:85:5")};  // 12 cases
    sweep.resultsDir = "out";
    EXPECT_EQ(CaseResultFileName(sweep, 3), "out/case-03.txt");
    EXPECT_EQ(CaseResultFileName(sweep, 11), "out/case-11.txt");
}

TEST(RunSweep, EachCaseIsItsOwnCalculationOnAnyNumberOfThreads) {
    Sweep sweep;
    sweep.base = inputs::WithSeparator(inputs::DefaultCase(), ',');
    sweep.varied = {VariedText(Field("ScrewSpeed"), "35,50"), VariedText(Field("BarrelC0"), "290,200,x")};
    const std::vector<SweepCase> cases = SweepCases(sweep.varied, {});
    for (const int jobs : {1, 2}) {
        CaseResults results(cases.size());
        EXPECT_TRUE(RunSweep(sweep, cases, results, {jobs, nullptr, nullptr}));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            inputs::Case own = sweep.base;
            own.texts[Field("ScrewSpeed")] = cases[i].values[0];
            own.texts[Field("BarrelC0")] = cases[i].values[1];
            const RunSummary expected = inputs::Summarize(own, inputs::Calculate(own));
            ASSERT_TRUE(results[i]);
            EXPECT_EQ(results[i]->outcomeName, expected.outcomeName) << i;
            EXPECT_EQ(results[i]->message, expected.message);
            EXPECT_EQ(results[i]->meltingIncrementFlight, expected.meltingIncrementFlight);
            EXPECT_EQ(results[i]->totalPower, expected.totalPower);
        }
        EXPECT_EQ(results[2]->outcomeName, "invalid input");
        EXPECT_EQ(results[1]->outcomeName, "calculation error");
    }
}

TEST(SweepIdentity, NamesTheInputsThatDecideTheResults) {
    Sweep settings;
    settings.base = inputs::DefaultCase();
    settings.varied = {VariedText(Field("ScrewSpeed"), "30,40")};
    const std::string id = SweepId(settings);
    EXPECT_EQ(id.size(), 16u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);

    Sweep same = settings;
    same.base.texts[Field("ScrewSpeed")] = "77";  // varied: its base text is never used
    same.resultsDir = "cases";
    EXPECT_EQ(SweepId(same), id);

    Sweep other = settings;
    other.base.texts[Field("OutputRate")] = "320";
    EXPECT_NE(SweepId(other), id);
    other = settings;
    other.varied = {VariedText(Field("ScrewSpeed"), "30,45")};
    EXPECT_NE(SweepId(other), id);
    other.varied = {VariedText(Field("ScrewSpeed"), "30,40,")};
    EXPECT_NE(SweepId(other), id);
    other = settings;
    other.base.separator = ',';
    EXPECT_NE(SweepId(other), id);
}

TEST(RunSweepStop, StartsNoCaseOnceStoppedAndRunsTheRestLater) {
    Sweep settings;
    settings.base = inputs::DefaultCase();
    settings.varied = {VariedText(Field("ScrewSpeed"), "30:65:5")};
    const std::vector<SweepCase> cases = SweepCases(settings.varied, {});
    StopFlag stop = 0;
    CaseResults whole(cases.size());
    EXPECT_TRUE(RunSweep(settings, cases, whole, {1, &stop, nullptr}));
    ASSERT_EQ(Present(whole), cases.size());

    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        stop = 0;
        CaseResults results(cases.size());
        EXPECT_FALSE(RunSweep(settings, cases, results, {jobs, &stop, [&](std::size_t, std::size_t done, std::size_t) {
                                                             if (done == 3) stop = SIGINT;
                                                         }}));
        // The cases running when it stopped have finished.
        const std::size_t finished = Present(results);
        EXPECT_GE(finished, 3u);
        EXPECT_LE(finished, 2u + jobs);
        if (jobs == 1) {
            EXPECT_TRUE(results[0] && results[1] && results[2]);
        }

        stop = 0;
        std::vector<std::size_t> counts;
        EXPECT_TRUE(RunSweep(settings, cases, results, {jobs, &stop, [&](std::size_t, std::size_t done, std::size_t) {
                                                            counts.push_back(done);
                                                        }}));
        ASSERT_EQ(counts.size(), cases.size() - finished);
        EXPECT_EQ(counts.front(), finished + 1);
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_EQ(results[i]->interpolatedMeltedFlight, whole[i]->interpolatedMeltedFlight) << i;
    }
}

}  // namespace
}  // namespace tadmor::analysis
