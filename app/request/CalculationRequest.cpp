#include "app/request/CalculationRequest.h"

#include <exception>
#include <optional>
#include <string>

#include "model/InputFields.h"
#include "app/request/Causes.h"
#include "app/request/TextToNumber.h"
#include "model/Arithmetic.h"
#include "report/ResultsFile.h"

namespace tadmor {

namespace {

bool PassesTest(const InputField& field, const SimulationState& state) {
    switch (field.test) {
        case FieldTest::Positive: return state.*field.value > 0;
        case FieldTest::NonNegative: return state.*field.value >= 0;
        case FieldTest::NotEmpty: return !state.ResultFileName.empty();
        case FieldTest::None: break;
    }
    return true;
}

// Which tests apply: the file name's only where a file is written.
enum class FileNameTest { Applied, Skipped };

// The first field, in field order, whose value fails its test; -1 when
// every value passes.
int FirstFailedTest(const SimulationState& state, FileNameTest fileName) {
    for (int i = 0; i < kFieldCount; ++i) {
        const InputField& field = kInputFields[i];
        if (!(fileName == FileNameTest::Skipped && field.test == FieldTest::NotEmpty) && !PassesTest(field, state))
            return i;
    }
    return -1;
}

struct Refusal {
    std::string message;  // empty when the march may run
    int field = -1;       // the field refused; -1 for the inputs as a whole
};

// Converts the texts into `state` and tests the values, in the request's
// order, up to the first refusal.
Refusal ConvertAndTest(const FieldTexts& texts, char separator, SimulationState& state, FileNameTest fileName) {
    for (int i = 0; i < kNumericFieldCount; ++i) {
        const std::optional<double> value = TextToNumber(texts[i], separator);
        if (!value) return {"Input value is not correct!", i};
        state.*kInputFields[i].value = *value;
    }
    state.ResultFileName = texts[kFieldCount - 1];
    if (const int failed = FirstFailedTest(state, fileName); failed >= 0)
        return {std::string(kInputFields[failed].message), failed};
    return {IncrementLimitRefusal(state)};
}

// Runs `step` on `state`; the text of the error it ends with, if any, a
// simulation error's with its cause.
template <class Step>
std::optional<std::string> ErrorOf(const SimulationState& state, Step step) {
    try {
        step();
    } catch (const SimulationError& error) {
        return ExplainedError(state, error);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "The calculation ended with an unknown error.";
    }
    return std::nullopt;
}

enum class FileStage { Written, InputSectionNotCreated, TableNotWritten };

FileStage WriteAndMarch(SimulationState& state, char separator) {
    ResultsFileWriter file;
    if (!file.WriteInputSection(state, separator)) return FileStage::InputSectionNotCreated;
    RunMarch(state);
    if (!file.WriteResultsTable(state, separator)) return FileStage::TableNotWritten;
    return FileStage::Written;
}

}  // namespace

FieldTexts DefaultFieldTexts(char separator) {
    FieldTexts texts;
    for (int i = 0; i < kFieldCount; ++i) texts[i] = kInputFields[i].defaultText;
    for (int i = 0; i < kNumericFieldCount; ++i)
        for (char& c : texts[i])
            if (c == '.') c = separator;
    return texts;
}

Calculation Calculate(const FieldTexts& texts, char separator) {
    const FloatingPointEnvironmentGuard environment;  // the conversion too runs in the default environment
    Calculation calculation;
    calculation.message = ConvertAndTest(texts, separator, calculation.state, FileNameTest::Skipped).message;
    if (!calculation.message.empty()) return calculation;
    const std::optional<std::string> error = ErrorOf(calculation.state, [&calculation] {
        try {
            RunMarch(calculation.state);
        } catch (const SimulationError& error) {
            calculation.errorIncrement = error.Increment();
            calculation.errorFlight = error.Flight();
            throw;
        }
    });
    calculation.outcome = error ? RequestOutcome::CalculationError : RequestOutcome::Completed;
    calculation.message = error.value_or("");
    return calculation;
}

int RefusedField(const FieldTexts& texts, char separator) {
    const FloatingPointEnvironmentGuard environment;
    SimulationState state;
    return ConvertAndTest(texts, separator, state, FileNameTest::Applied).field;
}

RequestOutcome RunCalculationRequest(const FieldTexts& texts, char separator,
                                     SimulationState& state, RequestUi& ui) {
    const FloatingPointEnvironmentGuard environment;
    ui.SetBusy(true);
    // Every message is shown before the busy cursor goes.
    const auto refuse = [&ui](std::string_view message, RequestOutcome outcome) {
        ui.ShowMessage(std::string(message));
        ui.SetBusy(false);
        return outcome;
    };

    if (const std::string refusal = ConvertAndTest(texts, separator, state, FileNameTest::Applied).message;
        !refusal.empty())
        return refuse(refusal, RequestOutcome::InvalidInput);

    // The file is put in place only when complete: on every path but the
    // last the folder is as it was, so the file list is not read again.
    FileStage stage = FileStage::Written;
    if (const auto error = ErrorOf(state, [&] { stage = WriteAndMarch(state, separator); })) {
        ui.ShowError(*error);
        ui.SetBusy(false);
        return RequestOutcome::CalculationError;
    }
    switch (stage) {
        case FileStage::InputSectionNotCreated:
            // Nothing was written, so the march is not run either.
            return refuse("File can not open!", RequestOutcome::FileNotWritten);
        case FileStage::TableNotWritten:
            return refuse("Can not write result to file", RequestOutcome::FileNotWritten);
        case FileStage::Written: break;
    }
    ui.ShowCompletion();  // the busy cursor stays on while it is open
    ui.SetBusy(false);
    ui.RefreshFileList();
    return RequestOutcome::Completed;
}

}  // namespace tadmor
