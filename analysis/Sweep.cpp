#include "analysis/Sweep.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>

#include "model/NumberText.h"
#include "report/TextLines.h"

namespace tadmor::analysis {

namespace {

[[noreturn]] void Refuse(const std::string& text) { throw Error(ErrorKind::Input, text); }

std::vector<std::string_view> Split(std::string_view text, char delimiter) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto end = text.find(delimiter);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return parts;
        text.remove_prefix(end + 1);
    }
}

// Decimal places that a number text shows: the digits after its "." less its
// exponent ("2.5e-3": 4, "1e300": -300).
int DecimalsOf(std::string_view text) {
    long decimals = 0;
    const auto point = text.find('.');
    if (point != std::string_view::npos) {
        const auto end = text.find_first_not_of("0123456789", point + 1);
        decimals = static_cast<long>((end == std::string_view::npos ? text.size() : end) - point - 1);
    }
    if (auto e = text.find_first_of("eE"); e != std::string_view::npos) {
        if (++e < text.size() && text[e] == '+') ++e;
        long exponent = 0;
        std::from_chars(text.data() + e, text.data() + text.size(), exponent);
        decimals -= std::clamp(exponent, -1000L, 1000L);
    }
    return static_cast<int>(decimals);
}

// "ScrewSpeed "TEXT": " to start a message about the values of `field`.
std::string About(int field, std::string_view values) {
    return std::string(kInputFields[field].variable) + " " + ShownText(values) + ": ";
}

struct Range {
    long double from, to, step;
    int decimals;
    long count;
};

// The range FROM:TO:STEP of `parts`, checked.
Range ReadRange(int field, std::string_view values, const std::vector<std::string_view>& parts) {
    const std::string about = About(field, values);
    if (parts.size() != 3) Refuse(about + "expected FROM:TO:STEP");
    double numbers[3];
    int decimals = std::numeric_limits<int>::min();
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> number = TextToNumber(parts[i], '.');
        if (!number) Refuse(about + ShownText(parts[i], 40) + " is not a number written with \".\"");
        numbers[i] = *number;
        decimals = std::max(decimals, DecimalsOf(parts[i]));
    }
    const long double from = numbers[0], to = numbers[1], step = numbers[2];
    const long double steps = (to - from) / step;
    if (step == 0 || !(steps >= 0)) Refuse(about + "STEP must lead from FROM to TO");
    if (steps >= kMaxSweepCases) Refuse(about + "more than " + std::to_string(kMaxSweepCases) + " values");
    return {from, to, step, decimals, static_cast<long>(std::floor(steps + 1e-9L)) + 1};
}

bool IsRange(std::string_view values) { return values.find(':') != std::string_view::npos; }

}  // namespace

std::string_view NameOf(const VariedInput& input) { return kInputFields[input.field].variable; }

int VariedField(std::string_view name, std::string_view what) {
    name = Trim(name);
    const int field = FieldIndexOf(name);
    if (field < 0) Refuse(std::string(what) + ": unknown input name " + ShownText(name) + DidYouMean(name));
    if (field >= kNumericFieldCount)
        Refuse(std::string(what) + ": " + std::string(name) + " cannot be varied; every case has its own results file");
    return field;
}

VariedInput VariedValues(int field, const std::vector<double>& values) {
    if (values.empty()) Refuse(std::string(kInputFields[field].variable) + ": no values given");
    VariedInput input{field, {}};
    for (const double value : values) {
        if (!std::isfinite(value))
            Refuse(std::string(kInputFields[field].variable) + ": " + ExactNumber(value) + " is not a finite number");
        input.values.push_back(ExactNumber(value));
    }
    return input;
}

long CountOfValues(int field, std::string_view values) {
    if (IsRange(values)) return ReadRange(field, values, Split(values, ':')).count;
    return static_cast<long>(std::count(values.begin(), values.end(), ',')) + 1;
}

VariedInput VariedText(int field, std::string_view values) {
    VariedInput input{field, {}};
    if (IsRange(values)) {
        const Range range = ReadRange(field, values, Split(values, ':'));
        for (long k = 0; k < range.count; ++k)
            input.values.push_back(NumberText(static_cast<double>(range.from + k * range.step), range.decimals));
        return input;
    }
    for (const std::string_view value : Split(values, ',')) input.values.emplace_back(value);
    return input;
}

double ValueOf(const std::string& text) { return TextToNumber(text, '.').value_or(NAN); }

void RequireNumbers(const VariedInput& input) {
    for (const std::string& value : input.values)
        if (!TextToNumber(value, '.'))
            Refuse(std::string(NameOf(input)) + ": " +
                   (Trim(value).empty() ? std::string("an empty value") : ShownText(value, 40)) +
                   " is not a number written with \".\"");
}

void CheckShard(const Shard& shard) {
    if (shard.index < 0 || shard.count < 1 || shard.index >= shard.count)
        Refuse("a shard K/N needs 0 <= K < N, not " + std::to_string(shard.index) + "/" + std::to_string(shard.count));
}

long CaseCount(const std::vector<VariedInput>& varied) {
    long count = 1;
    for (std::size_t i = 0; i < varied.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (varied[j].field == varied[i].field) Refuse(std::string(NameOf(varied[i])) + " is varied twice");
        count *= static_cast<long>(varied[i].values.size());
        if (count > kMaxSweepCases) Refuse("the sweep has more than " + std::to_string(kMaxSweepCases) + " cases");
    }
    return count;
}

std::vector<SweepCase> SweepCases(const std::vector<VariedInput>& varied, Shard shard) {
    CheckShard(shard);
    const long total = CaseCount(varied);
    std::vector<SweepCase> cases;
    for (long index = shard.index; index < total; index += shard.count) {
        SweepCase sweepCase{index, std::vector<std::string>(varied.size())};
        long rest = index;
        for (std::size_t j = varied.size(); j-- > 0;) {
            const long size = static_cast<long>(varied[j].values.size());
            sweepCase.values[j] = varied[j].values[rest % size];
            rest /= size;
        }
        cases.push_back(std::move(sweepCase));
    }
    return cases;
}

std::string SweepId(const Sweep& sweep) {
    // FNV-1a (64 bits) over the texts, each after its length so that no two
    // sequences of texts give the same bytes; the varied inputs come first,
    // and the base texts of the inputs they vary are left out.
    std::uint64_t hash = 0xcbf29ce484222325;
    const auto add = [&hash](std::string_view text) {
        for (const char c : std::to_string(text.size()) + ":" + std::string(text))
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    };
    for (const VariedInput& input : sweep.varied) {
        add(NameOf(input));
        add(std::to_string(input.values.size()));
        for (const std::string& value : input.values) add(value);
    }
    for (int field = 0; field < kNumericFieldCount; ++field)
        if (std::none_of(sweep.varied.begin(), sweep.varied.end(),
                         [field](const VariedInput& input) { return input.field == field; }))
            add(sweep.base.texts[field]);
    add(std::string(1, sweep.base.separator));
    std::string id;
    for (int shift = 60; shift >= 0; shift -= 4) id += "0123456789abcdef"[(hash >> shift) & 0xf];
    return id;
}

std::string CaseResultFileName(const Sweep& sweep, long index) {
    const std::size_t width = std::to_string(std::max(CaseCount(sweep.varied) - 1, 0L)).size();
    std::string number = std::to_string(index);
    number.insert(0, width - std::min(width, number.size()), '0');
    return (std::filesystem::path(sweep.resultsDir) / ("case-" + number + ".txt")).string();
}

inputs::Case CaseOf(const Sweep& sweep, const SweepCase& sweepCase) {
    inputs::Case inputs = sweep.base;
    for (std::size_t j = 0; j < sweep.varied.size(); ++j) {
        std::string text = sweepCase.values[j];
        std::replace(text.begin(), text.end(), '.', inputs.separator);
        inputs.texts[sweep.varied[j].field] = std::move(text);
    }
    return inputs;
}

RunSummary RunCase(const Sweep& sweep, const SweepCase& sweepCase) {
    inputs::Case inputs = CaseOf(sweep, sweepCase);
    // Without a results folder the case is calculated and nothing is written.
    if (sweep.resultsDir.empty()) return inputs::Summarize(inputs, inputs::Calculate(inputs));
    inputs.texts[kFieldCount - 1] = CaseResultFileName(sweep, sweepCase.index);
    SilentUi ui;
    return inputs::Summarize(inputs, RunRequest(inputs.texts, inputs.separator, ui));
}

bool RunSweep(const Sweep& sweep, const std::vector<SweepCase>& cases, CaseResults& results,
              const RunControl& control) {
    std::vector<std::size_t> todo;
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (!results[i]) todo.push_back(i);
    return RunTasks(
        todo, cases.size() - todo.size(), cases.size(), [&](std::size_t i) { results[i] = RunCase(sweep, cases[i]); },
        control);
}

}  // namespace tadmor::analysis
