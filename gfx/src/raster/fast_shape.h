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

// The combinations the programs draw, which the wider spans (AVX2, AVX-512)
// have code for; anything else goes to the narrower spans.
enum class WideState { kNone, kFloor, kMesh, kBodies, kBodiesMipmapped };

// The wide state of a derived state, and what triangle setup must provide
// for it (both true for kNone).
WideState WideStateOf(const Derived& derived, bool* needsAllPlanes, bool* needsLod);

// The stages of a wide state, as the band functions are compiled for them.
template <bool kMipmap, bool kFog, bool kBlend, bool kDepthLess, bool kDither>
struct WideConfig {
  static constexpr bool mipmap = kMipmap, fog = kFog, blend = kBlend, depthLess = kDepthLess,
                        dither = kDither;
};

// One width's band function (or other Function) for the state, or an empty
// one: bandOf.template operator()<Config, kSClamp, kTClamp>() is the width's
// function for a configuration and clamp modes, and names its names of the
// floor, mesh, bodies and mipmapped bodies states.
template <class Function = BandFunction, class BandOf>
Function PickWide(const Derived& d, const char* const (&names)[4], const char** name, bool* needsAllPlanes,
                  bool* needsLod, BandOf bandOf) {
  const bool s = d.texture.sClamp, t = d.texture.tClamp;
  auto clamped = [&]<class C>() -> Function {
    if (s)
      return t ? bandOf.template operator()<C, true, true>() : bandOf.template operator()<C, true, false>();
    return t ? bandOf.template operator()<C, false, true>() : bandOf.template operator()<C, false, false>();
  };
  switch (WideStateOf(d, needsAllPlanes, needsLod)) {
    case WideState::kFloor:
      *name = names[0];
      return clamped.template operator()<WideConfig<false, true, true, false, false>>();
    case WideState::kMesh:
      *name = names[1];
      return clamped.template operator()<WideConfig<false, false, false, true, false>>();
    case WideState::kBodies:
      *name = names[2];
      return clamped.template operator()<WideConfig<false, false, false, true, true>>();
    case WideState::kBodiesMipmapped:
      *name = names[3];
      return clamped.template operator()<WideConfig<true, false, false, true, true>>();
    case WideState::kNone:
      break;
  }
  return Function{};
}

}  // namespace gfx::raster
