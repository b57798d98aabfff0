// `tadmor sweep`: the product of some inputs' values over a base case, run in
// parallel, one summary row per case.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/request/CalculationRequest.h"

namespace tadmor::cli {

// Cases of a sweep at the most.
inline constexpr long kMaxSweepCases = 1000000;

// One --vary: an input and its values, as texts written with ".".
struct VariedInput {
    std::string name;
    int field = 0;  // index into kInputFields
    std::vector<std::string> values;
};

// Reads "NAME=FROM:TO:STEP" (FROM, FROM+STEP, ... up to TO, written by
// NumberText with the most decimal places of the three) or "NAME=V1,V2,..."
// (the texts as given). Throws UsageError.
VariedInput ParseVary(std::string_view option);

// The --vary options in order; an input may be varied once. A sweep of more
// than kMaxSweepCases cases is refused before any list of values is built.
// Throws UsageError.
std::vector<VariedInput> ParseVaries(const std::vector<std::string>& options);

// Every `count`-th case of the sweep, starting at case `index`.
struct Shard {
    int index = 0;
    int count = 1;
};

// Reads "K/N" with 0 <= K < N. Throws UsageError.
Shard ParseShard(std::string_view text);

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
    std::string warnings;                 // the codes of its warnings (WarningCodes)
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

// Names a sweep: 16 hex digits of a hash of the base case's numeric texts,
// the decimal separator and the varied inputs with their values. The shard,
// the jobs and the files written are not part of it.
std::string SweepId(const SweepSettings& settings);

// Runs one case: through the window's request when its results file is
// kept, else as a calculation alone.
CaseResult RunCase(const SweepSettings& settings, const SweepCase& sweepCase);

// The results of a sweep's cases in case order; empty for a case not run.
using CaseResults = std::vector<std::optional<CaseResult>>;

// Runs the cases that have no result yet on settings.jobs threads, each into
// its place in `results` (one per case). Once `stop` is not 0 no further case
// starts; the running ones finish. `progress(done, total)` is called after
// each case, one call at a time, `done` counting the earlier results too.
void RunSweep(const SweepSettings& settings, const std::vector<SweepCase>& cases, CaseResults& results,
              const std::atomic<int>& stop, const std::function<void(std::size_t, std::size_t)>& progress = {});

// The summary: a header line, one line per case that has a result, then a
// status line, "# tadmor sweep ID: complete" or, when some cases have no
// result, "# tadmor sweep ID: incomplete, N of M cases".
std::string SummaryCsv(const std::vector<VariedInput>& varied, const std::string& sweepId,
                       const std::vector<SweepCase>& cases, const CaseResults& results);

// Reads an earlier summary (`text`, of the file `source`) of the sweep
// `sweepId`, complete or not, into `results`: a case of `cases` gets the
// result of its line. Throws UsageError for a text that is not a summary
// with its status line, or is the summary of another sweep.
void ReadSummary(std::string_view text, std::string_view source, const std::vector<VariedInput>& varied,
                 const std::string& sweepId, const std::vector<SweepCase>& cases, CaseResults& results);

// The summary columns that a sweep plot can draw, by their --plot-value name.
struct SweepValue {
    std::string_view name;   // "flight", "rows", ...
    std::string_view label;  // the axis label
};
extern const std::array<SweepValue, 6> kSweepValues;

// The value named `name` (one of kSweepValues) of a case, if it has one.
std::optional<double> SweepValueOf(std::string_view name, const CaseResult& result);

}  // namespace tadmor::cli
