// fog.h — fog: the blend factor from w (64-entry table, interpolated), from
// iterated alpha or from iterated z, and the blend towards the fog colour.
#pragma once

#include <glide.h>

#include "combine.h"
#include "pipeline.h"

namespace gfx::raster {

// Per-state table steps as the hardware keeps them: ((next - this) * 4) & 0xFF.
void BuildFogDeltas(const uint8_t table[64], uint8_t delta[64]);

// Fog factor from the 16-bit floating w (see write.h): entry = top 6 bits,
// the next 8 bits interpolate towards the following entry.
inline int FogFromW(const Derived& d, int wFloat) {
  int index = wFloat >> 10, fraction = (wFloat >> 2) & 0xFF;
  int fog = d.fogTable[index] + ((d.fogDelta[index] * fraction) >> 10);
  return fog > 255 ? 255 : fog;
}

// The fog source of a GrFogMode_t, without the MULT2 and ADD2 modifier bits.
constexpr int kFogSourceMask = 0xFF;

// Fog factor of the state's mode, or -1 when fog is off.
inline int FogFactor(const Derived& d, int wFloat, int iteratedAlpha, int depthByte) {
  switch (d.state.fog.mode & kFogSourceMask) {
    case GR_FOG_WITH_ITERATED_ALPHA:
      return iteratedAlpha;
    case GR_FOG_WITH_TABLE:
      return FogFromW(d, wFloat);
    case GR_FOG_WITH_ITERATED_Z:
      return depthByte;
    default:  // GR_FOG_DISABLE
      return -1;
  }
}

// out = c + (fog colour - c) * (factor + 1) / 256; MULT2 keeps only the fog
// term, ADD2 treats the fog colour as black. Alpha is untouched.
inline void ApplyFog(const Derived& d, int factor, Rgba* c) {
  uint32_t colour = d.state.fog.colour;
  int mode = d.state.fog.mode;
  int fogC[3] = {static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                 static_cast<int>(colour & 0xFF)};
  int* channel[3] = {&c->r, &c->g, &c->b};
  for (int i = 0; i < 3; ++i) {
    int fc = (mode & GR_FOG_ADD2) ? 0 : fogC[i];
    int v = *channel[i];
    int out = (mode & GR_FOG_MULT2) ? (fc * (factor + 1)) >> 8 : v + (((fc - v) * (factor + 1)) >> 8);
    *channel[i] = Clamp255(out);
  }
}

}  // namespace gfx::raster
