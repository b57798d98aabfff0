#include "model/InputFields.h"

#include <gtest/gtest.h>

namespace tadmor {
namespace {

TEST(InputFields, EachNumberFillsItsOwnVariable) {
    SimulationState state;
    for (int i = 0; i < kNumericFieldCount; ++i) state.*kInputFields[i].value = i + 1;
    for (int i = 0; i < kNumericFieldCount; ++i) EXPECT_EQ(state.*kInputFields[i].value, i + 1);
    EXPECT_EQ(state.ScrewDiameter, 1);
    EXPECT_EQ(state.DelayTurns, 5);
    EXPECT_EQ(state.ViscA0, 15);
    EXPECT_EQ(state.SolidTemp, 28);
}

TEST(InputFields, OnlyTheViscosityAndMaterialFieldsAreLocked) {
    for (int i = 0; i < kFieldCount; ++i) EXPECT_EQ(kInputFields[i].editable, i < 14 || i > 26) << kInputFields[i].edit;
}

TEST(InputFields, LabelsKeepTheirBlanksAndDegreeSign) {
    EXPECT_EQ(kInputFields[1].label, "  Turns of Feed Zone :  ");
    EXPECT_EQ(kInputFields[26].label, "  Melting Point (\u2103) :");
    EXPECT_EQ(kInputFields[4].message, "Value of Turns of Delay in Metering is not correct");
}

TEST(InputFields, FieldIndexOf) {
    EXPECT_EQ(FieldIndexOf("ScrewDiameter"), 0);
    EXPECT_EQ(FieldIndexOf("SolidTemp"), 27);
    EXPECT_EQ(FieldIndexOf("ResultFileName"), 28);
    EXPECT_EQ(FieldIndexOf("screwdiameter"), -1);
    EXPECT_EQ(FieldIndexOf("Edit1"), -1);
}

}  // namespace
}  // namespace tadmor
