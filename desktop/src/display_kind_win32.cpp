// display_kind_win32.cpp — the desktop session's video calls on Windows,
// where there is no SDL: windows are Win32's own (platform/win32 and the
// Glide display for Windows), so there is nothing to start or stop, and a
// desktop is there when the process's window station is a visible one (not
// a service's).
#include <windows.h>

#include <string>

#include "desktop/display_kind.h"
#include "desktop/x11_window.h"
#include "video_probe.h"

namespace desktop {

bool CachedVideoDeviceAvailable() {
  static const bool available = [] {
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    return station != nullptr &&
           GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) != 0 &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
  }();
  return available;
}

bool VideoDeviceAvailable() {
  return CachedVideoDeviceAvailable();
}

void PrepareSdl() {}

bool StartVideo() {
  return CachedVideoDeviceAvailable();
}

bool StartVisibleVideo(std::string* why) {
  if (StartVideo()) return true;
  if (why != nullptr) *why = "no visible window station";
  return false;
}

void StopVideo() {}

// No X server's root window to draw into on Windows.
std::optional<uint32_t> RootWindowId() {
  return std::nullopt;
}

}  // namespace desktop
