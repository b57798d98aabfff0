// The results file under failure: a full disk, a read-only folder or file, a
// missing folder, a disk that fills up after the input section, a failed
// calculation, names at the length limit and names of blanks. Each failure
// is told as the request defines it, none is reported as success, an earlier
// results file stays exactly as it was, and no other file in the folder is
// touched or left behind.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/request/CalculationRequest.h"
#include "report/ReportTestSupport.h"
#include "report/ResultsFile.h"
#include "support/FileSizeLimit.h"
#include "support/ReadOnly.h"
#include "support/RecordingUi.h"

namespace tadmor {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

const Calls kInputSectionRefused = {"busy on", "message: File can not open!", "busy off"};
const Calls kTableRefused = {"busy on", "message: Can not write result to file", "busy off"};
constexpr const char* kNoReadOnly =
    "running as root on a file system that refuses the immutable attribute: no way to make it read-only";
const Calls kCompleted = {"busy on", "completion", "busy off", "refresh"};

// Every file and folder below `root`, with its content (folders: empty).
using Listing = std::map<std::string, std::string>;

Listing ListFolder(const fs::path& root) {
    Listing listing;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        listing[name] = entry.is_regular_file() ? test::ReadFile(entry.path().string()) : "(folder)";
    }
    return listing;
}

class FailureInjectionTest : public test::TempFolderTest {
protected:
    FieldTexts texts = DefaultFieldTexts();
    SimulationState state;
    test::RecordingUi ui;
    std::vector<fs::path> readOnly_;

    void TearDown() override {
        for (const fs::path& path : readOnly_) {
            test::SetImmutable(path, false);
            fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
        }
        if (!previousFolder_.empty()) fs::current_path(previousFolder_);
        test::TempFolderTest::TearDown();
    }

    RequestOutcome Run(const std::string& fileName) {
        texts[kFieldCount - 1] = fileName;
        return RunCalculationRequest(texts, '.', state, ui);
    }

    // Makes `path` refuse writes: the immutable attribute as root, the
    // permission bits otherwise. False when that is not possible here.
    bool MakeReadOnly(const fs::path& path) {
        if (geteuid() == 0) {
            if (!test::SetImmutable(path, true)) return false;
        } else {
            fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        }
        readOnly_.push_back(path);
        return true;
    }

    // A name that cannot be created: "File can not open!", nothing created or
    // changed, the march not run, no completion.
    void ExpectInputSectionRefused(const std::string& fileName) {
        const Listing before = ListFolder(folder_);
        EXPECT_EQ(Run(fileName), RequestOutcome::FileNotWritten);
        EXPECT_EQ(ui.calls, kInputSectionRefused);
        EXPECT_EQ(state.StepCount, 0);
        EXPECT_EQ(ListFolder(folder_), before);
    }

    // Works in the temporary folder, so that a name without a folder lands there.
    void EnterFolder() {
        previousFolder_ = fs::current_path();
        fs::current_path(folder_);
    }

private:
    fs::path previousFolder_;
};

TEST_F(FailureInjectionTest, AFullDiskRefusesTheInputSection) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EnterFolder();
    test::WriteFile(PathOf("other.txt"), "kept");
    ExpectInputSectionRefused("/dev/full");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(FailureInjectionTest, AMissingFolderRefusesTheInputSection) {
    test::WriteFile(PathOf("other.txt"), "kept");
    ExpectInputSectionRefused(PathOf("missing/result.txt"));
}

TEST_F(FailureInjectionTest, AReadOnlyFolderRefusesTheInputSection) {
    fs::create_directory(PathOf("locked"));
    test::WriteFile(PathOf("locked/other.txt"), "kept");
    if (!MakeReadOnly(PathOf("locked"))) GTEST_SKIP() << kNoReadOnly;
    ExpectInputSectionRefused(PathOf("locked/result.txt"));
}

TEST_F(FailureInjectionTest, AReadOnlyFileKeepsItsContent) {
    test::WriteFile(PathOf("result.txt"), "an earlier result");
    if (!MakeReadOnly(PathOf("result.txt"))) GTEST_SKIP() << kNoReadOnly;
    ExpectInputSectionRefused(PathOf("result.txt"));
}

// The longest name is 259 bytes: one more is refused even where the file
// system would take it.
TEST_F(FailureInjectionTest, NamesOfTwoHundredFiftyNineAndTwoHundredSixtyBytes) {
    const std::string inner = PathOf(std::string(100, 'f'));
    fs::create_directory(inner);
    const std::size_t rest = kMaxResultFileNameBytes - inner.size() - 1;
    ASSERT_LT(rest, 255u) << "the temporary folder's path is too short for this test";
    const std::string longest = inner + "/" + std::string(rest, 'n');
    const std::string tooLong = longest + "x";
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_EQ(tooLong.size(), 260u);

    const Listing before = ListFolder(folder_);
    ExpectInputSectionRefused(tooLong);

    ui.calls.clear();
    EXPECT_EQ(Run(longest), RequestOutcome::Completed);
    EXPECT_EQ(ui.calls, kCompleted);
    EXPECT_TRUE(fs::exists(longest));
    EXPECT_EQ(ListFolder(folder_).size(), before.size() + 1);
}

// A name of blanks passes its test and names a file in the current folder.
TEST_F(FailureInjectionTest, ANameOfBlanksIsAFileOfThatName) {
    EnterFolder();
    for (const std::string name : {" ", "   "}) {
        ui.calls.clear();
        EXPECT_EQ(Run(name), RequestOutcome::Completed) << '"' << name << '"';
        EXPECT_EQ(ui.calls, kCompleted);
        const std::string content = test::ReadFile(PathOf(name));
        EXPECT_EQ(content.rfind(test::DefaultInputSection(), 0), 0u);
        EXPECT_NE(content.find(" [RESULTS]"), std::string::npos);
    }
    EXPECT_EQ(ListFolder(folder_).size(), 2u);
}

// The disk fills up after the input section: "Can not write result to
// file", no completion, and the earlier file is as it was, with no partial
// file beside it. The folder is unchanged, so its list is not read again.
TEST_F(FailureInjectionTest, ATableThatCannotBeWrittenIsToldAndTheEarlierFileKept) {
    const std::string name = PathOf("result.txt");
    test::WriteFile(name, "an earlier result");
    test::WriteFile(PathOf("other.txt"), "kept");
    const Listing before = ListFolder(folder_);
    RequestOutcome outcome;
    {
        test::FileSizeLimit limit(test::DefaultInputSection().size() + 100);
        outcome = Run(name);
    }
    EXPECT_EQ(outcome, RequestOutcome::FileNotWritten);
    EXPECT_EQ(ui.calls, kTableRefused);
    EXPECT_GT(state.StepCount, 0);  // the march ran
    EXPECT_EQ(ListFolder(folder_), before);
}

// A calculation that ends in an error leaves the earlier results file as it
// was: not an input section without its table.
TEST_F(FailureInjectionTest, AFailedCalculationKeepsTheEarlierFile) {
    const std::string name = PathOf("result.txt");
    ASSERT_EQ(Run(name), RequestOutcome::Completed);
    test::WriteFile(PathOf("other.txt"), "kept");
    const Listing before = ListFolder(folder_);

    ui.calls.clear();
    texts[FieldIndexOf("BarrelC0")] = "265";  // the barrel at the melting point
    EXPECT_EQ(Run(name), RequestOutcome::CalculationError);
    ASSERT_EQ(ui.calls.size(), 3u);
    EXPECT_EQ(ui.calls[1].rfind("error: ", 0), 0u) << ui.calls[1];
    EXPECT_EQ(ListFolder(folder_), before);
}

}  // namespace
}  // namespace tadmor
