#include "analysis/Sensitivity.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"

namespace tadmor::analysis {

namespace {

// Why `response` at the input changed by `percent` has no number, or "".
std::string Difference(const RunSummary& base, const RunSummary& response, const std::string& percent) {
    switch (response.outcome) {
        case RequestOutcome::Completed:
            if (response.interpolatedMeltedFlight.has_value() == base.interpolatedMeltedFlight.has_value()) return "";
            return std::string(response.interpolatedMeltedFlight ? "melting completed" : "melting not completed") +
                   " at " + percent;
        case RequestOutcome::InvalidInput:
            return "refused at " + percent + ": " + response.message;
        case RequestOutcome::FileNotWritten:
        case RequestOutcome::CalculationError:
            return "calculation error at " + percent + ": " + response.message;
    }
    return "";
}

}  // namespace

std::vector<int> SensitivityFields(bool withMaterial) {
    std::vector<int> fields;
    for (int i = 0; i < kNumericFieldCount; ++i)
        if (kInputFields[i].editable || withMaterial) fields.push_back(i);
    return fields;
}

SensitivityResult Sensitivity(const inputs::Case& base, const std::vector<int>& fields, double percent,
                              const RunControl& control) {
    SensitivityResult result;
    result.percent = percent;
    const double step = percent / 100;
    const Calculation baseCalculation = inputs::Calculate(base);
    result.base = inputs::Summarize(base, baseCalculation);
    ++result.calculations;
    if (result.base.outcome != RequestOutcome::Completed) return result;

    // Each input's two calculations are two tasks, each writing its own side.
    std::vector<InputResponse> responses;
    for (const int field : fields) {
        InputResponse input;
        input.field = field;
        input.base = input.low = input.high = baseCalculation.state.*kInputFields[field].value;
        responses.push_back(input);
    }
    std::vector<std::size_t> todo;
    for (std::size_t i = 0; i < responses.size(); ++i)
        if (responses[i].base != 0) todo.insert(todo.end(), {2 * i, 2 * i + 1});
    std::vector<bool> ran(2 * responses.size());
    RunTasks(
        todo, 0, todo.size(),
        [&](std::size_t task) {
            InputResponse& input = responses[task / 2];
            const bool raised = task % 2 == 1;
            inputs::Case changed = base;
            changed.texts[input.field] = ExactNumber(input.base * (raised ? 1 + step : 1 - step), base.separator);
            const Calculation calculation = inputs::Calculate(changed);
            (raised ? input.high : input.low) = calculation.state.*kInputFields[input.field].value;
            (raised ? input.atHigh : input.atLow) = inputs::Summarize(changed, calculation);
            ran[task] = true;
        },
        control);
    for (std::size_t i = 0; i < responses.size(); ++i) {
        if (responses[i].base != 0 && !(ran[2 * i] && ran[2 * i + 1])) continue;
        result.calculations += responses[i].base != 0 ? 2 : 0;
        result.inputs.push_back(std::move(responses[i]));
    }
    return result;
}

double MeasureOf(const RunSummary& base, const RunSummary& response, Measure measure) {
    if (measure == Measure::Power) return response.totalPower.value_or(0);
    return base.interpolatedMeltedFlight ? response.interpolatedMeltedFlight.value_or(NAN)
                                         : response.solidFractionAtEnd.value_or(NAN);
}

Change ChangeOf(const SensitivityResult& result, const InputResponse& input, Measure measure) {
    Change change;
    if (input.base == 0) {
        change.why = "base value 0: no relative change";
        return change;
    }
    const std::string percent = ExactNumber(result.percent) + " %";
    change.why = Difference(result.base, input.atLow, "-" + percent);
    if (change.why.empty()) change.why = Difference(result.base, input.atHigh, "+" + percent);
    if (!change.why.empty()) return change;
    const double y0 = MeasureOf(result.base, result.base, measure);
    if (y0 == 0) {
        change.why = "the base case's value is 0";
        return change;
    }
    const double yLow = MeasureOf(result.base, input.atLow, measure);
    const double yHigh = MeasureOf(result.base, input.atHigh, measure);
    change.lowPercent = 100 * (yLow - y0) / y0;
    change.highPercent = 100 * (yHigh - y0) / y0;
    change.elasticity = (yHigh - yLow) / y0 / ((input.high - input.low) / input.base);
    return change;
}

std::vector<const InputResponse*> Ranked(const SensitivityResult& result, Measure measure) {
    std::vector<std::pair<const InputResponse*, std::optional<double>>> inputs;
    for (const InputResponse& input : result.inputs)
        inputs.emplace_back(&input, ChangeOf(result, input, measure).elasticity);
    std::stable_sort(inputs.begin(), inputs.end(), [](const auto& a, const auto& b) {
        if (!a.second || !b.second) return a.second.has_value() && !b.second.has_value();
        return std::fabs(*a.second) > std::fabs(*b.second);
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

}  // namespace tadmor::analysis
