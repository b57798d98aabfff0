// Fuzzes case files together with the values of varied inputs. Every input must be
// refused with a usage error whose message is one whole line (no control
// characters, a NUL least of all), or give values that the sweep can use:
// every value of a FROM:TO:STEP range a number that reads back, in the
// order of the step, the first within half a step of FROM; each case a value
// of each varied input.
//
// Input: the case file, then each varied input as NAME=VALUES (at most
// three), separated by the byte 0x1e.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Sweep.h"
#include "inputs/Case.h"
#include "model/NumberText.h"

namespace {

using namespace tadmor;
using namespace tadmor::analysis;

[[noreturn]] void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void CheckMessage(const Error& error, std::string_view input) {
    if (error.Kind() != ErrorKind::Input) Fail("an error that is not a usage error", error.what());
    const std::string_view message = error.what();
    if (message.empty()) Fail("an empty message", input);
    for (const char c : message)
        if (static_cast<unsigned char>(c) < 0x20) Fail("a control character in the message", message);
}

// FROM, TO and STEP of a range option "NAME=FROM:TO:STEP".
std::vector<double> RangeNumbers(std::string_view option) {
    std::string_view range = option.substr(option.find('=') + 1);
    std::vector<double> numbers;
    for (int i = 0; i < 3; ++i) {
        const auto colon = range.find(':');
        numbers.push_back(*TextToNumber(range.substr(0, colon), '.'));
        range.remove_prefix(colon == std::string_view::npos ? range.size() : colon + 1);
    }
    return numbers;
}

void CheckRange(const VariedInput& input, std::string_view option) {
    const std::vector<double> numbers = RangeNumbers(option);
    const double from = numbers[0], step = numbers[2];
    double previous = 0;
    for (std::size_t k = 0; k < input.values.size(); ++k) {
        const std::optional<double> value = TextToNumber(input.values[k], '.');
        if (!value) Fail("a range value that is not a number", input.values[k]);
        if (k == 0 && !(std::fabs(*value - from) <= 0.5 * std::fabs(step) + 1e-15 * std::fabs(from)))
            Fail("a first value away from FROM", input.values[k]);
        if (k > 0 && (step > 0 ? *value < previous : *value > previous))
            Fail("range values out of the order of the step", input.values[k]);
        previous = *value;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    for (std::string_view rest = input;;) {
        const auto end = rest.find('\x1e');
        parts.push_back(rest.substr(0, end));
        if (end == std::string_view::npos || parts.size() == 4) break;
        rest.remove_prefix(end + 1);
    }

    inputs::Case given = inputs::DefaultCase();  // what the case file overrides
    try {
        inputs::ApplyCaseText(given, parts[0], "fuzz.case");
    } catch (const Error& error) {
        CheckMessage(error, parts[0]);
        return 0;
    }

    const std::vector<std::string> options(parts.begin() + 1, parts.end());
    std::vector<VariedInput> varied;
    try {
        for (const std::string& option : options) {
            const auto equals = option.find('=');
            if (equals == std::string::npos) return 0;
            varied.push_back(VariedText(VariedField(option.substr(0, equals), "--vary"), option.substr(equals + 1)));
        }
        CaseCount(varied);
    } catch (const Error& error) {
        CheckMessage(error, input);
        return 0;
    }
    for (std::size_t i = 0; i < varied.size(); ++i) {
        const VariedInput& input = varied[i];
        if (input.field < 0 || input.field >= kNumericFieldCount) Fail("a field that cannot be varied", NameOf(input));
        if (input.values.empty() || input.values.size() > kMaxSweepCases) Fail("no values or too many", NameOf(input));
        const std::string_view values = std::string_view(options[i]).substr(options[i].find('=') + 1);
        if (values.find(':') != std::string_view::npos) CheckRange(input, options[i]);
    }
    // The first cases, or the refusal of a sweep of too many.
    try {
        for (const SweepCase& sweepCase : SweepCases(varied, Shard{0, 100000}))
            if (sweepCase.values.size() != varied.size()) Fail("a case without a value of each input", input);
    } catch (const Error& error) {
        CheckMessage(error, input);
    }
    return 0;
}
