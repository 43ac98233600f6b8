// monitor_blanks.h — black windows over every monitor but the one a
// full-screen window is on: a saver leaves no desktop showing, whichever of
// its windows (the host's or the Glide library's own) covers its monitor.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

namespace desktop {

class MonitorBlanks {
 public:
  MonitorBlanks() = default;
  // Opens one hidden black window over each monitor that `window` is not on.
  explicit MonitorBlanks(SDL_Window* window);
  ~MonitorBlanks();
  MonitorBlanks(MonitorBlanks&& other) noexcept;
  MonitorBlanks& operator=(MonitorBlanks&& other) noexcept;
  MonitorBlanks(const MonitorBlanks&) = delete;
  MonitorBlanks& operator=(const MonitorBlanks&) = delete;

  void Show();  // shown on top, painted black
  void Hide();
  int Count() const { return static_cast<int>(windows_.size()); }

 private:
  void Close();
  std::vector<SDL_Window*> windows_;
};

// Paints a blank black again after the server exposed it. False when the
// window is not one of the blanks (the caller then handles the event).
bool RepaintBlank(uint32_t windowId);

}  // namespace desktop
