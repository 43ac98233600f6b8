// letterbox.h — where the picture goes in a window of any size: as large as
// fits, its shape kept, centred, the rest left black.
#pragma once

namespace gfx {

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

// The largest rectangle of the picture's shape inside the window, centred.
// Empty for an empty window or picture.
PixelRect LetterboxRect(int windowWidth, int windowHeight, int pictureWidth = 640, int pictureHeight = 480);

}  // namespace gfx
