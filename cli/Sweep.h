// `tadmor sweep`: the product of some inputs' values over a base case, run in
// parallel, one summary row per case.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::cli {

// One --vary: an input and its values, as texts written with ".".
struct VariedInput {
    std::string name;
    int field = 0;  // index into kInputFields
    std::vector<std::string> values;
};

// Reads "NAME=FROM:TO:STEP" (FROM, FROM+STEP, ... up to TO, written with the
// most decimals of the three) or "NAME=V1,V2,..." (the texts as given).
// Throws UsageError.
VariedInput ParseVary(std::string_view option);

// The --vary options in order; an input may be varied once. Throws UsageError.
std::vector<VariedInput> ParseVaries(const std::vector<std::string>& options);

// Every `count`-th case of the sweep, starting at case `index`.
struct Shard {
    int index = 0;
    int count = 1;
};

// Reads "K/N" with 0 <= K < N. Throws UsageError.
Shard ParseShard(std::string_view text);

// Cases of a sweep at the most.
inline constexpr long kMaxSweepCases = 1000000;

struct SweepCase {
    long index = 0;                   // place in the whole sweep, from 0
    std::vector<std::string> values;  // one per varied input
};

// The cases of `shard` in case order: the product of the varied inputs'
// values, the first input varying slowest. Throws UsageError when there are
// more than kMaxSweepCases.
std::vector<SweepCase> SweepCases(const std::vector<VariedInput>& varied, Shard shard);

struct CaseResult {
    RequestOutcome outcome = RequestOutcome::CalculationError;
    std::string outcomeName;              // see OutcomeName
    int rows = 0;                         // rows recorded
    std::optional<double> meltingFlight;  // FLIGHT where melting completed
    // X/W, QS/QT, total and viscous power of the last row recorded.
    std::optional<std::array<double, 4>> lastRow;
    std::string message;                  // the request's message or error text
};

struct SweepSettings {
    FieldTexts base;                   // the base case's texts
    char separator = '.';              // decimal separator of the texts and files
    std::vector<VariedInput> varied;
    std::string resultsDir;            // empty: no results files are kept
    int jobs = 1;
};

// The results file name of case `index`: "case-<index>.txt" in the results
// folder, the index padded to the digits of the sweep's last case.
std::string CaseResultFileName(const SweepSettings& settings, long index);

// Runs one case: through the window's request when its results file is
// kept, else as a calculation alone.
CaseResult RunCase(const SweepSettings& settings, const SweepCase& sweepCase);

// Runs the cases on settings.jobs threads; the results are in case order.
// `progress(done, total)` is called after each case, one call at a time.
std::vector<CaseResult> RunSweep(const SweepSettings& settings, const std::vector<SweepCase>& cases,
                                 const std::function<void(std::size_t, std::size_t)>& progress = {});

// The summary: a header line, then one line per case.
std::string SummaryCsv(const std::vector<VariedInput>& varied, const std::vector<SweepCase>& cases,
                       const std::vector<CaseResult>& results);

// The summary columns that a sweep plot can draw, by their --plot-value name.
struct SweepValue {
    std::string_view name;   // "flight", "rows", ...
    std::string_view label;  // the axis label
};
extern const std::array<SweepValue, 6> kSweepValues;

// The value named `name` (one of kSweepValues) of a case, if it has one.
std::optional<double> SweepValueOf(std::string_view name, const CaseResult& result);

}  // namespace tadmor::cli
