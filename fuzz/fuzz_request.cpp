// Fuzzes a whole calculation request from arbitrary field texts. Every input
// must end in a result or a message, never in a crash, a hang (the fuzzer's
// -timeout), an unexplained error, or a NaN or infinity in the results file.
//
// Input: byte 0 picks the decimal separator ("." or ","); the rest is split
// at line feeds into the texts of the 28 number fields in field order
// (missing fields keep their default texts). The results file name is always
// a file in a private temporary folder, whatever the input says.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "app/request/CalculationRequest.h"
#include "model/Arithmetic.h"
#include "model/NumberText.h"
#include "support/RecordingUi.h"

namespace {

namespace fs = std::filesystem;

std::string gResultFile;

// Runs longer than this many increments are skipped: they are legitimate but
// slow, and the limit on increments itself is tested by the request's tests.
constexpr double kIncrementBudget = 3000;

[[noreturn]] void Fail(const char* what, const tadmor::FieldTexts& texts, const tadmor::test::RecordingUi& ui) {
    std::fprintf(stderr, "%s\nfields:\n", what);
    for (int i = 0; i < tadmor::kNumericFieldCount; ++i) std::fprintf(stderr, "  [%s]\n", texts[i].c_str());
    std::fprintf(stderr, "calls:\n");
    for (const std::string& call : ui.calls) std::fprintf(stderr, "  %s\n", call.c_str());
    std::abort();
}

bool WithinBudget(const tadmor::FieldTexts& texts, char separator) {
    tadmor::SimulationState s;
    for (int i = 0; i < tadmor::kNumericFieldCount; ++i) {
        const std::optional<double> value = tadmor::TextToNumber(texts[i], separator);
        if (!value) return true;  // refused before any run
        s.*tadmor::kInputFields[i].value = *value;
    }
    return !(tadmor::EstimatedIncrementCount(s) > kIncrementBudget) ||
           tadmor::EstimatedIncrementCount(s) > tadmor::kIncrementLimit;
}

// The errors a run may end with: floating-point faults, iterations at their
// pass limit, runs refused for their length. A fault may follow its cause
// ("error: CAUSE: Invalid floating-point operation ...").
bool ExpectedError(const std::string& call) {
    if (call.rfind("error: ", 0) != 0) return false;
    for (const char* kind : {"Invalid floating-point operation", "Floating-point division by zero",
                             "Floating-point overflow", " did not converge in ", " increments"})
        if (call.find(kind) != std::string::npos) return true;
    return false;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void CheckResultsFile(const std::string& content, int rows, const tadmor::FieldTexts& texts,
                      const tadmor::test::RecordingUi& ui) {
    std::string lower = content;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos)
        Fail("NaN or infinity in the results file", texts, ui);
    int lines = 0;
    for (std::size_t end = content.find('\n'); end != std::string::npos; end = content.find('\n', end + 1)) {
        if (end == 0 || content[end - 1] != '\r') Fail("a line without CR LF", texts, ui);
        ++lines;
    }
    // 28 inputs and 3 empty lines, 3 headings, the rows, 2 empty lines.
    if (lines != 31 + 3 + rows + 2 || content.size() < 4 || content.compare(content.size() - 4, 4, "\r\n\r\n") != 0)
        Fail("the results file is not the input section and one table", texts, ui);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (fs::temp_directory_path() / "tadmor-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    gResultFile = (fs::path(pattern) / "result.txt").string();
    std::atexit([] { fs::remove_all(fs::path(gResultFile).parent_path()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = data[0] & 1 ? ',' : '.';
    tadmor::FieldTexts texts = tadmor::DefaultFieldTexts();
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t start = 0;
    for (int field = 0; field < tadmor::kNumericFieldCount && start <= input.size(); ++field) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        texts[field] = input.substr(start, end - start);
        start = end + 1;
    }
    texts[tadmor::kFieldCount - 1] = gResultFile;
    if (!WithinBudget(texts, separator)) return 0;

    std::remove(gResultFile.c_str());
    tadmor::SimulationState state;
    tadmor::test::RecordingUi ui;
    const tadmor::RequestOutcome outcome = tadmor::RunCalculationRequest(texts, separator, state, ui);

    const auto& calls = ui.calls;
    if (calls.size() < 3 || calls.front() != "busy on" || std::count(calls.begin(), calls.end(), "busy off") != 1)
        Fail("the busy cursor is not set once and restored once", texts, ui);
    const bool fileExists = fs::exists(gResultFile);
    switch (outcome) {
        case tadmor::RequestOutcome::Completed:
            if (calls[1] != "completion" || calls.size() != 4) Fail("completed without completion alone", texts, ui);
            if (!fileExists) Fail("completed without a results file", texts, ui);
            CheckResultsFile(ReadAll(gResultFile), state.StepCount, texts, ui);
            break;
        case tadmor::RequestOutcome::InvalidInput:
            if (calls.size() != 3 || calls[1].rfind("message: ", 0) != 0)
                Fail("refused without one message", texts, ui);
            if (fileExists) Fail("refused input left a results file", texts, ui);
            break;
        case tadmor::RequestOutcome::CalculationError:
            if (calls.size() != 3 || !ExpectedError(calls[1])) Fail("an unexpected error", texts, ui);
            break;
        case tadmor::RequestOutcome::FileNotWritten:
            Fail("the results file in a private folder could not be written", texts, ui);
    }
    return 0;
}
