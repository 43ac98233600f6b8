// texture.cpp — per-state texture derivation: decode table for 8-bit texels,
// the level table in texture memory, filters and clamps.
#include "texture.h"

namespace gfx::raster {

namespace {

uint32_t Rgb332(uint32_t v) {
  uint32_t r = (v >> 5) & 7, g = (v >> 2) & 7, b = v & 3;
  r = r << 5 | r << 2 | r >> 1;
  g = g << 5 | g << 2 | g >> 1;
  b = b * 0x55;
  return 0xFF000000u | r << 16 | g << 8 | b;
}

uint32_t Ncc(const NccTable& ncc, uint32_t v) {
  int y = ncc.y[v >> 4];
  const int16_t* i = ncc.i[(v >> 2) & 3];
  const int16_t* q = ncc.q[v & 3];
  uint32_t r = Clamp255(y + i[0] + q[0]), g = Clamp255(y + i[1] + q[1]), b = Clamp255(y + i[2] + q[2]);
  return 0xFF000000u | r << 16 | g << 8 | b;
}

}  // namespace

void BuildTexture(const TextureState& state, const uint32_t* palette, const NccTable& ncc,
                  DerivedTexture* texture) {
  DerivedTexture& tex = *texture;
  tex = DerivedTexture{};
  tex.format = state.format;
  tex.sixteenBit = state.format >= 8;
  for (uint32_t v = 0; v < 256; ++v) {
    uint32_t argb = 0;
    switch (state.format) {
      case 0:  // RGB_332
      case 8:  // ARGB_8332
        argb = Rgb332(v);
        break;
      case 1:  // YIQ_422
      case 9:  // AYIQ_8422
        argb = Ncc(ncc, v);
        break;
      case 2:  // ALPHA_8
        argb = v * 0x01010101u;
        break;
      case 3:  // INTENSITY_8
        argb = 0xFF000000u | v * 0x010101u;
        break;
      case 4:  // ALPHA_INTENSITY_44
        argb = ((v >> 4) * 17) << 24 | ((v & 15) * 17) * 0x010101u;
        break;
      case 5:   // P_8
      case 14:  // AP_88
        argb = 0xFF000000u | (palette[v] & 0xFFFFFFu);
        break;
      default:
        break;
    }
    tex.lut8[v] = argb;
  }

  int largeLod = state.largeLod, smallLod = state.smallLod;
  bool formatKnown = state.format <= 5 || (state.format >= 8 && state.format <= 14);
  if (!state.valid || state.memory == nullptr || !formatKnown || largeLod < 0 || smallLod > 8 ||
      largeLod > smallLod || state.aspect < 0 || state.aspect > 6)
    return;  // no usable texture: every texel reads as zero
  tex.enabled = true;
  int bytesPerTexel = tex.sixteenBit ? 2 : 1;
  int ratioLog2 = state.aspect < 3 ? 3 - state.aspect : state.aspect - 3;
  for (int lod = largeLod; lod <= smallLod; ++lod) {
    int longLog2 = 8 - lod;
    int shortLog2 = longLog2 > ratioLog2 ? longLog2 - ratioLog2 : 0;
    TextureLevel level;
    level.widthLog2 = state.aspect <= 3 ? longLog2 : shortLog2;
    level.heightLog2 = state.aspect <= 3 ? shortLog2 : longLog2;
    uint64_t bytes = (uint64_t{1} << (level.widthLog2 + level.heightLog2)) * bytesPerTexel;
    if (uint64_t{state.levelOffset[lod]} + bytes <= state.memorySize)
      level.texels = state.memory + state.levelOffset[lod];
    tex.levels[lod] = level;
  }
  tex.lodMin = largeLod;
  tex.lodMax = state.mipmapMode == 0 ? largeLod : smallLod;
  int bias = state.lodBias < -32 ? -32 : (state.lodBias > 31 ? 31 : state.lodBias);
  tex.lodBias88 = bias * 64;
  tex.sClamp = state.sClamp != 0;
  tex.tClamp = state.tClamp != 0;
  tex.minBilinear = state.minFilter == 1;
  tex.magBilinear = state.magFilter == 1;
  tex.lodBlend = state.lodBlend;
  tex.lodOdd = state.lodOdd;
  int detailBias = state.detailBias < -32 ? -32 : (state.detailBias > 31 ? 31 : state.detailBias);
  tex.detailBias88 = detailBias * 256;
  tex.detailScale = state.detailScale < 0 ? 0 : (state.detailScale > 7 ? 7 : state.detailScale);
  tex.detailMax = Clamp255(state.detailMax);
}

}  // namespace gfx::raster
