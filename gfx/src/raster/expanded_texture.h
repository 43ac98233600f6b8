// expanded_texture.h — a texture decoded once for the wide spans: every level
// as 0xAARRGGBB texels with a one-texel border that repeats the opposite edge
// (wrap) or the edge itself (clamp), so the four texels of a bilinear
// footprint are two 8-byte reads at (row, column) and (row + 1, column) with
// no per-texel wrapping or decoding. Kept in a small cache keyed by what the
// texels depend on: the levels in texture memory, the decode table, the
// clamp modes and the owner's content version of the memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "pipeline.h"

namespace gfx::raster {

// How the expanded texels lie in memory.
enum class TexelLayout {
  kRows,         // row after row: a footprint is two 8-byte reads, one per row
  kColumnPairs,  // each position holds its texel and the one below it, so a
                 // footprint is one 16-byte read: top-left, bottom-left,
                 // top-right, bottom-right
};

struct ExpandedTexture {
  // Per level (by Glide LOD number), in positions of `texels` (a texel, or a
  // pair of texels with kColumnPairs). A texel index i along a row maps to
  // border column (i & widthMask) + 1 when wrapping and
  // min(max(i, -1), widthMask) + 1 when clamping; rows likewise.
  alignas(32) int32_t offset[9] = {};
  alignas(32) int32_t stride[9] = {};
  alignas(32) int32_t widthMask[9] = {};
  alignas(32) int32_t heightMask[9] = {};
  std::vector<uint32_t> texels;
  TexelLayout layout = TexelLayout::kRows;

  // What the texels were built from.
  const uint8_t* levelTexels[9] = {};
  int lodMin = 0, lodMax = 0;
  int format = 0;
  bool sClamp = true, tClamp = true;
  uint64_t contentVersion = 0;
  uint32_t lut8[256] = {};

  bool BuiltFrom(const DerivedTexture& tex, uint64_t version, TexelLayout wanted) const;
};

// Decodes every level of tex (all present) with its border, in the layout,
// into *out, keeping the memory its texels had; *line is scratch.
void ExpandTexture(const DerivedTexture& tex, uint64_t version, TexelLayout layout, ExpandedTexture* out,
                   std::vector<uint32_t>* line);

// The last few expanded textures, most recently used first. Textures a
// program switches between (one per object, or a floor and a sphere map in
// one frame) are decoded once, not once per state change. An entry that
// leaves the cache is decoded into again when nothing else holds it, so a
// texture decoded every frame (a palette fading) needs no new memory.
class ExpandedTextureCache {
 public:
  std::shared_ptr<const ExpandedTexture> Get(const DerivedTexture& tex, uint64_t version,
                                             TexelLayout layout = TexelLayout::kRows);

 private:
  static constexpr size_t kEntries = 8;
  std::vector<std::shared_ptr<ExpandedTexture>> entries;
  std::vector<uint32_t> line;
};

}  // namespace gfx::raster
