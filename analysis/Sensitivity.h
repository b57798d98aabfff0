// How much each input matters: the relative change of the melting and of the
// power when one input at a time is lowered and raised by the same fraction
// of its value, and the elasticity from the central difference. Each value is
// one calculation (Calculate); no file is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::analysis {

// What one calculation gave.
struct Response {
    RequestOutcome outcome = RequestOutcome::InvalidInput;
    std::string message;                 // the refusal's or the error's text
    std::optional<double> meltedFlight;  // MeltedFlight, when melting completed
    double solidFraction = 0;            // X/W of the last row, 0 when melting completed
    double totalPower = 0;               // kW, POWER TOT of the last row
};

// One input lowered and raised.
struct InputResponse {
    int field = 0;                    // index into kInputFields
    double base = 0, low = 0, high = 0;  // its values, as the calculations read them
    Response atLow, atHigh;           // nothing ran for a base value of 0
};

struct SensitivityResult {
    double percent = 0;  // the change of each input, in % of its value
    Response base;
    std::vector<InputResponse> inputs;  // in the order asked for
    int calculations = 0;
};

// Runs `texts` once (the base case) and, for each of `fields` whose base value is not 0, with
// that input lowered and raised by `percent` % of its value. Nothing more
// runs when the base case does not complete.
SensitivityResult Sensitivity(const FieldTexts& texts, char separator, const std::vector<int>& fields,
                              double percent);

// The outputs whose sensitivity is measured.
enum class Measure {
    Melting,  // FLIGHT where melting completed (MeltedFlight); X/W at the end when the base case does not melt
    Power,    // POWER TOT of the last row
};

// The change of a measure with one input: percentages of the base value at
// the low and high input, and the elasticity (dy/y) / (dx/x) from the
// central difference; or, where there is no number, why.
struct Change {
    std::optional<double> lowPercent, highPercent, elasticity;
    std::string why;
};

Change ChangeOf(const SensitivityResult& result, const InputResponse& input, Measure measure);

// The measure's value in a completed calculation, as ChangeOf takes it.
double MeasureOf(const Response& base, const Response& response, Measure measure);

}  // namespace tadmor::analysis
