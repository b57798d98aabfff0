#include "analysis/ExtruderCurve.h"

#include <algorithm>

namespace tadmor::analysis {

bool OperatingPoints(const inputs::Case& base, const extruder::ExtruderInputs& inputs, const VariedInput& over,
                     const extruder::ThroughputScan& scan,
                     std::vector<std::optional<extruder::OperatingPointSearch>>& results, const RunControl& control) {
    results.assign(over.values.size(), std::nullopt);
    return RunTasks(
        over.values.size(),
        [&](std::size_t i) {
            inputs::Case atValue = base;
            std::string text = over.values[i];
            std::replace(text.begin(), text.end(), '.', atValue.separator);
            atValue.texts[over.field] = text;
            extruder::OperatingPointSearch search =
                extruder::FindOperatingPoint(atValue.texts, atValue.separator, inputs, scan, {nullptr, control.stop});
            if (!search.stopped) results[i] = std::move(search);
        },
        control);
}

}  // namespace tadmor::analysis
