#include "material/FitData.h"

#include <filesystem>

#include "model/InputFields.h"
#include "model/NumberText.h"

namespace tadmor::material {

std::string WindowText(const FittedRange& r) {
    return NumberText(r.temperatureMin, 1) + " to " + NumberText(r.temperatureMax, 1) + " degC, " +
           SignificantNumber(r.shearRateMin, 4) + " to " + SignificantNumber(r.shearRateMax, 4) + " 1/s";
}

FitData TableData(const std::string& path, const TableUnits& units) {
    return {ReadRheometerTable(path, units), "the rheometer table " + path,
            std::filesystem::path(path).stem().string()};
}

FitData LawData(const StandardLawInfo& law, const LawParameters& given, const FittedRange& window) {
    if (!(window.temperatureMin < window.temperatureMax) || !(window.shearRateMin < window.shearRateMax))
        throw Error(ErrorKind::Input, "the window's temperatures and shear rates each need FROM below TO");
    if (!(window.shearRateMin > 0)) throw Error(ErrorKind::Input, "the window's shear rates must start above 0");
    const LawParameters parameters = CompleteLawParameters(law, given);
    std::string description = std::string(law.name) + " (";
    bool first = true;
    for (const LawParameter& parameter : law.parameters) {
        description += (first ? "" : ", ") + std::string(parameter.name) + " = " +
                       ExactNumber(parameters.find(parameter.name)->second) +
                       (parameter.unit == "-" ? "" : " " + std::string(parameter.unit));
        first = false;
    }
    description += ") sampled over " + WindowText(window);
    return {SampleStandardLaw(law.law, parameters, window), description, std::string(law.name)};
}

Material FittedMaterial(const LawFit& fit, const FitData& data, const std::optional<Material>& base,
                        const std::string& name, const std::string& source) {
    Material material;
    if (base) {
        material = *base;
        for (std::string& baseSource : material.sources) baseSource = "thermal properties: " + baseSource;
    } else {
        const FieldTexts defaults = DefaultFieldTexts('.');
        for (int i = 0; i < kMaterialInputCount; ++i)
            material.values[i] = *TextToNumber(defaults[FieldIndexOf(kMaterialInputs[i])], '.');
        material.sources = {
            "thermal properties: the window's defaults (no --base material was given); "
            "replace them with the polymer's own"};
    }
    material.name = name.empty() ? data.name : name;
    std::vector<std::string> sources;
    if (!source.empty()) sources.push_back(source);
    sources.push_back("viscosity law fitted by tadmor fit to " + data.description + "; error of eta RMS " +
                      NumberText(fit.rmsPercentError, 3) + " %, largest " + NumberText(fit.maxPercentError, 3) + " %");
    material.sources.insert(material.sources.begin(), sources.begin(), sources.end());
    for (int i = 0; i < kLawCoefficientCount; ++i) material.values[i] = fit.coefficients[i];
    material.range = fit.range;
    return material;
}

}  // namespace tadmor::material
