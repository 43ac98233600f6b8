// fast_shape.h — which states the fast spans draw: a decal texture (pixel
// colour = bilinear texel colour, every level present), no chroma key or
// alpha test, w-buffered with depth less or always, and then table fog or
// none, blending by the constant alpha or none, 4x4 dither or none.
#pragma once

#include "pipeline.h"

namespace gfx::raster {

struct FastShape {
  bool sixteenBit = false;  // 16-bit texels
  bool mipmap = false;      // more than one level
  bool fog = false;         // table fog
  bool blend = false;       // source alpha / one minus source alpha, constant alpha
  bool depthLess = false;   // depth less (else always)
  bool dither = false;      // 4x4 dither (else truncation)
};

// False when the state needs a stage the fast spans do not have.
bool FastShapeOf(const Derived& derived, FastShape* shape);

}  // namespace gfx::raster
