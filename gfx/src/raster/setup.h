// setup.h — triangle setup: vertices snapped to 12.4 fixed point (screen
// bias removed), culling on the coordinates as passed, the rows the triangle
// covers inside the clip window, and the plane equations of every parameter.
#pragma once

#include <algorithm>
#include <cstdint>

#include "pipeline.h"

namespace gfx::raster {

// Screen-coordinate bias some programs add (and leave) on x and y so that the
// float sum lands on a 1/16 pixel; anything at or past kBiasThreshold carries it.
constexpr float kSnapBias = 786432.0f;
constexpr float kBiasThreshold = 524288.0f;
// Coordinates (bias removed) must lie inside +-kCoordinateLimit pixels; the
// fixed-point edge arithmetic below is exact in 64 bits up to there.
constexpr float kCoordinateLimit = 16777216.0f;

// Parameter plane: value at the centre of the triangle's reference pixel and
// the change per pixel step. A pixel's value is
//   rowBase = atRef + dy * float(y - refY);  value = rowBase + dx * float(x - refX)
// evaluated in exactly that order.
struct Plane {
  float atRef = 0, dx = 0, dy = 0;
  float RowBase(int rowOffset) const { return atRef + dy * static_cast<float>(rowOffset); }
};

struct TriangleSetup {
  int64_t x[3] = {}, y[3] = {};  // 12.4, physical rows, sorted by y (top first)
  bool midOnLeft = false;        // vertex 1 is left of the long edge 0-2
  int rowStart = 0, rowEnd = 0;  // physical rows covered, clipped (end exclusive)
  int clipX0 = 0, clipX1 = 0;    // columns of the clip window
  int refX = 0, refY = 0;        // reference pixel of the planes
  Plane w, s, t, z, r, g, b, a;  // oow, sow, tow, ooz, colour and alpha
  Plane tw;                      // tmuvtx[0].oow, set where the state's texture W comes from it
  int lodBase88 = 0;             // log2 of the texel step at LOD 0 when w = 1, 8.8
};

// The clip window in physical pixels, [x0, x1) by [y0, y1), inside the
// target. With the origin at the lower left the window is given in the
// program's coordinates and flipped like the vertices.
struct ClipWindow {
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
};
// At an internal scale the window's edges are multiplied by it.
inline ClipWindow ClipWindowOf(const RasterState& state, const Framebuffer& target) {
  const int k = target.scale;
  ClipWindow clip{std::max(state.clipMinX, 0) * k, std::min(state.clipMaxX * k, target.width),
                  std::max(state.clipMinY, 0) * k, std::min(state.clipMaxY * k, target.height)};
  if (state.originLowerLeft) {
    const int flippedY0 = target.height - clip.y1, flippedY1 = target.height - clip.y0;
    clip.y0 = std::max(flippedY0, 0);
    clip.y1 = std::min(flippedY1, target.height);
  }
  return clip;
}

// Snaps the x and y of three vertices to 12.4 as the board does: bias off,
// then x * 16 and y * 16 truncated toward zero. A biased coordinate is
// already a multiple of 1/16 (the float addition of the bias rounded it), so
// only plain ones lose anything. False when any of them is not finite or
// lies beyond the supported range. At an internal scale k the coordinates
// are multiplied by k first (x * 16k truncated): positions land on a grid k
// times finer, in the buffer's pixels.
bool SnapVertices(const VertexIn& a, const VertexIn& b, const VertexIn& c, int64_t xy[3][2], int scale = 1);

// Cull test on the coordinates as passed: true when the triangle is dropped.
inline bool Culled(const VertexIn& a, const VertexIn& b, const VertexIn& c, int cullMode) {
  float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (area == 0.0f) return true;
  if (cullMode == 1 && area < 0.0f) return true;  // GR_CULL_NEGATIVE
  if (cullMode == 2 && area > 0.0f) return true;  // GR_CULL_POSITIVE
  return false;
}

// Full setup; false when nothing can be drawn (bad coordinates, empty after
// snapping or clipping). Without allPlanes only W, S and T get planes (the
// others stay zero); without withLod, lodBase88 stays zero.
bool SetupTriangle(const VertexIn& a, const VertexIn& b, const VertexIn& c, const RasterState& state,
                   const Framebuffer& target, TriangleSetup* setup, bool allPlanes = true,
                   bool withLod = true);

// Up to eight triangles for SetupTriangleBatch: the x, y and W, S and T
// values of each vertex (caller's order), one lane per triangle.
struct TriangleBatch {
  alignas(64) float x[3][8] = {}, y[3][8] = {}, oow[3][8] = {}, sow[3][8] = {}, tow[3][8] = {};
  int count = 0;
  // The caller sets the batch up once it holds eight.
  void Add(const VertexIn& a, const VertexIn& b, const VertexIn& c) {
    const VertexIn* in[3] = {&a, &b, &c};
    for (int v = 0; v < 3; ++v) {
      x[v][count] = in[v]->x, y[v][count] = in[v]->y;
      oow[v][count] = in[v]->oow, sow[v][count] = in[v]->sow0, tow[v][count] = in[v]->tow0;
    }
    ++count;
  }
};

// SetupTriangle without allPlanes for the triangles of a batch at once, with
// AVX-512 (only where the processor has it): returns the mask of those drawn,
// whose setups[i] it fills exactly as SetupTriangle would.
uint32_t SetupTriangleBatch(const TriangleBatch& batch, const RasterState& state, const Framebuffer& target,
                            bool withLod, TriangleSetup* setups);

// Level of detail of a squared texel step in 8.8 levels: floor(0.5 * log2(step)
// * 256) clamped to +-65536, and -65536 when step is not positive or not finite.
int LodFromSquaredStep(double step);

}  // namespace gfx::raster
