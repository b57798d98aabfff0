// A run's results for other tools: CSV and JSON at full precision, and the
// way back from a results file to the values it holds.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "app/request/Warnings.h"
#include "model/NumberText.h"
#include "model/ResultColumns.h"
#include "report/ResultsFileReader.h"

namespace tadmor::cli {

// What a request came to: "melting completed", "end of screw",
// "invalid input", "file not written" or "calculation error".
std::string OutcomeName(RequestOutcome outcome, const SimulationState& state);

// The FLIGHT where melting completed, for a completed request that ended
// because the solid bed had melted.
std::optional<double> MeltingFlight(RequestOutcome outcome, const SimulationState& state);

// One header line "FLIGHT (turns),DEPTH (cm),...", then rows 1..StepCount.
std::string ResultsCsv(const SimulationState& state);

// The inputs by variable name (numbers, or the text of one that is not a
// number), the outcome, its message (null when none), the rows recorded,
// the FLIGHT where melting completed (or null), the columns with their
// units, the rows as objects keyed by heading, and the warnings.
std::string ResultsJson(const FieldTexts& texts, char separator, const SimulationState& state,
                        RequestOutcome outcome, const std::string& message,
                        const std::vector<Warning>& warnings = {});

// The inputs and the table of a results file as a state (StepCount rows
// from row 1), named `name`.
SimulationState StateFromResultsFile(const ResultsFileContents& contents, const std::string& name);

}  // namespace tadmor::cli
