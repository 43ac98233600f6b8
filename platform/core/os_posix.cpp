// os_posix.cpp — the platform's operating-system services on Linux.
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "core/os.h"

namespace platform::os {

std::filesystem::path ExecutablePath() {
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : exe;
}

std::filesystem::path DefaultSettingsFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    return std::filesystem::path(config) / "savers";
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0)
    return std::filesystem::path(home) / ".config" / "savers";
  return std::filesystem::path(".config") / "savers";
}

bool SetCallingThreadPriority(int priority) {
  // Linux keeps a nice value per thread: the idle class is the weakest (19);
  // the steps between lie evenly from normal (0) down to it.
  constexpr int kIdle = -15;
  const int nice = priority == kIdle ? 19 : std::clamp(-priority * 5, -20, 19);
  const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
}

void OnEndRequest(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool InputIsTerminal() {
  return isatty(STDIN_FILENO) != 0;
}

int WaitForInput(int timeoutMs) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const int ready = poll(&input, 1, timeoutMs);
  if (ready < 0) return errno == EINTR ? 0 : -1;
  return ready > 0 ? 1 : 0;
}

void SetEnvironment(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

}  // namespace platform::os
