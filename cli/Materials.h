// The material file of `tadmor run` and `tadmor sweep` (--material).
#pragma once

#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::cli {

// Sets the thirteen material inputs of `texts` from the material file at
// `path`. Throws UsageError naming the file and line of what is wrong.
void ApplyMaterialFile(const std::string& path, FieldTexts& texts, char separator);

// The warnings of a finished run whose material file gives the range its
// viscosity law was fitted over, where the run leaves that range. None when
// the file gives no range, or when a case file or --set changed the law.
std::vector<std::string> MaterialRangeWarnings(const std::string& path, const FieldTexts& texts, char separator,
                                               const SimulationState& state);

}  // namespace tadmor::cli
