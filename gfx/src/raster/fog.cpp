// fog.cpp — per-state fog table preparation.
#include "fog.h"

namespace gfx::raster {

void BuildFogDeltas(const uint8_t table[64], uint8_t delta[64]) {
  for (int i = 0; i < 63; ++i) delta[i] = static_cast<uint8_t>(((table[i + 1] - table[i]) * 4) & 0xFF);
  delta[63] = 0;
}

}  // namespace gfx::raster
