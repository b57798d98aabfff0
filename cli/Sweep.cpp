#include "cli/Sweep.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/request/TextToNumber.h"
#include "cli/Export.h"
#include "cli/RunCommand.h"

namespace tadmor::cli {

namespace {

std::vector<std::string_view> Split(std::string_view text, char delimiter) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto end = text.find(delimiter);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return parts;
        text.remove_prefix(end + 1);
    }
}

// Digits after the "." of a number text, before any exponent.
int DecimalsOf(std::string_view text) {
    const auto point = text.find('.');
    if (point == std::string_view::npos) return 0;
    const auto end = text.find_first_not_of("0123456789", point + 1);
    return static_cast<int>((end == std::string_view::npos ? text.size() : end) - point - 1);
}

std::vector<std::string> RangeValues(std::string_view range, const std::string& name) {
    const std::vector<std::string_view> parts = Split(range, ':');
    const std::string usage = "--vary " + name + "=" + std::string(range) + ": ";
    if (parts.size() != 3) throw UsageError(usage + "expected FROM:TO:STEP");
    double numbers[3];
    int decimals = 0;
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> number = TextToNumber(parts[i], '.');
        if (!number) throw UsageError(usage + "\"" + std::string(parts[i]) + "\" is not a number written with \".\"");
        numbers[i] = *number;
        decimals = std::max(decimals, DecimalsOf(parts[i]));
    }
    const long double from = numbers[0], to = numbers[1], step = numbers[2];
    const long double steps = (to - from) / step;
    if (step == 0 || !(steps >= 0)) throw UsageError(usage + "STEP must lead from FROM to TO");
    if (steps >= kMaxSweepCases) throw UsageError(usage + "more than " + std::to_string(kMaxSweepCases) + " values");
    const long count = static_cast<long>(std::floor(steps + 1e-9L)) + 1;

    std::vector<std::string> values;
    for (long k = 0; k < count; ++k) {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(from + k * step),
                                       std::chars_format::fixed, decimals).ptr;
        std::string value(text, end);
        if (value.front() == '-' && value.find_first_of("123456789") == std::string::npos) value.erase(0, 1);
        values.push_back(std::move(value));
    }
    return values;
}

long CaseCount(const std::vector<VariedInput>& varied) {
    long count = 1;
    for (const VariedInput& input : varied) {
        count *= static_cast<long>(input.values.size());
        if (count > kMaxSweepCases)
            throw UsageError("the sweep has more than " + std::to_string(kMaxSweepCases) + " cases");
    }
    return count;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

VariedInput ParseVary(std::string_view option) {
    const auto equals = option.find('=');
    if (equals == std::string_view::npos)
        throw UsageError("--vary expects NAME=FROM:TO:STEP or NAME=V1,V2,..., not \"" + std::string(option) + "\"");
    VariedInput input;
    input.name = option.substr(0, equals);
    input.field = FieldIndexOf(input.name);
    if (input.field < 0) throw UsageError("--vary: unknown input name \"" + input.name + "\"");
    if (input.field >= kNumericFieldCount)
        throw UsageError("--vary: " + input.name + " cannot be varied; every case has its own results file");
    const std::string_view values = option.substr(equals + 1);
    if (values.find(':') != std::string_view::npos) {
        input.values = RangeValues(values, input.name);
    } else {
        for (const std::string_view value : Split(values, ',')) input.values.emplace_back(value);
    }
    return input;
}

std::vector<VariedInput> ParseVaries(const std::vector<std::string>& options) {
    std::vector<VariedInput> varied;
    for (const std::string& option : options) {
        VariedInput input = ParseVary(option);
        for (const VariedInput& earlier : varied)
            if (earlier.field == input.field) throw UsageError("--vary: " + input.name + " is varied twice");
        varied.push_back(std::move(input));
    }
    return varied;
}

Shard ParseShard(std::string_view text) {
    const auto slash = text.find('/');
    Shard shard;
    const auto readInt = [](std::string_view digits, int& value) {
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && result.ec == std::errc() && result.ptr == digits.data() + digits.size();
    };
    if (slash == std::string_view::npos || !readInt(text.substr(0, slash), shard.index) ||
        !readInt(text.substr(slash + 1), shard.count) || shard.index < 0 || shard.count < 1 ||
        shard.index >= shard.count)
        throw UsageError("--shard expects K/N with 0 <= K < N, not \"" + std::string(text) + "\"");
    return shard;
}

std::vector<SweepCase> SweepCases(const std::vector<VariedInput>& varied, Shard shard) {
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

std::string CaseResultFileName(const SweepSettings& settings, long index) {
    const std::size_t width = std::to_string(std::max(CaseCount(settings.varied) - 1, 0L)).size();
    std::string number = std::to_string(index);
    number.insert(0, width - std::min(width, number.size()), '0');
    return (std::filesystem::path(settings.resultsDir) / ("case-" + number + ".txt")).string();
}

CaseResult RunCase(const SweepSettings& settings, const SweepCase& sweepCase) {
    FieldTexts texts = settings.base;
    for (std::size_t j = 0; j < settings.varied.size(); ++j) {
        std::string text = sweepCase.values[j];
        std::replace(text.begin(), text.end(), '.', settings.separator);
        texts[settings.varied[j].field] = std::move(text);
    }

    // Without a results folder the case is calculated and nothing is written.
    Calculation calculation;
    if (settings.resultsDir.empty()) {
        calculation = Calculate(texts, settings.separator);
    } else {
        texts[kFieldCount - 1] = CaseResultFileName(settings, sweepCase.index);
        RecordingUi ui;
        calculation.outcome = RunCalculationRequest(texts, settings.separator, calculation.state, ui);
        calculation.message = ui.Message();
    }
    const SimulationState& state = calculation.state;
    CaseResult result;
    result.outcome = calculation.outcome;
    result.outcomeName = OutcomeName(result.outcome, state);
    result.message = calculation.message;
    if (result.outcome == RequestOutcome::Completed) {
        result.rows = state.StepCount;
        result.meltingFlight = MeltingFlight(result.outcome, state);
        const int last = state.StepCount;
        if (last > 0)
            result.lastRow = {state.ResSolidFraction[last], state.ResSolidFlowRatio[last],
                              state.ResTotalPower[last], state.ResViscousPower[last]};
    }
    return result;
}

std::vector<CaseResult> RunSweep(const SweepSettings& settings, const std::vector<SweepCase>& cases,
                                 const std::function<void(std::size_t, std::size_t)>& progress) {
    std::vector<CaseResult> results(cases.size());
    std::atomic<std::size_t> next = 0;
    std::mutex progressMutex;
    std::size_t done = 0;
    // Each case has its own state and results file: the workers share
    // nothing but the index of the next case.
    const auto work = [&] {
        for (std::size_t i = next++; i < cases.size(); i = next++) {
            results[i] = RunCase(settings, cases[i]);
            if (progress) {
                const std::lock_guard lock(progressMutex);
                progress(++done, cases.size());
            }
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(settings.jobs, 1, std::max<std::size_t>(cases.size(), 1));
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    return results;
}

const std::array<SweepValue, 6> kSweepValues = {{
    {"flight", "FLIGHT where melting completed (turns)"},
    {"rows", "rows recorded"},
    {"xw", "X/W at the end (-)"},
    {"qsqt", "QS/QT at the end (-)"},
    {"power", "total power at the end (kW)"},
    {"viscous-power", "viscous power at the end (kW)"},
}};

std::optional<double> SweepValueOf(std::string_view name, const CaseResult& result) {
    if (name == "flight") return result.meltingFlight;
    if (name == "rows")
        return result.outcome == RequestOutcome::Completed ? std::optional<double>(result.rows) : std::nullopt;
    const std::string_view lastRowNames[] = {"xw", "qsqt", "power", "viscous-power"};
    for (std::size_t i = 0; i < std::size(lastRowNames); ++i)
        if (name == lastRowNames[i] && result.lastRow) return (*result.lastRow)[i];
    return std::nullopt;
}

std::string SummaryCsv(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                       const std::vector<CaseResult>& results) {
    std::string csv = "case";
    for (const VariedInput& input : varied) csv += "," + input.name;
    csv += ",outcome,rows,melting completed at FLIGHT (turns),X/W at end (-),QS/QT at end (-),"
           "POWER TOT at end (kW),POWER VIS at end (kW),message\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CaseResult& result = results[i];
        csv += std::to_string(cases[i].index);
        for (const std::string& value : cases[i].values) csv += "," + CsvField(value);
        csv += "," + result.outcomeName + ",";
        if (result.outcome == RequestOutcome::Completed) csv += std::to_string(result.rows);
        csv += "," + (result.meltingFlight ? ExactNumber(*result.meltingFlight) : "");
        for (int j = 0; j < 4; ++j) csv += "," + (result.lastRow ? ExactNumber((*result.lastRow)[j]) : "");
        csv += "," + CsvField(result.message) + "\n";
    }
    return csv;
}

}  // namespace tadmor::cli
