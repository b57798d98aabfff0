// The march down the screw channel, increment by increment, from the point
// where melting starts until the solid bed has melted or the screw ends.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "model/Arithmetic.h"
#include "model/Cal_Main.h"
#include "model/NumberText.h"

namespace tadmor {

namespace {

// Mid-film temperatures above ConductionMidTemp that choose the film solution:
// closed form at or below the first, back to the profile at or above the second.
constexpr double kClosedFormBand = 0.3;
constexpr double kProfileBand = 0.5;
constexpr double kProfileTolerance = 0.1;  // degC between solved and profile mid temperature
constexpr double kRelativeWidthTolerance = 0.0001;
constexpr double kWidthTolerance = 0.001;  // cm
// Returns from a profile solution to the closed form allowed within one
// increment before the profile iteration is taken instead.
constexpr int kClosedFormReturns = 3;

void SetUp(SimulationState& s) {
    s.StepNo = 1;
    s.MassFlow = Store(s.OutputRate / 3.6L);
    s.TotalVolumeFlow = Store(Extended(s.MassFlow) / s.MeltDensity);
    s.MeltedFlow = 0;
    s.HelixAngle = Store(std::atan(s.ScrewPitch / (kCircle * s.ScrewDiameter)));

    const Extended turn = TurnLength(s);
    s.FeedLength = Store((Extended(s.FeedTurns) - s.DelayTurns) * turn);
    s.CompressionLength = Store(s.CompressionTurns * turn);
    s.MeteringLength = Store(s.MeteringTurns * turn);
    s.FeedStep = Store(turn / 5);
    s.CompressionStep = Store(turn / 10);
    s.MeteringStep = Store(turn / 5);
    s.MeltingLength = Store(Extended(s.FeedLength) + s.CompressionLength + s.MeteringLength);
    s.BarrelSpeed = Store(kCircle * s.ScrewDiameter * s.ScrewSpeed / 60);
    s.DepthTaper = Store((Extended(s.FeedDepth) - s.MeteringDepth) / s.CompressionLength);

    s.ChannelPosition = 0;
    // When melting starts beyond the feed zone, the channel there is already
    // tapered (or at metering depth): start from the screw's depth at that point.
    if (s.FeedLength < 0)
        s.ChannelDepth = Store(s.FeedDepth - Extended(s.DepthTaper) * std::min(-s.FeedLength, s.CompressionLength));
    else
        s.ChannelDepth = s.FeedDepth;
    s.StepLength = s.FeedStep;

    s.SolidBedWidth = Store(s.ScrewPitch * std::cos(Extended(s.HelixAngle)) - s.FlightWidth);
    s.SolidBedWidthIn = s.SolidBedWidth;
}

// Step length: whole steps of the zone, shortened to end exactly on the end of
// the feed or compression zone; a remainder under the zone tolerance belongs
// to the next zone.
void ChooseStepLength(SimulationState& s) {
    const Extended feedEnd = s.FeedLength;
    const Extended compressionEnd = feedEnd + s.CompressionLength;
    const Extended position = s.ChannelPosition;
    if (feedEnd - position - s.FeedStep >= 0) {
        s.StepLength = s.FeedStep;
    } else if (feedEnd - position - kZoneTolerance >= 0) {
        s.StepLength = Store(feedEnd - position);
    } else {
        if (compressionEnd - position - s.CompressionStep >= 0)
            s.StepLength = s.CompressionStep;
        else if (compressionEnd - position - kZoneTolerance >= 0)
            s.StepLength = Store(compressionEnd - position);
        else
            s.StepLength = s.MeteringStep;
    }
}

void StartIncrement(SimulationState& s) {
    ChooseStepLength(s);
    const Extended angle = s.HelixAngle;
    s.ChannelWidth = Store(s.ScrewPitch * std::cos(angle) - s.FlightWidth);
    s.BarrelSpeedX = Store(std::sin(angle) * s.BarrelSpeed);
    // Axial distance from the start of melting to the middle of the increment.
    const Extended axial = s.ScrewPitch * (s.ChannelPosition + 0.5L * s.StepLength) / TurnLength(s);
    s.BarrelTemp = Store(s.BarrelC0 * (1 - s.BarrelC1 * std::exp(s.BarrelC2 * axial)));
    s.SolidSpeed = Store(s.MassFlow / (Extended(s.ChannelWidth) * s.FeedDepth * s.SolidDensity));
    const Extended solid = s.SolidSpeed;
    const Extended across = solid * std::sin(angle);
    const Extended down = s.BarrelSpeed - solid * std::cos(angle);
    s.RelativeSpeed = Store(std::sqrt(across * across + down * down));
    CheckArithmetic(s, "RunMarch");
}

bool WidthConverged(const SimulationState& s) {
    const Extended mean = s.SolidBedWidthMean, prev = s.SolidBedWidthPrev;
    return std::fabs((mean - prev) / mean) < kRelativeWidthTolerance || std::fabs(mean - prev) < kWidthTolerance;
}

enum class Stage { RegimeTest, ProfileIteration, ClosedForm, SolidBed };

// Runs `routine` and checks the floating-point flags after it.
#define TADMOR_CALL(routine)          \
    do {                              \
        routine(s);                   \
        CheckArithmetic(s, #routine); \
    } while (0)

// Solves the film and the solid bed of the current increment until the solid
// bed width has converged. Returns false when the solid bed has melted.
bool SolveIncrement(SimulationState& s, bool firstIncrement) {
    Stage stage;
    bool lastSolutionIsProfile;
    if (firstIncrement) {
        TADMOR_CALL(StartFirstIncrement);
        TADMOR_CALL(SolveProfileFilm);
        stage = Stage::RegimeTest;
        lastSolutionIsProfile = true;
    } else if (Extended(s.ProfileMidTemp) - s.ConductionMidTemp <= kClosedFormBand) {
        TADMOR_CALL(FitPowerLawExponential);
        stage = Stage::ClosedForm;
        lastSolutionIsProfile = false;
    } else {
        TADMOR_CALL(FitPowerLawProfile);
        TADMOR_CALL(SolveProfileFilm);
        stage = Stage::RegimeTest;
        lastSolutionIsProfile = true;
    }

    int closedFormReturns = 0;  // regime test: from a profile solution back to the closed form
    int handovers = 0;          // closed form handing the film to the profile solution
    int widthPasses = 0;
    for (;;) {
        switch (stage) {
            case Stage::RegimeTest: {
                bool closedForm = Extended(s.SolvedMidTemp) - s.ConductionMidTemp <= kClosedFormBand;
                // A return from a profile solution to the closed form counts;
                // the third return takes the profile iteration instead.
                if (closedForm && lastSolutionIsProfile) closedForm = ++closedFormReturns < kClosedFormReturns;
                stage = closedForm ? Stage::ClosedForm : Stage::ProfileIteration;
                break;
            }

            case Stage::ProfileIteration:
                for (int pass = 1;; ++pass) {
                    if (pass > s.Limits.profileIteration)
                        ThrowNotConverged(s, "profile iteration", s.Limits.profileIteration, "RunMarch");
                    TADMOR_CALL(IterateProfileFilm);
                    if (std::fabs(Extended(s.SolvedMidTemp) - s.CheckMidTemp) < kProfileTolerance) break;
                    TADMOR_CALL(UpdateProfile);
                }
                TADMOR_CALL(ProfileFilmAverages);
                lastSolutionIsProfile = true;
                stage = Stage::SolidBed;
                break;

            case Stage::ClosedForm:
                TADMOR_CALL(SolveExponentialFilm);
                lastSolutionIsProfile = false;
                if (Extended(s.SolvedMidTemp) - s.ConductionMidTemp >= kProfileBand) {
                    if (++handovers > s.Limits.filmHandovers)
                        ThrowNotConverged(s, "choice between the film solutions", s.Limits.filmHandovers, "RunMarch");
                    TADMOR_CALL(FitPowerLawProfile);
                    TADMOR_CALL(SolveProfileFilm);
                    lastSolutionIsProfile = true;
                    stage = Stage::RegimeTest;
                } else {
                    TADMOR_CALL(ExponentialFilmAverages);
                    stage = Stage::SolidBed;
                }
                break;

            case Stage::SolidBed:
                TADMOR_CALL(ComputeMeltingFlux);
                if (s.SolidFraction <= kMeltedFraction) return false;
                TADMOR_CALL(UpdateSolidBedWidth);
                if (WidthConverged(s)) return true;
                if (++widthPasses >= s.Limits.solidBedWidth)
                    ThrowNotConverged(s, "solid bed width iteration", s.Limits.solidBedWidth, "RunMarch");
                stage = Stage::RegimeTest;
                break;
        }
    }
}

#undef TADMOR_CALL

}  // namespace

double EstimatedIncrementCount(const SimulationState& s) {
    // Turns of each zone that lie after the start of melting.
    const Extended delay = s.DelayTurns;
    const Extended feed = std::max<Extended>(0, s.FeedTurns - delay);
    const Extended compressionStart = std::max<Extended>(delay, s.FeedTurns);
    const Extended compression = std::max<Extended>(0, s.FeedTurns + Extended(s.CompressionTurns) - compressionStart);
    const Extended meteringStart = std::max<Extended>(delay, Extended(s.FeedTurns) + s.CompressionTurns);
    const Extended metering =
        std::max<Extended>(0, Extended(s.FeedTurns) + s.CompressionTurns + s.MeteringTurns - meteringStart);
    // Five increments a turn in the feed and metering zones, ten in the
    // compression zone, one more for each zone's remainder and the last.
    return Store(std::ceil(5 * feed) + std::ceil(10 * compression) + std::ceil(5 * metering) + 1);
}

std::string IncrementLimitRefusal(const SimulationState& s) {
    const double increments = EstimatedIncrementCount(s);
    if (increments <= kIncrementLimit) return "";
    const std::string count = std::isfinite(increments)
                                  ? "about " + NumberText(increments, 0, 3)
                                  : "more than " + NumberText(std::numeric_limits<double>::max(), 0, 3);
    return "The screw needs " + count + " increments; at most " + std::to_string(kIncrementLimit) +
           " can be computed. Check the numbers of turns.";
}

void RunMarch(SimulationState& s) {
    const FloatingPointEnvironmentGuard environment;
    if (const std::string refusal = IncrementLimitRefusal(s); !refusal.empty()) throw IncrementLimitError(refusal);

    s.IntegralTableBuilds = 0;
    s.ClosedFormSolutions = 0;
    // No local power law is fitted yet: an error before the first fit leaves none.
    s.PowerLawIndex = s.TempSensitivity = std::numeric_limits<double>::quiet_NaN();
    SetUp(s);
    CheckArithmetic(s, "RunMarch");
    for (bool first = true;; first = false) {
        // The estimate bounds a normal run; this guards against a step length
        // that does not move the march on.
        if (s.StepNo > 2 * kIncrementLimit)
            throw IncrementLimitError("The march did not reach the end of the screw in " +
                                      std::to_string(2 * kIncrementLimit) + " increments.");
        StartIncrement(s);
        if (!SolveIncrement(s, first)) {
            s.StepCount = s.StepNo - 1;  // the increment that melted the bed is not recorded
            return;
        }
        // The increment that ends within the zone tolerance of the end of the
        // screw (or runs past it) is the last: a sum of rounded steps that
        // falls a few 1e-12 cm short must not add an increment wholly beyond.
        if (Extended(s.ChannelPosition) + s.StepLength - s.MeltingLength >= -kZoneTolerance) {
            RecordLastIncrement(s);
            CheckArithmetic(s, "RecordLastIncrement");
            s.StepCount = s.StepNo;
            return;
        }
        AdvanceIncrement(s);
        CheckArithmetic(s, "AdvanceIncrement");
        ++s.StepNo;
    }
}

}  // namespace tadmor
