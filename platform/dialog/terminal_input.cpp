// terminal_input.cpp — line input from the terminal in slices, with the
// message queue served between them.
#include "terminal_input.h"

#include <unistd.h>

#include <cerrno>

#include "core/os.h"
#include "platform/window.h"

namespace platform::dialog {
namespace {

constexpr int kSliceMs = 100;
// A line longer than this is taken in pieces rather than held without end.
constexpr size_t kMaxLine = 1 << 16;

// Bytes read but not yet returned: a paste may bring several lines at once.
std::string& Pending() {
  static std::string pending;
  return pending;
}

}  // namespace

bool ReadTerminalLine(std::string& line, const std::function<bool()>& stop) {
  std::string& pending = Pending();
  for (;;) {
    const size_t end = pending.find('\n');
    if (end != std::string::npos || pending.size() >= kMaxLine) {
      const size_t take = end != std::string::npos ? end : pending.size();
      line = pending.substr(0, take);
      pending.erase(0, end != std::string::npos ? take + 1 : take);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    const int ready = os::WaitForInput(kSliceMs);
    if (ready < 0) return false;
    if (ready > 0) {
      char buffer[512];
      const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
      if (got > 0) {
        pending.append(buffer, static_cast<size_t>(got));
        continue;
      }
      if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        // End of input: a last line without its line end still counts.
        if (pending.empty()) return false;
        line = pending;
        pending.clear();
        return true;
      }
    }
    if (!PumpPendingMessages() || stop()) return false;
  }
}

}  // namespace platform::dialog
