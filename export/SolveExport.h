// The answers of a solve for other tools: its JSON document and the CSV of
// a curve of solutions over a second input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Solve.h"
#include "export/Table.h"

namespace tadmor::exporting {

// The JSON object of a solve: the input, range, target, outcome,
// calculations and failures, every solution with its result and the value
// where the target is not met, every bracket across failing calculations,
// and the calculations at both ends.
std::string SolveJson(const analysis::SolveProblem& problem, const analysis::SolveResult& result);

// One value of the second input of a curve and what the solve found there.
struct CurveRow {
    const std::string* overValue;  // the second input's value, as given
    const analysis::SolveResult* result;
    int field;  // the input solved for
};

// The columns of a curve: the second input, the input solved for (the
// largest solution; empty when none), outcome (see analysis::OutcomeName),
// solutions, melting completed at FLIGHT (turns), X/W at end, POWER TOT
// (kW), POWER VIS (kW), calculations, message (why there is no solution)
// and warnings (the codes of the solution's).
std::vector<Column<CurveRow>> CurveColumns(const analysis::VariedInput& over, int field);

// A curve's CSV: one line per value of the second input that was solved,
// then a status line, "# tadmor solve curve: complete" or "# tadmor solve
// curve: incomplete, N of M values".
std::string CurveCsv(const analysis::VariedInput& over, int field,
                     const std::vector<std::optional<analysis::SolveResult>>& results);

}  // namespace tadmor::exporting
