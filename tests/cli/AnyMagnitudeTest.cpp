// The built program on numbers of any magnitude, hostile texts and data that
// no run would give: every number comes out as text, every SVG file is
// well-formed XML, every message is whole.
#include <cfloat>

#include "report/ResultsFile.h"
#include "support/DefaultInputs.h"
#include "support/PlotFiles.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

// A results file of the default inputs and three rows, the barrel
// temperature TB as given, the other columns a half.
void WriteResultsWithBarrelTemperatures(const fs::path& path, const std::vector<double>& barrel) {
    SimulationState state = DefaultInputs();
    state.StepCount = 3;
    for (std::vector<double>* column : {&state.ResDepth, &state.ResSolidFraction, &state.ResSolidFlowRatio,
                                        &state.ResSolvedMidTemp, &state.ResFilmAvgTemp, &state.ResFilmThickness,
                                        &state.ResInversePsi, &state.ResTotalPower, &state.ResViscousPower})
        *column = {0, 0.5, 0.5, 0.5};
    state.ResFlight = {0, 5.1, 5.3, 5.5};
    state.ResBarrelTemp = {0, barrel[0], barrel[1], barrel[2]};
    WriteFile(path, InputSectionText(state) + ResultsTableText(state));
}

TEST_F(TadmorCommand, SummaryAtAFlightBeyondAnyFixedPointText) {
    const Result result =
        Run({"run", "--set", "DelayTurns=1e70", "--set", "FeedTurns=1e70", "--set", "OutputRate=100", "-o", "x.txt"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "x.txt: 69 rows recorded; melting completed at FLIGHT 1e+70\n");
}

TEST_F(TadmorCommand, SweepsOfHugeAndTinyValuesWriteTheirValuesAndDrawWellFormedSvg) {
    const struct {
        const char* vary;
        std::vector<std::string> values;
    } sweeps[] = {
        {"ScrewSpeed=1e300:1e300:1", {"1e+300"}},
        {"ScrewSpeed=1e-300,2e-300", {"1e-300", "2e-300"}},
        {"ScrewSpeed=1e-300:3e-300:1e-300", {"1e-300", "2e-300", "3e-300"}},
        {"ScrewSpeed=1e-3:3e-3:1e-3", {"0.001", "0.002", "0.003"}},
        {"ScrewSpeed=100000000000000000,100000000000000016", {"100000000000000000", "100000000000000016"}},
    };
    for (const auto& sweep : sweeps) {
        SCOPED_TRACE(sweep.vary);
        const Result result = Run({"sweep", "--jobs", "1", "--vary", sweep.vary, "-o", "s.csv", "--plot", "s.svg"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::string summary = ReadFile(work / "s.csv");
        EXPECT_FALSE(HasNul(summary));
        for (std::size_t i = 0; i < sweep.values.size(); ++i)
            EXPECT_NE(summary.find("\n" + std::to_string(i) + "," + sweep.values[i] + ","), std::string::npos)
                << summary;
        const std::string drawing = ReadFile(work / "s.svg");
        EXPECT_FALSE(HasNul(drawing));
        EXPECT_TRUE(WellFormedXml(drawing));
    }
}

// The results file of the default inputs with every temperature of the
// table at 1e17 and the melting point 16 (one step of a double) above.
std::string TemperaturesNearTenToTheSeventeenth(const std::string& file) {
    std::istringstream lines(file);
    std::string crafted;
    int tableLine = -1;
    for (std::string line; std::getline(lines, line);) {
        if (line == " [RESULTS]\r") tableLine = 0;
        if (tableLine >= 0 && tableLine++ >= 3 && line != "\r") {
            std::vector<std::string> fields;
            std::istringstream words(line);
            for (std::string word; words >> word;) fields.push_back(word);
            fields[4] = fields[5] = fields[6] = "1E17";  // TB, T121, TAV
            line.clear();
            for (const std::string& field : fields) line += " " + field;
            line += "\r";
        }
        crafted += line + "\n";
    }
    const std::string meltingPoint = "=  265.0\r\n";
    return crafted.replace(crafted.find(meltingPoint), meltingPoint.size(), "=  100000000000000016\r\n");
}

TEST_F(TadmorCommand, PlotOfTemperaturesNearTenToTheSeventeenth) {
    WriteFile(root / "near1e17.txt", TemperaturesNearTenToTheSeventeenth(RequestFile(DefaultFieldTexts(), '.')));
    for (const char* plot : {"p.svg", "p.png"}) {
        const Result result = Run({"plot", (root / "near1e17.txt").string(), "-o", plot});
        EXPECT_EQ(result.exitCode, 0) << result.err;
    }
    const std::string drawing = ReadFile(work / "p.svg");
    EXPECT_TRUE(WellFormedXml(drawing));
    // Drawn as one value, a tenth of it either side.
    for (const char* label : {">9e+16<", ">1e+17<", ">1.1e+17<"}) EXPECT_NE(drawing.find(label), std::string::npos);
}

TEST_F(TadmorCommand, AChartThatCannotBeDrawnIsRefused) {
    WriteResultsWithBarrelTemperatures(root / "extremes.txt", {-1.7e308, 0, 1.7e308});
    for (const char* plot : {"p.svg", "p.png"}) {
        const Result result = Run({"plot", (root / "extremes.txt").string(), "-o", plot});
        EXPECT_EQ(result.exitCode, 4);
        EXPECT_EQ(result.err, "tadmor: cannot draw the chart: its axes would reach beyond 1.8e+308\n");
        EXPECT_FALSE(fs::exists(work / plot));
    }
}

TEST_F(TadmorCommand, ControlCharactersInTextsLeaveTheSvgWellFormed) {
    const std::string name =
        "a\x01"
        "b\xff.txt";
    ASSERT_EQ(Run({"run", "-o", name}).exitCode, 0);
    const Result plot = Run({"plot", name, "-o", "p.svg"});
    EXPECT_EQ(plot.exitCode, 0) << plot.err;
    EXPECT_TRUE(WellFormedXml(ReadFile(work / "p.svg")));

    const Result sweep = Run({"sweep", "--vary", "ScrewSpeed=30,40", "--vary", "OutputRate=1\x02,300", "-o",
                              "s\x03.csv", "--plot", "s.svg"});
    EXPECT_EQ(sweep.exitCode, 0) << sweep.err;
    EXPECT_TRUE(WellFormedXml(ReadFile(work / "s.svg")));
}

TEST_F(TadmorCommand, DecimalSeparatorIsAPointOrAComma) {
    for (const std::string bad : {"\n", "#", "x", "\xff", ";", "", "..", "5"}) {
        for (const char* command : {"run", "sweep"}) {
            std::vector<std::string> arguments = {command, "--decimal-separator", bad};
            if (std::string(command) == "sweep")
                arguments.insert(arguments.end(), {"--vary", "ScrewSpeed=40", "-o", "s.csv"});
            const Result result = Run(arguments);
            EXPECT_EQ(result.exitCode, 2) << command << " \"" << bad << "\"";
            EXPECT_EQ(result.err.rfind("tadmor: --decimal-separator expects \".\" or \",\", not \"", 0), 0u)
                << result.err;
        }
    }
    EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(TadmorCommand, MessagesAtAnyMagnitudeAreWhole) {
    const Result metering = Run({"run", "--set", "MeteringTurns=1e308"});
    EXPECT_EQ(metering.exitCode, 3);
    EXPECT_EQ(metering.err,
              "tadmor: The screw needs more than 1.8e+308 increments; at most 100000 can be computed. "
              "Check the numbers of turns.\n");
    const Result delay = Run({"run", "--set", "DelayTurns=1e308"});
    EXPECT_EQ(delay.exitCode, 5);
    EXPECT_EQ(
        delay.err,
        "tadmor: error: melting starts at DelayTurns 1e+308, at or beyond the end of the 24.70-turn screw, so "
        "there is no channel left to melt in: Floating-point overflow in RunMarch at increment 1 (FLIGHT 1e+308)\n"
        "tadmor: warning: melting starts at DelayTurns 1e+308, at or beyond the end of the 24.70-turn screw: "
        "the rows lie beyond the screw and describe no real channel (input DelayTurns) [melting-beyond-screw]\n");
}

TEST_F(TadmorCommand, ANulInACaseFileIsShownInTheMessage) {
    WriteFile(work / "nul.case", std::string("ScrewSpeed = 40\nScrew\0Diameter = 3\n", 36));
    const Result result = Run({"run", "--case", "nul.case"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err,
              "tadmor: nul.case:2: unknown input name \"Screw\\x00Diameter\"; did you mean ScrewDiameter?\n");
}

}  // namespace
}  // namespace tadmor
