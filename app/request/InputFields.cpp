#include "app/request/InputFields.h"

namespace tadmor {

// In field order: edit, variable, default text, label, test, place in the
// testing order, message, value, editable.
const std::array<InputField, kFieldCount> kInputFields = {{
    {"Edit1", "ScrewDiameter", "15.0", "  Screw Diameter (cm) :",
     FieldTest::Positive, 1, "Value of Screw Diameter is not correct", &SimulationState::ScrewDiameter, true},
    {"Edit2", "FeedTurns", "10.0", "  Turns of Feed Zone :  ",
     FieldTest::Positive, 2, "Value of Turns of Feed Zone is not correct", &SimulationState::FeedTurns, true},
    {"Edit3", "CompressionTurns", "6.0", "  Turns of Compression Zone :",
     FieldTest::Positive, 3, "Value of Turns of Compression Zone is not correct", &SimulationState::CompressionTurns, true},
    {"Edit4", "MeteringTurns", "8.7", "  Turns of Metering Zone :",
     FieldTest::Positive, 4, "Value of Turns of Metering Zone is not correct", &SimulationState::MeteringTurns, true},
    {"Edit5", "DelayTurns", "5.0", "  Turns of Delay in Melting : ",
     FieldTest::Positive, 5, "Value of Turns of Delay in Metering is not correct", &SimulationState::DelayTurns, true},
    {"Edit6", "FeedDepth", "1.4", "  Depth of Feed Zone Channel (cm) :",
     FieldTest::Positive, 6, "Value of Depth of Feed Zone Channel is not correct", &SimulationState::FeedDepth, true},
    {"Edit7", "MeteringDepth", "0.4", "  Depth of Meter. Zone Channel (cm) : ",
     FieldTest::Positive, 7, "Value of Depth of Metering Zone Channel is not correct", &SimulationState::MeteringDepth, true},
    {"Edit8", "ScrewPitch", "15.0", "  Screw Pitch (cm) : ",
     FieldTest::Positive, 8, "Value of Screw Pitch is not correct", &SimulationState::ScrewPitch, true},
    {"Edit9", "FlightWidth", "1.5", "  Flight Width (cm) :  ",
     FieldTest::Positive, 9, "Value of Flight Width is not correct", &SimulationState::FlightWidth, true},
    {"Edit10", "ScrewSpeed", "38.0", "  Number of Revolution (rpm) :",
     FieldTest::Positive, 10, "Value of Number of Revolution is not correct", &SimulationState::ScrewSpeed, true},
    {"Edit11", "OutputRate", "300.0", "  Output (kg/hr)",
     FieldTest::Positive, 11, "Value of Flow Rate is not correct", &SimulationState::OutputRate, true},
    {"Edit12", "BarrelC0", "290.0", "  Barrel Temp. Para. (C0) : ",
     FieldTest::Positive, 12, "Value of Barrel Temp. Para. (C0) is not correct", &SimulationState::BarrelC0, true},
    {"Edit13", "BarrelC1", "0.0", "  Barrel Temp. Para. (C1) :",
     FieldTest::None, 0, "", &SimulationState::BarrelC1, true},
    {"Edit14", "BarrelC2", "0.0", "  Barrel Temp. Para. (C2)",
     FieldTest::None, 0, "", &SimulationState::BarrelC2, true},
    {"Edit15", "ViscA0", "7.442", "  Viscosity Equation Para. (a0) : ",
     FieldTest::None, 0, "", &SimulationState::ViscA0, false},
    {"Edit16", "ViscA1", "-0.80314", "  Viscosity Equation Para. (a1) : ",
     FieldTest::None, 0, "", &SimulationState::ViscA1, false},
    {"Edit17", "ViscA11", "-0.055098", "  Viscosity Equation Para. (a11) : ",
     FieldTest::None, 0, "", &SimulationState::ViscA11, false},
    {"Edit18", "ViscA2", "0.0047899", "  Viscosity Equation Para. (a2) : ",
     FieldTest::None, 0, "", &SimulationState::ViscA2, false},
    {"Edit19", "ViscA22", "-0.00012377", "  Viscosity Equation Para. (a22) : ",
     FieldTest::None, 0, "", &SimulationState::ViscA22, false},
    {"Edit20", "ViscA12", "0.0047277", "  Viscosity Equation Para. (a12) : ",
     FieldTest::None, 0, "", &SimulationState::ViscA12, false},
    {"Edit21", "SolidDensity", "1.34", "  Density of Solid (g/cm3) :",
     FieldTest::Positive, 13, "Value of Density of Solid is not correct", &SimulationState::SolidDensity, false},
    {"Edit22", "MeltDensity", "1.2", "  Density of Melt (g/cm3) :",
     FieldTest::Positive, 14, "Value of Density of Melt is not correct", &SimulationState::MeltDensity, false},
    {"Edit23", "SolidHeat", "0.4", "  Specific Heat of Solid (cal/g.℃) :",
     FieldTest::Positive, 15, "Value of Specific Heat of Solid is not correct", &SimulationState::SolidHeat, false},
    {"Edit24", "FusionHeat", "17.7", "  Heat of Fusion (cal/g) :",
     FieldTest::NonNegative, 16, "Value of Heat of Fusion is not correct", &SimulationState::FusionHeat, false},
    {"Edit25", "MeltHeat", "0.48", "  Specific Heat of Melt (cal/g.℃) :",
     FieldTest::Positive, 17, "Value of Specific Heat of Melt is not correct", &SimulationState::MeltHeat, false},
    {"Edit26", "MeltConductivity", "0.00052", "  Thermal Cond of Melt (cal/cm.s.℃) :",
     FieldTest::Positive, 18, "Value of Thermal Conductivity of Melt is not correct", &SimulationState::MeltConductivity, false},
    {"Edit27", "MeltingPoint", "265.0", "  Melting Point (℃) :",
     FieldTest::Positive, 19, "Value of Melting Point is not correct", &SimulationState::MeltingPoint, false},
    {"Edit28", "SolidTemp", "30.0", "  Solid Temperature (℃) :",
     FieldTest::Positive, 20, "Value of Solid Temperature is not correct", &SimulationState::SolidTemp, true},
    {"Edit29", "ResultFileName", "result.txt", " Save File Name ",
     FieldTest::NotEmpty, 21, "Save File Name is not correct", nullptr, true},
}};

int FieldIndexOf(std::string_view variable) {
    for (int i = 0; i < kFieldCount; ++i)
        if (kInputFields[i].variable == variable) return i;
    return -1;
}

}  // namespace tadmor
