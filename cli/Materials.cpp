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

std::vector<Warning> MaterialRangeWarnings(const std::string& path, const FieldTexts& texts, char separator,
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

std::vector<Warning> AllWarnings(const std::string& materialPath, const FieldTexts& texts, char separator,
                                 const SimulationState& state, RequestOutcome outcome) {
    if (outcome == RequestOutcome::InvalidInput) return {};
    std::vector<Warning> warnings = RunWarnings(state);
    if (outcome == RequestOutcome::Completed)
        for (Warning& warning : MaterialRangeWarnings(materialPath, texts, separator, state))
            warnings.push_back(std::move(warning));
    return warnings;
}

}  // namespace tadmor::cli
