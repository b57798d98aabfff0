// The report of a fit of the viscosity law, as the command prints it and
// Python gives it.
#pragma once

#include <string>

#include "material/ViscosityFit.h"

namespace tadmor::exporting {

// The coefficients with their standard errors, the errors of the fit, n and
// b over the data, and the notes.
std::string FitReport(const material::LawFit& fit, const std::string& description);

}  // namespace tadmor::exporting
