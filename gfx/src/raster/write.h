// write.h — depth: the 16-bit floating w of the w-buffer and the z-buffer
// value, bias, the depth compare; and the final colour and aux writes.
#pragma once

#include <cstdint>

#include "pipeline.h"

namespace gfx::raster {

// 16-bit floating w from oow: 4-bit count of leading zeros after the binary
// point, then the inverted 12 bits after the leading one, plus one. Bigger is
// farther; oow >= 1 (or negative, or NaN) gives 0, oow < 2^-16 gives 0xFFFF.
inline int WFloat(float oow) {
  uint32_t bits = FloatBits(oow);
  int exponent = static_cast<int>(bits >> 23);  // the sign bit lands above the exponent
  if (exponent >= 127) return 0;
  if (exponent < 111) return 0xFFFF;
  int zeros = 126 - exponent;
  int mantissa = (bits >> 11) & 0xFFF;
  int wf = (zeros << 12) + (~mantissa & 0xFFF) + 1;
  return wf > 0xFFFF ? 0xFFFF : wf;
}

// z-buffer value from the iterated ooz, clamped to 16 bits.
inline int ZValue(float ooz) {
  int z = FloorClamped(MinPs(MaxPs(ooz, -1.0f), 65536.0f));
  return z < 0 ? 0 : (z > 0xFFFF ? 0xFFFF : z);
}

// The value compared and written for GrDepthBufferMode_t mode (1 z, 2 w,
// 3 and 4 the same compared against the bias).
inline int DepthValue(int mode, int wFloat, int z, int bias) {
  int v = (mode == 2 || mode == 4) ? wFloat : z;
  if (mode == 1 || mode == 2) v += bias;
  return v < 0 ? 0 : (v > 0xFFFF ? 0xFFFF : v);
}

}  // namespace gfx::raster
