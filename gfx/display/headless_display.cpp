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

void HeadlessDisplay::Show(const uint16_t* pixels, int width, int height, int strideInPixels, int) {
  frameWidth_ = width;
  frameHeight_ = height;
  frame_.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const uint16_t* row = pixels + static_cast<size_t>(y) * strideInPixels;
    std::copy(row, row + width, frame_.begin() + static_cast<ptrdiff_t>(y) * width);
  }
}

}  // namespace gfx
