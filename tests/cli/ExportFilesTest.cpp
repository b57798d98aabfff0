// Which file gets what: -o is always the results file, --csv and --json
// write the exports to files of their own.
#include <nlohmann/json.hpp>

#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
using Json = nlohmann::json;

TEST_F(TadmorCommand, ExportsGoToTheirOwnFilesBesideTheResultsFile) {
    const Result run = Run({"run", "--csv", "rows.csv", "--json", "run.json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("gets the results file"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(work / "result.txt"), RequestFile(DefaultFieldTexts(), '.'));
    // The files hold what --format prints (whose content the export tests check).
    EXPECT_EQ(ReadFile(work / "rows.csv"), Run({"run", "--format", "csv", "-o", "a.txt"}).out);
    const Json document = Json::parse(ReadFile(work / "run.json"));
    EXPECT_EQ(document["outcome"], "end of screw");
    EXPECT_EQ(document["rowsRecorded"], TableRows(ReadFile(work / "result.txt")).size());
    EXPECT_EQ(document["inputs"]["ResultFileName"], "result.txt");
    // Standard output still gets the summary line.
    EXPECT_EQ(run.out.rfind("result.txt: 129 rows recorded", 0), 0u) << run.out;
}

TEST_F(TadmorCommand, AResultsFileNamedLikeAnExportIsWarnedAbout) {
    for (const std::string name : {"x.csv", "x.json", "X.CSV"}) {
        const Result run = Run({"run", "-o", name, "--format", "csv"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        // The file is the results file all the same, and the CSV went to standard output.
        EXPECT_EQ(ReadFile(work / name).rfind("Screw Diameter", 0), 0u);
        EXPECT_EQ(run.out.rfind("FLIGHT (turns),", 0), 0u);
        const bool csv = name.find("json") == std::string::npos;
        EXPECT_EQ(run.err.rfind("tadmor: warning: \"" + name + "\"", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(csv ? "--csv" : "--json"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("gets the results file"), run.err.rfind("gets the results file")) << run.err;
    }
}

TEST_F(TadmorCommand, AnExportThatCannotBeWrittenStopsTheRunBeforeItStarts) {
    const Result missing = Run({"run", "--csv", "missing/rows.csv"});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_EQ(missing.err, "tadmor: cannot write the CSV file \"missing/rows.csv\": No such file or directory\n");
    EXPECT_FALSE(fs::exists(work / "result.txt"));

    const Result same = Run({"run", "-o", "r.csv", "--csv", "./r.csv"});
    EXPECT_EQ(same.exitCode, 2);
    EXPECT_EQ(same.err.rfind("tadmor: \"./r.csv\" is also the results file", 0), 0u) << same.err;
    EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(TadmorCommand, ARefusedRunWritesItsJsonAndLeavesAnEarlierCsv) {
    WriteFile(work / "rows.csv", "earlier\n");
    const Result refused = Run({"run", "--set", "ScrewSpeed=fast", "--csv", "rows.csv", "--json", "run.json"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(ReadFile(work / "rows.csv"), "earlier\n");
    const Json document = Json::parse(ReadFile(work / "run.json"));
    EXPECT_EQ(document["outcome"], "invalid input");
    EXPECT_EQ(document["message"], "Input value is not correct!");
    EXPECT_EQ(document["inputs"]["ScrewSpeed"], "fast");
    EXPECT_FALSE(fs::exists(work / "result.txt"));
}

}  // namespace
}  // namespace tadmor
