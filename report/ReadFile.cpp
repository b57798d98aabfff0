#include "report/ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tadmor {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct Failure {
    ErrorKind kind;
    std::string_view what;
    const std::string& path;

    [[noreturn]] void operator()(const std::string& reason) const {
        throw Error(kind,
                    "cannot read " + std::string(what) + " " + ShownText(path, std::string::npos) + ": " + reason);
    }
};

}  // namespace

std::string ReadRegularFile(const std::string& path, ErrorKind kind, std::string_view what, std::size_t maxBytes) {
    const Failure fail{kind, what, path};
    const auto FailWith = [&fail](int error) { fail(std::strerror(error)); };
    const std::string tooLarge = "it holds more than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB";
    if (path.find('\0') != std::string::npos) FailWith(EINVAL);
    // O_NONBLOCK: opening a FIFO does not wait for a writer.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) FailWith(errno);
    struct stat status;
    if (fstat(file.get(), &status) != 0) FailWith(errno);
    if (S_ISDIR(status.st_mode)) fail("it is a folder");
    if (!S_ISREG(status.st_mode)) fail("it is not a regular file");
    if (static_cast<std::size_t>(status.st_size) > maxBytes) fail(tooLarge);

    // The size is only a hint (files in /proc give 0): read to the end, one
    // byte past the limit at the most.
    std::string bytes;
    std::size_t size = 0;
    for (;;) {
        if (bytes.size() == size) bytes.resize(std::min(std::max<std::size_t>(2 * size, 65536), maxBytes + 1));
        const ssize_t count = read(file.get(), bytes.data() + size, bytes.size() - size);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) FailWith(errno);
        if (count == 0) break;
        size += static_cast<std::size_t>(count);
        if (size > maxBytes) fail(tooLarge);
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace tadmor
