// fast_spans.cpp — specialised spans for the states the programs draw with
// most: decal-textured, bilinear, w-buffered pixels, optionally with table
// fog and blending by a constant alpha (the world saver's floor and mesh) or
// with 4x4 dithering and mipmaps (the object saver's bodies). Four pixels at
// a time with SSE2; each value is computed with the same operations as the
// reference span, so the pictures are identical (tests hold them to it).
#include <emmintrin.h>

#include <cstring>
#include <type_traits>

#include "dither.h"
#include "fast_shape.h"
#include "fog.h"
#include "pipeline.h"
#include "setup.h"
#include "span.h"
#include "texture.h"
#include "write.h"

namespace gfx::raster {

namespace {

// What a fast span needs to know at compile time. kColour32: the colour
// buffer keeps 8 bits a channel (never dithered).
template <bool kSixteenBit, bool kMipmap, bool kFog, bool kBlend, bool kDepthLess, bool kDither,
          bool kColour32 = false>
struct Config {
  static constexpr bool sixteenBit = kSixteenBit, mipmap = kMipmap, fog = kFog, blend = kBlend;
  static constexpr bool depthLess = kDepthLess, dither = kDither, colour32 = kColour32;
  static_assert(!(kDither && kColour32), "8 bits a channel are never dithered");
};

inline uint32_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);  // texels are little-endian, as is the host
  return v;
}

inline int Popcount4(unsigned mask) {
  static constexpr uint8_t kCount[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
  return kCount[mask & 15];
}

// Replicates the four 32-bit lanes' low 16 bits to four 16-bit lanes each:
// returns {lane0 x4, lane1 x4} and {lane2 x4, lane3 x4}.
inline void Spread(__m128i v, __m128i* lo, __m128i* hi) {
  __m128i packed = _mm_packs_epi32(v, v);              // w0 w1 w2 w3 w0 w1 w2 w3
  __m128i pairs = _mm_unpacklo_epi16(packed, packed);  // w0 w0 w1 w1 w2 w2 w3 w3
  *lo = _mm_unpacklo_epi32(pairs, pairs);              // w0 w0 w0 w0 w1 w1 w1 w1
  *hi = _mm_unpackhi_epi32(pairs, pairs);
}

// The same for eight 16-bit lanes holding two values of four lanes each,
// {a0 a1 a2 a3 b0 b1 b2 b3}: a spread to aLo/aHi and b to bLo/bHi.
inline void SpreadPair(__m128i v, __m128i* aLo, __m128i* aHi, __m128i* bLo, __m128i* bHi) {
  __m128i a = _mm_unpacklo_epi16(v, v), b = _mm_unpackhi_epi16(v, v);
  *aLo = _mm_unpacklo_epi32(a, a);
  *aHi = _mm_unpackhi_epi32(a, a);
  *bLo = _mm_unpacklo_epi32(b, b);
  *bHi = _mm_unpackhi_epi32(b, b);
}

// Floor of clamped floats, as FloorClamped does it.
inline __m128i FloorPs(__m128 v) {
  __m128i t = _mm_cvttps_epi32(v);
  __m128 back = _mm_cvtepi32_ps(t);
  return _mm_add_epi32(t, _mm_castps_si128(_mm_cmpgt_ps(back, v)));
}

// 565 pixels (four in the low 64 bits) to 8-bit channels in 16-bit lanes B G R A.
inline void Expand565x4(__m128i pixels, __m128i* lo, __m128i* hi) {
  const __m128i masks = _mm_setr_epi16(0x001F, 0x07E0, static_cast<short>(0xF800), 0, 0x001F, 0x07E0,
                                       static_cast<short>(0xF800), 0);
  const __m128i align = _mm_setr_epi16(2048, 32, 1, 0, 2048, 32, 1, 0);  // top bit of each field to bit 15
  const __m128i high = _mm_setr_epi16(256, 256, 256, 0, 256, 256, 256, 0);
  const __m128i low = _mm_setr_epi16(8, 4, 8, 0, 8, 4, 8, 0);  // >> 13, >> 14, >> 13
  __m128i pairs = _mm_unpacklo_epi16(pixels, pixels);
  __m128i parts[2] = {_mm_unpacklo_epi32(pairs, pairs), _mm_unpackhi_epi32(pairs, pairs)};
  for (__m128i& p : parts) {
    __m128i t = _mm_mullo_epi16(_mm_and_si128(p, masks), align);
    p = _mm_or_si128(_mm_mulhi_epu16(t, high), _mm_mulhi_epu16(t, low));
  }
  *lo = parts[0];
  *hi = parts[1];
}

// 8-bit channels in 16-bit lanes (two pixels per register) to four 565 pixels, truncating.
inline __m128i Pack565x4(__m128i lo, __m128i hi) {
  const __m128i keep = _mm_setr_epi16(0xF8, 0xFC, 0xF8, 0, 0xF8, 0xFC, 0xF8, 0);
  const __m128i weights = _mm_setr_epi16(1, 64, 2048, 0, 1, 64, 2048, 0);
  __m128i a = _mm_madd_epi16(_mm_and_si128(lo, keep), weights);  // B + G | R  per pixel pair
  __m128i b = _mm_madd_epi16(_mm_and_si128(hi, keep), weights);
  // Sum the two halves of each pixel: lanes (0,1) (2,3).
  __m128i sumA = _mm_add_epi32(a, _mm_srli_epi64(a, 32));
  __m128i sumB = _mm_add_epi32(b, _mm_srli_epi64(b, 32));
  __m128i both = _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(sumA), _mm_castsi128_ps(sumB), _MM_SHUFFLE(2, 0, 2, 0)));
  both = _mm_srli_epi32(both, 3);
  return _mm_packs_epi32(_mm_sub_epi32(both, _mm_set1_epi32(32768)),
                         _mm_setzero_si128());  // biased to signed range
}

// WFloat for four lanes.
inline __m128i WFloat4(__m128 oow) {
  __m128i bits = _mm_castps_si128(oow);
  __m128i exponent = _mm_srli_epi32(bits, 23);  // the sign bit lands above the exponent
  __m128i zeros = _mm_sub_epi32(_mm_set1_epi32(126), exponent);
  __m128i mantissa = _mm_and_si128(_mm_srli_epi32(bits, 11), _mm_set1_epi32(0xFFF));
  __m128i wf = _mm_sub_epi32(_mm_add_epi32(_mm_slli_epi32(zeros, 12), _mm_set1_epi32(0x1000)), mantissa);
  __m128i max = _mm_set1_epi32(0xFFFF);
  __m128i tooFar = _mm_or_si128(_mm_cmplt_epi32(exponent, _mm_set1_epi32(111)), _mm_cmpgt_epi32(wf, max));
  __m128i near = _mm_cmpgt_epi32(exponent, _mm_set1_epi32(126));
  wf = _mm_or_si128(_mm_andnot_si128(tooFar, wf), _mm_and_si128(tooFar, max));
  return _mm_andnot_si128(near, wf);
}

// Wrap (AND with size - 1) or clamp to [0, size - 1] of four texel indices.
inline __m128i Wrap4(__m128i i, __m128i mask, bool clamp) {
  if (!clamp) return _mm_and_si128(i, mask);
  i = _mm_andnot_si128(_mm_cmplt_epi32(i, _mm_setzero_si128()), i);
  __m128i over = _mm_cmpgt_epi32(i, mask);
  return _mm_or_si128(_mm_andnot_si128(over, i), _mm_and_si128(over, mask));
}

// A gathered texel: the raw 16-bit value (Expand565x4 widens four at once)
// or the 8-bit index already looked up.
template <class C>
using Texel = std::conditional_t<C::sixteenBit, uint16_t, uint32_t>;

template <class C>
inline void Gather(const DerivedTexture& tex, const uint8_t* texels, int a00, int a10, int a01, int a11,
                   Texel<C>* c00, Texel<C>* c10, Texel<C>* c01, Texel<C>* c11) {
  if constexpr (C::sixteenBit) {
    *c00 = static_cast<uint16_t>(Load16(texels + 2 * a00));
    *c10 = static_cast<uint16_t>(Load16(texels + 2 * a10));
    *c01 = static_cast<uint16_t>(Load16(texels + 2 * a01));
    *c11 = static_cast<uint16_t>(Load16(texels + 2 * a11));
  } else {
    *c00 = tex.lut8[texels[a00]];
    *c10 = tex.lut8[texels[a10]];
    *c01 = tex.lut8[texels[a01]];
    *c11 = tex.lut8[texels[a11]];
  }
}

// Dither565 for four pixels: (2v - (v >> 4) + (v >> 7) + d) >> 4 for red and
// blue, (4v - (v >> 4) + (v >> 6) + d) >> 4 for green.
inline __m128i Dither565x4(__m128i lo, __m128i hi, __m128i ditherLo, __m128i ditherHi) {
  const __m128i times = _mm_setr_epi16(2, 4, 2, 0, 2, 4, 2, 0);
  const __m128i down = _mm_setr_epi16(512, 1024, 512, 0, 512, 1024, 512, 0);  // >> 7, >> 6, >> 7
  const __m128i place = _mm_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0);
  __m128i v[2] = {lo, hi};
  const __m128i d[2] = {ditherLo, ditherHi};
  for (int k = 0; k < 2; ++k) {
    __m128i t = _mm_sub_epi16(_mm_mullo_epi16(v[k], times), _mm_srli_epi16(v[k], 4));
    t = _mm_add_epi16(_mm_add_epi16(t, _mm_mulhi_epu16(v[k], down)), d[k]);
    t = _mm_and_si128(_mm_srli_epi16(t, 4), _mm_setr_epi16(31, 63, 31, 0, 31, 63, 31, 0));
    v[k] = _mm_madd_epi16(t, place);
  }
  __m128i sumA = _mm_add_epi32(v[0], _mm_srli_epi64(v[0], 32));
  __m128i sumB = _mm_add_epi32(v[1], _mm_srli_epi64(v[1], 32));
  __m128i both = _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(sumA), _mm_castsi128_ps(sumB), _MM_SHUFFLE(2, 0, 2, 0)));
  __m128i packed = _mm_packs_epi32(_mm_sub_epi32(both, _mm_set1_epi32(32768)), _mm_setzero_si128());
  return _mm_xor_si128(packed, _mm_set1_epi16(static_cast<short>(0x8000)));
}

// The dither values of four consecutive pixels in 16-bit lanes (B G R of two
// pixels per register), by row & 3 and first column & 3: built once, so a row
// loads them instead of assembling them.
struct DitherLanes {
  alignas(16) int16_t lanes[4][4][2][8];
  constexpr DitherLanes() : lanes() {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        for (int lane = 0; lane < 4; ++lane)
          for (int c = 0; c < 3; ++c)
            lanes[y][x][lane / 2][(lane % 2) * 4 + c] = kDither4x4[y][(x + lane) & 3];
  }
};
constexpr DitherLanes kDitherLanes;

// Texel addresses of a 2x2 footprint in one level, four lanes at once.
struct Footprint {
  __m128i a00, a10, a01, a11;
};
inline Footprint Addresses(__m128i si, __m128i ti, __m128i sMask, __m128i tMask, __m128i widthShift,
                           bool sClamp, bool tClamp) {
  const __m128i one = _mm_set1_epi32(1);
  __m128i i0 = _mm_srai_epi32(si, 4), j0 = _mm_srai_epi32(ti, 4);
  __m128i i1 = _mm_add_epi32(i0, one), j1 = _mm_add_epi32(j0, one);
  i0 = Wrap4(i0, sMask, sClamp);
  i1 = Wrap4(i1, sMask, sClamp);
  j0 = _mm_sll_epi32(Wrap4(j0, tMask, tClamp), widthShift);
  j1 = _mm_sll_epi32(Wrap4(j1, tMask, tClamp), widthShift);
  return Footprint{_mm_add_epi32(j0, i0), _mm_add_epi32(j0, i1), _mm_add_epi32(j1, i0),
                   _mm_add_epi32(j1, i1)};
}

// Table fog: c + (fog - c) * f / 256 == (c * (256 - f) + fog * f) >> 8,
// all unsigned 16-bit. The factors 256 - f and fog * f of four lanes.
struct FogTerms {
  __m128i keepLo, keepHi, addLo, addHi;
};

// Four pixels as 8-bit channels in 16-bit lanes B G R A, two a register.
struct PixelPairs {
  __m128i lo, hi;
};

// What one row of a fast band fixes: its plane bases and buffer rows, the
// dither values of its lanes and, where W is flat along it, every value
// that follows from W.
struct QuadRow {
  __m128 wRow, sRow, tRow;
  uint16_t* colourRow;
  uint32_t* colourRow32;  // instead of colourRow, at 8 bits a channel
  uint16_t* depthRow;
  __m128 flatRecip;
  __m128i flatWf, flatDepth, flatLevels;
  FogTerms flatFog;
  __m128i ditherLo, ditherHi;
};

// The four texels of each lane's bilinear footprint.
template <class C>
struct QuadTexels {
  alignas(16) Texel<C> c00[4], c10[4], c01[4], c11[4];
};

// Draws rows [bandStart, bandEnd) of a triangle in one of the fast states,
// four pixels at a time. What is fixed for the triangle is set up once (the
// constructor); on rows where W does not change along x (a floor seen
// without roll) the divide, the depth value, the fog factor and the level
// are worked out once per row. Each step below is one stage of the
// pipeline, in its order, and is inlined into the quad loop.
template <class C>
class QuadBand {
 public:
  QuadBand(const SpanContext& ctx)
      : st(ctx.derived->state),
        tri(*ctx.tri),
        fb(*ctx.target),
        tex(ctx.derived->texture),
        wDx(_mm_set1_ps(tri.w.dx)),
        sDx(_mm_set1_ps(tri.s.dx)),
        tDx(_mm_set1_ps(tri.t.dx)),
        depthWrite(st.depth.writeMask),
        lodMin(tex.lodMin),
        baseWidthMask(_mm_set1_epi32((1 << tex.levels[lodMin].widthLog2) - 1)),
        baseHeightMask(_mm_set1_epi32((1 << tex.levels[lodMin].heightLog2) - 1)),
        baseWidthShift(_mm_cvtsi32_si128(tex.levels[lodMin].widthLog2)),
        fixedScale(_mm_set1_ps(LevelScale(lodMin))),
        lodLo(_mm_set1_epi32(tex.lodMin << 8)),
        lodHi(_mm_set1_epi32(tex.lodMax << 8)),
        lodOffset(_mm_set1_epi32(tri.lodBase88 + tex.lodBias88)),
        fogC(_mm_setr_epi16(st.fog.colour & 0xFF, (st.fog.colour >> 8) & 0xFF, (st.fog.colour >> 16) & 0xFF,
                            0, st.fog.colour & 0xFF, (st.fog.colour >> 8) & 0xFF,
                            (st.fog.colour >> 16) & 0xFF, 0)),
        srcFactor(_mm_set1_epi16(static_cast<short>((st.constantColour >> 24) + 1))),
        dstFactor(_mm_set1_epi16(static_cast<short>(256 - (st.constantColour >> 24)))),
        fogByW(ctx.derived->fogByW ? ctx.derived->fogByW->factor : nullptr) {}

  // The band: every row, flat along x or not, then the counters.
  [[gnu::always_inline]] void Draw(int bandStart, int bandEnd, RasterCounters* counters) {
    // W fixed along x: w.dx is zero, so wRow + w.dx * dx == wRow for any
    // non-zero finite wRow (a zero could change sign).
    const bool wFlatX = tri.w.dx == 0.0f;
    WalkRows(tri, bandStart, bandEnd, [&](int y, int x0, int x1) {
      if (wFlatX) {
        const float wRow = tri.w.RowBase(y - tri.refY);
        // Finite and positive; rows behind the eye take the general path.
        if (wRow > 0.0f && wRow - wRow == 0.0f) return Row<true>(y, x0, x1);
      }
      Row<false>(y, x0, x1);
    });
    counters->pixelsIn += pixelsIn;
    counters->depthFailed += depthFailed;
    counters->pixelsWritten += pixelsIn - depthFailed;
  }

 private:
  template <bool kFlat>
  [[gnu::always_inline]] void Row(int y, int x0, int x1) {
    const QuadRow row = RowValues<kFlat>(y, x0);
    const __m128 four = _mm_set1_ps(4.0f);
    __m128 dx = _mm_add_ps(_mm_set1_ps(static_cast<float>(x0 - tri.refX)), _mm_setr_ps(0, 1, 2, 3));
    for (int x = x0; x < x1; x += 4, dx = _mm_add_ps(dx, four)) {
      const int lanes = x1 - x < 4 ? x1 - x : 4;
      // Per-pixel W: the reference's operations, four lanes at once.
      __m128 w = row.wRow;
      __m128i wf4 = row.flatWf;
      if constexpr (!kFlat) {
        w = _mm_add_ps(row.wRow, _mm_mul_ps(wDx, dx));
        wf4 = WFloat4(w);
      }
      // Depth test first: a quad hidden everywhere costs no texturing.
      const unsigned pass = DepthTest(row, x, lanes, wf4);
      if (pass == 0) continue;
      __m128i levels, si, ti;
      TexelCoordinates<kFlat>(row, w, dx, &levels, &si, &ti);
      QuadTexels<C> texels;
      Fetch(levels, si, ti, &texels);
      __m128i lo, hi;
      Filter(si, ti, texels, &lo, &hi);
      if constexpr (C::fog) Fog(kFlat ? row.flatFog : FogOf(wf4), &lo, &hi);
      if constexpr (C::blend && C::colour32) Blend(Destination32(row.colourRow32 + x, lanes), &lo, &hi);
      if constexpr (C::blend && !C::colour32) Blend(Destination565(row.colourRow + x, lanes), &lo, &hi);
      Write(row, x, lanes, pass, Colour(row, lo, hi), kFlat ? row.flatDepth : DepthValues(wf4));
    }
    pixelsIn += static_cast<uint64_t>(x1 - x0);
  }

  template <bool kFlat>
  [[gnu::always_inline]] QuadRow RowValues(int y, int x0) const {
    const int rowOffset = y - tri.refY;
    QuadRow row{};
    row.wRow = _mm_set1_ps(tri.w.RowBase(rowOffset));
    row.sRow = _mm_set1_ps(tri.s.RowBase(rowOffset));
    row.tRow = _mm_set1_ps(tri.t.RowBase(rowOffset));
    if constexpr (C::colour32)
      row.colourRow32 = fb.colour32 + static_cast<ptrdiff_t>(y) * fb.stride;
    else
      row.colourRow = fb.colour + static_cast<ptrdiff_t>(y) * fb.stride;
    row.depthRow = fb.depth + static_cast<ptrdiff_t>(y) * fb.stride;
    if constexpr (kFlat) {
      row.flatRecip = _mm_div_ps(_mm_set1_ps(1.0f), row.wRow);
      row.flatWf = WFloat4(row.wRow);
      row.flatDepth = DepthValues(row.flatWf);
      if constexpr (C::fog) row.flatFog = FogOf(row.flatWf);
      if constexpr (C::mipmap) row.flatLevels = LevelsOf(row.wRow);
    }
    // The 4x4 dither values of this row for lanes 0..3 (x advances by four,
    // so x & 3 of each lane is fixed for the span).
    if constexpr (C::dither) {
      const int16_t(&dv)[2][8] = kDitherLanes.lanes[y & 3][x0 & 3];
      row.ditherLo = _mm_load_si128(reinterpret_cast<const __m128i*>(dv[0]));
      row.ditherHi = _mm_load_si128(reinterpret_cast<const __m128i*>(dv[1]));
    }
    return row;
  }

  // Depth less against the stored depth: the lanes that pass, of `lanes`.
  [[gnu::always_inline]] unsigned DepthTest(const QuadRow& row, int x, int lanes, __m128i wf4) {
    const unsigned full = (1u << lanes) - 1;
    if constexpr (!C::depthLess) return full;
    const __m128i zero = _mm_setzero_si128();
    __m128i stored;
    if (lanes == 4) {
      stored = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row.depthRow + x)), zero);
    } else {
      alignas(16) int32_t part[4] = {0, 0, 0, 0};
      for (int lane = 0; lane < lanes; ++lane) part[lane] = row.depthRow[x + lane];
      stored = _mm_load_si128(reinterpret_cast<const __m128i*>(part));
    }
    const unsigned pass =
        full & static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(wf4, stored))));
    if (pass != full) depthFailed += static_cast<unsigned>(Popcount4(full & ~pass));
    return pass;
  }

  // Level of detail of four lanes from W, as the reference clamps it.
  [[gnu::always_inline]] __m128i LevelsOf(__m128 w) const {
    __m128i log = _mm_sub_epi32(_mm_srai_epi32(_mm_castps_si128(w), 15), _mm_set1_epi32(127 << 8));
    __m128i lod = _mm_sub_epi32(lodOffset, log);
    __m128i below = _mm_cmplt_epi32(lod, lodLo), above = _mm_cmpgt_epi32(lod, lodHi);
    lod = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(below, above), lod),
                       _mm_or_si128(_mm_and_si128(below, lodLo), _mm_and_si128(above, lodHi)));
    return _mm_srai_epi32(lod, 8);
  }

  // S/W and T/W (zero behind the eye), the level, and the coordinates in
  // 1/16 texels of that level with the half-texel bilinear offset.
  template <bool kFlat>
  [[gnu::always_inline]] void TexelCoordinates(const QuadRow& row, __m128 w, __m128 dx, __m128i* levels,
                                               __m128i* si, __m128i* ti) const {
    __m128 recip = row.flatRecip, negative = _mm_setzero_ps();
    if constexpr (!kFlat) {
      recip = _mm_div_ps(_mm_set1_ps(1.0f), w);
      negative = _mm_cmplt_ps(w, _mm_setzero_ps());
    }
    __m128 sPlane = _mm_add_ps(row.sRow, _mm_mul_ps(sDx, dx));
    __m128 tPlane = _mm_add_ps(row.tRow, _mm_mul_ps(tDx, dx));
    __m128 s = _mm_mul_ps(sPlane, recip), t = _mm_mul_ps(tPlane, recip);
    if constexpr (!kFlat) {  // flat rows are in front of the eye (W > 0)
      s = _mm_andnot_ps(negative, s);
      t = _mm_andnot_ps(negative, t);
    }
    __m128 scale = fixedScale;
    *levels = row.flatLevels;
    if constexpr (C::mipmap) {
      if constexpr (!kFlat) *levels = LevelsOf(w);
      scale = _mm_castsi128_ps(
          _mm_slli_epi32(_mm_sub_epi32(_mm_set1_epi32(127 + 4), *levels), 23));  // 16 / 2^level
    }
    const __m128 half = _mm_set1_ps(8.0f);
    const __m128 limitLo = _mm_set1_ps(-kTexCoordLimit), limitHi = _mm_set1_ps(kTexCoordLimit);
    __m128 s16 = _mm_sub_ps(_mm_mul_ps(s, scale), half);
    __m128 t16 = _mm_sub_ps(_mm_mul_ps(t, scale), half);
    *si = FloorPs(_mm_min_ps(_mm_max_ps(s16, limitLo), limitHi));
    *ti = FloorPs(_mm_min_ps(_mm_max_ps(t16, limitLo), limitHi));
  }

  // Texel gathers: every lane reads its own four texels. The addresses are
  // worked out four lanes at once when the lanes share a level.
  [[gnu::always_inline]] void Fetch(__m128i levels, __m128i si, __m128i ti, QuadTexels<C>* out) const {
    int level0 = lodMin;
    bool shared = true;
    if constexpr (C::mipmap) {
      level0 = _mm_cvtsi128_si32(levels);
      shared = _mm_movemask_epi8(_mm_cmpeq_epi32(levels, _mm_shuffle_epi32(levels, 0))) == 0xFFFF;
    }
    if (shared) {
      const TextureLevel& lv = tex.levels[level0];
      __m128i widthMask = baseWidthMask, heightMask = baseHeightMask, widthShift = baseWidthShift;
      if constexpr (C::mipmap) {
        widthMask = _mm_set1_epi32((1 << lv.widthLog2) - 1);
        heightMask = _mm_set1_epi32((1 << lv.heightLog2) - 1);
        widthShift = _mm_cvtsi32_si128(lv.widthLog2);
      }
      Footprint f = Addresses(si, ti, widthMask, heightMask, widthShift, tex.sClamp, tex.tClamp);
      alignas(16) int32_t a00[4], a10[4], a01[4], a11[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(a00), f.a00);
      _mm_store_si128(reinterpret_cast<__m128i*>(a10), f.a10);
      _mm_store_si128(reinterpret_cast<__m128i*>(a01), f.a01);
      _mm_store_si128(reinterpret_cast<__m128i*>(a11), f.a11);
      const uint8_t* texels = lv.texels;
      for (int lane = 0; lane < 4; ++lane)
        Gather<C>(tex, texels, a00[lane], a10[lane], a01[lane], a11[lane], &out->c00[lane], &out->c10[lane],
                  &out->c01[lane], &out->c11[lane]);
      return;
    }
    alignas(16) int32_t level[4], sInt[4], tInt[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(level), levels);
    _mm_store_si128(reinterpret_cast<__m128i*>(sInt), si);
    _mm_store_si128(reinterpret_cast<__m128i*>(tInt), ti);
    for (int lane = 0; lane < 4; ++lane) {
      const TextureLevel& lv = tex.levels[level[lane]];
      const int i = sInt[lane] >> 4, j = tInt[lane] >> 4;
      const int i0 = WrapIndex(i, lv.widthLog2, tex.sClamp), i1 = WrapIndex(i + 1, lv.widthLog2, tex.sClamp);
      const int j0 = WrapIndex(j, lv.heightLog2, tex.tClamp),
                j1 = WrapIndex(j + 1, lv.heightLog2, tex.tClamp);
      const int row0 = j0 << lv.widthLog2, row1 = j1 << lv.widthLog2;
      Gather<C>(tex, lv.texels, row0 + i0, row0 + i1, row1 + i0, row1 + i1, &out->c00[lane], &out->c10[lane],
                &out->c01[lane], &out->c11[lane]);
    }
  }

  // Bilinear blend with 4-bit weights: 8-bit channels in 16-bit lanes B G R A,
  // two pixels per register.
  [[gnu::always_inline]] static void Filter(__m128i si, __m128i ti, const QuadTexels<C>& in, __m128i* lo,
                                            __m128i* hi) {
    const __m128i zero = _mm_setzero_si128();
    __m128i fs = _mm_and_si128(si, _mm_set1_epi32(15)), ft = _mm_and_si128(ti, _mm_set1_epi32(15));
    // In 16-bit lanes, two weights of four lanes per multiply: {w00 | w10} and {w01 | w11}.
    __m128i fst = _mm_packs_epi32(fs, ft);                  // fs | ft
    __m128i ifst = _mm_sub_epi16(_mm_set1_epi16(16), fst);  // 16 - fs | 16 - ft
    __m128i sPair = _mm_unpacklo_epi64(ifst, fst);          // 16 - fs | fs
    __m128i wTop = _mm_mullo_epi16(sPair, _mm_unpackhi_epi64(ifst, ifst));
    __m128i wBottom = _mm_mullo_epi16(sPair, _mm_unpackhi_epi64(fst, fst));
    __m128i w00l, w00h, w10l, w10h, w01l, w01h, w11l, w11h;
    SpreadPair(wTop, &w00l, &w00h, &w10l, &w10h);
    SpreadPair(wBottom, &w01l, &w01h, &w11l, &w11h);
    __m128i e00l, e00h, e10l, e10h, e01l, e01h, e11l, e11h;
    if constexpr (C::sixteenBit) {  // 565 widens as Decode16 does it; alpha (unused) reads 0
      Expand565x4(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in.c00)), &e00l, &e00h);
      Expand565x4(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in.c10)), &e10l, &e10h);
      Expand565x4(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in.c01)), &e01l, &e01h);
      Expand565x4(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in.c11)), &e11l, &e11h);
    } else {
      __m128i t00 = _mm_load_si128(reinterpret_cast<const __m128i*>(in.c00));
      __m128i t10 = _mm_load_si128(reinterpret_cast<const __m128i*>(in.c10));
      __m128i t01 = _mm_load_si128(reinterpret_cast<const __m128i*>(in.c01));
      __m128i t11 = _mm_load_si128(reinterpret_cast<const __m128i*>(in.c11));
      e00l = _mm_unpacklo_epi8(t00, zero), e00h = _mm_unpackhi_epi8(t00, zero);
      e10l = _mm_unpacklo_epi8(t10, zero), e10h = _mm_unpackhi_epi8(t10, zero);
      e01l = _mm_unpacklo_epi8(t01, zero), e01h = _mm_unpackhi_epi8(t01, zero);
      e11l = _mm_unpacklo_epi8(t11, zero), e11h = _mm_unpackhi_epi8(t11, zero);
    }
    __m128i l = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(e00l, w00l), _mm_mullo_epi16(e10l, w10l)),
                              _mm_add_epi16(_mm_mullo_epi16(e01l, w01l), _mm_mullo_epi16(e11l, w11l)));
    __m128i h = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(e00h, w00h), _mm_mullo_epi16(e10h, w10h)),
                              _mm_add_epi16(_mm_mullo_epi16(e01h, w01h), _mm_mullo_epi16(e11h, w11h)));
    *lo = _mm_srli_epi16(l, 8);
    *hi = _mm_srli_epi16(h, 8);
  }

  // The fog factors of four lanes from the table built for every W.
  [[gnu::always_inline]] FogTerms FogOf(__m128i wf4) const {
    alignas(16) int32_t wf[4], fog[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(wf), wf4);
    for (int lane = 0; lane < 4; ++lane) fog[lane] = fogByW[wf[lane]];
    __m128i fl, fh;
    Spread(_mm_load_si128(reinterpret_cast<const __m128i*>(fog)), &fl, &fh);
    const __m128i n256 = _mm_set1_epi16(256);
    return FogTerms{_mm_sub_epi16(n256, fl), _mm_sub_epi16(n256, fh), _mm_mullo_epi16(fogC, fl),
                    _mm_mullo_epi16(fogC, fh)};
  }

  [[gnu::always_inline]] static void Fog(const FogTerms& fog, __m128i* lo, __m128i* hi) {
    *lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(*lo, fog.keepLo), fog.addLo), 8);
    *hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(*hi, fog.keepHi), fog.addHi), 8);
  }

  // Source alpha / one minus source alpha with the constant alpha over the
  // destination: the weights sum to 257, so the sum fits 16 bits unsigned.
  [[gnu::always_inline]] void Blend(const PixelPairs& destination, __m128i* lo, __m128i* hi) const {
    const __m128i dl = destination.lo, dh = destination.hi;
    *lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(*lo, srcFactor), _mm_mullo_epi16(dl, dstFactor)), 8);
    *hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(*hi, srcFactor), _mm_mullo_epi16(dh, dstFactor)), 8);
  }

  // The destination of `lanes` pixels as 8-bit channels in 16-bit lanes B G R A (alpha 0).
  [[gnu::always_inline]] static PixelPairs Destination565(const uint16_t* destination, int lanes) {
    __m128i dstPixels;
    if (lanes == 4) {
      dstPixels = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(destination));
    } else {
      alignas(16) uint16_t dst[8] = {};
      for (int lane = 0; lane < lanes; ++lane) dst[lane] = destination[lane];
      dstPixels = _mm_load_si128(reinterpret_cast<const __m128i*>(dst));
    }
    __m128i dl, dh;
    Expand565x4(dstPixels, &dl, &dh);
    return {dl, dh};
  }
  [[gnu::always_inline]] static PixelPairs Destination32(const uint32_t* destination, int lanes) {
    __m128i dstPixels;
    if (lanes == 4) {
      dstPixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(destination));
    } else {
      alignas(16) uint32_t dst[4] = {};
      for (int lane = 0; lane < lanes; ++lane) dst[lane] = destination[lane];
      dstPixels = _mm_load_si128(reinterpret_cast<const __m128i*>(dst));
    }
    // The top byte holds no colour: alpha lanes 0, as a widened RGB565 pixel's.
    dstPixels = _mm_and_si128(dstPixels, _mm_set1_epi32(0x00FFFFFF));
    const __m128i zero = _mm_setzero_si128();
    return {_mm_unpacklo_epi8(dstPixels, zero), _mm_unpackhi_epi8(dstPixels, zero)};
  }

  // Four pixels as stored: at 8 bits a channel, 0x00RRGGBB each (in the
  // low 64 bits of two registers' worth, so in all 128 bits); else dithered
  // or truncated to RGB565 (the low 64 bits).
  [[gnu::always_inline]] static __m128i Colour(const QuadRow& row, __m128i lo, __m128i hi) {
    if constexpr (C::colour32) return _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF));
    if constexpr (C::dither) return Dither565x4(lo, hi, row.ditherLo, row.ditherHi);
    return _mm_xor_si128(Pack565x4(lo, hi), _mm_set1_epi16(static_cast<short>(0x8000)));
  }

  // The 16-bit depth values of four lanes' floating W.
  [[gnu::always_inline]] static __m128i DepthValues(__m128i wf4) {
    return _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(wf4, _mm_set1_epi32(32768)), _mm_setzero_si128()),
                         _mm_set1_epi16(static_cast<short>(0x8000)));
  }

  // Colour and (when depth writes are on) depth of the lanes that passed.
  [[gnu::always_inline]] void Write(const QuadRow& row, int x, int lanes, unsigned pass, __m128i colour,
                                    __m128i depth) const {
    if (pass == 15) {
      if constexpr (C::colour32)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row.colourRow32 + x), colour);
      else
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row.colourRow + x), colour);
      if (depthWrite) _mm_storel_epi64(reinterpret_cast<__m128i*>(row.depthRow + x), depth);
      return;
    }
    alignas(16) uint16_t out[8], depthOut[8];
    alignas(16) uint32_t out32[4];
    if constexpr (C::colour32)
      _mm_store_si128(reinterpret_cast<__m128i*>(out32), colour);
    else
      _mm_store_si128(reinterpret_cast<__m128i*>(out), colour);
    _mm_store_si128(reinterpret_cast<__m128i*>(depthOut), depth);
    for (int lane = 0; lane < lanes; ++lane) {
      if (!(pass & (1u << lane))) continue;
      if constexpr (C::colour32)
        row.colourRow32[x + lane] = out32[lane];
      else
        row.colourRow[x + lane] = out[lane];
      if (depthWrite) row.depthRow[x + lane] = depthOut[lane];
    }
  }

  const RasterState& st;
  const TriangleSetup& tri;
  const Framebuffer& fb;
  const DerivedTexture& tex;
  const __m128 wDx, sDx, tDx;
  const bool depthWrite;
  const int lodMin;
  // Without mipmaps every quad reads the one level: its masks are fixed.
  const __m128i baseWidthMask, baseHeightMask, baseWidthShift;
  const __m128 fixedScale;
  const __m128i lodLo, lodHi, lodOffset;
  // Fog colour and blend factors in 16-bit lanes (B G R A).
  const __m128i fogC, srcFactor, dstFactor;
  const uint16_t* fogByW;
  uint64_t pixelsIn = 0, depthFailed = 0;
};

template <class C>
void FastBand(const SpanContext& ctx, int bandStart, int bandEnd) {
  if (DrawnWithoutAuxBuffer(ctx, bandStart, bandEnd)) return;
  QuadBand<C> band(ctx);
  band.Draw(bandStart, bandEnd, ctx.counters);
}

template <bool kSixteenBit, bool kMipmap, bool kFog, bool kBlend, bool kDepthLess, bool kDither>
BandFunction Band() {
  return FastBand<Config<kSixteenBit, kMipmap, kFog, kBlend, kDepthLess, kDither>>;
}

// The same states into a colour buffer of 8 bits a channel: no dither.
template <bool kSixteenBit, bool kMipmap, bool kFog, bool kBlend, bool kDepthLess>
BandFunction Band32() {
  return FastBand<Config<kSixteenBit, kMipmap, kFog, kBlend, kDepthLess, false, true>>;
}

}  // namespace

bool FastShapeOf(const Derived& d, FastShape* shape) {
  const RasterState& st = d.state;
  const DerivedTexture& tex = d.texture;
  // Pixel colour = texel colour: decal texture combine, colour = the TMU output.
  bool decal = st.textureCombine.rgbFunction == 1 && !st.textureCombine.rgbInvert &&
               st.colour.function == 3 && st.colour.factor == 8 && st.colour.other == 1 && !st.colour.invert;
  bool plain = !st.chromaKey && st.alphaTestFunction == 7 && st.rgbWriteMask && !st.textureWFromTmu;
  // Trilinear level choice and factor reversal are the reference's alone.
  bool texture = tex.enabled && tex.minBilinear && tex.magBilinear && !tex.lodBlend;
  for (int lod = tex.lodMin; texture && lod <= tex.lodMax; ++lod) texture = tex.levels[lod].texels != nullptr;
  bool depth = st.depth.mode == 2 && st.depth.bias == 0 && (st.depth.function == 1 || st.depth.function == 7);
  if (!decal || !plain || !texture || !depth) return false;

  bool fog = st.fog.mode == 2;
  if (!fog && (st.fog.mode & 0xFF) >= 1 && (st.fog.mode & 0xFF) <= 3) return false;
  bool blend = d.blendEnabled;
  if (blend) {
    // Source alpha / one minus source alpha, the alpha being the constant's.
    bool constantAlpha = st.alpha.function == 1 && st.alpha.local == 1 && !st.alpha.invert;
    if (st.blend.rgbSource != 1 || st.blend.rgbDestination != 5 || !constantAlpha) return false;
  }
  if (st.ditherMode != 0 && st.ditherMode != 2) return false;
  shape->sixteenBit = tex.sixteenBit;
  shape->mipmap = tex.lodMin != tex.lodMax;
  shape->fog = fog;
  shape->blend = blend;
  shape->depthLess = st.depth.function == 1;
  shape->dither = st.ditherMode == 2;
  return true;
}

WideState WideStateOf(const Derived& d, bool* needsAllPlanes, bool* needsLod) {
  *needsAllPlanes = *needsLod = true;
  FastShape shape;
  if (!FastShapeOf(d, &shape)) return WideState::kNone;
  WideState state = WideState::kNone;
  if (!shape.mipmap && shape.fog && shape.blend && !shape.depthLess && !shape.dither)
    state = WideState::kFloor;
  else if (!shape.mipmap && !shape.fog && !shape.blend && shape.depthLess && !shape.dither)
    state = WideState::kMesh;
  else if (!shape.fog && !shape.blend && shape.depthLess && shape.dither)
    state = shape.mipmap ? WideState::kBodiesMipmapped : WideState::kBodies;
  if (state != WideState::kNone) {
    *needsAllPlanes = false;
    *needsLod = shape.mipmap;
  }
  return state;
}

namespace {

// The fast states of PickFastBand into a colour buffer of 8 bits a channel,
// where the dither mode makes no difference.
BandFunction PickFastBand32(const FastShape& shape, const char** name) {
  const bool sixteen = shape.sixteenBit, mipmap = shape.mipmap, fog = shape.fog, blend = shape.blend;
  const bool less = shape.depthLess;
  if (!sixteen && !mipmap && fog && blend && !less) {
    *name = "floor 32-bit";
    return Band32<false, false, true, true, false>();
  }
  if (!sixteen && !mipmap && !fog && !blend && less) {
    *name = "mesh 32-bit";
    return Band32<false, false, false, false, true>();
  }
  if (!fog && !blend && less) {
    *name = sixteen ? (mipmap ? "bodies565-mip 32-bit" : "bodies565 32-bit")
                    : (mipmap ? "bodies8-mip 32-bit" : "bodies8 32-bit");
    if (sixteen)
      return mipmap ? Band32<true, true, false, false, true>() : Band32<true, false, false, false, true>();
    return mipmap ? Band32<false, true, false, false, true>() : Band32<false, false, false, false, true>();
  }
  return nullptr;
}

}  // namespace

BandFunction PickFastBand(const Derived& d, bool colour32, const char** name, bool* needsAllPlanes,
                          bool* needsLod) {
  FastShape shape;
  if (!FastShapeOf(d, &shape)) return nullptr;
  // These spans decode 8-bit texels through the table and 16-bit ones as RGB565.
  const int format = d.texture.format;
  if (format > 5 && format != 10) return nullptr;
  const bool sixteen = shape.sixteenBit, mipmap = shape.mipmap, fog = shape.fog, blend = shape.blend;
  const bool less = shape.depthLess, dither = shape.dither;
  *needsAllPlanes = false;
  *needsLod = mipmap;
  if (colour32) {
    if (BandFunction band = PickFastBand32(shape, name)) return band;
    *needsAllPlanes = *needsLod = true;
    return nullptr;
  }

  // The combinations the programs use; anything else stays on the reference.
  if (!sixteen && !mipmap && fog && blend && !less && !dither) {
    *name = "floor";
    return Band<false, false, true, true, false, false>();
  }
  if (!sixteen && !mipmap && !fog && !blend && less && !dither) {
    *name = "mesh";
    return Band<false, false, false, false, true, false>();
  }
  if (!fog && !blend && less && dither) {
    *name = sixteen ? (mipmap ? "bodies565-mip" : "bodies565") : (mipmap ? "bodies8-mip" : "bodies8");
    if (sixteen)
      return mipmap ? Band<true, true, false, false, true, true>()
                    : Band<true, false, false, false, true, true>();
    return mipmap ? Band<false, true, false, false, true, true>()
                  : Band<false, false, false, false, true, true>();
  }
  *needsAllPlanes = *needsLod = true;
  return nullptr;
}

}  // namespace gfx::raster
