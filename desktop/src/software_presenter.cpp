// software_presenter.cpp — frames scaled by our own code into the window's
// surface (on X11 a shared-memory image the server copies from), for where
// SDL's renderer would run on the CPU anyway and cost several times more.
//
// The surface keeps what was drawn into it, so the black bars are drawn only
// when the surface or the picture's place changes, and only the picture's
// rectangle is sent to the server after that.
#include <SDL.h>

#include <cstring>
#include <vector>

#include "desktop/scaler.h"
#include "presenters.h"

namespace desktop {
namespace {

class SoftwarePresenter final : public Presenter {
 public:
  explicit SoftwarePresenter(SDL_Window* window) : window_(window) {}

  bool Software() const override { return true; }

  void OutputSize(int* width, int* height) override { SDL_GetWindowSize(window_, width, height); }

  uint32_t* FrameBuffer(int width, int height, int* pitchBytes) override {
    if (width <= 0 || height <= 0) return nullptr;
    frame_.resize(static_cast<size_t>(width) * height);
    frameWidth_ = width;
    frameHeight_ = height;
    *pitchBytes = width * static_cast<int>(sizeof(uint32_t));
    return frame_.data();
  }

  void Show(const Rect& fit, int) override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr || frame_.empty()) return;
    const Rect clipped = Clip(fit, surface);
    const bool direct = surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0x00FF0000 &&
                        surface->format->Gmask == 0x0000FF00 && surface->format->Bmask == 0x000000FF;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    const bool layoutChanged = surface != lastSurface_ || surface->w != lastSurfaceWidth_ ||
                               surface->h != lastSurfaceHeight_ || !SameRect(clipped, lastFit_);
    if (layoutChanged) SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    if (clipped.width > 0 && clipped.height > 0) {
      uint32_t* target;
      int targetPitch;
      if (direct) {
        target = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                             static_cast<size_t>(clipped.y) * surface->pitch) +
                 clipped.x;
        targetPitch = surface->pitch / 4;
      } else {
        scaled_.resize(static_cast<size_t>(clipped.width) * clipped.height);
        target = scaled_.data();
        targetPitch = clipped.width;
      }
      const ScaleJob job{frame_.data(), frameWidth_,   frameHeight_,   frameWidth_,
                         target,        clipped.width, clipped.height, targetPitch};
      const bool wholeMultiple = fit.width % frameWidth_ == 0 && fit.height % frameHeight_ == 0 &&
                                 fit.width / frameWidth_ == fit.height / frameHeight_;
      if (fit.width == frameWidth_ && fit.height == frameHeight_) {
        // A frame drawn at the size it is shown at (the Glide library's
        // native scale): a copy.
        for (int y = 0; y < clipped.height; ++y)
          std::memcpy(target + static_cast<size_t>(y) * targetPitch,
                      frame_.data() + static_cast<size_t>(y) * frameWidth_, sizeof(uint32_t) * clipped.width);
      } else if (wholeMultiple) {
        scaler_.Nearest(job);
      } else {
        scaler_.Bilinear(job);
      }
      if (!direct) {
        SDL_ConvertPixels(clipped.width, clipped.height, SDL_PIXELFORMAT_ARGB8888, scaled_.data(),
                          clipped.width * 4, surface->format->format,
                          static_cast<uint8_t*>(surface->pixels) +
                              static_cast<size_t>(clipped.y) * surface->pitch +
                              static_cast<size_t>(clipped.x) * surface->format->BytesPerPixel,
                          surface->pitch);
      }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (layoutChanged) {
      SDL_UpdateWindowSurface(window_);
    } else {
      const SDL_Rect area{clipped.x, clipped.y, clipped.width, clipped.height};
      SDL_UpdateWindowSurfaceRects(window_, &area, 1);
    }
    lastSurface_ = surface;
    lastSurfaceWidth_ = surface->w;
    lastSurfaceHeight_ = surface->h;
    lastFit_ = clipped;
  }

  void Fill(const Rect& rect, uint32_t colourRef) override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) return;
    const SDL_Rect area{rect.x, rect.y, rect.width, rect.height};
    SDL_FillRect(
        surface, &area,
        SDL_MapRGB(surface->format, colourRef & 0xFF, (colourRef >> 8) & 0xFF, (colourRef >> 16) & 0xFF));
    SDL_UpdateWindowSurface(window_);
    lastSurface_ = nullptr;  // the picture's surroundings must be drawn again
  }

  bool SetVsync(bool wanted) override { return !wanted; }

 private:
  static Rect Clip(const Rect& rect, const SDL_Surface* surface) {
    Rect out = rect;
    if (out.x < 0 || out.y < 0 || out.x + out.width > surface->w || out.y + out.height > surface->h) {
      // A window that shrank after the size was asked: draw nothing this time.
      out.width = out.height = 0;
    }
    return out;
  }
  static bool SameRect(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
  }

  SDL_Window* window_;
  std::vector<uint32_t> frame_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  std::vector<uint32_t> scaled_;
  Scaler scaler_;
  SDL_Surface* lastSurface_ = nullptr;
  int lastSurfaceWidth_ = 0;
  int lastSurfaceHeight_ = 0;
  Rect lastFit_{};
};

}  // namespace

std::unique_ptr<Presenter> CreateSoftwarePresenter(SDL_Window* window) {
  if (SDL_GetWindowSurface(window) == nullptr) return nullptr;
  return std::make_unique<SoftwarePresenter>(window);
}

}  // namespace desktop
