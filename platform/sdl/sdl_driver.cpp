// sdl_driver.cpp — the desktop backend's windows, clock and pointer: real
// windows (a top-most pop-up covering the screen is a full-screen-desktop
// window, with every other monitor blacked out; with GLIDE_DISPLAY=window it
// is an ordinary window instead), the black fill through the window's
// presenter, and the real clock.
#include "sdl/sdl_driver.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "desktop/display_kind.h"
#include "desktop/presenter.h"
#include "desktop/x11_window.h"

namespace platform {

namespace {

// Longest real sleep between looks at the close flag.
constexpr DWORD kSleepSliceMs = 50;
// The size of the window a saver gets with GLIDE_DISPLAY=window: the board's.
constexpr int kWindowModeWidth = 640;
constexpr int kWindowModeHeight = 480;

SdlDriver* theSdlDriver = nullptr;

}  // namespace

SdlDriver::SdlDriver() {
  theSdlDriver = this;
}

SdlDriver::~SdlDriver() {
  for (auto& [hwnd, windows] : blanks_)
    for (SDL_Window* window : windows) {
      desktop::ReleasePresenter(window);
      SDL_DestroyWindow(window);
    }
  if (hosted_ != nullptr) {
    desktop::ReleasePresenter(hosted_);
    SDL_DestroyWindow(hosted_);
  }
  if (theSdlDriver == this) theSdlDriver = nullptr;
}

void SdlDriver::CreateNative(WindowRecord& record) {
  if (IsHosted()) {
    // Only the saver's full-screen window has a picture: it is the host's
    // window. Anything else stays invisible while hosted.
    if (record.fullScreen && Hosted() != nullptr) {
      record.hosted = true;
      record.native = Hosted();
      POINT size = ScreenSize();
      record.rect = RECT{0, 0, size.x, size.y};
    }
    return;
  }
  const bool windowMode = record.fullScreen && desktop::ChosenDisplay() == desktop::DisplayKind::Window;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  RECT r = record.rect;
  if (windowMode) {
    // A window a user can move and resize; the picture keeps its shape inside.
    flags |= SDL_WINDOW_RESIZABLE;
    r = RECT{0, 0, kWindowModeWidth, kWindowModeHeight};
  } else if (record.fullScreen) {
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  } else {
    if ((record.style & WS_POPUP) != 0 && (record.style & WS_CAPTION) != WS_CAPTION)
      flags |= SDL_WINDOW_BORDERLESS;
    if ((record.exStyle & WS_EX_TOPMOST) != 0) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  }
  const int x = windowMode ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : static_cast<int>(r.left);
  const int y = windowMode ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : static_cast<int>(r.top);
  SDL_Window* window = SDL_CreateWindow(record.title.c_str(), x, y, std::max<int>(r.right - r.left, 1),
                                        std::max<int>(r.bottom - r.top, 1), flags);
  if (window == nullptr) {
    std::fprintf(stderr, "platform: cannot open a window: %s\n", SDL_GetError());
    return;
  }
  record.native = window;
  if (windowMode) {
    int wx = 0, wy = 0, ww = 0, wh = 0;
    SDL_GetWindowPosition(window, &wx, &wy);
    SDL_GetWindowSize(window, &ww, &wh);
    record.rect = RECT{wx, wy, wx + ww, wy + wh};
  } else if (record.fullScreen) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) == 0)
      record.rect = RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    OpenBlanks(record);
  }
}

void SdlDriver::OpenBlanks(WindowRecord& record) {
  const int own = SDL_GetWindowDisplayIndex(record.native);
  const int count = SDL_GetNumVideoDisplays();
  for (int index = 0; index < count; ++index) {
    SDL_Rect bounds;
    if (index == own || SDL_GetDisplayBounds(index, &bounds) != 0) continue;
    SDL_Window* blank =
        SDL_CreateWindow("", bounds.x, bounds.y, bounds.w, bounds.h,
                         SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
                             SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SKIP_TASKBAR);
    if (blank == nullptr) continue;
    blanks_[record.hwnd].push_back(blank);
  }
}

void SdlDriver::FillBlank(SDL_Window* window) {
  desktop::Presenter* presenter = desktop::PresenterFor(window, false);
  if (presenter == nullptr) return;
  int w = 0, h = 0;
  presenter->OutputSize(&w, &h);
  presenter->Fill(desktop::Rect{0, 0, w, h}, 0);
}

void SdlDriver::DestroyNative(WindowRecord& record) {
  if (auto found = blanks_.find(record.hwnd); found != blanks_.end()) {
    for (SDL_Window* window : found->second) {
      desktop::ReleasePresenter(window);
      SDL_DestroyWindow(window);
    }
    blanks_.erase(found);
  }
  if (record.native == nullptr || record.hosted) return;
  desktop::ReleasePresenter(record.native);
  SDL_DestroyWindow(record.native);
  record.native = nullptr;
}

void SdlDriver::ShowNative(WindowRecord& record, bool show) {
  if (record.native == nullptr || record.hosted) return;
  std::vector<SDL_Window*>* blanks = nullptr;
  if (auto found = blanks_.find(record.hwnd); found != blanks_.end()) blanks = &found->second;
  if (show) {
    if (blanks != nullptr)
      for (SDL_Window* blank : *blanks) {
        SDL_ShowWindow(blank);
        FillBlank(blank);
      }
    SDL_ShowWindow(record.native);
    SDL_RaiseWindow(record.native);
    SDL_PumpEvents();
    // Where the pointer is now is where it was when the window appeared:
    // whatever the window system reports while the window is mapped, framed
    // and made full screen is not a movement.
    lastPointer_.reset();
    CheckPointer(true);
  } else {
    SDL_HideWindow(record.native);
    if (blanks != nullptr)
      for (SDL_Window* blank : *blanks) SDL_HideWindow(blank);
  }
}

DWORD SdlDriver::TickCount() {
  // Milliseconds since the machine started, as Win32 counts.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                            static_cast<uint64_t>(now.tv_nsec) / 1000000);
}

void SdlDriver::SleepMs(DWORD ms) {
  DWORD until = TickCount() + ms;
  for (;;) {
    DWORD left = until - TickCount();
    if (static_cast<int32_t>(left) <= 0 || CloseRequestPending()) return;
    SDL_Delay(std::min(left, kSleepSliceMs));
  }
}

void SdlDriver::Fill(WindowRecord& record, const RECT& rect, COLORREF colour) {
  // Where a Glide display shows its picture, a fill of ours would only
  // flash between two frames.
  if (record.native == nullptr || desktop::DisplayDrawsInto(record.native)) return;
  desktop::Presenter* presenter = desktop::PresenterFor(record.native, record.hosted);
  if (presenter == nullptr) return;
  presenter->Fill(desktop::Rect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}, colour);
}

POINT SdlDriver::ScreenSize() {
  if (IsHosted() && Hosted() != nullptr) return hostedSize_;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return POINT{640, 480};
  return POINT{mode.w, mode.h};
}

void SdlDriver::SetCursorVisible(bool visible) {
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

std::optional<POINT> SdlDriver::Pointer() {
  if (IsHosted()) return std::nullopt;
  int x = 0, y = 0;
  desktop::PointerOnScreen(&x, &y);
  return POINT{x, y};
}

std::unique_ptr<Driver> CreateDesktopDriver() {
  return std::make_unique<SdlDriver>();
}

SDL_Window* HostedSdlWindow() {
  if (CurrentBackend() != Backend::Sdl || theSdlDriver == nullptr) return nullptr;
  return theSdlDriver->Hosted();
}

}  // namespace platform
