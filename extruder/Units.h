// Exact unit conversions of the whole-extruder calculation. Its physics runs
// in SI units (m, kg, s, Pa, W); inputs come in the model's units and results
// go out in MPa, degC, kW and kWh/kg. The melting march keeps its own
// constants (model/Cal_Main.h) inside itself.
#pragma once

#include <numbers>

#include "model/Arithmetic.h"

namespace tadmor::extruder {

inline constexpr Extended kPi = std::numbers::pi_v<long double>;

inline constexpr Extended kMetrePerCm = 0.01L;
inline constexpr Extended kMetrePerMm = 0.001L;
inline constexpr Extended kPascalPerGfCm2 = 98.0665L;     // 1 gf = 980.665 dyn; viscosity gf s/cm2 -> Pa s
inline constexpr Extended kJoulePerCalorie = 4.184L;      // thermochemical calorie
inline constexpr Extended kJPerKgKPerCalPerGK = 4184.0L;  // specific heat cal/(g degC) -> J/(kg K)
inline constexpr Extended kWPerMKPerCalPerCmSK = 418.4L;  // conductivity cal/(cm s degC) -> W/(m K)
inline constexpr Extended kKgPerM3PerGPerCm3 = 1000.0L;   // density
inline constexpr Extended kSecondsPerHour = 3600.0L;
inline constexpr Extended kPascalPerMPa = 1.0e6L;
inline constexpr Extended kWattPerKW = 1000.0L;

inline Extended KgPerSecond(Extended kgPerHour) { return kgPerHour / kSecondsPerHour; }
inline Extended KgPerHour(Extended kgPerSecond) { return kgPerSecond * kSecondsPerHour; }

}  // namespace tadmor::extruder
