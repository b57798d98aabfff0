#include "inputs/Case.h"

#include <algorithm>
#include <charconv>

#include "extruder/Extruder.h"
#include "material/RangeCheck.h"
#include "model/NumberText.h"
#include "report/ReadFile.h"
#include "report/TextLines.h"

namespace tadmor::inputs {

namespace {

int FieldIndexOrThrow(std::string_view name, const std::string& where) {
    const int index = FieldIndexOf(name);
    if (index < 0) throw Error(ErrorKind::Input, where + "unknown input name " + ShownText(name) + DidYouMean(name));
    return index;
}

// What to write instead of `text`, which does not read as a number with
// `separator`, for the input `field`.
std::string NumberHint(const InputField& field, std::string_view text, char separator, bool commandLine) {
    const std::string example = DefaultCase(separator).texts[FieldIndexOf(field.variable)];
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty()) return "give a number, such as " + example;
    if (trimmed.find('#') != std::string_view::npos) return "a comment goes on a line of its own, starting with #";
    const char other = separator == '.' ? ',' : '.';
    if (trimmed.find(other) != std::string_view::npos) {
        std::string swapped(trimmed);
        std::replace(swapped.begin(), swapped.end(), other, separator);
        if (TextToNumber(swapped, separator))
            return std::string("the decimal separator is \"") + separator + "\": write " + swapped +
                   (commandLine ? std::string(" (or give --decimal-separator ") + other + ")" : "");
    }
    const auto blank = trimmed.find_first_of(" \t");
    if (blank != std::string_view::npos && TextToNumber(trimmed.substr(0, blank), separator))
        return "write the number alone, without a unit (" + std::string(field.variable) + " is " + FieldCaption(field) +
               ")";
    std::string point(trimmed);
    std::replace(point.begin(), point.end(), separator, '.');
    if (!point.empty() && point.front() == '+') point.erase(0, 1);
    double ignored;
    if (std::from_chars(point.data(), point.data() + point.size(), ignored).ec == std::errc::result_out_of_range)
        return "it is beyond the range of a double";
    return std::string("write an optional sign, digits with at most one \"") + separator +
           "\" and an optional exponent (E or e), such as " + example;
}

// Whether the texts of the viscosity law are those `material` sets.
bool LawIsTheMaterials(const Case& inputs, const material::Material& material) {
    Case own = inputs;
    for (int i = 0; i < material::kMaterialInputCount; ++i)
        own.texts[FieldIndexOf(material::kMaterialInputs[i])] = ExactNumber(material.values[i], inputs.separator);
    for (int i = 0; i < material::kLawCoefficientCount; ++i) {
        const int field = FieldIndexOf(material::kMaterialInputs[i]);
        if (own.texts[field] != inputs.texts[field]) return false;
    }
    return true;
}

}  // namespace

std::string FieldCaption(const InputField& field) {
    std::string_view label = Trim(field.label);
    if (!label.empty() && label.back() == ':') label = Trim(label.substr(0, label.size() - 1));
    return std::string(label);
}

Case DefaultCase(char separator) {
    Case inputs;
    inputs.texts = DefaultFieldTexts(separator);
    inputs.separator = separator;
    inputs.origins.fill("the default");
    return inputs;
}

void ApplyMaterial(Case& inputs, material::Material material, const std::string& origin) {
    const FieldTexts before = inputs.texts;
    material::ApplyMaterial(material, inputs.texts, inputs.separator);
    for (int i = 0; i < kFieldCount; ++i)
        if (inputs.texts[i] != before[i]) inputs.origins[i] = origin;
    inputs.material = std::move(material);
}

void ApplyCaseText(Case& inputs, std::string_view contents, std::string_view source) {
    ForEachKeyValue(contents, source, ErrorKind::Input, [&](const KeyValue& entry) {
        const int index = FieldIndexOrThrow(entry.name, entry.place + ": ");
        inputs.texts[index] = entry.text;
        inputs.origins[index] = entry.place;
    });
}

void ApplyCaseFile(Case& inputs, const std::string& path) {
    ApplyCaseText(inputs, ReadRegularFile(path, ErrorKind::Input, "case file"), path);
}

void SetInput(Case& inputs, std::string_view name, std::string text, const std::string& origin) {
    const int index = FieldIndexOrThrow(Trim(name), origin + ": ");
    inputs.texts[index] = std::move(text);
    inputs.origins[index] = origin;
}

Case WithSeparator(Case inputs, char to) {
    const char from = inputs.separator;
    if (from == to) return inputs;
    for (int i = 0; i < kNumericFieldCount; ++i)
        for (char& c : inputs.texts[i])
            if (c == from || c == to) c = c == from ? to : from;
    inputs.separator = to;
    return inputs;
}

std::string RefusalDetail(const Case& inputs, int field) {
    const InputField& input = kInputFields[field];
    const std::string& text = inputs.texts[field];
    const std::string what = inputs.origins[field] + ": " + std::string(input.variable) + " " + ShownText(text);
    if (field < kNumericFieldCount && !TextToNumber(text, inputs.separator))
        return what + " is not a number: " + NumberHint(input, text, inputs.separator, true);
    return what + " must be " + std::string(PassingValues(input.test));
}

std::string FieldProblem(std::string_view text, int field, char separator) {
    const InputField& input = kInputFields[field];
    if (field >= kNumericFieldCount) return input.test == FieldTest::NotEmpty && text.empty() ? "give a name" : "";
    const std::optional<double> value = TextToNumber(text, separator);
    if (!value) return "not a number: " + NumberHint(input, text, separator, false);
    const bool passes = input.test == FieldTest::Positive      ? *value > 0
                        : input.test == FieldTest::NonNegative ? *value >= 0
                                                               : true;
    return passes ? "" : "must be " + std::string(PassingValues(input.test));
}

Calculation Calculate(const Case& inputs) { return tadmor::Calculate(inputs.texts, inputs.separator); }

std::optional<Warning> DragFlowWarning(const SimulationState& state) {
    double capacity = 0;
    try {
        capacity = extruder::OpenDischargeCapacity(state, 0);
    } catch (const Error&) {
        return std::nullopt;  // a channel the flow cannot be solved in: other warnings and errors say why
    }
    if (!(capacity > 0)) return std::nullopt;
    // A full screw holding back all but a few percent of its drag flow needs
    // an extreme die; the usual cause is a screw typed in other units.
    if (state.OutputRate > 0 && state.OutputRate < kLeastDragFlowShare * capacity)
        return Warning{"throughput-far-below-drag-flow",
                       "the throughput " + NumberText(state.OutputRate, 1) + " kg/hr is " +
                           SignificantNumber(100 * state.OutputRate / capacity, 2) +
                           " % of the metering zone's drag flow, " + NumberText(capacity, 1) +
                           " kg/hr at open discharge: a full screw would need a die holding back nearly all it "
                           "drags; screw dimensions in millimetres typed for centimetres, or too large a screw "
                           "for this throughput?",
                       "input OutputRate"};
    if (!(state.OutputRate > capacity)) return std::nullopt;
    return Warning{"throughput-above-drag-flow",
                   "the throughput " + NumberText(state.OutputRate, 1) +
                       " kg/hr is above the metering zone's drag flow, " + NumberText(capacity, 1) +
                       " kg/hr of melt at open discharge: the screw cannot convey it against any die; only a feed "
                       "that forces it in (or a wrong input) gives it, and the melt would be pushed, not dragged",
                   "input OutputRate"};
}

std::vector<Warning> AllWarnings(const Case& inputs, const Calculation& calculation) {
    if (calculation.outcome == RequestOutcome::InvalidInput) return {};
    std::vector<Warning> warnings = RunWarnings(calculation.state);
    if (std::optional<Warning> dragFlow = DragFlowWarning(calculation.state)) warnings.push_back(std::move(*dragFlow));
    if (calculation.outcome == RequestOutcome::Completed)
        if (std::optional<Warning> noRows = NoRowsWarning(calculation.state)) warnings.push_back(std::move(*noRows));
    if (calculation.outcome == RequestOutcome::Completed && inputs.material && inputs.material->range &&
        LawIsTheMaterials(inputs, *inputs.material))
        for (Warning& warning : material::FittedRangeWarnings(*inputs.material->range, calculation.state))
            warnings.push_back(std::move(warning));
    return warnings;
}

RunSummary Summarize(const Case& inputs, const Calculation& calculation) {
    return tadmor::Summarize(calculation, AllWarnings(inputs, calculation));
}

}  // namespace tadmor::inputs
