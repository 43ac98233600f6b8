// packed_spans.cpp — the fast spans sixteen pixels per register with
// AVX-512, for processors that have it. Rows are not drawn one by one: the
// pixels of consecutive rows of a triangle are packed into batches of two
// registers (shaded side by side), each lane knowing its own row and column,
// so a small triangle (a few pixels on each of a dozen rows) fills its lanes
// instead of leaving most of a vector idle on every row. The rows' spans are
// worked out sixteen rows at a time, and where those rows are short, every
// lane finds its row and column at once, without a loop over the rows.
// Memory is read and written per run of a row with masked loads and stores
// (a batch of many short runs with one access per run for both registers);
// the colour buffer holds RGB565 pixels or, at 8 bits a channel, 0x00RRGGBB
// (never dithered);
// texels come from the expanded texture in column pairs, one 16-byte read
// per bilinear footprint. Every value is computed with the same operations
// as the reference span, so the pictures are identical (tests hold them to
// it).
//
// Only the functions below the target pragma use AVX-512; the shared headers
// are compiled for the baseline before it.
#include <immintrin.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <limits>

#include "dither.h"
#include "expanded_texture.h"
#include "fast_shape.h"
#include "pipeline.h"
#include "setup.h"
#include "span.h"

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512dq")
// GCC 12's AVX-512 intrinsics start several operations from a deliberately
// undefined register, which its flow analysis reports once they are inlined.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace gfx::raster {

namespace {

constexpr int kLanes = 16;  // lanes of a register
constexpr int kHalves = 2;  // registers shaded side by side
constexpr int kBatch = kLanes * kHalves;
// Sixteen rows with at most this many pixels are added to batches together.
constexpr int kSmallRows = 96;

// Word indices that spread the low word of each 32-bit lane to the four
// words of a 64-bit element: pixels 0..7 (first) or 8..15 (second).
struct SpreadIndices {
  alignas(64) int16_t first[32], second[32];
  constexpr SpreadIndices() : first(), second() {
    for (int word = 0; word < 32; ++word) {
      first[word] = static_cast<int16_t>(2 * (word / 4));
      second[word] = static_cast<int16_t>(2 * (8 + word / 4));
    }
  }
};
constexpr SpreadIndices kSpread;

inline __m512i SpreadFirst(__m512i v) {
  return _mm512_permutexvar_epi16(_mm512_load_si512(kSpread.first), v);
}
inline __m512i SpreadSecond(__m512i v) {
  return _mm512_permutexvar_epi16(_mm512_load_si512(kSpread.second), v);
}

// The low words of the 64-bit elements of a (pixels 0..7) and b (8..15), in order.
struct GatherWords {
  alignas(64) int16_t index[32];
  constexpr GatherWords() : index() {
    for (int word = 0; word < 16; ++word)
      index[word] = static_cast<int16_t>(word < 8 ? 4 * word : 32 + 4 * (word - 8));
  }
};
constexpr GatherWords kGatherWords;

inline __m256i LowWords(__m512i a, __m512i b) {
  return _mm512_castsi512_si256(_mm512_permutex2var_epi16(a, _mm512_load_si512(kGatherWords.index), b));
}

// Floor of clamped floats (what FloorClamped's truncate and step down
// gives): one conversion rounding down.
inline __m512i Floor16(__m512 v) {
  return _mm512_cvt_roundps_epi32(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}

// WFloat for sixteen lanes. The bits above the top twelve of the mantissa
// are the exponent (with the sign above it), so (bits >> 11) is
// (exponent << 12) + mantissa and ((127 - exponent) << 12) - mantissa,
// WFloat's value before its clamps, is (127 << 12) - (bits >> 11). That is
// at most 0 exactly where WFloat gives 0 (exponent 127 or more, sign or
// NaN) and over 0xFFFF wherever WFloat clamps to it (exponent under 111
// among them), so clamping it to [0, 0xFFFF] is WFloat.
inline __m512i WFloat16(__m512 oow) {
  const __m512i wf =
      _mm512_sub_epi32(_mm512_set1_epi32(127 << 12), _mm512_srli_epi32(_mm512_castps_si512(oow), 11));
  return _mm512_min_epi32(_mm512_max_epi32(wf, _mm512_setzero_si512()), _mm512_set1_epi32(0xFFFF));
}

// 565 pixels (sixteen) to 8-bit channels in 16-bit lanes B G R A, eight
// pixels per register.
inline void Expand565x16(__m256i pixels, __m512i* first, __m512i* second) {
  const __m512i fieldMask = _mm512_set1_epi64(0x0000F80007E0001FLL);  // 0x1F, 0x7E0, 0xF800, 0
  const __m512i align = _mm512_set1_epi64(0x0000000100200800LL);      // 2048, 32, 1, 0
  const __m512i high = _mm512_set1_epi64(0x0000010001000100LL);       // 256, 256, 256, 0
  const __m512i low = _mm512_set1_epi64(0x0000000800040008LL);        // 8, 4, 8, 0: >> 13, >> 14, >> 13
  __m512i parts[2] = {_mm512_cvtepu16_epi64(_mm256_castsi256_si128(pixels)),
                      _mm512_cvtepu16_epi64(_mm256_extracti128_si256(pixels, 1))};
  for (__m512i& p : parts) {
    // The pixel (word 0 of each 64-bit element) to all four words.
    p = _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(p, 0), 0);
    const __m512i t = _mm512_mullo_epi16(_mm512_and_si512(p, fieldMask), align);
    p = _mm512_or_si512(_mm512_mulhi_epu16(t, high), _mm512_mulhi_epu16(t, low));
  }
  *first = parts[0];
  *second = parts[1];
}

// Dither565 for sixteen pixels: (2v - (v >> 4) + (v >> 7) + d) >> 4 for red
// and blue, (4v - (v >> 4) + (v >> 6) + d) >> 4 for green.
inline __m256i Dither565x16(__m512i first, __m512i second, __m512i ditherFirst, __m512i ditherSecond) {
  const __m512i times = _mm512_set1_epi64(0x0000000200040002LL);   // 2, 4, 2, 0
  const __m512i down = _mm512_set1_epi64(0x0000020004000200LL);    // >> 7, >> 6, >> 7
  const __m512i place = _mm512_set1_epi64(0x0000080000200001LL);   // 1, 32, 2048, 0
  const __m512i fields = _mm512_set1_epi64(0x0000001F003F001FLL);  // 31, 63, 31, 0
  __m512i v[2] = {first, second};
  const __m512i d[2] = {ditherFirst, ditherSecond};
  for (int k = 0; k < 2; ++k) {
    __m512i t = _mm512_sub_epi16(_mm512_mullo_epi16(v[k], times), _mm512_srli_epi16(v[k], 4));
    t = _mm512_add_epi16(_mm512_add_epi16(t, _mm512_mulhi_epu16(v[k], down)), d[k]);
    t = _mm512_and_si512(_mm512_srli_epi16(t, 4), fields);
    const __m512i pairs = _mm512_madd_epi16(t, place);  // blue + green, red per pixel
    v[k] = _mm512_add_epi32(pairs, _mm512_srli_epi64(pairs, 32));
  }
  return LowWords(v[0], v[1]);
}

// 8-bit channels (eight pixels per register) to sixteen 565 pixels, truncating.
inline __m256i Pack565x16(__m512i first, __m512i second) {
  const __m512i keep = _mm512_set1_epi64(0x000000F800FC00F8LL);
  const __m512i weights = _mm512_set1_epi64(0x0000080000400001LL);  // 1, 64, 2048, 0
  __m512i v[2] = {first, second};
  for (__m512i& p : v) {
    const __m512i pairs = _mm512_madd_epi16(_mm512_and_si512(p, keep), weights);
    p = _mm512_srli_epi32(_mm512_add_epi32(pairs, _mm512_srli_epi64(pairs, 32)), 3);
  }
  return LowWords(v[0], v[1]);
}

// Wrap (AND with the mask) or clamp to [-1, mask] of sixteen texel indices:
// the border column or row of the expanded level, less one.
template <bool kClamp>
inline __m512i BorderIndex(__m512i i, __m512i mask) {
  if constexpr (kClamp) return _mm512_min_epi32(_mm512_max_epi32(i, _mm512_set1_epi32(-1)), mask);
  return _mm512_and_si512(i, mask);
}

// The pixel of each 32-bit lane of a register holding four footprints:
// pixels 0 2 4 6, 1 3 5 7, 8 10 12 14 and 9 11 13 15, so that packing the
// filtered channels of two registers puts the pixels back in order.
struct FootprintPixels {
  alignas(64) int32_t index[4][16];
  constexpr FootprintPixels() : index() {
    for (int k = 0; k < 4; ++k)
      for (int lane = 0; lane < 16; ++lane) index[k][lane] = (k / 2) * 8 + k % 2 + 2 * (lane / 4);
  }
};
constexpr FootprintPixels kFootprintPixels;

// The weights of a bilinear footprint by the fraction f (0..15) of a
// coordinate in 1/16 texels: for s the bytes 16 - f, f in both words of a
// lane; for t the words 16 - f, f.
struct FractionWeights {
  alignas(64) int32_t s[16], t[16];
  constexpr FractionWeights() : s(), t() {
    for (int f = 0; f < 16; ++f) {
      s[f] = (16 - f) | f << 8 | (16 - f) << 16 | f << 24;
      t[f] = (16 - f) | f << 16;
    }
  }
};
constexpr FractionWeights kFractionWeights;

// Bilinear filter of sixteen footprints at positions `at` (top-left of each
// footprint) of the column-pair texels, weighed by the fractions of the
// coordinates si and ti (1/16 texels, their low four bits): 8-bit channels of
// pixels 0..7 in *first and 8..15 in *second, as 16-bit lanes B G R A. Every
// lane's position lies inside its level, drawn or not.
inline void Filter16(const uint32_t* texels, __m512i at, __m512i si, __m512i ti, __m512i* first,
                     __m512i* second) {
  alignas(64) int32_t position[16];
  _mm512_store_si512(position, at);
  // Read the positions back from memory: sixteen loads are cheaper than
  // taking them out of the register one by one.
  asm("" : "+m"(position));
  // One 16-byte read per footprint: top-left, bottom-left, top-right, bottom-right.
  auto footprint = [&](int pixel) {
    return _mm_loadu_si128(
        reinterpret_cast<const __m128i*>(texels + 2 * static_cast<ptrdiff_t>(position[pixel])));
  };
  auto four = [&](int k) {
    const int p = (k / 2) * 8 + k % 2;
    __m512i v = _mm512_castsi128_si512(footprint(p));
    v = _mm512_inserti32x4(v, footprint(p + 2), 1);
    v = _mm512_inserti32x4(v, footprint(p + 4), 2);
    return _mm512_inserti32x4(v, footprint(p + 6), 3);
  };
  // Bytes to TL TR BL BR of blue, then green, red and alpha, so that one
  // multiply-add of bytes gives the upper and lower row of each channel and
  // one multiply-add of words weighs the two rows.
  const __m512i arrange =
      _mm512_broadcast_i32x4(_mm_setr_epi8(0, 8, 4, 12, 1, 9, 5, 13, 2, 10, 6, 14, 3, 11, 7, 15));
  // Per pixel (a lookup takes only the low four bits of its index).
  const __m512i sWeights = _mm512_permutexvar_epi32(si, _mm512_load_si512(kFractionWeights.s));
  const __m512i tWeights = _mm512_permutexvar_epi32(ti, _mm512_load_si512(kFractionWeights.t));
  __m512i channels[4];
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) {
    const __m512i pixels = _mm512_load_si512(kFootprintPixels.index[k]);
    const __m512i rows = _mm512_maddubs_epi16(_mm512_shuffle_epi8(four(k), arrange),
                                              _mm512_permutexvar_epi32(pixels, sWeights));
    // upper * (16 - ft) + lower * ft == the four-weight sum; at most 65280.
    channels[k] = _mm512_srli_epi32(_mm512_madd_epi16(rows, _mm512_permutexvar_epi32(pixels, tWeights)), 8);
  }
  *first = _mm512_packus_epi32(channels[0], channels[1]);
  *second = _mm512_packus_epi32(channels[2], channels[3]);
}

// Element `index` of a buffer, where index may lie before its start: a
// batch's runs are addressed from lane 0, and masked loads and stores touch
// only the run's own lanes, which lie inside the row.
template <class Pixel>
inline Pixel* At(Pixel* buffer, ptrdiff_t index) {
  return reinterpret_cast<Pixel*>(reinterpret_cast<uintptr_t>(buffer) +
                                  static_cast<uintptr_t>(index) * sizeof(Pixel));
}

// Sixteen 0x00RRGGBB pixels to 8-bit channels (eight pixels per register)
// in 16-bit lanes B G R A, alpha 0 as a widened RGB565 pixel's.
inline void Expand8888x16(__m512i pixels, __m512i* first, __m512i* second) {
  pixels = _mm512_and_si512(pixels, _mm512_set1_epi32(0x00FFFFFF));
  *first = _mm512_cvtepu8_epi16(_mm512_castsi512_si256(pixels));
  *second = _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(pixels, 1));
}

// 8-bit channels (eight pixels per register) to sixteen 0x00RRGGBB pixels.
inline __m512i Pack8888x16(__m512i first, __m512i second) {
  const __m512i both = _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvtepi16_epi8(first)),
                                          _mm512_cvtepi16_epi8(second), 1);
  return _mm512_and_si512(both, _mm512_set1_epi32(0x00FFFFFF));
}

// The spans of up to sixteen rows of a triangle at once, eight rows to a
// register, for triangles whose coordinates all lie within kSpanMathLimit
// (12.4): row `first` + i covers [left[i], right[i]) (empty when left >=
// right), as RowWalker walks them, for i < count. Later rows are not the
// triangle's, and where count is 8 or less, rows from 8 on are left empty:
// most triangles span eight rows or fewer and need half the divisions.
// Each edge's first pixel is the ceiling of num / den with
//   num = (xa - 8) * dy + (yc - ya) * dx,  den = 16 * dy,
// which doubles hold exactly below the limit (products under 2^49); and a
// quotient that is not an integer lies at least 1 / |num| > 2^-52 (relative)
// from the nearest one, so the rounded division has the same ceiling.
constexpr int64_t kSpanMathLimit = int64_t{1} << 24;

inline __m512d Broadcast(int64_t v) {
  return _mm512_set1_pd(static_cast<double>(v));
}

// The first pixel at or right of an edge on eight rows with centres yc.
inline __m256i EdgePixel(__m512d xa, __m512d ya, __m512d dx, __m512d dy, __m512d yc) {
  const __m512d num = _mm512_add_pd(_mm512_mul_pd(_mm512_sub_pd(xa, _mm512_set1_pd(8.0)), dy),
                                    _mm512_mul_pd(_mm512_sub_pd(yc, ya), dx));
  return _mm512_cvt_roundpd_epi32(_mm512_div_pd(num, _mm512_mul_pd(_mm512_set1_pd(16.0), dy)),
                                  _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC);
}

inline void SpansOf16(const TriangleSetup& tri, int first, int count, __m512i* left, __m512i* right) {
  const __m512d x0 = Broadcast(tri.x[0]), x1 = Broadcast(tri.x[1]), y0 = Broadcast(tri.y[0]),
                y1 = Broadcast(tri.y[1]);
  const __m512d dx02 = Broadcast(tri.x[2] - tri.x[0]), dy02 = Broadcast(tri.y[2] - tri.y[0]);
  const __m512d dx01 = Broadcast(tri.x[1] - tri.x[0]), dy01 = Broadcast(tri.y[1] - tri.y[0]);
  const __m512d dx12 = Broadcast(tri.x[2] - tri.x[1]), dy12 = Broadcast(tri.y[2] - tri.y[1]);
  const __m512d sixteen = _mm512_set1_pd(16.0);
  const __m256i clipX0 = _mm256_set1_epi32(tri.clipX0), clipX1 = _mm256_set1_epi32(tri.clipX1);
  __m256i lefts[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()}, rights[2] = {lefts[0], lefts[1]};
  for (int k = 0; k < (count + 7) / 8; ++k) {
    const __m512d yc = _mm512_add_pd(Broadcast(int64_t{first + 8 * k} * 16 + 8),
                                     _mm512_mul_pd(_mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7), sixteen));
    // Rows above the middle vertex take the edge from the top vertex to it, the others the edge from it down.
    const __mmask8 upper = _mm512_cmp_pd_mask(yc, y1, _CMP_LT_OQ);
    const __m256i longEdge = EdgePixel(x0, y0, dx02, dy02, yc);
    const __m256i shortEdge =
        EdgePixel(_mm512_mask_blend_pd(upper, x1, x0), _mm512_mask_blend_pd(upper, y1, y0),
                  _mm512_mask_blend_pd(upper, dx12, dx01), _mm512_mask_blend_pd(upper, dy12, dy01), yc);
    lefts[k] = _mm256_max_epi32(tri.midOnLeft ? shortEdge : longEdge, clipX0);
    rights[k] = _mm256_min_epi32(tri.midOnLeft ? longEdge : shortEdge, clipX1);
  }
  *left = _mm512_inserti64x4(_mm512_castsi256_si512(lefts[0]), lefts[1], 1);
  *right = _mm512_inserti64x4(_mm512_castsi256_si512(rights[0]), rights[1], 1);
}

// Inclusive prefix sum of sixteen lanes.
inline __m512i PrefixSum16(__m512i v) {
  const __m512i zero = _mm512_setzero_si512();
  v = _mm512_add_epi32(v, _mm512_alignr_epi32(v, zero, 15));
  v = _mm512_add_epi32(v, _mm512_alignr_epi32(v, zero, 14));
  v = _mm512_add_epi32(v, _mm512_alignr_epi32(v, zero, 12));
  return _mm512_add_epi32(v, _mm512_alignr_epi32(v, zero, 8));
}

inline int LastLane(__m512i v) {
  return _mm_extract_epi32(_mm512_extracti32x4_epi32(v, 3), 3);
}

// What sampling needs of each lane's level.
struct LevelTables {
  __m512 scale;
  __m512i stride, widthMask, heightMask, offset;
};

// What a packed draw fixes for the state, worked out once for all the
// triangles it draws, and the counters it adds up.
struct PackedState {
  [[gnu::always_inline]] explicit PackedState(const SpanContext& ctx)
      : st(ctx.derived->state),
        fb(*ctx.target),
        tex(ctx.derived->texture),
        ex(*ctx.derived->expanded),
        depthWrite(st.depth.writeMask),
        texels(ex.texels.data()) {
    // Where a level lies in the expanded texture, looked up per lane by
    // level: the offsets are those of border row and column 1 (texel row and
    // column 0), to which BorderIndex's indices are relative.
    constexpr __mmask16 kLevels = (1u << 9) - 1;
    strides = _mm512_maskz_loadu_epi32(kLevels, ex.stride);
    offsets = _mm512_add_epi32(_mm512_add_epi32(_mm512_maskz_loadu_epi32(kLevels, ex.offset), strides),
                               _mm512_set1_epi32(1));
    // 2^(4 - level) per level: texel coordinates to 1/16 texels of the level.
    scales = _mm512_slli_epi32(
        _mm512_sub_epi32(_mm512_set1_epi32(127 + 4),
                         _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15)),
        23);
    widthMasks = _mm512_maskz_loadu_epi32(kLevels, ex.widthMask);
    heightMasks = _mm512_maskz_loadu_epi32(kLevels, ex.heightMask);
    lodLo = _mm512_set1_epi32(tex.lodMin << 8);
    lodHi = _mm512_set1_epi32(tex.lodMax << 8);
    baseLevel = _mm512_set1_epi32(tex.lodMin);
    // Fog colour and blend factors in 16-bit lanes (B G R A).
    const uint32_t fogColour = st.fog.colour;
    const int64_t fogB = fogColour & 0xFF, fogG = (fogColour >> 8) & 0xFF, fogR = (fogColour >> 16) & 0xFF;
    fogC = _mm512_set1_epi64(fogB | fogG << 16 | fogR << 32);
    // The fog table's 64 entries as words, entry | step << 8, in two
    // registers: a lane's entry is one two-register word permute away.
    alignas(64) uint16_t entries[64];
    for (int i = 0; i < 64; ++i)
      entries[i] = static_cast<uint16_t>(ctx.derived->fogTable[i] | ctx.derived->fogDelta[i] << 8);
    fogEntriesLo = _mm512_load_si512(entries);
    fogEntriesHi = _mm512_load_si512(entries + 32);
    const int alpha = static_cast<int>(st.constantColour >> 24);
    srcFactor = _mm512_set1_epi16(static_cast<short>(alpha + 1));
    dstFactor = _mm512_set1_epi16(static_cast<short>(256 - alpha));
    alignas(64) static constexpr int32_t kDitherByIndex[16] = {
        kDither4x4[0][0], kDither4x4[0][1], kDither4x4[0][2], kDither4x4[0][3],
        kDither4x4[1][0], kDither4x4[1][1], kDither4x4[1][2], kDither4x4[1][3],
        kDither4x4[2][0], kDither4x4[2][1], kDither4x4[2][2], kDither4x4[2][3],
        kDither4x4[3][0], kDither4x4[3][1], kDither4x4[3][2], kDither4x4[3][3]};
    ditherByIndex = _mm512_load_si512(kDitherByIndex);
  }

  [[gnu::always_inline]] LevelTables TablesOf(__m512i levels) const {
    return LevelTables{
        _mm512_castsi512_ps(_mm512_permutexvar_epi32(levels, scales)),
        _mm512_permutexvar_epi32(levels, strides), _mm512_permutexvar_epi32(levels, widthMasks),
        _mm512_permutexvar_epi32(levels, heightMasks), _mm512_permutexvar_epi32(levels, offsets)};
  }

  const RasterState& st;
  const Framebuffer& fb;
  const DerivedTexture& tex;
  const ExpandedTexture& ex;
  const bool depthWrite;
  const uint32_t* texels;
  __m512i strides, offsets, scales, widthMasks, heightMasks;
  __m512i lodLo, lodHi, baseLevel;
  __m512i fogC, fogEntriesLo, fogEntriesHi, srcFactor, dstFactor;
  __m512i ditherByIndex;
  uint64_t pixelsIn = 0, depthFailed = 0;
};

// The lanes of a batch on their way through the stages: half h's offsets
// from the reference pixel, W and its depth value, the lanes in the batch
// and those still drawn.
struct BatchLanes {
  __m512 dx[kHalves], dy[kHalves], w[kHalves];
  __m512i w32[kHalves];
  __mmask16 valid[kHalves], drawn[kHalves];
  // Filtered (then fogged, blended) channels of pixels 0..7 and 8..15.
  __m512i first[kHalves], second[kHalves];
};

// The runs of a batch: run r covers the batch lanes of mask[r] (bit 16h +
// i), whose pixels lie at base[r] + 16h + i in the colour and depth buffers.
// A batch has a run per row at most, one per lane; whole registers of runs
// are stored past the last. Buffer indices fit 32 bits: the largest buffer
// is 1600 x 1200. Kept apart from PackedTriangle, whose other fields then
// live in registers.
struct BatchRuns {
  uint32_t mask[kBatch + kLanes];
  int32_t base[kBatch + kLanes];
};

// One triangle's rows inside a band, packed into batches and shaded; kFlat
// where W is the same over all of it (parallel to the screen), so that W,
// its depth value, reciprocal and level are worked out once.
//
// The batch: two halves of sixteen lanes, shaded side by side so that the
// processor has two independent chains of work in flight. Lane i of half h
// is the pixel (refX + laneX[h][i], refY + laneY[h][i]), in the runs of
// BatchRuns.
template <class C, bool kSClamp, bool kTClamp, bool kFlat, bool kColour32>
class PackedTriangle {
 public:
  [[gnu::always_inline]] PackedTriangle(PackedState& state, BatchRuns& batchRuns,
                                        const TriangleSetup& triangle)
      : s(state),
        runMask(batchRuns.mask),
        runBase(batchRuns.base),
        tri(triangle),
        wAt(_mm512_set1_ps(tri.w.atRef)),
        wDx(_mm512_set1_ps(tri.w.dx)),
        wDy(_mm512_set1_ps(tri.w.dy)),
        sAt(_mm512_set1_ps(tri.s.atRef)),
        sDx(_mm512_set1_ps(tri.s.dx)),
        sDy(_mm512_set1_ps(tri.s.dy)),
        tAt(_mm512_set1_ps(tri.t.atRef)),
        tDx(_mm512_set1_ps(tri.t.dx)),
        tDy(_mm512_set1_ps(tri.t.dy)),
        // With the bias of the float exponent in, so that a lane's level of
        // detail is lodOffset - (bits of W >> 15).
        lodOffset(_mm512_set1_epi32(tri.lodBase88 + s.tex.lodBias88 + (127 << 8))),
        refX(_mm512_set1_epi32(tri.refX)),
        refY(_mm512_set1_epi32(tri.refY)) {
    if constexpr (kFlat) {
      flatW32 = WFloat16(wAt);
      flatRecip = _mm512_div_ps(_mm512_set1_ps(1.0f), wAt);
      flatTables = s.TablesOf(C::mipmap ? LevelsOf(wAt) : s.baseLevel);
    }
  }

  // Rows [bandStart, bandEnd) of the triangle.
  [[gnu::always_inline]] void Draw(int bandStart, int bandEnd) {
    bool spanMath = true;
    for (int v = 0; v < 3; ++v)
      spanMath = spanMath && tri.x[v] > -kSpanMathLimit && tri.x[v] < kSpanMathLimit &&
                 tri.y[v] > -kSpanMathLimit && tri.y[v] < kSpanMathLimit;
    if (spanMath) {
      const int rowFrom = std::max(tri.rowStart, bandStart), rowTo = std::min(tri.rowEnd, bandEnd);
      for (int first = rowFrom; first < rowTo; first += 16)
        AddSixteenRows(first, std::min(16, rowTo - first));
    } else {
      RowWalker walker(tri, bandStart, bandEnd);
      for (int y = 0, x0 = 0, x1 = 0; walker.Next(&y, &x0, &x1);) AddSpan(y, x0, x1);
    }
    // The last batch of a triangle: a small one fills one register or less.
    if (used > kLanes)
      Shade<kHalves>();
    else if (used > 0)
      Shade<1>();
  }

 private:
  // The run's lanes of half h, as a mask of that half.
  static __mmask16 HalfMask(uint32_t mask, int h) { return static_cast<__mmask16>(mask >> (kLanes * h)); }

  // ---- Filling batches.

  // Rows [first, first + count) with their spans worked out together: short
  // rows all at once, long ones row by row.
  [[gnu::always_inline]] void AddSixteenRows(int first, int count) {
    __m512i left, right;
    SpansOf16(tri, first, count, &left, &right);
    const __mmask16 rows = static_cast<__mmask16>((1u << count) - 1);
    const __m512i width = _mm512_maskz_max_epi32(rows, _mm512_sub_epi32(right, left), _mm512_setzero_si512());
    const __m512i end = PrefixSum16(width);
    const int total = LastLane(end);
    if (total <= kSmallRows) {
      AddRows(first, left, width, end, total);
      return;
    }
    // Long rows: a run or two per batch, added row by row.
    alignas(64) int32_t lefts[kLanes], rights[kLanes];
    _mm512_store_si512(lefts, left);
    _mm512_store_si512(rights, right);
    for (int i = 0; i < count; ++i)
      if (lefts[i] < rights[i]) AddSpan(first + i, lefts[i], rights[i]);
  }

  // Adds the span [x0, x1) of row y to the batch, shading every full batch.
  [[gnu::always_inline]] void AddSpan(int y, int x0, int x1) {
    const ptrdiff_t rowStart = static_cast<ptrdiff_t>(y) * s.fb.stride;
    const __m512i rowOffset = _mm512_set1_epi32(y - tri.refY);
    const __m512i laneIndex = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (int x = x0; x < x1;) {
      const int take = std::min(x1 - x, kBatch - used);
      const uint32_t mask = static_cast<uint32_t>(((uint64_t{1} << take) - 1) << used);
      const int firstX = x - tri.refX - used;  // x - refX of batch lane 0
#pragma GCC unroll 2
      for (int h = 0; h < kHalves; ++h) {
        const __mmask16 m = HalfMask(mask, h);
        laneX[h] = _mm512_mask_add_epi32(laneX[h], m, laneIndex, _mm512_set1_epi32(firstX + kLanes * h));
        laneY[h] = _mm512_mask_mov_epi32(laneY[h], m, rowOffset);
      }
      runMask[runs] = mask;
      runBase[runs] = static_cast<int32_t>(rowStart + x - used);
      ++runs;
      used += take;
      x += take;
      if (used == kBatch) {
        Shade<kHalves>();
        used = runs = 0;
      }
    }
  }

  // The last row starting at or before each lane. Starts never decrease; of
  // rows starting at the same lane all but the last are empty, and rows past
  // the last pixel start at `total`, after every lane.
  [[gnu::always_inline]] static __m512i RowOf(__m512i lane, __m512i start) {
    __m512i row = _mm512_setzero_si512();
    for (int step = 8; step > 0; step /= 2) {
      const __m512i next = _mm512_add_epi32(row, _mm512_set1_epi32(step));
      row = _mm512_mask_mov_epi32(row, _mm512_cmple_epi32_mask(_mm512_permutexvar_epi32(next, start), lane),
                                  next);
    }
    return row;
  }

  // Adds the spans of rows [first, first + 16) to the batch, all at once:
  // row i covers [left[i], left[i] + width[i]), and its pixels are the
  // triangle's lanes [end[i] - width[i], end[i]) of the rows together.
  // Each batch lane finds its row, and each row in a batch becomes a run.
  [[gnu::always_inline]] void AddRows(int first, __m512i left, __m512i width, __m512i end, int total) {
    const __m512i laneIndex = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512i start = _mm512_sub_epi32(end, width);
    // x - refX of a row's lane g is xFrom[row] + g; its buffer index is rowBase[row] + g.
    const __m512i xFrom = _mm512_sub_epi32(_mm512_sub_epi32(left, start), refX);
    const __m512i rowBase =
        _mm512_add_epi32(_mm512_mullo_epi32(_mm512_add_epi32(laneIndex, _mm512_set1_epi32(first)),
                                            _mm512_set1_epi32(s.fb.stride)),
                         _mm512_sub_epi32(left, start));
    const __m512i rowY = _mm512_add_epi32(laneIndex, _mm512_set1_epi32(first - tri.refY));
    const __m512i one = _mm512_set1_epi32(1);
    for (int taken = 0; taken < total;) {
      const int take = std::min(total - taken, kBatch - used);
      const int shift = taken - used;  // the row lane of batch lane p is p + shift
      // The rows' lanes in this batch, [lo, hi) as batch lanes.
      const __m512i lo =
          _mm512_sub_epi32(_mm512_max_epi32(start, _mm512_set1_epi32(taken)), _mm512_set1_epi32(shift));
      const __m512i hi =
          _mm512_sub_epi32(_mm512_min_epi32(end, _mm512_set1_epi32(taken + take)), _mm512_set1_epi32(shift));
      const __mmask16 inBatch = _mm512_cmpgt_epi32_mask(hi, lo);
      // 1 << 32 is 0 here, which leaves the high bits of the difference.
      const __m512i masks = _mm512_sub_epi32(_mm512_sllv_epi32(one, hi), _mm512_sllv_epi32(one, lo));
      _mm512_storeu_si512(runMask + runs, _mm512_maskz_compress_epi32(inBatch, masks));
      _mm512_storeu_si512(runBase + runs, _mm512_maskz_compress_epi32(
                                              inBatch, _mm512_add_epi32(rowBase, _mm512_set1_epi32(shift))));
      runs += __builtin_popcount(inBatch);
      const uint32_t mask = static_cast<uint32_t>(((uint64_t{1} << take) - 1) << used);
#pragma GCC unroll 2
      for (int h = 0; h < kHalves; ++h) {
        const __mmask16 m = HalfMask(mask, h);
        const __m512i lane = _mm512_add_epi32(laneIndex, _mm512_set1_epi32(shift + kLanes * h));
        const __m512i row = RowOf(lane, start);
        laneX[h] = _mm512_mask_add_epi32(laneX[h], m, _mm512_permutexvar_epi32(row, xFrom), lane);
        laneY[h] = _mm512_mask_permutexvar_epi32(laneY[h], m, row, rowY);
      }
      used += take;
      taken += take;
      if (used == kBatch) {
        Shade<kHalves>();
        used = runs = 0;
      }
    }
  }

  // ---- Shading a batch: kN halves of it, the stages in pipeline order.

  template <int kN>
  [[gnu::always_inline]] void Shade() {
    // Many short runs are read and written with one access per run for both
    // halves; a run or two of a long row, a half at a time.
    const bool merged = kN == kHalves && runs > 2;
    s.pixelsIn += static_cast<uint64_t>(used);
    BatchLanes b;
    Place<kN>(&b);
    if (!DepthTest<kN>(merged, &b)) return;
    Sample<kN>(&b);
    if constexpr (C::fog) Fog<kN>(&b);
    if constexpr (C::blend) Blend<kN>(merged, &b);
    Write<kN>(merged, b);
  }

  // Each lane's offsets from the reference pixel and its W.
  template <int kN>
  [[gnu::always_inline]] void Place(BatchLanes* b) const {
    const uint32_t validAll = static_cast<uint32_t>((uint64_t{1} << used) - 1);
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      b->valid[h] = b->drawn[h] = HalfMask(validAll, h);
      b->dx[h] = _mm512_cvtepi32_ps(laneX[h]);
      b->dy[h] = _mm512_cvtepi32_ps(laneY[h]);
      if constexpr (kFlat) {
        b->w[h] = wAt;
        b->w32[h] = flatW32;
      } else {
        // rowBase + dx * (x - refX), rowBase = atRef + dy * (y - refY), as the reference orders them.
        b->w[h] =
            _mm512_add_ps(_mm512_add_ps(wAt, _mm512_mul_ps(wDy, b->dy[h])), _mm512_mul_ps(wDx, b->dx[h]));
        b->w32[h] = WFloat16(b->w[h]);
      }
    }
  }

  // Sixteen 32-bit pixels of half h from a buffer: the lanes of every run, zero elsewhere.
  [[gnu::always_inline]] __m512i LoadRuns32(uint32_t* buffer, int h) const {
    __m512i v = _mm512_setzero_si512();
    for (int r = 0; r < runs; ++r)
      v = _mm512_mask_loadu_epi32(v, HalfMask(runMask[r], h), At(buffer, runBase[r] + kLanes * h));
    return v;
  }
  // Sixteen pixels of half h from a buffer: the lanes of every run, zero elsewhere.
  [[gnu::always_inline]] __m256i LoadRuns(uint16_t* buffer, int h) const {
    __m256i v = _mm256_setzero_si256();
    // A run outside the half has an empty mask here: the load reads nothing.
    for (int r = 0; r < runs; ++r)
      v = _mm256_mask_loadu_epi16(v, HalfMask(runMask[r], h), At(buffer, runBase[r] + kLanes * h));
    return v;
  }
  // The same for both halves (lanes 16h + i in word 16h + i): one read per run.
  [[gnu::always_inline]] void LoadBatch(uint16_t* buffer, __m256i* halves) const {
    __m512i v = _mm512_setzero_si512();
    for (int r = 0; r < runs; ++r) v = _mm512_mask_loadu_epi16(v, runMask[r], At(buffer, runBase[r]));
    halves[0] = _mm512_castsi512_si256(v);
    halves[1] = _mm512_extracti64x4_epi64(v, 1);
  }
  template <int kN>
  [[gnu::always_inline]] void Load(bool merged, uint16_t* buffer, __m256i* halves) const {
    if (merged)
      LoadBatch(buffer, halves);
    else
      for (int h = 0; h < kN; ++h) halves[h] = LoadRuns(buffer, h);
  }

  // Depth less: the lanes in front of what the buffer holds. False when none is.
  template <int kN>
  [[gnu::always_inline]] bool DepthTest(bool merged, BatchLanes* b) {
    if constexpr (!C::depthLess) return true;
    __m256i stored[kHalves];
    Load<kN>(merged, s.fb.depth, stored);
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      b->drawn[h] = _mm512_mask_cmpgt_epi32_mask(b->valid[h], _mm512_cvtepu16_epi32(stored[h]), b->w32[h]);
      s.depthFailed += static_cast<unsigned>(__builtin_popcount(b->valid[h] & ~b->drawn[h]));
    }
    __mmask16 any = 0;
    for (int h = 0; h < kN; ++h) any |= b->drawn[h];
    return any != 0;
  }

  // The lane's level of detail from its W.
  [[gnu::always_inline]] __m512i LevelsOf(__m512 w) const {
    const __m512i biasedLog = _mm512_srai_epi32(_mm512_castps_si512(w), 15);
    const __m512i lod =
        _mm512_min_epi32(_mm512_max_epi32(_mm512_sub_epi32(lodOffset, biasedLog), s.lodLo), s.lodHi);
    return _mm512_srai_epi32(lod, 8);
  }

  // S/W and T/W (zero behind the eye), the level, the footprint in the
  // expanded texture and its bilinear blend.
  template <int kN>
  [[gnu::always_inline]] void Sample(BatchLanes* b) const {
    const __m512 limitLo = _mm512_set1_ps(-kTexCoordLimit), limitHi = _mm512_set1_ps(kTexCoordLimit);
    const __m512 half = _mm512_set1_ps(8.0f);
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      const __m512 recip = kFlat ? flatRecip : _mm512_div_ps(_mm512_set1_ps(1.0f), b->w[h]);
      const __mmask16 inFront =
          kFlat ? __mmask16{0xFFFF} : _mm512_cmp_ps_mask(b->w[h], _mm512_setzero_ps(), _CMP_NLT_UQ);
      const __m512 sv = _mm512_maskz_mul_ps(
          inFront,
          _mm512_add_ps(_mm512_add_ps(sAt, _mm512_mul_ps(sDy, b->dy[h])), _mm512_mul_ps(sDx, b->dx[h])),
          recip);
      const __m512 tv = _mm512_maskz_mul_ps(
          inFront,
          _mm512_add_ps(_mm512_add_ps(tAt, _mm512_mul_ps(tDy, b->dy[h])), _mm512_mul_ps(tDx, b->dx[h])),
          recip);

      const LevelTables level = kFlat ? flatTables : s.TablesOf(C::mipmap ? LevelsOf(b->w[h]) : s.baseLevel);
      const __m512 s16 = _mm512_sub_ps(_mm512_mul_ps(sv, level.scale), half);
      const __m512 t16 = _mm512_sub_ps(_mm512_mul_ps(tv, level.scale), half);
      const __m512i si = Floor16(_mm512_min_ps(_mm512_max_ps(s16, limitLo), limitHi));
      const __m512i ti = Floor16(_mm512_min_ps(_mm512_max_ps(t16, limitLo), limitHi));
      const __m512i column = BorderIndex<kSClamp>(_mm512_srai_epi32(si, 4), level.widthMask);
      const __m512i rowIndex = BorderIndex<kTClamp>(_mm512_srai_epi32(ti, 4), level.heightMask);
      const __m512i addr = _mm512_add_epi32(
          _mm512_add_epi32(level.offset, _mm512_mullo_epi32(rowIndex, level.stride)), column);
      Filter16(s.texels, addr, si, ti, &b->first[h], &b->second[h]);
    }
  }

  // FogFromW + 1 of sixteen depth values (0..0xFFFF): the entry of the top
  // six bits, plus its step times the next eight bits over 1024, at most 255.
  [[gnu::always_inline]] __m512i FogFactors(__m512i w32) const {
    const __m512i lowByte = _mm512_set1_epi32(0xFF);
    // The index's high word is zero, so the permute's high word (entry 0) is masked off.
    const __m512i entry = _mm512_and_si512(
        _mm512_permutex2var_epi16(s.fogEntriesLo, _mm512_srli_epi32(w32, 10), s.fogEntriesHi),
        _mm512_set1_epi32(0xFFFF));
    const __m512i fraction = _mm512_and_si512(_mm512_srli_epi32(w32, 2), lowByte);
    // step * fraction <= 255 * 255 fits a word; the high words are zero.
    const __m512i interpolated =
        _mm512_srli_epi32(_mm512_mullo_epi16(_mm512_srli_epi32(entry, 8), fraction), 10);
    const __m512i fog = _mm512_add_epi32(_mm512_and_si512(entry, lowByte), interpolated);
    return _mm512_add_epi32(_mm512_min_epi32(fog, lowByte), _mm512_set1_epi32(1));
  }

  // Table fog: c + (fog - c) * f / 256 == (c * (256 - f) + fog * f) >> 8, all unsigned 16-bit.
  template <int kN>
  [[gnu::always_inline]] void Fog(BatchLanes* b) const {
    const __m512i n256 = _mm512_set1_epi16(256);
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      const __m512i f = FogFactors(b->w32[h]);
      const __m512i ff = SpreadFirst(f), fs = SpreadSecond(f);
      b->first[h] =
          _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(b->first[h], _mm512_sub_epi16(n256, ff)),
                                             _mm512_mullo_epi16(s.fogC, ff)),
                            8);
      b->second[h] =
          _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(b->second[h], _mm512_sub_epi16(n256, fs)),
                                             _mm512_mullo_epi16(s.fogC, fs)),
                            8);
    }
  }

  // Source alpha / one minus source alpha with the constant alpha over the
  // destination: the weights sum to 257, so the sum fits 16 bits unsigned.
  template <int kN>
  [[gnu::always_inline]] void Blend(bool merged, BatchLanes* b) const {
    __m256i old[kHalves];
    if constexpr (!kColour32) Load<kN>(merged, s.fb.colour, old);
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      __m512i oldFirst, oldSecond;
      if constexpr (kColour32)
        Expand8888x16(LoadRuns32(s.fb.colour32, h), &oldFirst, &oldSecond);
      else
        Expand565x16(old[h], &oldFirst, &oldSecond);
      b->first[h] = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(b->first[h], s.srcFactor),
                                                       _mm512_mullo_epi16(oldFirst, s.dstFactor)),
                                      8);
      b->second[h] = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(b->second[h], s.srcFactor),
                                                        _mm512_mullo_epi16(oldSecond, s.dstFactor)),
                                       8);
    }
  }

  // Dither (or truncate) to RGB565 and write colour and depth of the drawn lanes.
  template <int kN>
  [[gnu::always_inline]] void Write(bool merged, const BatchLanes& b) const {
    if constexpr (kColour32) {
      Write32<kN>(merged, b);
      return;
    }
    __m256i colour[kHalves], depth[kHalves];
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      if constexpr (C::dither) {
        // (y & 3) << 2 | (x & 3) in the low four bits, all the lookup reads:
        // the bits of x where `three` has them, else those of y << 2.
        const __m512i index =
            _mm512_ternarylogic_epi32(_mm512_slli_epi32(_mm512_add_epi32(laneY[h], refY), 2),
                                      _mm512_add_epi32(laneX[h], refX), _mm512_set1_epi32(3), 0xD8);
        const __m512i dither = _mm512_permutexvar_epi32(index, s.ditherByIndex);
        colour[h] = Dither565x16(b.first[h], b.second[h], SpreadFirst(dither), SpreadSecond(dither));
      } else {
        colour[h] = Pack565x16(b.first[h], b.second[h]);
      }
      depth[h] = _mm512_cvtepi32_epi16(b.w32[h]);
    }
    const Framebuffer& fb = s.fb;
    if (merged) {
      // One write per run and buffer, of both halves.
      const uint32_t drawnAll = static_cast<uint32_t>(b.drawn[0]) | static_cast<uint32_t>(b.drawn[1])
                                                                        << kLanes;
      const __m512i colourAll = _mm512_inserti64x4(_mm512_castsi256_si512(colour[0]), colour[1], 1);
      const __m512i depthAll = _mm512_inserti64x4(_mm512_castsi256_si512(depth[0]), depth[1], 1);
      for (int r = 0; r < runs; ++r) {
        const __mmask32 write = runMask[r] & drawnAll;
        _mm512_mask_storeu_epi16(At(fb.colour, runBase[r]), write, colourAll);
        if (s.depthWrite) _mm512_mask_storeu_epi16(At(fb.depth, runBase[r]), write, depthAll);
      }
      return;
    }
    uint32_t drawnAll = 0;
    for (int h = 0; h < kN; ++h) drawnAll |= static_cast<uint32_t>(b.drawn[h]) << (kLanes * h);
    for (int r = 0; r < runs; ++r) {
      const uint32_t write = runMask[r] & drawnAll;
#pragma GCC unroll 2
      for (int h = 0; h < kN; ++h) {
        const __mmask16 m = HalfMask(write, h);
        _mm256_mask_storeu_epi16(At(fb.colour, runBase[r] + kLanes * h), m, colour[h]);
        if (s.depthWrite) _mm256_mask_storeu_epi16(At(fb.depth, runBase[r] + kLanes * h), m, depth[h]);
      }
    }
  }

  // The same at 8 bits a channel: the channels as they are, no dither; the
  // colour a half at a time (sixteen pixels fill a register), depth as above.
  template <int kN>
  [[gnu::always_inline]] void Write32(bool merged, const BatchLanes& b) const {
    __m512i colour[kHalves];
    __m256i depth[kHalves];
#pragma GCC unroll 2
    for (int h = 0; h < kN; ++h) {
      colour[h] = Pack8888x16(b.first[h], b.second[h]);
      depth[h] = _mm512_cvtepi32_epi16(b.w32[h]);
    }
    const Framebuffer& fb = s.fb;
    uint32_t drawnAll = 0;
    for (int h = 0; h < kN; ++h) drawnAll |= static_cast<uint32_t>(b.drawn[h]) << (kLanes * h);
    const __m512i depthAll = _mm512_inserti64x4(_mm512_castsi256_si512(depth[0]), depth[kN - 1], 1);
    for (int r = 0; r < runs; ++r) {
      const uint32_t write = runMask[r] & drawnAll;
#pragma GCC unroll 2
      for (int h = 0; h < kN; ++h)
        _mm512_mask_storeu_epi32(At(fb.colour32, runBase[r] + kLanes * h), HalfMask(write, h), colour[h]);
      if (!s.depthWrite) continue;
      if (merged) {
        _mm512_mask_storeu_epi16(At(fb.depth, runBase[r]), write, depthAll);
      } else {
        for (int h = 0; h < kN; ++h)
          _mm256_mask_storeu_epi16(At(fb.depth, runBase[r] + kLanes * h), HalfMask(write, h), depth[h]);
      }
    }
  }

  PackedState& s;
  uint32_t* const runMask;
  int32_t* const runBase;
  const TriangleSetup& tri;
  const __m512 wAt, wDx, wDy, sAt, sDx, sDy, tAt, tDx, tDy;
  const __m512i lodOffset, refX, refY;
  // Where W is flat: its depth value, reciprocal and level tables.
  __m512i flatW32 = _mm512_setzero_si512();
  __m512 flatRecip = wAt;
  LevelTables flatTables{};

  __m512i laneX[kHalves] = {_mm512_setzero_si512(), _mm512_setzero_si512()};
  __m512i laneY[kHalves] = {_mm512_setzero_si512(), _mm512_setzero_si512()};
  int runs = 0, used = 0;
};

// Draws rows [bandStart, bandEnd) of the triangles tris[i], for each set bit
// i of `which` in turn, in one of the fast states, sixteen covered pixels at
// a time. What the state fixes is worked out once for them all.
template <class C, bool kSClamp, bool kTClamp, bool kColour32>
void PackedDraw(const SpanContext& ctx, const TriangleSetup* tris, uint32_t which, int bandStart,
                int bandEnd) {
  if (ctx.target->depth == nullptr) {
    for (; which != 0; which &= which - 1) {
      SpanContext one = ctx;
      one.tri = &tris[__builtin_ctz(which)];
      DrawnWithoutAuxBuffer(one, bandStart, bandEnd);
    }
    return;
  }
  PackedState state(ctx);
  BatchRuns runs;
  for (; which != 0; which &= which - 1) {
    const TriangleSetup& tri = tris[__builtin_ctz(which)];
    // Where both steps are zero, every lane's W is atRef itself (adding a
    // zero changes no value but a zero's sign): one positive, finite W, in
    // front of the eye everywhere.
    if (tri.w.dx == 0.0f && tri.w.dy == 0.0f && tri.w.atRef > 0.0f &&
        tri.w.atRef <= std::numeric_limits<float>::max())
      PackedTriangle<C, kSClamp, kTClamp, true, kColour32>(state, runs, tri).Draw(bandStart, bandEnd);
    else
      PackedTriangle<C, kSClamp, kTClamp, false, kColour32>(state, runs, tri).Draw(bandStart, bandEnd);
  }
  RasterCounters& counters = *ctx.counters;
  counters.pixelsIn += state.pixelsIn;
  counters.depthFailed += state.depthFailed;
  counters.pixelsWritten += state.pixelsIn - state.depthFailed;
}

template <class C, bool kSClamp, bool kTClamp, bool kColour32>
void PackedBand(const SpanContext& ctx, int bandStart, int bandEnd) {
  PackedDraw<C, kSClamp, kTClamp, kColour32>(ctx, ctx.tri, 1, bandStart, bandEnd);
}

template <class C, bool kSClamp, bool kTClamp, bool kColour32>
void PackedTriangles(const SpanContext& ctx, const TriangleSetup* tris, uint32_t which) {
  PackedDraw<C, kSClamp, kTClamp, kColour32>(ctx, tris, which, INT_MIN, INT_MAX);
}

}  // namespace

BandFunction PickPackedBand(const Derived& d, bool colour32, const char** name, bool* needsAllPlanes,
                            bool* needsLod, TrianglesFunction* triangles) {
  static constexpr const char* kNames[4] = {"floor-avx512", "mesh-avx512", "bodies-avx512",
                                            "bodies-mip-avx512"};
  static constexpr const char* kNames32[4] = {"floor-avx512 32-bit", "mesh-avx512 32-bit",
                                              "bodies-avx512 32-bit", "bodies-mip-avx512 32-bit"};
  struct Functions {
    BandFunction band = nullptr;
    TrianglesFunction triangles = nullptr;
  };
  const Functions picked =
      colour32
          ? PickWide<Functions>(
                d, kNames32, name, needsAllPlanes, needsLod,
                []<class C, bool kSClamp, bool kTClamp>() -> Functions {
                  return {PackedBand<C, kSClamp, kTClamp, true>, PackedTriangles<C, kSClamp, kTClamp, true>};
                })
          : PickWide<Functions>(d, kNames, name, needsAllPlanes, needsLod,
                                []<class C, bool kSClamp, bool kTClamp>() -> Functions {
                                  return {PackedBand<C, kSClamp, kTClamp, false>,
                                          PackedTriangles<C, kSClamp, kTClamp, false>};
                                });
  *triangles = picked.triangles;
  return picked.band;
}

}  // namespace gfx::raster

#pragma GCC diagnostic pop
#pragma GCC pop_options
