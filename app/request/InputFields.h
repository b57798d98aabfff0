// The 29 input fields of a calculation: one table that the window, the
// command line and the tests all use.
#pragma once

#include <array>
#include <string_view>

#include "model/Cal_Main.h"

namespace tadmor {

enum class FieldTest {
    None,         // any number passes
    Positive,     // greater than 0
    NonNegative,  // greater than or equal to 0
    NotEmpty,     // the file name: not empty
};

struct InputField {
    std::string_view edit;          // the window's edit field, "Edit1" .. "Edit29"
    std::string_view variable;      // the simulation variable it fills
    std::string_view defaultText;   // the field's default text
    std::string_view label;         // the window's label caption, UTF-8, blanks included
    FieldTest test;
    int testOrder;                  // place in the testing order, 1..21; 0 for no test
    std::string_view message;       // shown when the test fails
    double SimulationState::*value; // the number it fills; nullptr for the file name
    bool editable;                  // whether the window lets the user change it
};

inline constexpr int kNumericFieldCount = 28;
inline constexpr int kFieldCount = 29;  // the 28 numbers and the results file name

extern const std::array<InputField, kFieldCount> kInputFields;

// Index into kInputFields of the field filling `variable`, or -1.
int FieldIndexOf(std::string_view variable);

}  // namespace tadmor
