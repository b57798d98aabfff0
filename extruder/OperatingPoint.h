// The operating point of a flood-fed extruder: the throughput at which the
// pressure the screw builds at its tip equals the pressure drop the die needs
// at that throughput and the melt's temperature; and the two characteristics
// against throughput, for plotting.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "extruder/Extruder.h"

namespace tadmor::extruder {

// Reports and stops a search: `report(done, total)` after each calculation
// (total may grow while a crossing is refined); the search ends as soon as
// `*stop` is not 0 (the runner's stop flag, analysis/Runner.h).
struct Progress {
    std::function<void(int done, int total)> report = nullptr;
    const std::atomic<int>* stop = nullptr;
};

// One whole-extruder calculation at a throughput.
struct CharacteristicPoint {
    double throughput = 0;       // kg/hr
    bool solved = false;         // the march completed and the melt conveying was solved
    std::string failure;         // why not
    double tipPressure = 0;      // MPa the screw builds at its tip
    double dieDrop = 0;          // MPa the die needs at this throughput and the tip's melt temperature
    double meltTemperature = 0;  // degC at the tip
    bool meltingComplete = false;
};

CharacteristicPoint EvaluateThroughput(const FieldTexts& texts, char separator, const ExtruderInputs& inputs,
                                       double throughput);

// The screw's and the die's characteristics at each throughput (kg/hr).
// Stopped early, it returns the points computed so far.
std::vector<CharacteristicPoint> Characteristics(const FieldTexts& texts, char separator, const ExtruderInputs& inputs,
                                                 std::span<const double> throughputs, const Progress& progress = {});

struct ThroughputScan {
    double low = 0, high = 0;  // kg/hr; both 0: 2 % to 150 % of the metering zone's open-discharge capacity
    int intervals = 20;        // equal intervals scanned before a crossing is refined
};

struct OperatingPointSearch {
    std::optional<ExtruderCalculation> point;  // the whole calculation at the operating point
    CharacteristicPoint below, above;          // evaluations just either side of it: the crossing confirmed
    std::vector<double> otherCrossings;        // kg/hr, further crossings found in the scan
    std::vector<CharacteristicPoint> scan;     // the scanned points
    std::string none;                          // why there is no operating point; empty when there is one
    int calculations = 0;                      // melting marches run
    bool stopped = false;
};

// Scans the throughput range, refines the first crossing of the two
// characteristics by Brent's method and confirms it by evaluations on both
// sides. The screw's characteristic need not be monotone: every crossing the
// scan sees is refined; the lowest throughput is the operating point.
OperatingPointSearch FindOperatingPoint(const FieldTexts& texts, char separator, const ExtruderInputs& inputs,
                                        const ThroughputScan& scan = {}, const Progress& progress = {});

}  // namespace tadmor::extruder
