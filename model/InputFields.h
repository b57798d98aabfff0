// The 29 input fields of a calculation: one table that the window, the
// request, the results file, the command line and the tests all use.
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
    FieldTest test;                 // tested in field order
    std::string_view message;       // shown when the test fails
    double SimulationState::*value; // the number it fills; nullptr for the file name
    bool editable;                  // whether the window lets the user change it
    // Its line in the results file's input section (the 28 numbers only):
    std::string_view fileName;      // the name on the left, e.g. "Screw Diameter"
    std::string_view fileUnit;      // e.g. "(cm)"; "\x81\x8E" is the degree-Celsius sign in Shift-JIS
    int precision;                  // the value's fixed-point format (P, D)
    int decimals;
};

// Bytes of the name and unit of an input section line, blanks between them.
inline constexpr std::size_t kFileLabelWidth = 39;

inline constexpr int kNumericFieldCount = 28;
inline constexpr int kFieldCount = 29;  // the 28 numbers and the results file name

extern const std::array<InputField, kFieldCount> kInputFields;

// Index into kInputFields of the field filling `variable`, or -1.
int FieldIndexOf(std::string_view variable);

}  // namespace tadmor
