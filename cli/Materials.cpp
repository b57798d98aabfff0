#include "cli/Materials.h"

#include "model/InputFields.h"
#include "cli/RunCommand.h"
#include "material/Material.h"
#include "material/RangeCheck.h"

namespace tadmor::cli {

namespace {

material::Material ReadMaterial(const std::string& path) {
    try {
        return material::ReadMaterialFile(path);
    } catch (const material::MaterialError& error) {
        throw UsageError(error.what());
    }
}

}  // namespace

void ApplyMaterialFile(const std::string& path, FieldTexts& texts, char separator) {
    material::ApplyMaterial(ReadMaterial(path), texts, separator);
}

std::vector<std::string> MaterialRangeWarnings(const std::string& path, const FieldTexts& texts, char separator,
                                               const SimulationState& state) {
    if (path.empty()) return {};
    const material::Material material = ReadMaterial(path);
    if (!material.range) return {};
    FieldTexts own = texts;
    material::ApplyMaterial(material, own, separator);
    for (int i = 0; i < material::kLawCoefficientCount; ++i) {
        const int field = FieldIndexOf(material::kMaterialInputs[i]);
        if (own[field] != texts[field]) return {};  // the law is not the material's
    }
    return material::FittedRangeWarnings(*material.range, state);
}

}  // namespace tadmor::cli
