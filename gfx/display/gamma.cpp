// gamma.cpp — the DAC's gamma ramp and the RGB565 lookup built from it.
#include "gamma.h"

#include <immintrin.h>

#include <cmath>

namespace gfx {

std::array<uint8_t, 33> GammaClut(float gamma) {
  std::array<uint8_t, 33> clut{};
  const double exponent = 1.0 / static_cast<double>(gamma);
  for (int i = 0; i < 32; ++i) {
    const double level = (i * 8) / 255.0;
    clut[i] = static_cast<uint8_t>(255.0 * std::pow(level, exponent) + 0.5);
  }
  clut[32] = 255;
  return clut;
}

uint8_t ApplyClut(const std::array<uint8_t, 33>& clut, uint8_t level) {
  const int index = level >> 3;
  const int frac = level & 7;
  return static_cast<uint8_t>((clut[index] * (8 - frac) + clut[index + 1] * frac) >> 3);
}

GammaTable::GammaTable(float gamma) {
  SetGamma(gamma);
  if (gamma_ == 0.0f) SetGamma(1.7f);
}

void GammaTable::SetGamma(float gamma) {
  if (!std::isfinite(gamma) || gamma <= 0.0f) return;
  gamma_ = gamma;
  const auto clut = GammaClut(gamma);
  for (unsigned v = 0; v < 32; ++v) fives_[v] = ApplyClut(clut, Expand5(v));
  for (unsigned v = 0; v < 64; ++v) sixes_[v] = ApplyClut(clut, Expand6(v));
  for (unsigned v = 0; v < 256; ++v) eights_[v] = ApplyClut(clut, static_cast<uint8_t>(v));
}

namespace {

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// Sixteen bytes of a table in both halves of a vector, for byte shuffles.
__attribute__((target("avx2"))) __m256i TableRow(const uint8_t* sixteen) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen)));
}

// Each byte of `index` (0..63) looked up in a table of 32 or 64 entries: a
// shuffle looks up 16, and bits 4 and 5 of the index choose among them.
__attribute__((target("avx2"))) __m256i Look32(__m256i index, __m256i t0, __m256i t1) {
  return _mm256_blendv_epi8(_mm256_shuffle_epi8(t0, index), _mm256_shuffle_epi8(t1, index),
                            _mm256_slli_epi16(index, 3));
}

__attribute__((target("avx2"))) void ConvertRowAvx2(const uint8_t* fives, const uint8_t* sixes,
                                                    const uint16_t* pixels, int count, uint32_t* out) {
  const __m256i f0 = TableRow(fives), f1 = TableRow(fives + 16);
  const __m256i s0 = TableRow(sixes), s1 = TableRow(sixes + 16), s2 = TableRow(sixes + 32),
                s3 = TableRow(sixes + 48);
  const __m256i five = _mm256_set1_epi16(31), six = _mm256_set1_epi16(63), low = _mm256_set1_epi16(0xFF),
                alpha = _mm256_set1_epi16(static_cast<short>(0xFF00));
  for (int i = 0; i + 16 <= count; i += 16) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i));
    // Blue's level in the low byte of each 16-bit lane, red's in the high:
    // one lookup gives both, in the order a 0xAARRGGBB pixel keeps them.
    const __m256i blueRed = Look32(
        _mm256_or_si256(_mm256_and_si256(p, five), _mm256_slli_epi16(_mm256_srli_epi16(p, 11), 8)), f0, f1);
    const __m256i g = _mm256_and_si256(_mm256_srli_epi16(p, 5), six);
    const __m256i g16 = Look32(g, s0, s1);
    const __m256i g48 = Look32(g, s2, s3);
    const __m256i green = _mm256_and_si256(_mm256_blendv_epi8(g16, g48, _mm256_slli_epi16(g, 2)), low);
    const __m256i blueGreen = _mm256_or_si256(_mm256_and_si256(blueRed, low), _mm256_slli_epi16(green, 8));
    const __m256i redAlpha = _mm256_or_si256(_mm256_srli_epi16(blueRed, 8), alpha);
    const __m256i first = _mm256_unpacklo_epi16(blueGreen, redAlpha);   // pixels 0-3, 8-11
    const __m256i second = _mm256_unpackhi_epi16(blueGreen, redAlpha);  // pixels 4-7, 12-15
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute2x128_si256(first, second, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 8),
                        _mm256_permute2x128_si256(first, second, 0x31));
  }
}

}  // namespace

void GammaTable::ConvertRow(const uint16_t* pixels, int count, uint32_t* out) const {
  int i = 0;
  if (HasAvx2()) {
    ConvertRowAvx2(fives_.data(), sixes_.data(), pixels, count, out);
    i = count & ~15;
  }
  for (; i < count; ++i) out[i] = Rgb(pixels[i]);
}

void GammaTable::ConvertRow(const uint32_t* pixels, int count, uint32_t* out) const {
  for (int i = 0; i < count; ++i) out[i] = Rgb8888(pixels[i]);
}

}  // namespace gfx
