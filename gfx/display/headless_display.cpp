// headless_display.cpp — keeps the shown frame in memory.
#include "headless_display.h"

#include <algorithm>

namespace gfx {

bool HeadlessDisplay::Open(const DisplayConfig& config) {
  if (config.width <= 0 || config.height <= 0) return false;
  frameWidth_ = config.width;
  frameHeight_ = config.height;
  frame_.assign(static_cast<size_t>(config.width) * config.height, 0);
  open_ = true;
  return true;
}

void HeadlessDisplay::Close() {
  open_ = false;
}

void HeadlessDisplay::Show(const FrameView& frame, int) {
  frameWidth_ = frame.width;
  frameHeight_ = frame.height;
  const size_t count = static_cast<size_t>(frame.width) * frame.height;
  if (frame.pixels32 == nullptr) {
    frame32_.clear();
    frameStale_ = false;
    frame_.resize(count);
    for (int y = 0; y < frame.height; ++y) {
      const uint16_t* row = frame.pixels16 + static_cast<size_t>(y) * frame.stride;
      std::copy(row, row + frame.width, frame_.begin() + static_cast<ptrdiff_t>(y) * frame.width);
    }
    return;
  }
  frame32_.resize(count);
  for (int y = 0; y < frame.height; ++y) {
    const uint32_t* row = frame.pixels32 + static_cast<size_t>(y) * frame.stride;
    std::copy(row, row + frame.width, frame32_.begin() + static_cast<ptrdiff_t>(y) * frame.width);
  }
  frameStale_ = true;
}

const std::vector<uint16_t>& HeadlessDisplay::Frame() const {
  if (frameStale_) {
    frameStale_ = false;
    frame_.resize(frame32_.size());
    for (size_t i = 0; i < frame32_.size(); ++i) {
      const uint32_t p = frame32_[i];
      frame_[i] = static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
    }
  }
  return frame_;
}

}  // namespace gfx
