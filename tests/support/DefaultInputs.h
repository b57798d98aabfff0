// The window's default inputs, set by hand (not through the field table or the
// text conversion, so that tests of those do not lean on what they test).
#pragma once

#include "model/Cal_Main.h"

namespace tadmor::test {

inline SimulationState DefaultInputs() {
    SimulationState s;
    s.ScrewDiameter = 15.0;
    s.FeedTurns = 10.0;
    s.CompressionTurns = 6.0;
    s.MeteringTurns = 8.7;
    s.DelayTurns = 5.0;
    s.FeedDepth = 1.4;
    s.MeteringDepth = 0.4;
    s.ScrewPitch = 15.0;
    s.FlightWidth = 1.5;
    s.ScrewSpeed = 38.0;
    s.OutputRate = 300.0;
    s.BarrelC0 = 290.0;
    s.BarrelC1 = 0.0;
    s.BarrelC2 = 0.0;
    s.ViscA0 = 7.442;
    s.ViscA1 = -0.80314;
    s.ViscA11 = -0.055098;
    s.ViscA2 = 0.0047899;
    s.ViscA22 = -0.00012377;
    s.ViscA12 = 0.0047277;
    s.SolidDensity = 1.34;
    s.MeltDensity = 1.2;
    s.SolidHeat = 0.4;
    s.FusionHeat = 17.7;
    s.MeltHeat = 0.48;
    s.MeltConductivity = 0.00052;
    s.MeltingPoint = 265.0;
    s.SolidTemp = 30.0;
    s.ResultFileName = "result.txt";
    return s;
}

}  // namespace tadmor::test
