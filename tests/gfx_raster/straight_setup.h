// straight_setup.h — triangle setup in its straightforward form (libm
// rounding, one plane at a time in doubles, log2 for the level of detail),
// kept as the reference the library's setup must equal, and a comparison of
// two setups field by field.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "setup.h"

namespace gfx::testing {

using raster::Plane;
using raster::TriangleSetup;

inline bool StraightSnap(float value, int64_t* snapped) {
  if (!std::isfinite(value)) return false;
  if (value >= raster::kBiasThreshold) value -= raster::kSnapBias;
  if (!(value > -raster::kCoordinateLimit && value < raster::kCoordinateLimit)) return false;
  *snapped = static_cast<int64_t>(std::trunc(static_cast<double>(value) * 16.0));
  return true;
}

inline int64_t CeilDiv(int64_t num, int64_t den) {
  int64_t q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

inline raster::Plane StraightPlane(const double px[3], const double py[3], const double value[3], double refX,
                                   double refY) {
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

inline int StraightLod(double step) {
  double lod = (step > 0 && std::isfinite(step)) ? 0.5 * std::log2(step) * 256.0 : -65536.0;
  return static_cast<int>(std::clamp(std::floor(lod), -65536.0, 65536.0));
}

inline bool StraightSetup(const VertexIn& va, const VertexIn& vb, const VertexIn& vc,
                          const RasterState& state, const Framebuffer& target, TriangleSetup* setup,
                          bool allPlanes, bool withLod) {
  const VertexIn* in[3] = {&va, &vb, &vc};
  int64_t x[3], y[3];
  const int64_t height16 = static_cast<int64_t>(target.height) * 16;
  for (int i = 0; i < 3; ++i) {
    if (!StraightSnap(in[i]->x, &x[i]) || !StraightSnap(in[i]->y, &y[i])) return false;
    if (state.originLowerLeft) y[i] = height16 - y[i];
  }
  int clipX0 = std::max(state.clipMinX, 0), clipX1 = std::min(state.clipMaxX, target.width);
  int clipY0 = std::max(state.clipMinY, 0), clipY1 = std::min(state.clipMaxY, target.height);
  if (state.originLowerLeft) {
    int flippedY0 = target.height - clipY1, flippedY1 = target.height - clipY0;
    clipY0 = std::max(flippedY0, 0);
    clipY1 = std::min(flippedY1, target.height);
  }
  if (clipX0 >= clipX1 || clipY0 >= clipY1) return false;
  int order[3] = {0, 1, 2};
  for (int i = 1; i < 3; ++i)
    for (int k = i; k > 0 && y[order[k]] < y[order[k - 1]]; --k) std::swap(order[k], order[k - 1]);
  for (int i = 0; i < 3; ++i) {
    setup->x[i] = x[order[i]];
    setup->y[i] = y[order[i]];
  }
  const int64_t* sx = setup->x;
  const int64_t* sy = setup->y;
  int64_t cross = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sy[1] - sy[0]) * (sx[2] - sx[0]);
  if (cross == 0) return false;
  setup->midOnLeft = cross < 0;
  int64_t rowStart = std::max<int64_t>(CeilDiv(sy[0] - 8, 16), clipY0);
  int64_t rowEnd = std::min<int64_t>(CeilDiv(sy[2] - 8, 16), clipY1);
  if (rowStart >= rowEnd) return false;
  setup->rowStart = static_cast<int>(rowStart);
  setup->rowEnd = static_cast<int>(rowEnd);
  setup->clipX0 = clipX0;
  setup->clipX1 = clipX1;
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
    return StraightPlane(px, py, v, refX, refY);
  };
  setup->w = plane(&VertexIn::oow);
  setup->s = plane(&VertexIn::sow0);
  setup->t = plane(&VertexIn::tow0);
  setup->tw = state.textureWFromTmu ? plane(&VertexIn::oow0) : Plane{};
  if (allPlanes) {
    setup->z = plane(&VertexIn::ooz);
    setup->r = plane(&VertexIn::r);
    setup->g = plane(&VertexIn::g);
    setup->b = plane(&VertexIn::b);
    setup->a = plane(&VertexIn::a);
  }
  if (!withLod) return true;
  double dsdx = setup->s.dx, dtdx = setup->t.dx, dsdy = setup->s.dy, dtdy = setup->t.dy;
  double stepX = dsdx * dsdx + dtdx * dtdx, stepY = dsdy * dsdy + dtdy * dtdy;
  setup->lodBase88 = StraightLod(std::max(stepX, stepY));
  return true;
}

// ---- Comparison: every field, floats by their bits. Where two NaNs meet in
// an addition or multiplication the processor keeps the first operand, and
// which one comes first is the compiler's choice for either form, so any NaN
// matches any NaN.

inline bool SameFloat(float a, float b) {
  return raster::FloatBits(a) == raster::FloatBits(b) || (std::isnan(a) && std::isnan(b));
}

inline ::testing::AssertionResult SameSetup(const TriangleSetup& a, const TriangleSetup& b) {
  auto fail = [&](const char* what) { return ::testing::AssertionFailure() << what << " differs"; };
  for (int i = 0; i < 3; ++i)
    if (a.x[i] != b.x[i] || a.y[i] != b.y[i]) return fail("vertex");
  if (a.midOnLeft != b.midOnLeft) return fail("midOnLeft");
  if (a.rowStart != b.rowStart || a.rowEnd != b.rowEnd) return fail("row range");
  if (a.clipX0 != b.clipX0 || a.clipX1 != b.clipX1) return fail("clip columns");
  if (a.refX != b.refX || a.refY != b.refY) return fail("reference pixel");
  const Plane TriangleSetup::*planes[] = {&TriangleSetup::w, &TriangleSetup::s, &TriangleSetup::t,
                                          &TriangleSetup::z, &TriangleSetup::r, &TriangleSetup::g,
                                          &TriangleSetup::b, &TriangleSetup::a, &TriangleSetup::tw};
  for (int i = 0; i < 9; ++i) {
    const Plane &pa = a.*planes[i], &pb = b.*planes[i];
    if (!SameFloat(pa.atRef, pb.atRef) || !SameFloat(pa.dx, pb.dx) || !SameFloat(pa.dy, pb.dy))
      return ::testing::AssertionFailure() << "plane " << i << " differs: " << pa.atRef << "/" << pa.dx << "/"
                                           << pa.dy << " vs " << pb.atRef << "/" << pb.dx << "/" << pb.dy;
  }
  if (a.lodBase88 != b.lodBase88) return fail("lodBase88");
  return ::testing::AssertionSuccess();
}

}  // namespace gfx::testing
