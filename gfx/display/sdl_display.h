// sdl_display.h — the picture on screen through the desktop session: in the
// host's window or one of the library's own, full screen or windowed, scaled
// to fit with its 4:3 shape kept, the board's gamma applied, paced by the
// vertical retrace at the board's refresh rate (or by sleeping where the
// presenter cannot wait for it).
#pragma once

#include <cstdint>

#include "desktop/monitor_blanks.h"
#include "frame_display.h"
#include "letterbox.h"
#include "pacing.h"

struct SDL_Window;

namespace desktop {
class Presenter;
}

namespace gfx {

class SdlDisplay final : public FrameDisplay {
 public:
  SdlDisplay(bool fullScreen, std::optional<CaptureSettings> capture);
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // Starts SDL video (counted with the host's own use), finds or opens the
  // window and its presenter. False, with the reason on stderr, when SDL
  // cannot give either.
  bool Open(const DisplayConfig& config) override;
  void Close() override;
  bool OutputSize(int* width, int* height) const override;

  SDL_Window* Window() const { return window_; }
  desktop::Presenter* Presenter() const { return presenter_; }

 protected:
  void Show(const FrameView& frame, int swapInterval) override;

 private:
  int ScreenRefreshHz() const;  // of the screen showing the window; 0 when unknown
  void WaitForRetraceBySleeping(int swapInterval);
  void ForgetPresenter();  // the host is destroying the window
  void StopDrawing();      // no more drawing into the window

  const bool fullScreen_;
  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  bool ownWindow_ = false;
  bool foreign_ = false;
  desktop::Presenter* presenter_ = nullptr;
  uint64_t presenterTicket_ = 0;
  int refreshHz_ = 60;
  FrameSchedule schedule_;
  int savedCursor_ = -1;
  desktop::MonitorBlanks blanks_;  // over the other monitors, while our own full-screen window shows
};

}  // namespace gfx
