// Reading a file whole, bounded: only a regular file is read, never more
// than kMaxReadBytes, and a FIFO or a device is refused without waiting on it.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace tadmor {

// The largest file the program reads, far above any case or results file.
inline constexpr std::size_t kMaxReadBytes = 64 * 1024 * 1024;

// A file that cannot be read; the text says why, without the file's name.
class FileReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of the regular file at `path`. Throws FileReadError when it
// cannot be opened or read, is a folder, a device, a FIFO or a socket, or
// holds more than `maxBytes`.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes = kMaxReadBytes);

}  // namespace tadmor
