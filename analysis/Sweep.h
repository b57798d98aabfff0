// A sweep: the product of some inputs' values over a base case, each
// combination one calculation, run through the runner.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Runner.h"
#include "app/request/RunSummary.h"
#include "inputs/Case.h"

namespace tadmor::analysis {

// Cases of a sweep at the most.
inline constexpr long kMaxSweepCases = 1000000;

// One input and its values, as texts written with ".".
struct VariedInput {
    int field = 0;  // index into kInputFields, a numeric input
    std::vector<std::string> values;
};

// The name of the input, e.g. "ScrewSpeed".
std::string_view NameOf(const VariedInput& input);

// The numeric input named `name` (blanks around it dropped). Throws Error of
// kind Input for an unknown name or the results file name; `what` starts
// the message (e.g. "--vary").
int VariedField(std::string_view name, std::string_view what);

// The values as the shortest texts that read back as them. Throws Error of
// kind Input for none, or one that is not finite.
VariedInput VariedValues(int field, const std::vector<double>& values);

// Values given as a text: "FROM:TO:STEP" (FROM, FROM+STEP, ... up to TO,
// written with the most decimal places of the three), or "V1,V2,..." (the
// texts as given: one that is not a number makes its cases refused). Throws
// Error of kind Input saying what is wrong with a range.
VariedInput VariedText(int field, std::string_view values);

// The number of values of `values`, as VariedText would give them, counted
// without building them (a range of more than kMaxSweepCases is refused).
long CountOfValues(int field, std::string_view values);

// The value of a varied input's text as a number; NaN for a text that is not one.
double ValueOf(const std::string& text);

// Throws Error of kind Input unless every value is a number written with ".".
void RequireNumbers(const VariedInput& input);

// Every `count`-th case of the sweep, starting at case `index`.
struct Shard {
    int index = 0;
    int count = 1;
};

// Throws Error of kind Input unless 0 <= index < count.
void CheckShard(const Shard& shard);

struct SweepCase {
    long index = 0;                   // place in the whole sweep, from 0
    std::vector<std::string> values;  // one per varied input
};

// The number of cases of the sweep. Throws Error of kind Input when an
// input is varied twice or there are more than kMaxSweepCases.
long CaseCount(const std::vector<VariedInput>& varied);

// The cases of `shard` in case order: the product of the varied inputs'
// values, the first input varying slowest.
std::vector<SweepCase> SweepCases(const std::vector<VariedInput>& varied, Shard shard);

struct Sweep {
    inputs::Case base;  // the base case, in the separator of the results files
    std::vector<VariedInput> varied;
    std::string resultsDir;  // empty: no results files are written
};

// Names a sweep: 16 hex digits of a hash of the base case's numeric texts,
// the decimal separator and the varied inputs with their values. The shard,
// the jobs and the files written are not part of it.
std::string SweepId(const Sweep& sweep);

// The results file name of case `index`: "case-<index>.txt" in the results
// folder, the index padded to the digits of the sweep's last case.
std::string CaseResultFileName(const Sweep& sweep, long index);

// The case of the sweep at `sweepCase`: the base with the varied values.
inputs::Case CaseOf(const Sweep& sweep, const SweepCase& sweepCase);

// Runs one case: through the window's request when its results file is
// kept, else as a calculation alone.
RunSummary RunCase(const Sweep& sweep, const SweepCase& sweepCase);

// The results of a sweep's cases in case order; empty for a case not run.
using CaseResults = std::vector<std::optional<RunSummary>>;

// Runs the cases that have no result yet into their places in `results`.
// Returns false when stopped before every case ran.
bool RunSweep(const Sweep& sweep, const std::vector<SweepCase>& cases, CaseResults& results, const RunControl& control);

}  // namespace tadmor::analysis
