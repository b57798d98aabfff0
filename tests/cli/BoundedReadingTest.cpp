// What the command reads: case files and results files must be regular files
// of at most 64 MiB. Anything else is refused at once with its reason and
// the exit code of the file's kind, before any memory is spent on it.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/TadmorCommandFixture.h"

namespace tadmor::test {
namespace {

struct Unreadable {
    std::string path;  // relative to `work`, or absolute
    std::string reason;
};

class BoundedReading : public TadmorCommand {
protected:
    // A FIFO nobody writes to, a folder, a sparse file past the limit, a
    // device, and a regular file whose read fails.
    std::vector<Unreadable> UnreadableFiles() {
        EXPECT_EQ(mkfifo((work / "fifo").c_str(), 0666), 0);
        fs::create_directory(work / "folder");
        WriteFile(work / "huge.txt", "");
        EXPECT_EQ(truncate((work / "huge.txt").c_str(), 200 * 1024 * 1024), 0);
        return {
            {"fifo", "it is not a regular file"},      {"folder", "it is a folder"},
            {"huge.txt", "it holds more than 64 MiB"}, {"/dev/zero", "it is not a regular file"},
            {"/proc/self/mem", "Input/output error"},
        };
    }
};

TEST_F(BoundedReading, ACaseFileThatIsNotARegularFileOfAtMost64MiBIsAUsageError) {
    for (const Unreadable& file : UnreadableFiles()) {
        const Result result = Run({"run", "--case", file.path, "-o", "result.txt"});
        EXPECT_EQ(result.exitCode, 2) << file.path;
        EXPECT_EQ(result.err, "tadmor: cannot read case file \"" + file.path + "\": " + file.reason + "\n");
        EXPECT_FALSE(fs::exists(work / "result.txt")) << file.path;
    }
    const Result sweep = Run({"sweep", "--case", "/dev/zero", "--vary", "ScrewSpeed=30,40", "-o", "s.csv"});
    EXPECT_EQ(sweep.exitCode, 2);
    EXPECT_FALSE(fs::exists(work / "s.csv"));
}

TEST_F(BoundedReading, AResultsFileThatIsNotARegularFileOfAtMost64MiBIsRefused) {
    for (const Unreadable& file : UnreadableFiles()) {
        const Result result = Run({"plot", file.path, "-o", "plot.png"});
        EXPECT_EQ(result.exitCode, 6) << file.path;
        EXPECT_EQ(result.err, "tadmor: cannot read the results file \"" + file.path + "\": " + file.reason + "\n");
        EXPECT_FALSE(fs::exists(work / "plot.png")) << file.path;
    }
}

TEST_F(BoundedReading, ACaseFileWithAByteOrderMarkIsRead) {
    WriteFile(work / "bom.case", "\xEF\xBB\xBFScrewSpeed = 45\r\nOutputRate = 250\r\n");
    const Result result = Run({"run", "--case", "bom.case", "-o", "bom.txt"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(Run({"run", "--set", "ScrewSpeed=45", "--set", "OutputRate=250", "-o", "set.txt"}).exitCode, 0);
    EXPECT_EQ(ReadFile(work / "bom.txt"), ReadFile(work / "set.txt"));
}

}  // namespace
}  // namespace tadmor::test
