// The studio's inputs as the engineer types them: the entries of the input
// panel in their groups, lengths in millimetres or centimetres, the material
// and the die; and the case and whole-extruder inputs they give, with what
// is wrong with each entry. No Qt: the view logic is tested without a display.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "extruder/Extruder.h"
#include "inputs/Case.h"

namespace tadmor::studio {

enum class LengthUnit { Millimetre, Centimetre };

// "mm" or "cm".
std::string UnitName(LengthUnit unit);

// One entry of the input panel: an input of the model by its variable name,
// or an entry of the die ("DieD", "DieL", ...) or of the extruder
// ("FlightClearance", "StartPressure").
struct Entry {
    std::string key;
    std::string caption;  // "Screw diameter"
    std::string unit;     // "cm" for lengths, which are shown in the chosen unit
    bool length = false;  // a length: shown and typed in the chosen unit
    std::string tip;      // what it is, from the manual
};

struct EntryGroup {
    std::string title;  // "Screw", "Operating point", "Barrel", "Material", "Die"
    std::vector<Entry> entries;
};

// The groups in the panel's order; the die group holds every kind's entries.
const std::vector<EntryGroup>& EntryGroups();

// The entry with this key, or nullptr.
const Entry* FindEntry(const std::string& key);

enum class DieKind { None, Capillary, Slit, Annulus, Table };

// "none", "capillary", "slit", "annulus", "table": the names of the command's
// --die texts (and "none").
std::string DieKindName(DieKind kind);
std::optional<DieKind> DieKindOf(const std::string& name);

// The die entries a kind uses, in order ("DieD", "DieL" for a capillary;
// "DieTable" for a measured table); the extruder's own entries are used
// with every die.
std::vector<std::string> DieEntries(DieKind kind);

// Everything the panel holds, as typed.
struct StudioTexts {
    std::map<std::string, std::string> texts;  // by key; lengths in `unit`
    LengthUnit unit = LengthUnit::Centimetre;
    DieKind die = DieKind::None;
    // The material applied last and where it came from ("the program's
    // defaults", a file's path, "fitted to PATH"); its values are among the
    // texts, and may have been edited since.
    std::optional<material::Material> material;
    std::string materialOrigin = "the program's defaults";
};

// The default case in centimetres, no die.
StudioTexts DefaultTexts();

// The texts with the material's thirteen values, the material kept and its
// origin named.
StudioTexts WithMaterial(StudioTexts texts, const material::Material& material, const std::string& origin);

// The material in words: "default (the program's defaults)", "HDPE
// (/path/hdpe.material), edited" when a material value differs from it.
std::string MaterialText(const StudioTexts& texts);

// A decimal text with its point moved `places` to the right (left when
// negative), digit for digit: "14.3" by -1 is "1.43", "0.4" by 1 is "4".
// Texts that are not plain decimals get an exponent ("1e2" by -1: "1e2e-1"
// is not made; "1e1" instead): the number they read as, times 10^places,
// written exactly. Texts that are no number are returned as they are.
std::string ShiftDecimal(const std::string& text, int places);

// The texts with every length written in `unit`.
StudioTexts WithUnit(StudioTexts texts, LengthUnit unit);

// What the texts give: the case (lengths in cm), and with a die the
// whole-extruder inputs; the problem of each entry that has one, by key
// (the die as a whole under "Die").
struct StudioRequest {
    inputs::Case inputs;
    std::optional<extruder::ExtruderInputs> extruder;
    std::map<std::string, std::string> problems;
    std::string dieText;  // the command's --die text, when there is a die
};

StudioRequest BuildRequest(const StudioTexts& texts);

// The case file of the texts: NAME = TEXT lines of the 28 inputs in cm, and
// the die as comment lines that the command passes over and the studio reads.
std::string CaseFileText(const StudioTexts& texts);

// The texts of a case file's contents, applied to `base` (for the inputs it
// does not give). Throws Error of kind Input naming the line.
StudioTexts ApplyCaseFileText(StudioTexts base, std::string_view contents, std::string_view source);

}  // namespace tadmor::studio
