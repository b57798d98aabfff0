// Standard viscosity laws of data sheets, sampled over a window of
// temperatures and shear rates so that the six-coefficient law can be fitted
// to them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "material/ViscosityFit.h"

namespace tadmor::material {

enum class StandardLaw { CrossWlf, CarreauYasuda, PowerLaw };

struct LawParameter {
    std::string_view name;    // as given on the command line: NAME=VALUE
    std::string_view symbol;  // the usual symbol
    std::string_view unit;
    std::string_view meaning;
    std::optional<double> defaultValue;  // none: required
    std::optional<double> above;         // the value must lie above it: 0, or absolute zero for a temperature
};

struct StandardLawInfo {
    StandardLaw law;
    std::string_view name;     // "cross-wlf", ...
    std::string_view formula;  // for --help, lines separated by \n
    std::vector<LawParameter> parameters;
};

extern const std::vector<StandardLawInfo> kStandardLaws;

// The law named `name`, or nullptr.
const StandardLawInfo* FindStandardLaw(std::string_view name);

using LawParameters = std::map<std::string, double, std::less<>>;

// `value` of `parameter` with its unit: "400 K", "0.3" (a parameter without one).
std::string ParameterText(const LawParameter& parameter, double value);

// The parameters `given` with the defaults of those not given. Throws Error
// of kind Input naming a parameter that is unknown, missing, not finite or
// not above its lower bound.
LawParameters CompleteLawParameters(const StandardLawInfo& law, const LawParameters& given);

// The temperature (degC) at which the law has a pole, or nothing: Cross-WLF's
// A2 + T_K - D2 = 0. The law holds above it only.
std::optional<double> LawPole(StandardLaw law, const LawParameters& parameters);

// The viscosity of the law in Pa s at `temperature` (degC) and `shearRate` (1/s).
double StandardLawViscosity(StandardLaw law, const LawParameters& parameters, double temperature, double shearRate);

// The law on a grid over the window, in the model's units: `temperatureCount`
// evenly spaced temperatures and `rateCount` shear rates evenly spaced in
// ln(shear rate), ends included.
std::vector<RheometerPoint> SampleStandardLaw(StandardLaw law, const LawParameters& parameters,
                                              const FittedRange& window, int temperatureCount = 9, int rateCount = 21);

}  // namespace tadmor::material
