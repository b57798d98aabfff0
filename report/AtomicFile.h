// A file that is replaced whole or not at all.
//
// The bytes go to a new temporary file in the target's folder, which Commit()
// renames over the target once everything is written and on the disk. Until
// then the target keeps its earlier content; a file that is never committed
// leaves nothing behind. Of several writers of one name, the last to commit
// wins, and every reader sees one writer's complete file.
//
// A symbolic link is followed: the file it points at is replaced and the link
// stays. An existing file's permission bits are kept; a new one gets 0666 less
// the umask. An existing target that is neither a regular file nor a folder
// (a device such as /dev/null, a FIFO with a reader) is written straight to,
// since it cannot be replaced.
//
// Failures are reported by return value; Error() gives the errno.
#pragma once

#include <string>
#include <string_view>

namespace tadmor {

class AtomicFile {
public:
    // Creates the temporary file. Fails when the target's folder does not
    // exist or takes no new file, or when the target is a folder or a file
    // that may not be written.
    explicit AtomicFile(const std::string& target);
    ~AtomicFile();  // removes the temporary file unless it was committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Whether the file could be created and no write has failed since.
    bool IsOpen() const { return fd_ >= 0 && error_ == 0; }

    // Appends `bytes`; false when they could not all be written.
    bool Write(std::string_view bytes);

    // Flushes the file to the disk, closes it and renames it over the target.
    // False, leaving the target as it was, after any failure so far.
    bool Commit();

    // The errno of the first failure; 0 when there was none.
    int Error() const { return error_; }

    // The file that Commit() replaces: the target with symbolic links followed.
    const std::string& Target() const { return target_; }

private:
    bool Fail(int error);

    std::string target_;
    std::string temporary_;  // empty when writing straight to the target
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace tadmor
