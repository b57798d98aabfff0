// The calculation without a window: convert the field texts, test the
// values, run the march. The calculation alone writes no file; the request of
// the window adds the results file and talks to its front-end.
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>

#include "model/Cal_Main.h"
#include "model/InputFields.h"

namespace tadmor {

// What a request needs from its front-end: the window, the command line or a test.
class RequestUi {
public:
    virtual ~RequestUi() = default;
    virtual void SetBusy(bool busy) = 0;                    // busy (hourglass) cursor on or off
    virtual void ShowMessage(const std::string& text) = 0;  // a fixed message, modal
    virtual void ShowError(const std::string& text) = 0;    // an error's own text, with an error icon
    virtual void ShowCompletion() = 0;                      // the completion dialog, modal
    virtual void RefreshFileList() = 0;                     // read the current folder again
};

// A front-end that shows nothing (a batch of runs): the calculation keeps
// the message.
class SilentUi : public RequestUi {
public:
    void SetBusy(bool) override {}
    void ShowMessage(const std::string&) override {}
    void ShowError(const std::string&) override {}
    void ShowCompletion() override {}
    void RefreshFileList() override {}
};

using FieldTexts = std::array<std::string, kFieldCount>;

// The default texts of the 29 fields, the numbers written with `separator`
// as their decimal separator.
FieldTexts DefaultFieldTexts(char separator = '.');

enum class RequestOutcome {
    Completed,         // the march ran to its end (and a request wrote the file)
    InvalidInput,      // a text did not convert or a value failed its test
    FileNotWritten,    // a request's results file could not be created or written
    CalculationError,  // arithmetic fault, no convergence, or another error
};

// One calculation and how it ended.
struct Calculation {
    RequestOutcome outcome = RequestOutcome::InvalidInput;  // FileNotWritten only from a request
    // The refusal's fixed text (InvalidInput), the file's message
    // (FileNotWritten) or the error's own text after its cause
    // (CalculationError); empty when completed.
    std::string message;
    // The field whose text or value was refused (InvalidInput); -1 otherwise,
    // and when the inputs were refused as a whole.
    int refusedField = -1;
    // Where a calculation error ended the run: the increment (0 before the
    // first) and its FLIGHT (NaN when unknown).
    int errorIncrement = 0;
    double errorFlight = std::numeric_limits<double>::quiet_NaN();
    // The inputs as converted and, once the march has run, its results.
    SimulationState state;
};

// Converts `texts` with `separator` as the decimal separator, tests the
// values and runs the march, as a request does, but writes no file and shows
// nothing. The file name is taken and tested like the other fields.
Calculation Calculate(const FieldTexts& texts, char separator);

// The inputs of `texts` as the calculation converts them, without the
// march; nothing when the conversion or the tests refuse them.
std::optional<SimulationState> ConvertedInputs(const FieldTexts& texts, char separator);

// The field whose text the request's conversion or whose value its tests
// refuse first; -1 when none is (or when the inputs are refused as a whole).
int RefusedField(const FieldTexts& texts, char separator);

// The request of the window: the calculation with the results file, and
// what the user sees through `ui`. The texts are converted into `start`,
// up to the first that is refused.
Calculation RunRequest(const FieldTexts& texts, char separator, RequestUi& ui, SimulationState start = {});

// The same request on the window's own `state`, which keeps what the
// request leaves in it.
RequestOutcome RunCalculationRequest(const FieldTexts& texts, char separator, SimulationState& state, RequestUi& ui);

}  // namespace tadmor
