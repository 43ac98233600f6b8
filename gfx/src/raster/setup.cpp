// setup.cpp — triangle setup: snapping, culling, row range and parameter planes.
#include "setup.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

namespace gfx::raster {

namespace {

int64_t CeilDiv(int64_t num, int64_t den) {  // den > 0
  int64_t q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

// What every plane of one triangle shares: the edges from vertex 0 at the
// snapped positions and their cross product, and the offset of the reference
// pixel's centre from vertex 0 (pixels, vertices in the caller's order),
// paired so that lane 0 works out d/dx and lane 1 d/dy.
struct PlaneBasis {
  __m128d edgeA;  // dy2, dx1
  __m128d edgeB;  // dy1, dx2
  __m128d area;   // both lanes
  __m128d ref;    // refDx, refDy
};

// Plane through the three vertices' values:
//   ddx = (dv1 * dy2 - dv2 * dy1) / area,  ddy = (dv2 * dx1 - dv1 * dx2) / area,
//   atRef = v0 + ddx * refDx + ddy * refDy,
// each lane with the operations, and in the order, of that scalar form.
Plane MakePlane(const PlaneBasis& basis, double v0, double v1, double v2) {
  const __m128d dv = _mm_sub_pd(_mm_setr_pd(v1, v2), _mm_set1_pd(v0));  // dv1, dv2
  const __m128d swapped = _mm_shuffle_pd(dv, dv, 1);                    // dv2, dv1
  const __m128d d =
      _mm_div_pd(_mm_sub_pd(_mm_mul_pd(dv, basis.edgeA), _mm_mul_pd(swapped, basis.edgeB)), basis.area);
  const __m128d offset = _mm_mul_pd(d, basis.ref);  // ddx * refDx, ddy * refDy
  const double atRef = (v0 + _mm_cvtsd_f64(offset)) + _mm_cvtsd_f64(_mm_unpackhi_pd(offset, offset));
  Plane plane;
  plane.atRef = static_cast<float>(atRef);
  static_assert(offsetof(Plane, dy) == offsetof(Plane, dx) + 4, "dx and dy are stored as a pair");
  _mm_storel_pi(reinterpret_cast<__m64*>(&plane.dx), _mm_cvtpd_ps(d));
  return plane;
}

// 2^x for x in [0, 1] by its series: within a few ulps, far inside the margin below.
constexpr double Exp2(double x) {
  const double y = x * 0.6931471805599453;  // ln 2
  double sum = 1.0, term = 1.0;
  for (int n = 1; n < 30; ++n) {
    term *= y / n;
    sum += term;
  }
  return sum;
}

// floor(128 * log2(step)) without the logarithm. With step = m * 2^e (m in
// [1, 2)) it is 128 * e + k for the k whose threshold 2^(k/128) is the last at
// or below m. std::log2 is within an ulp or two of the true value, 2^-43 at
// most for |e| <= 512, i.e. 2^-36 after the scaling by 128; a mantissa at
// least 2^-32 from every threshold puts the true value more than
// 128 * 2^-32 / (2 ln 2) > 2^-26 from the next integer, so the floor of the
// library's result is the same k. Mantissas closer than that (and steps out
// of range) take the library path, so every step gets the library's answer.
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

bool SnapVertices(const VertexIn& va, const VertexIn& vb, const VertexIn& vc, int64_t xy[3][2], int scale) {
  // x and y of two vertices per register (the last two lanes of the second are zero).
  auto pair = [](const VertexIn& v) { return reinterpret_cast<const __m64*>(&v.x); };
  const __m128 ab = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), pair(va)), pair(vb));
  const __m128 c = _mm_loadl_pi(_mm_setzero_ps(), pair(vc));
  alignas(16) static constexpr float kThreshold[4] = {kBiasThreshold, kBiasThreshold, kBiasThreshold,
                                                      kBiasThreshold};
  alignas(16) static constexpr float kBias[4] = {kSnapBias, kSnapBias, kSnapBias, kSnapBias};
  alignas(16) static constexpr float kLimit[4] = {kCoordinateLimit, kCoordinateLimit, kCoordinateLimit,
                                                  kCoordinateLimit};
  const __m128 threshold = _mm_load_ps(kThreshold), bias = _mm_load_ps(kBias), limit = _mm_load_ps(kLimit);
  const __m128 sign = _mm_set1_ps(-0.0f);
  // Exact where it applies: both are multiples of 1/16 there. Elsewhere 0 is taken off.
  auto unbias = [&](__m128 v) { return _mm_sub_ps(v, _mm_and_ps(_mm_cmpge_ps(v, threshold), bias)); };
  const __m128 p = unbias(ab), q = unbias(c);
  // |v| < limit in every lane; NaN and the infinities fail it too.
  auto inside = [&](__m128 v) { return _mm_cmplt_ps(_mm_andnot_ps(sign, v), limit); };
  if (_mm_movemask_ps(_mm_and_ps(inside(p), inside(q))) != 0xF) return false;
  // value * 16 is exact in float and below 2^28 in magnitude: truncated
  // toward zero it fits 32 bits, as the board's 12.4 conversion keeps it.
  // Scaled (by at most 4) it stays below 2^30, exact for 2 and 4; for 3 it
  // is the float product, the same in the batched setup.
  const __m128 sixteen = _mm_set1_ps(16.0f * static_cast<float>(scale));
  alignas(16) int32_t ab16[4], c16[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(ab16), _mm_cvttps_epi32(_mm_mul_ps(p, sixteen)));
  _mm_store_si128(reinterpret_cast<__m128i*>(c16), _mm_cvttps_epi32(_mm_mul_ps(q, sixteen)));
  xy[0][0] = ab16[0], xy[0][1] = ab16[1];
  xy[1][0] = ab16[2], xy[1][1] = ab16[3];
  xy[2][0] = c16[0], xy[2][1] = c16[1];
  return true;
}

bool SetupTriangle(const VertexIn& va, const VertexIn& vb, const VertexIn& vc, const RasterState& state,
                   const Framebuffer& target, TriangleSetup* setup, bool allPlanes, bool withLod) {
  int64_t xy[3][2];
  if (!SnapVertices(va, vb, vc, xy, target.scale)) return false;
  if (state.originLowerLeft) {
    const int64_t height16 = static_cast<int64_t>(target.height) * 16;
    for (auto& vertex : xy) vertex[1] = height16 - vertex[1];
  }

  const ClipWindow clip = ClipWindowOf(state, target);
  if (clip.Empty()) return false;
  const int clipX0 = clip.x0, clipX1 = clip.x1, clipY0 = clip.y0, clipY1 = clip.y1;

  // Sort by y (top first), stable: vertices on one row keep their order.
  int top = 0, mid = 1, bottom = 2;
  if (xy[mid][1] < xy[top][1]) std::swap(top, mid);
  if (xy[bottom][1] < xy[mid][1]) {
    std::swap(mid, bottom);
    if (xy[mid][1] < xy[top][1]) std::swap(top, mid);
  }
  int64_t* sx = setup->x;
  int64_t* sy = setup->y;
  sx[0] = xy[top][0], sx[1] = xy[mid][0], sx[2] = xy[bottom][0];
  sy[0] = xy[top][1], sy[1] = xy[mid][1], sy[2] = xy[bottom][1];
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
  setup->refX = static_cast<int>(std::clamp<int64_t>(xy[0][0] >> 4, clipX0, clipX1 - 1));
  setup->refY = static_cast<int>(std::clamp<int64_t>(xy[0][1] >> 4, rowStart, rowEnd - 1));
  const double px0 = static_cast<double>(xy[0][0]) / 16.0, py0 = static_cast<double>(xy[0][1]) / 16.0;
  const double dx1 = static_cast<double>(xy[1][0]) / 16.0 - px0;
  const double dy1 = static_cast<double>(xy[1][1]) / 16.0 - py0;
  const double dx2 = static_cast<double>(xy[2][0]) / 16.0 - px0;
  const double dy2 = static_cast<double>(xy[2][1]) / 16.0 - py0;
  PlaneBasis basis;
  basis.edgeA = _mm_setr_pd(dy2, dx1);
  basis.edgeB = _mm_setr_pd(dy1, dx2);
  basis.area = _mm_set1_pd(dx1 * dy2 - dx2 * dy1);
  basis.ref = _mm_setr_pd((setup->refX + 0.5) - px0, (setup->refY + 0.5) - py0);
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
  } else {
    // The record may hold an earlier triangle.
    setup->z = setup->r = setup->g = setup->b = setup->a = Plane{};
  }
  setup->tw = state.textureWFromTmu ? plane(&VertexIn::oow0) : Plane{};
  setup->lodBase88 = 0;
  if (!withLod) return true;

  // Level of detail base: the longer texel step of S and T per pixel at LOD 0
  // (before the per-pixel division by W, which the span adds as -log2(oow)).
  double dsdx = setup->s.dx, dtdx = setup->t.dx, dsdy = setup->s.dy, dtdy = setup->t.dy;
  double stepX = dsdx * dsdx + dtdx * dtdx, stepY = dsdy * dsdy + dtdy * dtdy;
  setup->lodBase88 = LodFromSquaredStep(std::max(stepX, stepY));
  return true;
}

}  // namespace gfx::raster
