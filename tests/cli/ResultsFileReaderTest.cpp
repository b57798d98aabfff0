// Reading results files back, as the window and the command write them.
#include "report/ResultsFileReader.h"

#include "support/Digits.h"
#include "support/Errors.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

// Decimals of the table's fields, FLIGHT .. POWER VIS.
constexpr int kTableDecimals[kTableFieldCount] = {2, 3, 3, 3, 1, 1, 1, 4, 1, 2, 2};

std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    std::istringstream stream(file);
    for (std::string line; std::getline(stream, line);) lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

// The first `count` lines of `file`, line ends included.
std::string FirstLines(const std::string& file, int count) {
    std::size_t end = 0;
    for (int i = 0; i < count; ++i) end = file.find("\r\n", end) + 2;
    return file.substr(0, end);
}

// The message of the refusal that parsing `bytes` throws.
std::string RefusalOf(const std::string& bytes) {
    const std::string refusal = ErrorTextOf([&] { ParseResultsFile(bytes); }, ErrorKind::ResultsFile);
    return refusal.empty() ? "(accepted)" : refusal;
}

class ResultsFileReader : public TadmorCommand {
protected:
    // A run whose every input differs from its default, so that a value read
    // into the wrong place shows.
    FieldTexts DistinctTexts() {
        FieldTexts texts = DefaultFieldTexts();
        texts[FieldIndexOf("ScrewDiameter")] = "15.5";
        texts[FieldIndexOf("FeedTurns")] = "9.5";
        texts[FieldIndexOf("CompressionTurns")] = "6.5";
        texts[FieldIndexOf("MeteringTurns")] = "8.2";
        texts[FieldIndexOf("DelayTurns")] = "4.5";
        texts[FieldIndexOf("FeedDepth")] = "1.45";
        texts[FieldIndexOf("MeteringDepth")] = "0.41";
        texts[FieldIndexOf("ScrewPitch")] = "15.2";
        texts[FieldIndexOf("FlightWidth")] = "1.48";
        texts[FieldIndexOf("ScrewSpeed")] = "41.0";
        texts[FieldIndexOf("OutputRate")] = "310.0";
        texts[FieldIndexOf("BarrelC0")] = "291.0";
        texts[FieldIndexOf("BarrelC1")] = "0.002";
        texts[FieldIndexOf("BarrelC2")] = "-0.003";
        texts[FieldIndexOf("SolidTemp")] = "31.0";
        return texts;
    }
};

TEST_F(ResultsFileReader, ReadsEveryInputIntoItsFieldAndEveryRowToItsPrintedDigits) {
    FieldTexts texts = DistinctTexts();
    texts[kFieldCount - 1] = (root / "distinct.txt").string();
    SimulationState state;
    SilentUi ui;
    ASSERT_EQ(RunCalculationRequest(texts, '.', state, ui), RequestOutcome::Completed);
    const std::string file = ReadFile(root / "distinct.txt");
    const ResultsFileContents contents = ParseResultsFile(file);

    EXPECT_EQ(contents.separator, '.');
    const std::vector<std::string> lines = Lines(file);
    for (int i = 0; i < kInputLineCount; ++i) {
        SCOPED_TRACE(kInputFields[i].variable);
        const std::string printed = lines[i].substr(43);
        EXPECT_EQ(contents.inputs[i], std::strtod(printed.c_str(), nullptr));
        EXPECT_TRUE(RoundsTo(state.*kInputFields[i].value, printed));
    }

    const std::vector<std::vector<double> SimulationState::*> columns = {
        &SimulationState::ResFlight,         &SimulationState::ResDepth,         &SimulationState::ResSolidFraction,
        &SimulationState::ResSolidFlowRatio, &SimulationState::ResBarrelTemp,    &SimulationState::ResSolvedMidTemp,
        &SimulationState::ResFilmAvgTemp,    &SimulationState::ResFilmThickness, &SimulationState::ResInversePsi,
        &SimulationState::ResTotalPower,     &SimulationState::ResViscousPower};
    ASSERT_EQ(contents.rows.size(), static_cast<std::size_t>(state.StepCount));
    for (int r = 0; r < state.StepCount; ++r)
        for (int c = 0; c < kTableFieldCount; ++c) {
            const double unit = std::pow(10.0, -kTableDecimals[c]);
            EXPECT_NEAR(contents.rows[r][c], (state.*columns[c])[r + 1], 0.5 * unit * (1 + 1e-9))
                << "row " << r + 1 << ", field " << c + 1;
        }
}

TEST_F(ResultsFileReader, CommaFileReadsAsThePointFile) {
    const ResultsFileContents point = ReadResultsFile(WriteByRequest(DefaultFieldTexts(), '.', "point.txt"));
    const ResultsFileContents comma = ReadResultsFile(WriteByRequest(DefaultFieldTexts(','), ',', "comma.txt"));
    EXPECT_EQ(comma.separator, ',');
    EXPECT_EQ(comma.inputs, point.inputs);
    EXPECT_EQ(comma.rows, point.rows);
    EXPECT_EQ(point.rows.size(), 129u);
}

TEST_F(ResultsFileReader, LineFeedsAndExponentFormAreRead) {
    std::string file = ReadFile(WriteByRequest(DefaultFieldTexts(), '.'));
    // An output rate of 1234567 kg/hr is written in exponent form.
    const std::size_t output = file.find(" =  300.0\r\n");
    ASSERT_NE(output, std::string::npos);
    file.replace(output + 4, 5, "1.23457E6");
    std::erase(file, '\r');
    const ResultsFileContents contents = ParseResultsFile(file);
    EXPECT_EQ(contents.inputs[FieldIndexOf("OutputRate")], 1234570.0);
    EXPECT_EQ(contents.rows.size(), 129u);
}

TEST_F(ResultsFileReader, RefusesWhatIsNotAResultsFile) {
    const std::string good = ReadFile(WriteByRequest(DefaultFieldTexts(), '.'));
    const std::size_t table = good.find(" [RESULTS]");
    const std::size_t firstRow = good.find("\r\n", good.find("TOT    VIS")) + 2;
    const std::string row = good.substr(firstRow, good.find("\r\n", firstRow) + 2 - firstRow);
    std::string shortRow = good;
    shortRow.replace(firstRow, row.size(), row.substr(0, row.rfind("  ")) + "\r\n");
    std::string mixed = good;
    mixed.replace(firstRow, row.size(), std::string(row).replace(row.find('.'), 1, ","));

    const struct {
        std::string bytes;
        std::string refusal;
    } cases[] = {
        {"", "the file is empty"},
        {"FLIGHT (turns),DEPTH (cm)\n5.1,1.4\n", "line 1 is not an input line"},
        {FirstLines(good, 12), "line 13 is missing"},
        {good.substr(0, table), "the file holds the inputs but no results table: its calculation did not finish"},
        {good.substr(0, table) + "RESULTS\r\n", "line 32 should be the heading line \" [RESULTS]\""},
        {shortRow, "line 35 is not a row of the results table (11 numbers)"},
        {mixed, "line 35 holds \"5,10\" where a number of the table belongs"},
        {good.substr(0, good.size() - 2), "the results table ends early"},
        {good + "more\r\n", "line 166 follows the results table"},
    };
    for (const auto& c : cases) EXPECT_EQ(RefusalOf(c.bytes).rfind(c.refusal, 0), 0u) << RefusalOf(c.bytes);
}

TEST_F(ResultsFileReader, NamesTheFileItRefuses) {
    WriteFile(root / "notes.txt", "Screw Diameter = 15\r\n");
    EXPECT_EQ(ErrorTextOf([&] { ReadResultsFile((root / "notes.txt").string()); }, ErrorKind::ResultsFile),
              "\"" + (root / "notes.txt").string() +
                  "\" is not a results file: line 1 is not an input line (a label of 43 bytes ending in \" =  \", "
                  "then the value)");
    EXPECT_EQ(ErrorTextOf([&] { ReadResultsFile((root / "missing.txt").string()); }, ErrorKind::ResultsFile),
              "cannot read the results file \"" + (root / "missing.txt").string() + "\": No such file or directory");
}

}  // namespace
}  // namespace tadmor
