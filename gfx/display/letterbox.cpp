// letterbox.cpp — fitting the picture into the window, its shape kept.
#include "letterbox.h"

#include <cstdint>

namespace gfx {

PixelRect LetterboxRect(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight) {
  if (windowWidth <= 0 || windowHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
  // Compare the two shapes exactly: window wider than the picture means bars
  // at the sides, otherwise bars above and below.
  const int64_t wideSide = int64_t{windowWidth} * pictureHeight;
  const int64_t tallSide = int64_t{windowHeight} * pictureWidth;
  PixelRect rect;
  if (wideSide > tallSide) {
    rect.height = windowHeight;
    rect.width = static_cast<int>((int64_t{windowHeight} * pictureWidth + pictureHeight / 2) / pictureHeight);
  } else {
    rect.width = windowWidth;
    rect.height = static_cast<int>((int64_t{windowWidth} * pictureHeight + pictureWidth / 2) / pictureWidth);
  }
  if (rect.width > windowWidth) rect.width = windowWidth;
  if (rect.height > windowHeight) rect.height = windowHeight;
  rect.x = (windowWidth - rect.width) / 2;
  rect.y = (windowHeight - rect.height) / 2;
  return rect;
}

}  // namespace gfx
