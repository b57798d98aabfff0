#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "ReportTestSupport.h"
#include "report/ResultsFile.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

const std::string kHeading1 = " [RESULTS]";
const std::string kHeading2 = " FLIGHT DEPTH   X/W   QS/QT   TB    T121    TAV   FILM   1/PSAI     POWER";
const std::string kHeading3 = "                                                                  TOT    VIS ";
const std::string kHeadings = kHeading1 + "\r\n" + kHeading2 + "\r\n" + kHeading3 + "\r\n";

// The rows of FilledState, field by field:
// FLIGHT DEPTH  X/W    QS/QT  TB     T121   TAV    FILM    1/PSAI TOT    VIS
const std::string kRow1 = "  5.10  1.400  0.988  0.990  290.0  275.3  270.0  0.0123   12.3   1.50   0.13";
const std::string kRow2 = "  5.30  1.360  0.950  0.971  290.0  280.0  272.5  0.0095    8.0   3.00   0.50";
const std::string kRow3 = "  5.50  1.320  0.900  0.940  290.0  281.0  273.0  0.0090    7.0   4.50   0.75";

// Three rows in the columns (index 0 unused, set to a value that must never
// show); StepCount says how many a run recorded.
SimulationState FilledState(const std::string& fileName, int stepCount) {
    SimulationState s = DefaultInputs(fileName);
    s.ResFlight = {999, 5.1, 5.3, 5.5};
    s.ResDepth = {999, 1.4, 1.36, 1.32};
    s.ResSolidFraction = {999, 0.987654, 0.95, 0.9};
    s.ResSolidFlowRatio = {999, 0.99, 0.9712, 0.94};
    s.ResBarrelTemp = {999, 290.04, 290.0, 290.0};
    s.ResSolvedMidTemp = {999, 275.25, 280.0, 281.0};  // 275.25 is an exact tie
    s.ResFilmAvgTemp = {999, 270.0, 272.5, 273.0};
    s.ResFilmThickness = {999, 0.0123, 0.0095, 0.009};
    s.ResInversePsi = {999, 12.34, 8.0, 7.0};
    s.ResTotalPower = {999, 1.5, 3.0, 4.5};
    s.ResViscousPower = {999, 0.125, 0.5, 0.75};
    s.StepCount = stepCount;
    return s;
}

using ResultsTable = TempFolderTest;

TEST_F(ResultsTable, RowsSitAtTheirPositions) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "");
    ASSERT_TRUE(WriteResultsTable(FilledState(path, 2)));
    EXPECT_EQ(ReadFile(path), kHeadings + kRow1 + "\r\n" + kRow2 + "\r\n\r\n\r\n");

    // Positions from 1 and widths of the eleven fields.
    struct Field { std::size_t first; std::size_t width; const char* text; };
    const Field fields[] = {{2, 5, " 5.10"},  {9, 5, "1.400"},  {16, 5, "0.988"}, {23, 5, "0.990"},
                            {30, 5, "290.0"}, {37, 5, "275.3"}, {44, 5, "270.0"}, {51, 6, "0.0123"},
                            {59, 5, " 12.3"}, {66, 5, " 1.50"}, {73, 5, " 0.13"}};
    ASSERT_EQ(kHeading2.size(), 73u);
    ASSERT_EQ(kHeading3.size(), 77u);
    ASSERT_EQ(kRow1.size(), 77u);
    for (const Field& f : fields) EXPECT_EQ(kRow1.substr(f.first - 1, f.width), f.text);
    EXPECT_EQ(kRow2.size(), 77u);
}

TEST_F(ResultsTable, AppendsToWhatIsThere) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "before\r\n");
    ASSERT_TRUE(WriteResultsTable(FilledState(path, 1)));
    EXPECT_EQ(ReadFile(path), "before\r\n" + kHeadings + kRow1 + "\r\n\r\n\r\n");
}

TEST_F(ResultsTable, NoRowsWhenNothingWasRecorded) {
    const std::string path = PathOf("out.txt");
    for (int stepCount : {0, -1}) {
        WriteFile(path, "");
        SimulationState s = DefaultInputs(path);  // empty result columns
        s.StepCount = stepCount;
        ASSERT_TRUE(WriteResultsTable(s));
        EXPECT_EQ(ReadFile(path), kHeadings + "\r\n\r\n");
    }
}

TEST_F(ResultsTable, UsesTheGivenDecimalSeparator) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "");
    ASSERT_TRUE(WriteResultsTable(FilledState(path, 1), ','));
    EXPECT_EQ(ReadFile(path),
              kHeadings + "  5,10  1,400  0,988  0,990  290,0  275,3  270,0  0,0123   12,3   1,50   0,13\r\n\r\n\r\n");
}

TEST_F(ResultsTable, WideFieldShiftsTheRestAndIsNotCut) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "");
    SimulationState s = FilledState(path, 1);
    s.ResTotalPower[1] = 12345.678;
    ASSERT_TRUE(WriteResultsTable(s));
    EXPECT_EQ(ReadFile(path),
              kHeadings + "  5.10  1.400  0.988  0.990  290.0  275.3  270.0  0.0123   12.3  12346.00   0.13\r\n\r\n\r\n");
}

TEST_F(ResultsTable, MissingFileIsNotCreated) {
    const std::string path = PathOf("out.txt");
    EXPECT_FALSE(WriteResultsTable(FilledState(path, 2)));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(WriteResultsTable(FilledState("", 2)));
}

TEST_F(ResultsTable, UnopenableNameKeepsWhatIsThere) {
    const std::string path = PathOf("out.txt");
    fs::create_directory(path);
    WriteFile(path + "/keep", "kept");
    EXPECT_FALSE(WriteResultsTable(FilledState(path, 2)));
    EXPECT_EQ(ReadFile(path + "/keep"), "kept");
}

TEST_F(ResultsTable, MissingRowsAreAProgrammingError) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "");
    SimulationState s = FilledState(path, 3);
    s.ResDepth.pop_back();
    EXPECT_THROW(WriteResultsTable(s), std::logic_error);
    EXPECT_EQ(ReadFile(path), "");
}

TEST(ResultsTableWriteError, FullDeviceThrowsNamingFileAndReason) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ExpectFullDeviceError([] { return WriteResultsTable(FilledState("/dev/full", 2)); });
}

// A run writes the input section, then appends the table; the next run starts
// the file afresh, and a shorter run prints only its own rows.
TEST_F(ResultsTable, FileHoldsTheInputSectionAndOneTable) {
    const std::string path = PathOf("out.txt");
    SimulationState s = FilledState(path, 3);
    ASSERT_TRUE(WriteInputSection(s));
    ASSERT_TRUE(WriteResultsTable(s));
    EXPECT_EQ(ReadFile(path), DefaultInputSection() + kHeadings + kRow1 + "\r\n" + kRow2 + "\r\n" + kRow3 +
                                  "\r\n\r\n\r\n");

    s.StepCount = 1;  // rows 2 and 3 still hold the first run's values
    ASSERT_TRUE(WriteInputSection(s));
    ASSERT_TRUE(WriteResultsTable(s));
    EXPECT_EQ(ReadFile(path), DefaultInputSection() + kHeadings + kRow1 + "\r\n\r\n\r\n");
}

}  // namespace
}  // namespace tadmor
