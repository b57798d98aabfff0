// Reading a file whole: the bytes of a regular file exactly, and a refusal
// with its reason for anything else, at once and without reading it.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "ReportTestSupport.h"
#include "report/ReadFile.h"

namespace tadmor {
namespace {

using namespace tadmor::test;
namespace fs = std::filesystem;

// The reason ReadRegularFile gives for `path`, or "" when it reads it.
std::string RefusalOf(const std::string& path) {
    try {
        ReadRegularFile(path, ErrorKind::Input, "the file");
    } catch (const Error& error) {
        const std::string prefix = "cannot read the file " + ShownText(path, std::string::npos) + ": ";
        EXPECT_EQ(std::string(error.what()).rfind(prefix, 0), 0u) << error.what();
        return std::string(error.what()).substr(prefix.size());
    }
    return "";
}

using ReadFileTest = TempFolderTest;

TEST_F(ReadFileTest, ARegularFileIsReadByteForByte) {
    std::string bytes = "ScrewSpeed = 45\r\n";
    bytes += std::string(1, '\0') + "\x81\x8E\xFF";
    for (int i = 0; i < 20000; ++i) bytes += "line " + std::to_string(i) + "\n";  // several reads
    WriteFile(PathOf("case.txt"), bytes);
    EXPECT_EQ(ReadRegularFile(PathOf("case.txt"), ErrorKind::Input, "the file"), bytes);
    WriteFile(PathOf("empty.txt"), "");
    EXPECT_EQ(ReadRegularFile(PathOf("empty.txt"), ErrorKind::Input, "the file"), "");
}

// Files in /proc give their size as 0: they are read to their end.
TEST_F(ReadFileTest, AFileThatStatesNoSizeIsReadToItsEnd) {
    const std::string status = ReadRegularFile("/proc/self/status", ErrorKind::Input, "the file");
    EXPECT_NE(status.find("Pid:"), std::string::npos);
}

TEST_F(ReadFileTest, WhatIsNotARegularFileIsRefusedAtOnce) {
    fs::create_directory(PathOf("folder"));
    EXPECT_EQ(RefusalOf(PathOf("folder")), "it is a folder");
    EXPECT_EQ(RefusalOf("/dev/zero"), "it is not a regular file");
    EXPECT_EQ(RefusalOf("/dev/null"), "it is not a regular file");
    // A FIFO without a writer would block a reader for ever.
    ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0666), 0);
    EXPECT_EQ(RefusalOf(PathOf("fifo")), "it is not a regular file");
}

TEST_F(ReadFileTest, AReadErrorIsReportedWithItsReason) {
    // /proc/self/mem is a regular file whose first page is never mapped.
    EXPECT_EQ(RefusalOf("/proc/self/mem"), std::strerror(EIO));
    EXPECT_EQ(RefusalOf(PathOf("missing.txt")), std::strerror(ENOENT));
    EXPECT_EQ(RefusalOf(std::string("a\0b", 3)), std::strerror(EINVAL));
}

// Sparse files: their size costs no disk.
TEST_F(ReadFileTest, FilesUpToTheLimitAreReadAndLargerOnesRefused) {
    const std::string atLimit = PathOf("at-limit"), over = PathOf("over");
    WriteFile(atLimit, "");
    WriteFile(over, "");
    ASSERT_EQ(truncate(atLimit.c_str(), kMaxReadBytes), 0);
    ASSERT_EQ(truncate(over.c_str(), kMaxReadBytes + 1), 0);
    EXPECT_EQ(ReadRegularFile(atLimit, ErrorKind::Input, "the file").size(), kMaxReadBytes);
    EXPECT_EQ(RefusalOf(over), "it holds more than 64 MiB");
}

}  // namespace
}  // namespace tadmor
