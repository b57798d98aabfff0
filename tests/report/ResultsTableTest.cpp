#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ReportTestSupport.h"
#include "report/ResultsFile.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

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
SimulationState FilledState(int stepCount) {
    SimulationState s = DefaultInputs();
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

TEST(ResultsTable, RowsSitAtTheirPositions) {
    EXPECT_EQ(ResultsTableText(FilledState(2)), kHeadings + kRow1 + "\r\n" + kRow2 + "\r\n\r\n\r\n");

    // Positions from 1 and widths of the eleven fields.
    struct Field {
        std::size_t first;
        std::size_t width;
        const char* text;
    };
    const Field fields[] = {{2, 5, " 5.10"},  {9, 5, "1.400"},  {16, 5, "0.988"}, {23, 5, "0.990"},
                            {30, 5, "290.0"}, {37, 5, "275.3"}, {44, 5, "270.0"}, {51, 6, "0.0123"},
                            {59, 5, " 12.3"}, {66, 5, " 1.50"}, {73, 5, " 0.13"}};
    ASSERT_EQ(kHeading2.size(), 73u);
    ASSERT_EQ(kHeading3.size(), 77u);
    ASSERT_EQ(kRow1.size(), 77u);
    for (const Field& f : fields) EXPECT_EQ(kRow1.substr(f.first - 1, f.width), f.text);
    EXPECT_EQ(kRow2.size(), 77u);
}

TEST(ResultsTable, NoRowsWhenNothingWasRecorded) {
    for (int stepCount : {0, -1}) {
        SimulationState s = DefaultInputs();  // empty result columns
        s.StepCount = stepCount;
        EXPECT_EQ(ResultsTableText(s), kHeadings + "\r\n\r\n");
    }
}

TEST(ResultsTable, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(ResultsTableText(FilledState(1), ','),
              kHeadings + "  5,10  1,400  0,988  0,990  290,0  275,3  270,0  0,0123   12,3   1,50   0,13\r\n\r\n\r\n");
}

TEST(ResultsTable, WideFieldShiftsTheRestAndIsNotCut) {
    SimulationState s = FilledState(1);
    s.ResTotalPower[1] = 12345.678;
    EXPECT_EQ(
        ResultsTableText(s),
        kHeadings + "  5.10  1.400  0.988  0.990  290.0  275.3  270.0  0.0123   12.3  12346.00   0.13\r\n\r\n\r\n");
}

TEST(ResultsTable, MissingRowsAreAProgrammingError) {
    SimulationState s = FilledState(3);
    s.ResDepth.pop_back();
    EXPECT_THROW(ResultsTableText(s), std::logic_error);
}

}  // namespace
}  // namespace tadmor
