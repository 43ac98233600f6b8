// window_display.h — the display in a window of the desktop, full screen or
// not: SDL's on Linux (sdl_display.cpp), Win32's on Windows. The factory
// (display_factory.cpp) is the same on both.
#pragma once

#include <memory>
#include <optional>

#include "capture.h"
#include "display.h"

namespace gfx {

// Never null.
std::unique_ptr<Display> CreateWindowDisplay(bool fullScreen, std::optional<CaptureSettings> capture);

}  // namespace gfx
