// Sweeps made by hand for the tests of the charts: varied inputs and the
// results of their cases.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/Sweep.h"
#include "model/InputFields.h"

namespace tadmor::test {

inline analysis::VariedInput Varied(const char* name, std::vector<std::string> values) {
    return {FieldIndexOf(name), std::move(values)};
}

// A case's result with the outcome name the summary gives it. A completed
// run has 100 rows and ends with X/W 0 when it melted, else 0.4.
inline RunSummary CaseOf(RequestOutcome outcome, std::optional<double> meltingFlight = {}) {
    RunSummary result;
    result.outcome = outcome;
    result.outcomeName = OutcomeName(outcome, meltingFlight.has_value());
    result.meltingIncrementFlight = meltingFlight;
    if (outcome == RequestOutcome::Completed) {
        result.rows = 100;
        result.solidFractionAtEnd = meltingFlight ? 0.0 : 0.4;
        result.solidFlowRatioAtEnd = 0.0;
        result.totalPower = 1.0;
        result.viscousPower = 0.5;
    }
    return result;
}

}  // namespace tadmor::test
