// blend.h — alpha blending of the fogged source colour over the RGB565
// destination. Factors are 0..256 (an 8-bit value v counts as v + 1), and
// out = clamp((src * Fs + dst * Fd) >> 8).
#pragma once

#include <glide.h>

#include "combine.h"
#include "pipeline.h"

namespace gfx::raster {

inline Rgba Expand565(uint16_t v) {
  int r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
  return Rgba{r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2, 255};
}

// A destination that keeps 8 bits a channel (0x00RRGGBB).
inline Rgba Expand8888(uint32_t v) {
  return Rgba{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
              static_cast<int>(v & 0xFF), 255};
}

// Factor of a GrAlphaBlendFnc_t code for one channel. "colour" is the other
// side's colour channel (source factors read the destination, destination
// factors the source), prefog the source before fog.
inline int BlendFactor(int code, bool source, int srcAlpha, int dstAlpha, int colour, int prefog) {
  switch (code) {
    case GR_BLEND_ZERO:
      return 0;
    case GR_BLEND_SRC_ALPHA:
      return srcAlpha + 1;
    case GR_BLEND_SRC_COLOR:  // = GR_BLEND_DST_COLOR as a destination factor
      return colour + 1;
    case GR_BLEND_DST_ALPHA:
      return dstAlpha + 1;
    case GR_BLEND_ONE:
      return 256;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA:
      return 256 - srcAlpha;
    case GR_BLEND_ONE_MINUS_SRC_COLOR:  // = GR_BLEND_ONE_MINUS_DST_COLOR
      return 256 - colour;
    case GR_BLEND_ONE_MINUS_DST_ALPHA:
      return 256 - dstAlpha;
    case GR_BLEND_ALPHA_SATURATE: {  // = GR_BLEND_PREFOG_COLOR as a destination factor
      if (!source) return prefog + 1;
      int inverse = 255 - dstAlpha;
      return (srcAlpha < inverse ? srcAlpha : inverse) + 1;
    }
    default:  // GR_BLEND_RESERVED_8 .. E
      return 0;
  }
}

// Blends src over dst; alpha follows the alpha factors, which this board
// reduces to ONE or ZERO.
inline Rgba Blend(const BlendState& blend, const Rgba& src, const Rgba& prefog, const Rgba& dst) {
  const int* srcC[3] = {&src.r, &src.g, &src.b};
  const int* dstC[3] = {&dst.r, &dst.g, &dst.b};
  const int* preC[3] = {&prefog.r, &prefog.g, &prefog.b};
  int out[3];
  for (int i = 0; i < 3; ++i) {
    int fs = BlendFactor(blend.rgbSource, true, src.a, dst.a, *dstC[i], *preC[i]);
    int fd = BlendFactor(blend.rgbDestination, false, src.a, dst.a, *srcC[i], *preC[i]);
    out[i] = Clamp255((*srcC[i] * fs + *dstC[i] * fd) >> 8);
  }
  int fa = blend.alphaSource == GR_BLEND_ZERO ? 0 : 256;
  int fda = blend.alphaDestination == GR_BLEND_ONE ? 256 : 0;
  int alpha = Clamp255((src.a * fa + dst.a * fda) >> 8);
  return Rgba{out[0], out[1], out[2], alpha};
}

}  // namespace gfx::raster
