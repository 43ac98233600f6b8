// file_ops_win32.cpp — the steps of an atomic settings write on Windows.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <random>

#include "store/file_ops.h"

namespace platform::store::file_ops {

int CreateTemporary(const std::filesystem::path& folder, const std::string& prefix,
                    std::filesystem::path* name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = prefix;
    for (int i = 0; i < 6; ++i) candidate += kLetters[pick(random)];
    const std::filesystem::path path = folder / candidate;
    int fd = -1;
    const errno_t failed =
        _wsopen_s(&fd, path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYRW,
                  _S_IREAD | _S_IWRITE);
    if (failed == 0) {
      *name = path;
      return fd;
    }
    if (failed != EEXIST) {
      errno = failed;
      return -1;
    }
  }
  errno = EEXIST;
  return -1;
}

bool CopyPermissions(int, const std::filesystem::path&) {
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const size_t chunk = std::min<size_t>(bytes.size() - written, 1u << 30);
    const int n = _write(fd, bytes.data() + written, static_cast<unsigned>(chunk));
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool Flush(int fd) {
  return _commit(fd) == 0;
}

bool Replace(const std::filesystem::path& temporary, const std::filesystem::path& target) {
  // rename() refuses an existing target on Windows; this replaces it in one step.
  if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
    return true;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void FlushFolder(const std::filesystem::path&) {}  // MOVEFILE_WRITE_THROUGH did it

bool IsAbandoned(const std::filesystem::path& file, long long ageSeconds) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) return false;
  const auto changed = std::filesystem::last_write_time(file, error);
  if (error) return false;
  const auto age = std::filesystem::file_time_type::clock::now() - changed;
  return std::chrono::duration_cast<std::chrono::seconds>(age).count() >= ageSeconds;
}

}  // namespace platform::store::file_ops
