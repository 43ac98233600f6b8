// setup.cpp — triangle setup: snapping, culling, row range and parameter planes.
#include "setup.h"

#include <algorithm>
#include <cmath>

namespace gfx::raster {

bool SnapCoordinate(float value, int64_t* snapped) {
  if (!std::isfinite(value)) return false;
  if (value >= kBiasThreshold) value -= kSnapBias;  // exact: both are multiples of 1/16 there
  if (!(value > -kCoordinateLimit && value < kCoordinateLimit)) return false;
  *snapped = static_cast<int64_t>(std::nearbyint(static_cast<double>(value) * 16.0));
  return true;
}

bool Culled(const VertexIn& a, const VertexIn& b, const VertexIn& c, int cullMode) {
  float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (area == 0.0f) return true;
  if (cullMode == 1 && area < 0.0f) return true;  // GR_CULL_NEGATIVE
  if (cullMode == 2 && area > 0.0f) return true;  // GR_CULL_POSITIVE
  return false;
}

namespace {

int64_t CeilDiv(int64_t num, int64_t den) {  // den > 0
  int64_t q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

// Plane through the three vertices' values at their snapped positions.
Plane MakePlane(const double px[3], const double py[3], const double value[3], double refX, double refY) {
  double dx1 = px[1] - px[0], dy1 = py[1] - py[0];
  double dx2 = px[2] - px[0], dy2 = py[2] - py[0];
  double area = dx1 * dy2 - dx2 * dy1;
  double dv1 = value[1] - value[0], dv2 = value[2] - value[0];
  double ddx = (dv1 * dy2 - dv2 * dy1) / area;
  double ddy = (dv2 * dx1 - dv1 * dx2) / area;
  Plane plane;
  plane.dx = static_cast<float>(ddx);
  plane.dy = static_cast<float>(ddy);
  plane.atRef = static_cast<float>(value[0] + ddx * (refX - px[0]) + ddy * (refY - py[0]));
  return plane;
}

}  // namespace

bool SetupTriangle(const VertexIn& va, const VertexIn& vb, const VertexIn& vc, const RasterState& state,
                   const Framebuffer& target, TriangleSetup* setup, bool allPlanes, bool withLod) {
  const VertexIn* in[3] = {&va, &vb, &vc};
  int64_t x[3], y[3];
  const int64_t height16 = static_cast<int64_t>(target.height) * 16;
  for (int i = 0; i < 3; ++i) {
    if (!SnapCoordinate(in[i]->x, &x[i]) || !SnapCoordinate(in[i]->y, &y[i])) return false;
    if (state.originLowerLeft) y[i] = height16 - y[i];
  }

  // Clip window in physical pixels. With the origin at the lower left the
  // window is given in the program's coordinates and flipped like the vertices.
  int clipX0 = std::max(state.clipMinX, 0), clipX1 = std::min(state.clipMaxX, target.width);
  int clipY0 = std::max(state.clipMinY, 0), clipY1 = std::min(state.clipMaxY, target.height);
  if (state.originLowerLeft) {
    int flippedY0 = target.height - clipY1, flippedY1 = target.height - clipY0;
    clipY0 = std::max(flippedY0, 0);
    clipY1 = std::min(flippedY1, target.height);
  }
  if (clipX0 >= clipX1 || clipY0 >= clipY1) return false;

  // Sort by y (top first), keeping the original indices for the planes.
  int order[3] = {0, 1, 2};
  // Stable insertion sort: vertices on one row keep their order.
  for (int i = 1; i < 3; ++i)
    for (int k = i; k > 0 && y[order[k]] < y[order[k - 1]]; --k) std::swap(order[k], order[k - 1]);
  for (int i = 0; i < 3; ++i) {
    setup->x[i] = x[order[i]];
    setup->y[i] = y[order[i]];
  }
  const int64_t* sx = setup->x;
  const int64_t* sy = setup->y;
  int64_t cross = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sy[1] - sy[0]) * (sx[2] - sx[0]);
  if (cross == 0) return false;  // nothing left after snapping
  setup->midOnLeft = cross < 0;

  // Rows whose centre lies in [top, bottom).
  int64_t rowStart = CeilDiv(sy[0] - 8, 16);
  int64_t rowEnd = CeilDiv(sy[2] - 8, 16);
  rowStart = std::max<int64_t>(rowStart, clipY0);
  rowEnd = std::min<int64_t>(rowEnd, clipY1);
  if (rowStart >= rowEnd) return false;
  setup->rowStart = static_cast<int>(rowStart);
  setup->rowEnd = static_cast<int>(rowEnd);
  setup->clipX0 = clipX0;
  setup->clipX1 = clipX1;

  // Planes are anchored at a pixel inside the clip window near the first
  // vertex, so per-pixel offsets stay small and exact in float.
  double px[3], py[3];
  for (int i = 0; i < 3; ++i) {
    px[i] = static_cast<double>(x[i]) / 16.0;
    py[i] = static_cast<double>(y[i]) / 16.0;
  }
  setup->refX = static_cast<int>(std::clamp<int64_t>(x[0] >> 4, clipX0, clipX1 - 1));
  setup->refY = static_cast<int>(std::clamp<int64_t>(y[0] >> 4, rowStart, rowEnd - 1));
  double refX = setup->refX + 0.5, refY = setup->refY + 0.5;
  auto plane = [&](float VertexIn::*field) {
    double v[3] = {in[0]->*field, in[1]->*field, in[2]->*field};
    return MakePlane(px, py, v, refX, refY);
  };
  setup->w = plane(&VertexIn::oow);
  setup->s = plane(&VertexIn::sow0);
  setup->t = plane(&VertexIn::tow0);
  if (allPlanes) {
    setup->z = plane(&VertexIn::ooz);
    setup->r = plane(&VertexIn::r);
    setup->g = plane(&VertexIn::g);
    setup->b = plane(&VertexIn::b);
    setup->a = plane(&VertexIn::a);
  }
  if (!withLod) return true;

  // Level of detail base: the longer texel step of S and T per pixel at LOD 0
  // (before the per-pixel division by W, which the span adds as -log2(oow)).
  double dsdx = setup->s.dx, dtdx = setup->t.dx, dsdy = setup->s.dy, dtdy = setup->t.dy;
  double stepX = dsdx * dsdx + dtdx * dtdx, stepY = dsdy * dsdy + dtdy * dtdy;
  double step = std::max(stepX, stepY);
  double lod = (step > 0 && std::isfinite(step)) ? 0.5 * std::log2(step) * 256.0 : -65536.0;
  setup->lodBase88 = static_cast<int>(std::clamp(std::floor(lod), -65536.0, 65536.0));
  return true;
}

}  // namespace gfx::raster
