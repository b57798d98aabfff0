// tadmor run --format csv|json and --plot, and tadmor plot, on the built program.
#include <nlohmann/json.hpp>

#include "charts/ChartFiles.h"
#include "model/Cal_Main.h"
#include "model/NumberText.h"
#include "report/ResultsFileReader.h"
#include "support/PlotFiles.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
using Json = nlohmann::json;

constexpr int kTableDecimals[kTableFieldCount] = {2, 3, 3, 3, 1, 1, 1, 4, 1, 2, 2};

const std::vector<double> SimulationState::*const kColumns[kTableFieldCount] = {
    &SimulationState::ResFlight,         &SimulationState::ResDepth,         &SimulationState::ResSolidFraction,
    &SimulationState::ResSolidFlowRatio, &SimulationState::ResBarrelTemp,    &SimulationState::ResSolvedMidTemp,
    &SimulationState::ResFilmAvgTemp,    &SimulationState::ResFilmThickness, &SimulationState::ResInversePsi,
    &SimulationState::ResTotalPower,     &SimulationState::ResViscousPower};

std::vector<std::string> Split(const std::string& text, char delimiter) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, delimiter);) parts.push_back(part);
    return parts;
}

// The state of the request the window would run on `texts`.
SimulationState RunRequest(FieldTexts texts, const fs::path& file) {
    texts[kFieldCount - 1] = file.string();
    SimulationState state;
    SilentUi ui;
    EXPECT_EQ(RunCalculationRequest(texts, '.', state, ui), RequestOutcome::Completed);
    return state;
}

// Whether `exact` agrees with the table's printed field.
::testing::AssertionResult AgreesWithTable(double exact, double printed, int field) {
    const double halfUnit = 0.5 * std::pow(10.0, -kTableDecimals[field]);
    if (std::fabs(exact - printed) <= halfUnit * (1 + 1e-9)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << exact << " is not " << printed << " to " << kTableDecimals[field]
                                         << " decimals (field " << field + 1 << ")";
}

TEST_F(TadmorCommand, CsvHoldsTheTableAtFullPrecision) {
    const Result result = Run({"run", "--format", "csv"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, kDefaultCaseWarning);
    const std::vector<std::string> lines = Split(result.out, '\n');
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0],
              "FLIGHT (turns),DEPTH (cm),X/W (-),QS/QT (-),TB (degC),T121 (degC),TAV (degC),FILM (cm),"
              "1/PSAI (-),POWER TOT (kW),POWER VIS (kW)");

    const ResultsFileContents table = ReadResultsFile(work / "result.txt");
    const SimulationState state = RunRequest(DefaultFieldTexts(), root / "same.txt");
    ASSERT_EQ(lines.size() - 1, table.rows.size());
    ASSERT_EQ(table.rows.size(), 129u);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const std::vector<std::string> fields = Split(lines[r + 1], ',');
        ASSERT_EQ(fields.size(), 11u) << lines[r + 1];
        for (int c = 0; c < kTableFieldCount; ++c) {
            const double value = std::strtod(fields[c].c_str(), nullptr);
            EXPECT_EQ(value, (state.*kColumns[c])[r + 1]) << "row " << r + 1 << ": " << fields[c];
            EXPECT_TRUE(AgreesWithTable(value, table.rows[r][c], c)) << "row " << r + 1;
        }
    }

    // A decimal comma changes the texts and the results file, not the CSV.
    const Result comma = Run({"run", "--format", "csv", "--decimal-separator", ",", "-o", "comma.txt"});
    EXPECT_EQ(comma.exitCode, 0) << comma.err;
    EXPECT_EQ(comma.out, result.out);
    EXPECT_NE(ReadFile(work / "comma.txt").find("15,0"), std::string::npos);
}

TEST_F(TadmorCommand, JsonHoldsInputsOutcomeAndTheTableAtFullPrecision) {
    FieldTexts texts = DefaultFieldTexts();
    texts[FieldIndexOf("ScrewSpeed")] = "45";
    texts[FieldIndexOf("ScrewDiameter")] = "16";
    const Result result =
        Run({"run", "--format", "json", "--set", "ScrewSpeed=45", "--set", "ScrewDiameter=16", "-o", "fast.txt"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json document = Json::parse(result.out);
    const SimulationState state = RunRequest(texts, root / "same.txt");
    const ResultsFileContents table = ReadResultsFile(work / "fast.txt");

    ASSERT_TRUE(MeltingCompleted(state));
    EXPECT_EQ(document["outcome"], "melting completed");
    EXPECT_TRUE(document["message"].is_null());
    EXPECT_EQ(document["meltingCompletedAtFlight"].get<double>(), IncrementFlight(state));
    EXPECT_EQ(document["rowsRecorded"], state.StepCount);
    for (int i = 0; i < kNumericFieldCount; ++i)
        EXPECT_EQ(document["inputs"][std::string(kInputFields[i].variable)].get<double>(), state.*kInputFields[i].value)
            << kInputFields[i].variable;
    EXPECT_EQ(document["inputs"]["ResultFileName"], "fast.txt");

    const Json& columns = document["columns"];
    ASSERT_EQ(columns.size(), 11u);
    EXPECT_EQ(columns[2], Json({{"name", "X/W"}, {"unit", "-"}}));
    EXPECT_EQ(columns[9], Json({{"name", "POWER TOT"}, {"unit", "kW"}}));
    const Json& rows = document["rows"];
    ASSERT_EQ(rows.size(), table.rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < kTableFieldCount; ++c) {
            const double value = rows[r][columns[c]["name"].get<std::string>()].get<double>();
            EXPECT_EQ(value, (state.*kColumns[c])[r + 1]) << "row " << r + 1;
            EXPECT_TRUE(AgreesWithTable(value, table.rows[r][c], c)) << "row " << r + 1;
        }
}

TEST_F(TadmorCommand, WarningsInTheJsonAndUnderStrict) {
    const Result json = Run({"run", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.err, kDefaultCaseWarning);
    const Json warnings = Json::parse(json.out)["warnings"];
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0]["code"], "bed-wider-than-channel");
    EXPECT_EQ(warnings[0]["where"], "FLIGHT 14.05 to 17.50");
    EXPECT_EQ("tadmor: warning: " + warnings[0]["message"].get<std::string>() +
                  " at FLIGHT 14.05 to 17.50 [bed-wider-than-channel]\n",
              kDefaultCaseWarning);

    // --strict: the same output and results file, exit 8 (7 is tadmor solve's).
    const Result strict = Run({"run", "--strict", "-o", "strict.txt"});
    EXPECT_EQ(strict.exitCode, 8);
    EXPECT_EQ(strict.err, kDefaultCaseWarning);
    EXPECT_EQ(ReadFile(work / "strict.txt"), RequestFile(DefaultFieldTexts(), '.'));
    // The reference case constant-depth keeps X/W below 1 and QS/QT above 0: no warning.
    const Result quiet = Run({"run", "--strict", "--set", "FeedDepth=0.8", "--set", "MeteringDepth=0.8"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    // Refusals and errors keep their codes.
    EXPECT_EQ(Run({"run", "--strict", "--set", "ScrewDiameter=-1"}).exitCode, 3);
    EXPECT_EQ(Run({"run", "--strict", "--set", "BarrelC0=200"}).exitCode, 5);
    const Result invalid = Run({"run", "--format", "json", "--set", "ScrewDiameter=-1"});
    EXPECT_EQ(Json::parse(invalid.out)["warnings"], Json::array());
}

TEST_F(TadmorCommand, JsonTellsWhyARunDidNotComplete) {
    const Result invalid = Run({"run", "--format", "json", "--set", "ScrewDiameter=-1", "--set", "FeedTurns=ten"});
    EXPECT_EQ(invalid.exitCode, 3);
    EXPECT_EQ(invalid.err.rfind("tadmor: Input value is not correct!\ntadmor: --set: FeedTurns \"ten\"", 0), 0u)
        << invalid.err;
    Json document = Json::parse(invalid.out);
    EXPECT_EQ(document["outcome"], "invalid input");
    EXPECT_EQ(document["message"], "Input value is not correct!");
    EXPECT_EQ(document["inputs"]["ScrewDiameter"], -1.0);
    EXPECT_EQ(document["inputs"]["FeedTurns"], "ten");
    EXPECT_EQ(document["rows"], Json::array());

    const Result failed = Run({"run", "--format", "json", "--set", "ScrewDiameter=-1"});
    EXPECT_EQ(Json::parse(failed.out)["message"], "Value of Screw Diameter is not correct");

    const Result error = Run({"run", "--format", "json", "--set", "BarrelC0=200.0"});
    EXPECT_EQ(error.exitCode, 5);
    document = Json::parse(error.out);
    EXPECT_EQ(document["outcome"], "calculation error");
    EXPECT_EQ("tadmor: error: " + document["message"].get<std::string>() + "\n", error.err);
    EXPECT_TRUE(document["meltingCompletedAtFlight"].is_null());
}

TEST_F(TadmorCommand, PlotsAFileWrittenByTheWindowsRequest) {
    // RunCalculationRequest is what the window's calculate button runs.
    const fs::path results = WriteByRequest(DefaultFieldTexts(), '.', "window.txt");
    const Result png = Run({"plot", results.string(), "-o", "profile.png"});
    EXPECT_EQ(png.exitCode, 0) << png.err;
    EXPECT_EQ(png.err, "");
    EXPECT_EQ(PngSize(ReadFile(work / "profile.png")), std::pair(1200, 900));

    const Result svg = Run({"plot", results.string(), "-o", "profile.svg"});
    EXPECT_EQ(svg.exitCode, 0) << svg.err;
    const std::string drawing = ReadFile(work / "profile.svg");
    for (const char* text :
         {"Melting profile: window.txt", "FLIGHT (turns from the start of the screw)", "X/W, QS/QT (-)",
          "temperature (\u00B0C)", ">feed<", ">compression<", ">metering<", "melting starts", "melting point",
          "X/W = 1", "TB  barrel", "T121  mid-film", "TAV  film average", "last row: FLIGHT 24.70, X/W 0.094",
          ">end of screw<", "X/W &gt; 1: bed wider than channel", "barrel 290.0 \u00B0C;"})
        EXPECT_NE(drawing.find(text), std::string::npos) << text;
    // 1200 by 900 pixels on a page about 180 mm wide.
    const auto [width, height] = SvgSizeInMillimetres(drawing);
    EXPECT_NEAR(width, 180, 1);
    EXPECT_NEAR(height / width, 0.75, 1e-3);
}

TEST_F(TadmorCommand, PlotOfACommaFileIsThePlotOfThePointFile) {
    fs::create_directory(root / "point");
    fs::create_directory(root / "comma");
    const fs::path point = WriteByRequest(DefaultFieldTexts(), '.', "point/result.txt");
    const fs::path comma = WriteByRequest(DefaultFieldTexts(','), ',', "comma/result.txt");
    ASSERT_NE(ReadFile(comma).find("290,0"), std::string::npos);
    EXPECT_EQ(Run({"plot", point.string(), "-o", "point.svg"}).exitCode, 0);
    const Result result = Run({"plot", comma.string(), "-o", "comma.svg"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadFile(work / "comma.svg"), ReadFile(work / "point.svg"));
}

TEST_F(TadmorCommand, PlotRefusesWhatIsNotAResultsFile) {
    const Result run = Run({"run", "--format", "csv", "-o", "run.txt"});
    ASSERT_EQ(run.exitCode, 0);
    WriteFile(root / "run.csv", run.out);
    const Result csv = Run({"plot", (root / "run.csv").string(), "-o", "p.png"});
    EXPECT_EQ(csv.exitCode, 6);
    EXPECT_EQ(csv.err, "tadmor: \"" + (root / "run.csv").string() +
                           "\" is not a results file: line 1 is not an input line (a label of 43 bytes ending in "
                           "\" =  \", then the value)\n");

    // A run whose march failed writes no file; the input section alone is
    // what such a run left in earlier versions, and is refused.
    EXPECT_EQ(Run({"run", "--set", "BarrelC0=200.0", "-o", "failed.txt"}).exitCode, 5);
    EXPECT_FALSE(fs::exists(work / "failed.txt"));
    const std::string complete = ReadFile(work / "run.txt");
    WriteFile(work / "failed.txt", complete.substr(0, complete.find(" [RESULTS]")));
    const Result unfinished = Run({"plot", "failed.txt", "-o", "p.png"});
    EXPECT_EQ(unfinished.exitCode, 6);
    EXPECT_NE(unfinished.err.find("no results table"), std::string::npos) << unfinished.err;

    EXPECT_EQ(Run({"plot", "missing.txt", "-o", "p.png"}).exitCode, 6);
    EXPECT_EQ(Run({"plot", "run.txt", "-o", "p.jpg"}).exitCode, 2);
    EXPECT_FALSE(fs::exists(work / "p.png"));
    EXPECT_FALSE(fs::exists(work / "p.jpg"));
    const Result unwritable = Run({"plot", "run.txt", "-o", "missing/p.png"});
    EXPECT_EQ(unwritable.exitCode, 4);
    EXPECT_EQ(unwritable.err, "tadmor: cannot write the plot file \"missing/p.png\": No such file or directory\n");
}

TEST_F(TadmorCommand, RunDrawsTheRunItMade) {
    const Result result = Run({"run", "--set", "ScrewSpeed=45", "--set", "ScrewDiameter=16", "--plot", "run.svg"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("result.txt: ", 0), 0u);
    const std::string drawing = ReadFile(work / "run.svg");
    EXPECT_NE(drawing.find("Melting profile: result.txt"), std::string::npos);
    // Where melting completed is known to the run, not to the file.
    const std::string flight = result.out.substr(result.out.rfind(' ') + 1, 5);
    EXPECT_NE(drawing.find("melting completed at FLIGHT " + flight), std::string::npos) << flight;
    EXPECT_NE(drawing.find(">melted<"), std::string::npos);
}

TEST_F(TadmorCommand, SweepOverTwoInputsDrawsAMap) {
    if (!charts::PlotsAvailable()) GTEST_SKIP() << "built without plots";
    const std::vector<std::string> sweep = {
        "sweep", "--jobs", "2",     "--vary", "ScrewSpeed=30,60", "--vary", "OutputRate=0,200,400",
        "-o",    "s.csv",  "--plot"};
    std::vector<std::string> arguments = sweep;
    arguments.push_back("m.png");
    const Result png = Run(arguments);
    ASSERT_EQ(png.exitCode, 0) << png.err;
    EXPECT_EQ(PngSize(ReadFile(work / "m.png")), std::pair(1200, 900));

    arguments = sweep;
    arguments.push_back("m.svg");
    ASSERT_EQ(Run(arguments).exitCode, 0);
    const std::string drawing = ReadFile(work / "m.svg");
    EXPECT_TRUE(WellFormedXml(drawing));
    ExpectPageOf180Millimetres(drawing);
    // OutputRate 0 is refused; at either speed 200 kg/hr melt within the
    // screw and 400 kg/hr do not.
    for (const char* text :
         {"ScrewSpeed: Number of Revolution (rpm)", "OutputRate: Output (kg/hr)",
          "FLIGHT where melting completed (turns) against ScrewSpeed and OutputRate", "refused (invalid input)",
          "end of screw: melting not completed", "boundary: melted (coloured) | solid left at the end of the screw (hatched)"})
        EXPECT_NE(drawing.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace tadmor
