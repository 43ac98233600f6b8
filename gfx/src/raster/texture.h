// texture.h — texture fetch and filter: perspective division of S and T by W,
// the mipmap level from the per-triangle gradient and W, wrap or clamp, point
// sampling or bilinear filtering with 4-bit weights, and texel decoding for
// every Glide texture format into 0xAARRGGBB.
#pragma once

#include <cstdint>

#include "pipeline.h"

namespace gfx::raster {

// Builds the decode table, the level table and the filter/clamp choices.
// palette and ncc are the rasteriser's own copies.
void BuildTexture(const TextureState& state, const uint32_t* palette, const NccTable& ncc,
                  DerivedTexture* texture);

// Level of detail in 8.8 from log2 of the float's bits: the exponent plus the
// top mantissa bits as the fraction (the hardware's piecewise-linear log).
inline int32_t Log2Approx88(float v) {
  return (static_cast<int32_t>(FloatBits(v)) >> 15) - (127 << 8);
}

// 16-bit texel to 0xAARRGGBB (8-bit formats go through lut8 alone).
inline uint32_t Decode16(const DerivedTexture& tex, uint32_t v) {
  switch (tex.format) {
    case 8:   // ARGB_8332
    case 9:   // AYIQ_8422
    case 14:  // AP_88
      return ((v >> 8) << 24) | (tex.lut8[v & 0xFF] & 0xFFFFFFu);
    case 10: {  // RGB_565
      uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
      return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
    }
    case 11: {  // ARGB_1555
      uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
      return ((v & 0x8000) ? 0xFF000000u : 0u) | ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) |
             (b << 3 | b >> 2);
    }
    case 12: {  // ARGB_4444
      return ((v >> 12) * 17) << 24 | (((v >> 8) & 15) * 17) << 16 | (((v >> 4) & 15) * 17) << 8 |
             (v & 15) * 17;
    }
    case 13: {  // ALPHA_INTENSITY_88
      uint32_t i = v & 0xFF;
      return (v >> 8) << 24 | i << 16 | i << 8 | i;
    }
    default:
      return 0;
  }
}

inline uint32_t FetchTexel(const DerivedTexture& tex, const TextureLevel& level, int i, int j) {
  uint32_t index = (static_cast<uint32_t>(j) << level.widthLog2) + static_cast<uint32_t>(i);
  if (!tex.sixteenBit) return tex.lut8[level.texels[index]];
  const uint8_t* p = level.texels + 2 * index;
  return Decode16(tex, p[0] | (p[1] << 8));
}

// Wrap or clamp of a texel index to [0, size).
inline int WrapIndex(int i, int sizeLog2, bool clamp) {
  int size = 1 << sizeLog2;
  if (clamp) return i < 0 ? 0 : (i >= size ? size - 1 : i);
  return i & (size - 1);
}

// 1/16 texel units of level l per LOD-0 texel: 16 / 2^l.
inline float LevelScale(int level) {
  return 16.0f / static_cast<float>(1 << level);
}

// Bilinear blend of four texels with 4-bit weights summing to 256.
inline uint32_t Bilinear(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, int fs, int ft) {
  int w00 = (16 - fs) * (16 - ft), w10 = fs * (16 - ft), w01 = (16 - fs) * ft, w11 = fs * ft;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t v = (((c00 >> shift) & 0xFF) * w00 + ((c10 >> shift) & 0xFF) * w10 +
                  ((c01 >> shift) & 0xFF) * w01 + ((c11 >> shift) & 0xFF) * w11) >>
                 8;
    out |= v << shift;
  }
  return out;
}

struct TexelSample {
  uint32_t argb = 0;
  int lodFraction = 0;  // 0..255
  int rawLod = 0;       // level of detail before bias and clamp, 8.8 (for the detail factor)
  bool wNegative = false;
  bool flipped = false;  // trilinear on an odd level: the combine's factors are reversed
};

// The detail factor from the level of detail before bias and clamp (8.8):
// (bias - lod) in 8.8 less one 256th, scaled by 2^scale, whole part, at most
// max; zero where the level of detail reaches the bias, max where W < 0.
inline int DetailFactor(const DerivedTexture& tex, int rawLod88, bool wNegative) {
  if (wNegative) return tex.detailMax;
  int beta = tex.detailBias88 + ~rawLod88;
  if (beta < 0) return 0;
  beta = static_cast<int>((static_cast<int64_t>(beta) << tex.detailScale) >> 8);
  return beta > tex.detailMax ? tex.detailMax : beta;
}

// One pixel's texel from the interpolated S = s/w, T = t/w and W = 1/w.
inline TexelSample SampleTexture(const DerivedTexture& tex, float sPlane, float tPlane, float wPlane,
                                 int lodBase88) {
  TexelSample out;
  float recip = 1.0f / wPlane;
  float s = sPlane * recip, t = tPlane * recip;
  const bool wNegative = wPlane < 0.0f;
  if (wNegative) s = t = 0.0f;  // the hardware clamps texture coordinates when W is negative

  const int rawLod = lodBase88 - Log2Approx88(wPlane);
  int lod = rawLod + tex.lodBias88;
  int lodMin = tex.lodMin << 8, lodMax = tex.lodMax << 8;
  lod = lod < lodMin ? lodMin : (lod > lodMax ? lodMax : lod);
  int levelNumber = lod >> 8;
  out.lodFraction = lod & 0xFF;
  out.rawLod = rawLod;
  out.wNegative = wNegative;
  bool bilinear = lod == lodMin ? tex.magBilinear : tex.minBilinear;
  if (tex.lodBlend) {
    // The TMU holds one parity of levels: on a level of the other parity it
    // reads the next smaller one (past the last, the odd TMU reads level 7),
    // and on an odd level the blend factors are reversed, so the even and
    // the odd pass weigh their levels by 1 - fraction and fraction.
    out.flipped = (levelNumber & 1) != 0;
    if (out.flipped != tex.lodOdd) {
      ++levelNumber;
      if (levelNumber > 8) {
        levelNumber = 7;
        out.lodFraction = 0;
      }
    }
  }
  const TextureLevel& level = tex.levels[levelNumber];
  if (level.texels == nullptr) return out;

  float scale = LevelScale(levelNumber);
  float half = bilinear ? 8.0f : 0.0f;
  float s16 = s * scale - half, t16 = t * scale - half;
  int32_t si = FloorClamped(MinPs(MaxPs(s16, -kTexCoordLimit), kTexCoordLimit));
  int32_t ti = FloorClamped(MinPs(MaxPs(t16, -kTexCoordLimit), kTexCoordLimit));
  int i = si >> 4, j = ti >> 4;
  if (!bilinear) {
    out.argb = FetchTexel(tex, level, WrapIndex(i, level.widthLog2, tex.sClamp),
                          WrapIndex(j, level.heightLog2, tex.tClamp));
    return out;
  }
  int i0 = WrapIndex(i, level.widthLog2, tex.sClamp), i1 = WrapIndex(i + 1, level.widthLog2, tex.sClamp);
  int j0 = WrapIndex(j, level.heightLog2, tex.tClamp), j1 = WrapIndex(j + 1, level.heightLog2, tex.tClamp);
  out.argb = Bilinear(FetchTexel(tex, level, i0, j0), FetchTexel(tex, level, i1, j0),
                      FetchTexel(tex, level, i0, j1), FetchTexel(tex, level, i1, j1), si & 15, ti & 15);
  return out;
}

}  // namespace gfx::raster
