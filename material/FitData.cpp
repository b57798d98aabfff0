#include "material/FitData.h"

#include <cmath>
#include <filesystem>

#include "material/Units.h"
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
    if (!(window.temperatureMin > kAbsoluteZero))
        throw Error(ErrorKind::Input,
                    "the window's temperatures must start above absolute zero, -273.15 degC, not at " +
                        ExactNumber(window.temperatureMin) + " degC");
    const LawParameters parameters = CompleteLawParameters(law, given);
    std::string description = std::string(law.name) + " (";
    bool first = true;
    for (const LawParameter& parameter : law.parameters) {
        description += (first ? "" : ", ") + std::string(parameter.name) + " = " +
                       ParameterText(parameter, parameters.find(parameter.name)->second);
        first = false;
    }
    description += ") sampled over " + WindowText(window);
    const auto refuse = [&](const std::string& why) {
        throw Error(ErrorKind::Fit, "cannot fit " + description + ": " + why);
    };

    if (const std::optional<double> pole = LawPole(law.law, parameters); pole && window.temperatureMin <= *pole)
        refuse("its pole, where A2 + T_K - D2 = 0, lies at T = D2 - A2 = " + NumberText(*pole, 2) +
               " degC, and the law holds above it only: the window's temperatures must lie above the pole");
    FitData data{SampleStandardLaw(law.law, parameters, window), description, std::string(law.name)};
    for (const RheometerPoint& point : data.points)
        if (!(point.viscosity > 0 && std::isfinite(point.viscosity)))
            refuse("it gives no finite positive viscosity at " + SignificantNumber(point.temperature, 6) +
                   " degC and " + SignificantNumber(point.shearRate, 6) + " 1/s");
    return data;
}

LawFit FitLaw(const FitData& data) {
    try {
        return FitViscosityLaw(data.points);
    } catch (const Error& error) {
        throw Error(error.Kind(), "cannot fit " + data.description + ": " + error.what());
    }
}

Material ReadBaseMaterial(const std::string& path) {
    Material base = ReadMaterialFile(path, MaterialUse::FitBase);
    if (base.sources.empty()) base.sources.push_back("the material file " + path);
    return base;
}

Material FittedMaterial(const LawFit& fit, const FitData& data, const std::optional<Material>& base,
                        const std::string& name, const std::string& source) {
    // b = -(a2 + 2 a22 T + a12 L): without a22 and a12 it is one number, and
    // the model's film solutions need it above 0 wherever a run goes.
    const auto& a = fit.coefficients;
    if (a[4] == 0 && a[5] == 0 && !(0 - a[3] > 0))
        throw Error(ErrorKind::Fit,
                    "the law fitted to " + data.description +
                        " makes no material file that could run: its temperature sensitivity b = "
                        "-d ln eta / dT is " +
                        SignificantNumber(0 - a[3], 4) +
                        " 1/degC at every temperature and shear rate, and a run needs b above 0 (the "
                        "melt thinning as it is heated)" +
                        (fit.fitted[3] ? "" : "; one temperature cannot give b: measure at two or more"));
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
