// sdl_display.cpp — presenting frames through an SDL renderer.
//
// Scaling: the frame is one streaming texture drawn into the letterbox
// rectangle. When the window holds the picture at a whole multiple of its
// size the texture is scaled with nearest sampling (every pixel stays a crisp
// block); at any other size it is scaled bilinearly, since nearest sampling at
// a fractional factor makes some source pixels one screen pixel wider than
// their neighbours, which shimmers as the scene moves.
#include "sdl_display.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "foreign_size.h"
#include "host_hooks.h"
#include "letterbox.h"
#include "pacing.h"

namespace gfx {

SdlDisplay::SdlDisplay(bool fullScreen, std::optional<CaptureSettings> capture)
    : FrameDisplay(std::move(capture)), fullScreen_(fullScreen) {}

SdlDisplay::~SdlDisplay() {
  Close();
}

bool SdlDisplay::Open(const DisplayConfig& config) {
  Close();
  if (config.width <= 0 || config.height <= 0) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "glide: cannot start SDL video: %s\n", SDL_GetError());
    return false;
  }
  videoStarted_ = true;
  refreshHz_ = config.refreshHz > 0 ? config.refreshHz : 60;

  const host::WindowTarget target = host::ResolveWindow(config.windowHandle);
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
    SDL_Rect desktop;
    if (fullScreen_) {
      flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
      // Made as large as the screen from the start, so that the picture also
      // fills it where no window manager honours the full-screen request.
      if (SDL_GetDisplayBounds(0, &desktop) == 0) {
        x = desktop.x;
        y = desktop.y;
        width = desktop.w;
        height = desktop.h;
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

  renderer_ = host::RendererFor(window_, foreign_);
  if (renderer_ == nullptr) {
    std::fprintf(stderr, "glide: cannot draw into the window: %s\n", SDL_GetError());
    Close();
    return false;
  }
  rendererTicket_ = host::WatchRenderer(window_, [this] { ForgetRenderer(); });
  host::MarkDisplayOn(window_, true);

  if (fullScreen_ && !foreign_) {
    savedCursor_ = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_DISABLE);
  }
  if (ownWindow_) SDL_RaiseWindow(window_);
  return true;
}

void SdlDisplay::Close() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  textureWidth_ = textureHeight_ = 0;
  scaleMode_ = -1;
  vsync_ = -1;
  vsyncUnsupported_ = false;
  if (rendererTicket_ != 0) host::ForgetRendererUser(rendererTicket_);
  rendererTicket_ = 0;
  if (renderer_ != nullptr) host::MarkDisplayOn(window_, false);
  if (ownWindow_ && window_ != nullptr) {
    host::ReleaseRenderer(window_);
    SDL_DestroyWindow(window_);
  }
  renderer_ = nullptr;
  window_ = nullptr;
  ownWindow_ = false;
  foreign_ = false;
  if (savedCursor_ >= 0) SDL_ShowCursor(savedCursor_);
  savedCursor_ = -1;
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted_ = false;
}

void SdlDisplay::ForgetRenderer() {
  // SDL destroys the renderer's textures with it; drop ours first so nothing dangles.
  StopDrawing();
  rendererTicket_ = 0;
  if (!ownWindow_) window_ = nullptr;
}

void SdlDisplay::StopDrawing() {
  if (renderer_ == nullptr) return;
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  host::MarkDisplayOn(window_, false);
  renderer_ = nullptr;
}

bool SdlDisplay::PrepareTexture(int width, int height) {
  if (texture_ != nullptr && textureWidth_ == width && textureHeight_ == height) return true;
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  texture_ =
      SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (texture_ == nullptr) return false;
  textureWidth_ = width;
  textureHeight_ = height;
  scaleMode_ = -1;
  return true;
}

void SdlDisplay::UploadFrame(const uint16_t* pixels, int width, int height, int strideInPixels) {
  void* data = nullptr;
  int pitchBytes = 0;
  if (SDL_LockTexture(texture_, nullptr, &data, &pitchBytes) != 0) return;
  for (int y = 0; y < height; ++y) {
    Gamma().ConvertRow(
        pixels + static_cast<size_t>(y) * strideInPixels, width,
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data) + static_cast<size_t>(y) * pitchBytes));
  }
  SDL_UnlockTexture(texture_);
}

void SdlDisplay::SetVsync(bool wanted) {
  const int state = wanted ? 1 : 0;
  if (vsync_ == state) return;
  vsync_ = state;
  vsyncUnsupported_ = SDL_RenderSetVSync(renderer_, state) != 0 && wanted;
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

void SdlDisplay::Show(const uint16_t* pixels, int width, int height, int strideInPixels, int swapInterval) {
  if (renderer_ == nullptr || window_ == nullptr) {
    // The window is gone; the program runs on until it notices, at the board's pace.
    if (swapInterval >= 1) WaitForRetraceBySleeping(swapInterval);
    return;
  }
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) {
    // Nothing to see, and a minimised window may not wait for the retrace:
    // keep the pace without drawing.
    if (swapInterval >= 1) WaitForRetraceBySleeping(swapInterval);
    return;
  }
  // SDL tells nothing when another program resizes its window: ask every frame.
  if (foreign_ && RefreshForeignWindowSize(window_) == ForeignWindowState::Gone) {
    // The other program has destroyed its window: SDL must not touch it again.
    StopDrawing();
    if (swapInterval >= 1) WaitForRetraceBySleeping(swapInterval);
    return;
  }
  if (!PrepareTexture(width, height)) return;
  UploadFrame(pixels, width, height, strideInPixels);

  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
  const PixelRect fit = LetterboxRect(outputWidth, outputHeight, width, height);
  const bool wholeMultiple =
      fit.width % width == 0 && fit.height % height == 0 && fit.width / width == fit.height / height;
  const int scaleMode = wholeMultiple ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
  if (scaleMode != scaleMode_) {
    SDL_SetTextureScaleMode(texture_, static_cast<SDL_ScaleMode>(scaleMode));
    scaleMode_ = scaleMode;
  }

  SetVsync(swapInterval >= 1);
  if (swapInterval >= 1 && (vsyncUnsupported_ || PaceBySleeping(ScreenRefreshHz(), refreshHz_))) {
    // Held to the board's rate; a renderer that waits for the retrace then
    // shows the frame at the screen's next one.
    WaitForRetraceBySleeping(swapInterval);
    DrawAndPresent(fit);
    return;
  }
  // The renderer waits for one retrace per present: showing the frame n
  // times waits for n. The back buffer's content is undefined after a
  // present, so each present draws the frame again.
  const int presents = std::clamp(swapInterval, 1, 255);
  for (int i = 0; i < presents; ++i) DrawAndPresent(fit);
}

void SdlDisplay::DrawAndPresent(const PixelRect& fit) {
  SDL_RenderSetViewport(renderer_, nullptr);
  SDL_RenderSetClipRect(renderer_, nullptr);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect destination{fit.x, fit.y, fit.width, fit.height};
  SDL_RenderCopy(renderer_, texture_, nullptr, &destination);
  SDL_RenderPresent(renderer_);
}

}  // namespace gfx
