// wide_spans.cpp — the fast spans again, eight pixels at a time with AVX2,
// for processors that have it (the rasteriser asks the processor once).
// They read the expanded texture (texels decoded, with a border), so a
// bilinear footprint is two 8-byte gathers and the filter is one
// multiply-add of bytes per row of the footprint. The colour buffer holds
// RGB565 pixels or, at 8 bits a channel, 0x00RRGGBB (never dithered).
// Every value is computed
// with the same operations as the reference span, so the pictures are
// identical (tests hold them to it).
//
// Only the functions below the target pragma use AVX2; the shared headers
// are compiled for the baseline before it, so nothing the linker may merge
// with other files carries AVX2 instructions.
#include <immintrin.h>

#include <cstring>
#include <type_traits>

#include "dither.h"
#include "expanded_texture.h"
#include "fast_shape.h"
#include "pipeline.h"
#include "setup.h"
#include "span.h"

#pragma GCC push_options
#pragma GCC target("avx2")

// The band's members never alias the buffers it writes: g++ is told so
// through a restrict-qualified `this`, which clang does not accept on
// members of class templates.
#if defined(__clang__)
#define GFX_RESTRICT_THIS
#else
#define GFX_RESTRICT_THIS __restrict__
#endif

namespace gfx::raster {

namespace {

// Per 128-bit half: the 16-bit value in the low bits of each 64-bit element, four times.
inline __m256i Repeat16(__m256i v) {
  const __m256i pattern = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 8, 9, 8, 9, 8, 9, 8, 9, 0, 1, 0, 1, 0, 1,
                                           0, 1, 8, 9, 8, 9, 8, 9, 8, 9);
  return _mm256_shuffle_epi8(v, pattern);
}

// The low 16 bits of 32-bit lanes 0..3 (or 4..7) spread to four 16-bit lanes each.
inline __m256i SpreadLow(__m256i v) {
  return Repeat16(_mm256_cvtepu32_epi64(_mm256_castsi256_si128(v)));
}
inline __m256i SpreadHigh(__m256i v) {
  return Repeat16(_mm256_cvtepu32_epi64(_mm256_extracti128_si256(v, 1)));
}

// Floor of clamped floats (what FloorClamped's truncate and step down
// gives): round down, then convert the whole number exactly.
inline __m256i FloorPs(__m256 v) {
  return _mm256_cvttps_epi32(_mm256_floor_ps(v));
}

// WFloat for eight lanes: (127 << 12) - (bits >> 11) clamped to
// [0, 0xFFFF], as WFloat16 in packed_spans.cpp works it out.
inline __m256i WFloat8(__m256 oow) {
  const __m256i wf =
      _mm256_sub_epi32(_mm256_set1_epi32(127 << 12), _mm256_srli_epi32(_mm256_castps_si256(oow), 11));
  return _mm256_min_epi32(_mm256_max_epi32(wf, _mm256_setzero_si256()), _mm256_set1_epi32(0xFFFF));
}

// Eight 32-bit lanes holding values 0..65535 to eight 16-bit values in order.
inline __m128i Narrow(__m256i v) {
  return _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

// 565 pixels (eight) to 8-bit channels in 16-bit lanes B G R A, four pixels per register.
inline void Expand565x8(__m128i pixels, __m256i* lo, __m256i* hi) {
  const __m256i masks = _mm256_setr_epi16(
      0x001F, 0x07E0, static_cast<short>(0xF800), 0, 0x001F, 0x07E0, static_cast<short>(0xF800), 0, 0x001F,
      0x07E0, static_cast<short>(0xF800), 0, 0x001F, 0x07E0, static_cast<short>(0xF800), 0);
  const __m256i align = _mm256_setr_epi16(2048, 32, 1, 0, 2048, 32, 1, 0, 2048, 32, 1, 0, 2048, 32, 1, 0);
  const __m256i high =
      _mm256_setr_epi16(256, 256, 256, 0, 256, 256, 256, 0, 256, 256, 256, 0, 256, 256, 256, 0);
  const __m256i low =
      _mm256_setr_epi16(8, 4, 8, 0, 8, 4, 8, 0, 8, 4, 8, 0, 8, 4, 8, 0);  // >> 13, >> 14, >> 13
  __m256i parts[2] = {Repeat16(_mm256_cvtepu16_epi64(pixels)),
                      Repeat16(_mm256_cvtepu16_epi64(_mm_unpackhi_epi64(pixels, pixels)))};
  for (__m256i& p : parts) {
    __m256i t = _mm256_mullo_epi16(_mm256_and_si256(p, masks), align);
    p = _mm256_or_si256(_mm256_mulhi_epu16(t, high), _mm256_mulhi_epu16(t, low));
  }
  *lo = parts[0];
  *hi = parts[1];
}

// Per-pixel 32-bit values of two registers (each pixel's two halves in
// adjacent lanes, pixels 0..3 in a, 4..7 in b) summed and put in pixel order.
inline __m256i SumPairs(__m256i a, __m256i b) {
  __m256i sums = _mm256_hadd_epi32(a, b);  // 0 1 4 5 | 2 3 6 7
  return _mm256_permutevar8x32_epi32(sums, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
}

// 8-bit channels (four pixels per register) to eight 565 pixels, truncating.
inline __m128i Pack565x8(__m256i lo, __m256i hi) {
  const __m256i keep =
      _mm256_setr_epi16(0xF8, 0xFC, 0xF8, 0, 0xF8, 0xFC, 0xF8, 0, 0xF8, 0xFC, 0xF8, 0, 0xF8, 0xFC, 0xF8, 0);
  const __m256i weights = _mm256_setr_epi16(1, 64, 2048, 0, 1, 64, 2048, 0, 1, 64, 2048, 0, 1, 64, 2048, 0);
  __m256i a = _mm256_madd_epi16(_mm256_and_si256(lo, keep), weights);
  __m256i b = _mm256_madd_epi16(_mm256_and_si256(hi, keep), weights);
  return Narrow(_mm256_srli_epi32(SumPairs(a, b), 3));
}

// Dither565 for eight pixels: (2v - (v >> 4) + (v >> 7) + d) >> 4 for red and
// blue, (4v - (v >> 4) + (v >> 6) + d) >> 4 for green.
inline __m128i Dither565x8(__m256i lo, __m256i hi, __m256i ditherLo, __m256i ditherHi) {
  const __m256i times = _mm256_setr_epi16(2, 4, 2, 0, 2, 4, 2, 0, 2, 4, 2, 0, 2, 4, 2, 0);
  const __m256i down = _mm256_setr_epi16(512, 1024, 512, 0, 512, 1024, 512, 0, 512, 1024, 512, 0, 512, 1024,
                                         512, 0);  // >> 7, >> 6, >> 7
  const __m256i place = _mm256_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0, 1, 32, 2048, 0, 1, 32, 2048, 0);
  const __m256i fields = _mm256_setr_epi16(31, 63, 31, 0, 31, 63, 31, 0, 31, 63, 31, 0, 31, 63, 31, 0);
  __m256i v[2] = {lo, hi};
  const __m256i d[2] = {ditherLo, ditherHi};
  for (int k = 0; k < 2; ++k) {
    __m256i t = _mm256_sub_epi16(_mm256_mullo_epi16(v[k], times), _mm256_srli_epi16(v[k], 4));
    t = _mm256_add_epi16(_mm256_add_epi16(t, _mm256_mulhi_epu16(v[k], down)), d[k]);
    t = _mm256_and_si256(_mm256_srli_epi16(t, 4), fields);
    v[k] = _mm256_madd_epi16(t, place);
  }
  return Narrow(SumPairs(v[0], v[1]));
}

// The 4x4 dither values of eight consecutive pixels in 16-bit lanes (B G R
// of four pixels per register), by row & 3 and first column & 3.
struct DitherLanes8 {
  alignas(32) int16_t lanes[4][4][2][16];
  constexpr DitherLanes8() : lanes() {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        for (int lane = 0; lane < 8; ++lane)
          for (int c = 0; c < 3; ++c)
            lanes[y][x][lane / 4][(lane % 4) * 4 + c] = kDither4x4[y][(x + lane) & 3];
  }
};
constexpr DitherLanes8 kDitherLanes8;

// Eight 16-bit pixels from p: all eight when they lie in the row (whole),
// else the first `lanes` and zeros.
inline __m128i Load8(const uint16_t* p, bool whole, int lanes) {
  if (whole) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  alignas(16) uint16_t part[8] = {};
  std::memcpy(part, p, static_cast<size_t>(lanes) * sizeof(uint16_t));
  return _mm_load_si128(reinterpret_cast<const __m128i*>(part));
}
// The same for eight 32-bit pixels.
inline __m256i Load8x32(const uint32_t* p, bool whole, int lanes) {
  if (whole) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return _mm256_maskload_epi32(
      reinterpret_cast<const int*>(p),
      _mm256_cmpgt_epi32(_mm256_set1_epi32(lanes), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
}

// Eight 0x00RRGGBB pixels to 8-bit channels in 16-bit lanes B G R A (alpha 0,
// as a widened RGB565 pixel's), four pixels per register.
inline void Expand8888x8(__m256i pixels, __m256i* lo, __m256i* hi) {
  pixels = _mm256_and_si256(pixels, _mm256_set1_epi32(0x00FFFFFF));
  *lo = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(pixels));
  *hi = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(pixels, 1));
}

// 8-bit channels (four pixels per register) to eight 0x00RRGGBB pixels.
inline __m256i Pack8888x8(__m256i lo, __m256i hi) {
  // Packing works per 128-bit half: pixels 0 1 4 5 | 2 3 6 7, put back in order.
  const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
  return _mm256_and_si256(packed, _mm256_set1_epi32(0x00FFFFFF));
}

// Wrap (AND with the mask) or clamp to [-1, mask] of eight texel indices,
// plus one: the border column or row of the expanded level.
template <bool kClamp>
inline __m256i BorderIndex(__m256i i, __m256i mask) {
  const __m256i one = _mm256_set1_epi32(1);
  if constexpr (kClamp)
    return _mm256_add_epi32(_mm256_min_epi32(_mm256_max_epi32(i, _mm256_set1_epi32(-1)), mask), one);
  return _mm256_add_epi32(_mm256_and_si256(i, mask), one);
}

// Bilinear filter of eight footprints at texel addresses addr (top-left of
// each footprint) in rows of `stride` texels: 8-bit channels of pixels 0..3
// in *lo and 4..7 in *hi, as 16-bit lanes B G R A.
inline void Filter(const uint32_t* texels, __m256i addr, __m256i stride, __m256i fs, __m256i ft, __m256i* lo,
                   __m256i* hi) {
  const long long* base = reinterpret_cast<const long long*>(texels);
  __m256i below = _mm256_add_epi32(addr, stride);
  __m256i top[2] = {_mm256_i32gather_epi64(base, _mm256_castsi256_si128(addr), 4),
                    _mm256_i32gather_epi64(base, _mm256_extracti128_si256(addr, 1), 4)};
  __m256i bottom[2] = {_mm256_i32gather_epi64(base, _mm256_castsi256_si128(below), 4),
                       _mm256_i32gather_epi64(base, _mm256_extracti128_si256(below, 1), 4)};
  // Texel pairs B0 G0 R0 A0 B1 G1 R1 A1 to B0 B1 G0 G1 R0 R1 A0 A1, so one
  // multiply-add of bytes weighs the left and right texel of each channel.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1,
                                              5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  // Weights 16 - fs and fs as a byte pair per pixel; 16 - ft and ft per channel.
  __m256i sPair = _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(16), fs), _mm256_slli_epi32(fs, 8));
  __m256i sWeights[2] = {SpreadLow(sPair), SpreadHigh(sPair)};
  __m256i tWeights[2] = {SpreadLow(ft), SpreadHigh(ft)};
  const __m256i sixteen = _mm256_set1_epi16(16);
  __m256i out[2];
  for (int k = 0; k < 2; ++k) {
    __m256i upper = _mm256_maddubs_epi16(_mm256_shuffle_epi8(top[k], interleave), sWeights[k]);
    __m256i lower = _mm256_maddubs_epi16(_mm256_shuffle_epi8(bottom[k], interleave), sWeights[k]);
    // (upper * (16 - ft) + lower * ft) >> 8 == the four-weight sum >> 8; at most 65280.
    __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(upper, _mm256_sub_epi16(sixteen, tWeights[k])),
                                   _mm256_mullo_epi16(lower, tWeights[k]));
    out[k] = _mm256_srli_epi16(sum, 8);
  }
  *lo = out[0];
  *hi = out[1];
}

// Where each lane's level lies in the expanded texture, and its scale.
struct LevelLanes {
  __m256 scale;
  __m256i offset, stride, widthMask, heightMask;
};

// Table fog: c + (fog - c) * f / 256 == (c * (256 - f) + fog * f) >> 8,
// all unsigned 16-bit. The factors 256 - f and fog * f of eight lanes.
struct FogTerms8 {
  __m256i keepLo, keepHi, addLo, addHi;
};

// What one row fixes: its plane bases and buffer rows, the dither values of
// its lanes and, where W is flat along it, every value that follows from W.
struct OctetRow {
  __m256 wRow, sRow, tRow;
  uint16_t* colourRow;
  uint32_t* colourRow32;  // at 8 bits a channel
  uint16_t* depthRow;
  __m256 flatRecip;
  __m256i flatWf;
  FogTerms8 flatFog;
  LevelLanes flatLevel;  // set for mipmaps only
  __m256i ditherLo, ditherHi;
};

// Eight pixels on their way through the stages.
struct Octet {
  int x, lanes;
  bool whole;  // eight pixels from x lie in the row
  __m256 w;
  __m256i w32;
  __m256i drawn;  // lanes inside the span that passed the depth test
  __m128i storedDepth;
};

// Draws rows [bandStart, bandEnd) of a triangle in one of the fast states,
// eight pixels at a time. What is fixed for the triangle is set up once (the
// constructor); on rows where W does not change along x (a floor seen
// without roll) the divide, the depth value, the fog factor and the level
// are worked out once per row. Each step below is one stage of the
// pipeline, in its order, and is inlined into the octet loop.
template <class C, bool kSClamp, bool kTClamp, bool kColour32>
class OctetBand {
 public:
  OctetBand(const SpanContext& ctx)
      : st(ctx.derived->state),
        tri(*ctx.tri),
        fb(*ctx.target),
        tex(ctx.derived->texture),
        ex(*ctx.derived->expanded),
        wDx(_mm256_set1_ps(tri.w.dx)),
        sDx(_mm256_set1_ps(tri.s.dx)),
        tDx(_mm256_set1_ps(tri.t.dx)),
        depthWrite(st.depth.writeMask),
        baseLevel(UniformLevel(tex.lodMin)),
        lodLo(_mm256_set1_epi32(tex.lodMin << 8)),
        lodHi(_mm256_set1_epi32(tex.lodMax << 8)),
        lodOffset(_mm256_set1_epi32(tri.lodBase88 + tex.lodBias88)),
        texels(ex.texels.data()),
        fogC(FogColour(st.fog.colour)),
        srcFactor(_mm256_set1_epi16(static_cast<short>((st.constantColour >> 24) + 1))),
        dstFactor(_mm256_set1_epi16(static_cast<short>(256 - (st.constantColour >> 24)))),
        fogByW(ctx.derived->fogByW ? ctx.derived->fogByW->factor : nullptr),
        colourBuffer(fb.colour),
        colourBuffer32(fb.colour32),
        depthBuffer(fb.depth),
        stride(fb.stride),
        rowLimit(fb.width) {}

  // The band: every row, flat along x or not, then the counters.
  [[gnu::always_inline]] void Draw(int bandStart, int bandEnd, RasterCounters* counters) GFX_RESTRICT_THIS {
    // W fixed along x: w.dx is zero, so wRow + w.dx * dx == wRow for any
    // non-zero finite wRow (a zero could change sign).
    const bool wFlatX = tri.w.dx == 0.0f;
    uint64_t pixelsIn = 0, depthFailed = 0;
    RowWalker walker(tri, bandStart, bandEnd);
    for (int y = 0, x0 = 0, x1 = 0; walker.Next(&y, &x0, &x1);) {
      pixelsIn += static_cast<uint64_t>(x1 - x0);
      if (wFlatX) {
        const float wRow = tri.w.RowBase(y - tri.refY);
        // Finite and positive; rows behind the eye take the general path.
        if (wRow > 0.0f && wRow - wRow == 0.0f) {
          Row<true>(y, x0, x1, &depthFailed);
          continue;
        }
      }
      Row<false>(y, x0, x1, &depthFailed);
    }
    counters->pixelsIn += pixelsIn;
    counters->depthFailed += depthFailed;
    counters->pixelsWritten += pixelsIn - depthFailed;
  }

 private:
  static __m256i FogColour(uint32_t fogColour) {
    const short fogB = fogColour & 0xFF, fogG = (fogColour >> 8) & 0xFF, fogR = (fogColour >> 16) & 0xFF;
    return _mm256_setr_epi16(fogB, fogG, fogR, 0, fogB, fogG, fogR, 0, fogB, fogG, fogR, 0, fogB, fogG, fogR,
                             0);
  }

  template <bool kFlat>
  [[gnu::always_inline]] void Row(int y, int x0, int x1, uint64_t* depthFailed) const GFX_RESTRICT_THIS {
    OctetRow row;
    RowValues<kFlat>(y, x0, &row);
    const __m256 eight = _mm256_set1_ps(8.0f);
    __m256 dx = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(x0 - tri.refX)),
                              _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
    for (int x = x0; x < x1; x += 8, dx = _mm256_add_ps(dx, eight)) {
      Octet o;
      o.x = x;
      o.lanes = x1 - x < 8 ? x1 - x : 8;
      o.whole = x + 8 <= rowLimit;
      o.w = row.wRow;
      o.w32 = row.flatWf;
      if constexpr (!kFlat) {
        o.w = _mm256_add_ps(row.wRow, _mm256_mul_ps(wDx, dx));
        o.w32 = WFloat8(o.w);
      }
      if (!DepthTest(row, &o, depthFailed)) continue;
      __m256i lo, hi;
      Sample<kFlat>(row, o, dx, &lo, &hi);
      if constexpr (C::fog) Fog(kFlat ? row.flatFog : FogOf(o.w32), &lo, &hi);
      // Eight drawn pixels in a row are written whole; otherwise the lanes
      // not drawn keep what they held.
      const bool allDrawn = o.whole && _mm256_movemask_ps(_mm256_castsi256_ps(o.drawn)) == 0xFF;
      if constexpr (kColour32) {
        __m256i old = _mm256_setzero_si256();
        if (C::blend || !allDrawn) old = Load8x32(row.colourRow32 + x, o.whole, o.lanes);
        if constexpr (C::blend) {
          __m256i dl, dh;
          Expand8888x8(old, &dl, &dh);
          Blend(dl, dh, &lo, &hi);
        }
        Write(row, o, allDrawn, {old}, {Pack8888x8(lo, hi)});
      } else {
        __m128i old = _mm_setzero_si128();
        if (C::blend || !allDrawn) old = Load8(row.colourRow + x, o.whole, o.lanes);
        if constexpr (C::blend) {
          __m256i dl, dh;
          Expand565x8(old, &dl, &dh);
          Blend(dl, dh, &lo, &hi);
        }
        __m128i colour;
        if constexpr (C::dither)
          colour = Dither565x8(lo, hi, row.ditherLo, row.ditherHi);
        else
          colour = Pack565x8(lo, hi);
        Write(row, o, allDrawn, {old}, {colour});
      }
    }
  }

  template <bool kFlat>
  [[gnu::always_inline]] void RowValues(int y, int x0, OctetRow* row) const GFX_RESTRICT_THIS {
    const int rowOffset = y - tri.refY;
    const __m256i zero = _mm256_setzero_si256();
    row->wRow = _mm256_set1_ps(tri.w.RowBase(rowOffset));
    row->sRow = _mm256_set1_ps(tri.s.RowBase(rowOffset));
    row->tRow = _mm256_set1_ps(tri.t.RowBase(rowOffset));
    const ptrdiff_t rowStart = static_cast<ptrdiff_t>(y) * stride;
    // Only the target's own colour buffer is there.
    row->colourRow = nullptr;
    row->colourRow32 = nullptr;
    if constexpr (kColour32)
      row->colourRow32 = colourBuffer32 + rowStart;
    else
      row->colourRow = colourBuffer + rowStart;
    row->depthRow = depthBuffer + rowStart;
    row->flatRecip = _mm256_setzero_ps();
    row->flatWf = zero;
    row->flatFog = FogTerms8{zero, zero, zero, zero};
    if constexpr (kFlat) {
      row->flatRecip = _mm256_div_ps(_mm256_set1_ps(1.0f), row->wRow);
      row->flatWf = WFloat8(row->wRow);
      if constexpr (C::fog) row->flatFog = FogOf(row->flatWf);
      if constexpr (C::mipmap) row->flatLevel = LevelLanesOf(LevelsOf(row->wRow));
    }
    row->ditherLo = row->ditherHi = zero;
    if constexpr (C::dither && !kColour32) {
      const int16_t(&dv)[2][16] = kDitherLanes8.lanes[y & 3][x0 & 3];
      row->ditherLo = _mm256_load_si256(reinterpret_cast<const __m256i*>(dv[0]));
      row->ditherHi = _mm256_load_si256(reinterpret_cast<const __m256i*>(dv[1]));
    }
  }

  // Lanes to draw: inside the span and, for depth less, in front. False when none is.
  [[gnu::always_inline]] bool DepthTest(const OctetRow& row, Octet* o,
                                        uint64_t* depthFailed) const GFX_RESTRICT_THIS {
    o->drawn = _mm256_cmpgt_epi32(_mm256_set1_epi32(o->lanes), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    o->storedDepth = _mm_setzero_si128();
    if constexpr (C::depthLess) {
      o->storedDepth = Load8(row.depthRow + o->x, o->whole, o->lanes);
      __m256i front = _mm256_cmpgt_epi32(_mm256_cvtepu16_epi32(o->storedDepth), o->w32);
      const unsigned inSpan = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(o->drawn)));
      o->drawn = _mm256_and_si256(o->drawn, front);
      const unsigned pass = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(o->drawn)));
      if (pass != inSpan) {
        *depthFailed += static_cast<unsigned>(__builtin_popcount(inSpan & ~pass));
        if (pass == 0) return false;
      }
    }
    return true;
  }

  [[gnu::always_inline]] LevelLanes UniformLevel(int level) const GFX_RESTRICT_THIS {
    return LevelLanes{_mm256_set1_ps(16.0f / static_cast<float>(1 << level)),
                      _mm256_set1_epi32(ex.offset[level]), _mm256_set1_epi32(ex.stride[level]),
                      _mm256_set1_epi32(ex.widthMask[level]), _mm256_set1_epi32(ex.heightMask[level])};
  }
  // Lanes mostly share a level: then it is read once, else per lane.
  [[gnu::always_inline]] LevelLanes LevelLanesOf(__m256i levels) const GFX_RESTRICT_THIS {
    const int first = _mm256_cvtsi256_si32(levels);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(levels, _mm256_set1_epi32(first))) == -1)
      return UniformLevel(first);
    return LevelLanes{
        _mm256_castsi256_ps(
            _mm256_slli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(127 + 4), levels), 23)),  // 16 / 2^level
        _mm256_i32gather_epi32(ex.offset, levels, 4), _mm256_i32gather_epi32(ex.stride, levels, 4),
        _mm256_i32gather_epi32(ex.widthMask, levels, 4), _mm256_i32gather_epi32(ex.heightMask, levels, 4)};
  }
  // Level of detail of eight lanes from W, as the reference clamps it.
  [[gnu::always_inline]] __m256i LevelsOf(__m256 w) const GFX_RESTRICT_THIS {
    __m256i log =
        _mm256_sub_epi32(_mm256_srai_epi32(_mm256_castps_si256(w), 15), _mm256_set1_epi32(127 << 8));
    __m256i lod = _mm256_min_epi32(_mm256_max_epi32(_mm256_sub_epi32(lodOffset, log), lodLo), lodHi);
    return _mm256_srai_epi32(lod, 8);
  }

  // S/W and T/W (zero behind the eye), the level, the footprint in the
  // expanded texture and its bilinear blend: 8-bit channels of pixels 0..3
  // in *lo and 4..7 in *hi.
  template <bool kFlat>
  [[gnu::always_inline]] void Sample(const OctetRow& row, const Octet& o, __m256 dx, __m256i* lo,
                                     __m256i* hi) const GFX_RESTRICT_THIS {
    __m256 recip = row.flatRecip, negative = _mm256_setzero_ps();
    if constexpr (!kFlat) {
      recip = _mm256_div_ps(_mm256_set1_ps(1.0f), o.w);
      negative = _mm256_cmp_ps(o.w, _mm256_setzero_ps(), _CMP_LT_OQ);
    }
    __m256 s = _mm256_mul_ps(_mm256_add_ps(row.sRow, _mm256_mul_ps(sDx, dx)), recip);
    __m256 t = _mm256_mul_ps(_mm256_add_ps(row.tRow, _mm256_mul_ps(tDx, dx)), recip);
    if constexpr (!kFlat) {  // flat rows are in front of the eye (W > 0)
      s = _mm256_andnot_ps(negative, s);
      t = _mm256_andnot_ps(negative, t);
    }
    // Without mipmaps every lane reads the base level.
    const LevelLanes lv = !C::mipmap ? baseLevel : (kFlat ? row.flatLevel : LevelLanesOf(LevelsOf(o.w)));
    const __m256 half = _mm256_set1_ps(8.0f);
    const __m256 limitLo = _mm256_set1_ps(-kTexCoordLimit), limitHi = _mm256_set1_ps(kTexCoordLimit);
    __m256 s16 = _mm256_sub_ps(_mm256_mul_ps(s, lv.scale), half);
    __m256 t16 = _mm256_sub_ps(_mm256_mul_ps(t, lv.scale), half);
    __m256i si = FloorPs(_mm256_min_ps(_mm256_max_ps(s16, limitLo), limitHi));
    __m256i ti = FloorPs(_mm256_min_ps(_mm256_max_ps(t16, limitLo), limitHi));
    const __m256i fraction = _mm256_set1_epi32(15);
    __m256i column = BorderIndex<kSClamp>(_mm256_srai_epi32(si, 4), lv.widthMask);
    __m256i rowIndex = BorderIndex<kTClamp>(_mm256_srai_epi32(ti, 4), lv.heightMask);
    __m256i addr =
        _mm256_add_epi32(_mm256_add_epi32(lv.offset, _mm256_mullo_epi32(rowIndex, lv.stride)), column);
    Filter(texels, addr, lv.stride, _mm256_and_si256(si, fraction), _mm256_and_si256(ti, fraction), lo, hi);
  }

  [[gnu::always_inline]] FogTerms8 FogOf(__m256i wf) const GFX_RESTRICT_THIS {
    __m256i f = _mm256_and_si256(_mm256_i32gather_epi32(reinterpret_cast<const int*>(fogByW), wf, 2),
                                 _mm256_set1_epi32(0xFFFF));
    __m256i fl = SpreadLow(f), fh = SpreadHigh(f);
    const __m256i n256 = _mm256_set1_epi16(256);
    return FogTerms8{_mm256_sub_epi16(n256, fl), _mm256_sub_epi16(n256, fh), _mm256_mullo_epi16(fogC, fl),
                     _mm256_mullo_epi16(fogC, fh)};
  }
  [[gnu::always_inline]] static void Fog(const FogTerms8& fog, __m256i* lo, __m256i* hi) {
    *lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(*lo, fog.keepLo), fog.addLo), 8);
    *hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(*hi, fog.keepHi), fog.addHi), 8);
  }

  // Source alpha / one minus source alpha with the constant alpha over the
  // destination: the weights sum to 257, so the sum fits 16 bits unsigned.
  // dl, dh: the destination's channels, as the filter's.
  [[gnu::always_inline]] void Blend(__m256i dl, __m256i dh, __m256i* lo,
                                    __m256i* hi) const GFX_RESTRICT_THIS {
    *lo = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(*lo, srcFactor), _mm256_mullo_epi16(dl, dstFactor)), 8);
    *hi = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(*hi, srcFactor), _mm256_mullo_epi16(dh, dstFactor)), 8);
  }

  // Colour and (when depth writes are on) depth of the drawn lanes; `old`
  // holds the colour row's pixels unless all eight are drawn. The colour is
  // eight RGB565 pixels, or eight 0x00RRGGBB ones at 8 bits a channel.
  // (The registers in structs: a vector type is no template argument.)
  struct Lanes16 {
    __m128i v;
  };
  struct Lanes32 {
    __m256i v;
  };
  using ColourPixel = std::conditional_t<kColour32, uint32_t, uint16_t>;
  using ColourLanes = std::conditional_t<kColour32, Lanes32, Lanes16>;
  [[gnu::always_inline]] static void StoreColour(ColourPixel* at, ColourLanes lanes) {
    if constexpr (kColour32)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), lanes.v);
    else
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at), lanes.v);
  }
  [[gnu::always_inline]] void Write(const OctetRow& row, const Octet& o, bool allDrawn, ColourLanes old,
                                    ColourLanes colour) const GFX_RESTRICT_THIS {
    ColourPixel* colourAt = (kColour32 ? reinterpret_cast<ColourPixel*>(row.colourRow32)
                                       : reinterpret_cast<ColourPixel*>(row.colourRow)) +
                            o.x;
    uint16_t* depthAt = row.depthRow + o.x;
    const __m128i depth = Narrow(o.w32);
    if (allDrawn) {
      StoreColour(colourAt, colour);
      if (depthWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(depthAt), depth);
      return;
    }
    const __m128i keepMask =
        _mm_packs_epi32(_mm256_castsi256_si128(o.drawn), _mm256_extracti128_si256(o.drawn, 1));
    if (o.whole) {
      if constexpr (kColour32)
        StoreColour(colourAt, {_mm256_blendv_epi8(old.v, colour.v, o.drawn)});
      else
        StoreColour(colourAt, {_mm_blendv_epi8(old.v, colour.v, keepMask)});
      if (depthWrite) {
        // The depth test read these already.
        __m128i stored = o.storedDepth;
        if constexpr (!C::depthLess) stored = _mm_loadu_si128(reinterpret_cast<const __m128i*>(depthAt));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(depthAt), _mm_blendv_epi8(stored, depth, keepMask));
      }
      return;
    }
    alignas(32) ColourPixel out[8];
    alignas(16) uint16_t depthOut[8], mask[8];
    StoreColour(out, colour);
    _mm_store_si128(reinterpret_cast<__m128i*>(depthOut), depth);
    _mm_store_si128(reinterpret_cast<__m128i*>(mask), keepMask);
    for (int lane = 0; lane < o.lanes; ++lane) {
      if (mask[lane] == 0) continue;
      colourAt[lane] = out[lane];
      if (depthWrite) depthAt[lane] = depthOut[lane];
    }
  }

  const RasterState& st;
  const TriangleSetup& tri;
  const Framebuffer& fb;
  const DerivedTexture& tex;
  const ExpandedTexture& ex;
  const __m256 wDx, sDx, tDx;
  const bool depthWrite;
  const LevelLanes baseLevel;
  const __m256i lodLo, lodHi, lodOffset;
  const uint32_t* texels;
  // Fog colour and blend factors in 16-bit lanes (B G R A).
  const __m256i fogC, srcFactor, dstFactor;
  const uint16_t* fogByW;
  uint16_t* const colourBuffer;
  uint32_t* const colourBuffer32;
  uint16_t* const depthBuffer;
  const int stride;    // pixels between rows
  const int rowLimit;  // pixels of a row that may be read and written back unchanged
};

template <class C, bool kSClamp, bool kTClamp, bool kColour32>
void WideBand(const SpanContext& ctx, int bandStart, int bandEnd) {
  if (DrawnWithoutAuxBuffer(ctx, bandStart, bandEnd)) return;
  OctetBand<C, kSClamp, kTClamp, kColour32> band(ctx);
  band.Draw(bandStart, bandEnd, ctx.counters);
}

}  // namespace

BandFunction PickWideBand(const Derived& d, bool colour32, const char** name, bool* needsAllPlanes,
                          bool* needsLod) {
  static constexpr const char* kNames[4] = {"floor-avx2", "mesh-avx2", "bodies-avx2", "bodies-mip-avx2"};
  static constexpr const char* kNames32[4] = {"floor-avx2 32-bit", "mesh-avx2 32-bit", "bodies-avx2 32-bit",
                                              "bodies-mip-avx2 32-bit"};
  if (colour32)
    return PickWide(d, kNames32, name, needsAllPlanes, needsLod,
                    []<class C, bool kSClamp, bool kTClamp>() -> BandFunction {
                      return WideBand<C, kSClamp, kTClamp, true>;
                    });
  return PickWide(d, kNames, name, needsAllPlanes, needsLod,
                  []<class C, bool kSClamp, bool kTClamp>() -> BandFunction {
                    return WideBand<C, kSClamp, kTClamp, false>;
                  });
}

}  // namespace gfx::raster

#pragma GCC pop_options
