// clear.h — a buffer clear as the queue draws it: any rows of it at a time,
// so that a band is cleared while it is in the cache, just before the
// triangles on it are drawn.
#pragma once

#include <cstdint>

#include "pipeline.h"
#include "setup.h"

namespace gfx::raster {

struct ClearJob {
  ClipWindow clip;      // the pixels cleared
  uint32_t colour = 0;  // 0xRRGGBB
  uint16_t aux = 0;     // the depth or alpha value of the auxiliary buffer
  int ditherMode = 0;   // of the 16-bit colour
  bool writeColour = false, writeAux = false;
};

// Clears rows [from, to) of the job's clip window in target.
void ClearRows(const ClearJob& job, const Framebuffer& target, int from, int to);

}  // namespace gfx::raster
