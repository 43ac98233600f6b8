// sdl_hosted.cpp — drawing into another program's window (XScreenSaver's):
// the SDL window made from it, its size followed (SDL is told nothing when
// the host resizes it), and its loss: a window the host destroyed ends the
// saver in order, as a close request would.
#include <algorithm>
#include <cstdio>

#include "desktop/presenter.h"
#include "desktop/x11_window.h"
#include "sdl/sdl_driver.h"

namespace platform {

namespace {

// How often the host's window is asked about.
constexpr uint64_t kHostedPollMs = 200;

}  // namespace

SDL_Window* SdlDriver::Hosted() {
  if (hosted_ == nullptr && !hostedFailed_ && TheCore().hostedWindow) {
    const uint32_t id = *TheCore().hostedWindow;
    desktop::WatchHostWindow(id);
    hosted_ = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(id)));
    int w = 0, h = 0;
    if (hosted_ == nullptr ||
        desktop::RefreshForeignWindowSize(hosted_, &w, &h) == desktop::ForeignWindowState::Gone) {
      hostedFailed_ = true;
      std::fprintf(stderr, "platform: cannot draw into window 0x%x%s%s\n", id, hosted_ == nullptr ? ": " : "",
                   hosted_ == nullptr ? SDL_GetError() : " (it does not exist)");
      if (hosted_ != nullptr) SDL_DestroyWindow(hosted_);
      hosted_ = nullptr;
      RequestClose();
    } else if (w > 0 && h > 0) {
      hostedSize_ = POINT{w, h};
    } else {
      SDL_GetWindowSize(hosted_, &w, &h);
      hostedSize_ = POINT{std::max(w, 1), std::max(h, 1)};
    }
  }
  return hosted_;
}

void SdlDriver::PollHosted() {
  if (Hosted() == nullptr) return;
  if (desktop::HostWindowLost()) {
    RequestClose();
    return;
  }
  const uint64_t now = SDL_GetTicks64();
  if (now - lastHostedPoll_ < kHostedPollMs) return;
  lastHostedPoll_ = now;
  int w = 0, h = 0;
  switch (desktop::RefreshForeignWindowSize(hosted_, &w, &h)) {
    case desktop::ForeignWindowState::Gone:
      RequestClose();
      return;
    case desktop::ForeignWindowState::Unknown:
      return;
    case desktop::ForeignWindowState::Present:
      break;
  }
  if (w == hostedSize_.x && h == hostedSize_.y) return;
  hostedSize_ = POINT{w, h};
  for (auto& [hwnd, record] : TheCore().windows) {
    if (!record.hosted) continue;
    record.rect = RECT{0, 0, w, h};
    record.invalid = true;
    PostMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(w, h));
  }
}

}  // namespace platform
