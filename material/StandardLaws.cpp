#include "material/StandardLaws.h"

#include <algorithm>
#include <cmath>

#include "material/Units.h"
#include "model/NumberText.h"

namespace tadmor::material {

namespace {

// The molar gas constant, R = N_A k = 8.314462618... J/(mol K), exact since
// the 2019 definition of the SI (CODATA 2018).
constexpr long double kGasConstant = 8.31446261815324L;

long double Parameter(const LawParameters& parameters, std::string_view name) { return parameters.find(name)->second; }

// exp(E/R (1/T - 1/Tref)), E in kJ/mol, temperatures in degC.
long double ArrheniusShift(long double activation, long double temperature, long double reference) {
    return std::exp(1000 * activation / kGasConstant *
                    (1 / (temperature + kKelvinAtZeroCelsius) - 1 / (reference + kKelvinAtZeroCelsius)));
}

}  // namespace

const std::vector<StandardLawInfo> kStandardLaws = {
    {StandardLaw::CrossWlf,
     "cross-wlf",
     "eta = eta0 / (1 + (eta0 gamma / tau*)^(1 - n)),\n"
     "eta0 = D1 exp(-A1 (T_K - D2) / (A2 + T_K - D2)), T_K = T + 273.15",
     {
         {"n", "n", "-", "power-law index of the shear-thinning region", std::nullopt, std::nullopt},
         {"tau", "tau*", "Pa", "shear stress of the transition to shear thinning", std::nullopt, 0.0},
         {"D1", "D1", "Pa.s", "zero-shear viscosity at T_K = D2", std::nullopt, 0.0},
         {"D2", "D2", "K", "reference temperature (at atmospheric pressure: D3 = 0)", std::nullopt, 0.0},
         {"A1", "A1", "-", "WLF constant", std::nullopt, std::nullopt},
         {"A2", "A2~", "K", "WLF constant", std::nullopt, std::nullopt},
     }},
    {StandardLaw::CarreauYasuda,
     "carreau-yasuda",
     "eta = aT (eta_inf + (eta0 - eta_inf) (1 + (lambda aT gamma)^a)^((n - 1) / a)),\n"
     "aT = exp(Ea/R (1/(T + 273.15) - 1/(Tref + 273.15)))",
     {
         {"eta0", "eta0", "Pa.s", "zero-shear viscosity at Tref", std::nullopt, 0.0},
         {"eta_inf", "eta_inf", "Pa.s", "infinite-shear viscosity at Tref", 0.0, std::nullopt},
         {"lambda", "lambda", "s", "time constant at Tref", std::nullopt, std::nullopt},
         {"a", "a", "-", "Yasuda exponent (2: the Carreau law)", 2.0, 0.0},
         {"n", "n", "-", "power-law index", std::nullopt, std::nullopt},
         {"Tref", "T_ref", "degC", "reference temperature", std::nullopt, kAbsoluteZero},
         {"Ea", "E_a", "kJ/mol", "activation energy of flow (0: no temperature shift)", 0.0, std::nullopt},
     }},
    {StandardLaw::PowerLaw,
     "power-law",
     "eta = m exp(-b (T - T0)) gamma^(n - 1), or with Ea given instead of b:\n"
     "eta = m exp(Ea/R (1/(T + 273.15) - 1/(T0 + 273.15))) gamma^(n - 1)",
     {
         {"m", "m", "Pa.s^n", "consistency at T0", std::nullopt, 0.0},
         {"n", "n", "-", "power-law index", std::nullopt, std::nullopt},
         {"T0", "T0", "degC", "reference temperature", 0.0, kAbsoluteZero},
         {"b", "b", "1/degC", "temperature coefficient (exponential law)", 0.0, std::nullopt},
         {"Ea", "E_a", "kJ/mol", "activation energy of flow (Arrhenius law; with Ea, give no b)", 0.0, std::nullopt},
     }},
};

std::string ParameterText(const LawParameter& parameter, double value) {
    return ExactNumber(value) + (parameter.unit == "-" ? "" : " " + std::string(parameter.unit));
}

const StandardLawInfo* FindStandardLaw(std::string_view name) {
    for (const StandardLawInfo& law : kStandardLaws)
        if (law.name == name) return &law;
    return nullptr;
}

LawParameters CompleteLawParameters(const StandardLawInfo& law, const LawParameters& given) {
    std::string names;
    for (const LawParameter& parameter : law.parameters)
        names += (names.empty() ? "" : ", ") + std::string(parameter.name);
    for (const auto& [name, value] : given) {
        const std::string& givenName = name;  // a structured binding is not captured by every compiler
        if (std::none_of(law.parameters.begin(), law.parameters.end(),
                         [&](const LawParameter& parameter) { return parameter.name == givenName; }))
            throw Error(ErrorKind::Input, std::string(law.name) + " has no parameter " + ShownText(name) +
                                              " (its parameters: " + names + ")");
        if (!std::isfinite(value))
            throw Error(ErrorKind::Input, std::string(law.name) + " parameter " + name + " is not a finite number");
    }
    LawParameters parameters = given;
    for (const LawParameter& parameter : law.parameters) {
        if (!parameters.count(parameter.name)) {
            if (!parameter.defaultValue)
                throw Error(ErrorKind::Input, std::string(law.name) + " needs the parameter " +
                                                  std::string(parameter.name) + " (" + std::string(parameter.meaning) +
                                                  ", " + std::string(parameter.unit) + ")");
            parameters.emplace(std::string(parameter.name), *parameter.defaultValue);
        }
        const double value = parameters.find(parameter.name)->second;
        if (parameter.above && !(value > *parameter.above)) {
            const bool temperature = parameter.unit == "degC" || parameter.unit == "K";
            throw Error(ErrorKind::Input, std::string(law.name) + " parameter " + std::string(parameter.name) +
                                              " must be above " + (temperature ? "absolute zero, " : "") +
                                              ParameterText(parameter, *parameter.above) + ", not " +
                                              ExactNumber(value));
        }
    }
    if (law.law == StandardLaw::PowerLaw && Parameter(parameters, "b") != 0 && Parameter(parameters, "Ea") != 0)
        throw Error(ErrorKind::Input, "power-law takes either b (exponential) or Ea (Arrhenius), not both");
    return parameters;
}

std::optional<double> LawPole(StandardLaw law, const LawParameters& parameters) {
    if (law != StandardLaw::CrossWlf) return std::nullopt;
    return static_cast<double>(Parameter(parameters, "D2") - Parameter(parameters, "A2") - kKelvinAtZeroCelsius);
}

double StandardLawViscosity(StandardLaw law, const LawParameters& p, double temperature, double shearRate) {
    const long double t = temperature, rate = shearRate;
    switch (law) {
        case StandardLaw::CrossWlf: {
            const long double kelvin = t + kKelvinAtZeroCelsius;
            const long double above = kelvin - Parameter(p, "D2");
            const long double zeroShear =
                Parameter(p, "D1") * std::exp(-Parameter(p, "A1") * above / (Parameter(p, "A2") + above));
            return static_cast<double>(zeroShear /
                                       (1 + std::pow(zeroShear * rate / Parameter(p, "tau"), 1 - Parameter(p, "n"))));
        }
        case StandardLaw::CarreauYasuda: {
            const long double shift = ArrheniusShift(Parameter(p, "Ea"), t, Parameter(p, "Tref"));
            const long double a = Parameter(p, "a"), infinite = Parameter(p, "eta_inf");
            const long double reduced = infinite + (Parameter(p, "eta0") - infinite) *
                                                       std::pow(1 + std::pow(Parameter(p, "lambda") * shift * rate, a),
                                                                (Parameter(p, "n") - 1) / a);
            return static_cast<double>(shift * reduced);
        }
        case StandardLaw::PowerLaw: {
            const long double reference = Parameter(p, "T0");
            const long double factor = Parameter(p, "Ea") != 0 ? ArrheniusShift(Parameter(p, "Ea"), t, reference)
                                                               : std::exp(-Parameter(p, "b") * (t - reference));
            return static_cast<double>(Parameter(p, "m") * factor * std::pow(rate, Parameter(p, "n") - 1));
        }
    }
    return NAN;
}

std::vector<RheometerPoint> SampleStandardLaw(StandardLaw law, const LawParameters& parameters,
                                              const FittedRange& window, int temperatureCount, int rateCount) {
    const Unit pascalSeconds = *FindUnit(Quantity::Viscosity, "Pa.s");
    const long double lowRate = std::log(static_cast<long double>(window.shearRateMin));
    const long double highRate = std::log(static_cast<long double>(window.shearRateMax));
    std::vector<RheometerPoint> points;
    for (int i = 0; i < temperatureCount; ++i) {
        const double t = static_cast<double>(window.temperatureMin +
                                             (static_cast<long double>(window.temperatureMax) - window.temperatureMin) *
                                                 i / (temperatureCount - 1));
        for (int j = 0; j < rateCount; ++j) {
            const double rate = static_cast<double>(std::exp(lowRate + (highRate - lowRate) * j / (rateCount - 1)));
            const double eta = StandardLawViscosity(law, parameters, t, rate);
            points.push_back({t, rate, static_cast<double>(ToModel(pascalSeconds, eta))});
        }
    }
    return points;
}

}  // namespace tadmor::material
