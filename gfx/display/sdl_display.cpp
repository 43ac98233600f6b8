// sdl_display.cpp — presenting frames in a window through its presenter.
#include "sdl_display.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "desktop/display_kind.h"
#include "desktop/hooks.h"
#include "desktop/monitor_blanks.h"
#include "desktop/presenter.h"
#include "desktop/x11_window.h"
#include "letterbox.h"
#include "pacing.h"
#include "window_display.h"

namespace gfx {

SdlDisplay::SdlDisplay(bool fullScreen, std::optional<CaptureSettings> capture)
    : FrameDisplay(std::move(capture)), fullScreen_(fullScreen) {}

SdlDisplay::~SdlDisplay() {
  Close();
}

bool SdlDisplay::Open(const DisplayConfig& config) {
  Close();
  if (config.width <= 0 || config.height <= 0) return false;
  if (!desktop::StartVideo()) {
    std::fprintf(stderr, "glide: cannot start SDL video: %s\n", SDL_GetError());
    return false;
  }
  videoStarted_ = true;
  refreshHz_ = config.refreshHz > 0 ? config.refreshHz : 60;

  const desktop::WindowTarget target = desktop::ResolveWindow(config.windowHandle);
  if (target.window != nullptr) {
    window_ = target.window;
    foreign_ = target.foreign;
    if (fullScreen_ && !foreign_ &&
        (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN_DESKTOP) {
      SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
  } else {
    int x = SDL_WINDOWPOS_CENTERED;
    int y = SDL_WINDOWPOS_CENTERED;
    int width = config.width;
    int height = config.height;
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    SDL_Rect desktopBounds;
    if (fullScreen_) {
      flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
      // Made as large as the screen from the start, so that the picture also
      // fills it where no window manager honours the full-screen request.
      if (SDL_GetDisplayBounds(0, &desktopBounds) == 0) {
        x = desktopBounds.x;
        y = desktopBounds.y;
        width = desktopBounds.w;
        height = desktopBounds.h;
      }
    }
    window_ = SDL_CreateWindow("Glide", x, y, width, height, flags);
    if (window_ == nullptr) {
      std::fprintf(stderr, "glide: cannot open a window: %s\n", SDL_GetError());
      Close();
      return false;
    }
    ownWindow_ = true;
  }

  presenter_ = desktop::PresenterFor(window_, foreign_);
  if (presenter_ == nullptr) {
    std::fprintf(stderr, "glide: cannot draw into the window: %s\n", SDL_GetError());
    Close();
    return false;
  }
  presenterTicket_ = desktop::WatchPresenter(window_, [this] { ForgetPresenter(); });
  desktop::MarkDisplayOn(window_, true);

  if (!foreign_) {
    // The pointer never shows over the picture.
    savedCursor_ = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_DISABLE);
  }
  if (ownWindow_ && fullScreen_) {
    // A window of our own covers its monitor; the others go black.
    blanks_ = desktop::MonitorBlanks(window_);
    blanks_.Show();
  }
  if (ownWindow_) SDL_RaiseWindow(window_);
  return true;
}

void SdlDisplay::Close() {
  if (presenterTicket_ != 0) desktop::ForgetPresenterUser(presenterTicket_);
  presenterTicket_ = 0;
  if (presenter_ != nullptr) desktop::MarkDisplayOn(window_, false);
  blanks_ = desktop::MonitorBlanks();
  if (ownWindow_ && window_ != nullptr) {
    desktop::ReleasePresenter(window_);
    SDL_DestroyWindow(window_);
  }
  presenter_ = nullptr;
  window_ = nullptr;
  ownWindow_ = false;
  foreign_ = false;
  if (savedCursor_ >= 0) SDL_ShowCursor(savedCursor_);
  savedCursor_ = -1;
  if (videoStarted_) desktop::StopVideo();
  videoStarted_ = false;
}

bool SdlDisplay::OutputSize(int* width, int* height) const {
  if (presenter_ == nullptr) return false;
  presenter_->OutputSize(width, height);
  return *width > 0 && *height > 0;
}

void SdlDisplay::ForgetPresenter() {
  StopDrawing();
  presenterTicket_ = 0;
  if (!ownWindow_) window_ = nullptr;
}

void SdlDisplay::StopDrawing() {
  if (presenter_ == nullptr) return;
  desktop::MarkDisplayOn(window_, false);
  presenter_ = nullptr;
}

int SdlDisplay::ScreenRefreshHz() const {
  SDL_DisplayMode mode;
  const int index = SDL_GetWindowDisplayIndex(window_);
  if (index < 0 || SDL_GetCurrentDisplayMode(index, &mode) != 0) return 0;
  return mode.refresh_rate;
}

void SdlDisplay::WaitForRetraceBySleeping(int swapInterval) {
  // The board's pace: at most one frame per swapInterval of its refresh periods.
  const auto period = std::chrono::duration_cast<FrameSchedule::Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(swapInterval) / refreshHz_));
  std::this_thread::sleep_until(schedule_.Next(FrameSchedule::Clock::now(), period));
}

void SdlDisplay::Show(const FrameView& frame, int swapInterval) {
  const int width = frame.width, height = frame.height;
  auto keepPace = [&] {
    if (swapInterval >= 1) WaitForRetraceBySleeping(swapInterval);
  };
  if (presenter_ == nullptr || window_ == nullptr) {
    // The window is gone; the program runs on until it notices, at the board's pace.
    keepPace();
    return;
  }
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) {
    // Nothing to see, and a minimised window may not wait for the retrace.
    keepPace();
    return;
  }
  // SDL hears nothing when another program resizes its window: ask every frame.
  if (foreign_ && desktop::RefreshForeignWindowSize(window_) == desktop::ForeignWindowState::Gone) {
    // The other program has destroyed its window: SDL must not touch it again.
    StopDrawing();
    keepPace();
    return;
  }
  int pitchBytes = 0;
  uint32_t* target = presenter_->FrameBuffer(width, height, &pitchBytes);
  if (target == nullptr) return;
  for (int y = 0; y < height; ++y) {
    frame.ConvertRow(Gamma(), y,
                     reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target) +
                                                 static_cast<size_t>(y) * pitchBytes));
  }
  int outputWidth = 0;
  int outputHeight = 0;
  presenter_->OutputSize(&outputWidth, &outputHeight);
  const PixelRect fit = LetterboxRect(outputWidth, outputHeight, width, height);
  const desktop::Rect where{fit.x, fit.y, fit.width, fit.height};

  const bool retraceWaits = presenter_->SetVsync(swapInterval >= 1);
  if (swapInterval >= 1 && (!retraceWaits || PaceBySleeping(ScreenRefreshHz(), refreshHz_))) {
    // Held to the board's rate; a presenter that waits for the retrace then
    // shows the frame at the screen's next one.
    WaitForRetraceBySleeping(swapInterval);
    presenter_->Show(where, 1);
    return;
  }
  // The presenter waits for one retrace per present: showing the frame n
  // times waits for n.
  presenter_->Show(where, std::clamp(swapInterval, 1, 255));
}

std::unique_ptr<Display> CreateWindowDisplay(bool fullScreen, std::optional<CaptureSettings> capture) {
  return std::make_unique<SdlDisplay>(fullScreen, std::move(capture));
}

}  // namespace gfx
