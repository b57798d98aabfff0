#include "analysis/Sensitivity.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"

namespace tadmor::analysis {

namespace {

// The shortest text that reads back as `value`, with `separator`.
std::string ExactText(double value, char separator) {
    std::string text = ExactNumber(value);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

// What `calculation` gave, as the sensitivity measures it.
Response ResponseOf(const Calculation& calculation) {
    Response response;
    response.outcome = calculation.outcome;
    response.message = calculation.message;
    if (calculation.outcome != RequestOutcome::Completed) return response;
    const SimulationState& s = calculation.state;
    if (MeltingCompleted(s)) response.meltedFlight = MeltedFlight(s);
    if (s.StepCount > 0) {
        response.solidFraction = response.meltedFlight ? 0 : s.ResSolidFraction[s.StepCount];
        response.totalPower = s.ResTotalPower[s.StepCount];
    }
    return response;
}

// Why `response` at the input changed by `percent` has no number, or "".
std::string Difference(const Response& base, const Response& response, const std::string& percent) {
    switch (response.outcome) {
        case RequestOutcome::Completed:
            if (response.meltedFlight.has_value() == base.meltedFlight.has_value()) return "";
            return std::string(response.meltedFlight ? "melting completed" : "melting not completed") + " at " +
                   percent;
        case RequestOutcome::InvalidInput: return "refused at " + percent + ": " + response.message;
        case RequestOutcome::FileNotWritten:
        case RequestOutcome::CalculationError: return "calculation error at " + percent + ": " + response.message;
    }
    return "";
}

}  // namespace

SensitivityResult Sensitivity(const FieldTexts& texts, char separator, const std::vector<int>& fields,
                              double percent) {
    SensitivityResult result;
    result.percent = percent;
    const double step = percent / 100;
    const Calculation base = Calculate(texts, separator);
    result.base = ResponseOf(base);
    ++result.calculations;
    if (result.base.outcome != RequestOutcome::Completed) return result;
    for (const int field : fields) {
        double SimulationState::*const value = kInputFields[field].value;
        InputResponse input;
        input.field = field;
        input.base = input.low = input.high = base.state.*value;
        if (input.base != 0) {
            FieldTexts changed = texts;
            changed[field] = ExactText(input.base * (1 - step), separator);
            const Calculation low = Calculate(changed, separator);
            changed[field] = ExactText(input.base * (1 + step), separator);
            const Calculation high = Calculate(changed, separator);
            input.low = low.state.*value;
            input.high = high.state.*value;
            input.atLow = ResponseOf(low);
            input.atHigh = ResponseOf(high);
            result.calculations += 2;
        }
        result.inputs.push_back(std::move(input));
    }
    return result;
}

double MeasureOf(const Response& base, const Response& response, Measure measure) {
    if (measure == Measure::Power) return response.totalPower;
    return base.meltedFlight ? response.meltedFlight.value_or(NAN) : response.solidFraction;
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

}  // namespace tadmor::analysis
