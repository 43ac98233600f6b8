// windows_compat.h — the few POSIX calls the tests use to arrange their
// cases, on Windows. The Windows build forces this header into every test
// source (tests/CMakeLists.txt); on Linux it is never included.
#pragma once

#if defined(_WIN32)
#include <io.h>

#include <cerrno>
#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (overwrite == 0 && std::getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

// An empty value removes the variable on Windows.
inline int unsetenv(const char* name) {
  return _putenv_s(name, "") == 0 ? 0 : -1;
}

// No alarm: a read that would block is caught by ctest's time limit instead.
inline unsigned alarm(unsigned) {
  return 0;
}

// Windows has no FIFOs among files: a test that needs one skips.
inline int mkfifo(const char*, int) {
  errno = ENOSYS;
  return -1;
}
#endif
