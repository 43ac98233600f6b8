// state.cpp — set, derive, draw: recording a RasterState and deriving the
// tables and the span function from it once per change.
#include "combine.h"
#include "expanded_texture.h"
#include "fog.h"
#include "pipeline.h"
#include "texture.h"

namespace gfx::raster {

void RecordState(const RasterState& state, RecordedState* recorded) {
  recorded->state = state;
  recorded->hasPalette = state.texture.palette != nullptr;
  recorded->hasNcc = state.texture.ncc != nullptr;
  recorded->hasFog = state.fog.table != nullptr;
  if (recorded->hasPalette)
    std::memcpy(recorded->palette, state.texture.palette, sizeof recorded->palette);
  else
    std::memset(recorded->palette, 0, sizeof recorded->palette);
  recorded->ncc = recorded->hasNcc ? *state.texture.ncc : NccTable{};
  if (recorded->hasFog)
    std::memcpy(recorded->fogTable, state.fog.table, sizeof recorded->fogTable);
  else
    std::memset(recorded->fogTable, 0, sizeof recorded->fogTable);
  recorded->state.texture.palette = nullptr;
  recorded->state.texture.ncc = nullptr;
  recorded->state.fog.table = nullptr;
}

namespace {

// Whether the texture unit runs: as the board's library decides it, when
// either combine unit's "other" input is the texture or either factor is
// the texture alpha, whatever the function (the colour unit's OTHER_ALPHA
// factor reads the alpha unit's other input, so a LOCAL alpha function does
// not leave the texture unused).
bool UsesTexture(const RasterState& st) {
  auto readsTextureAlpha = [](int factor) {
    return (factor & kFactorSourceMask) == GR_COMBINE_FACTOR_TEXTURE_ALPHA;
  };
  return st.colour.other == GR_COMBINE_OTHER_TEXTURE || st.alpha.other == GR_COMBINE_OTHER_TEXTURE ||
         readsTextureAlpha(st.colour.factor) || readsTextureAlpha(st.alpha.factor);
}

}  // namespace

DeriveCaches::DeriveCaches() : textures(std::make_unique<ExpandedTextureCache>()) {}
DeriveCaches::~DeriveCaches() = default;

Rasterizer::Simd BestSimd() {
  static const Rasterizer::Simd best = [] {
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq"))
      return Rasterizer::Simd::kAvx512;
    return __builtin_cpu_supports("avx2") ? Rasterizer::Simd::kAvx2 : Rasterizer::Simd::kSse2;
  }();
  return best;
}

void Derive(const RecordedState& recorded, bool referenceOnly, bool colour32, Rasterizer::Simd simd,
            DeriveCaches* caches, Derived* d) {
  // d may have been derived before: what is not set below is cleared here.
  d->fogByW.reset();
  d->expanded.reset();
  d->recorded = recorded;
  d->state = recorded.state;
  d->state.texture.palette = d->recorded.palette;
  d->state.texture.ncc = &d->recorded.ncc;
  d->state.fog.table = d->recorded.fogTable;
  const RasterState& st = d->state;

  BuildFogDeltas(d->recorded.fogTable, d->fogDelta);
  if ((st.fog.mode & 0xFF) == 2) {
    const std::shared_ptr<const FogLut>& cached = caches->fog;
    if (!cached || std::memcmp(cached->table, d->recorded.fogTable, sizeof cached->table) != 0) {
      auto lut = std::make_shared<FogLut>();
      std::memcpy(lut->table, d->recorded.fogTable, sizeof lut->table);
      for (int wf = 0; wf < 65536; ++wf) lut->factor[wf] = static_cast<uint16_t>(FogFromW(*d, wf) + 1);
      caches->fog = std::move(lut);
    }
    d->fogByW = caches->fog;
  }
  BuildTexture(st.texture, d->recorded.palette, d->recorded.ncc, &d->texture);
  if (!UsesTexture(st)) d->texture.enabled = false;

  const BlendState& b = st.blend;
  d->blendEnabled =
      !(b.rgbSource == 4 && b.rgbDestination == 0 && b.alphaSource == 4 && b.alphaDestination == 0);
  d->depthEnabled =
      st.depth.mode >= GR_DEPTHBUFFER_ZBUFFER && st.depth.mode <= GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS;
  d->alphaBuffer = !d->depthEnabled && st.alphaWriteMask;

  d->span = colour32 ? ReferenceSpan32 : ReferenceSpan;
  d->band = nullptr;
  d->triangles = nullptr;
  d->spanName = colour32 ? "reference 32-bit" : "reference";
  d->needsAllPlanes = d->needsLod = true;
  if (!referenceOnly) {
    // The widest spans the processor runs that have the state, into either colour buffer.
    const char* name = nullptr;
    bool allPlanes = true, lod = true;
    BandFunction fast = nullptr;
    TexelLayout layout = TexelLayout::kColumnPairs;  // what the sixteen-lane spans read
    TrianglesFunction triangles = nullptr;
    if (simd == Rasterizer::Simd::kAvx512)
      fast = PickPackedBand(*d, colour32, &name, &allPlanes, &lod, &triangles);
    if (!fast && simd >= Rasterizer::Simd::kAvx2) {
      fast = PickWideBand(*d, colour32, &name, &allPlanes, &lod);
      layout = TexelLayout::kRows;
    }
    if (fast)
      d->expanded = caches->textures->Get(d->texture, st.texture.contentVersion, layout);
    else
      fast = PickFastBand(*d, colour32, &name, &allPlanes, &lod);
    if (fast) {
      d->band = fast;
      d->triangles = triangles;
      d->spanName = name;
      d->needsAllPlanes = allPlanes;
      d->needsLod = lod;
    }
  }
}

}  // namespace gfx::raster
