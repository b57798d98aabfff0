#include "material/Units.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "model/Error.h"
#include "report/TextLines.h"

namespace tadmor::material {

namespace {

// Factors. 1 gf = 9.80665 mN exactly (the kilogram-force is defined by the
// standard acceleration of gravity, 9.80665 m/s², adopted by the 3rd CGPM in
// 1901), so 1 gf s/cm2 = 9.80665e-3 N s / 1e-4 m2 = 98.0665 Pa s exactly.
constexpr long double kPascalSecondsPerGramForceSecond = 98.0665L;
// The thermochemical calorie, 1 cal = 4.184 J exactly (the calorie of
// material data tables). The model's own constants imply slightly other
// calories: 42690 gf cm = 4.18646 J, and 0.004183 kW per cal/s = 4.183 J.
constexpr long double kJoulesPerCalorie = 4.184L;
struct UnitEntry {
    Quantity quantity;
    Unit unit;
};

// The first entry of each quantity is the model's unit.
const UnitEntry kUnits[] = {
    {Quantity::Viscosity, {"gf.s/cm2"}},
    // ln(eta in gf s/cm2) = ln(eta in Pa s) - ln 98.0665
    {Quantity::Viscosity, {"Pa.s", 1, kPascalSecondsPerGramForceSecond}},
    // 1 P = 1 dyn s/cm2 = 0.1 Pa s, so 1 gf s/cm2 = 980.665 P
    {Quantity::Viscosity, {"P", 1, 10 * kPascalSecondsPerGramForceSecond}},
    {Quantity::LawTemperature, {"degC"}},
    {Quantity::LawTemperature, {"K", 1, 1, -kKelvinAtZeroCelsius}},
    {Quantity::Density, {"g/cm3"}},
    // 1 kg/m3 = 1000 g / 1e6 cm3
    {Quantity::Density, {"kg/m3", 1, 1000}},
    {Quantity::SpecificHeat, {"cal/(g.degC)"}},
    {Quantity::SpecificHeat, {"cal/(g.K)"}},
    // 1 J/(kg K) = 1e-3 J/(g K) = 1e-3 / 4.184 cal/(g K)
    {Quantity::SpecificHeat, {"J/(kg.K)", 1, 1000 * kJoulesPerCalorie}},
    {Quantity::SpecificHeat, {"J/(kg.degC)", 1, 1000 * kJoulesPerCalorie}},
    {Quantity::SpecificHeat, {"kJ/(kg.K)", 1, kJoulesPerCalorie}},
    {Quantity::SpecificHeat, {"kJ/(kg.degC)", 1, kJoulesPerCalorie}},
    {Quantity::SpecificHeat, {"J/(g.K)", 1, kJoulesPerCalorie}},
    {Quantity::SpecificHeat, {"J/(g.degC)", 1, kJoulesPerCalorie}},
    {Quantity::LatentHeat, {"cal/g"}},
    {Quantity::LatentHeat, {"J/g", 1, kJoulesPerCalorie}},
    {Quantity::LatentHeat, {"kJ/kg", 1, kJoulesPerCalorie}},
    {Quantity::LatentHeat, {"J/kg", 1, 1000 * kJoulesPerCalorie}},
    {Quantity::Conductivity, {"cal/(cm.s.degC)"}},
    {Quantity::Conductivity, {"cal/(cm.s.K)"}},
    // 1 W/(m K) = 1 J/(s m K) = (1 / 4.184) cal / (s 100 cm K)
    {Quantity::Conductivity, {"W/(m.K)", 1, 100 * kJoulesPerCalorie}},
    {Quantity::Conductivity, {"W/(m.degC)", 1, 100 * kJoulesPerCalorie}},
    {Quantity::Temperature, {"degC"}},
    {Quantity::Temperature, {"K", 1, 1, -kKelvinAtZeroCelsius}},
    {Quantity::ShearRate, {"1/s"}},
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

std::string NormalisedUnit(std::string_view text) {
    // A blank between two symbols multiplies ("kg K"); other blanks go.
    std::string unit;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (c == '^') continue;
        if (blank && !unit.empty() && std::string_view("/(.*").find(unit.back()) == std::string_view::npos &&
            std::string_view("/).*").find(c) == std::string_view::npos)
            unit += '.';
        blank = false;
        unit += c;
    }
    ReplaceAll(unit, "\u00B7", ".");  // middle dot
    ReplaceAll(unit, "*", ".");
    ReplaceAll(unit, "\u00B0C", "degC");
    ReplaceAll(unit, "\u2103", "degC");  // the single-character degree Celsius sign
    ReplaceAll(unit, "\u00B3", "3");
    ReplaceAll(unit, "\u00B2", "2");
    // "a/b/c" and "a/b.c" mean "a/(b.c)".
    const std::size_t slash = unit.find('/');
    if (slash != std::string::npos && unit.find_first_of("/.", slash + 1) != std::string::npos &&
        unit.find('(') == std::string::npos) {
        std::string denominator = unit.substr(slash + 1);
        ReplaceAll(denominator, "/", ".");
        unit = unit.substr(0, slash) + "/(" + denominator + ")";
    }
    return unit;
}

std::optional<Unit> FindUnit(Quantity quantity, std::string_view text) {
    const std::string name = NormalisedUnit(text);
    for (const UnitEntry& entry : kUnits)
        if (entry.quantity == quantity && entry.unit.name == name) return entry.unit;
    return std::nullopt;
}

Unit ModelUnit(Quantity quantity) {
    for (const UnitEntry& entry : kUnits)
        if (entry.quantity == quantity) return entry.unit;
    return {};
}

std::string UnitNames(Quantity quantity) {
    std::string names;
    for (const UnitEntry& entry : kUnits)
        if (entry.quantity == quantity) names += (names.empty() ? "" : ", ") + std::string(entry.unit.name);
    return names;
}

long double ToModel(const Unit& unit, long double value) { return value * unit.multiply / unit.divide + unit.offset; }

long double FromModel(const Unit& unit, long double value) {
    return (value - unit.offset) * unit.divide / unit.multiply;
}

namespace {

// A law in the temperature X rewritten in Y = X + shift: substituting
// X = Y - shift into a2 X + a22 X² + a12 L X moves terms into a0, a1 and a2.
LawCoefficients ShiftTemperature(LawCoefficients law, long double shift) {
    const long double a2 = law[3], a22 = law[4], a12 = law[5];
    law[0] += -a2 * shift + a22 * shift * shift;
    law[1] += -a12 * shift;
    law[3] = a2 - 2 * a22 * shift;
    return law;
}

}  // namespace

std::string NotANumber(std::string_view text) {
    // Shaped as a number but out of range: from_chars says so where
    // TextToExtended only says no. It takes no "+", and TextToExtended no
    // "inf" or "nan", which from_chars would read.
    std::string_view number = Trim(text);
    if (number.starts_with('+')) number.remove_prefix(1);
    double ignored;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), ignored);
    if (error == std::errc::result_out_of_range && end == number.data() + number.size())
        return ShownText(text) + " is beyond the range of a double";
    return ShownText(text) + " is not a number written with \".\"";
}

LawCoefficients LawToModel(const LawCoefficients& law, const Unit& viscosity, const Unit& temperature) {
    // T in degC = T in the law's scale + offset (offset -273.15 for kelvin).
    LawCoefficients model = ShiftTemperature(law, temperature.offset);
    model[0] += std::log(viscosity.multiply) - std::log(viscosity.divide);
    return model;
}

LawCoefficients LawFromModel(const LawCoefficients& law, const Unit& viscosity, const Unit& temperature) {
    LawCoefficients out = ShiftTemperature(law, -temperature.offset);
    out[0] -= std::log(viscosity.multiply) - std::log(viscosity.divide);
    return out;
}

}  // namespace tadmor::material
