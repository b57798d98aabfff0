// Unit conversions: the factors against their definitions, each unit there
// and back, and the viscosity law moved between temperature scales and
// viscosity units.
#include <gtest/gtest.h>

#include <cmath>

#include "material/Units.h"

namespace tadmor::material {
namespace {

Unit UnitOrFail(Quantity quantity, std::string_view name) {
    const std::optional<Unit> unit = FindUnit(quantity, name);
    EXPECT_TRUE(unit.has_value()) << name;
    return unit.value_or(Unit{});
}

// One model-unit quantity in other units, from the definitions: 1 cal =
// 4.184 J, 1 gf s/cm2 = 98.0665 Pa s, 0 degC = 273.15 K.
TEST(Units, FactorsFollowFromTheDefinitions) {
    EXPECT_EQ(FromModel(UnitOrFail(Quantity::Density, "kg/m3"), 1.34L), 1340.0L);
    EXPECT_NEAR(static_cast<double>(FromModel(UnitOrFail(Quantity::SpecificHeat, "J/(kg.K)"), 1)), 4184.0, 1e-12);
    EXPECT_NEAR(static_cast<double>(FromModel(UnitOrFail(Quantity::SpecificHeat, "kJ/(kg.K)"), 0.4L)), 1.6736, 1e-15);
    EXPECT_NEAR(static_cast<double>(FromModel(UnitOrFail(Quantity::LatentHeat, "J/g"), 17.7L)), 74.0568, 1e-13);
    EXPECT_NEAR(static_cast<double>(FromModel(UnitOrFail(Quantity::LatentHeat, "kJ/kg"), 1)), 4.184, 1e-15);
    EXPECT_NEAR(static_cast<double>(FromModel(UnitOrFail(Quantity::Conductivity, "W/(m.K)"), 0.00052L)), 0.217568,
                1e-16);
    EXPECT_NEAR(static_cast<double>(FromModel(UnitOrFail(Quantity::Temperature, "K"), 265)), 538.15, 1e-13);
    EXPECT_NEAR(static_cast<double>(ToModel(UnitOrFail(Quantity::Temperature, "K"), 0)), -273.15, 1e-13);
    // A viscosity of 1 Pa s is 1/98.0665 gf s/cm2: ln eta moves by ln 98.0665.
    const LawCoefficients onePascalSecond = {0, 0, 0, 0, 0, 0};
    const LawCoefficients model =
        LawToModel(onePascalSecond, UnitOrFail(Quantity::Viscosity, "Pa.s"), ModelUnit(Quantity::LawTemperature));
    EXPECT_NEAR(static_cast<double>(model[0]), -4.5856458199736500166, 1e-15);
}

TEST(Units, EveryUnitThereAndBack) {
    const Quantity quantities[] = {Quantity::Density, Quantity::SpecificHeat, Quantity::LatentHeat,
                                   Quantity::Conductivity, Quantity::Temperature};
    for (const Quantity quantity : quantities) {
        const std::string names = UnitNames(quantity);
        std::size_t start = 0;
        while (start < names.size()) {
            const std::size_t end = std::min(names.find(", ", start), names.size());
            const Unit unit = UnitOrFail(quantity, names.substr(start, end - start));
            for (const long double value : {0.00052L, 0.4L, 17.7L, 265.0L, 1340.0L}) {
                // An offset (273.15 K) bounds the error of the sum, not the value.
                const double tolerance = 1e-15 * static_cast<double>(value + std::fabs(unit.offset));
                EXPECT_NEAR(static_cast<double>(ToModel(unit, FromModel(unit, value))), static_cast<double>(value),
                            tolerance)
                    << unit.name;
                EXPECT_NEAR(static_cast<double>(FromModel(unit, ToModel(unit, value))), static_cast<double>(value),
                            tolerance)
                    << unit.name;
            }
            start = end + 2;
        }
    }
}

TEST(Units, SpellingsOfOneUnit) {
    for (const char* spelling : {"J/(kg.K)", "J/(kg·K)", "J/(kg*K)", "J/kg/K", "J / (kg K)", "J/kg K"})
        EXPECT_TRUE(FindUnit(Quantity::SpecificHeat, spelling).has_value()) << spelling;
    for (const char* spelling : {"kg/m3", "kg/m^3", "kg/m\u00B3"})
        EXPECT_TRUE(FindUnit(Quantity::Density, spelling).has_value()) << spelling;
    for (const char* spelling : {"degC", "\u00B0C", "\u2103"})
        EXPECT_TRUE(FindUnit(Quantity::Temperature, spelling).has_value()) << spelling;
    EXPECT_TRUE(FindUnit(Quantity::Conductivity, "cal/cm/s/degC").has_value());
    EXPECT_TRUE(FindUnit(Quantity::Conductivity, "W/m/K").has_value());
    // A unit of another quantity does not fit.
    EXPECT_FALSE(FindUnit(Quantity::SpecificHeat, "kg/m3").has_value());
    EXPECT_FALSE(FindUnit(Quantity::Density, "g/cm2").has_value());
}

long double LnEta(const LawCoefficients& a, long double shearRate, long double temperature) {
    const long double l = std::log(shearRate);
    return a[0] + a[1] * l + a[2] * l * l + a[3] * temperature + a[4] * temperature * temperature +
           a[5] * l * temperature;
}

// The window's law written for eta in Pa s and T in kelvin gives, at T + 273.15
// K, 98.0665 times the viscosity of the model's law at T degC; and the
// coefficients come back.
TEST(Units, ViscosityLawBetweenScalesAndUnits) {
    const LawCoefficients model = {7.442L, -0.80314L, -0.055098L, 0.0047899L, -0.00012377L, 0.0047277L};
    const Unit pascal = UnitOrFail(Quantity::Viscosity, "Pa.s");
    const Unit kelvin = UnitOrFail(Quantity::LawTemperature, "K");
    const LawCoefficients si = LawFromModel(model, pascal, kelvin);
    // a0, a1 and a2 as worked out by hand (in decimal, 40 digits) from
    // a0' = a0 + ln 98.0665 - a2 c + a22 c², a1' = a1 - a12 c, a2' = a2 - 2 a22 c.
    EXPECT_NEAR(static_cast<double>(si[0]), 1.48469075714865001658, 1e-15);
    EXPECT_NEAR(static_cast<double>(si[1]), -2.094511255, 1e-15);
    EXPECT_NEAR(static_cast<double>(si[3]), 0.0724054510, 1e-17);
    EXPECT_EQ(si[2], model[2]);
    EXPECT_EQ(si[4], model[4]);
    EXPECT_EQ(si[5], model[5]);
    for (const long double rate : {1.0L, 37.0L, 850.0L})
        for (const long double celsius : {180.0L, 265.0L, 300.0L})
            EXPECT_NEAR(static_cast<double>(LnEta(si, rate, celsius + 273.15L)),
                        static_cast<double>(LnEta(model, rate, celsius) + std::log(98.0665L)), 1e-13);
    const LawCoefficients back = LawToModel(si, pascal, kelvin);
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(static_cast<double>(back[i]), static_cast<double>(model[i]), 1e-17 + 1e-16 * std::fabs(model[i]));
}

}  // namespace
}  // namespace tadmor::material
