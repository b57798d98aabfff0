// Reading a file whole, bounded: only a regular file is read, never more
// than kMaxReadBytes, and a FIFO or a device is refused without waiting on it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/Error.h"

namespace tadmor {

// The largest file the program reads, far above any case or results file.
inline constexpr std::size_t kMaxReadBytes = 64 * 1024 * 1024;

// The bytes of the regular file at `path`. Throws Error of `kind`,
// "cannot read WHAT "PATH": REASON", when it cannot be opened or read, is a
// folder, a device, a FIFO or a socket, or holds more than `maxBytes`.
std::string ReadRegularFile(const std::string& path, ErrorKind kind, std::string_view what,
                            std::size_t maxBytes = kMaxReadBytes);

}  // namespace tadmor
