// setup_batch.cpp — triangle setup for eight triangles at once with AVX-512,
// one triangle per lane, for processors that have it. Each lane goes through
// the operations of SetupTriangle in the same order and precision, so every
// field comes out the same; the point is that eight triangles share one
// chain of divisions, where one at a time the processor mostly waits on it.
//
// Only the functions below the target pragma use AVX-512.
#include <immintrin.h>

#include <algorithm>
#include <cstdint>

#include "setup.h"

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512dq")
// GCC 12's AVX-512 intrinsics start several operations from a deliberately
// undefined register, which its flow analysis reports once they are inlined.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace gfx::raster {

namespace {

// A vertex position of eight triangles: 12.4 fixed point.
struct Position {
  __m512i x, y;
};

// SnapVertices for one coordinate of eight triangles; clears the lanes of
// `ok` whose value is not finite or out of range.
__m512i Snap8(__m256 v, float factor, __mmask8* ok) {
  const __m256 threshold = _mm256_set1_ps(kBiasThreshold), bias = _mm256_set1_ps(kSnapBias);
  const __m256 unbiased = _mm256_sub_ps(v, _mm256_and_ps(_mm256_cmp_ps(v, threshold, _CMP_GE_OQ), bias));
  const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), unbiased);
  *ok &= _mm256_cmp_ps_mask(magnitude, _mm256_set1_ps(kCoordinateLimit), _CMP_LT_OQ);
  // Truncated toward zero; value * 16 (times the scale) is the product
  // SnapVertices takes, inside int32 where it counts.
  return _mm512_cvtepi32_epi64(_mm256_cvttps_epi32(_mm256_mul_ps(unbiased, _mm256_set1_ps(factor))));
}

// The plane through three vertices' values, as MakePlane works it out.
struct Planes8 {
  __m256 atRef, dx, dy;
};

struct Basis8 {
  __m512d dx1, dy1, dx2, dy2, area, refDx, refDy;
};

Planes8 Plane8(const Basis8& b, const float (&values)[3][8]) {
  const __m512d v0 = _mm512_cvtps_pd(_mm256_load_ps(values[0]));
  const __m512d dv1 = _mm512_sub_pd(_mm512_cvtps_pd(_mm256_load_ps(values[1])), v0);
  const __m512d dv2 = _mm512_sub_pd(_mm512_cvtps_pd(_mm256_load_ps(values[2])), v0);
  const __m512d ddx =
      _mm512_div_pd(_mm512_sub_pd(_mm512_mul_pd(dv1, b.dy2), _mm512_mul_pd(dv2, b.dy1)), b.area);
  const __m512d ddy =
      _mm512_div_pd(_mm512_sub_pd(_mm512_mul_pd(dv2, b.dx1), _mm512_mul_pd(dv1, b.dx2)), b.area);
  const __m512d atRef =
      _mm512_add_pd(_mm512_add_pd(v0, _mm512_mul_pd(ddx, b.refDx)), _mm512_mul_pd(ddy, b.refDy));
  return {_mm512_cvtpd_ps(atRef), _mm512_cvtpd_ps(ddx), _mm512_cvtpd_ps(ddy)};
}

// m ? b : a, lane by lane.
inline Position Pick(__mmask8 m, const Position& a, const Position& b) {
  return Position{_mm512_mask_blend_epi64(m, a.x, b.x), _mm512_mask_blend_epi64(m, a.y, b.y)};
}

// 12.4 fixed point to pixels: exact, as dividing by 16 is.
inline __m512d Pixels(__m512i v) {
  return _mm512_mul_pd(_mm512_cvtepi64_pd(v), _mm512_set1_pd(1.0 / 16.0));
}

// a * a + b * b of floats, in doubles.
inline __m512d SumOfSquares(__m256 a, __m256 b) {
  const __m512d da = _mm512_cvtps_pd(a), db = _mm512_cvtps_pd(b);
  return _mm512_add_pd(_mm512_mul_pd(da, da), _mm512_mul_pd(db, db));
}

}  // namespace

uint32_t SetupTriangleBatch(const TriangleBatch& batch, const RasterState& state, const Framebuffer& target,
                            bool withLod, TriangleSetup* setups) {
  const __mmask8 used = static_cast<__mmask8>((1u << std::clamp(batch.count, 0, 8)) - 1);
  const ClipWindow clip = ClipWindowOf(state, target);
  if (used == 0 || clip.Empty()) return 0;
  const int clipX0 = clip.x0, clipX1 = clip.x1, clipY0 = clip.y0, clipY1 = clip.y1;

  __mmask8 ok = used;
  Position p[3];  // in the caller's order
  const __m512i height16 = _mm512_set1_epi64(static_cast<int64_t>(target.height) * 16);
  const float factor = 16.0f * static_cast<float>(target.scale);
  for (int v = 0; v < 3; ++v) {
    p[v].x = Snap8(_mm256_load_ps(batch.x[v]), factor, &ok);
    p[v].y = Snap8(_mm256_load_ps(batch.y[v]), factor, &ok);
    if (state.originLowerLeft) p[v].y = _mm512_sub_epi64(height16, p[v].y);
  }

  // Sorted by y, top first, stable: the swaps SetupTriangle makes.
  const __mmask8 swapTop = _mm512_cmplt_epi64_mask(p[1].y, p[0].y);
  Position top = Pick(swapTop, p[0], p[1]), mid = Pick(swapTop, p[1], p[0]), bottom = p[2];
  const __mmask8 swapBottom = _mm512_cmplt_epi64_mask(bottom.y, mid.y);
  const Position lower = Pick(swapBottom, mid, bottom);
  bottom = Pick(swapBottom, bottom, mid);
  mid = lower;
  const __mmask8 swapAgain = swapBottom & _mm512_cmplt_epi64_mask(mid.y, top.y);
  const Position upper = Pick(swapAgain, top, mid);
  mid = Pick(swapAgain, mid, top);
  top = upper;

  const __m512i cross =
      _mm512_sub_epi64(_mm512_mullo_epi64(_mm512_sub_epi64(mid.x, top.x), _mm512_sub_epi64(bottom.y, top.y)),
                       _mm512_mullo_epi64(_mm512_sub_epi64(mid.y, top.y), _mm512_sub_epi64(bottom.x, top.x)));
  ok &= _mm512_cmpneq_epi64_mask(cross, _mm512_setzero_si512());
  const __mmask8 midOnLeft = _mm512_cmplt_epi64_mask(cross, _mm512_setzero_si512());

  // Rows whose centre lies in [top, bottom): ceil((y - 8) / 16) == (y + 7) >> 4.
  const __m512i seven = _mm512_set1_epi64(7);
  const __m512i rowStart =
      _mm512_max_epi64(_mm512_srai_epi64(_mm512_add_epi64(top.y, seven), 4), _mm512_set1_epi64(clipY0));
  const __m512i rowEnd =
      _mm512_min_epi64(_mm512_srai_epi64(_mm512_add_epi64(bottom.y, seven), 4), _mm512_set1_epi64(clipY1));
  ok &= _mm512_cmplt_epi64_mask(rowStart, rowEnd);
  if (ok == 0) return 0;

  const __m512i refX =
      _mm512_min_epi64(_mm512_max_epi64(_mm512_srai_epi64(p[0].x, 4), _mm512_set1_epi64(clipX0)),
                       _mm512_set1_epi64(clipX1 - 1));
  const __m512i refY = _mm512_min_epi64(_mm512_max_epi64(_mm512_srai_epi64(p[0].y, 4), rowStart),
                                        _mm512_sub_epi64(rowEnd, _mm512_set1_epi64(1)));
  const __m512d px0 = Pixels(p[0].x), py0 = Pixels(p[0].y);
  Basis8 basis;
  basis.dx1 = _mm512_sub_pd(Pixels(p[1].x), px0);
  basis.dy1 = _mm512_sub_pd(Pixels(p[1].y), py0);
  basis.dx2 = _mm512_sub_pd(Pixels(p[2].x), px0);
  basis.dy2 = _mm512_sub_pd(Pixels(p[2].y), py0);
  basis.area = _mm512_sub_pd(_mm512_mul_pd(basis.dx1, basis.dy2), _mm512_mul_pd(basis.dx2, basis.dy1));
  const __m512d half = _mm512_set1_pd(0.5);
  basis.refDx = _mm512_sub_pd(_mm512_add_pd(_mm512_cvtepi64_pd(refX), half), px0);
  basis.refDy = _mm512_sub_pd(_mm512_add_pd(_mm512_cvtepi64_pd(refY), half), py0);
  const Planes8 w = Plane8(basis, batch.oow), s = Plane8(basis, batch.sow), t = Plane8(basis, batch.tow);

  // The level of detail from the longer squared texel step, the steps taken
  // from the planes' floats as SetupTriangle takes them.
  alignas(64) double step[8];
  if (withLod) {
    // max(y, x) gives x where either is NaN, as std::max(x, y) does.
    _mm512_store_pd(step, _mm512_max_pd(SumOfSquares(s.dy, t.dy), SumOfSquares(s.dx, t.dx)));
  }

  alignas(64) int64_t sx[3][8], sy[3][8], rows[2][8], ref[2][8];
  const Position sorted[3] = {top, mid, bottom};
  for (int v = 0; v < 3; ++v) {
    _mm512_store_si512(sx[v], sorted[v].x);
    _mm512_store_si512(sy[v], sorted[v].y);
  }
  _mm512_store_si512(rows[0], rowStart);
  _mm512_store_si512(rows[1], rowEnd);
  _mm512_store_si512(ref[0], refX);
  _mm512_store_si512(ref[1], refY);
  alignas(32) float planes[9][8];
  const __m256 planeValues[9] = {w.atRef, w.dx, w.dy, s.atRef, s.dx, s.dy, t.atRef, t.dx, t.dy};
  for (int k = 0; k < 9; ++k) _mm256_store_ps(planes[k], planeValues[k]);

  for (uint32_t lanes = ok; lanes != 0; lanes &= lanes - 1) {
    const int i = __builtin_ctz(lanes);
    TriangleSetup& out = setups[i];
    for (int v = 0; v < 3; ++v) out.x[v] = sx[v][i], out.y[v] = sy[v][i];
    out.midOnLeft = (midOnLeft >> i) & 1;
    out.rowStart = static_cast<int>(rows[0][i]);
    out.rowEnd = static_cast<int>(rows[1][i]);
    out.clipX0 = clipX0;
    out.clipX1 = clipX1;
    out.refX = static_cast<int>(ref[0][i]);
    out.refY = static_cast<int>(ref[1][i]);
    out.w = Plane{planes[0][i], planes[1][i], planes[2][i]};
    out.s = Plane{planes[3][i], planes[4][i], planes[5][i]};
    out.t = Plane{planes[6][i], planes[7][i], planes[8][i]};
    out.z = out.r = out.g = out.b = out.a = out.tw = Plane{};
    out.lodBase88 = withLod ? LodFromSquaredStep(step[i]) : 0;
  }
  return ok;
}

}  // namespace gfx::raster

#pragma GCC diagnostic pop
#pragma GCC pop_options
