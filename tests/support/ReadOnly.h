// Files that refuse writes, also when the tests run as root: the immutable
// attribute, and acting as the unprivileged user "nobody".
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

namespace tadmor::test {

// Sets or clears the immutable attribute, which stops even root from
// creating, removing or writing. Returns false where the file system or the
// process's rights do not allow it.
inline bool SetImmutable(const std::filesystem::path& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

// Runs the body as the unprivileged user "nobody" when the test runs as
// root, since permission bits do not bind root.
class Unprivileged {
public:
    static constexpr uid_t kNobody = 65534;
    Unprivileged() : wasRoot_(geteuid() == 0) {
        if (wasRoot_ && setegid(kNobody) == 0) seteuid(kNobody);
    }
    ~Unprivileged() {
        if (wasRoot_ && seteuid(0) == 0) setegid(0);
    }
    bool ok() const { return geteuid() != 0; }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    bool wasRoot_;
};

}  // namespace tadmor::test
