// A rheometer table: viscosities measured at several shear rates and
// temperatures, as CSV.
//
//   # LDPE, capillary rheometer
//   T (degC), shear rate (1/s), viscosity (Pa.s)
//   180, 10, 2450
//   ...
//
// Three columns in this order: temperature, shear rate, viscosity. The units
// go in parentheses or brackets after the column names, or come from the
// caller; numbers are written with ".". Blank lines and lines starting with
// # are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "material/ViscosityFit.h"

namespace tadmor::material {

// Units that the caller gives; each replaces the header's when not empty.
struct TableUnits {
    std::string temperature;  // degC or K
    std::string viscosity;    // Pa.s or gf.s/cm2
};

// The points of the table in the model's units. Throws Error of kind Material naming
// `source` and the line.
std::vector<RheometerPoint> ParseRheometerTable(std::string_view contents, std::string_view source,
                                                const TableUnits& units = {});

std::vector<RheometerPoint> ReadRheometerTable(const std::string& path, const TableUnits& units = {});

}  // namespace tadmor::material
