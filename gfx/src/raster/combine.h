// combine.h — the combine units: TMU0's texture combine, then the colour and
// alpha combine of the frame-buffer unit, then the chroma-key and alpha tests.
// All three units share one arithmetic per channel:
//   base = (zero other ? 0 : other) - (subtract local ? local : 0)
//   f    = factor (or 255 - factor when bit 3 of the factor code is set) + 1
//   out  = clamp((base * f >> 8) + (add local | add local alpha | 0)), inverted when asked
#pragma once

#include <glide.h>

#include <cstdint>

#include "pipeline.h"
#include "texture.h"

namespace gfx::raster {

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};

// What a GrCombineFunction_t does, as bits: whether "other" is replaced by
// zero, whether "local" is subtracted, and what is added at the end.
constexpr int kZeroOther = 1;
constexpr int kSubtractLocal = 2;
constexpr int kAddLocal = 1 << 2;
constexpr int kAddLocalAlpha = 2 << 2;
// Unknown functions give 0, as ZERO does.
inline int CombineFunctionBits(int function) {
  switch (function) {
    case GR_COMBINE_FUNCTION_ZERO:
      return kZeroOther;
    case GR_COMBINE_FUNCTION_LOCAL:
      return kZeroOther | kAddLocal;
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA:
      return kZeroOther | kAddLocalAlpha;
    case GR_COMBINE_FUNCTION_SCALE_OTHER:
      return 0;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL:
      return kAddLocal;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA:
      return kAddLocalAlpha;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL:
      return kSubtractLocal;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL:
      return kSubtractLocal | kAddLocal;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA:
      return kSubtractLocal | kAddLocalAlpha;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL:
      return kZeroOther | kSubtractLocal | kAddLocal;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA:
      return kZeroOther | kSubtractLocal | kAddLocalAlpha;
    default:
      return kZeroOther;
  }
}

// A GrCombineFactor_t is a source in its low three bits, and "one minus"
// that source when this bit is set (GR_COMBINE_FACTOR_ONE = ONE_MINUS_ZERO).
constexpr int kFactorOneMinus = 0x8;
constexpr int kFactorSourceMask = 0x7;

// One channel with the factor already chosen: f is 0..256.
inline int CombineChannelBy(int functionBits, bool invert, int local, int other, int localAlpha, int f) {
  int base = ((functionBits & kZeroOther) ? 0 : other) - ((functionBits & kSubtractLocal) ? local : 0);
  int addend = (functionBits & kAddLocal) ? local : ((functionBits & kAddLocalAlpha) ? localAlpha : 0);
  int out = Clamp255(((base * f) >> 8) + addend);
  return invert ? 255 - out : out;
}

// One channel. factorValue is the selected source (0..255) before "one minus".
inline int CombineChannel(int functionBits, int factorCode, bool invert, int local, int other, int localAlpha,
                          int factorValue) {
  int f = ((factorCode & kFactorOneMinus) ? 255 - factorValue : factorValue) + 1;
  return CombineChannelBy(functionBits, invert, local, other, localAlpha, f);
}

// A texture combine factor as the TMU forms it: the source, reversed (255 -
// source) for the "one minus" codes and again on a trilinear odd level, plus
// one -- except an unreversed LOD fraction, which is taken as it is, so that
// the fraction and its reverse add up to exactly 256.
inline int TextureFactor(int code, bool flipped, int value) {
  const bool reversed = ((code & kFactorOneMinus) != 0) != flipped;
  if ((code & kFactorSourceMask) == GR_COMBINE_FACTOR_LOD_FRACTION && !reversed) return value;
  return (reversed ? 255 - value : value) + 1;
}

// Texture combine of the only TMU: local is the texel, the upstream ("other")
// input is zero. Returns the TMU output as 0xAARRGGBB.
inline uint32_t TextureCombineUnit(const TextureCombine& tc, const DerivedTexture& tex,
                                   const TexelSample& texel) {
  const uint32_t argb = texel.argb;
  int ta = argb >> 24;
  int channel[3] = {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                    static_cast<int>(argb & 0xFF)};
  auto factorOf = [&](int code, int localChannel) {
    int value = 0;  // ZERO, OTHER_ALPHA (no upstream TMU)
    switch (code & kFactorSourceMask) {
      case GR_COMBINE_FACTOR_LOCAL:
        value = localChannel;
        break;
      case GR_COMBINE_FACTOR_LOCAL_ALPHA:
        value = ta;
        break;
      case GR_COMBINE_FACTOR_DETAIL_FACTOR:
        value = DetailFactor(tex, texel.rawLod, texel.wNegative);
        break;
      case GR_COMBINE_FACTOR_LOD_FRACTION:
        value = texel.lodFraction;
        break;
      default:
        break;
    }
    return TextureFactor(code, texel.flipped, value);
  };
  int rgbBits = CombineFunctionBits(tc.rgbFunction), alphaBits = CombineFunctionBits(tc.alphaFunction);
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    int v = CombineChannelBy(rgbBits, tc.rgbInvert, channel[c], 0, ta, factorOf(tc.rgbFactor, channel[c]));
    out |= static_cast<uint32_t>(v) << (16 - 8 * c);
  }
  int a = CombineChannelBy(alphaBits, tc.alphaInvert, ta, 0, ta, factorOf(tc.alphaFactor, ta));
  return out | static_cast<uint32_t>(a) << 24;
}

struct CombineInput {
  Rgba iterated;          // Gouraud colour and alpha, clamped to 0..255
  uint32_t texture = 0;   // TMU output
  uint32_t constant = 0;  // constant colour 0xAARRGGBB
  int depthByte = 0;      // high byte of the iterated depth
};

struct CombineOutput {
  Rgba colour;
  Rgba other;  // the colour combine's "other" input (the chroma key compares it)
};

inline CombineOutput ColourAlphaCombine(const RasterState& state, const CombineInput& in) {
  const CombineUnit& cc = state.colour;
  const CombineUnit& ac = state.alpha;
  Rgba texture{static_cast<int>((in.texture >> 16) & 0xFF), static_cast<int>((in.texture >> 8) & 0xFF),
               static_cast<int>(in.texture & 0xFF), static_cast<int>(in.texture >> 24)};
  Rgba constant{static_cast<int>((in.constant >> 16) & 0xFF), static_cast<int>((in.constant >> 8) & 0xFF),
                static_cast<int>(in.constant & 0xFF), static_cast<int>(in.constant >> 24)};

  // Alpha unit inputs (the colour unit's alpha factors read these too).
  int localAlpha = ac.local == 0 ? in.iterated.a : (ac.local == 2 ? in.depthByte : constant.a);
  int otherAlpha =
      ac.other == 0 ? in.iterated.a : (ac.other == 1 ? texture.a : (ac.other == 2 ? constant.a : 0));

  Rgba local = cc.local == 0 ? in.iterated : constant;
  Rgba other = cc.other == 0 ? in.iterated : (cc.other == 1 ? texture : (cc.other == 2 ? constant : Rgba{}));

  CombineOutput out;
  out.other = other;
  int colourBits = CombineFunctionBits(cc.function);
  int localC[3] = {local.r, local.g, local.b}, otherC[3] = {other.r, other.g, other.b};
  int result[3];
  for (int c = 0; c < 3; ++c) {
    int factorValue = 0;
    switch (cc.factor & kFactorSourceMask) {
      case GR_COMBINE_FACTOR_LOCAL:
        factorValue = localC[c];
        break;
      case GR_COMBINE_FACTOR_OTHER_ALPHA:
        factorValue = otherAlpha;
        break;
      case GR_COMBINE_FACTOR_LOCAL_ALPHA:
        factorValue = localAlpha;
        break;
      case GR_COMBINE_FACTOR_TEXTURE_ALPHA:
        factorValue = texture.a;
        break;
      default:
        break;
    }
    result[c] =
        CombineChannel(colourBits, cc.factor, cc.invert, localC[c], otherC[c], localAlpha, factorValue);
  }
  int alphaFactor = 0;
  switch (ac.factor & kFactorSourceMask) {
    case GR_COMBINE_FACTOR_LOCAL:
    case GR_COMBINE_FACTOR_LOCAL_ALPHA:
      alphaFactor = localAlpha;
      break;
    case GR_COMBINE_FACTOR_OTHER_ALPHA:
      alphaFactor = otherAlpha;
      break;
    case GR_COMBINE_FACTOR_TEXTURE_ALPHA:
      alphaFactor = texture.a;
      break;
    default:
      break;
  }
  int alpha = CombineChannel(CombineFunctionBits(ac.function), ac.factor, ac.invert, localAlpha, otherAlpha,
                             localAlpha, alphaFactor);
  out.colour = Rgba{result[0], result[1], result[2], alpha};
  return out;
}

// GrCmpFnc_t: "value OP reference".
inline bool Compare(int function, int value, int reference) {
  switch (function) {
    case GR_CMP_NEVER:
      return false;
    case GR_CMP_LESS:
      return value < reference;
    case GR_CMP_EQUAL:
      return value == reference;
    case GR_CMP_LEQUAL:
      return value <= reference;
    case GR_CMP_GREATER:
      return value > reference;
    case GR_CMP_NOTEQUAL:
      return value != reference;
    case GR_CMP_GEQUAL:
      return value >= reference;
    default:  // GR_CMP_ALWAYS
      return true;
  }
}

// Chroma key: the pixel is dropped when the colour unit's other input matches exactly.
inline bool ChromaKeyed(const RasterState& state, const Rgba& other) {
  if (!state.chromaKey) return false;
  uint32_t rgb = static_cast<uint32_t>(other.r) << 16 | static_cast<uint32_t>(other.g) << 8 |
                 static_cast<uint32_t>(other.b);
  return rgb == (state.chromaKeyValue & 0xFFFFFFu);
}

}  // namespace gfx::raster
