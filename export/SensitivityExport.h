// The sensitivity of a base case for other tools: its JSON document and the
// table of the inputs in ranked order.
#pragma once

#include <string>
#include <vector>

#include "analysis/Sensitivity.h"
#include "export/Table.h"

namespace tadmor::exporting {

// The same as a JSON document: the step, the measures, the base case, the
// calculations and the inputs in ranked order.
std::string SensitivityJson(const analysis::SensitivityResult& result, analysis::Measure rankBy);

// One ranked input.
struct SensitivityRow {
    const analysis::SensitivityResult* result;
    const analysis::InputResponse* input;
};

// The columns: input, base, low, high, then the elasticity and the % changes
// at the low and high value of the melting and of the power, and why an
// input has no number.
std::vector<Column<SensitivityRow>> SensitivityColumns();

// The rows of `result` ranked by `rankBy`.
std::vector<SensitivityRow> RankedRows(const analysis::SensitivityResult& result, analysis::Measure rankBy);

}  // namespace tadmor::exporting
