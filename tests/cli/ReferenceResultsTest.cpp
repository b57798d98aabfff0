// Whole runs against the reference results of tests/data/reference: results
// computed by an independent implementation of the model. Every case goes
// through the built command as an engineer would run it.
#include <nlohmann/json.hpp>

#include <cstdlib>

#include "tests/cli/TadmorCommandFixture.h"
#include "tests/support/Digits.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
using Json = nlohmann::json;

const fs::path kReferenceFolder = TADMOR_REFERENCE_DIR;

// One line of index.tsv.
struct ReferenceCase {
    std::string name;
    std::string separator;
    std::string outcome;  // "completed", "invalid input" or "calculation error"
    int rows = 0;
    bool meltingCompleted = false;
    std::string message;
};

void PrintTo(const ReferenceCase& reference, std::ostream* out) { *out << reference.name; }

std::vector<std::string> Fields(const std::string& line, char delimiter) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(delimiter, start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::vector<ReferenceCase> ReadIndex() {
    std::vector<ReferenceCase> cases;
    std::istringstream lines(ReadFile(kReferenceFolder / "index.tsv"));
    std::string line;
    std::getline(lines, line);  // the heading
    while (std::getline(lines, line)) {
        const std::vector<std::string> f = Fields(line, '\t');
        if (f.size() < 6) continue;
        cases.push_back({f[0], f[1], f[2], f[3].empty() ? 0 : std::stoi(f[3]), f[4] == "yes", f[5]});
    }
    return cases;
}

class ReferenceResults : public TadmorCommand, public testing::WithParamInterface<ReferenceCase> {};

TEST_P(ReferenceResults, AgreeInOutcomeFileAndEveryValue) {
    const ReferenceCase& reference = GetParam();
    const Result run = Run({"run", "--case", (kReferenceFolder / (reference.name + ".case")).string(),
                            "--decimal-separator", reference.separator, "-o", "result.txt", "--format", "json"});
    const Json document = Json::parse(run.out);

    if (reference.outcome == "invalid input") {
        EXPECT_EQ(run.exitCode, 3) << run.err;
        EXPECT_EQ(document["outcome"], "invalid input");
        EXPECT_EQ(document["message"], reference.message);
        return;
    }
    if (reference.outcome == "calculation error") {
        EXPECT_EQ(run.exitCode, 5) << run.err;
        EXPECT_EQ(document["outcome"], "calculation error");
        return;
    }
    ASSERT_EQ(reference.outcome, "completed");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(document["outcome"], reference.meltingCompleted ? "melting completed" : "end of screw");
    EXPECT_EQ(document["rowsRecorded"], reference.rows);

    const std::string expectedFile = ReadFile(kReferenceFolder / (reference.name + ".txt"));
    EXPECT_TRUE(ReadFile(work / "result.txt") == expectedFile)
        << "the results file differs from " << reference.name << ".txt";

    std::istringstream csv(ReadFile(kReferenceFolder / (reference.name + ".csv")));
    std::string line;
    std::getline(csv, line);
    const std::vector<std::string> headings = Fields(line, ',');
    ASSERT_EQ(headings.size(), 11u);
    const Json& rows = document["rows"];
    std::size_t row = 0;
    for (; std::getline(csv, line); ++row) {
        ASSERT_LT(row, rows.size()) << "the run recorded fewer rows than " << reference.name << ".csv";
        const std::vector<std::string> values = Fields(line, ',');
        ASSERT_EQ(values.size(), headings.size());
        for (std::size_t c = 0; c < headings.size(); ++c) {
            const double expected = std::strtod(values[c].c_str(), nullptr);
            const double actual = rows[row][headings[c]].get<double>();
            EXPECT_TRUE(Near(actual, expected, 1e-9)) << headings[c] << " of row " << row + 1;
        }
    }
    EXPECT_EQ(row, rows.size()) << "the run recorded more rows than " << reference.name << ".csv";
    EXPECT_EQ(static_cast<int>(row), reference.rows);
}

INSTANTIATE_TEST_SUITE_P(EveryCase, ReferenceResults, testing::ValuesIn(ReadIndex()),
                         [](const testing::TestParamInfo<ReferenceCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(ReferenceIndex, ListsEveryCaseOfTheFolder) {
    const std::vector<ReferenceCase> cases = ReadIndex();
    EXPECT_EQ(cases.size(), 23u);
    for (const ReferenceCase& reference : cases) {
        EXPECT_TRUE(fs::exists(kReferenceFolder / (reference.name + ".case"))) << reference.name;
        EXPECT_EQ(fs::exists(kReferenceFolder / (reference.name + ".csv")), reference.outcome == "completed")
            << reference.name;
    }
}

}  // namespace
}  // namespace tadmor
