// no_window_display.cpp — a build without a window display of its own (the
// Windows build until the Win32 display is in): a run that asks for a window
// draws headless, as a machine without a screen would, and says so once.
#include <cstdio>

#include "headless_display.h"
#include "window_display.h"

namespace gfx {

std::unique_ptr<Display> CreateWindowDisplay(bool fullScreen, std::optional<CaptureSettings> capture) {
  static bool told = false;
  if (!told) {
    std::fprintf(stderr, "glide: no %s display in this build; drawing headless\n",
                 fullScreen ? "full-screen" : "window");
    told = true;
  }
  return std::make_unique<HeadlessDisplay>(std::move(capture));
}

}  // namespace gfx
