// setup.cpp — triangle setup: snapping, culling, row range and parameter planes.
#include "setup.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace gfx::raster {

namespace {

int64_t CeilDiv(int64_t num, int64_t den) {  // den > 0
  int64_t q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

// What every plane of one triangle shares: the edges from vertex 0 at the
// snapped positions, their cross product, and the offset of the reference
// pixel's centre from vertex 0 (all in pixels, vertices in the caller's order).
struct PlaneBasis {
  double dx1, dy1, dx2, dy2, area, refDx, refDy;
};

// Plane through the three vertices' values.
Plane MakePlane(const PlaneBasis& basis, double v0, double v1, double v2) {
  double dv1 = v1 - v0, dv2 = v2 - v0;
  double ddx = (dv1 * basis.dy2 - dv2 * basis.dy1) / basis.area;
  double ddy = (dv2 * basis.dx1 - dv1 * basis.dx2) / basis.area;
  Plane plane;
  plane.dx = static_cast<float>(ddx);
  plane.dy = static_cast<float>(ddy);
  plane.atRef = static_cast<float>(v0 + ddx * basis.refDx + ddy * basis.refDy);
  return plane;
}

// floor(128 * log2(step)) without the logarithm. With step = m * 2^e (m in
// [1, 2)) it is 128 * e + k for the k whose threshold 2^(k/128) is the last at
// or below m. std::log2 is within an ulp or two of the true value, 2^-43 at
// most for |e| <= 512, i.e. 2^-36 after the scaling by 128; a mantissa at
// least 2^-32 from every threshold puts the true value more than
// 128 * 2^-32 / (2 ln 2) > 2^-26 from the next integer, so the floor of the
// library's result is the same k. Mantissas closer than that (and steps out
// of range) take the library path, so every step gets the library's answer.
// 2^x for x in [0, 1] by its series: within a few ulps, far inside the margin.
constexpr double Exp2(double x) {
  const double y = x * 0.6931471805599453;  // ln 2
  double sum = 1.0, term = 1.0;
  for (int n = 1; n < 30; ++n) {
    term *= y / n;
    sum += term;
  }
  return sum;
}

struct LodThresholds {
  double threshold[129] = {};  // 2^(k/128); 1 and 2 at the ends
  uint8_t first[1024] = {};    // for mantissa 1 + i/1024: the last k with threshold[k] <= it
  constexpr LodThresholds() {
    for (int k = 0; k <= 128; ++k) threshold[k] = Exp2(k / 128.0);
    threshold[0] = 1.0;
    threshold[128] = 2.0;
    int k = 0;
    for (int i = 0; i < 1024; ++i) {
      const double start = 1.0 + i / 1024.0;
      while (threshold[k + 1] <= start) ++k;
      first[i] = static_cast<uint8_t>(k);
    }
  }
};
constexpr LodThresholds kLod;

int LodFromLibrary(double step) {
  double lod = (step > 0 && std::isfinite(step)) ? 0.5 * std::log2(step) * 256.0 : -65536.0;
  return static_cast<int>(std::clamp(std::floor(lod), -65536.0, 65536.0));
}

}  // namespace

int LodFromSquaredStep(double step) {
  const uint64_t bits = std::bit_cast<uint64_t>(step);
  // Sign set, zero, subnormal, infinite or NaN all land outside [-512, 512).
  const int exponent = static_cast<int>(bits >> 52) - 1023;
  if (exponent >= -512 && exponent < 512) {
    constexpr uint64_t kMantissa = (uint64_t{1} << 52) - 1;
    const double m = std::bit_cast<double>((bits & kMantissa) | (uint64_t{1023} << 52));
    int k = kLod.first[(bits >> 42) & 1023];  // thresholds are over 1/1024 apart: k or k + 1
    if (m >= kLod.threshold[k + 1]) ++k;
    constexpr double kMargin = 0x1p-32;
    if (m - kLod.threshold[k] >= kMargin && kLod.threshold[k + 1] - m >= kMargin) return exponent * 128 + k;
  }
  return LodFromLibrary(step);
}

bool SetupTriangle(const VertexIn& va, const VertexIn& vb, const VertexIn& vc, const RasterState& state,
                   const Framebuffer& target, TriangleSetup* setup, bool allPlanes, bool withLod) {
  const VertexIn* in[3] = {&va, &vb, &vc};
  int64_t x[3], y[3];
  for (int i = 0; i < 3; ++i)
    if (!SnapCoordinate(in[i]->x, &x[i]) || !SnapCoordinate(in[i]->y, &y[i])) return false;
  if (state.originLowerLeft) {
    const int64_t height16 = static_cast<int64_t>(target.height) * 16;
    for (int64_t& v : y) v = height16 - v;
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

  // Sort by y (top first), stable: vertices on one row keep their order.
  int top = 0, mid = 1, bottom = 2;
  if (y[mid] < y[top]) std::swap(top, mid);
  if (y[bottom] < y[mid]) {
    std::swap(mid, bottom);
    if (y[mid] < y[top]) std::swap(top, mid);
  }
  int64_t* sx = setup->x;
  int64_t* sy = setup->y;
  sx[0] = x[top], sx[1] = x[mid], sx[2] = x[bottom];
  sy[0] = y[top], sy[1] = y[mid], sy[2] = y[bottom];
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
  setup->refX = static_cast<int>(std::clamp<int64_t>(x[0] >> 4, clipX0, clipX1 - 1));
  setup->refY = static_cast<int>(std::clamp<int64_t>(y[0] >> 4, rowStart, rowEnd - 1));
  const double px0 = static_cast<double>(x[0]) / 16.0, py0 = static_cast<double>(y[0]) / 16.0;
  PlaneBasis basis;
  basis.dx1 = static_cast<double>(x[1]) / 16.0 - px0;
  basis.dy1 = static_cast<double>(y[1]) / 16.0 - py0;
  basis.dx2 = static_cast<double>(x[2]) / 16.0 - px0;
  basis.dy2 = static_cast<double>(y[2]) / 16.0 - py0;
  basis.area = basis.dx1 * basis.dy2 - basis.dx2 * basis.dy1;
  basis.refDx = (setup->refX + 0.5) - px0;
  basis.refDy = (setup->refY + 0.5) - py0;
  auto plane = [&](float VertexIn::*field) { return MakePlane(basis, va.*field, vb.*field, vc.*field); };
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
  setup->lodBase88 = LodFromSquaredStep(std::max(stepX, stepY));
  return true;
}

}  // namespace gfx::raster
