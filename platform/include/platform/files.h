// files.h — opening a data or settings file for reading without ever
// blocking: only a regular file is opened. A FIFO, a device, a socket or a
// folder in the file's place is refused at once, so a reader that expected a
// file falls back as it would for a missing one instead of hanging in open().
#pragma once

#include <filesystem>

namespace platform {

// The file descriptor of path, opened read-only (close-on-exec), when path
// names a regular file (a symbolic link counts as what it points to); -1
// otherwise, with errno from the failing call, or EINVAL when the file is
// there but is not a regular one. The type is checked before the open, which
// is non-blocking, and checked again on what was opened; the descriptor is
// back in blocking mode when returned. The caller closes it.
int OpenRegularFile(const std::filesystem::path& path);

}  // namespace platform
