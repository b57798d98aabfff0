#include "app/request/CalculationRequest.h"

#include <exception>
#include <optional>
#include <string>

#include "app/request/Causes.h"
#include "model/Arithmetic.h"
#include "model/InputFields.h"
#include "model/NumberText.h"
#include "report/ResultsFile.h"

namespace tadmor {

namespace {

bool PassesTest(const InputField& field, const SimulationState& state) {
    switch (field.test) {
        case FieldTest::Positive:
            return state.*field.value > 0;
        case FieldTest::NonNegative:
            return state.*field.value >= 0;
        case FieldTest::NotEmpty:
            return !state.ResultFileName.empty();
        case FieldTest::None:
            break;
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

// Runs `step` on `calculation.state` and records how it ended: the text of
// the error it ends with (a simulation error's after its cause, with its
// increment and FLIGHT) as a calculation error.
template <class Step>
void Run(Calculation& calculation, Step step) {
    try {
        step();
        calculation.outcome = RequestOutcome::Completed;
        return;
    } catch (const SimulationError& error) {
        calculation.message = ExplainedError(calculation.state, error);
        calculation.errorIncrement = error.Increment();
        calculation.errorFlight = error.Flight();
    } catch (const std::exception& error) {
        calculation.message = error.what();
    } catch (...) {
        calculation.message = "The calculation ended with an unknown error.";
    }
    calculation.outcome = RequestOutcome::CalculationError;
}

enum class FileStage { Written, InputSectionNotCreated, TableNotWritten };

FileStage WriteAndMarch(SimulationState& state, char separator) {
    ResultsFileWriter file;
    if (!file.WriteInputSection(state, separator)) return FileStage::InputSectionNotCreated;
    RunMarch(state);
    if (!file.WriteResultsTable(state, separator)) return FileStage::TableNotWritten;
    return FileStage::Written;
}

// Converts and tests the texts into `calculation`; false when refused.
bool Accepted(Calculation& calculation, const FieldTexts& texts, char separator, FileNameTest fileName) {
    const Refusal refusal = ConvertAndTest(texts, separator, calculation.state, fileName);
    if (refusal.message.empty()) return true;
    calculation.outcome = RequestOutcome::InvalidInput;
    calculation.message = refusal.message;
    calculation.refusedField = refusal.field;
    return false;
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
    if (Accepted(calculation, texts, separator, FileNameTest::Skipped))
        Run(calculation, [&calculation] { RunMarch(calculation.state); });
    return calculation;
}

std::optional<SimulationState> ConvertedInputs(const FieldTexts& texts, char separator) {
    const FloatingPointEnvironmentGuard environment;
    Calculation calculation;
    if (!Accepted(calculation, texts, separator, FileNameTest::Skipped)) return std::nullopt;
    return std::move(calculation.state);
}

int RefusedField(const FieldTexts& texts, char separator) {
    const FloatingPointEnvironmentGuard environment;
    SimulationState state;
    return ConvertAndTest(texts, separator, state, FileNameTest::Applied).field;
}

Calculation RunRequest(const FieldTexts& texts, char separator, RequestUi& ui, SimulationState start) {
    const FloatingPointEnvironmentGuard environment;
    ui.SetBusy(true);
    Calculation calculation;
    calculation.state = std::move(start);
    // Every message is shown before the busy cursor goes.
    const auto end = [&](RequestOutcome outcome, std::string message) {
        calculation.outcome = outcome;
        calculation.message = std::move(message);
        ui.ShowMessage(calculation.message);
        ui.SetBusy(false);
        return calculation;
    };
    if (!Accepted(calculation, texts, separator, FileNameTest::Applied))
        return end(RequestOutcome::InvalidInput, calculation.message);

    // The file is put in place only when complete: on every path but the
    // last the folder is as it was, so the file list is not read again.
    FileStage stage = FileStage::Written;
    Run(calculation, [&] { stage = WriteAndMarch(calculation.state, separator); });
    if (calculation.outcome == RequestOutcome::CalculationError) {
        ui.ShowError(calculation.message);
        ui.SetBusy(false);
        return calculation;
    }
    switch (stage) {
        case FileStage::InputSectionNotCreated:
            // Nothing was written, so the march is not run either.
            return end(RequestOutcome::FileNotWritten, "File can not open!");
        case FileStage::TableNotWritten:
            return end(RequestOutcome::FileNotWritten, "Can not write result to file");
        case FileStage::Written:
            break;
    }
    ui.ShowCompletion();  // the busy cursor stays on while it is open
    ui.SetBusy(false);
    ui.RefreshFileList();
    return calculation;
}

RequestOutcome RunCalculationRequest(const FieldTexts& texts, char separator, SimulationState& state, RequestUi& ui) {
    Calculation calculation = RunRequest(texts, separator, ui, std::move(state));
    state = std::move(calculation.state);
    return calculation.outcome;
}

}  // namespace tadmor
