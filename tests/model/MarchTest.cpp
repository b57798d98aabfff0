// The march down the screw: set-up, increments and zones, stops, mends, limits.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"
#include "support/Digits.h"

namespace tadmor {
namespace {

using test::DefaultInputs;
using test::RoundsTo;

TEST(RunMarch, SetUpAndFirstIncrementConditionsWithDefaults) {
    SimulationState s = DefaultInputs();
    RunMarch(s);
    EXPECT_TRUE(RoundsTo(s.MassFlow, "83.33333"));
    EXPECT_TRUE(RoundsTo(s.TotalVolumeFlow, "69.44444"));
    EXPECT_TRUE(RoundsTo(s.HelixAngle, "0.3081691"));
    EXPECT_TRUE(RoundsTo(static_cast<double>(TurnLength(s)), "49.45362"));
    EXPECT_TRUE(RoundsTo(s.FeedLength, "247.2681"));
    EXPECT_TRUE(RoundsTo(s.CompressionLength, "296.7217"));
    EXPECT_TRUE(RoundsTo(s.MeteringLength, "430.2465"));
    EXPECT_TRUE(RoundsTo(s.MeltingLength, "974.2364"));
    EXPECT_TRUE(RoundsTo(s.FeedStep, "9.890725"));
    EXPECT_TRUE(RoundsTo(s.MeteringStep, "9.890725"));
    EXPECT_TRUE(RoundsTo(s.CompressionStep, "4.945362"));
    EXPECT_TRUE(RoundsTo(s.BarrelSpeed, "29.84513"));
    EXPECT_TRUE(RoundsTo(s.DepthTaper, "0.003370161"));
    // The same in every increment, so the last increment shows them too.
    EXPECT_TRUE(RoundsTo(s.ChannelWidth, "12.79336"));
    EXPECT_TRUE(RoundsTo(s.BarrelSpeedX, "9.052460"));
    EXPECT_TRUE(RoundsTo(s.SolidSpeed, "3.472173"));
    EXPECT_TRUE(RoundsTo(s.RelativeSpeed, "26.55742"));
    for (int i = 1; i <= s.StepCount; ++i) EXPECT_EQ(s.ResBarrelTemp[i], 290.0) << "row " << i;
}

TEST(RunMarch, DefaultRunIncrementsByZone) {
    SimulationState s = DefaultInputs();
    RunMarch(s);
    if (MeltingCompleted(s)) GTEST_SKIP() << "melting completed at row " << s.StepCount;
    // 25 feed increments (five turns after the delay), 60 compression, 44 metering.
    ASSERT_EQ(s.StepCount, 129);
    EXPECT_TRUE(RoundsTo(s.ResFlight[1], "5.100000"));
    EXPECT_TRUE(RoundsTo(s.ResFlight[25], "9.900000"));
    EXPECT_TRUE(RoundsTo(s.ResFlight[26], "10.050000"));
    EXPECT_TRUE(RoundsTo(s.ResFlight[85], "15.950000"));
    EXPECT_TRUE(RoundsTo(s.ResFlight[86], "16.100000"));
    // The last runs half a metering step past the end of the screw.
    EXPECT_TRUE(RoundsTo(s.ResFlight[129], "24.700000"));
    // Depth at the start of each increment: the first compression row still
    // shows the feed depth, the first metering row the metering depth.
    EXPECT_EQ(s.ResDepth[25], 1.4);
    EXPECT_EQ(s.ResDepth[26], 1.4);
    EXPECT_LT(s.ResDepth[27], 1.4);
    EXPECT_NEAR(s.ResDepth[86], 0.4, 0.003370161 * 0.00001 + 1e-12);
    EXPECT_EQ(s.ResDepth[129], s.ResDepth[86]);
    for (int i = 2; i <= s.StepCount; ++i) EXPECT_GT(s.ResFlight[i], s.ResFlight[i - 1]);
}

TEST(RunMarch, EqualInputsGiveIdenticalRowsWhateverRanBefore) {
    SimulationState a = DefaultInputs();
    RunMarch(a);
    SimulationState b = DefaultInputs();
    b.OutputRate = 150;  // a different run first, on the same state
    RunMarch(b);
    b.OutputRate = 300;
    RunMarch(b);
    ASSERT_EQ(a.StepCount, b.StepCount);
    for (int i = 1; i <= a.StepCount; ++i) {
        EXPECT_EQ(a.ResSolidFraction[i], b.ResSolidFraction[i]) << "row " << i;
        EXPECT_EQ(a.ResFilmThickness[i], b.ResFilmThickness[i]) << "row " << i;
        EXPECT_EQ(a.ResViscousPower[i], b.ResViscousPower[i]) << "row " << i;
    }
}

TEST(RunMarch, ASecondShorterRunCountsOnlyItsOwnRows) {
    SimulationState s = DefaultInputs();
    s.MeteringTurns = 20;
    RunMarch(s);
    const int longer = s.StepCount;
    s.MeteringTurns = 2;
    RunMarch(s);
    EXPECT_LT(s.StepCount, longer);
    EXPECT_GE(static_cast<int>(s.ResFlight.size()), longer + 1);  // older rows remain, unprinted
}

TEST(RunMarch, MeltingInTheFirstIncrementRecordsNoRows) {
    SimulationState s = DefaultInputs();
    s.OutputRate = 1;  // so little throughput that the bed melts at once
    RunMarch(s);
    EXPECT_TRUE(MeltingCompleted(s));
    EXPECT_EQ(s.StepCount, 0);
    EXPECT_EQ(s.StepNo, 1);
}

TEST(RunMarch, MeltingPartWayRecordsTheEarlierIncrements) {
    SimulationState s = DefaultInputs();
    s.OutputRate = 60;
    RunMarch(s);
    ASSERT_TRUE(MeltingCompleted(s));
    EXPECT_GT(s.StepCount, 0);
    EXPECT_EQ(s.StepCount, s.StepNo - 1);
    EXPECT_GT(s.ResSolidFraction[s.StepCount], 0.002);
    // QS/QT is what the recorded melt rates leave of the throughput.
    for (int i = 2; i <= s.StepCount; ++i) EXPECT_LT(s.ResSolidFlowRatio[i], s.ResSolidFlowRatio[i - 1]);
}

TEST(RunMarch, DelayEqualToFeedStartsInTheCompressionZone) {
    SimulationState s = DefaultInputs();
    s.DelayTurns = s.FeedTurns;
    RunMarch(s);
    EXPECT_EQ(s.FeedLength, 0);
    ASSERT_GE(s.StepCount, 2);
    EXPECT_TRUE(RoundsTo(s.ResFlight[1], "10.050000"));  // a tenth of a turn
    EXPECT_EQ(s.ResDepth[1], 1.4);
    EXPECT_LT(s.ResDepth[2], 1.4);
}

TEST(RunMarch, DelayBeyondTheFeedZoneStartsAtTheScrewsDepthThere) {
    // Melting starts two turns into the compression zone: the channel there is
    // already two of six compression turns shallower.
    SimulationState s = DefaultInputs();
    s.DelayTurns = 12;
    RunMarch(s);
    ASSERT_GE(s.StepCount, 1);
    EXPECT_NEAR(s.ResDepth[1], 1.4 - 1.0 * 2 / 6, 1e-12);
    EXPECT_TRUE(RoundsTo(s.ResFlight[1], "12.050000"));
    // The metering zone then has the metering depth, not one a third too deep.
    if (!MeltingCompleted(s)) {
        EXPECT_NEAR(s.ResDepth[s.StepCount], 0.4, 1e-6);
    }
}

TEST(RunMarch, NoSliverIncrementAtAZoneEnd) {
    // The feed zone ends 0.000005 cm after a whole number of feed steps: that
    // remainder joins the compression zone instead of making an increment.
    SimulationState s = DefaultInputs();
    s.FeedTurns = 10 + 0.000005 / 49.45362;
    RunMarch(s);
    ASSERT_GE(s.StepCount, 27);
    EXPECT_TRUE(RoundsTo(s.ResFlight[25], "9.900000"));
    EXPECT_TRUE(RoundsTo(s.ResFlight[26], "10.050000"));
}

TEST(RunMarch, ShortenedIncrementEndsExactlyOnTheZoneEnd) {
    SimulationState s = DefaultInputs();
    s.FeedTurns = 10.1;  // 25.5 feed steps after the delay
    RunMarch(s);
    ASSERT_GE(s.StepCount, 28);
    EXPECT_TRUE(RoundsTo(s.ResFlight[26], "10.050000"));  // half a feed step, centred at 10.05
    EXPECT_EQ(s.ResDepth[27], 1.4);                       // first compression row
    EXPECT_TRUE(RoundsTo(s.ResFlight[27], "10.150000"));
}

// The last row is the increment that ends at the end of the screw. Whole
// metering turns (or a delay of whole fifths of a turn into the metering zone)
// make the steps sum to a few 1e-12 cm short of the end; no increment wholly
// beyond the screw may follow.
TEST(RunMarch, TheLastRowEndsAtTheEndOfTheScrew) {
    struct Case {
        double meteringTurns, delayTurns;
        int rows;
        const char* lastFlight;
    };
    // 24 turns: 25 feed + 60 compression + 40 metering increments; 24.7 turns
    // with the delay at 17.5: 36 metering increments.
    for (const Case c : {Case{8.0, 5.0, 125, "23.900000"}, Case{8.7, 17.5, 36, "24.600000"}}) {
        SimulationState s = DefaultInputs();
        s.MeteringTurns = c.meteringTurns;
        s.DelayTurns = c.delayTurns;
        RunMarch(s);
        ASSERT_FALSE(MeltingCompleted(s));
        EXPECT_EQ(s.StepCount, c.rows) << "MeteringTurns " << c.meteringTurns;
        EXPECT_TRUE(RoundsTo(s.ResFlight[s.StepCount], c.lastFlight));
        EXPECT_NEAR(s.ChannelPosition + s.StepLength, s.MeltingLength, 1e-9);
    }
}

TEST(RunMarch, AnIncrementThatStraddlesTheEndIsTheLast) {
    // 8.7 metering turns are 43.5 steps: the 44th runs half a step past the end.
    SimulationState s = DefaultInputs();
    RunMarch(s);
    ASSERT_EQ(s.StepCount, 129);
    EXPECT_GT(s.ChannelPosition + s.StepLength - s.MeltingLength, 0.4 * s.MeteringStep);
    EXPECT_LT(s.ChannelPosition - s.MeltingLength, 0);
}

TEST(RunMarch, BarrelTemperatureProfileAlongTheScrew) {
    SimulationState s = DefaultInputs();
    s.BarrelC1 = -0.05;
    s.BarrelC2 = -0.01;
    RunMarch(s);
    ASSERT_GE(s.StepCount, 2);
    // Row 1: axial distance 15 cm x 0.1 turn = 1.5 cm from the start of melting.
    EXPECT_TRUE(RoundsTo(s.ResBarrelTemp[1], std::to_string(290 * (1 + 0.05 * std::exp(-0.015)))));
    // Row 2: 4.5 cm.
    EXPECT_TRUE(RoundsTo(s.ResBarrelTemp[2], std::to_string(290 * (1 + 0.05 * std::exp(-0.045)))));
}

TEST(RunMarch, LongScrewRunsPastTwoHundredRows) {
    SimulationState s = DefaultInputs();
    s.OutputRate = 600;
    s.MeteringTurns = 40;
    RunMarch(s);
    if (MeltingCompleted(s)) {
        EXPECT_GT(s.StepCount, 201);
    } else {
        EXPECT_EQ(s.StepCount, 25 + 60 + 200);
        EXPECT_TRUE(RoundsTo(s.ResFlight[s.StepCount], "55.900000"));
    }
}

TEST(RunMarch, AbsurdlyLongScrewIsRefusedBeforeItStarts) {
    SimulationState s = DefaultInputs();
    s.MeteringTurns = 1e6;
    EXPECT_GT(EstimatedIncrementCount(s), kIncrementLimit);
    EXPECT_THROW(RunMarch(s), IncrementLimitError);
    EXPECT_EQ(s.StepCount, 0);  // nothing ran
    EXPECT_TRUE(s.ResFlight.empty());
}

TEST(IncrementLimitRefusal, CountsAtAnyMagnitude) {
    SimulationState s = DefaultInputs();
    s.MeteringTurns = 1e6;  // 5,000,000 metering increments and the 86 before
    EXPECT_EQ(IncrementLimitRefusal(s),
              "The screw needs about 5000086 increments; at most 100000 can be "
              "computed. Check the numbers of turns.");
    s.MeteringTurns = 1e20;
    EXPECT_EQ(IncrementLimitRefusal(s).substr(0, 39), "The screw needs about 5e+20 increments;");
    s.MeteringTurns = 1e308;  // five increments a turn: more than a double holds
    EXPECT_EQ(IncrementLimitRefusal(s).substr(0, 46), "The screw needs more than 1.8e+308 increments;");
}

TEST(RunMarch, FaultAtAHugeFlightIsDescribedInFull) {
    SimulationState s = DefaultInputs();
    s.DelayTurns = 1e308;  // the feed zone's length overflows
    try {
        RunMarch(s);
        FAIL() << "expected an arithmetic error";
    } catch (const ArithmeticError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text, "Floating-point overflow in RunMarch at increment 1 (FLIGHT 1e+308)");
    }
}

TEST(EstimatedIncrementCount, CountsEachZonesIncrements) {
    SimulationState s = DefaultInputs();
    EXPECT_EQ(EstimatedIncrementCount(s), 25 + 60 + 44 + 1);
    s.DelayTurns = 12;
    EXPECT_EQ(EstimatedIncrementCount(s), 0 + 40 + 44 + 1);
    s.DelayTurns = 30;  // beyond the end of the screw
    EXPECT_EQ(EstimatedIncrementCount(s), 1);
}

TEST(RunMarch, BarrelBelowMeltingPointNamesTheFaultAndWhere) {
    // 65 degC below the melting point: no viscous heating makes up for that,
    // and the film thickness would be the root of a negative number.
    SimulationState s = DefaultInputs();
    s.BarrelC0 = 200;
    try {
        RunMarch(s);
        FAIL() << "expected an arithmetic error";
    } catch (const ArithmeticError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Invalid floating-point operation", 0), 0u) << text;
        EXPECT_NE(text.find("Film at increment 1 (FLIGHT 5.10)"), std::string::npos) << text;
    }
}

TEST(RunMarch, BarrelFallingBelowMeltingPointPartWayIsReportedAtItsIncrement) {
    SimulationState s = DefaultInputs();
    s.BarrelC1 = 0.01;  // falls along the screw, below 265 about seven turns after the delay
    s.BarrelC2 = 0.02;
    try {
        RunMarch(s);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.find("increment 1 "), std::string::npos) << text;
        EXPECT_NE(text.find("FLIGHT"), std::string::npos) << text;
    }
}

// Barrel profiles for which the closed-form and profile solutions would hand
// the film to each other for ever within one increment (at the FLIGHT noted).
TEST(RunMarch, EndlessHandoverBetweenFilmSolutionsIsBroken) {
    struct Case {
        double c0, c1, c2, rate, speed;
    };
    const Case cases[] = {
        {283.36730457779032, -0.061793185869780609, -0.014961644822243512, 202.94324615503714,
         46.278058184878759},  // FLIGHT 8.90
        {291.66430932110086, -0.08684446143239008, -0.013289718200751029, 443.3703788514963,
         63.583537265659878},  // FLIGHT 8.50
    };
    for (const Case& c : cases) {
        SimulationState s = DefaultInputs();
        s.BarrelC0 = c.c0;
        s.BarrelC1 = c.c1;
        s.BarrelC2 = c.c2;
        s.OutputRate = c.rate;
        s.ScrewSpeed = c.speed;
        EXPECT_NO_THROW(RunMarch(s)) << "C0 " << c.c0;
        EXPECT_GT(s.StepCount, 20);
    }
}

// Plausible barrel profiles (between 270 and 350 degC along the whole screw):
// every run ends with rows, never with an endless iteration, and carries no
// NaN or infinity into the rows.
TEST(RunMarch, PlausibleBarrelProfilesAlwaysEnd) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> c0(275, 330), c1(-0.3, 0.05), c2(-0.02, 0.02), rate(100, 500), speed(20, 80);
    int runs = 0;
    while (runs < 150) {
        SimulationState s = DefaultInputs();
        s.BarrelC0 = c0(random);
        s.BarrelC1 = c1(random);
        s.BarrelC2 = c2(random);
        s.OutputRate = rate(random);
        s.ScrewSpeed = speed(random);
        const double atEnd = s.BarrelC0 * (1 - s.BarrelC1 * std::exp(s.BarrelC2 * 300));
        const double atStart = s.BarrelC0 * (1 - s.BarrelC1);
        if (atStart < 270 || atStart > 350 || atEnd < 270 || atEnd > 350) continue;
        ++runs;
        ASSERT_NO_THROW(RunMarch(s)) << "C0 " << s.BarrelC0 << " C1 " << s.BarrelC1 << " C2 " << s.BarrelC2;
        for (int i = 1; i <= s.StepCount; ++i) {
            ASSERT_TRUE(std::isfinite(s.ResSolidFraction[i]) && std::isfinite(s.ResFilmThickness[i]) &&
                        std::isfinite(s.ResInversePsi[i]) && std::isfinite(s.ResViscousPower[i]))
                << "row " << i;
        }
    }
}

}  // namespace
}  // namespace tadmor
