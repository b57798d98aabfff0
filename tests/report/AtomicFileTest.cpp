// A file replaced whole or not at all: the target keeps its earlier bytes
// until the commit, nothing is left behind, links are followed, permission
// bits kept, and every failure is reported.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ReportTestSupport.h"
#include "report/AtomicFile.h"
#include "support/ReadOnly.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

class AtomicFileTest : public TempFolderTest {
protected:
    void TearDown() override {
        for (const fs::path& path : immutable_) SetImmutable(path, false);
        TempFolderTest::TearDown();
    }

    // The names in the folder, hidden ones included.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename().string());
        return names;
    }

    mode_t Mode(const std::string& path) const {
        struct stat status;
        EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    }

    bool MakeImmutable(const fs::path& path) {
        if (!SetImmutable(path, true)) return false;
        immutable_.push_back(path);
        return true;
    }

    std::vector<fs::path> immutable_;
};

TEST_F(AtomicFileTest, TheTargetChangesOnlyAtTheCommit) {
    const std::string target = PathOf("result.txt");
    WriteFile(target, "earlier");
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.IsOpen());
        ASSERT_TRUE(file.Write("first part, "));
        EXPECT_EQ(ReadFile(target), "earlier");
        ASSERT_TRUE(file.Write("second part"));
        EXPECT_EQ(ReadFile(target), "earlier");
        EXPECT_EQ(Names().size(), 2u);  // the target and the temporary file beside it
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(file.Error(), 0);
    }
    EXPECT_EQ(ReadFile(target), "first part, second part");
    EXPECT_EQ(Names(), std::set<std::string>{"result.txt"});
}

TEST_F(AtomicFileTest, AFileNeverCommittedLeavesTheTargetAndNothingElse) {
    const std::string target = PathOf("result.txt");
    WriteFile(target, "earlier");
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.Write("half a file"));
    }
    EXPECT_EQ(ReadFile(target), "earlier");
    EXPECT_EQ(Names(), std::set<std::string>{"result.txt"});

    {
        AtomicFile file(PathOf("new.txt"));
        ASSERT_TRUE(file.Write("half a file"));
    }
    EXPECT_EQ(Names(), std::set<std::string>{"result.txt"});
}

TEST_F(AtomicFileTest, ANewFileGetsTheUsualModeLessTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{0}}) {
        const mode_t previous = umask(mask);
        const std::string target = PathOf("new-" + std::to_string(mask) + ".txt");
        AtomicFile file(target);
        ASSERT_TRUE(file.Write("x") && file.Commit());
        umask(previous);
        EXPECT_EQ(Mode(target), 0666 & ~mask) << std::oct << mask;
    }
}

TEST_F(AtomicFileTest, AnExistingFileKeepsItsPermissionBits) {
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0604}, mode_t{0755}, mode_t{01644}}) {
        const std::string target = PathOf("kept.txt");
        WriteFile(target, "earlier");
        ASSERT_EQ(chmod(target.c_str(), mode), 0);
        AtomicFile file(target);
        ASSERT_TRUE(file.Write("later") && file.Commit());
        EXPECT_EQ(Mode(target), mode) << std::oct << mode;
        EXPECT_EQ(ReadFile(target), "later");
    }
}

TEST_F(AtomicFileTest, ALinkIsFollowedAndStaysALink) {
    fs::create_directory(PathOf("data"));
    const std::string destination = PathOf("data/result.txt");
    WriteFile(destination, "earlier");
    ASSERT_EQ(chmod(destination.c_str(), 0640), 0);
    // A relative link to a relative link: each is read from its own folder.
    fs::create_symlink("data/result.txt", PathOf("first"));
    fs::create_directory(PathOf("links"));
    fs::create_symlink("../first", PathOf("links/second"));

    AtomicFile file(PathOf("links/second"));
    EXPECT_EQ(fs::path(file.Target()), fs::path(PathOf("links/../data/result.txt")));
    ASSERT_TRUE(file.Write("later") && file.Commit());
    EXPECT_TRUE(fs::is_symlink(PathOf("first")));
    EXPECT_TRUE(fs::is_symlink(PathOf("links/second")));
    EXPECT_EQ(ReadFile(destination), "later");
    EXPECT_EQ(Mode(destination), 0640);
    EXPECT_EQ(Names(), (std::set<std::string>{"data", "first", "links"}));
    EXPECT_EQ(fs::directory_iterator(PathOf("data"))->path().filename(), "result.txt");
}

TEST_F(AtomicFileTest, ALinkToNothingCreatesItsDestination) {
    fs::create_symlink("made.txt", PathOf("link"));
    AtomicFile file(PathOf("link"));
    ASSERT_TRUE(file.Write("new") && file.Commit());
    EXPECT_TRUE(fs::is_symlink(PathOf("link")));
    EXPECT_EQ(ReadFile(PathOf("made.txt")), "new");
}

TEST_F(AtomicFileTest, ALoopOfLinksIsRefused) {
    fs::create_symlink("b", PathOf("a"));
    fs::create_symlink("a", PathOf("b"));
    AtomicFile file(PathOf("a"));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Error(), ELOOP);
    EXPECT_EQ(Names(), (std::set<std::string>{"a", "b"}));
}

TEST_F(AtomicFileTest, ATargetThatCannotBeCreatedFailsAtOnceAndEveryCallAfterIt) {
    struct Case {
        std::string target;
        int error;
    };
    fs::create_directory(PathOf("folder"));
    const Case cases[] = {
        {PathOf("missing/result.txt"), ENOENT},
        {PathOf("folder"), EISDIR},
        {"", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        AtomicFile file(c.target);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.Error(), c.error);
        EXPECT_FALSE(file.Write("x"));
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Error(), c.error);
    }
    EXPECT_EQ(Names(), std::set<std::string>{"folder"});
    EXPECT_TRUE(fs::is_empty(PathOf("folder")));
}

TEST_F(AtomicFileTest, AReadOnlyFileOrFolderIsRefusedAndKept) {
    const std::string file = PathOf("result.txt");
    WriteFile(file, "earlier");
    fs::create_directory(PathOf("locked"));
    if (!MakeImmutable(file) || !MakeImmutable(PathOf("locked")))
        GTEST_SKIP() << "the file system refuses the immutable attribute here";
    for (const std::string& target : {file, PathOf("locked/result.txt")}) {
        SCOPED_TRACE(target);
        AtomicFile atomic(target);
        EXPECT_FALSE(atomic.IsOpen());
        EXPECT_NE(atomic.Error(), 0);
        EXPECT_FALSE(atomic.Commit());
    }
    EXPECT_EQ(ReadFile(file), "earlier");
    EXPECT_TRUE(fs::is_empty(PathOf("locked")));
}

// Permission bits bind everyone but root: as root, the test acts as nobody.
TEST_F(AtomicFileTest, AFileWithoutWriteRightsIsRefused) {
    const std::string target = PathOf("result.txt");
    WriteFile(target, "earlier");
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder_.c_str(), 0777), 0);
    Unprivileged unprivileged;
    if (geteuid() == 0) GTEST_SKIP() << "running as root and cannot act as nobody";
    AtomicFile file(target);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Error(), EACCES);
    EXPECT_EQ(ReadFile(target), "earlier");
}

TEST_F(AtomicFileTest, ADeviceIsWrittenStraightToAndStaysADevice) {
    if (!fs::exists("/dev/full") || !fs::exists("/dev/null")) GTEST_SKIP() << "no /dev/full or /dev/null";
    {
        AtomicFile null("/dev/null");
        ASSERT_TRUE(null.IsOpen());
        EXPECT_TRUE(null.Write("discarded"));
        EXPECT_TRUE(null.Commit());
    }
    {
        AtomicFile full("/dev/full");
        ASSERT_TRUE(full.IsOpen());
        EXPECT_FALSE(full.Write("no room"));
        EXPECT_EQ(full.Error(), ENOSPC);
        EXPECT_FALSE(full.Commit());
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// A FIFO nobody reads would block the writer for ever.
TEST_F(AtomicFileTest, AFifoWithoutAReaderFailsAtOnce) {
    const std::string fifo = PathOf("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    AtomicFile file(fifo);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Error(), ENXIO);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// The temporary name keeps only the start of the target's name, so that it
// fits in a folder even when the target's name has the longest length.
TEST_F(AtomicFileTest, TheLongestNameInAFolderCanBeReplaced) {
    const std::string target = PathOf(std::string(255, 'n'));
    WriteFile(target, "earlier");
    AtomicFile file(target);
    ASSERT_TRUE(file.IsOpen()) << file.Error();
    ASSERT_TRUE(file.Write("later") && file.Commit());
    EXPECT_EQ(ReadFile(target), "later");
    EXPECT_EQ(Names().size(), 1u);
}

// Writers of one name at the same time: each commit puts a complete file in
// place, so the file ends as one writer's bytes, never a mixture.
TEST_F(AtomicFileTest, ConcurrentWritersLeaveOneWritersCompleteFile) {
    const std::string target = PathOf("shared.txt");
    constexpr int kWriters = 8;
    std::vector<std::string> contents;
    for (int w = 0; w < kWriters; ++w) contents.push_back(std::string(100000 + w * 1000, static_cast<char>('a' + w)));
    std::vector<int> committed(kWriters, 0);
    {
        std::vector<std::jthread> writers;
        for (int w = 0; w < kWriters; ++w)
            writers.emplace_back([&, w] {
                AtomicFile file(target);
                // Small writes, so that the writers overlap.
                for (std::size_t at = 0; at < contents[w].size(); at += 4096)
                    if (!file.Write(std::string_view(contents[w]).substr(at, 4096))) return;
                committed[w] = file.Commit();
            });
    }
    for (int w = 0; w < kWriters; ++w) EXPECT_TRUE(committed[w]) << w;
    const std::string result = ReadFile(target);
    EXPECT_NE(std::find(contents.begin(), contents.end(), result), contents.end())
        << "a file of " << result.size() << " bytes that no writer wrote";
    EXPECT_EQ(Names(), std::set<std::string>{"shared.txt"});
}

}  // namespace
}  // namespace tadmor
