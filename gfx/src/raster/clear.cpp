// clear.cpp — clearing rows of the colour and auxiliary buffers.
#include "clear.h"

#include <algorithm>
#include <cstring>

#include "dither.h"

namespace gfx::raster {

void ClearRows(const ClearJob& job, const Framebuffer& target, int from, int to) {
  const int x0 = job.clip.x0, x1 = job.clip.x1;
  const int top = std::max(from, job.clip.y0), bottom = std::min(to, job.clip.y1);
  if (x0 >= x1 || top >= bottom) return;
  const bool writeAux = job.writeAux && target.depth != nullptr;
  // Dither patterns repeat every four rows and columns, so the first four
  // rows are built pixel by pixel and every later row is a copy of the row
  // four above it (the aux value of the row above it).
  const int r = (job.colour >> 16) & 0xFF, g = (job.colour >> 8) & 0xFF, b = job.colour & 0xFF;
  const ptrdiff_t stride = target.stride;
  const size_t rowBytes = static_cast<size_t>(x1 - x0) * sizeof(uint16_t);
  const uint32_t wide = Pack8888(r, g, b);  // 8 bits a channel: no dither
  for (int y = top; y < bottom; ++y) {
    if (job.writeColour && target.colour32) {
      uint32_t* colourRow = target.colour32 + y * stride;
      if (y == top)
        std::fill(colourRow + x0, colourRow + x1, wide);
      else
        std::memcpy(colourRow + x0, colourRow - stride + x0, rowBytes * 2);
    } else if (job.writeColour) {
      uint16_t* colourRow = target.colour + y * stride;
      if (y - top < 4) {
        uint16_t pattern[4];
        for (int k = 0; k < 4; ++k) pattern[k] = Dither565(r, g, b, k, y, job.ditherMode);
        for (int x = x0; x < x1; ++x) colourRow[x] = pattern[x & 3];
      } else {
        std::memcpy(colourRow + x0, colourRow - 4 * stride + x0, rowBytes);
      }
    }
    if (writeAux) {
      uint16_t* auxRow = target.depth + y * stride;
      if (y == top)
        std::fill(auxRow + x0, auxRow + x1, job.aux);
      else
        std::memcpy(auxRow + x0, auxRow - stride + x0, rowBytes);
    }
  }
}

}  // namespace gfx::raster
