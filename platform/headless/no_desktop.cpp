// no_desktop.cpp — a build without a desktop backend of its own (the Windows
// build until platform/win32 is in): a run that would show windows runs
// headless, as on a machine without a screen.
#include "core/core.h"

namespace platform {

std::unique_ptr<Driver> CreateDesktopDriver() {
  return CreateHeadlessDriver();
}

SDL_Window* HostedSdlWindow() {
  return nullptr;
}

}  // namespace platform
