// test_util.h — small helpers shared by the pipeline tests: a flat-colour
// state, vertex shorthand and pixel accessors.
#pragma once

#include <cstdint>

#include "raster.h"
#include "scenes.h"

namespace gfx::testing {

using scenes::Canvas;

// The pixel tests read the canvas straight after drawing, so they draw on
// the calling thread and finish each triangle; the thread tests set their
// counts themselves.
class Rasterizer : public gfx::Rasterizer {
 public:
  Rasterizer() { SetThreadCount(1); }
  void DrawTriangle(const VertexIn& a, const VertexIn& b, const VertexIn& c, const Framebuffer& target) {
    gfx::Rasterizer::DrawTriangle(a, b, c, target);
    Finish();
  }
};

inline VertexIn V(float x, float y, float oow = 1.0f, float sow = 0.0f, float tow = 0.0f) {
  VertexIn v{};
  v.x = x;
  v.y = y;
  v.oow = oow;
  v.sow0 = sow;
  v.tow0 = tow;
  return v;
}

// Colour = constant colour, no texture, no dither, no depth.
inline RasterState FlatState(uint32_t argb) {
  RasterState st;
  st.colour = CombineUnit{1, 0, 1, 0, false};  // LOCAL, local = constant
  st.alpha = CombineUnit{1, 0, 1, 0, false};
  st.constantColour = argb;
  st.ditherMode = 0;
  return st;
}

// Decal texturing of the texture in st.texture.
inline RasterState DecalState() {
  RasterState st;
  st.colour = CombineUnit{3, 8, 1, 1, false};
  st.alpha = CombineUnit{3, 8, 1, 1, false};
  st.textureCombine = TextureCombine{1, 0, 1, 0, false, false};
  st.ditherMode = 0;
  return st;
}

inline uint16_t At(const Canvas& c, int x, int y) {
  return c.colour[y * c.target.stride + x];
}
inline uint16_t To565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 19) & 31) << 11 | ((argb >> 10) & 63) << 5 | ((argb >> 3) & 31));
}

}  // namespace gfx::testing
