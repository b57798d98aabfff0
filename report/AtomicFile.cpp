#include "report/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace tadmor {
namespace {

namespace fs = std::filesystem;

// Links followed before giving up with ELOOP, as the kernel does.
constexpr int kMaxLinks = 40;
// Bytes of the target's name kept in the temporary name, which must stay
// within the 255 bytes of a name in a folder.
constexpr std::size_t kNameBytesKept = 200;
constexpr int kNameAttempts = 100;

// The path that `path` names once every symbolic link at its end is followed;
// a link that points nowhere gives the path where the file will be created.
bool FollowLinks(std::string& path, int& error) {
    for (int links = 0; links < kMaxLinks; ++links) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return true;
        std::error_code code;
        const fs::path destination = fs::read_symlink(path, code);
        if (code) {
            error = code.value();
            return false;
        }
        path = (fs::path(path).parent_path() / destination).string();
    }
    error = ELOOP;
    return false;
}

// ".NAME.XXXXXX" beside `target`, X a random letter or digit: hidden from
// folder listings and from shell patterns such as part-*.csv.
std::string TemporaryName(const std::string& target) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    const fs::path path(target);
    std::string name = "." + path.filename().string().substr(0, kNameBytesKept) + ".";
    for (int i = 0; i < 6; ++i) name += kLetters[letter(random)];
    return (path.parent_path() / name).string();
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes a rename in `folder` last; a failure here no longer changes which
// file the folder holds, so it is not reported.
void SyncFolder(const std::string& target) {
    const std::string folder = fs::path(target).parent_path().string();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& target) : target_(target) {
    int error = 0;
    if (target_.empty()) {
        Fail(ENOENT);
        return;
    }
    if (!FollowLinks(target_, error)) {
        Fail(error);
        return;
    }
    struct stat existing;
    const bool exists = stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        Fail(EISDIR);
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // Opened without waiting, so that a FIFO without a reader fails at once.
        fd_ = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0 || fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) Fail(errno);
        return;
    }
    if (exists && faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        Fail(errno);
        return;
    }
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        temporary_ = TemporaryName(target_);
        fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        Fail(errno);
        return;
    }
    if (exists) {
        // The owner where the rights allow it (as root; otherwise the file
        // becomes the writer's), then the mode, since a change of owner
        // clears the set-user-ID bit.
        if (fchown(fd_, existing.st_uid, existing.st_gid) != 0) errno = 0;
        if (fchmod(fd_, existing.st_mode & 07777) != 0) Fail(errno);
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) close(fd_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool AtomicFile::Fail(int error) {
    if (error_ == 0) error_ = error;
    return false;
}

bool AtomicFile::Write(std::string_view bytes) {
    if (!IsOpen()) return false;
    return WriteAll(fd_, bytes) || Fail(errno);
}

bool AtomicFile::Commit() {
    if (!IsOpen()) return false;
    const int fd = fd_;
    fd_ = -1;
    if (temporary_.empty()) return close(fd) == 0 || Fail(errno);
    if (fsync(fd) != 0) {
        Fail(errno);
        close(fd);
        return false;
    }
    if (close(fd) != 0 || rename(temporary_.c_str(), target_.c_str()) != 0) return Fail(errno);
    temporary_.clear();
    SyncFolder(target_);
    return true;
}

}  // namespace tadmor
