#include "app/request/CalculationRequest.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cfenv>
#include <filesystem>
#include <string>
#include <vector>

#include "support/DefaultInputs.h"
#include "support/RecordingUi.h"

namespace tadmor {
namespace {

namespace fs = std::filesystem;

using test::RecordingUi;

using Calls = std::vector<std::string>;

Calls Refused(const std::string& message) { return {"busy on", "message: " + message, "busy off"}; }

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "tadmor-request-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TemporaryFolder() { fs::remove_all(path_); }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

class CalculationRequestTest : public testing::Test {
protected:
    FieldTexts texts = DefaultFieldTexts();
    SimulationState state;
    RecordingUi ui;

    void Set(std::string_view variable, std::string text) {
        const int index = FieldIndexOf(variable);
        ASSERT_GE(index, 0) << variable;
        texts[index] = std::move(text);
    }
    RequestOutcome Run(char separator = '.') { return RunCalculationRequest(texts, separator, state, ui); }
};

// An empty file name fails the last test, so reaching its message proves
// that every text converted and every number passed.
TEST_F(CalculationRequestTest, TheDefaultTextsGiveTheDefaultInputs) {
    EXPECT_EQ(texts[28], "result.txt");
    Set("ResultFileName", "");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    EXPECT_EQ(ui.calls, Refused("Save File Name is not correct"));
    const SimulationState defaults = test::DefaultInputs();
    for (int i = 0; i < kNumericFieldCount; ++i)
        EXPECT_EQ(state.*kInputFields[i].value, defaults.*kInputFields[i].value) << kInputFields[i].variable;
}

// The conversion without the march: the default inputs with an empty file
// name (which only the request tests), nothing for a refused text.
TEST_F(CalculationRequestTest, ConvertedInputsAreTheDefaultsWithoutAMarch) {
    Set("ResultFileName", "");
    const std::optional<SimulationState> converted = ConvertedInputs(texts, '.');
    ASSERT_TRUE(converted);
    const SimulationState defaults = test::DefaultInputs();
    for (int i = 0; i < kNumericFieldCount; ++i)
        EXPECT_EQ((*converted).*kInputFields[i].value, defaults.*kInputFields[i].value) << kInputFields[i].variable;
    EXPECT_EQ(converted->StepCount, 0);
    Set("ScrewSpeed", "6O");
    EXPECT_FALSE(ConvertedInputs(texts, '.'));
}

TEST_F(CalculationRequestTest, ABadTextStopsTheConversionThere) {
    state.SolidTemp = 99;
    state.ResultFileName = "before";
    Set("ScrewDiameter", "0");
    Set("MeltingPoint", "265,0");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    EXPECT_EQ(ui.calls, Refused("Input value is not correct!"));
    EXPECT_EQ(state.ScrewDiameter, 0);  // stored before the failure
    EXPECT_EQ(state.SolidTemp, 99);     // never read
    EXPECT_EQ(state.ResultFileName, "before");
}

TEST_F(CalculationRequestTest, ABadLastTextWinsOverAZeroDiameter) {
    Set("ScrewDiameter", "0");
    Set("SolidTemp", "30.0 C");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    EXPECT_EQ(ui.calls, Refused("Input value is not correct!"));
}

TEST_F(CalculationRequestTest, TextsThatDoNotConvert) {
    for (const char* text : {"15.0 cm", "1,5", "1e400", "", "   "}) {
        ui.calls.clear();
        Set("ScrewDiameter", text);
        EXPECT_EQ(Run(), RequestOutcome::InvalidInput) << '"' << text << '"';
        EXPECT_EQ(ui.calls, Refused("Input value is not correct!")) << '"' << text << '"';
    }
}

TEST_F(CalculationRequestTest, TextsThatConvertAndValuesThatPass) {
    Set("ResultFileName", "");
    Set("ScrewDiameter", " 15.0 ");
    Set("FusionHeat", "0");
    Set("BarrelC1", "-0.5");
    Set("BarrelC2", "-0.01");
    for (const char* viscosity : {"ViscA0", "ViscA1", "ViscA11", "ViscA2", "ViscA22", "ViscA12"}) Set(viscosity, "-1");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    EXPECT_EQ(ui.calls, Refused("Save File Name is not correct"));
    EXPECT_EQ(state.ScrewDiameter, 15.0);
    EXPECT_EQ(state.FusionHeat, 0.0);
    EXPECT_EQ(state.BarrelC1, -0.5);
    EXPECT_EQ(state.ResultFileName, "");
}

TEST_F(CalculationRequestTest, DecimalCommaWithTheCommaSeparator) {
    for (int i = 0; i < kNumericFieldCount; ++i)
        for (char& c : texts[i])
            if (c == '.') c = ',';
    Set("ResultFileName", "");
    EXPECT_EQ(Run(','), RequestOutcome::InvalidInput);
    EXPECT_EQ(ui.calls, Refused("Save File Name is not correct"));
    EXPECT_EQ(state.ViscA22, -0.00012377);
    EXPECT_EQ(state.MeltConductivity, 0.00052);
}

TEST_F(CalculationRequestTest, OnlyTheFirstFailedTestIsShown) {
    Set("ScrewDiameter", "0");
    Set("ScrewPitch", "0");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    EXPECT_EQ(ui.calls, Refused("Value of Screw Diameter is not correct"));
}

TEST_F(CalculationRequestTest, SingleValueTests) {
    const struct {
        const char* variable;
        const char* text;
        const char* message;
    } cases[] = {
        {"FusionHeat", "-0.1", "Value of Heat of Fusion is not correct"},
        {"DelayTurns", "0", "Value of Turns of Delay in Metering is not correct"},
        {"SolidTemp", "-0", "Value of Solid Temperature is not correct"},
        {"BarrelC0", "-290", "Value of Barrel Temp. Para. (C0) is not correct"},
    };
    for (const auto& c : cases) {
        texts = DefaultFieldTexts();
        ui.calls.clear();
        Set(c.variable, c.text);
        EXPECT_EQ(Run(), RequestOutcome::InvalidInput) << c.variable;
        EXPECT_EQ(ui.calls, Refused(c.message)) << c.variable;
    }
}

// Every tested value fails at once; mending the one each request names
// uncovers the order in which the tests run.
TEST_F(CalculationRequestTest, TestingOrder) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (kInputFields[i].test == FieldTest::Positive) texts[i] = "0";
        if (kInputFields[i].test == FieldTest::NonNegative) texts[i] = "-1";
    }
    Set("ResultFileName", "");
    const FieldTexts defaults = DefaultFieldTexts();
    std::vector<std::string> messages;
    while (Run() == RequestOutcome::InvalidInput && messages.size() < 30) {
        ASSERT_EQ(ui.calls.size(), 3u);
        const std::string message = ui.calls[1].substr(std::string("message: ").size());
        messages.push_back(message);
        ui.calls.clear();
        for (int i = 0; i < kFieldCount; ++i)
            if (kInputFields[i].message == message) texts[i] = defaults[i];
    }
    const std::vector<std::string> expected = {
        "Value of Screw Diameter is not correct",
        "Value of Turns of Feed Zone is not correct",
        "Value of Turns of Compression Zone is not correct",
        "Value of Turns of Metering Zone is not correct",
        "Value of Turns of Delay in Metering is not correct",
        "Value of Depth of Feed Zone Channel is not correct",
        "Value of Depth of Metering Zone Channel is not correct",
        "Value of Screw Pitch is not correct",
        "Value of Flight Width is not correct",
        "Value of Number of Revolution is not correct",
        "Value of Flow Rate is not correct",
        "Value of Barrel Temp. Para. (C0) is not correct",
        "Value of Density of Solid is not correct",
        "Value of Density of Melt is not correct",
        "Value of Specific Heat of Solid is not correct",
        "Value of Heat of Fusion is not correct",
        "Value of Specific Heat of Melt is not correct",
        "Value of Thermal Conductivity of Melt is not correct",
        "Value of Melting Point is not correct",
        "Value of Solid Temperature is not correct",
        "Save File Name is not correct",
    };
    EXPECT_EQ(messages, expected);
}

TEST_F(CalculationRequestTest, AnAbsurdlyLongScrewIsRefusedBeforeAnythingIsWritten) {
    TemporaryFolder folder;
    Set("ResultFileName", (folder / "result.txt").string());
    Set("MeteringTurns", "1e6");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    ASSERT_EQ(ui.calls.size(), 3u);
    EXPECT_EQ(ui.calls[1],
              "message: The screw needs about 5000086 increments; at most 100000 can be computed. "
              "Check the numbers of turns.");
    EXPECT_FALSE(fs::exists(folder / "result.txt"));
}

TEST_F(CalculationRequestTest, AOneBlankFileNamePassesItsTest) {
    Set("ResultFileName", " ");
    Set("FeedTurns", "1e300");
    EXPECT_EQ(Run(), RequestOutcome::InvalidInput);
    ASSERT_EQ(ui.calls.size(), 3u);
    EXPECT_NE(ui.calls[1].find("increments"), std::string::npos) << ui.calls[1];
    EXPECT_EQ(state.ResultFileName, " ");
}

TEST_F(CalculationRequestTest, AFileInAMissingFolderStopsTheRequest) {
    TemporaryFolder folder;
    Set("ResultFileName", (folder / "missing" / "result.txt").string());
    EXPECT_EQ(Run(), RequestOutcome::FileNotWritten);
    EXPECT_EQ(ui.calls, Refused("File can not open!"));
    EXPECT_EQ(state.StepCount, 0);  // the march did not run
}

TEST_F(CalculationRequestTest, TheDefaultRequestWritesTheFileAndShowsCompletion) {
    TemporaryFolder folder;
    Set("ResultFileName", (folder / "result.txt").string());
    EXPECT_EQ(Run(), RequestOutcome::Completed);
    EXPECT_EQ(ui.calls, (Calls{"busy on", "completion", "busy off", "refresh"}));
    EXPECT_GT(state.StepCount, 0);
    EXPECT_GT(fs::file_size(folder / "result.txt"), 0u);
}

TEST_F(CalculationRequestTest, ACalculationErrorShowsItsOwnText) {
    TemporaryFolder folder;
    Set("ResultFileName", (folder / "result.txt").string());
    Set("BarrelC0", "200.0");  // below the melting point
    EXPECT_EQ(Run(), RequestOutcome::CalculationError);
    ASSERT_EQ(ui.calls.size(), 3u);
    EXPECT_EQ(ui.calls[0], "busy on");
    EXPECT_EQ(ui.calls[1].rfind("error: ", 0), 0u) << ui.calls[1];
    EXPECT_GT(ui.calls[1].size(), std::string("error: ").size());
    EXPECT_EQ(ui.calls[2], "busy off");
}

// The input section is written before the march: a disk without room
// refuses it, and the march does not run.
TEST_F(CalculationRequestTest, AFullDiskRefusesTheFileBeforeTheMarch) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    Set("ResultFileName", "/dev/full");
    EXPECT_EQ(Run(), RequestOutcome::FileNotWritten);
    EXPECT_EQ(ui.calls, Refused("File can not open!"));
    EXPECT_EQ(state.StepCount, 0);
}

// The calculation alone: the request's conversion, tests and march, the
// outcome and message the request would show, and no file.
class CalculationTest : public CalculationRequestTest {};

TEST_F(CalculationTest, GivesTheRequestsResultsWithoutAFile) {
    TemporaryFolder folder;
    Set("ScrewSpeed", "45");
    Set("ResultFileName", (folder / "result.txt").string());
    const Calculation calculation = Calculate(texts, '.');
    EXPECT_EQ(calculation.outcome, RequestOutcome::Completed);
    EXPECT_EQ(calculation.message, "");
    EXPECT_FALSE(fs::exists(folder / "result.txt"));

    EXPECT_EQ(Run(), RequestOutcome::Completed);
    ASSERT_GT(state.StepCount, 0);
    EXPECT_EQ(calculation.state.StepCount, state.StepCount);
    EXPECT_EQ(calculation.state.ScrewSpeed, 45);
    EXPECT_EQ(calculation.state.ResFlight, state.ResFlight);
    EXPECT_EQ(calculation.state.ResSolidFraction, state.ResSolidFraction);
    EXPECT_EQ(calculation.state.ResViscousPower, state.ResViscousPower);
}

TEST_F(CalculationTest, ARefusalAndAnErrorComeWithTheRequestsTexts) {
    Set("ScrewPitch", "0");
    const Calculation refused = Calculate(texts, '.');
    EXPECT_EQ(refused.outcome, RequestOutcome::InvalidInput);
    EXPECT_EQ(refused.message, "Value of Screw Pitch is not correct");

    Set("ScrewPitch", "15,0");
    const Calculation comma = Calculate(texts, ',');
    EXPECT_EQ(comma.outcome, RequestOutcome::InvalidInput);
    EXPECT_EQ(comma.message, "Input value is not correct!");

    texts = DefaultFieldTexts();
    Set("BarrelC0", "200.0");  // below the melting point
    const Calculation failed = Calculate(texts, '.');
    EXPECT_EQ(failed.outcome, RequestOutcome::CalculationError);
    Run();
    ASSERT_EQ(ui.calls.size(), 3u);
    EXPECT_EQ("error: " + failed.message, ui.calls[1]);
}

// No file is written, so the file name is not tested.
TEST_F(CalculationTest, AnEmptyFileNameIsNoRefusal) {
    Set("ResultFileName", "");
    const Calculation calculation = Calculate(texts, '.');
    EXPECT_EQ(calculation.outcome, RequestOutcome::Completed);
    EXPECT_GT(calculation.state.StepCount, 0);
}

}  // namespace
}  // namespace tadmor

namespace tadmor {
namespace {

// A caller's rounding mode (here towards +infinity) changes neither the
// conversion of the texts nor the march, and is given back.
TEST(CalculateInTheCallersEnvironment, GivesTheSameDoublesAndRestoresTheRoundingMode) {
    const Calculation plain = Calculate(DefaultFieldTexts(), '.');
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    const Calculation upward = Calculate(DefaultFieldTexts(), '.');
    const int round = std::fegetround();
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(round, FE_UPWARD);
    ASSERT_EQ(upward.outcome, RequestOutcome::Completed);
    EXPECT_EQ(upward.state.ViscA2, plain.state.ViscA2);  // 0.0047899 rounds differently upwards
    EXPECT_EQ(upward.state.ViscA2, 0.0047899);
    ASSERT_EQ(upward.state.StepCount, plain.state.StepCount);
    for (int i = 1; i <= plain.state.StepCount; ++i)
        EXPECT_EQ(upward.state.ResTotalPower[i], plain.state.ResTotalPower[i]) << "row " << i;
}

}  // namespace
}  // namespace tadmor
