#include "cli/Sweep.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <mutex>
#include <span>
#include <thread>

#include "app/request/TextToNumber.h"
#include "app/request/Warnings.h"
#include "cli/Export.h"
#include "cli/RunCommand.h"
#include "material/Text.h"
#include "model/NumberText.h"

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
        if (text[++e] == '+') ++e;
        long exponent = 0;
        std::from_chars(text.data() + e, text.data() + text.size(), exponent);
        decimals -= std::clamp(exponent, -1000L, 1000L);
    }
    return static_cast<int>(decimals);
}

std::vector<std::string> RangeValues(std::string_view range, const std::string& name) {
    const std::vector<std::string_view> parts = Split(range, ':');
    const std::string usage = "--vary " + name + "=" + Escaped(range) + ": ";
    if (parts.size() != 3) throw UsageError(usage + "expected FROM:TO:STEP");
    double numbers[3];
    int decimals = std::numeric_limits<int>::min();
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> number = TextToNumber(parts[i], '.');
        if (!number) throw UsageError(usage + Quoted(parts[i]) + " is not a number written with \".\"");
        numbers[i] = *number;
        decimals = std::max(decimals, DecimalsOf(parts[i]));
    }
    const long double from = numbers[0], to = numbers[1], step = numbers[2];
    const long double steps = (to - from) / step;
    if (step == 0 || !(steps >= 0)) throw UsageError(usage + "STEP must lead from FROM to TO");
    if (steps >= kMaxSweepCases) throw UsageError(usage + "more than " + std::to_string(kMaxSweepCases) + " values");
    const long count = static_cast<long>(std::floor(steps + 1e-9L)) + 1;

    std::vector<std::string> values;
    for (long k = 0; k < count; ++k)
        values.push_back(NumberText(static_cast<double>(from + k * step), decimals));
    return values;
}

// The number of values of FROM:TO:STEP as RangeValues counts them, without
// building them; a range that RangeValues refuses goes to it for its message.
long RangeCount(std::string_view range, const std::string& name) {
    const std::vector<std::string_view> parts = Split(range, ':');
    if (parts.size() == 3) {
        const std::optional<double> from = TextToNumber(parts[0], '.'), to = TextToNumber(parts[1], '.'),
                                    step = TextToNumber(parts[2], '.');
        if (from && to && step && *step != 0) {
            const long double steps = (static_cast<long double>(*to) - *from) / *step;
            if (steps >= 0 && steps < kMaxSweepCases) return static_cast<long>(std::floor(steps + 1e-9L)) + 1;
        }
    }
    return static_cast<long>(RangeValues(range, name).size());
}

// A --vary option read as far as its input: the values are still a text.
struct VaryOption {
    VariedInput input;  // name and field
    std::string_view values;
};

VaryOption ReadVaryName(std::string_view option) {
    const auto equals = option.find('=');
    if (equals == std::string_view::npos)
        throw UsageError("--vary expects NAME=FROM:TO:STEP or NAME=V1,V2,..., not " + Quoted(option));
    const std::string_view name = material::Trim(option.substr(0, equals));
    VaryOption vary{{std::string(name), FieldIndexOf(name), {}}, option.substr(equals + 1)};
    if (vary.input.field < 0)
        throw UsageError("--vary: unknown input name " + Quoted(vary.input.name) + DidYouMean(name));
    if (vary.input.field >= kNumericFieldCount)
        throw UsageError("--vary: " + vary.input.name + " cannot be varied; every case has its own results file");
    return vary;
}

bool IsRange(std::string_view values) { return values.find(':') != std::string_view::npos; }

long ValueCount(const VaryOption& vary) {
    if (IsRange(vary.values)) return RangeCount(vary.values, vary.input.name);
    return static_cast<long>(std::count(vary.values.begin(), vary.values.end(), ',')) + 1;
}

VariedInput WithValues(VaryOption vary) {
    if (IsRange(vary.values)) {
        vary.input.values = RangeValues(vary.values, vary.input.name);
    } else {
        for (const std::string_view value : Split(vary.values, ',')) vary.input.values.emplace_back(value);
    }
    return std::move(vary.input);
}

UsageError TooManyCases() {
    return UsageError("the sweep has more than " + std::to_string(kMaxSweepCases) + " cases");
}

long CaseCount(const std::vector<VariedInput>& varied) {
    long count = 1;
    for (const VariedInput& input : varied) {
        count *= static_cast<long>(input.values.size());
        if (count > kMaxSweepCases) throw TooManyCases();
    }
    return count;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The fields of the CSV line at the start of `text`, which then starts after
// it. A field in double quotes may hold commas, line ends and doubled quotes.
std::vector<std::string> ReadCsvLine(std::string_view& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    std::size_t i = 0;
    for (; i < text.size() && (quoted || text[i] != '\n'); ++i) {
        const char c = text[i];
        if (c == '"' && quoted && i + 1 < text.size() && text[i + 1] == '"')
            fields.back() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    text.remove_prefix(std::min(i + 1, text.size()));
    return fields;
}

// The number that is the whole of `text`; for a double the shortest text
// that reads back as it, as the summary writes it.
template <typename Number>
std::optional<Number> ReadWhole(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

std::optional<RequestOutcome> OutcomeOfName(std::string_view name) {
    if (name == "melting completed" || name == "end of screw") return RequestOutcome::Completed;
    if (name == "invalid input") return RequestOutcome::InvalidInput;
    if (name == "file not written") return RequestOutcome::FileNotWritten;
    if (name == "calculation error") return RequestOutcome::CalculationError;
    return std::nullopt;
}

// A case's result from the fields of its summary line after the varied
// values: outcome, rows, FLIGHT, the four values of the last row, message,
// warning codes.
std::optional<CaseResult> CaseResultOf(std::span<const std::string> fields) {
    CaseResult result;
    const std::optional<RequestOutcome> outcome = OutcomeOfName(fields[0]);
    if (!outcome) return std::nullopt;
    result.outcome = *outcome;
    result.outcomeName = fields[0];
    if (*outcome == RequestOutcome::Completed) {
        const std::optional<int> rows = ReadWhole<int>(fields[1]);
        if (!rows) return std::nullopt;
        result.rows = *rows;
    } else if (!fields[1].empty()) {
        return std::nullopt;
    }
    if (!fields[2].empty() && !(result.meltingFlight = ReadWhole<double>(fields[2]))) return std::nullopt;
    std::array<double, 4> lastRow{};
    std::size_t given = 0;
    for (std::size_t j = 0; j < lastRow.size(); ++j) {
        if (fields[3 + j].empty()) continue;
        const std::optional<double> value = ReadWhole<double>(fields[3 + j]);
        if (!value) return std::nullopt;
        lastRow[j] = *value;
        ++given;
    }
    if (given == lastRow.size())
        result.lastRow = lastRow;
    else if (given != 0)
        return std::nullopt;
    result.message = fields[7];
    result.warnings = fields[8];
    return result;
}

// The status line of a summary starts so, followed by the sweep's id.
constexpr std::string_view kStatusPrefix = "# tadmor sweep ";

std::string SummaryHeader(const std::vector<VariedInput>& varied) {
    std::string header = "case";
    for (const VariedInput& input : varied) header += "," + input.name;
    return header + ",outcome,rows,melting completed at FLIGHT (turns),X/W at end (-),QS/QT at end (-),"
                    "POWER TOT at end (kW),POWER VIS at end (kW),message,warnings\n";
}

}  // namespace

VariedInput ParseVary(std::string_view option) { return WithValues(ReadVaryName(option)); }

std::vector<VariedInput> ParseVaries(const std::vector<std::string>& options) {
    std::vector<VaryOption> varies;
    long cases = 1;
    for (const std::string& option : options) {
        VaryOption vary = ReadVaryName(option);
        for (const VaryOption& earlier : varies)
            if (earlier.input.field == vary.input.field)
                throw UsageError("--vary: " + vary.input.name + " is varied twice");
        cases *= ValueCount(vary);
        if (cases > kMaxSweepCases) throw TooManyCases();
        varies.push_back(std::move(vary));
    }
    std::vector<VariedInput> varied;
    for (VaryOption& vary : varies) varied.push_back(WithValues(std::move(vary)));
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
        throw UsageError("--shard expects K/N with 0 <= K < N, not " + Quoted(text));
    return shard;
}

std::string SweepId(const SweepSettings& settings) {
    // FNV-1a (64 bits) over the texts, each after its length so that no two
    // sequences of texts give the same bytes; the varied inputs come first,
    // and the base texts of the inputs they vary are left out.
    std::uint64_t hash = 0xcbf29ce484222325;
    const auto add = [&hash](std::string_view text) {
        for (const char c : std::to_string(text.size()) + ":" + std::string(text))
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    };
    for (const VariedInput& input : settings.varied) {
        add(input.name);
        add(std::to_string(input.values.size()));
        for (const std::string& value : input.values) add(value);
    }
    for (int field = 0; field < kNumericFieldCount; ++field)
        if (std::none_of(settings.varied.begin(), settings.varied.end(),
                         [field](const VariedInput& input) { return input.field == field; }))
            add(settings.base[field]);
    add(std::string(1, settings.separator));
    std::string id;
    for (int shift = 60; shift >= 0; shift -= 4) id += "0123456789abcdef"[(hash >> shift) & 0xf];
    return id;
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
    if (result.outcome != RequestOutcome::InvalidInput) result.warnings = WarningCodes(RunWarnings(state));
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

void RunSweep(const SweepSettings& settings, const std::vector<SweepCase>& cases, CaseResults& results,
              const std::atomic<int>& stop, const std::function<void(std::size_t, std::size_t)>& progress) {
    std::vector<std::size_t> todo;
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (!results[i]) todo.push_back(i);
    std::atomic<std::size_t> next = 0;
    std::mutex progressMutex;
    std::size_t done = cases.size() - todo.size();
    // Each case has its own state and results file: the workers share
    // nothing but the index of the next case.
    const auto work = [&] {
        for (std::size_t k = next++; k < todo.size() && stop == 0; k = next++) {
            results[todo[k]] = RunCase(settings, cases[todo[k]]);
            if (progress) {
                const std::lock_guard lock(progressMutex);
                progress(++done, cases.size());
            }
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(settings.jobs, 1, std::max<std::size_t>(todo.size(), 1));
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
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

std::string SummaryCsv(const std::vector<VariedInput>& varied, const std::string& sweepId,
                       const std::vector<SweepCase>& cases, const CaseResults& results) {
    std::string csv = SummaryHeader(varied);
    std::size_t finished = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (!results[i]) continue;
        ++finished;
        const CaseResult& result = *results[i];
        csv += std::to_string(cases[i].index);
        for (const std::string& value : cases[i].values) csv += "," + CsvField(value);
        csv += "," + result.outcomeName + ",";
        if (result.outcome == RequestOutcome::Completed) csv += std::to_string(result.rows);
        csv += "," + (result.meltingFlight ? ExactNumber(*result.meltingFlight) : "");
        for (int j = 0; j < 4; ++j) csv += "," + (result.lastRow ? ExactNumber((*result.lastRow)[j]) : "");
        csv += "," + CsvField(result.message) + "," + CsvField(result.warnings) + "\n";
    }
    csv += kStatusPrefix;
    csv += sweepId + ": ";
    if (finished == cases.size()) return csv + "complete\n";
    return csv + "incomplete, " + std::to_string(finished) + " of " + std::to_string(cases.size()) + " cases\n";
}

void ReadSummary(std::string_view text, std::string_view source, const std::vector<VariedInput>& varied,
                 const std::string& sweepId, const std::vector<SweepCase>& cases, CaseResults& results) {
    const std::string where = "--resume " + std::string(source) + ": ";
    const std::size_t statusStart = text.size() < 2 ? 0 : text.rfind('\n', text.size() - 2) + 1;
    const std::string_view status = text.substr(statusStart);
    if (!text.ends_with('\n') || !status.starts_with(kStatusPrefix))
        throw UsageError(where + "no status line at its end: not a whole summary written by tadmor sweep");
    if (!status.substr(kStatusPrefix.size()).starts_with(sweepId + ": "))
        throw UsageError(where + "the summary of another sweep (other base inputs or varied values)");
    const std::string header = SummaryHeader(varied);
    if (!text.starts_with(header)) throw UsageError(where + "its first line is not the header of this sweep");

    const long total = CaseCount(varied);
    std::string_view lines = text.substr(header.size(), statusStart - header.size());
    while (!lines.empty()) {
        const std::size_t offset = lines.data() - text.data();
        const std::vector<std::string> fields = ReadCsvLine(lines);
        const long index = fields.size() == varied.size() + 10 ? ReadWhole<long>(fields[0]).value_or(-1) : -1;
        std::optional<CaseResult> result;
        if (index >= 0 && index < total) result = CaseResultOf(std::span(fields).subspan(varied.size() + 1));
        const auto found = std::lower_bound(cases.begin(), cases.end(), index,
                                            [](const SweepCase& c, long i) { return c.index < i; });
        const bool inShard = found != cases.end() && found->index == index;
        if (!result || (inShard && !std::equal(found->values.begin(), found->values.end(), fields.begin() + 1))) {
            const auto line = std::count(text.begin(), text.begin() + offset, '\n') + 1;
            throw UsageError(where + "line " + std::to_string(line) + " is not a line of this sweep's summary");
        }
        if (inShard) results[found - cases.begin()] = std::move(result);
    }
}

}  // namespace tadmor::cli
