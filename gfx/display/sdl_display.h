// sdl_display.h — the picture on screen through SDL2: in the host's window or
// one of the library's own, full screen or windowed, scaled to fit with its
// 4:3 shape kept, the board's gamma applied, paced by the vertical retrace
// at the board's refresh rate.
#pragma once

#include <cstdint>

#include "frame_display.h"
#include "letterbox.h"
#include "pacing.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace gfx {

class SdlDisplay final : public FrameDisplay {
 public:
  SdlDisplay(bool fullScreen, std::optional<CaptureSettings> capture);
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // Starts SDL video (counted with the host's own use), finds or opens the
  // window and its renderer. False, with the reason on stderr, when SDL
  // cannot give either.
  bool Open(const DisplayConfig& config) override;
  void Close() override;

  SDL_Window* Window() const { return window_; }

 protected:
  void Show(const uint16_t* pixels, int width, int height, int strideInPixels, int swapInterval) override;

 private:
  bool PrepareTexture(int width, int height);
  void UploadFrame(const uint16_t* pixels, int width, int height, int strideInPixels);
  void DrawAndPresent(const PixelRect& fit);
  void SetVsync(bool wanted);
  int ScreenRefreshHz() const;  // of the screen showing the window; 0 when unknown
  void WaitForRetraceBySleeping(int swapInterval);
  void ForgetRenderer();  // the host is destroying the window
  void StopDrawing();     // drops the texture; no more drawing into the window

  const bool fullScreen_;
  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  bool ownWindow_ = false;
  bool foreign_ = false;
  SDL_Renderer* renderer_ = nullptr;
  uint64_t rendererTicket_ = 0;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  int scaleMode_ = -1;
  int vsync_ = -1;  // -1 unknown, 0 off, 1 on
  bool vsyncUnsupported_ = false;
  int refreshHz_ = 60;
  FrameSchedule schedule_;
  int savedCursor_ = -1;
};

}  // namespace gfx
