// dither.h — 8-bit channels to RGB565: 4x4 or 2x2 ordered dither on the
// physical pixel position, or truncation when dithering is off.
#pragma once

#include <cstdint>

namespace gfx::raster {

inline constexpr uint8_t kDither4x4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
// The 2x2 matrix of the emulator whose tables agree with the 4x4 formulas.
inline constexpr uint8_t kDither2x2[2][2] = {{2, 10}, {14, 6}};

inline uint16_t Dither565(int r, int g, int b, int x, int y, int ditherMode) {
  if (ditherMode == 0) return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
  int d = ditherMode == 1 ? kDither2x2[y & 1][x & 1] : kDither4x4[y & 3][x & 3];
  int r5 = (2 * r - (r >> 4) + (r >> 7) + d) >> 4;
  int g6 = (4 * g - (g >> 4) + (g >> 6) + d) >> 4;
  int b5 = (2 * b - (b >> 4) + (b >> 7) + d) >> 4;
  return static_cast<uint16_t>(r5 << 11 | g6 << 5 | b5);
}

// 8-bit channels kept as they are, for a buffer of 8 bits a channel: no dither.
inline uint32_t Pack8888(int r, int g, int b) {
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

}  // namespace gfx::raster
