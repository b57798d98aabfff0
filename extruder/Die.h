// The die at the screw tip: its kinds, the text that describes one, and its
// pressure drop at a throughput and inlet temperature for the melt's
// viscosity law.
//
// Die text (dimensions in cm unless a unit mm, cm or m follows the number):
//   capillary:D=0.5,L=5          a round hole of diameter D and length L
//   slit:W=10,H=0.2,L=3          a slit of width W, height H and length L (W well above H)
//   annulus:Do=2,Di=1.6,L=4      the ring between diameters Do and Di
//   table:FILE                   a measured characteristic (ParseDieTable)
//
// Die table file (lines; '#' starts a comment; numbers with '.'):
//   temperature = 230            degC at which the table was measured (required)
//   shear rate = 100             1/s at which the temperature shift is taken (optional, 100)
//   20, 4.1                      throughput kg/hr, pressure drop MPa; two or more
//   40, 6.3                      lines, both columns increasing
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "extruder/Melt.h"
#include "model/Error.h"

namespace tadmor::extruder {

struct Capillary {
    double diameter = 0, length = 0;  // cm
};
struct Slit {
    double width = 0, height = 0, length = 0;  // cm
};
struct Annulus {
    double outerDiameter = 0, innerDiameter = 0, length = 0;  // cm
};
struct DiePoint {
    double throughput = 0;    // kg/hr
    double pressureDrop = 0;  // MPa
};
// A die's characteristic measured at one temperature.
struct MeasuredDie {
    double temperature = 0;  // degC
    double shearRate = 100;  // 1/s, where the viscosity ratio of the temperature shift is taken
    std::vector<DiePoint> points;
    std::string source;  // the file it came from, for messages
};

using Die = std::variant<Capillary, Slit, Annulus, MeasuredDie>;

// The error of inputs of the whole-extruder calculation that cannot be used
// (a die text or table among them): kind Input, the text says what to fix.
inline Error ExtruderInputError(const std::string& text) { return Error(ErrorKind::Input, text); }

// Reads a die text. `readFile` gives the contents of a table's file (and
// throws with its own message when it cannot).
Die ParseDie(std::string_view text, const std::function<std::string(const std::string& path)>& readFile);

// A length (cm): a number, or one followed by mm, cm or m ("0.02", "0.2mm").
// `what` starts the message of the Error (kind Input) for a text that is not one.
double ParseLength(std::string_view text, const std::string& what);

// A pressure (MPa): a number, or one followed by MPa, bar, kPa or Pa ("5", "50 bar").
double ParsePressure(std::string_view text, const std::string& what);

// Reads a die table's contents; `source` names it in messages.
MeasuredDie ParseDieTable(std::string_view contents, const std::string& source);

// Throws ExtruderInputError unless every dimension is positive and finite, Di < Do, and
// a table has two or more points with throughput and pressure drop positive
// and increasing.
void CheckDie(const Die& die);

// "capillary D=0.5 cm, L=5 cm", "table results/die.csv (230 degC)".
std::string DieDescription(const Die& die);

// The throughput (kg/hr) the die passes at a pressure drop (MPa), the melt
// entering at `temperature` (degC) and staying at it.
double DieThroughput(const Die& die, const Melt& melt, double pressureDrop, double temperature);

// The pressure drop (MPa) across the die at a throughput (kg/hr).
double DiePressureDrop(const Die& die, const Melt& melt, double throughput, double temperature);

// Whether a measured die's table covers the throughput (no extrapolation);
// always true for the other kinds.
bool DieCovers(const Die& die, double throughput);

}  // namespace tadmor::extruder
