// Material files: a polymer's thirteen material inputs, with their units,
// its name, where its numbers come from and the range over which its
// viscosity law was fitted.
//
// Format (one NAME = VALUE per line, blank lines and lines starting with #
// ignored, numbers written with "."):
//
//   Name = LDPE
//   Source = Rao and Schumacher, Design Formulas for Plastics Engineers, ...
//   ViscosityUnits = Pa.s degC        # eta in Pa s, T in degC (the default: gf.s/cm2 degC)
//   ViscA0 = 11.82
//   ...
//   SolidDensity = 920 kg/m3          # a value may carry its unit
//   FitTemperatureMin = 180 degC      # optional: the fitted range, all four or none
//   FitTemperatureMax = 220 degC
//   FitShearRateMin = 10 1/s
//   FitShearRateMax = 1000 1/s
//
// docs/materials.md describes the format and the units.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "model/Error.h"

namespace tadmor::material {

inline constexpr int kMaterialInputCount = 13;
inline constexpr int kLawCoefficientCount = 6;  // the first six material inputs

// The material inputs by variable name: the six viscosity coefficients, then
// the thermal properties, in field order.
extern const std::array<std::string_view, kMaterialInputCount> kMaterialInputs;

// The temperatures (degC) and shear rates (1/s) of the data that the
// viscosity law was fitted to. A minimum may equal its maximum: data at one
// temperature or at one shear rate.
struct FittedRange {
    double temperatureMin = 0, temperatureMax = 0;
    double shearRateMin = 0, shearRateMax = 0;
};

struct Material {
    std::string name;
    std::vector<std::string> sources;                  // one Source line each
    std::array<double, kMaterialInputCount> values{};  // in the model's units, in kMaterialInputs order
    std::optional<FittedRange> range;
};

// What a material file must give: for a run, all thirteen inputs; as the
// base of a fit, whose law replaces the file's, the seven thermal properties
// and the six coefficients of the law all or none.
enum class MaterialUse { Run, FitBase };

// Reads the contents of a material file; `source` names it in errors.
Material ParseMaterial(std::string_view contents, std::string_view source, MaterialUse use = MaterialUse::Run);

// Reads the material file at `path`.
Material ReadMaterialFile(const std::string& path, MaterialUse use = MaterialUse::Run);

// The material file of `material`, every value in the model's units at full
// precision (it reads back to the same doubles).
std::string MaterialFileText(const Material& material);

// Writes MaterialFileText to `path`, whole or not at all. Throws
// Error of kind File, with the system's reason, when it cannot.
void WriteMaterialFile(const Material& material, const std::string& path);

// Sets the texts of the thirteen material inputs to the material's values,
// written with `separator`.
void ApplyMaterial(const Material& material, FieldTexts& texts, char separator);

}  // namespace tadmor::material
