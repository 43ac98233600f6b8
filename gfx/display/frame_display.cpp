// frame_display.cpp — the part of presenting a frame all displays share.
#include "frame_display.h"

#include "desktop/hooks.h"

namespace gfx {

FrameDisplay::FrameDisplay(std::optional<CaptureSettings> capture) {
  if (capture) capture_.emplace(std::move(*capture));
}

void FrameDisplay::Present(const uint16_t* pixels, int width, int height, int strideInPixels,
                           int swapInterval) {
  const bool valid = pixels != nullptr && width > 0 && height > 0 && strideInPixels >= width;
  const uint64_t frame = desktop::NextShownFrame();
  lastShownFrame_ = frame;
  if (valid) {
    Show(pixels, width, height, strideInPixels, swapInterval);
    if (capture_ && capture_->Due(frame)) {
      captureRgb_.resize(static_cast<size_t>(width) * height);
      for (int y = 0; y < height; ++y) {
        gamma_.ConvertRow(pixels + static_cast<size_t>(y) * strideInPixels, width,
                          captureRgb_.data() + static_cast<size_t>(y) * width);
      }
      capture_->Write(frame, captureRgb_.data(), width, height);
    }
  }
  desktop::NotifyFrameShown(frame);
}

}  // namespace gfx
