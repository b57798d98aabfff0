// What a fit is made from and the material it makes: a table's points and
// name, a law sampled over its window, and the material with its base.
#include "material/FitData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/Errors.h"

namespace tadmor::material {
namespace {

using tadmor::test::ErrorTextOf;

TEST(FitData, ATablesPointsAndTheLawOverItsWindow) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "tadmor-fitdata-ldpe.csv";
    std::ofstream(path) << "T (degC), shear rate (1/s), viscosity (Pa.s)\n200, 10, 980.665\n";
    const FitData table = TableData(path.string(), {});
    std::filesystem::remove(path);
    EXPECT_EQ(table.name, "tadmor-fitdata-ldpe");
    EXPECT_EQ(table.description, "the rheometer table " + path.string());
    ASSERT_EQ(table.points.size(), 1u);
    EXPECT_DOUBLE_EQ(table.points[0].viscosity, 10);  // 980.665 Pa.s in gf.s/cm2

    const FitData law =
        LawData(*FindStandardLaw("power-law"), {{"m", 1000}, {"n", 0.5}}, FittedRange{180, 240, 10, 1000});
    EXPECT_EQ(law.name, "power-law");
    EXPECT_EQ(law.points.size(), 9u * 21u);
    EXPECT_EQ(law.description,
              "power-law (m = 1000 Pa.s^n, n = 0.5, T0 = 0 degC, b = 0 1/degC, Ea = 0 kJ/mol) sampled over 180.0 to "
              "240.0 degC, 10 to 1000 1/s");
    EXPECT_EQ(ErrorTextOf([] {
                  LawData(*FindStandardLaw("power-law"), {{"m", 1}, {"n", 1}}, {180, 240, 0, 10});
              }),
              "the window's shear rates must start above 0");
    EXPECT_EQ(ErrorTextOf([] {
                  LawData(*FindStandardLaw("power-law"), {{"m", 1}, {"n", 1}}, {240, 180, 1, 10});
              }),
              "the window's temperatures and shear rates each need FROM below TO");
}

TEST(FitData, TheMaterialTakesTheLawTheRangeAndTheBasesThermalProperties) {
    LawFit fit;
    fit.coefficients = {7, -0.5, 0, -0.01, 0, 0};
    fit.range = {180, 240, 10, 1000};
    fit.rmsPercentError = 1.5;
    FitData data{{}, "the rheometer table t.csv", "t"};
    Material base;
    base.name = "base";
    base.sources = {"handbook"};
    base.values.fill(2);
    const Material withBase = FittedMaterial(fit, data, base, "", "lab 7");
    EXPECT_EQ(withBase.name, "t");
    EXPECT_EQ(withBase.values[0], 7);
    EXPECT_EQ(withBase.values[3], -0.01);
    EXPECT_EQ(withBase.values[kLawCoefficientCount], 2);  // SolidDensity from the base
    ASSERT_EQ(withBase.sources.size(), 3u);
    EXPECT_EQ(withBase.sources[0], "lab 7");
    EXPECT_EQ(withBase.sources[2], "thermal properties: handbook");
    ASSERT_TRUE(withBase.range);
    EXPECT_EQ(withBase.range->temperatureMax, 240);

    const Material alone = FittedMaterial(fit, data, std::nullopt, "LDPE", "");
    EXPECT_EQ(alone.name, "LDPE");
    EXPECT_EQ(alone.values[kMaterialInputCount - 1], 265);  // the window's melting point
}

}  // namespace
}  // namespace tadmor::material
