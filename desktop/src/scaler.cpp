// scaler.cpp — nearest and bilinear scaling of 0xAARRGGBB frames.
//
// Sample positions are those of a GPU's texture filter: target pixel t of T
// samples the source at u = (t + ½)·S/T − ½, kept in 1/64ths of a pixel (a
// GPU's filter keeps as few bits). Bilinear weights are whole 64ths, 0 to 64;
// at the right and bottom edges the pair of samples is moved one to the left
// (up) with the weight 64 on the second, so that every pixel reads two that
// exist. Each pixel is (a·(64 − w) + b·w) >> 6 per channel, first along the
// rows into scratch rows, then between two scratch rows. SSE2 multiplies
// 16-bit lanes; AVX2, where the processor has it, multiplies and adds byte
// pairs in one instruction (the weights fit a signed byte); every width
// computes exactly the formula.
#include "desktop/scaler.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace desktop {

namespace {

constexpr int kWeightBits = 6;
constexpr int kOne = 1 << kWeightBits;

struct Sample {
  uint32_t first;   // source index of the first of the two samples
  uint16_t weight;  // of the second sample, 0..kOne
};

Sample BilinearSample(int t, int targetSize, int sourceSize) {
  const int64_t u =
      (static_cast<int64_t>(2 * t + 1) * sourceSize * kOne) / (2 * int64_t{targetSize}) - kOne / 2;
  if (sourceSize < 2 || u <= 0) return {0, 0};
  const int64_t first = u >> kWeightBits;
  const int weight = static_cast<int>(u & (kOne - 1));
  if (first >= sourceSize - 1) return {static_cast<uint32_t>(sourceSize - 2), kOne};
  return {static_cast<uint32_t>(first), static_cast<uint16_t>(weight)};
}

uint32_t NearestSample(int t, int targetSize, int sourceSize) {
  const int64_t s = (static_cast<int64_t>(2 * t + 1) * sourceSize) / (2 * int64_t{targetSize});
  return static_cast<uint32_t>(std::clamp<int64_t>(s, 0, sourceSize - 1));
}

inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t ca = (a >> shift) & 0xFF;
    const uint32_t cb = (b >> shift) & 0xFF;
    out |= (((ca * (kOne - w) + cb * w) >> kWeightBits) & 0xFF) << shift;
  }
  return out;
}

// One source row scaled along x into `out` (targetWidth pixels). weights16
// holds eight 16-bit weights a column: (64 − w) four times, then w four times.
void ScaleRow(const uint32_t* row, const uint32_t* columns, const uint16_t* weights16, const uint8_t*,
              int targetWidth, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  int t = 0;
  for (; t + 2 <= targetWidth; t += 2) {
    const __m128i pairA = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + columns[t]));
    const __m128i pairB = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + columns[t + 1]));
    const __m128i weightA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights16 + 8 * t));
    const __m128i weightB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights16 + 8 * (t + 1)));
    const __m128i a = _mm_mullo_epi16(_mm_unpacklo_epi8(pairA, zero), weightA);
    const __m128i b = _mm_mullo_epi16(_mm_unpacklo_epi8(pairB, zero), weightB);
    __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
    sum = _mm_srli_epi16(sum, kWeightBits);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + t), _mm_packus_epi16(sum, sum));
  }
  for (; t < targetWidth; ++t) out[t] = Lerp(row[columns[t]], row[columns[t] + 1], weights16[8 * t + 4]);
}

// Two scaled rows blended into a target row.
void BlendRows(const uint32_t* first, const uint32_t* second, uint32_t weight, int width, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i weightA = _mm_set1_epi16(static_cast<short>(kOne - weight));
  const __m128i weightB = _mm_set1_epi16(static_cast<short>(weight));
  int t = 0;
  for (; t + 4 <= width; t += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + t));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + t));
    const __m128i low = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), weightA),
                                                     _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), weightB)),
                                       kWeightBits);
    const __m128i high = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), weightA),
                                                      _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), weightB)),
                                        kWeightBits);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + t), _mm_packus_epi16(low, high));
  }
  for (; t < width; ++t) out[t] = Lerp(first[t], second[t], weight);
}

// AVX2: weights8 holds eight bytes a column, (64 − w, w) for each channel,
// matching the channel bytes of the pixel pair once they are interleaved.
// Four target columns at a time: where their pairs lie within eight source
// pixels from the first one (always so when scaling up), one load and a
// permute fetch them (`windows` holds the eight lane indices of each group of
// four, and `windowGroups` says how many groups from the left can do so);
// elsewhere a gather does. Gathers are slow on many processors.
// Four pixel pairs (one a 64-bit lane, pixels in order) blended into four
// target pixels at out[0..3].
__attribute__((target("avx2"), always_inline)) inline void BlendPairsAvx2(__m256i pairs,
                                                                          const uint8_t* weights8,
                                                                          uint32_t* out) {
  // Within each 64-bit pair: b0 b1 g0 g1 r0 r1 a0 a1.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1,
                                              5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i weights = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights8));
  const __m256i sum =
      _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_shuffle_epi8(pairs, interleave), weights), kWeightBits);
  // [a b a b | c d c d] to [a b c d].
  const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
}

__attribute__((target("avx2"))) void ScaleRowAvx2(const uint32_t* row, const uint32_t* columns,
                                                  const uint16_t* weights16, const uint8_t* weights8,
                                                  const uint32_t* windows, int windowGroups, int targetWidth,
                                                  uint32_t* out) {
  int t = 0;
  for (int group = 0; group < windowGroups; ++group, t += 4) {
    const __m256i window = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + columns[t]));
    const __m256i lanes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(windows + 8 * group));
    BlendPairsAvx2(_mm256_permutevar8x32_epi32(window, lanes), weights8 + 8 * t, out + t);
  }
  for (; t + 4 <= targetWidth; t += 4) {
    const __m256i offsets =
        _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(columns + t)));
    BlendPairsAvx2(_mm256_i64gather_epi64(reinterpret_cast<const long long*>(row), offsets, 4),
                   weights8 + 8 * t, out + t);
  }
  if (t < targetWidth)
    ScaleRow(row, columns + t, weights16 + 8 * t, weights8 + 8 * t, targetWidth - t, out + t);
}

__attribute__((target("avx2"))) void BlendRowsAvx2(const uint32_t* first, const uint32_t* second,
                                                   uint32_t weight, int width, uint32_t* out) {
  const __m256i weights = _mm256_set1_epi16(static_cast<short>((weight << 8) | (kOne - weight)));
  auto blend = [&](int t) __attribute__((target("avx2"))) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + t));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second + t));
    const __m256i low =
        _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), weights), kWeightBits);
    const __m256i high =
        _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), weights), kWeightBits);
    return _mm256_packus_epi16(low, high);
  };
  int t = 0;
  if ((reinterpret_cast<uintptr_t>(out) & 31) == 0) {
    // The target is read next by the display server, not by us: write it
    // around the cache.
    for (; t + 8 <= width; t += 8) _mm256_stream_si256(reinterpret_cast<__m256i*>(out + t), blend(t));
  }
  for (; t + 8 <= width; t += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + t), blend(t));
  if (t < width) BlendRows(first + t, second + t, weight, width - t, out + t);
}

using BlendRowsFunction = void (*)(const uint32_t*, const uint32_t*, uint32_t, int, uint32_t*);

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace

Scaler::Scaler(bool wideVectors) : avx2_(wideVectors && HasAvx2()) {}

void Scaler::PrepareTables(const ScaleJob& job, bool bilinear) {
  if (bilinear == bilinear_ && job.sourceWidth == sourceWidth_ && job.sourceHeight == sourceHeight_ &&
      job.targetWidth == targetWidth_ && job.targetHeight == targetHeight_ && !columns_.empty()) {
    return;
  }
  bilinear_ = bilinear;
  sourceWidth_ = job.sourceWidth;
  sourceHeight_ = job.sourceHeight;
  targetWidth_ = job.targetWidth;
  targetHeight_ = job.targetHeight;
  columns_.resize(targetWidth_);
  rows_.resize(targetHeight_);
  columnWeights_.assign(bilinear ? 8 * static_cast<size_t>(targetWidth_) : 0, 0);
  columnByteWeights_.assign(bilinear ? 8 * static_cast<size_t>(targetWidth_) : 0, 0);
  rowWeights_.assign(bilinear ? targetHeight_ : 0, 0);
  for (int t = 0; t < targetWidth_; ++t) {
    if (!bilinear) {
      columns_[t] = NearestSample(t, targetWidth_, sourceWidth_);
      continue;
    }
    const Sample sample = BilinearSample(t, targetWidth_, sourceWidth_);
    columns_[t] = sample.first;
    for (int lane = 0; lane < 4; ++lane) {
      columnWeights_[8 * t + lane] = static_cast<uint16_t>(kOne - sample.weight);
      columnWeights_[8 * t + 4 + lane] = sample.weight;
      columnByteWeights_[8 * t + 2 * lane] = static_cast<uint8_t>(kOne - sample.weight);
      columnByteWeights_[8 * t + 2 * lane + 1] = static_cast<uint8_t>(sample.weight);
    }
  }
  // The groups of four columns, from the left, whose pairs lie within eight
  // source pixels of the group's first column, and the lanes they take there.
  windows_.clear();
  windowGroups_ = 0;
  for (int t = 0; bilinear && t + 4 <= targetWidth_; t += 4) {
    const uint32_t base = columns_[t];
    if (base + 8 > static_cast<uint32_t>(sourceWidth_) || columns_[t + 3] + 1 - base > 7) break;
    for (int i = 0; i < 4; ++i) {
      windows_.push_back(columns_[t + i] - base);
      windows_.push_back(columns_[t + i] + 1 - base);
    }
    ++windowGroups_;
  }
  for (int t = 0; t < targetHeight_; ++t) {
    if (!bilinear) {
      rows_[t] = NearestSample(t, targetHeight_, sourceHeight_);
      continue;
    }
    const Sample sample = BilinearSample(t, targetHeight_, sourceHeight_);
    rows_[t] = sample.first;
    rowWeights_[t] = sample.weight;
  }
  scratch_.resize(bilinear ? 2 * static_cast<size_t>(targetWidth_) : 0);
  scratchRows_[0] = scratchRows_[1] = -1;
}

void Scaler::Nearest(const ScaleJob& job) {
  if (job.sourceWidth <= 0 || job.sourceHeight <= 0 || job.targetWidth <= 0 || job.targetHeight <= 0) return;
  PrepareTables(job, false);
  const uint32_t* previousSource = nullptr;
  uint32_t* previousTarget = nullptr;
  for (int y = 0; y < job.targetHeight; ++y) {
    const uint32_t* source = job.source + static_cast<size_t>(rows_[y]) * job.sourcePitchPixels;
    uint32_t* target = job.target + static_cast<size_t>(y) * job.targetPitchPixels;
    if (source == previousSource) {
      // The same source row again: a copy of the row just made.
      std::memcpy(target, previousTarget, sizeof(uint32_t) * job.targetWidth);
      continue;
    }
    const uint32_t* columns = columns_.data();
    for (int x = 0; x < job.targetWidth; ++x) target[x] = source[columns[x]];
    previousSource = source;
    previousTarget = target;
  }
}

void Scaler::Bilinear(const ScaleJob& job) {
  if (job.sourceWidth < 2 || job.sourceHeight < 2 || job.targetWidth <= 0 || job.targetHeight <= 0) {
    Nearest(job);
    return;
  }
  PrepareTables(job, true);
  // The scratch rows belong to this frame only.
  scratchRows_[0] = scratchRows_[1] = -1;
  uint32_t* slots[2] = {scratch_.data(), scratch_.data() + targetWidth_};
  const BlendRowsFunction blendRows = avx2_ ? BlendRowsAvx2 : BlendRows;
  auto scaled = [&](int sourceRow) -> const uint32_t* {
    for (int slot = 0; slot < 2; ++slot)
      if (scratchRows_[slot] == sourceRow) return slots[slot];
    // Rows are asked for in order, so the lower-numbered slot is the one to reuse.
    const int slot = scratchRows_[0] <= scratchRows_[1] ? 0 : 1;
    const uint32_t* row = job.source + static_cast<size_t>(sourceRow) * job.sourcePitchPixels;
    if (avx2_) {
      ScaleRowAvx2(row, columns_.data(), columnWeights_.data(), columnByteWeights_.data(), windows_.data(),
                   windowGroups_, targetWidth_, slots[slot]);
    } else {
      ScaleRow(row, columns_.data(), columnWeights_.data(), columnByteWeights_.data(), targetWidth_,
               slots[slot]);
    }
    scratchRows_[slot] = sourceRow;
    return slots[slot];
  };
  for (int y = 0; y < job.targetHeight; ++y) {
    uint32_t* target = job.target + static_cast<size_t>(y) * job.targetPitchPixels;
    const int first = static_cast<int>(rows_[y]);
    const uint32_t weight = rowWeights_[y];
    if (weight == 0) {
      std::memcpy(target, scaled(first), sizeof(uint32_t) * targetWidth_);
    } else if (weight == kOne) {
      std::memcpy(target, scaled(first + 1), sizeof(uint32_t) * targetWidth_);
    } else {
      const uint32_t* a = scaled(first);
      const uint32_t* b = scaled(first + 1);
      blendRows(a, b, weight, targetWidth_, target);
    }
  }
  _mm_sfence();
}

}  // namespace desktop
