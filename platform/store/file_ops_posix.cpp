// file_ops_posix.cpp — the steps of an atomic settings write on Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "store/file_ops.h"

namespace platform::store::file_ops {

int CreateTemporary(const std::filesystem::path& folder, const std::string& prefix,
                    std::filesystem::path* name) {
  const std::string pattern = (folder / (prefix + "XXXXXX")).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemp(buffer.data());
  if (fd >= 0) *name = buffer.data();
  return fd;
}

bool CopyPermissions(int fd, const std::filesystem::path& existing) {
  struct stat old {};
  const mode_t mode = stat(existing.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  return fchmod(fd, mode) == 0;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool Flush(int fd) {
  return fsync(fd) == 0;
}

bool Replace(const std::filesystem::path& temporary, const std::filesystem::path& target) {
  return rename(temporary.c_str(), target.c_str()) == 0;
}

void FlushFolder(const std::filesystem::path& folder) {
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

bool IsAbandoned(const std::filesystem::path& file, long long ageSeconds) {
  struct stat info {};
  if (lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) return false;
  return std::time(nullptr) - info.st_mtime >= ageSeconds;
}

}  // namespace platform::store::file_ops
