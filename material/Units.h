// The units a material file may give its values in, and their exact
// conversion to the model's units (g, cm, s, cal, degC; viscosities in
// gf s/cm2).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tadmor::material {

// 0 degC = 273.15 K exactly (SI Brochure, 9th edition, 2019).
inline constexpr long double kKelvinAtZeroCelsius = 273.15L;
// Absolute zero in degC: no temperature of a material, a table or a law lies
// at or below it.
inline constexpr double kAbsoluteZero = -273.15;

// Why `text`, a value of a material file or table that TextToExtended does
// not read, is not a number: beyond the range of a double, or not written as
// one with ".". `text` is quoted as ShownText quotes it.
std::string NotANumber(std::string_view text);

enum class Quantity {
    Viscosity,       // the viscosity that the law gives
    LawTemperature,  // the temperature scale of the law's T
    Density,
    SpecificHeat,
    LatentHeat,
    Conductivity,
    Temperature,
    ShearRate,
};

// value in the model's unit = value × multiply / divide + offset. A factor
// is kept as a ratio of two exact decimals so that it is applied with one
// rounding, in the 64-bit mantissa of long double.
struct Unit {
    std::string_view name;  // the normalised spelling (see NormalisedUnit)
    long double multiply = 1;
    long double divide = 1;
    long double offset = 0;
};

// The spelling that units are compared in: a blank between two symbols as
// ".", other blanks removed, "·" and "*" as
// ".", "°C" and "℃" as "degC", "³" as "3", "²" as "2", "^" dropped, and
// "a/b/c" or "a/b.c" as "a/(b.c)".
std::string NormalisedUnit(std::string_view text);

// The unit of `quantity` named `text` (in any spelling NormalisedUnit
// accepts), or nothing.
std::optional<Unit> FindUnit(Quantity quantity, std::string_view text);

// The model's own unit of `quantity`.
Unit ModelUnit(Quantity quantity);

// The accepted names of `quantity`, for messages: "g/cm3, kg/m3".
std::string UnitNames(Quantity quantity);

long double ToModel(const Unit& unit, long double value);
long double FromModel(const Unit& unit, long double value);

// The six coefficients of the viscosity law, in the order a0, a1, a11, a2,
// a22, a12: ln eta = a0 + a1 L + a11 L² + a2 T + a22 T² + a12 L T with
// L = ln(shear rate in 1/s).
using LawCoefficients = std::array<long double, 6>;

// A law giving eta in `viscosity` with T on the scale `temperature`,
// rewritten to give eta in gf s/cm2 with T in degC; and back.
LawCoefficients LawToModel(const LawCoefficients& law, const Unit& viscosity, const Unit& temperature);
LawCoefficients LawFromModel(const LawCoefficients& law, const Unit& viscosity, const Unit& temperature);

}  // namespace tadmor::material
