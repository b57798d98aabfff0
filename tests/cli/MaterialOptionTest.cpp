// --material on tadmor run and sweep: where it stands among the inputs'
// sources, its refusals, and the warnings of its fitted range.
#include <sstream>

#include "cli/InputOptions.h"
#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;

const std::string kMaterial = R"(Name = test polymer
Source = made up for this test
ViscosityUnits = Pa.s degC
ViscA0 = 12.0
ViscA1 = -0.8
ViscA11 = -0.05
ViscA2 = 0.005
ViscA22 = -0.0001
ViscA12 = 0.0047
SolidDensity = 1340 kg/m3
MeltDensity = 1.2 g/cm3
SolidHeat = 0.4
FusionHeat = 17.7
MeltHeat = 0.48
MeltConductivity = 0.00052
MeltingPoint = 538.15 K
)";

TEST_F(TadmorCommand, BadMaterialFileIsAUsageError) {
    WriteFile(work / "bad.material", kMaterial + "SolidHeat = 0.4\n");
    for (const char* command : {"run", "sweep"}) {
        std::vector<std::string> arguments = {command, "--material", "bad.material"};
        if (std::string(command) == "sweep")
            arguments.insert(arguments.end(), {"--vary", "ScrewSpeed=30,40", "-o", "s.csv"});
        const Result result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << command;
        EXPECT_EQ(result.err, "tadmor: bad.material:17: SolidHeat is given twice (first at line 12)\n") << command;
    }
    const Result missing = Run({"run", "--material", "none.material"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "tadmor: cannot read material file \"none.material\": No such file or directory\n");
}

TEST_F(TadmorCommand, SweepOverAMaterial) {
    WriteFile(work / "m.material", kMaterial);
    const Result result =
        Run({"sweep", "--material", "m.material", "--vary", "ScrewSpeed=38", "--results-dir", "out", "-o", "s.csv"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    cli::RunOptions options;
    options.materialPath = (work / "m.material").string();
    EXPECT_EQ(ReadFile(work / "out" / "case-0.txt"), RequestFile(cli::GivenCase(options).texts, '.'));
}

TEST_F(TadmorCommand, RunWarnsOutsideTheFittedRange) {
    // The default barrel is at 290 degC throughout: every row is above 280.
    WriteFile(work / "m.material", kMaterial +
                                       "FitTemperatureMin = 250 degC\nFitTemperatureMax = 280 degC\n"
                                       "FitShearRateMin = 0.001 1/s\nFitShearRateMax = 1e6 1/s\n");
    const Result result = Run({"run", "--material", "m.material"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> rows = TableRows(ReadFile(work / "result.txt"));
    ASSERT_FALSE(rows.empty());
    const auto flight = [](const std::string& row) {
        const std::string field = row.substr(0, 6);
        return field.substr(field.find_first_not_of(' '));
    };
    // The material's law leaves the model's ground as well: its film runs
    // hotter than the barrel (T121 above TB in the table) and n passes 1.
    std::vector<std::string> hotter;
    for (const std::string& row : rows) {
        std::istringstream fields(row);
        double flightValue, depth, xw, qsqt, tb, t121;
        fields >> flightValue >> depth >> xw >> qsqt >> tb >> t121;
        if (t121 > tb) hotter.push_back(flight(row));
    }
    ASSERT_FALSE(hotter.empty());
    std::vector<std::string> lines;
    std::istringstream err(result.err);
    for (std::string line; std::getline(err, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << result.err;
    EXPECT_TRUE(lines[0].ends_with("[power-law-index-outside]")) << lines[0];
    EXPECT_TRUE(
        lines[1].ends_with(" at FLIGHT " + hotter.front() + " to " + hotter.back() + " [film-hotter-than-barrel]"))
        << lines[1];
    const std::string prefix = "tadmor: warning: film temperatures up to ";
    EXPECT_EQ(lines[2].substr(0, prefix.size()), prefix) << lines[2];
    const std::string spans =
        " at FLIGHT " + flight(rows.front()) + " to " + flight(rows.back()) + " [viscosity-extrapolated]";
    EXPECT_TRUE(lines[2].ends_with(spans)) << lines[2];

    // A --set of a coefficient replaces the fitted law: no range warning.
    const Result changed = Run({"run", "--material", "m.material", "--set", "ViscA2=0.004"});
    EXPECT_EQ(changed.exitCode, 0);
    EXPECT_EQ(changed.err.find("[viscosity-extrapolated]"), std::string::npos) << changed.err;
}

// The exports name the material their numbers come from; a summary that
// names it still resumes.
TEST_F(TadmorCommand, ExportsNameTheMaterialAndItsSources) {
    WriteFile(work / "m.material", kMaterial);
    const Result json = Run({"run", "--material", "m.material", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(
        json.out.find("\"material\": {\n    \"name\": \"test polymer\",\n    \"sources\": [\n      \"made up for this "
                      "test\""),
        std::string::npos)
        << json.out;
    const Result csv = Run({"run", "--material", "m.material", "--format", "csv"});
    EXPECT_EQ(OutputLines(csv.out).front(), "# material: test polymer; made up for this test");
    EXPECT_EQ(OutputLines(Run({"run", "--format", "csv"}).out).front().rfind("FLIGHT (turns),", 0), 0u);

    const std::vector<std::string> sweep = {"sweep", "--material", "m.material", "--vary", "ScrewSpeed=30,40",
                                            "-o",    "s.csv"};
    ASSERT_EQ(Run(sweep).exitCode, 0);
    const std::string summary = ReadFile(work / "s.csv");
    EXPECT_EQ(summary.rfind("# material: test polymer; made up for this test\ncase,ScrewSpeed,", 0), 0u) << summary;
    std::vector<std::string> resume = sweep;
    resume.insert(resume.end(), {"--resume", "s.csv"});
    const Result resumed = Run(resume);
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(ReadFile(work / "s.csv"), summary);
}

}  // namespace
}  // namespace tadmor
