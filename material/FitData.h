// What a fit of the viscosity law is made from (a rheometer table, or a
// standard law sampled over a window) and the material file it makes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "material/Material.h"
#include "material/RheometerTable.h"
#include "material/StandardLaws.h"
#include "material/ViscosityFit.h"

namespace tadmor::material {

struct FitData {
    std::vector<RheometerPoint> points;
    std::string description;  // "the rheometer table FILE", "power-law (m = ...) sampled over ..."
    std::string name;         // the material's name unless one is given: the table's stem or the law's name
};

// The points of the rheometer table at `path`. Throws Error of kind Material.
FitData TableData(const std::string& path, const TableUnits& units);

// The law sampled over `window` (degC, 1/s). Throws Error of kind Input for
// parameters or a window that cannot be used on their own (below absolute
// zero, FROM not below TO), and of kind Fit for a law that has no finite
// positive viscosity over the window (a pole inside it).
FitData LawData(const StandardLawInfo& law, const LawParameters& given, const FittedRange& window);

// FitViscosityLaw of the data's points; its errors say "cannot fit" the data.
LawFit FitLaw(const FitData& data);

// The material file at `path` as the base of a fit: its thermal properties
// (a law in it is the fit's to replace) and its sources, or its path as the
// source when it names none. Throws Error of kind Material.
Material ReadBaseMaterial(const std::string& path);

// "180.0 to 220.0 degC, 10 to 1000 1/s".
std::string WindowText(const FittedRange& range);

// The material of the fit: its law and range, named `name` (the data's name
// when empty), with `source` first among the sources, and the thermal
// properties and sources of `base` (the window's defaults without one).
// Throws Error of kind Fit for a law that no run could use: one whose
// temperature sensitivity is the same everywhere and not above 0 (the law of
// data at one temperature).
Material FittedMaterial(const LawFit& fit, const FitData& data, const std::optional<Material>& base,
                        const std::string& name, const std::string& source);

}  // namespace tadmor::material
