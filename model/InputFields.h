// The 29 input fields of a calculation: one table that the window, the
// request, the results file, the command line and the tests all use.
#pragma once

#include <array>
#include <span>
#include <string>
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
    std::string_view edit;           // the window's edit field, "Edit1" .. "Edit29"
    std::string_view variable;       // the simulation variable it fills
    std::string_view defaultText;    // the field's default text
    std::string_view label;          // the window's label caption, UTF-8, blanks included
    std::string_view unit;           // the value's unit for plots, UTF-8 ("cm", "°C"); "" when it has none
    FieldTest test;                  // tested in field order
    std::string_view message;        // shown when the test fails
    double SimulationState::*value;  // the number it fills; nullptr for the file name
    bool editable;                   // whether the window lets the user change it
    // Its line in the results file's input section (the 28 numbers only):
    std::string_view fileName;  // the name on the left, e.g. "Screw Diameter"
    std::string_view fileUnit;  // e.g. "(cm)"; "\x81\x8E" is the degree-Celsius sign in Shift-JIS
    int precision;              // the value's fixed-point format (P, D)
    int decimals;
};

// Bytes of the name and unit of an input section line, blanks between them.
inline constexpr std::size_t kFileLabelWidth = 39;

inline constexpr int kNumericFieldCount = 28;
inline constexpr int kFieldCount = 29;  // the 28 numbers and the results file name

extern const std::array<InputField, kFieldCount> kInputFields;

// Index into kInputFields of the field filling `variable`, or -1.
int FieldIndexOf(std::string_view variable);

// The values that pass `test`, in words that follow "must be": "greater
// than 0", "0 or greater", "a name of one character or more"; empty for
// FieldTest::None.
std::string_view PassingValues(FieldTest test);

// "; did you mean NAME?" with the name of `names` closest to the unknown
// `name` (edit distance, ignoring case) when it is a likely misspelling;
// empty otherwise. Without `names`: the 29 input names.
std::string DidYouMean(std::string_view name, std::span<const std::string_view> names = {});

}  // namespace tadmor
