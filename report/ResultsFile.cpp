#include "report/ResultsFile.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "report/FixedPoint.h"

namespace tadmor {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One line of the input section: name on the left, unit (if any) ending at
// byte 39, then " =  " and the value. "\x81\x8E" is the degree-Celsius sign.
struct InputLine {
    std::string_view name;
    std::string_view unit;
    double SimulationState::*value;
    int precision;
    int decimals;
};

constexpr std::size_t kLabelNameWidth = 39;

constexpr InputLine kInputLines[] = {
    {"Screw Diameter", "(cm)", &SimulationState::ScrewDiameter, 5, 1},
    {"Turns of Feed Zone", "", &SimulationState::FeedTurns, 5, 1},
    {"Turns of Compression Zone", "", &SimulationState::CompressionTurns, 5, 1},
    {"Turns of Metering Zone", "", &SimulationState::MeteringTurns, 5, 1},
    {"Turns of Delay in Metering", "", &SimulationState::DelayTurns, 5, 1},
    {"Depth of Feed Zone Channel", "(cm)", &SimulationState::FeedDepth, 5, 2},
    {"Depth of Metering Zone Channel", "(cm)", &SimulationState::MeteringDepth, 5, 2},
    {"Screw Pitch", "(cm)", &SimulationState::ScrewPitch, 5, 1},
    {"Flight Width", "(cm)", &SimulationState::FlightWidth, 5, 2},
    {"Number of Revolution", "(rpm)", &SimulationState::ScrewSpeed, 5, 1},
    {"Output", "(kg/hr)", &SimulationState::OutputRate, 6, 1},
    {"Barrel Temperature Para.(C0)", "(\x81\x8E)", &SimulationState::BarrelC0, 6, 1},
    {"Barrel Temperature Para.(C1)", "", &SimulationState::BarrelC1, 8, 3},
    {"Barrel Temperature Para.(C2)", "", &SimulationState::BarrelC2, 8, 3},
    {"Viscosity Equation Para. (a0)", "", &SimulationState::ViscA0, 9, 6},
    {"Viscosity Equation Para. (a1)", "", &SimulationState::ViscA1, 10, 7},
    {"Viscosity Equation Para. (a11)", "", &SimulationState::ViscA11, 11, 8},
    {"Viscosity Equation Para. (a2)", "", &SimulationState::ViscA2, 12, 9},
    {"Viscosity Equation Para. (a22)", "", &SimulationState::ViscA22, 13, 10},
    {"Viscosity Equation Para. (a12)", "", &SimulationState::ViscA12, 12, 9},
    {"Density of Solid", "(g/cm3)", &SimulationState::SolidDensity, 4, 2},
    {"Density of Melt", "(g/cm3)", &SimulationState::MeltDensity, 4, 2},
    {"Specific Heat of Solid", "(cal/g.\x81\x8E)", &SimulationState::SolidHeat, 4, 2},
    {"Heat of Fusion", "(cal/g)", &SimulationState::FusionHeat, 6, 2},
    {"Specific Heat of Melt", "(cal/g.\x81\x8E)", &SimulationState::MeltHeat, 4, 2},
    {"Thermal Cond. of Melt", "(cal/s.cm.\x81\x8E)", &SimulationState::MeltConductivity, 8, 6},
    {"Melting Point", "(\x81\x8E)", &SimulationState::MeltingPoint, 6, 1},
    {"Solid Temperature", "(\x81\x8E)", &SimulationState::SolidTemp, 6, 1},
};

// Every label must leave at least one blank between name and unit.
static_assert([] {
    for (const InputLine& line : kInputLines) {
        if (line.name.size() + line.unit.size() >= kLabelNameWidth) return false;
    }
    return true;
}());

// One column of the results table: its result column and its (P, D).
struct TableField {
    const std::vector<double> SimulationState::*column;
    int precision;
    int decimals;
};

constexpr TableField kTableFields[] = {
    {&SimulationState::ResFlight, 5, 2},         {&SimulationState::ResDepth, 5, 3},
    {&SimulationState::ResSolidFraction, 5, 3},  {&SimulationState::ResSolidFlowRatio, 5, 3},
    {&SimulationState::ResBarrelTemp, 5, 1},     {&SimulationState::ResSolvedMidTemp, 5, 1},
    {&SimulationState::ResFilmAvgTemp, 5, 1},    {&SimulationState::ResFilmThickness, 6, 4},
    {&SimulationState::ResInversePsi, 5, 1},     {&SimulationState::ResTotalPower, 5, 2},
    {&SimulationState::ResViscousPower, 5, 2},
};

constexpr std::string_view kTableHeadings[] = {
    " [RESULTS]",
    " FLIGHT DEPTH   X/W   QS/QT   TB    T121    TAV   FILM   1/PSAI     POWER",
    "                                                                  TOT    VIS ",
};

std::string InputSectionLine(const InputLine& line, const SimulationState& s, char separator) {
    std::string text(line.name);
    text.append(kLabelNameWidth - line.name.size() - line.unit.size(), ' ');
    text += line.unit;
    text += " =  ";
    text += FormatFixedPoint(s.*line.value, line.precision, line.decimals, separator);
    return text;
}

std::string TableRow(const SimulationState& s, int row, char separator) {
    std::string text;
    for (const TableField& field : kTableFields) {
        text += text.empty() ? " " : "  ";
        text += FormatFixed(field.precision, field.decimals, (s.*field.column)[row], separator);
    }
    return text;
}

bool UsableFileName(const std::string& name) {
    return name.size() <= kMaxResultFileNameBytes && name.find('\0') == std::string::npos;
}

void AppendLine(std::string& text, std::string_view line) {
    text += line;
    text += kLineEnd;
}

void RequireRows(const SimulationState& s) {
    for (const TableField& field : kTableFields) {
        if (s.StepCount > 0 && (s.*field.column).size() <= static_cast<std::size_t>(s.StepCount)) {
            throw std::logic_error("ResultsTableText: a result column holds fewer rows than StepCount");
        }
    }
}

}  // namespace

std::string InputSectionText(const SimulationState& s, char separator) {
    std::string text;
    for (const InputLine& line : kInputLines) AppendLine(text, InputSectionLine(line, s, separator));
    for (int i = 0; i < 3; ++i) AppendLine(text, "");
    return text;
}

std::string ResultsTableText(const SimulationState& s, char separator) {
    RequireRows(s);
    std::string text;
    for (std::string_view heading : kTableHeadings) AppendLine(text, heading);
    for (int row = 1; row <= s.StepCount; ++row) AppendLine(text, TableRow(s, row, separator));
    for (int i = 0; i < 2; ++i) AppendLine(text, "");
    return text;
}

bool ResultsFileWriter::WriteInputSection(const SimulationState& s, char separator) {
    file_.reset();
    if (!UsableFileName(s.ResultFileName)) return false;
    file_.emplace(s.ResultFileName);
    if (file_->Write(InputSectionText(s, separator))) return true;
    file_.reset();
    return false;
}

bool ResultsFileWriter::WriteResultsTable(const SimulationState& s, char separator) {
    if (!file_) return false;
    const bool written = file_->Write(ResultsTableText(s, separator)) && file_->Commit();
    file_.reset();
    return written;
}

}  // namespace tadmor
