// The solid bed: melting flux, solid fraction and width of an increment, and
// the bookkeeping that records an increment and moves the march on.

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "model/ResultColumns.h"

namespace tadmor {

namespace {

// Whether the increment starting at ChannelPosition lies in the compression zone.
bool InCompressionZone(const SimulationState& s) {
    const Extended position = s.ChannelPosition;
    return s.FeedLength - position < kZoneTolerance &&
           s.FeedLength + Extended(s.CompressionLength) - position >= kZoneTolerance;
}

// The solid fraction is R x bracket^2. A negative bracket means the solid bed
// has melted completely within the increment: squaring it would bring back a
// solid bed that is not there, so it counts as none.
double SolidFractionOf(Extended startFraction, Extended bracket) {
    if (bracket < 0) return 0;
    return Store(startFraction * (bracket * bracket));
}

}  // namespace

long double TurnLength(const SimulationState& s) {
    return kCircle * s.ScrewDiameter / std::cos(Extended(s.HelixAngle));
}

double IncrementFlight(const SimulationState& s) {
    return Store((s.ChannelPosition + 0.5L * s.StepLength) / TurnLength(s) + s.DelayTurns);
}

void ComputeMeltingFlux(SimulationState& s) {
    const Extended tb = s.BarrelTemp, tm = s.MeltingPoint, ts = s.SolidTemp;
    const Extended conductive = s.MeltConductivity * (tb - tm) + s.ViscousHeatTerm / 2.0L;
    s.MeltingFlux = Store(std::sqrt(Extended(s.BarrelSpeedX) * s.ShapeFactor * s.MeltDensity * conductive /
                                    (2 * (s.SolidHeat * (tm - ts) + s.MeltEnthalpy))));

    const Extended width = s.ChannelWidth;
    s.Psi = Store(s.MeltingFlux * std::sqrt(width) * s.FeedDepth / (s.MassFlow * std::sqrt(s.SolidBedWidthIn / width)));

    const Extended startFraction = s.SolidBedWidthIn / width;
    const Extended depth = s.ChannelDepth, taper = s.DepthTaper, step = s.StepLength;
    const Extended psi = s.Psi;
    if (InCompressionZone(s) && taper != 0) {
        const Extended ratio = psi / taper;
        s.SolidFraction =
            SolidFractionOf(startFraction, ratio - (ratio - 1) * std::sqrt(depth / (depth - taper * step)));
    } else {
        // Constant depth; also the exact limit of the tapered formula for a
        // compression zone without taper (feed and metering depth equal).
        s.SolidFraction = SolidFractionOf(startFraction, 1 - psi * step / (2 * depth));
    }
}

double MeltedFlight(const SimulationState& s) {
    // Within the increment X/W = start x bracket(dz)^2, bracket falling from 1;
    // it reaches kMeltedFraction where bracket = q.
    const Extended start = Extended(s.SolidBedWidthIn) / s.ChannelWidth;
    const Extended q = std::sqrt(kMeltedFraction / start);
    const Extended depth = s.ChannelDepth, taper = s.DepthTaper, psi = s.Psi;
    Extended dz;
    if (InCompressionZone(s) && taper != 0) {
        // ratio - (ratio - 1) sqrt(depth / (depth - taper dz)) = q
        const Extended ratio = psi / taper;
        const Extended root = (ratio - q) / (ratio - 1);
        dz = depth * (1 - 1 / (root * root)) / taper;
    } else {
        dz = 2 * depth * (1 - q) / psi;  // 1 - psi dz / (2 depth) = q
    }
    dz = std::clamp<Extended>(dz, 0, s.StepLength);
    return Store((s.ChannelPosition + dz) / TurnLength(s) + s.DelayTurns);
}

void UpdateSolidBedWidth(SimulationState& s) {
    s.SolidBedWidthOut = Store(Extended(s.SolidFraction) * s.ChannelWidth);
    s.SolidBedWidthMean = Store((Extended(s.SolidBedWidthIn) + s.SolidBedWidthOut) / 2);
    s.SolidBedWidthPrev = s.SolidBedWidth;
    s.SolidBedWidth = s.SolidBedWidthMean;
}

void RecordIncrement(SimulationState& s) {
    const Extended step = s.StepLength;
    s.FlightPosition = IncrementFlight(s);
    s.InversePsi = Store(1.0L / s.Psi);

    const Extended tm = s.MeltingPoint;
    const double heat = Store(
        Extended(s.MeltRate) * s.MeltDensity *
        (s.FusionHeat + s.MeltHeat * (s.FilmAvgTemp - tm) + s.SolidHeat * (Extended(s.BarrelTemp) - s.SolidTemp)) *
        step);
    s.TotalHeat = Store(Extended(s.TotalHeat) + heat);
    s.ViscousHeat = Store(Extended(s.ViscousHeat) + heat -
                          Extended(s.MeltConductivity) * s.SolidBedWidth * s.InterfaceGradient * step);
    s.TotalPower = Store(kKilowattPerCalorie * s.TotalHeat);
    s.ViscousPower = Store(kKilowattPerCalorie * s.ViscousHeat);

    s.StepMeltRate = Store(s.MeltRate * step);
    s.MeltedFlow = Store(Extended(s.MeltedFlow) + s.StepMeltRate);
    s.SolidFlowRatio = Store((Extended(s.TotalVolumeFlow) - s.MeltedFlow) / s.TotalVolumeFlow);

    const auto row = static_cast<std::size_t>(s.StepNo);
    for (const ResultColumn& column : kResultColumns) {
        std::vector<double>& values = s.*column.values;
        if (values.size() <= row) values.resize(row + 1);
        values[row] = s.*column.recorded;
    }
    for (auto [values, value] :
         {std::pair{&s.RowPowerLawIndex, s.PowerLawIndex}, std::pair{&s.RowTempSensitivity, s.TempSensitivity}}) {
        if (values->size() <= row) values->resize(row + 1);
        (*values)[row] = value;
    }
}

void AdvanceIncrement(SimulationState& s) {
    RecordIncrement(s);
    if (InCompressionZone(s)) s.ChannelDepth = Store(s.ChannelDepth - Extended(s.DepthTaper) * s.StepLength);
    s.ChannelPosition = Store(Extended(s.ChannelPosition) + s.StepLength);
    s.SolidBedWidthIn = s.SolidBedWidthOut;
    s.SolidBedWidth = s.SolidBedWidthOut;
}

void RecordLastIncrement(SimulationState& s) { RecordIncrement(s); }

}  // namespace tadmor
