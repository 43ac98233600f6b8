// expanded_texture.cpp — decoding a texture's levels with their borders, and
// the cache of decoded textures.
#include "expanded_texture.h"

#include <algorithm>
#include <cstring>

#include "texture.h"

namespace gfx::raster {

bool ExpandedTexture::BuiltFrom(const DerivedTexture& tex, uint64_t version, TexelLayout wanted) const {
  if (layout != wanted || contentVersion != version || lodMin != tex.lodMin || lodMax != tex.lodMax ||
      format != tex.format || sClamp != tex.sClamp || tClamp != tex.tClamp)
    return false;
  for (int lod = lodMin; lod <= lodMax; ++lod) {
    const TextureLevel& level = tex.levels[lod];
    if (levelTexels[lod] != level.texels || widthMask[lod] != (1 << level.widthLog2) - 1 ||
        heightMask[lod] != (1 << level.heightLog2) - 1)
      return false;
  }
  return std::memcmp(lut8, tex.lut8, sizeof lut8) == 0;
}

void ExpandTexture(const DerivedTexture& tex, uint64_t version, TexelLayout layout, ExpandedTexture* out,
                   std::vector<uint32_t>* line) {
  std::vector<uint32_t> memory = std::move(out->texels);
  *out = ExpandedTexture{};
  ExpandedTexture& e = *out;
  e.texels = std::move(memory);
  e.layout = layout;
  e.lodMin = tex.lodMin;
  e.lodMax = tex.lodMax;
  e.format = tex.format;
  e.sClamp = tex.sClamp;
  e.tClamp = tex.tClamp;
  e.contentVersion = version;
  std::memcpy(e.lut8, tex.lut8, sizeof e.lut8);

  // Rows: (height + 2) rows of texels. Column pairs: a footprint's top row
  // is at most the height, so height + 1 rows of pairs (two texels each).
  const bool pairs = layout == TexelLayout::kColumnPairs;
  size_t total = 0, widest = 0;
  for (int lod = tex.lodMin; lod <= tex.lodMax; ++lod) {
    const TextureLevel& level = tex.levels[lod];
    const int width = 1 << level.widthLog2, height = 1 << level.heightLog2;
    e.offset[lod] = static_cast<int32_t>(total);
    e.stride[lod] = width + 2;
    e.widthMask[lod] = width - 1;
    e.heightMask[lod] = height - 1;
    e.levelTexels[lod] = level.texels;
    total += static_cast<size_t>(width + 2) * static_cast<size_t>(pairs ? height + 1 : height + 2);
    widest = std::max(widest, static_cast<size_t>(width + 2));
  }
  // A footprint reads columns c and c + 1 with c at most the width: the
  // right border column is the last it reaches, so no slack is needed.
  e.texels.assign(pairs ? 2 * total : total, 0u);
  std::vector<uint32_t>& lineBuffer = *line;
  lineBuffer.resize(pairs ? widest : 0);

  for (int lod = tex.lodMin; lod <= tex.lodMax; ++lod) {
    const TextureLevel& level = tex.levels[lod];
    if (level.texels == nullptr) continue;  // reads as zero, as the reference has it
    const int width = 1 << level.widthLog2, height = 1 << level.heightLog2;
    // Border row or column k (-1 .. size) to the texel index it repeats.
    auto source = [](int k, int size, bool clamp) {
      return clamp ? std::clamp(k, 0, size - 1) : k & (size - 1);
    };
    uint32_t* out = e.texels.data() + (pairs ? 2 : 1) * static_cast<ptrdiff_t>(e.offset[lod]);
    for (int row = -1; row <= height; ++row) {
      const int j = source(row, height, tex.tClamp);
      uint32_t* line = pairs ? lineBuffer.data() : out + static_cast<ptrdiff_t>(row + 1) * (width + 2);
      uint32_t* texels = line + 1;
      if (tex.sixteenBit) {
        for (int i = 0; i < width; ++i) texels[i] = FetchTexel(tex, level, i, j);
      } else {  // a palette change re-decodes every frame of a fade: keep this loop tight
        const uint8_t* texelRow = level.texels + (static_cast<ptrdiff_t>(j) << level.widthLog2);
        for (int i = 0; i < width; ++i) texels[i] = tex.lut8[texelRow[i]];
      }
      line[0] = texels[source(-1, width, tex.sClamp)];
      line[width + 1] = texels[source(width, width, tex.sClamp)];
      if (!pairs) continue;
      // Expanded row row + 1 is the top of pair row row + 1 and the bottom of pair row row.
      const int expanded = row + 1;
      if (expanded <= height) {
        uint32_t* top = out + 2 * static_cast<ptrdiff_t>(expanded) * (width + 2);
        for (int c = 0; c < width + 2; ++c) top[2 * c] = line[c];
      }
      if (expanded >= 1) {
        uint32_t* bottom = out + 2 * static_cast<ptrdiff_t>(expanded - 1) * (width + 2) + 1;
        for (int c = 0; c < width + 2; ++c) bottom[2 * c] = line[c];
      }
    }
  }
}

std::shared_ptr<const ExpandedTexture> ExpandedTextureCache::Get(const DerivedTexture& tex, uint64_t version,
                                                                 TexelLayout layout) {
  for (size_t k = 0; k < entries.size(); ++k) {
    if (!entries[k]->BuiltFrom(tex, version, layout)) continue;
    std::rotate(entries.begin(), entries.begin() + static_cast<ptrdiff_t>(k),
                entries.begin() + static_cast<ptrdiff_t>(k) + 1);
    return entries.front();
  }
  // Entries of an older content version can never match again.
  std::shared_ptr<ExpandedTexture> reused = MakeRoom(
      &entries, kEntries, [&](const ExpandedTexture& entry) { return entry.contentVersion != version; });
  if (!reused) reused = std::make_shared<ExpandedTexture>();
  ExpandTexture(tex, version, layout, reused.get(), &line);
  entries.insert(entries.begin(), std::move(reused));
  return entries.front();
}

}  // namespace gfx::raster
