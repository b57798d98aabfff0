#include "analysis/Sensitivity.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "material/Material.h"
#include "material/Units.h"
#include "model/Error.h"
#include "model/NumberText.h"

namespace tadmor::analysis {

namespace {

using material::LawFactor;
using Coefficients = std::array<double, material::kLawCoefficientCount>;

constexpr const char* kLawFactorNames[] = {"ViscosityLevel", "PowerLawIndex", "ViscosityTempSensitivity"};

Coefficients LawOf(const SimulationState& s) { return {s.ViscA0, s.ViscA1, s.ViscA11, s.ViscA2, s.ViscA22, s.ViscA12}; }

// The mean over the rows of the shear rate across the film, the relative
// speed over its thickness; without a row, that of the film of the increment
// that melted the bed.
double MeanFilmShearRate(const SimulationState& s) {
    if (s.StepCount == 0) return static_cast<double>(Extended(s.RelativeSpeed) / s.FilmThickness);
    Extended sum = 0;
    for (int row = 1; row <= s.StepCount; ++row) sum += Extended(s.RelativeSpeed) / s.ResFilmThickness[row];
    return static_cast<double>(sum / s.StepCount);
}

// The value of `factor` of the law `a` at the reference point of `result`:
// the viscosity in Pa s, n, or b in 1/degC.
double FactorValue(const SensitivityResult& result, const Coefficients& a, LawFactor factor) {
    const double rate = result.referenceShearRate, t = result.referenceTemperature;
    switch (factor) {
        case LawFactor::Level:
            return static_cast<double>(material::FromModel(*material::FindUnit(material::Quantity::Viscosity, "Pa.s"),
                                                           std::exp(material::LogViscosity(a, rate, t))));
        case LawFactor::Index:
            return static_cast<double>(material::LocalIndex(a, rate, t));
        case LawFactor::Sensitivity:
            return static_cast<double>(material::LocalSensitivity(a, rate, t));
    }
    return NAN;
}

// One calculation of `base` with `input` moved by `step` (% or K by its
// kind) down (`sign` -1) or up (+1): the input's value then and the summary.
std::pair<double, RunSummary> RunChanged(const inputs::Case& base, const SensitivityResult& result,
                                         const Coefficients& law, const InputResponse& input, double step, int sign) {
    inputs::Case changed = base;
    double value = 0;
    if (input.varied.field < 0) {
        const Coefficients scaled = material::ScaledLaw(law, input.varied.factor, 1 + sign * step / 100,
                                                        result.referenceShearRate, result.referenceTemperature);
        for (int i = 0; i < material::kLawCoefficientCount; ++i)
            if (scaled[i] != law[i])
                changed.texts[FieldIndexOf(material::kMaterialInputs[i])] = ExactNumber(scaled[i], base.separator);
        value = FactorValue(result, scaled, input.varied.factor);
    } else {
        value = input.kind == StepKind::Kelvin ? input.base + sign * step : input.base * (1 + sign * step / 100);
        changed.texts[input.varied.field] = ExactNumber(value, base.separator);
    }
    return {value, inputs::Summarize(changed, inputs::Calculate(changed))};
}

// Whether `input` is changed: a temperature always, any other input unless
// its base value is 0.
bool Changed(const InputResponse& input) { return input.kind == StepKind::Kelvin || input.base != 0; }

// Whether `measure` moves only in whole increments for some inputs (those
// that lengthen or shorten the screw): X/W at the end, and POWER TOT, a sum
// over the increments.
bool MovesInIncrements(const SensitivityResult& result, Measure measure) {
    return measure == Measure::Power || !result.base.interpolatedMeltedFlight;
}

// Why `response` at the input changed by `step` has no number, or "".
std::string Difference(const RunSummary& base, const RunSummary& response, const std::string& step) {
    switch (response.outcome) {
        case RequestOutcome::Completed:
            if (response.interpolatedMeltedFlight.has_value() == base.interpolatedMeltedFlight.has_value()) return "";
            return std::string(response.interpolatedMeltedFlight ? "melting completed" : "melting not completed") +
                   " at " + step;
        case RequestOutcome::InvalidInput:
            return "refused at " + step + ": " + response.message;
        case RequestOutcome::FileNotWritten:
        case RequestOutcome::CalculationError:
            return "calculation error at " + step + ": " + response.message;
    }
    return "";
}

// The step of `input` without its sign: "1 %" or "2 K".
std::string StepAmount(const SensitivityResult& result, const InputResponse& input) {
    return input.kind == StepKind::Kelvin ? ExactNumber(result.steps.kelvin) + " K"
                                          : ExactNumber(result.steps.percent) + " %";
}

// Why `input` gives no number of `measure` whatever its size, or "".
std::string NoNumber(const SensitivityResult& result, const InputResponse& input, Measure measure) {
    if (!Changed(input)) return "base value 0: no relative change";
    const std::string step = StepAmount(result, input);
    std::string why = Difference(result.base, input.atLow, "-" + step);
    if (why.empty()) why = Difference(result.base, input.atHigh, "+" + step);
    if (why.empty() && MeasureOf(result.base, result.base, measure) == 0) why = "the base case's value is 0";
    return why;
}

// Whether `measure` moves in whole increments and neither change of `input` moved it.
bool Unmoved(const SensitivityResult& result, const InputResponse& input, Measure measure) {
    const double y0 = MeasureOf(result.base, result.base, measure);
    return MovesInIncrements(result, measure) && MeasureOf(result.base, input.atLow, measure) == y0 &&
           MeasureOf(result.base, input.atHigh, measure) == y0;
}

}  // namespace

void CheckSteps(const SensitivitySteps& steps) {
    for (const auto& [step, unit, what] :
         {std::tuple(steps.percent, "%", "input"), std::tuple(steps.kelvin, "K", "temperature")})
        if (!(step > 0 && step <= kLargestStep))
            throw Error(ErrorKind::Input, std::string("the step of each ") + what + " must be above 0 and at most " +
                                              ExactNumber(kLargestStep) + " " + unit + ", not " + ExactNumber(step));
}

std::vector<Varied> SensitivityInputs(bool withMaterial, bool coefficients) {
    const int firstCoefficient = FieldIndexOf(material::kMaterialInputs[0]);
    const int lastCoefficient = firstCoefficient + material::kLawCoefficientCount - 1;
    std::vector<Varied> inputs;
    for (int i = 0; i < kNumericFieldCount; ++i) {
        const bool coefficient = firstCoefficient <= i && i <= lastCoefficient;
        if (coefficient ? coefficients : kInputFields[i].editable || withMaterial) inputs.push_back({i});
        if (i == lastCoefficient && withMaterial)
            for (const LawFactor factor : {LawFactor::Level, LawFactor::Index, LawFactor::Sensitivity})
                inputs.push_back({-1, factor});
    }
    return inputs;
}

SensitivityResult Sensitivity(const inputs::Case& base, const std::vector<Varied>& inputs,
                              const SensitivitySteps& steps, const RunControl& control) {
    CheckSteps(steps);
    SensitivityResult result;
    result.steps = steps;
    const Calculation baseCalculation = inputs::Calculate(base);
    result.base = inputs::Summarize(base, baseCalculation);
    ++result.calculations;
    if (result.base.outcome != RequestOutcome::Completed) return result;
    const SimulationState& s = baseCalculation.state;
    result.referenceTemperature = s.MeltingPoint;
    result.referenceShearRate = MeanFilmShearRate(s);
    const Coefficients law = LawOf(s);

    std::vector<InputResponse> responses;
    for (const Varied& varied : inputs) {
        InputResponse input;
        input.varied = varied;
        if (varied.field < 0) {
            input.base = FactorValue(result, law, varied.factor);
        } else {
            input.base = s.*kInputFields[varied.field].value;
            if (kInputFields[varied.field].unit == "°C") input.kind = StepKind::Kelvin;
        }
        input.low = input.high = input.base;
        responses.push_back(input);
    }
    const auto stepOf = [&](const InputResponse& input) {
        return input.kind == StepKind::Kelvin ? steps.kelvin : steps.percent;
    };

    // Each of `rows` lowered and raised by `step(input)`, each side a task of
    // its own: the sides by 2 x row (+ 1 raised), empty where not run.
    using Side = std::optional<std::pair<double, RunSummary>>;
    std::size_t done = 0;
    const auto runPairs = [&](const std::vector<std::size_t>& rows, const auto& step) {
        std::vector<std::size_t> todo;
        for (const std::size_t row : rows) todo.insert(todo.end(), {2 * row, 2 * row + 1});
        std::vector<Side> sides(2 * responses.size());
        RunTasks(
            todo, done, done + todo.size(),
            [&](std::size_t task) {
                const InputResponse& input = responses[task / 2];
                sides[task] = RunChanged(base, result, law, input, step(input), task % 2 == 1 ? 1 : -1);
            },
            control);
        done += todo.size();
        for (const std::size_t task : todo) result.calculations += sides[task] ? 1 : 0;
        return sides;
    };
    const auto bothRan = [](const std::vector<Side>& sides, std::size_t row) {
        return sides[2 * row] && sides[2 * row + 1];
    };

    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < responses.size(); ++i)
        if (Changed(responses[i])) rows.push_back(i);
    const std::vector<Side> sides = runPairs(rows, stepOf);
    for (const std::size_t i : rows) {
        if (!bothRan(sides, i)) continue;
        std::tie(responses[i].low, responses[i].atLow) = *sides[2 * i];
        std::tie(responses[i].high, responses[i].atHigh) = *sides[2 * i + 1];
    }

    // The measures that did not move, run again at doubled steps until they
    // move or the step reaches kLargestStep.
    std::vector<std::vector<Measure>> unmoved(responses.size());
    for (const std::size_t i : rows)
        if (bothRan(sides, i) && stepOf(responses[i]) < kLargestStep)
            for (const Measure measure : kMeasures)
                if (NoNumber(result, responses[i], measure).empty() && Unmoved(result, responses[i], measure))
                    unmoved[i].push_back(measure);
    for (double multiple = 2;; multiple *= 2) {
        const auto wider = [&](const InputResponse& input) { return std::min(stepOf(input) * multiple, kLargestStep); };
        std::vector<std::size_t> searched;
        for (std::size_t i = 0; i < responses.size(); ++i)
            if (!unmoved[i].empty()) searched.push_back(i);
        if (searched.empty() || StopRequested(control)) break;
        const std::vector<Side> widerSides = runPairs(searched, wider);
        for (const std::size_t i : searched) {
            if (!bothRan(widerSides, i)) continue;
            std::erase_if(unmoved[i], [&](Measure measure) {
                const double y0 = MeasureOf(result.base, result.base, measure);
                for (const Side* side : {&widerSides[2 * i], &widerSides[2 * i + 1]})
                    if ((*side)->second.outcome == RequestOutcome::Completed &&
                        MeasureOf(result.base, (*side)->second, measure) != y0) {
                        responses[i].resolvingStep[static_cast<int>(measure)] = wider(responses[i]);
                        return true;
                    }
                return false;
            });
            if (wider(responses[i]) == kLargestStep) unmoved[i].clear();  // no step moves what is left
        }
    }

    // Left out: the inputs not run, and those stopped while still searched.
    for (std::size_t i = 0; i < responses.size(); ++i)
        if ((!Changed(responses[i]) || bothRan(sides, i)) && unmoved[i].empty())
            result.inputs.push_back(std::move(responses[i]));
    return result;
}

double MeasureOf(const RunSummary& base, const RunSummary& response, Measure measure) {
    if (measure == Measure::Power) return response.totalPower.value_or(0);
    return base.interpolatedMeltedFlight ? response.interpolatedMeltedFlight.value_or(NAN)
                                         : response.solidFractionAtEnd.value_or(NAN);
}

Change ChangeOf(const SensitivityResult& result, const InputResponse& input, Measure measure) {
    Change change;
    change.why = NoNumber(result, input, measure);
    if (!change.why.empty()) return change;
    if (Unmoved(result, input, measure)) {
        const std::string name = measure == Measure::Power ? "POWER TOT" : "X/W at the end";
        const std::string unit = input.kind == StepKind::Kelvin ? " K" : " %";
        const std::optional<double> resolving = input.resolvingStep[static_cast<int>(measure)];
        change.why =
            resolving ? "step below the resolution of " + name + ": ±" + ExactNumber(*resolving) + unit + " resolves it"
                      : "no effect on " + name + " up to ±" + ExactNumber(kLargestStep) + unit;
        return change;
    }
    const double y0 = MeasureOf(result.base, result.base, measure);
    const double yLow = MeasureOf(result.base, input.atLow, measure);
    const double yHigh = MeasureOf(result.base, input.atHigh, measure);
    change.lowPercent = 100 * (yLow - y0) / y0;
    change.highPercent = 100 * (yHigh - y0) / y0;
    const double relative = (yHigh - yLow) / y0;
    change.sensitivity = input.kind == StepKind::Kelvin ? 100 * relative / (input.high - input.low)
                                                        : relative / ((input.high - input.low) / input.base);
    return change;
}

std::vector<const InputResponse*> Ranked(const SensitivityResult& result, Measure measure) {
    std::vector<std::pair<const InputResponse*, std::optional<double>>> inputs;
    for (const InputResponse& input : result.inputs) {
        const Change change = ChangeOf(result, input, measure);
        inputs.emplace_back(&input, change.sensitivity
                                        ? std::optional(std::fabs(*change.highPercent - *change.lowPercent))
                                        : std::nullopt);
    }
    std::stable_sort(inputs.begin(), inputs.end(), [](const auto& a, const auto& b) {
        if (!a.second || !b.second) return a.second.has_value() && !b.second.has_value();
        return *a.second > *b.second;
    });
    std::vector<const InputResponse*> ranked;
    for (const auto& input : inputs) ranked.push_back(input.first);
    return ranked;
}

std::string MeasureName(const SensitivityResult& result, Measure measure) {
    if (measure == Measure::Power) return "POWER TOT (kW)";
    return result.base.interpolatedMeltedFlight ? "FLIGHT where melting completed (turns)"
                                                : "X/W at the end of the screw (-)";
}

std::string InputName(const InputResponse& input) {
    return input.varied.field < 0 ? kLawFactorNames[static_cast<int>(input.varied.factor)]
                                  : std::string(kInputFields[input.varied.field].variable);
}

std::string StepText(const SensitivityResult& result, const InputResponse& input) {
    return "±" + StepAmount(result, input);
}

std::string SensitivityUnit(StepKind kind) { return kind == StepKind::Kelvin ? "% per K" : "elasticity"; }

}  // namespace tadmor::analysis
