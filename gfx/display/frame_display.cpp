// frame_display.cpp — the part of presenting a frame all displays share.
#include "frame_display.h"

#include "desktop/hooks.h"

namespace gfx {

FrameDisplay::FrameDisplay(std::optional<CaptureSettings> capture) {
  if (capture) capture_.emplace(std::move(*capture));
}

void FrameDisplay::Present(const uint16_t* pixels, int width, int height, int strideInPixels,
                           int swapInterval) {
  PresentFrame(FrameView{pixels, nullptr, width, height, strideInPixels}, swapInterval);
}

void FrameDisplay::Present32(const uint32_t* pixels, int width, int height, int strideInPixels,
                             int swapInterval) {
  PresentFrame(FrameView{nullptr, pixels, width, height, strideInPixels}, swapInterval);
}

void FrameDisplay::PresentFrame(const FrameView& frame, int swapInterval) {
  const int width = frame.width, height = frame.height;
  const bool valid = (frame.pixels16 != nullptr || frame.pixels32 != nullptr) && width > 0 && height > 0 &&
                     frame.stride >= width;
  const uint64_t shown = desktop::NextShownFrame();
  lastShownFrame_ = shown;
  if (valid) {
    Show(frame, swapInterval);
    if (capture_ && capture_->Due(shown)) {
      captureRgb_.resize(static_cast<size_t>(width) * height);
      for (int y = 0; y < height; ++y)
        frame.ConvertRow(gamma_, y, captureRgb_.data() + static_cast<size_t>(y) * width);
      capture_->Write(shown, captureRgb_.data(), width, height);
    }
  }
  desktop::NotifyFrameShown(shown);
}

}  // namespace gfx
