// The material file of `tadmor run` and `tadmor sweep` (--material).
#pragma once

#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "app/request/Warnings.h"

namespace tadmor::cli {

// Sets the thirteen material inputs of `texts` from the material file at
// `path`. Throws UsageError naming the file and line of what is wrong.
void ApplyMaterialFile(const std::string& path, FieldTexts& texts, char separator);

// The warnings of a finished run whose material file gives the range its
// viscosity law was fitted over, where the run leaves that range. None when
// the file gives no range, or when a case file or --set changed the law.
std::vector<Warning> MaterialRangeWarnings(const std::string& path, const FieldTexts& texts, char separator,
                                           const SimulationState& state);

// The warnings of a run that ended with `outcome`: RunWarnings of its state
// (none for invalid input) and, once completed, those of its material's
// fitted range.
std::vector<Warning> AllWarnings(const std::string& materialPath, const FieldTexts& texts, char separator,
                                 const SimulationState& state, RequestOutcome outcome);

}  // namespace tadmor::cli
