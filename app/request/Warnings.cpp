#include "app/request/Warnings.h"

#include <cmath>
#include <utility>

namespace tadmor {

namespace {

// Above this a screw dimension is far outside extruder practice: the largest
// extruders have screws of about 60 cm diameter.
constexpr double kLargestDimension = 100;  // cm
// A last increment that melts more than is left gives QS/QT a little below
// 0; beyond 1 % of the throughput it is no longer a rounding of the step.
constexpr double kNegativeSolidFlow = -0.01;
// Pitches of single-flighted screws, in diameters.
constexpr double kLeastPitch = 0.5, kMostPitch = 2;
// Barrel temperatures outside this range are beyond the processing of any
// common thermoplastic.
constexpr double kColdestBarrel = 0, kHottestBarrel = 450;  // degC

// The row where `value` is largest among rows 1..StepCount.
template <class Value>
int PeakRow(const SimulationState& s, Value value) {
    int peak = 1;
    for (int row = 2; row <= s.StepCount; ++row)
        if (value(row) > value(peak)) peak = row;
    return peak;
}

std::string AtFlight(const SimulationState& s, int row) { return " at FLIGHT " + NumberText(s.ResFlight[row], 2); }

void InputWarnings(const SimulationState& s, std::vector<Warning>& warnings) {
    const double screwTurns = s.FeedTurns + s.CompressionTurns + s.MeteringTurns;
    if (s.DelayTurns >= screwTurns) {
        // Its rows, if any, lie beyond the screw; without rows the input is where.
        const std::string rows = FlightSpans(s, [](int) { return true; });
        warnings.push_back({"melting-beyond-screw",
                            "melting starts at DelayTurns " + NumberText(s.DelayTurns, 2) +
                                ", at or beyond the end of the " + NumberText(screwTurns, 2) +
                                "-turn screw: the rows lie beyond the screw and describe no real channel",
                            rows.empty() ? "input DelayTurns" : "FLIGHT " + rows});
    }
    if (s.SolidTemp >= s.MeltingPoint)
        warnings.push_back({"solid-above-melting-point",
                            "the entering solid at " + NumberText(s.SolidTemp, 1) +
                                " degC is at or above the melting point " + NumberText(s.MeltingPoint, 1) +
                                " degC: it would enter as melt, not as a solid bed",
                            "input SolidTemp"});
    const std::pair<const char*, double> dimensions[] = {{"ScrewDiameter", s.ScrewDiameter},
                                                         {"ScrewPitch", s.ScrewPitch},
                                                         {"FeedDepth", s.FeedDepth},
                                                         {"MeteringDepth", s.MeteringDepth},
                                                         {"FlightWidth", s.FlightWidth}};
    for (const auto& [name, value] : dimensions)
        if (value > kLargestDimension)
            warnings.push_back({"dimension-implausible",
                                std::string(name) + " " + NumberText(value, 2) +
                                    " cm is far outside extruder practice (above " + NumberText(kLargestDimension, 0) +
                                    " cm): millimetres typed for centimetres?",
                                "input " + std::string(name)});
    // Screws have channels far shallower than the diameter and a pitch near
    // it (square pitch: pitch = diameter); a value outside these is a typing
    // slip more often than a screw.
    for (const auto& [name, depth] : {std::pair{"FeedDepth", s.FeedDepth}, std::pair{"MeteringDepth", s.MeteringDepth}})
        if (depth > s.ScrewDiameter / 3)
            warnings.push_back({"geometry-implausible",
                                std::string(name) + " " + NumberText(depth, 2) + " cm is more than a third of the " +
                                    NumberText(s.ScrewDiameter, 2) + " cm diameter: no screw has so deep a channel",
                                "input " + std::string(name)});
    if (s.ScrewPitch < kLeastPitch * s.ScrewDiameter || s.ScrewPitch > kMostPitch * s.ScrewDiameter)
        warnings.push_back({"geometry-implausible",
                            "ScrewPitch " + NumberText(s.ScrewPitch, 2) + " cm is far from the " +
                                NumberText(s.ScrewDiameter, 2) + " cm diameter (screws have " +
                                NumberText(kLeastPitch, 1) + " to " + NumberText(kMostPitch, 1) +
                                " diameters): one of them in other units?",
                            "input ScrewPitch"});
}

void RowWarnings(const SimulationState& s, std::vector<Warning>& warnings) {
    if (s.StepCount < 1) return;
    const int last = s.StepCount;
    const auto warn = [&](const char* code, const std::string& message, auto outside) {
        const std::string spans = FlightSpans(s, outside);
        if (!spans.empty()) warnings.push_back({code, message, "FLIGHT " + spans});
    };
    const auto barrel = [&](int row) { return s.ResBarrelTemp[row]; };
    const int widest = PeakRow(s, [&](int row) { return s.ResSolidFraction[row]; });
    const int coldest = PeakRow(s, [&](int row) { return -barrel(row); });
    const int hottest = PeakRow(s, barrel);
    const auto filmAboveBarrel = [&](int row) { return s.ResSolvedMidTemp[row] - barrel(row); };

    warn("bed-wider-than-channel",
         "the solid bed is wider than the channel (X/W up to " + NumberText(s.ResSolidFraction[widest], 3) +
             AtFlight(s, widest) +
             (s.ResSolidFraction[last] > 1 ? ", " + NumberText(s.ResSolidFraction[last], 3) + " at the end" : "") +
             "): the model then lets the bed spread beyond the channel, where a real screw would plug or the bed "
             "break up",
         [&](int row) { return s.ResSolidFraction[row] > 1; });
    warn("barrel-not-above-melting-point",
         "the barrel (down to " + NumberText(barrel(coldest), 1) + " degC) is not above the melting point " +
             NumberText(s.MeltingPoint, 1) +
             " degC: no heat flows from the barrel into the melt film, on which the model rests",
         [&](int row) { return barrel(row) <= s.MeltingPoint; });
    warn("barrel-temperature-implausible",
         "the barrel temperature (" +
             (NumberText(barrel(coldest), 1) == NumberText(barrel(hottest), 1)
                  ? NumberText(barrel(coldest), 1)
                  : NumberText(barrel(coldest), 1) + " to " + NumberText(barrel(hottest), 1)) +
             " degC) leaves the plausible range " + NumberText(kColdestBarrel, 0) + " to " +
             NumberText(kHottestBarrel, 0) + " degC: check BarrelC0, BarrelC1 and BarrelC2",
         [&](int row) { return barrel(row) < kColdestBarrel || barrel(row) > kHottestBarrel; });

    // The local power law of the rows; a state built without it has none.
    if (static_cast<int>(s.RowPowerLawIndex.size()) > last && static_cast<int>(s.RowTempSensitivity.size()) > last) {
        const auto n = [&](int row) { return s.RowPowerLawIndex[row]; };
        // The model's b is d ln eta / dT (negative for a melt that thins as it
        // is heated); the sensitivity an engineer reads is -b.
        const auto sensitivity = [&](int row) { return -s.RowTempSensitivity[row]; };
        warn("power-law-index-outside",
             "the viscosity law's local power-law index n (" +
                 NumberText(n(PeakRow(s, [&](int r) { return -n(r); })), 3) + " to " + NumberText(n(PeakRow(s, n)), 3) +
                 ") leaves 0 < n <= 1: the law is used outside its sensible range (a melt that does not thin, "
                 "or whose stress falls, as it is sheared faster); check ViscA1, ViscA11 and ViscA12",
             [&](int row) { return !(n(row) > 0 && n(row) <= 1); });
        warn("temperature-sensitivity-not-positive",
             "the viscosity law's local temperature sensitivity -d ln(eta)/dT (down to " +
                 NumberText(sensitivity(PeakRow(s, [&](int r) { return -sensitivity(r); })), 5) +
                 " 1/degC) is not above 0: the law is used outside its sensible range (a melt that does not thin "
                 "as it is heated); check ViscA2, ViscA22 and ViscA12",
             [&](int row) { return !(sensitivity(row) > 0); });
    }

    const int hottestFilm = PeakRow(s, filmAboveBarrel);
    warn("film-hotter-than-barrel",
         "the mid-film temperature T121 is above the barrel temperature (by up to " +
             NumberText(filmAboveBarrel(hottestFilm), 1) + " degC" + AtFlight(s, hottestFilm) +
             "): strong viscous heating, the melt is heated more by shearing than by the barrel",
         [&](int row) { return filmAboveBarrel(row) > 0; });
    if (s.ResSolidFlowRatio[last] < kNegativeSolidFlow)
        warnings.push_back({"negative-solid-flow",
                            "QS/QT ends below 0 (" + NumberText(s.ResSolidFlowRatio[last], 5) +
                                "): an artefact of the last increment, which melts more than is left",
                            "FLIGHT " + NumberText(s.ResFlight[last], 2)});
}

}  // namespace

std::optional<Warning> NoRowsWarning(const SimulationState& s) {
    const bool beyondScrew = s.DelayTurns >= s.FeedTurns + s.CompressionTurns + s.MeteringTurns;
    if (s.StepCount > 0 || s.StepNo < 1 || !MeltingCompleted(s) || beyondScrew) return std::nullopt;
    return Warning{"no-rows",
                   "the bed melted within the first increment and no row was recorded: a throughput far too small "
                   "for this screw, or dimensions in other units",
                   "FLIGHT " + NumberText(IncrementFlight(s), 2)};
}

std::vector<Warning> RunWarnings(const SimulationState& state) {
    std::vector<Warning> warnings;
    InputWarnings(state, warnings);
    RowWarnings(state, warnings);
    return warnings;
}

std::string WarningLine(const Warning& warning) {
    std::string line = warning.message;
    if (warning.where.starts_with("FLIGHT"))
        line += " at " + warning.where;
    else if (!warning.where.empty())
        line += " (" + warning.where + ")";
    return line + " [" + warning.code + "]";
}

std::string WarningCodes(const std::vector<Warning>& warnings) {
    std::string codes;
    for (const Warning& warning : warnings)
        if ((" " + codes + " ").find(" " + warning.code + " ") == std::string::npos)
            codes += (codes.empty() ? "" : " ") + warning.code;
    return codes;
}

}  // namespace tadmor
