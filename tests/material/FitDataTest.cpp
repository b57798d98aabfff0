// What a fit is made from and the material it makes: a table's points and
// name, a law sampled over its window, and the material with its base.
#include "material/FitData.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(FitData, LawsThatCannotBeFittedOverTheirWindow) {
    const StandardLawInfo& cross = *FindStandardLaw("cross-wlf");
    // The pole at T_K = D2 - A2 = 340 K, 66.85 degC.
    const LawParameters poled = {{"n", 0.3}, {"tau", 30000}, {"D1", 1e12}, {"D2", 400}, {"A1", 25}, {"A2", 60}};
    EXPECT_NE(ErrorTextOf(
                  [&] {
                      LawData(cross, poled, {50, 150, 10, 1000});
                  },
                  ErrorKind::Fit)
                  .find(": its pole, where A2 + T_K - D2 = 0, lies at T = D2 - A2 = 66.85 degC"),
              std::string::npos);
    EXPECT_EQ(LawData(cross, poled, {70, 150, 10, 1000}).points.size(), 9u * 21u);
    EXPECT_EQ(ErrorTextOf([&] {
                  LawData(cross, poled, {-300, 150, 10, 1000});
              }),
              "the window's temperatures must start above absolute zero, -273.15 degC, not at -300 degC");
    // A negative eta_inf takes the viscosity below 0 at high shear rates.
    EXPECT_NE(ErrorTextOf(
                  [] {
                      LawData(*FindStandardLaw("carreau-yasuda"),
                              {{"eta0", 5000}, {"eta_inf", -100}, {"lambda", 1}, {"n", 0.2}, {"Tref", 200}},
                              {180, 240, 10, 1e6});
                  },
                  ErrorKind::Fit)
                  .find(": it gives no finite positive viscosity at 180 degC and "),
              std::string::npos);
}

// A window narrower than the data can resolve is one temperature and one
// shear rate: the law is the constant ln(m 10^(n - 1) / 98.0665).
TEST(FitData, AWindowTooNarrowToResolveGivesAConstantLaw) {
    const LawFit fit = FitLaw(
        LawData(*FindStandardLaw("power-law"), {{"m", 1000}, {"n", 0.5}}, {200, 200.0000000001, 10, 10.000000001}));
    EXPECT_NEAR(fit.coefficients[0], std::log(1000 / std::sqrt(10.0) / 98.0665), 1e-9);
    for (int i = 1; i < kLawCoefficientCount; ++i) EXPECT_EQ(fit.coefficients[i], 0) << kMaterialInputs[i];
}

TEST(FitData, ABaseOfThermalPropertiesAlone) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "tadmor-fitdata-thermal.material";
    std::ofstream(path) << "SolidDensity = 0.92\nMeltDensity = 0.8\nSolidHeat = 0.5\nFusionHeat = 30\n"
                           "MeltHeat = 0.6\nMeltConductivity = 0.0006\nMeltingPoint = 110\n";
    const Material base = ReadBaseMaterial(path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(base.values[kMaterialInputCount - 1], 110);
    // It names no source: its path is the source of the thermal properties.
    LawFit fit;
    fit.coefficients = {7, -0.5, 0, -0.01, 0, 0};
    const Material fitted = FittedMaterial(fit, FitData{{}, "t", "t"}, base, "", "");
    EXPECT_EQ(fitted.sources.back(), "thermal properties: the material file " + path.string());
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

    // A law of one temperature has b = 0 everywhere: the model's film
    // solutions divide by it, so no run could use the file.
    fit.coefficients = {7, -0.5, 0, 0, 0, 0};
    fit.fitted = {true, true, false, false, false, false};
    EXPECT_EQ(ErrorTextOf([&] { FittedMaterial(fit, data, std::nullopt, "", ""); }, ErrorKind::Fit),
              "the law fitted to the rheometer table t.csv makes no material file that could run: its temperature "
              "sensitivity b = -d ln eta / dT is 0 1/degC at every temperature and shear rate, and a run needs b above "
              "0 (the melt thinning as it is heated); one temperature cannot give b: measure at two or more");
}

}  // namespace
}  // namespace tadmor::material
