// The charts of the program's answers, decided without drawing anything:
// the melting profile, a sweep's curves or map, the tornado of a
// sensitivity, a fit of the viscosity law and a curve of solutions.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Sensitivity.h"
#include "analysis/Solve.h"
#include "analysis/Sweep.h"
#include "charts/Chart.h"
#include "charts/MapChart.h"
#include "inputs/Case.h"
#include "material/ViscosityFit.h"
#include "model/Cal_Main.h"
#include "model/InputFields.h"

namespace tadmor::charts {

// The melting profile of a run (inputs and rows 1..StepCount of `state`):
// X/W and QS/QT against FLIGHT on one panel, TB, T121 and TAV on another,
// the zones of the screw and the start of melting marked, and where melting
// completed when it is known.
Chart MeltingProfileChart(const SimulationState& state, std::optional<double> meltingFlight);

// "ScrewSpeed: Number of Revolution (rpm)", "BarrelC0: Barrel Temp. Para. (C0)
// (°C)": the input's name, the window's caption and the unit, written once.
std::string InputLabel(const InputField& field);

// "150 kg/hr": a value of the input with its unit.
std::string ValueWithUnit(const InputField& field, const std::string& value);

// The values of a run that a sweep plot can draw, by their --plot-value name.
struct SweepValue {
    std::string_view name;   // "flight", "rows", ...
    std::string_view label;  // the axis label
};
extern const std::array<SweepValue, 6> kSweepValues;

// The value named `name` (one of kSweepValues) of a run, if it has one.
std::optional<double> SweepValueOf(std::string_view name, const RunSummary& run);

// The axis label of a value name, e.g. "X/W at the end (-)".
std::string_view SweepValueLabel(std::string_view valueName);

// "3 of 12 cases have no value (end of screw: 2, invalid input: 1); see ...",
// or "None of the 12 cases has ..."; empty when every case has a value.
std::string NoValueNote(const std::vector<RunSummary>& runs, std::string_view valueName);

// One value of the sweep's cases against the first varied input, one curve
// for each combination of the other varied inputs.
Chart SweepChart(const std::vector<analysis::VariedInput>& varied, const std::vector<analysis::SweepCase>& cases,
                 const std::vector<RunSummary>& runs, std::string_view valueName, const std::string& title);

// The map of a sweep over exactly two inputs with two or more values each:
// x the first varied input, y the second, cells coloured by the value named
// `valueName`. None for any other sweep.
// With the base case and OutputRate one of the two inputs, the metering
// zone's drag flow is drawn across the map: above it no screw conveys.
std::optional<MapChart> SweepMap(const std::vector<analysis::VariedInput>& varied,
                                 const std::vector<analysis::SweepCase>& cases, const std::vector<RunSummary>& runs,
                                 std::string_view valueName, const std::string& title,
                                 const inputs::Case* base = nullptr);

// The metering zone's drag flow (kg/hr) of `base` at each value of `over`
// (the other inputs as in `base`): (value, drag flow) pairs, those whose
// inputs are refused left out.
std::vector<std::pair<double, double>> DragFlowAlong(const inputs::Case& base, const analysis::VariedInput& over);

// The base case of a sensitivity in words: "melted at FLIGHT ... (within its
// increment), POWER TOT ... kW", or its outcome and message.
std::string SensitivityBaseText(const RunSummary& base);

// The tornado chart of `measure`: the % change at the lowered and the
// raised input, one row per input in ranked order, each labelled with its
// step and its sensitivity (an elasticity or % per K).
TornadoChart SensitivityChart(const analysis::SensitivityResult& result, analysis::Measure measure);

// The points (named `dataLabel` in the legend) and the fitted law, viscosity
// against shear rate on log-log axes, one colour per temperature (at most
// five of them).
Chart FitChart(const std::vector<material::RheometerPoint>& points, const material::LawFit& fit,
               const std::string& title, const std::string& dataLabel);

// The curve of a solve over a second input: the largest solution at each of
// its values, a gap where there is none; the solutions that warn marked
// again, and the note counting the gaps by outcome and naming the warnings.
// Solving for OutputRate with the base case given, the metering zone's drag
// flow at each value is drawn too: above it no screw conveys.
Chart CurveChart(const analysis::VariedInput& over, int field,
                 const std::vector<std::optional<analysis::SolveResult>>& results, const std::string& title,
                 const inputs::Case* base = nullptr);

}  // namespace tadmor::charts
