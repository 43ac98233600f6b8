// win32_display.h — the picture on screen on Windows: in the platform's
// window (the saver's top-most pop-up, or the preview's child window), in a
// child window of its own inside another program's window (a preview the
// program draws without a window of its own), or in a window of its own;
// scaled to fit with its 4:3 shape kept, the board's gamma applied, held to
// the board's refresh rate.
//
// Presented with GDI (StretchDIBits): a frame is a 640x480 picture the
// software pipeline has already drawn, so all that is left is one scaled
// copy, which the system's compositor does without tearing. No device,
// driver or runtime beyond the system's own is needed, so the same code runs
// on any Windows and under Wine on a virtual X server (CI).
#pragma once

#include <cstdint>
#include <vector>

#include "frame_display.h"
#include "pacing.h"

namespace gfx {

class Win32Display final : public FrameDisplay {
 public:
  Win32Display(bool fullScreen, std::optional<CaptureSettings> capture);
  ~Win32Display() override;
  Win32Display(const Win32Display&) = delete;
  Win32Display& operator=(const Win32Display&) = delete;

  bool Open(const DisplayConfig& config) override;
  void Close() override;
  // The window's client area: what GLIDE_SCALE=native fits.
  bool OutputSize(int* width, int* height) const override;

 protected:
  void Show(const FrameView& frame, int swapInterval) override;

 private:
  void KeepPace(int swapInterval);

  const bool fullScreen_;
  uintptr_t window_ = 0;  // HWND
  bool ownWindow_ = false;
  int refreshHz_ = 60;
  FrameSchedule schedule_;
  std::vector<uint32_t> frame_;
};

}  // namespace gfx
