#include "model/InputFields.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <vector>

namespace tadmor {

// In field order, which is also the order of the tests and of the results
// file's input section: edit, variable, default text, label, unit, test,
// message, value, editable; then the input section's name, unit and format
// (P, D).
// One field a block, in the order of its members; not reflowed.
// clang-format off
constexpr std::array<InputField, kFieldCount> kInputFields = {{
    {"Edit1", "ScrewDiameter", "15.0", "  Screw Diameter (cm) :", "cm",
     FieldTest::Positive, "Value of Screw Diameter is not correct", &SimulationState::ScrewDiameter, true,
     "Screw Diameter", "(cm)", 5, 1},
    {"Edit2", "FeedTurns", "10.0", "  Turns of Feed Zone :  ", "turns",
     FieldTest::Positive, "Value of Turns of Feed Zone is not correct", &SimulationState::FeedTurns, true,
     "Turns of Feed Zone", "", 5, 1},
    {"Edit3", "CompressionTurns", "6.0", "  Turns of Compression Zone :", "turns",
     FieldTest::Positive, "Value of Turns of Compression Zone is not correct", &SimulationState::CompressionTurns, true,
     "Turns of Compression Zone", "", 5, 1},
    {"Edit4", "MeteringTurns", "8.7", "  Turns of Metering Zone :", "turns",
     FieldTest::Positive, "Value of Turns of Metering Zone is not correct", &SimulationState::MeteringTurns, true,
     "Turns of Metering Zone", "", 5, 1},
    {"Edit5", "DelayTurns", "5.0", "  Turns of Delay in Melting : ", "turns",
     FieldTest::Positive, "Value of Turns of Delay in Metering is not correct", &SimulationState::DelayTurns, true,
     "Turns of Delay in Metering", "", 5, 1},
    {"Edit6", "FeedDepth", "1.4", "  Depth of Feed Zone Channel (cm) :", "cm",
     FieldTest::Positive, "Value of Depth of Feed Zone Channel is not correct", &SimulationState::FeedDepth, true,
     "Depth of Feed Zone Channel", "(cm)", 5, 2},
    {"Edit7", "MeteringDepth", "0.4", "  Depth of Meter. Zone Channel (cm) : ", "cm",
     FieldTest::Positive, "Value of Depth of Metering Zone Channel is not correct", &SimulationState::MeteringDepth, true,
     "Depth of Metering Zone Channel", "(cm)", 5, 2},
    {"Edit8", "ScrewPitch", "15.0", "  Screw Pitch (cm) : ", "cm",
     FieldTest::Positive, "Value of Screw Pitch is not correct", &SimulationState::ScrewPitch, true,
     "Screw Pitch", "(cm)", 5, 1},
    {"Edit9", "FlightWidth", "1.5", "  Flight Width (cm) :  ", "cm",
     FieldTest::Positive, "Value of Flight Width is not correct", &SimulationState::FlightWidth, true,
     "Flight Width", "(cm)", 5, 2},
    {"Edit10", "ScrewSpeed", "38.0", "  Number of Revolution (rpm) :", "rpm",
     FieldTest::Positive, "Value of Number of Revolution is not correct", &SimulationState::ScrewSpeed, true,
     "Number of Revolution", "(rpm)", 5, 1},
    {"Edit11", "OutputRate", "300.0", "  Output (kg/hr)", "kg/hr",
     FieldTest::Positive, "Value of Flow Rate is not correct", &SimulationState::OutputRate, true,
     "Output", "(kg/hr)", 6, 1},
    {"Edit12", "BarrelC0", "290.0", "  Barrel Temp. Para. (C0) : ", "°C",
     FieldTest::Positive, "Value of Barrel Temp. Para. (C0) is not correct", &SimulationState::BarrelC0, true,
     "Barrel Temperature Para.(C0)", "(\x81\x8E)", 6, 1},
    {"Edit13", "BarrelC1", "0.0", "  Barrel Temp. Para. (C1) :", "",
     FieldTest::None, "", &SimulationState::BarrelC1, true,
     "Barrel Temperature Para.(C1)", "", 8, 3},
    {"Edit14", "BarrelC2", "0.0", "  Barrel Temp. Para. (C2)", "1/cm",
     FieldTest::None, "", &SimulationState::BarrelC2, true,
     "Barrel Temperature Para.(C2)", "", 8, 3},
    {"Edit15", "ViscA0", "7.442", "  Viscosity Equation Para. (a0) : ", "",
     FieldTest::None, "", &SimulationState::ViscA0, false,
     "Viscosity Equation Para. (a0)", "", 9, 6},
    {"Edit16", "ViscA1", "-0.80314", "  Viscosity Equation Para. (a1) : ", "",
     FieldTest::None, "", &SimulationState::ViscA1, false,
     "Viscosity Equation Para. (a1)", "", 10, 7},
    {"Edit17", "ViscA11", "-0.055098", "  Viscosity Equation Para. (a11) : ", "",
     FieldTest::None, "", &SimulationState::ViscA11, false,
     "Viscosity Equation Para. (a11)", "", 11, 8},
    {"Edit18", "ViscA2", "0.0047899", "  Viscosity Equation Para. (a2) : ", "1/°C",
     FieldTest::None, "", &SimulationState::ViscA2, false,
     "Viscosity Equation Para. (a2)", "", 12, 9},
    {"Edit19", "ViscA22", "-0.00012377", "  Viscosity Equation Para. (a22) : ", "1/°C²",
     FieldTest::None, "", &SimulationState::ViscA22, false,
     "Viscosity Equation Para. (a22)", "", 13, 10},
    {"Edit20", "ViscA12", "0.0047277", "  Viscosity Equation Para. (a12) : ", "1/°C",
     FieldTest::None, "", &SimulationState::ViscA12, false,
     "Viscosity Equation Para. (a12)", "", 12, 9},
    {"Edit21", "SolidDensity", "1.34", "  Density of Solid (g/cm3) :", "g/cm³",
     FieldTest::Positive, "Value of Density of Solid is not correct", &SimulationState::SolidDensity, false,
     "Density of Solid", "(g/cm3)", 4, 2},
    {"Edit22", "MeltDensity", "1.2", "  Density of Melt (g/cm3) :", "g/cm³",
     FieldTest::Positive, "Value of Density of Melt is not correct", &SimulationState::MeltDensity, false,
     "Density of Melt", "(g/cm3)", 4, 2},
    {"Edit23", "SolidHeat", "0.4", "  Specific Heat of Solid (cal/g.℃) :", "cal/(g·°C)",
     FieldTest::Positive, "Value of Specific Heat of Solid is not correct", &SimulationState::SolidHeat, false,
     "Specific Heat of Solid", "(cal/g.\x81\x8E)", 4, 2},
    {"Edit24", "FusionHeat", "17.7", "  Heat of Fusion (cal/g) :", "cal/g",
     FieldTest::NonNegative, "Value of Heat of Fusion is not correct", &SimulationState::FusionHeat, false,
     "Heat of Fusion", "(cal/g)", 6, 2},
    {"Edit25", "MeltHeat", "0.48", "  Specific Heat of Melt (cal/g.℃) :", "cal/(g·°C)",
     FieldTest::Positive, "Value of Specific Heat of Melt is not correct", &SimulationState::MeltHeat, false,
     "Specific Heat of Melt", "(cal/g.\x81\x8E)", 4, 2},
    {"Edit26", "MeltConductivity", "0.00052", "  Thermal Cond of Melt (cal/cm.s.℃) :", "cal/(cm·s·°C)",
     FieldTest::Positive, "Value of Thermal Conductivity of Melt is not correct", &SimulationState::MeltConductivity, false,
     "Thermal Cond. of Melt", "(cal/s.cm.\x81\x8E)", 8, 6},
    {"Edit27", "MeltingPoint", "265.0", "  Melting Point (℃) :", "°C",
     FieldTest::Positive, "Value of Melting Point is not correct", &SimulationState::MeltingPoint, false,
     "Melting Point", "(\x81\x8E)", 6, 1},
    {"Edit28", "SolidTemp", "30.0", "  Solid Temperature (℃) :", "°C",
     FieldTest::Positive, "Value of Solid Temperature is not correct", &SimulationState::SolidTemp, true,
     "Solid Temperature", "(\x81\x8E)", 6, 1},
    {"Edit29", "ResultFileName", "result.txt", " Save File Name ", "",
     FieldTest::NotEmpty, "Save File Name is not correct", nullptr, true,
     "", "", 0, 0},
}};
// clang-format on

// Every input section label leaves at least one blank between name and unit.
static_assert([] {
    for (int i = 0; i < kNumericFieldCount; ++i) {
        const InputField& field = kInputFields[i];
        if (field.fileName.empty() || field.fileName.size() + field.fileUnit.size() >= kFileLabelWidth) return false;
    }
    return true;
}());

int FieldIndexOf(std::string_view variable) {
    for (int i = 0; i < kFieldCount; ++i)
        if (kInputFields[i].variable == variable) return i;
    return -1;
}

std::string_view PassingValues(FieldTest test) {
    switch (test) {
        case FieldTest::Positive:
            return "greater than 0";
        case FieldTest::NonNegative:
            return "0 or greater";
        case FieldTest::NotEmpty:
            return "a name of one character or more";
        case FieldTest::None:
            break;
    }
    return {};
}

namespace {

// Levenshtein distance of `a` and `b`, letters compared without case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    const auto same = [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    };
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string DidYouMean(std::string_view name, std::span<const std::string_view> names) {
    std::vector<std::string_view> inputNames;
    if (names.empty()) {
        for (const InputField& field : kInputFields) inputNames.push_back(field.variable);
        names = inputNames;
    }
    // A likely misspelling: a case slip, or at most a third of the letters
    // wrong (two for short names).
    const std::size_t allowed = std::max<std::size_t>(2, name.size() / 3);
    std::string_view closest;
    std::size_t best = allowed + 1;
    for (const std::string_view candidate : names)
        if (const std::size_t distance = EditDistance(name, candidate); distance < best) {
            best = distance;
            closest = candidate;
        }
    return closest.empty() ? std::string() : "; did you mean " + std::string(closest) + "?";
}

}  // namespace tadmor
