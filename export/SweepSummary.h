// The summary of a sweep: one line per case with its varied values and its
// RunSummary, then a status line that names the sweep and says whether it is
// complete; and reading such a summary back to resume the sweep.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/Sweep.h"
#include "export/Table.h"

namespace tadmor::exporting {

// One case of a summary.
struct SweepRow {
    const analysis::SweepCase* sweepCase;
    const RunSummary* run;
};

// The columns: case, each varied input, outcome, rows, melting completed at
// FLIGHT (turns), X/W at end (-), QS/QT at end (-), POWER TOT at end (kW),
// POWER VIS at end (kW), message, warnings.
std::vector<Column<SweepRow>> SummaryColumns(const std::vector<analysis::VariedInput>& varied);

// The summary of the cases that have a result, then the status line:
// "# tadmor sweep ID: complete", or "# tadmor sweep ID: incomplete, N of M
// cases" when some have none.
// With a material, MaterialComment comes first.
std::string SummaryCsv(const std::vector<analysis::VariedInput>& varied, const std::string& sweepId,
                       const std::vector<analysis::SweepCase>& cases, const analysis::CaseResults& results,
                       const std::optional<material::Material>& material = {});

// Reads an earlier summary (`text`, of the file `source`) of the sweep
// `sweepId`, complete or not, into `results`: a case of `cases` gets the
// result of its line (its warnings as codes alone). Throws Error of kind
// Input for a text that is not a summary with its status line, or is the
// summary of another sweep.
void ReadSummary(std::string_view text, std::string_view source, const std::vector<analysis::VariedInput>& varied,
                 const std::string& sweepId, const std::vector<analysis::SweepCase>& cases,
                 analysis::CaseResults& results);

}  // namespace tadmor::exporting
