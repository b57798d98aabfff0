// What a calculation came to, in the one definition that the sweep, the
// solve, the sensitivity, the exports and Python share.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "app/request/Warnings.h"

namespace tadmor {

struct RunSummary {
    RequestOutcome outcome = RequestOutcome::InvalidInput;
    std::string outcomeName;  // see OutcomeName
    std::string message;      // the refusal's, the file's or the error's text; empty when completed
    int rows = 0;             // rows recorded; 0 unless completed

    // Where melting completed; both empty unless it did. The increment's
    // FLIGHT is the one the results file and the command's summary line
    // give: the middle of the increment in which X/W fell below 0.002
    // (0.1 to 0.2 turns apart). The interpolated FLIGHT lies within that
    // increment, where its own solid-bed profile reaches X/W 0.002, and moves
    // continuously with the inputs.
    std::optional<double> meltingIncrementFlight;
    std::optional<double> interpolatedMeltedFlight;

    // At the end of the screw; empty unless completed. X/W and QS/QT are
    // those of the last row when solid reaches the end, and 0 when melting
    // completed. The powers are those of the last row (POWER TOT sums the
    // heat of every increment); empty when no row was recorded.
    std::optional<double> solidFractionAtEnd, solidFlowRatioAtEnd;
    std::optional<double> totalPower, viscousPower;

    std::vector<Warning> warnings;  // of the run, in order
};

// "melting completed", "end of screw", "invalid input", "file not written"
// or "calculation error".
std::string OutcomeName(RequestOutcome outcome, bool meltingCompleted);

// The summary of `calculation` with `warnings` (RunWarnings of its state,
// and whatever the caller adds: a material's fitted range).
RunSummary Summarize(const Calculation& calculation, std::vector<Warning> warnings);

// The codes of the summary's warnings, each once, separated by spaces.
std::string WarningCodes(const RunSummary& summary);

}  // namespace tadmor
