#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ReportTestSupport.h"
#include "report/ResultsFile.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

using InputSection = TempFolderTest;

TEST_F(InputSection, DefaultInputsGiveTheSectionByteForByte) {
    const SimulationState s = DefaultInputs(PathOf("out.txt"));
    ASSERT_TRUE(WriteInputSection(s));
    const std::string content = ReadFile(PathOf("out.txt"));
    EXPECT_EQ(content, DefaultInputSection());

    const std::vector<std::string> lines = SplitLines(content);
    ASSERT_EQ(lines.size(), 31u);
    for (std::size_t i = 0; i < 28; ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(lines[i].substr(39, 4), " =  ");  // "=" in column 41
    }
    for (std::size_t i = 28; i < 31; ++i) EXPECT_EQ(lines[i], "");
}

TEST_F(InputSection, UsesTheGivenDecimalSeparator) {
    const SimulationState s = DefaultInputs(PathOf("out.txt"));
    ASSERT_TRUE(WriteInputSection(s, ','));
    const std::vector<std::string> lines = SplitLines(ReadFile(PathOf("out.txt")));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "Screw Diameter" + Blanks(21) + "(cm) =  15,0");
    EXPECT_EQ(lines[15], "Viscosity Equation Para. (a1)" + Blanks(10) + " =  -0,8031400");
    EXPECT_EQ(lines[25], "Thermal Cond. of Melt" + Blanks(5) + "(cal/s.cm.\x81\x8E) =  0,000520");
}

TEST_F(InputSection, ValuesOutsideTheirWidths) {
    SimulationState s = DefaultInputs(PathOf("out.txt"));
    s.OutputRate = 1234567;
    s.ViscA22 = -0.00000000001;
    ASSERT_TRUE(WriteInputSection(s));
    const std::vector<std::string> lines = SplitLines(ReadFile(PathOf("out.txt")));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[10], "Output" + Blanks(26) + "(kg/hr) =  1.23457E6");
    EXPECT_EQ(lines[18], "Viscosity Equation Para. (a22)" + Blanks(9) + " =  0.0000000000");
}

TEST_F(InputSection, TruncatesAnExistingFile) {
    const std::string path = PathOf("out.txt");
    WriteFile(path, std::string(5000, 'x') + "OLD RESULTS\r\n");
    ASSERT_TRUE(WriteInputSection(DefaultInputs(path)));
    EXPECT_EQ(ReadFile(path), DefaultInputSection());
}

TEST_F(InputSection, MissingFolderIsRefusedAndNothingIsCreated) {
    ASSERT_FALSE(WriteInputSection(DefaultInputs(PathOf("missing/out.txt"))));
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST_F(InputSection, UnopenableNameKeepsWhatIsThere) {
    // A folder cannot be opened as a file, whoever runs the test.
    const std::string path = PathOf("out.txt");
    fs::create_directory(path);
    WriteFile(path + "/keep", "kept");
    EXPECT_FALSE(WriteInputSection(DefaultInputs(path)));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(ReadFile(path + "/keep"), "kept");
}

TEST_F(InputSection, EmptyNameIsRefused) {
    EXPECT_FALSE(WriteInputSection(DefaultInputs("")));
}

TEST_F(InputSection, NamesOfAtMost259Bytes) {
    const std::string prefix = folder_.string() + "/";
    const std::string name259 = prefix + std::string(259 - prefix.size(), 'a');
    const std::string name260 = prefix + std::string(260 - prefix.size(), 'b');
    ASSERT_LE(260 - prefix.size(), 255u) << "temporary folder path too short for this test";

    EXPECT_FALSE(WriteInputSection(DefaultInputs(name260)));
    EXPECT_FALSE(fs::exists(name260));

    ASSERT_TRUE(WriteInputSection(DefaultInputs(name259)));
    EXPECT_EQ(ReadFile(name259), DefaultInputSection());
}

TEST_F(InputSection, NameIsUsedAsTyped) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    const bool written = WriteInputSection(DefaultInputs(" "));
    fs::current_path(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadFile(PathOf(" ")), DefaultInputSection());
}

TEST(InputSectionWriteError, FullDeviceThrowsNamingFileAndReason) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ExpectFullDeviceError([] { return WriteInputSection(DefaultInputs("/dev/full")); });
}

}  // namespace
}  // namespace tadmor
