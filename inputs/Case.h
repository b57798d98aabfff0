// The inputs of a run as an engineer gives them: the defaults, a material,
// a case file and single values, each text with where it came from; and
// the calculation of such a case with every warning it gives.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "app/request/RunSummary.h"
#include "app/request/Warnings.h"
#include "material/Material.h"

namespace tadmor::inputs {

// Where each of the 29 texts came from, for messages: "the default", a
// material file's name, "FILE:LINE" of a case file, "--set" or "-o".
using TextOrigins = std::array<std::string, kFieldCount>;

struct Case {
    FieldTexts texts;  // the numbers written with `separator`
    char separator = '.';
    TextOrigins origins;
    // The material applied, for the range its law was fitted over.
    std::optional<material::Material> material;
};

// The default texts, numbers written with `separator`.
Case DefaultCase(char separator = '.');

// Sets the thirteen material inputs from `material`; `origin` names it.
void ApplyMaterial(Case& inputs, material::Material material, const std::string& origin);

// Applies the NAME = TEXT lines of a case file's contents; `source` names it
// in errors and origins. Throws Error of kind Input naming the line.
void ApplyCaseText(Case& inputs, std::string_view contents, std::string_view source);

// Reads the case file at `path` and applies it.
void ApplyCaseFile(Case& inputs, const std::string& path);

// Sets one input by its name (blanks around it dropped) to `text`, exactly
// as given. Throws Error of kind Input for an unknown name.
void SetInput(Case& inputs, std::string_view name, std::string text, const std::string& origin);

// The case with the decimal separator of its numbers turned into `to`. "."
// and "," change places, so that a text that does not read with the old
// separator does not read with the new one either.
Case WithSeparator(Case inputs, char to);

// The line after the request's refusal of `field`: where its text came from,
// the text, and what to write instead (for a text that is not a number) or
// the values allowed (for a value that fails its test).
std::string RefusalDetail(const Case& inputs, int field);

// What is wrong with `text` as the value of `field` alone, as the request's
// conversion and test see it: "not a number: " and what to write instead,
// or "must be greater than 0"; empty when nothing is.
std::string FieldProblem(std::string_view text, int field, char separator);

// The window's caption of a field without its colon, e.g. "Screw Diameter (cm)".
std::string FieldCaption(const InputField& field);

// The calculation of the case, no file written.
Calculation Calculate(const Case& inputs);

// Every warning of a calculation of the case: none for invalid input, the
// run's own (RunWarnings) and the drag-flow limit otherwise, and once
// completed those of its material's fitted range, while the texts of the
// law are the material's.
std::vector<Warning> AllWarnings(const Case& inputs, const Calculation& calculation);

// The throughput against the metering zone's open-discharge capacity (drag
// flow, no leakage): "throughput-above-drag-flow" above it (a throughput no
// screw can convey against a die), "throughput-far-below-drag-flow" below
// kLeastDragFlowShare of it (a screw typed in other units, mostly).
inline constexpr double kLeastDragFlowShare = 0.05;
std::optional<Warning> DragFlowWarning(const SimulationState& state);

// The summary of a calculation of the case, with all its warnings.
RunSummary Summarize(const Case& inputs, const Calculation& calculation);

}  // namespace tadmor::inputs
