#include "app/request/CalculationRequest.h"

#include <exception>

#include "app/request/InputFields.h"
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

// The message of the first field, in the testing order, whose value fails
// its test; empty when every value passes.
std::string_view FirstFailedTest(const SimulationState& state) {
    for (int order = 1; order <= kFieldCount; ++order)
        for (const InputField& field : kInputFields)
            if (field.testOrder == order && !PassesTest(field, state)) return field.message;
    return {};
}

enum class FileStage { Written, InputSectionNotCreated, TableNotAppended };

FileStage WriteAndMarch(SimulationState& state, char separator) {
    if (!WriteInputSection(state, separator)) return FileStage::InputSectionNotCreated;
    RunMarch(state);
    if (!WriteResultsTable(state, separator)) return FileStage::TableNotAppended;
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

RequestOutcome RunCalculationRequest(const FieldTexts& texts, char separator,
                                     SimulationState& state, RequestUi& ui) {
    ui.SetBusy(true);
    // Every message is shown before the busy cursor goes.
    const auto refuse = [&ui](std::string_view message, RequestOutcome outcome) {
        ui.ShowMessage(std::string(message));
        ui.SetBusy(false);
        return outcome;
    };

    for (int i = 0; i < kNumericFieldCount; ++i) {
        const std::optional<double> value = TextToNumber(texts[i], separator);
        if (!value) return refuse("Input value is not correct!", RequestOutcome::InvalidInput);
        state.*kInputFields[i].value = *value;
    }
    state.ResultFileName = texts[kFieldCount - 1];

    const std::string_view failed = FirstFailedTest(state);
    if (!failed.empty()) return refuse(failed, RequestOutcome::InvalidInput);

    if (const std::string refusal = IncrementLimitRefusal(state); !refusal.empty())
        return refuse(refusal, RequestOutcome::InvalidInput);

    FileStage stage;
    try {
        stage = WriteAndMarch(state, separator);
    } catch (const std::exception& error) {
        ui.ShowError(error.what());
        ui.SetBusy(false);
        return RequestOutcome::CalculationError;
    } catch (...) {
        ui.ShowError("The calculation ended with an unknown error.");
        ui.SetBusy(false);
        return RequestOutcome::CalculationError;
    }

    switch (stage) {
        case FileStage::InputSectionNotCreated:
            // Nothing was written, so the march is not run either.
            return refuse("File can not open!", RequestOutcome::FileNotWritten);
        case FileStage::TableNotAppended:
            refuse("Can not write result to file", RequestOutcome::FileNotWritten);
            ui.RefreshFileList();  // the input section may be new
            return RequestOutcome::FileNotWritten;
        case FileStage::Written: break;
    }
    ui.ShowCompletion();  // the busy cursor stays on while it is open
    ui.SetBusy(false);
    ui.RefreshFileList();
    return RequestOutcome::Completed;
}

}  // namespace tadmor
