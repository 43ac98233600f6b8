// gpu_presenter.cpp — frames through SDL's accelerated renderer: one
// streaming texture drawn into the picture's rectangle, nearest sampling at a
// whole multiple (every pixel a crisp block), bilinear otherwise (nearest at
// a fractional factor makes some pixels a screen pixel wider than their
// neighbours, which shimmers as the scene moves).
#include <SDL.h>

#include <algorithm>

#include "presenters.h"

namespace desktop {
namespace {

class GpuPresenter final : public Presenter {
 public:
  explicit GpuPresenter(SDL_Renderer* renderer) : renderer_(renderer) {}
  ~GpuPresenter() override {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    SDL_DestroyRenderer(renderer_);
  }

  bool Software() const override { return false; }

  void OutputSize(int* width, int* height) override { SDL_GetRendererOutputSize(renderer_, width, height); }

  uint32_t* FrameBuffer(int width, int height, int* pitchBytes) override {
    if (!PrepareTexture(width, height)) return nullptr;
    void* pixels = nullptr;
    if (SDL_LockTexture(texture_, nullptr, &pixels, pitchBytes) != 0) return nullptr;
    locked_ = true;
    return static_cast<uint32_t*>(pixels);
  }

  void Show(const Rect& fit, int presents) override {
    if (texture_ == nullptr) return;
    if (locked_) SDL_UnlockTexture(texture_);
    locked_ = false;
    const bool wholeMultiple = fit.width % textureWidth_ == 0 && fit.height % textureHeight_ == 0 &&
                               fit.width / textureWidth_ == fit.height / textureHeight_;
    const int scaleMode = wholeMultiple ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
    if (scaleMode != scaleMode_) {
      SDL_SetTextureScaleMode(texture_, static_cast<SDL_ScaleMode>(scaleMode));
      scaleMode_ = scaleMode;
    }
    // The back buffer's content is undefined after a present, so each present draws the frame again.
    const SDL_Rect destination{fit.x, fit.y, fit.width, fit.height};
    for (int i = 0; i < std::clamp(presents, 1, 255); ++i) {
      SDL_RenderSetViewport(renderer_, nullptr);
      SDL_RenderSetClipRect(renderer_, nullptr);
      SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
      SDL_RenderClear(renderer_);
      SDL_RenderCopy(renderer_, texture_, nullptr, &destination);
      SDL_RenderPresent(renderer_);
    }
  }

  void Fill(const Rect& rect, uint32_t colourRef) override {
    SDL_SetRenderDrawColor(renderer_, colourRef & 0xFF, (colourRef >> 8) & 0xFF, (colourRef >> 16) & 0xFF,
                           255);
    const SDL_Rect area{rect.x, rect.y, rect.width, rect.height};
    SDL_RenderFillRect(renderer_, &area);
    SDL_RenderPresent(renderer_);
  }

  bool SetVsync(bool wanted) override {
    const int state = wanted ? 1 : 0;
    if (vsync_ != state) {
      vsync_ = state;
      vsyncWorks_ = SDL_RenderSetVSync(renderer_, state) == 0 || !wanted;
    }
    return vsyncWorks_;
  }

 private:
  bool PrepareTexture(int width, int height) {
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

  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  bool locked_ = false;
  int scaleMode_ = -1;
  int vsync_ = -1;
  bool vsyncWorks_ = true;
};

}  // namespace

std::unique_ptr<Presenter> CreateGpuPresenter(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
  if (renderer == nullptr) return nullptr;
  // Making an OpenGL renderer can make SDL replace the X window behind the
  // SDL window, and the new one shows the pointer again; SDL still believes
  // it hidden and would skip a second hide.
  if (SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE) {
    SDL_ShowCursor(SDL_ENABLE);
    SDL_ShowCursor(SDL_DISABLE);
  }
  return std::make_unique<GpuPresenter>(renderer);
}

}  // namespace desktop
