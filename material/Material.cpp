#include "material/Material.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "material/Units.h"
#include "model/InputFields.h"
#include "model/NumberText.h"
#include "report/AtomicFile.h"
#include "report/ReadFile.h"
#include "report/TextLines.h"

namespace tadmor::material {

const std::array<std::string_view, kMaterialInputCount> kMaterialInputs = {
    "ViscA0",      "ViscA1",    "ViscA11",    "ViscA2",   "ViscA22",          "ViscA12",      "SolidDensity",
    "MeltDensity", "SolidHeat", "FusionHeat", "MeltHeat", "MeltConductivity", "MeltingPoint",
};

namespace {

// The quantity of each thermal property, in kMaterialInputs order after the law.
constexpr Quantity kThermalQuantities[] = {
    Quantity::Density,      Quantity::Density,      Quantity::SpecificHeat, Quantity::LatentHeat,
    Quantity::SpecificHeat, Quantity::Conductivity, Quantity::Temperature,
};

constexpr std::string_view kRangeNames[] = {"FitTemperatureMin", "FitTemperatureMax", "FitShearRateMin",
                                            "FitShearRateMax"};

// Every name a material file may give.
std::vector<std::string_view> KnownNames() {
    std::vector<std::string_view> names = {"Name", "Source", "ViscosityUnits"};
    names.insert(names.end(), kMaterialInputs.begin(), kMaterialInputs.end());
    names.insert(names.end(), std::begin(kRangeNames), std::end(kRangeNames));
    return names;
}

int IndexOf(std::string_view name, const auto& names) {
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

// A value as given on one line: the number and the unit after it.
struct GivenValue {
    long double number = 0;
    std::string unit;  // as written; empty when none
    int line = 0;
};

class Parser {
public:
    explicit Parser(std::string_view source) : source_(source) {}

    void Line(const KeyValue& entry) {
        line_ = entry.line;
        const std::string_view name = entry.name, text = entry.text;
        Claim(std::string(name));
        if (name == "Name") {
            material_.name = text;
        } else if (name == "Source") {
            material_.sources.emplace_back(text);
        } else if (name == "ViscosityUnits") {
            ReadLawUnits(text);
        } else if (const int input = IndexOf(name, kMaterialInputs); input >= 0) {
            inputs_[input] = Value(text);
            if (input < kLawCoefficientCount && !inputs_[input]->unit.empty())
                Fail("the viscosity law's units go on the ViscosityUnits line, not on " + std::string(name));
            if (input >= kLawCoefficientCount)
                UnitOf(kThermalQuantities[input - kLawCoefficientCount], inputs_[input]->unit, name);
        } else if (const int bound = IndexOf(name, kRangeNames); bound >= 0) {
            range_[bound] = Value(text);
            UnitOf(bound < 2 ? Quantity::Temperature : Quantity::ShearRate, range_[bound]->unit, name);
        } else {
            Fail("unknown name " + ShownText(name) + DidYouMean(name, KnownNames()));
        }
    }

    Material Finish(int lastLine, MaterialUse use) {
        line_ = lastLine;
        const bool anyLaw = std::any_of(inputs_.begin(), inputs_.begin() + kLawCoefficientCount,
                                        [](const auto& input) { return input.has_value(); });
        const bool withLaw = use == MaterialUse::Run || anyLaw;
        for (int i = withLaw ? 0 : kLawCoefficientCount; i < kMaterialInputCount; ++i)
            if (!inputs_[i])
                Fail(std::string(kMaterialInputs[i]) + " is missing; " +
                     (use == MaterialUse::Run    ? "a material gives all thirteen inputs"
                      : i < kLawCoefficientCount ? "a base material gives the six coefficients of the law all or none"
                                                 : "a base material gives the seven thermal properties"));

        if (withLaw) {
            LawCoefficients law;
            for (int i = 0; i < kLawCoefficientCount; ++i) law[i] = inputs_[i]->number;
            law = LawToModel(law, lawViscosity_, lawTemperature_);
            for (int i = 0; i < kLawCoefficientCount; ++i) material_.values[i] = static_cast<double>(law[i]);
        }
        for (int i = kLawCoefficientCount; i < kMaterialInputCount; ++i) {
            line_ = inputs_[i]->line;
            const Quantity quantity = kThermalQuantities[i - kLawCoefficientCount];
            const Unit unit = UnitOf(quantity, inputs_[i]->unit, kMaterialInputs[i]);
            material_.values[i] = static_cast<double>(ToModel(unit, inputs_[i]->number));
        }
        FinishRange(lastLine);
        return material_;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw Error(ErrorKind::Material, std::string(source_) + ":" + std::to_string(line_) + ": " + what);
    }

    void Claim(const std::string& name) {
        if (name == "Source") return;  // a material may have several sources
        const auto [at, fresh] = firstLines_.emplace(name, line_);
        if (!fresh) Fail(name + " is given twice (first at line " + std::to_string(at->second) + ")");
    }

    GivenValue Value(std::string_view text) const {
        const auto blank = text.find_first_of(" \t");
        const std::string_view number = text.substr(0, blank);
        const std::optional<long double> value = TextToExtended(number, '.');
        if (!value) Fail(NotANumber(number));
        return {*value, std::string(blank == std::string_view::npos ? "" : Trim(text.substr(blank))), line_};
    }

    Unit UnitOf(Quantity quantity, const std::string& given, std::string_view name) const {
        if (given.empty()) return ModelUnit(quantity);
        const std::optional<Unit> unit = FindUnit(quantity, given);
        if (!unit)
            Fail(ShownText(given) + " is not a unit of " + std::string(name) + " (one of " + UnitNames(quantity) + ")");
        return *unit;
    }

    void ReadLawUnits(std::string_view text) {
        const auto blank = text.find_first_of(" \t");
        if (blank == std::string_view::npos)
            Fail("ViscosityUnits expects the viscosity unit and the temperature scale, e.g. \"Pa.s degC\"");
        lawViscosity_ = UnitOf(Quantity::Viscosity, std::string(text.substr(0, blank)), "the viscosity");
        lawTemperature_ =
            UnitOf(Quantity::LawTemperature, std::string(Trim(text.substr(blank))), "the law's temperature");
    }

    void FinishRange(int lastLine) {
        int given = 0;
        for (const auto& bound : range_) given += bound.has_value();
        if (given == 0) return;
        line_ = lastLine;
        if (given < 4)
            Fail(
                "the fitted range needs all four of FitTemperatureMin, FitTemperatureMax, "
                "FitShearRateMin and FitShearRateMax");
        double values[4];
        for (int i = 0; i < 4; ++i) {
            line_ = range_[i]->line;
            values[i] = static_cast<double>(
                ToModel(UnitOf(i < 2 ? Quantity::Temperature : Quantity::ShearRate, range_[i]->unit, kRangeNames[i]),
                        range_[i]->number));
        }
        line_ = range_[0]->line;
        if (!(values[0] > kAbsoluteZero)) Fail("FitTemperatureMin must be above absolute zero, -273.15 degC");
        line_ = range_[1]->line;
        if (!(values[0] <= values[1])) Fail("FitTemperatureMax must not be below FitTemperatureMin");
        line_ = range_[2]->line;
        if (!(values[2] > 0)) Fail("FitShearRateMin must be above 0");
        line_ = range_[3]->line;
        if (!(values[2] <= values[3])) Fail("FitShearRateMax must not be below FitShearRateMin");
        material_.range = FittedRange{values[0], values[1], values[2], values[3]};
    }

    std::string_view source_;
    int line_ = 0;
    Material material_;
    std::map<std::string, int> firstLines_;
    std::array<std::optional<GivenValue>, kMaterialInputCount> inputs_;
    std::array<std::optional<GivenValue>, 4> range_;
    Unit lawViscosity_ = ModelUnit(Quantity::Viscosity);
    Unit lawTemperature_ = ModelUnit(Quantity::LawTemperature);
};

std::string QuotedIfNeeded(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    if (text != Trim(text) || (!text.empty() && text.front() == '"')) return "\"" + text + "\"";
    return text;
}

}  // namespace

Material ParseMaterial(std::string_view contents, std::string_view source, MaterialUse use) {
    Parser parser(source);
    const int last =
        ForEachKeyValue(contents, source, ErrorKind::Material, [&](const KeyValue& entry) { parser.Line(entry); });
    return parser.Finish(last, use);
}

Material ReadMaterialFile(const std::string& path, MaterialUse use) {
    return ParseMaterial(ReadRegularFile(path, ErrorKind::Material, "material file"), path, use);
}

std::string MaterialFileText(const Material& material) {
    std::string text =
        "# Material file of the tadmor command (docs/materials.md), in the model's units:\n"
        "# the viscosity law gives eta in gf.s/cm2 with T in degC.\n";
    text += "Name = " + QuotedIfNeeded(material.name) + "\n";
    for (const std::string& source : material.sources) text += "Source = " + QuotedIfNeeded(source) + "\n";
    text += "ViscosityUnits = gf.s/cm2 degC\n";
    for (int i = 0; i < kMaterialInputCount; ++i) {
        text += std::string(kMaterialInputs[i]) + " = " + ExactNumber(material.values[i]);
        if (i >= kLawCoefficientCount)
            text += " " + std::string(ModelUnit(kThermalQuantities[i - kLawCoefficientCount]).name);
        text += "\n";
    }
    if (material.range) {
        const FittedRange& r = *material.range;
        text += "FitTemperatureMin = " + ExactNumber(r.temperatureMin) + " degC\n";
        text += "FitTemperatureMax = " + ExactNumber(r.temperatureMax) + " degC\n";
        text += "FitShearRateMin = " + ExactNumber(r.shearRateMin) + " 1/s\n";
        text += "FitShearRateMax = " + ExactNumber(r.shearRateMax) + " 1/s\n";
    }
    return text;
}

void WriteMaterialFile(const Material& material, const std::string& path) {
    AtomicFile file(path);
    if (!file.Write(MaterialFileText(material)) || !file.Commit())
        throw Error(ErrorKind::File, "cannot write the material file " + ShownText(path, std::string::npos) + ": " +
                                         std::strerror(file.Error()));
}

void ApplyMaterial(const Material& material, FieldTexts& texts, char separator) {
    for (int i = 0; i < kMaterialInputCount; ++i) {
        texts[FieldIndexOf(kMaterialInputs[i])] = ExactNumber(material.values[i], separator);
    }
}

}  // namespace tadmor::material
