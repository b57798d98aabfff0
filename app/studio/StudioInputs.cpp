#include "app/studio/StudioInputs.h"

#include <algorithm>
#include <cmath>

#include "extruder/Die.h"
#include "model/NumberText.h"
#include "report/ReadFile.h"
#include "report/TextLines.h"

namespace tadmor::studio {

namespace {

Entry Input(const char* variable, const char* caption, const char* tip) {
    const InputField& field = kInputFields[FieldIndexOf(variable)];
    const bool length = field.unit == "cm";
    return {variable, caption, std::string(field.unit), length, tip};
}

Entry Own(const char* key, const char* caption, const char* unit, bool length, const char* tip) {
    return {key, caption, unit, length, tip};
}

// The tips are the manual's meanings of the inputs (docs/model.md).
const std::vector<EntryGroup> kGroups = {
    {"Screw",
     {Input("ScrewDiameter", "Diameter",
            "D: screw (barrel) diameter; the helix angle, the barrel speed and the turn length are taken at this "
            "diameter"),
      Input("ScrewPitch", "Pitch", "axial length of one turn (the lead of a single-flighted screw)"),
      Input("FlightWidth", "Flight width", "e: width of the flight land, normal to the flight"),
      Input("FeedTurns", "Feed zone", "length of the feed zone (constant depth H₁), from the start of the screw"),
      Input("CompressionTurns", "Compression zone",
            "length of the compression zone, where the depth falls linearly from H₁ to H₃"),
      Input("MeteringTurns", "Metering zone",
            "length of the metering zone (constant depth H₃); the screw ends after it"),
      Input("FeedDepth", "Feed depth",
            "H₁: channel depth in the feed zone; it also fixes the solid bed speed everywhere"),
      Input("MeteringDepth", "Metering depth", "H₃: channel depth in the metering zone"),
      Input("DelayTurns", "Start of melting",
            "turns from the start of the screw to the point where melting starts (may lie in any zone)")}},
    {"Operating point",
     {Input("ScrewSpeed", "Screw speed", "N: screw speed"), Input("OutputRate", "Throughput", "throughput of polymer"),
      Input("SolidTemp", "Solid temperature", "T_s: temperature of the solid bed as it enters melting (uniform)")}},
    {"Barrel",
     {Input("BarrelC0", "C0", "C0 of the barrel law TB = C0 (1 − C1 exp(C2 z)), z from the start of melting"),
      Input("BarrelC1", "C1", "C1 of the barrel law (0: a uniform barrel at C0)"),
      Input("BarrelC2", "C2", "C2 of the barrel law")}},
    {"Material",
     {Input("MeltingPoint", "Melting point", "T_m: melting point; the film's temperature at the bed surface"),
      Input("SolidDensity", "Solid density", "ρ_s: density of the solid bed"),
      Input("MeltDensity", "Melt density", "ρ_m: density of the melt"),
      Input("SolidHeat", "Solid specific heat", "C_s: specific heat of the solid"),
      Input("MeltHeat", "Melt specific heat", "C_m: specific heat of the melt"),
      Input("FusionHeat", "Heat of fusion", "λ: heat of fusion"),
      Input("MeltConductivity", "Melt conductivity", "k: thermal conductivity of the melt"),
      Input("ViscA0", "Viscosity a0", "a0 of the viscosity law (ln of gf·s/cm²)"),
      Input("ViscA1", "Viscosity a1", "a1, coefficient of L = ln γ̇"),
      Input("ViscA11", "Viscosity a11", "a11, coefficient of L²"),
      Input("ViscA2", "Viscosity a2", "a2, coefficient of T"),
      Input("ViscA22", "Viscosity a22", "a22, coefficient of T²"),
      Input("ViscA12", "Viscosity a12", "a12, coefficient of L·T")}},
    {"Die",
     {Own("DieD", "Diameter", "cm", true, "the capillary's bore"), Own("DieW", "Width", "cm", true, "the slit's width"),
      Own("DieH", "Height", "cm", true, "the slit's height (its gap)"),
      Own("DieDo", "Outer diameter", "cm", true, "the annulus's outer diameter"),
      Own("DieDi", "Inner diameter", "cm", true, "the annulus's inner diameter (the mandrel)"),
      Own("DieL", "Land length", "cm", true, "the length of the die's land"),
      Own("DieTable", "Table file", "", false,
          "a measured characteristic: lines 'throughput kg/hr, pressure drop MPa' and 'temperature = degC'"),
      Own("FlightClearance", "Flight clearance", "cm", true,
          "between flight land and barrel; 0: no leakage, as the melting model assumes"),
      Own("StartPressure", "Pressure at the start of melting", "MPa", false,
          "the pressure the solids conveying delivers where melting starts")}},
};

const char* const kDieNames[] = {"none", "capillary", "slit", "annulus", "table"};
constexpr const char* kDieComment = "# studio ";

bool IsLength(const std::string& key) {
    const Entry* entry = FindEntry(key);
    return entry && entry->length;
}

}  // namespace

std::string UnitName(LengthUnit unit) { return unit == LengthUnit::Millimetre ? "mm" : "cm"; }

const std::vector<EntryGroup>& EntryGroups() { return kGroups; }

const Entry* FindEntry(const std::string& key) {
    for (const EntryGroup& group : kGroups)
        for (const Entry& entry : group.entries)
            if (entry.key == key) return &entry;
    return nullptr;
}

std::string DieKindName(DieKind kind) { return kDieNames[static_cast<int>(kind)]; }

std::optional<DieKind> DieKindOf(const std::string& name) {
    for (int k = 0; k < 5; ++k)
        if (name == kDieNames[k]) return static_cast<DieKind>(k);
    return std::nullopt;
}

std::vector<std::string> DieEntries(DieKind kind) {
    switch (kind) {
        case DieKind::Capillary:
            return {"DieD", "DieL"};
        case DieKind::Slit:
            return {"DieW", "DieH", "DieL"};
        case DieKind::Annulus:
            return {"DieDo", "DieDi", "DieL"};
        case DieKind::Table:
            return {"DieTable"};
        case DieKind::None:
            break;
    }
    return {};
}

StudioTexts DefaultTexts() {
    StudioTexts texts;
    const inputs::Case defaults = inputs::DefaultCase();
    for (int field = 0; field < kNumericFieldCount; ++field)
        texts.texts[std::string(kInputFields[field].variable)] = defaults.texts[field];
    // A die to start from when one is chosen: 5 mm by 10 cm, as in the manual's example.
    texts.texts["DieD"] = "0.5";
    texts.texts["DieL"] = "10";
    texts.texts["DieW"] = "10";
    texts.texts["DieH"] = "0.2";
    texts.texts["DieDo"] = "2";
    texts.texts["DieDi"] = "1.6";
    texts.texts["DieTable"] = "";
    texts.texts["FlightClearance"] = "0";
    texts.texts["StartPressure"] = "0";
    return texts;
}

StudioTexts WithMaterial(StudioTexts texts, const material::Material& material, const std::string& origin) {
    for (int i = 0; i < material::kMaterialInputCount; ++i)
        texts.texts[std::string(material::kMaterialInputs[i])] = ExactNumber(material.values[i]);
    texts.material = material;
    texts.materialOrigin = origin;
    return texts;
}

std::string MaterialText(const StudioTexts& texts) {
    if (!texts.material) {
        const inputs::Case defaults = inputs::DefaultCase();
        for (const std::string_view variable : material::kMaterialInputs)
            if (texts.texts.at(std::string(variable)) != defaults.texts[FieldIndexOf(variable)])
                return "the program's defaults, edited";
        return "the program's defaults";
    }
    const material::Material& material = *texts.material;
    std::string text = (material.name.empty() ? "unnamed" : material.name) + " (" + texts.materialOrigin + ")";
    for (int i = 0; i < material::kMaterialInputCount; ++i) {
        const std::optional<double> value =
            TextToNumber(texts.texts.at(std::string(material::kMaterialInputs[i])), '.');
        if (!value || *value != material.values[i]) return text + ", edited";
    }
    return text;
}

std::string ShiftDecimal(const std::string& text, int places) {
    const std::string_view trimmed = Trim(text);
    const std::optional<double> value = TextToNumber(trimmed, '.');
    if (!value) return text;
    std::string sign, digits(trimmed);
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        if (digits[0] == '-') sign = "-";
        digits.erase(0, 1);
    }
    const bool plain = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.';
    }) && std::count(digits.begin(), digits.end(), '.') <= 1;
    if (!plain) {  // an exponent: move it instead, "1.5e3" by -1 is "1.5e2"
        const auto e = digits.find_first_of("eE");
        const std::optional<double> exponent = TextToNumber(digits.substr(e + 1), '.');
        if (e == std::string::npos || !exponent) return text;
        return sign + digits.substr(0, e) + "e" + std::to_string(static_cast<long>(*exponent) + places);
    }
    std::size_t point = digits.find('.');
    if (point == std::string::npos) point = digits.size();
    std::string whole = digits.substr(0, point) + (point < digits.size() ? digits.substr(point + 1) : "");
    long position = static_cast<long>(point) + places;  // the point's place in `whole`
    if (position < 0) {
        whole.insert(0, static_cast<std::size_t>(-position), '0');
        position = 0;
    }
    if (position > static_cast<long>(whole.size())) whole.append(position - whole.size(), '0');
    std::string integer = whole.substr(0, position), fraction = whole.substr(position);
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (integer.empty()) integer = "0";
    return sign + integer + (fraction.empty() ? "" : "." + fraction);
}

StudioTexts WithUnit(StudioTexts texts, LengthUnit unit) {
    if (unit == texts.unit) return texts;
    const int places = unit == LengthUnit::Millimetre ? 1 : -1;
    for (auto& [key, text] : texts.texts)
        if (IsLength(key)) text = ShiftDecimal(text, places);
    texts.unit = unit;
    return texts;
}

StudioRequest BuildRequest(const StudioTexts& texts) {
    StudioRequest request;
    request.inputs = inputs::DefaultCase();
    const auto text = [&](const std::string& key) {
        const auto found = texts.texts.find(key);
        return found == texts.texts.end() ? std::string() : found->second;
    };
    const auto centimetres = [&](const std::string& key) {
        return texts.unit == LengthUnit::Millimetre && IsLength(key) ? ShiftDecimal(text(key), -1) : text(key);
    };
    for (int field = 0; field < kNumericFieldCount; ++field) {
        const std::string key(kInputFields[field].variable);
        request.inputs.texts[field] = centimetres(key);
        request.inputs.origins[field] = "the studio";
        const std::string problem = inputs::FieldProblem(text(key), field, '.');
        if (!problem.empty()) request.problems[key] = problem;
    }
    if (texts.material) request.inputs.material = texts.material;
    if (texts.die == DieKind::None) return request;

    // The die and the extruder's entries, read as the command reads them.
    extruder::ExtruderInputs extruder;
    const std::string suffix = texts.unit == LengthUnit::Millimetre ? "mm" : "";
    const auto number = [&](const std::string& key, auto parse) -> double {
        try {
            return parse(text(key) + (IsLength(key) ? suffix : ""), FindEntry(key)->caption);
        } catch (const Error& error) {
            request.problems[key] = error.what();
            return 0;
        }
    };
    extruder.flightClearance = number("FlightClearance", extruder::ParseLength);
    extruder.startPressure = number("StartPressure", extruder::ParsePressure);
    if (extruder.flightClearance < 0) request.problems["FlightClearance"] = "must be 0 or more (0: no leakage)";
    if (extruder.startPressure < 0) request.problems["StartPressure"] = "must be 0 MPa or more";
    if (texts.die == DieKind::Table) {
        request.dieText = "table:" + text("DieTable");
    } else {
        request.dieText = DieKindName(texts.die) + ":";
        const std::vector<std::string> keys = DieEntries(texts.die);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const std::string name = keys[k].substr(3);  // "D", "L", "W", "H", "Do", "Di"
            number(keys[k], extruder::ParseLength);      // names the entry that is no length
            request.dieText += (k ? "," : "") + name + "=" + text(keys[k]) + suffix;
        }
    }
    if (request.problems.count("FlightClearance") || request.problems.count("StartPressure")) return request;
    for (const std::string& key : DieEntries(texts.die))
        if (request.problems.count(key)) return request;
    try {
        extruder.die = extruder::ParseDie(request.dieText, [](const std::string& path) {
            return ReadRegularFile(path, ErrorKind::Input, "die table");
        });
        extruder::CheckExtruderInputs(extruder);
        request.extruder = extruder;
    } catch (const Error& error) {
        request.problems["Die"] = error.what();
    }
    return request;
}

std::string CaseFileText(const StudioTexts& texts) {
    const StudioRequest request = BuildRequest(texts);
    std::string file = "# A case of the melting model, written by tadmor-studio; tadmor run --case reads it.\n";
    if (texts.material) file += "# material: " + MaterialText(texts) + "\n";
    for (int field = 0; field < kNumericFieldCount; ++field)
        file += std::string(kInputFields[field].variable) + " = " + request.inputs.texts[field] + "\n";
    file += kDieComment + std::string("die = ") + (texts.die == DieKind::None ? "none" : request.dieText) + "\n";
    for (const char* key : {"FlightClearance", "StartPressure"}) {
        const std::string value = texts.texts.at(key);
        file += kDieComment + std::string(key) + " = " + value +
                (IsLength(key) && texts.unit == LengthUnit::Millimetre ? "mm" : "") + "\n";
    }
    return file;
}

StudioTexts ApplyCaseFileText(StudioTexts base, std::string_view contents, std::string_view source) {
    inputs::Case read = BuildRequest(WithUnit(base, LengthUnit::Centimetre)).inputs;
    inputs::ApplyCaseText(read, contents, source);  // refuses what the command refuses
    const LengthUnit unit = base.unit;
    base = WithUnit(std::move(base), LengthUnit::Centimetre);
    for (int field = 0; field < kNumericFieldCount; ++field)
        base.texts[std::string(kInputFields[field].variable)] = read.texts[field];
    // The studio's comment lines: the die and the extruder's entries.
    for (std::size_t start = 0; start < contents.size();) {
        const std::size_t end = std::min(contents.find('\n', start), contents.size());
        std::string_view line = Trim(contents.substr(start, end - start));
        start = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!line.starts_with(kDieComment)) continue;
        line.remove_prefix(std::string_view(kDieComment).size());
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string key(Trim(line.substr(0, equals)));
        std::string value(Trim(line.substr(equals + 1)));
        const auto centimetreText = [](std::string text) {
            return text.ends_with("mm") ? ShiftDecimal(text.substr(0, text.size() - 2), -1) : text;
        };
        if (key == "FlightClearance" || key == "StartPressure") {
            base.texts[key] = key == "FlightClearance" ? centimetreText(value) : value;
        } else if (key == "die") {
            const auto colon = value.find(':');
            const std::optional<DieKind> kind = DieKindOf(value.substr(0, colon));
            if (!kind) continue;
            base.die = *kind;
            if (*kind == DieKind::Table) base.texts["DieTable"] = value.substr(colon + 1);
            if (*kind == DieKind::None || *kind == DieKind::Table || colon == std::string::npos) continue;
            std::string_view rest = std::string_view(value).substr(colon + 1);
            while (!rest.empty()) {
                const auto comma = rest.find(',');
                const std::string_view pair = rest.substr(0, comma);
                const auto eq = pair.find('=');
                if (eq != std::string_view::npos)
                    base.texts["Die" + std::string(Trim(pair.substr(0, eq)))] =
                        centimetreText(std::string(Trim(pair.substr(eq + 1))));
                rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            }
        }
    }
    return WithUnit(std::move(base), unit);
}

}  // namespace tadmor::studio
