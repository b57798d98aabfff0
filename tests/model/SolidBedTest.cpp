// Solid bed: melting flux, solid fraction, width, and the recording of an increment.

#include <gtest/gtest.h>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "support/Digits.h"

namespace tadmor {
namespace {

using test::RoundsTo;

// The default material inputs and the film results of the worked example.
SimulationState MeltingFluxExample() {
    SimulationState s;
    s.MeltDensity = 1.2;
    s.MeltConductivity = 0.00052;
    s.MeltingPoint = 265;
    s.SolidTemp = 30;
    s.SolidHeat = 0.4;
    s.BarrelTemp = 290;
    s.BarrelSpeedX = 9.052460;
    s.ShapeFactor = 0.95;
    s.ViscousHeatTerm = 0.02;
    s.MeltEnthalpy = 27.3;
    s.ChannelWidth = 12.79336;
    s.SolidBedWidthIn = 12.79336;
    s.SolidBedWidth = 12.79336;
    s.MassFlow = 83.33333;
    s.FeedDepth = 1.4;
    s.ChannelDepth = 1.4;
    s.FeedLength = 247.2681;
    s.CompressionLength = 296.7217;
    s.DepthTaper = 0.003370161;
    return s;
}

TEST(ComputeMeltingFlux, FeedZoneWorkedExample) {
    SimulationState s = MeltingFluxExample();
    s.ChannelPosition = 0;
    s.StepLength = 9.890725;
    ComputeMeltingFlux(s);
    EXPECT_TRUE(RoundsTo(s.MeltingFlux, "0.03127910"));
    EXPECT_TRUE(RoundsTo(s.Psi, "0.001879559"));
    EXPECT_TRUE(RoundsTo(s.SolidFraction, "0.9867654"));

    UpdateSolidBedWidth(s);
    EXPECT_TRUE(RoundsTo(s.SolidBedWidthOut, "12.62404"));
    EXPECT_TRUE(RoundsTo(s.SolidBedWidthMean, "12.70870"));
    EXPECT_EQ(s.SolidBedWidthPrev, 12.79336);  // the width this pass was solved with
    EXPECT_EQ(s.SolidBedWidth, s.SolidBedWidthMean);
}

TEST(ComputeMeltingFlux, CompressionZoneFractionCanRiseAboveOne) {
    SimulationState s = MeltingFluxExample();
    s.ChannelPosition = s.FeedLength;  // starts exactly at the end of the feed zone
    s.StepLength = 4.945362;
    ComputeMeltingFlux(s);
    EXPECT_TRUE(RoundsTo(s.Psi, "0.001879559"));  // same formula in every zone, with FeedDepth
    EXPECT_TRUE(RoundsTo(s.SolidFraction, "1.005320"));
}

TEST(ComputeMeltingFlux, ZoneBoundariesWithinTolerance) {
    // Within 0.00001 cm of the end of the feed zone: tapered formula.
    SimulationState s = MeltingFluxExample();
    s.StepLength = 4.945362;
    s.ChannelPosition = s.FeedLength - 0.000009;
    ComputeMeltingFlux(s);
    EXPECT_TRUE(RoundsTo(s.SolidFraction, "1.005320"));

    // Just before that tolerance: still the feed zone's constant depth.
    s.ChannelPosition = s.FeedLength - 0.00002;
    ComputeMeltingFlux(s);
    EXPECT_LT(s.SolidFraction, 1.0);

    // Within 0.00001 cm of the end of the compression zone: metering, constant depth.
    s.ChannelPosition = s.FeedLength + s.CompressionLength - 0.000009;
    s.StepLength = 9.890725;
    ComputeMeltingFlux(s);
    EXPECT_TRUE(RoundsTo(s.SolidFraction, "0.9867654"));
}

TEST(ComputeMeltingFlux, BedMeltedWithinTheIncrementCountsAsNone) {
    // A small throughput makes Psi so large that the bracket turns negative:
    // the bed is gone, rather than squared back into existence.
    SimulationState s = MeltingFluxExample();
    s.MassFlow = 0.5;
    s.StepLength = 9.890725;
    ComputeMeltingFlux(s);
    EXPECT_GT(s.Psi * s.StepLength / (2 * s.ChannelDepth), 1.0);
    EXPECT_EQ(s.SolidFraction, 0.0);

    s.ChannelPosition = s.FeedLength;  // tapered channel
    s.StepLength = 4.945362;
    s.MassFlow = 0.05;
    ComputeMeltingFlux(s);
    EXPECT_EQ(s.SolidFraction, 0.0);
}

TEST(ComputeMeltingFlux, UntaperedCompressionZoneUsesConstantDepth) {
    // Equal feed and metering depths: no taper, and the tapered formula's limit
    // is the constant-depth one rather than a division by zero.
    SimulationState s = MeltingFluxExample();
    s.DepthTaper = 0;
    s.ChannelPosition = s.FeedLength;
    s.StepLength = 9.890725;
    ClearArithmeticFaults();
    ComputeMeltingFlux(s);
    EXPECT_NO_THROW(CheckArithmetic(s, "ComputeMeltingFlux"));
    EXPECT_TRUE(RoundsTo(s.SolidFraction, "0.9867654"));
}

TEST(ComputeMeltingFlux, BarrelBelowMeltingPointIsAnArithmeticError) {
    SimulationState s = MeltingFluxExample();
    s.BarrelTemp = 200;  // colder than the viscous heating makes up
    s.StepLength = 9.890725;
    ClearArithmeticFaults();
    ComputeMeltingFlux(s);
    EXPECT_THROW(CheckArithmetic(s, "ComputeMeltingFlux"), ArithmeticError);
}

SimulationState RecordExample() {
    SimulationState s;
    s.MeltDensity = 1.2;
    s.FusionHeat = 17.7;
    s.MeltHeat = 0.48;
    s.SolidHeat = 0.4;
    s.MeltConductivity = 0.00052;
    s.MeltingPoint = 265;
    s.SolidTemp = 30;
    s.MeltRate = 0.075;
    s.StepLength = 9.890725;
    s.FilmAvgTemp = 285;
    s.BarrelTemp = 290;
    s.SolidBedWidth = 12.7087;
    s.InterfaceGradient = 1000;
    s.TotalVolumeFlow = 69.44444;
    s.ScrewDiameter = 15;
    s.HelixAngle = 0.3081691;
    s.DelayTurns = 5;
    s.StepNo = 1;
    return s;
}

TEST(RecordIncrement, FirstIncrementWorkedExample) {
    SimulationState s = RecordExample();
    RecordIncrement(s);
    EXPECT_TRUE(RoundsTo(s.TotalHeat, "116.8787"));
    EXPECT_TRUE(RoundsTo(s.TotalPower, "0.4889036"));
    EXPECT_TRUE(RoundsTo(s.ViscousHeat, "51.51560"));
    EXPECT_TRUE(RoundsTo(s.ViscousPower, "0.2154898"));
    EXPECT_TRUE(RoundsTo(s.StepMeltRate, "0.7418044"));
    EXPECT_TRUE(RoundsTo(s.MeltedFlow, "0.7418044"));
    EXPECT_TRUE(RoundsTo(s.SolidFlowRatio, "0.9893180"));
    // A fifth of a turn after a delay of five turns: FLIGHT 5.1.
    EXPECT_TRUE(RoundsTo(s.FlightPosition, "5.100000"));
    ASSERT_EQ(s.ResTotalPower.size(), 2u);
    EXPECT_EQ(s.ResTotalPower[1], s.TotalPower);
    EXPECT_EQ(s.ResSolidFlowRatio[1], s.SolidFlowRatio);
    EXPECT_EQ(s.ResFlight[1], s.FlightPosition);
}

TEST(RecordIncrement, RowHoldsTheIncrementsValuesInColumnOrder) {
    SimulationState s = RecordExample();
    s.StepNo = 3;  // columns grow to the row
    s.ChannelDepth = 1.25;
    s.SolidFraction = 0.75;
    s.SolvedMidTemp = 281.5;
    s.FilmThickness = 0.021;
    s.Psi = 0.004;
    RecordIncrement(s);
    ASSERT_EQ(s.ResFlight.size(), 4u);
    EXPECT_EQ(s.ResDepth[3], 1.25);
    EXPECT_EQ(s.ResSolidFraction[3], 0.75);
    EXPECT_EQ(s.ResBarrelTemp[3], 290);
    EXPECT_EQ(s.ResSolvedMidTemp[3], 281.5);
    EXPECT_EQ(s.ResFilmAvgTemp[3], 285);
    EXPECT_EQ(s.ResFilmThickness[3], 0.021);
    EXPECT_EQ(s.ResInversePsi[3], 250);
    EXPECT_EQ(s.ResViscousPower[3], s.ViscousPower);
}

TEST(AdvanceIncrement, DepthFallsOnlyInTheCompressionZone) {
    SimulationState s = RecordExample();
    s.FeedLength = 247.2681;
    s.CompressionLength = 296.7217;
    s.DepthTaper = 0.003370161;
    s.ChannelDepth = 1.4;
    s.SolidBedWidthOut = 12.5;
    s.Psi = 0.002;

    s.ChannelPosition = 0;  // feed zone: depth unchanged
    AdvanceIncrement(s);
    EXPECT_EQ(s.ChannelDepth, 1.4);
    EXPECT_EQ(s.ChannelPosition, 9.890725);
    EXPECT_EQ(s.SolidBedWidthIn, 12.5);
    EXPECT_EQ(s.SolidBedWidth, 12.5);

    s.ChannelPosition = s.FeedLength - 0.000005;  // starts at the end of the feed zone
    s.StepLength = 4.945362;
    AdvanceIncrement(s);
    EXPECT_DOUBLE_EQ(s.ChannelDepth, 1.4 - 0.003370161 * 4.945362);

    const double depth = s.ChannelDepth;
    s.ChannelPosition = s.FeedLength + s.CompressionLength - 0.000005;  // metering
    AdvanceIncrement(s);
    EXPECT_EQ(s.ChannelDepth, depth);
}

}  // namespace
}  // namespace tadmor
