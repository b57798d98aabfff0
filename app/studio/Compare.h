// Cases pinned for comparison with the current one: the inputs in which
// each differs from it, and a table of their key results side by side. No
// Qt: the table is tested without a display.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/studio/LiveResult.h"

namespace tadmor::studio {

// At most this many cases are pinned at once.
inline constexpr std::size_t kMostPinned = 6;

// The inputs of `pinned` that differ from those of `current`, pinned value
// first: "ScrewSpeed 60 → 80 rpm", "die none → capillary D=0.5 cm, L=10 cm".
// Numbers are compared by value, so "60" and "60.0" do not differ.
std::vector<std::string> DifferingInputs(const LiveResult& pinned, const LiveResult& current);

// The pinned cases and the current one in columns ("Pinned 1", ...,
// "Current"), the rows named: first the inputs each pinned case differs in
// ("no difference" when none), then the key results of the summaries and,
// when any case has a die, the operating values.
struct CompareTable {
    std::vector<std::string> columns;
    std::vector<std::string> rows;
    std::vector<std::vector<std::string>> cells;  // [row][column]
    int inputRows = 0;                            // the first rows, of the differing inputs
};

CompareTable CompareTableOf(const std::vector<std::shared_ptr<const LiveResult>>& pinned,
                            const std::shared_ptr<const LiveResult>& current);

// The chart with the melting curves of every pinned case added faint.
charts::Chart WithPinnedCurves(charts::Chart chart, const std::vector<std::shared_ptr<const LiveResult>>& pinned);

}  // namespace tadmor::studio
