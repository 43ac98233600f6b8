// thread_priority.cpp — per-thread priorities on Linux (nice values are per
// thread there) and Windows.
#include "thread_priority.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>

#include <cerrno>
#endif

namespace gfx::raster {

int CurrentThreadPriority() {
#if defined(_WIN32)
  return GetThreadPriority(GetCurrentThread());
#else
  // For PRIO_PROCESS, 0 names the calling thread on Linux.
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, 0);
  return errno == 0 ? nice : 0;
#endif
}

bool SetCurrentThreadPriority(int priority) {
#if defined(_WIN32)
  return SetThreadPriority(GetCurrentThread(), priority) != 0;
#else
  return setpriority(PRIO_PROCESS, 0, priority) == 0;
#endif
}

}  // namespace gfx::raster
