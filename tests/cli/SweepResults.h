// Sweeps made by hand for the tests of the charts: varied inputs and the
// results of their cases.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Sweep.h"
#include "model/InputFields.h"

namespace tadmor::test {

inline cli::VariedInput Varied(const char* name, std::vector<std::string> values) {
    return {name, FieldIndexOf(name), std::move(values)};
}

// A case's result with the outcome name the summary gives it. A completed
// run has 100 rows and ends with X/W 0 when it melted, else 0.4.
inline cli::CaseResult CaseOf(RequestOutcome outcome, std::optional<double> meltingFlight = {}) {
    cli::CaseResult result;
    result.outcome = outcome;
    result.outcomeName = outcome == RequestOutcome::InvalidInput       ? "invalid input"
                         : outcome == RequestOutcome::CalculationError ? "calculation error"
                         : meltingFlight                               ? "melting completed"
                                                                       : "end of screw";
    result.meltingFlight = meltingFlight;
    if (outcome == RequestOutcome::Completed) {
        result.rows = 100;
        result.lastRow = {{meltingFlight ? 0.0 : 0.4, 0.0, 1.0, 0.5}};
    }
    return result;
}

}  // namespace tadmor::test
