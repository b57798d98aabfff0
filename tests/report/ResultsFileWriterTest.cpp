// The results file as a whole: the input section and the table put in place
// as one file when both are written, an earlier file kept until then and
// whenever something fails, and the names the writer refuses.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "ReportTestSupport.h"
#include "report/ResultsFile.h"
#include "support/FileSizeLimit.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

class ResultsFileWriterTest : public TempFolderTest {
protected:
    // The names in the folder, hidden ones included.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename().string());
        return names;
    }

    // Both stages, as a request runs them around the march.
    static bool WriteBoth(const SimulationState& s, char separator = '.') {
        ResultsFileWriter writer;
        return writer.WriteInputSection(s, separator) && writer.WriteResultsTable(s, separator);
    }
};

TEST_F(ResultsFileWriterTest, TheFileHoldsTheInputSectionAndOneTable) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, std::string(5000, 'x') + "OLD RESULTS\r\n");
    SimulationState s = DefaultInputs(path);
    ASSERT_TRUE(WriteBoth(s, ','));
    EXPECT_EQ(ReadFile(path), InputSectionText(s, ',') + ResultsTableText(s, ','));

    // The next run starts the file afresh.
    s.ScrewSpeed = 45;
    ASSERT_TRUE(WriteBoth(s));
    EXPECT_EQ(ReadFile(path), InputSectionText(s) + ResultsTableText(s));
    EXPECT_EQ(Names(), std::set<std::string>{"out.txt"});
}

// Until the table is written the earlier file is whole, and a run that ends
// between the stages (a failed march) leaves it and nothing else.
TEST_F(ResultsFileWriterTest, AnEarlierFileIsKeptUntilTheTableIsWritten) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "an earlier result");
    const SimulationState s = DefaultInputs(path);
    {
        ResultsFileWriter writer;
        ASSERT_TRUE(writer.WriteInputSection(s));
        EXPECT_EQ(ReadFile(path), "an earlier result");
    }
    EXPECT_EQ(ReadFile(path), "an earlier result");
    EXPECT_EQ(Names(), std::set<std::string>{"out.txt"});

    ResultsFileWriter writer;
    EXPECT_FALSE(writer.WriteResultsTable(s)) << "a table without an input section";
    EXPECT_EQ(ReadFile(path), "an earlier result");
}

// The disk fills up after the input section: the table is not written, and
// the earlier file stays as it was with no partial file beside it.
TEST_F(ResultsFileWriterTest, ATableThatDoesNotFitKeepsTheEarlierFile) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, "an earlier result");
    SimulationState s = DefaultInputs(path);
    s.StepCount = 0;
    const std::size_t sectionBytes = InputSectionText(s).size();
    {
        FileSizeLimit limit(sectionBytes + 10);
        ResultsFileWriter writer;
        ASSERT_TRUE(writer.WriteInputSection(s));
        EXPECT_FALSE(writer.WriteResultsTable(s));
    }
    EXPECT_EQ(ReadFile(path), "an earlier result");
    EXPECT_EQ(Names(), std::set<std::string>{"out.txt"});
}

TEST_F(ResultsFileWriterTest, NamesThatCannotBeCreatedAreRefusedAndNothingIsCreated) {
    fs::create_directory(PathOf("folder"));
    WriteFile(PathOf("folder/keep"), "kept");
    for (const std::string& name : {PathOf("missing/out.txt"), PathOf("folder"), std::string()}) {
        SCOPED_TRACE(name);
        ResultsFileWriter writer;
        EXPECT_FALSE(writer.WriteInputSection(DefaultInputs(name)));
        EXPECT_FALSE(writer.WriteResultsTable(DefaultInputs(name)));
    }
    EXPECT_EQ(Names(), std::set<std::string>{"folder"});
    EXPECT_EQ(ReadFile(PathOf("folder/keep")), "kept");
}

TEST_F(ResultsFileWriterTest, AFullDiskRefusesTheInputSection) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ResultsFileWriter writer;
    EXPECT_FALSE(writer.WriteInputSection(DefaultInputs("/dev/full")));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(ResultsFileWriterTest, NamesOfAtMost259Bytes) {
    const std::string prefix = folder_.string() + "/";
    const std::string name259 = prefix + std::string(259 - prefix.size(), 'a');
    const std::string name260 = prefix + std::string(260 - prefix.size(), 'b');
    ASSERT_LE(260 - prefix.size(), 255u) << "temporary folder path too short for this test";

    ResultsFileWriter writer;
    EXPECT_FALSE(writer.WriteInputSection(DefaultInputs(name260)));
    EXPECT_TRUE(Names().empty());

    ASSERT_TRUE(WriteBoth(DefaultInputs(name259)));
    EXPECT_EQ(ReadFile(name259).rfind(DefaultInputSection(), 0), 0u);
    EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ResultsFileWriterTest, ANameIsUsedAsTypedInTheCurrentFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    const bool written = WriteBoth(DefaultInputs(" "));
    fs::current_path(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadFile(PathOf(" ")).rfind(DefaultInputSection(), 0), 0u);
    EXPECT_EQ(Names(), std::set<std::string>{" "});
}

}  // namespace
}  // namespace tadmor
