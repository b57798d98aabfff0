#include "extruder/OperatingPoint.h"

#include <algorithm>
#include <cmath>

#include "extruder/Numerics.h"
#include "model/NumberText.h"

namespace tadmor::extruder {

namespace {

// The search was stopped through its flag.
struct Stopped {};
// A calculation inside a crossing failed: the crossing cannot be refined.
struct Unresolved {
    std::string failure;
};

FieldTexts WithThroughput(FieldTexts texts, char separator, double throughput) {
    std::string text = ExactNumber(throughput);
    std::replace(text.begin(), text.end(), '.', separator);
    texts[static_cast<std::size_t>(FieldIndexOf("OutputRate"))] = text;
    return texts;
}

std::string KgPerHourText(double throughput) { return NumberText(throughput, 2, 6) + " kg/hr"; }

// Counts, reports and stops the calculations of one search.
class Evaluations {
public:
    Evaluations(const FieldTexts& texts, char separator, const ExtruderInputs& inputs, const Progress& progress,
                int expected)
        : texts_(texts), separator_(separator), inputs_(inputs), progress_(progress), total_(expected) {}

    CharacteristicPoint At(double throughput) {
        if (progress_.stop != nullptr && progress_.stop->load() != 0) throw Stopped{};
        CharacteristicPoint point = EvaluateThroughput(texts_, separator_, inputs_, throughput);
        ++done_;
        total_ = std::max(total_, done_);
        if (progress_.report) progress_.report(done_, total_);
        return point;
    }
    void Expect(int more) { total_ = done_ + more; }
    int Done() const { return done_; }

private:
    const FieldTexts& texts_;
    char separator_;
    const ExtruderInputs& inputs_;
    const Progress& progress_;
    int done_ = 0, total_;
};

double Excess(const CharacteristicPoint& point) { return point.tipPressure - point.dieDrop; }

// Why no crossing was found among the scanned points.
std::string NoCrossing(const std::vector<CharacteristicPoint>& scan) {
    std::vector<const CharacteristicPoint*> solved;
    for (const CharacteristicPoint& point : scan)
        if (point.solved) solved.push_back(&point);
    const std::string range =
        "from " + KgPerHourText(scan.front().throughput) + " to " + KgPerHourText(scan.back().throughput);
    if (solved.empty()) return "no calculation " + range + " completed: " + scan.front().failure;
    std::string text;
    const CharacteristicPoint& first = *solved.front();
    const CharacteristicPoint& last = *solved.back();
    if (Excess(first) < 0)
        text = "the screw cannot push this die at any throughput " + range + ": at " + KgPerHourText(first.throughput) +
               " it builds " + NumberText(first.tipPressure, 2, 4) + " MPa at its tip, the die needs " +
               NumberText(first.dieDrop, 2, 4) + " MPa";
    else if (Excess(last) > 0)
        text = "the screw builds more pressure than the die needs at every throughput up to " +
               KgPerHourText(last.throughput) + " (" + NumberText(last.tipPressure, 2, 4) + " against " +
               NumberText(last.dieDrop, 2, 4) + " MPa): widen the range";
    else
        text = "the characteristics cross only where the calculations failed (" + range + ")";
    const auto melted = std::find_if(solved.begin(), solved.end(),
                                     [](const CharacteristicPoint* point) { return !point->meltingComplete; });
    if (melted == solved.begin())
        text += "; the bed does not melt before the die at any throughput in the range";
    else if (melted != solved.end())
        text += "; the bed does not melt before the die from " + KgPerHourText((*melted)->throughput);
    return text;
}

}  // namespace

CharacteristicPoint EvaluateThroughput(const FieldTexts& texts, char separator, const ExtruderInputs& inputs,
                                       double throughput) {
    CharacteristicPoint point;
    point.throughput = throughput;
    const ExtruderCalculation calculation =
        CalculateExtruder(WithThroughput(texts, separator, throughput), separator, inputs);
    if (!calculation.run) {
        point.failure = calculation.error.empty() ? calculation.calculation.message : calculation.error;
        return point;
    }
    point.solved = true;
    point.tipPressure = calculation.run->tipPressure;
    point.dieDrop = calculation.run->dieDrop;
    point.meltTemperature = calculation.run->meltTemperature;
    point.meltingComplete = calculation.run->meltingComplete;
    return point;
}

std::vector<CharacteristicPoint> Characteristics(const FieldTexts& texts, char separator, const ExtruderInputs& inputs,
                                                 std::span<const double> throughputs, const Progress& progress) {
    const FloatingPointEnvironmentGuard environment;
    CheckExtruderInputs(inputs);
    Evaluations evaluations(texts, separator, inputs, progress, static_cast<int>(throughputs.size()));
    std::vector<CharacteristicPoint> points;
    try {
        for (const double throughput : throughputs) points.push_back(evaluations.At(throughput));
    } catch (const Stopped&) {
    }
    return points;
}

OperatingPointSearch FindOperatingPoint(const FieldTexts& texts, char separator, const ExtruderInputs& inputs,
                                        const ThroughputScan& scan, const Progress& progress) {
    const FloatingPointEnvironmentGuard environment;
    CheckExtruderInputs(inputs);
    if (scan.intervals < 1 || !std::isfinite(scan.low) || !std::isfinite(scan.high) || scan.low < 0 ||
        (scan.high != 0 && !(scan.high > scan.low)))
        throw ExtruderInputError(
            "The throughput range must run from 0 kg/hr or more to a higher throughput, "
            "in 1 or more intervals");
    OperatingPointSearch search;
    double low = scan.low, high = scan.high;
    if (low == 0 && high == 0) {
        const Calculation base = Calculate(texts, separator);
        ++search.calculations;
        if (base.outcome == RequestOutcome::InvalidInput) {
            search.none = base.message;
            return search;
        }
        const double capacity = OpenDischargeCapacity(base.state, inputs.flightClearance);
        low = 0.02 * capacity;
        high = 1.5 * capacity;
    }
    Evaluations evaluations(texts, separator, inputs, progress, scan.intervals + 1);
    try {
        for (int i = 0; i <= scan.intervals; ++i)
            search.scan.push_back(evaluations.At(low + (high - low) * i / scan.intervals));

        // Refine every crossing between two solved neighbours.
        std::vector<double> crossings;
        std::string unresolved;
        for (std::size_t i = 0; i + 1 < search.scan.size(); ++i) {
            const CharacteristicPoint &a = search.scan[i], &b = search.scan[i + 1];
            if (!a.solved || !b.solved || (Excess(a) > 0) == (Excess(b) > 0)) continue;
            evaluations.Expect(40);
            const auto excess = [&](Extended throughput) {
                const CharacteristicPoint point = evaluations.At(Store(throughput));
                if (!point.solved) throw Unresolved{point.failure};
                return Extended(Excess(point));
            };
            try {
                const Bracket bracket{a.throughput, b.throughput, Excess(a), Excess(b)};
                crossings.push_back(Store(BrentRoot(excess, bracket, 1e-12L * b.throughput, "operating point")));
            } catch (const Unresolved& failure) {
                unresolved = "a calculation between " + KgPerHourText(a.throughput) + " and " +
                             KgPerHourText(b.throughput) + " failed: " + failure.failure;
            }
        }
        if (crossings.empty()) {
            search.none = unresolved.empty() ? NoCrossing(search.scan) : "the characteristics cross, but " + unresolved;
        } else {
            const double root = crossings.front();
            search.otherCrossings.assign(crossings.begin() + 1, crossings.end());
            const double side = std::max(1e-6 * root, 1e-9);
            evaluations.Expect(2);
            search.below = evaluations.At(root - side);
            search.above = evaluations.At(root + side);
            search.point = CalculateExtruder(WithThroughput(texts, separator, root), separator, inputs);
            ++search.calculations;
            if (search.point->run && !search.otherCrossings.empty()) {
                std::string others;
                for (const double crossing : search.otherCrossings)
                    others += (others.empty() ? "" : ", ") + KgPerHourText(crossing);
                search.point->run->warnings.push_back({"several-operating-points",
                                                       "the characteristics cross again at " + others +
                                                           ": the extruder may run at either, or surge between them",
                                                       "throughput " + KgPerHourText(root)});
            }
        }
    } catch (const Stopped&) {
        search.stopped = true;
        search.none = "the search was stopped";
    }
    search.calculations += evaluations.Done();
    return search;
}

}  // namespace tadmor::extruder
