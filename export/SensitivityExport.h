// The sensitivity of a base case for other tools: its JSON document and the
// table of the inputs in ranked order.
#pragma once

#include <string>
#include <vector>

#include "analysis/Sensitivity.h"
#include "export/Table.h"

namespace tadmor::exporting {

// The same as a JSON document: the steps, the measures, the base case, the
// reference point of the viscosity law's factors, the calculations and the
// inputs in ranked order, each with its kind of change and the unit of its
// sensitivity.
// With a material, "material" names it and its sources.
std::string SensitivityJson(const analysis::SensitivityResult& result, analysis::Measure rankBy,
                            const std::optional<material::Material>& material = {});

// One ranked input.
struct SensitivityRow {
    const analysis::SensitivityResult* result;
    const analysis::InputResponse* input;
};

// The columns: input, change ("relative" or "kelvin"), unit ("elasticity"
// or "% per K"), base, low, high, then for the melting and for the power the
// sensitivity, the % changes at the low and high value, and why there is no
// number.
std::vector<Column<SensitivityRow>> SensitivityColumns();

// The rows of `result` ranked by `rankBy`.
std::vector<SensitivityRow> RankedRows(const analysis::SensitivityResult& result, analysis::Measure rankBy);

}  // namespace tadmor::exporting
