#include "app/request/RunSummary.h"

namespace tadmor {

std::string OutcomeName(RequestOutcome outcome, bool meltingCompleted) {
    switch (outcome) {
        case RequestOutcome::Completed:
            return meltingCompleted ? "melting completed" : "end of screw";
        case RequestOutcome::InvalidInput:
            return "invalid input";
        case RequestOutcome::FileNotWritten:
            return "file not written";
        case RequestOutcome::CalculationError:
            return "calculation error";
    }
    return "calculation error";
}

RunSummary Summarize(const Calculation& calculation, std::vector<Warning> warnings) {
    const SimulationState& s = calculation.state;
    const bool completed = calculation.outcome == RequestOutcome::Completed;
    const bool melted = completed && MeltingCompleted(s);
    RunSummary summary;
    summary.outcome = calculation.outcome;
    summary.outcomeName = OutcomeName(calculation.outcome, melted);
    summary.message = calculation.message;
    summary.warnings = std::move(warnings);
    if (!completed) return summary;
    summary.rows = s.StepCount;
    if (melted) {
        summary.meltingIncrementFlight = IncrementFlight(s);
        summary.interpolatedMeltedFlight = MeltedFlight(s);
    }
    const int last = s.StepCount;
    summary.solidFractionAtEnd = melted ? 0.0 : last > 0 ? s.ResSolidFraction[last] : 1.0;
    summary.solidFlowRatioAtEnd = melted ? 0.0 : last > 0 ? s.ResSolidFlowRatio[last] : 1.0;
    if (last > 0) {
        summary.totalPower = s.ResTotalPower[last];
        summary.viscousPower = s.ResViscousPower[last];
    }
    return summary;
}

std::string WarningCodes(const RunSummary& summary) { return WarningCodes(summary.warnings); }

}  // namespace tadmor
