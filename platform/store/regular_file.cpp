// regular_file.cpp — OpenRegularFile: a read-only open that never blocks on
// a FIFO or a device and never hands out anything but a regular file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(_WIN32)
#include <io.h>
#endif

#include <cerrno>

#include "platform/files.h"

namespace platform {

int OpenRegularFile(const std::filesystem::path& path) {
#if defined(_WIN32)
  // Windows has no FIFOs among files; its devices (CON, NUL, COM1, ...) are
  // what stat calls character devices. Binary mode: no line end is changed.
  struct _stat64 info {};
  if (_wstat64(path.c_str(), &info) != 0) return -1;
  if ((info.st_mode & _S_IFMT) != _S_IFREG) {
    errno = EINVAL;
    return -1;
  }
  const int fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return -1;
  if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    _close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
#else
  // Looking first keeps devices from being opened at all (opening some has
  // effects of its own); the open itself is non-blocking in case the file
  // was swapped for a FIFO in between, and what was opened is checked again.
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return -1;
  if (!S_ISREG(info.st_mode)) {
    errno = EINVAL;
    return -1;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
#endif
}

}  // namespace platform
