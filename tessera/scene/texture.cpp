// texture.cpp — reading one .3df texture file and placing it in texture
// memory: TMU 0, both level sets, wrap in s and t, bilinear filtering, the
// nearest mipmap level, no level-of-detail bias.
#include <memory>
#include <new>

#include "tessera/scene/model.h"

namespace tessera {

std::optional<GrMipMapId_t> TryLoadTexture(const char* fileName) {
  Gu3dfInfo info{};
  if (!gu3dfGetInfo(fileName, &info)) return std::nullopt;

  // The texels stay in main memory only until they are downloaded.
  std::unique_ptr<uint8_t[]> texels(new (std::nothrow) uint8_t[info.mem_required]);
  if (!texels) return std::nullopt;
  info.data = texels.get();
  if (!gu3dfLoad(fileName, &info)) return std::nullopt;

  const GrMipMapId_t handle =
      guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, info.header.width, info.header.height,
                          info.header.format, GR_MIPMAP_NEAREST, info.header.small_lod, info.header.large_lod,
                          info.header.aspect_ratio, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                          GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
  if (handle == GR_NULL_MIPMAP_HANDLE) return std::nullopt;
  guTexDownloadMipMap(handle, info.data, &info.table.nccTable);
  return handle;
}

}  // namespace tessera
