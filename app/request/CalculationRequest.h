// One calculation request, without a window: convert the field texts, test
// the values, write the input section, run the march, append the table.
#pragma once

#include <array>
#include <string>

#include "app/request/InputFields.h"
#include "model/Cal_Main.h"

namespace tadmor {

// What a request needs from its front-end: the window, the command line or a test.
class RequestUi {
public:
    virtual ~RequestUi() = default;
    virtual void SetBusy(bool busy) = 0;                   // busy (hourglass) cursor on or off
    virtual void ShowMessage(const std::string& text) = 0; // a fixed message, modal
    virtual void ShowError(const std::string& text) = 0;   // an error's own text, with an error icon
    virtual void ShowCompletion() = 0;                     // the completion dialog, modal
    virtual void RefreshFileList() = 0;                    // read the current folder again
};

using FieldTexts = std::array<std::string, kFieldCount>;

// The default texts of the 29 fields, the numbers written with `separator`
// as their decimal separator.
FieldTexts DefaultFieldTexts(char separator = '.');

enum class RequestOutcome {
    Completed,         // march ran to its end and the table was written
    InvalidInput,      // a text did not convert or a value failed its test
    FileNotWritten,    // the results file could not be created or appended to
    CalculationError,  // arithmetic fault, no convergence, or a write error
};

// Runs one request on `state` with `separator` as the decimal separator.
RequestOutcome RunCalculationRequest(const FieldTexts& texts, char separator,
                                     SimulationState& state, RequestUi& ui);

}  // namespace tadmor
