// gu_texture.cpp — texture memory managed through mipmap handles: linear
// allocation in the TMU's 2 MiB, downloads by handle, selecting a handle as the
// texture source (with its clamp, filter and mipmap modes and NCC table).
#include <cmath>
#include <cstring>

#include "context.h"
#include "record.h"

namespace gfx {
namespace {

constexpr uint32_t kBankBoundary = 0x200000;

MipMapRecord* Find(const char* function, GrMipMapId_t id) {
  Context& c = Ctx();
  if (id >= c.mipmaps.size() || !c.mipmaps[id].info.valid) {
    ReportError(function, "invalid mipmap handle");
    return nullptr;
  }
  return &c.mipmaps[id];
}

bool ValidAttributes(int width, int height, int fmt, int mmMode, int smallLod, int largeLod, int aspect,
                     int sClamp, int tClamp, int minFilter, int magFilter) {
  return width > 0 && width <= 256 && height > 0 && height <= 256 && ValidTextureFormat(fmt) &&
         mmMode >= GR_MIPMAP_DISABLE && mmMode <= GR_MIPMAP_NEAREST_DITHER && ValidLod(smallLod) &&
         ValidLod(largeLod) && smallLod >= largeLod && ValidAspect(aspect) && (sClamp == 0 || sClamp == 1) &&
         (tClamp == 0 || tClamp == 1) && (minFilter == 0 || minFilter == 1) &&
         (magFilter == 0 || magFilter == 1);
}

bool IsNccFormat(int format) {
  return format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422;
}

}  // namespace
}  // namespace gfx

using namespace gfx;

extern "C" {

GrMipMapId_t guTexAllocateMemory(GrChipID_t tmu, FxU8 oddEvenMask, int width, int height,
                                 GrTextureFormat_t fmt, GrMipMapMode_t mmMode, GrLOD_t smallLod,
                                 GrLOD_t largeLod, GrAspectRatio_t aspect, GrTextureClampMode_t sClamp,
                                 GrTextureClampMode_t tClamp, GrTextureFilterMode_t minFilter,
                                 GrTextureFilterMode_t magFilter, float lodBias, FxBool trilinear) {
  Record("guTexAllocateMemory", tmu, oddEvenMask, width, height, fmt, mmMode, smallLod, largeLod, aspect,
         sClamp, tClamp, minFilter, magFilter, lodBias, trilinear);
  Context& c = Ctx();
  if (!c.initialised) {
    ReportError("guTexAllocateMemory", "grGlideInit has not been called");
    return GR_NULL_MIPMAP_HANDLE;
  }
  if (tmu != GR_TMU0 || oddEvenMask < 1 || oddEvenMask > 3 || !std::isfinite(lodBias) ||
      !ValidAttributes(width, height, fmt, mmMode, smallLod, largeLod, aspect, sClamp, tClamp, minFilter,
                       magFilter)) {
    ReportError("guTexAllocateMemory", "invalid arguments");
    return GR_NULL_MIPMAP_HANDLE;
  }
  if (c.mipmaps.size() >= MAX_MIPMAPS_PER_SST) {
    ReportError("guTexAllocateMemory", "all mipmap handles are in use");
    return GR_NULL_MIPMAP_HANDLE;
  }
  const uint32_t required = TextureBytes(smallLod, largeLod, aspect, fmt, oddEvenMask);
  uint32_t start = c.textureFree;
  // A texture never straddles the 2 MiB bank boundary.
  if (start < kBankBoundary && start + required > kBankBoundary) start = kBankBoundary;
  if (start > kTextureMemoryBytes || kTextureMemoryBytes - start < required) {
    ReportError("guTexAllocateMemory", "out of texture memory");
    return GR_NULL_MIPMAP_HANDLE;
  }
  MipMapRecord record;
  GrMipMapInfo& info = record.info;
  info.sst = 0;
  info.valid = FXTRUE;
  info.width = width;
  info.height = height;
  info.aspect_ratio = aspect;
  info.data = nullptr;
  info.format = fmt;
  info.mipmap_mode = mmMode;
  info.magfilter_mode = magFilter;
  info.minfilter_mode = minFilter;
  info.s_clamp_mode = sClamp;
  info.t_clamp_mode = tClamp;
  info.lod_bias = static_cast<FxU32>(LodBiasToFixed(lodBias)) & 0x3F;
  info.lod_min = smallLod;
  info.lod_max = largeLod;
  info.tmu = tmu;
  info.odd_even_mask = oddEvenMask;
  info.tmu_base_address = start;
  info.trilinear = trilinear;
  record.bytes = required;
  c.mipmaps.push_back(record);
  c.textureFree = start + required;
  return static_cast<GrMipMapId_t>(c.mipmaps.size() - 1);
}

FxBool guTexChangeAttributes(GrMipMapId_t id, int width, int height, GrTextureFormat_t fmt,
                             GrMipMapMode_t mmMode, GrLOD_t smallLod, GrLOD_t largeLod,
                             GrAspectRatio_t aspect, GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp,
                             GrTextureFilterMode_t minFilter, GrTextureFilterMode_t magFilter) {
  Record("guTexChangeAttributes", id, width, height, fmt, mmMode, smallLod, largeLod, aspect, sClamp, tClamp,
         minFilter, magFilter);
  MipMapRecord* record = Find("guTexChangeAttributes", id);
  if (!record) return FXFALSE;
  GrMipMapInfo& old = record->info;
  // -1 keeps an attribute as it is.
  auto pick = [](int value, int current) { return value == -1 ? current : value; };
  GrMipMapInfo next = old;
  next.width = pick(width, old.width);
  next.height = pick(height, old.height);
  next.format = pick(fmt, old.format);
  next.mipmap_mode = pick(mmMode, old.mipmap_mode);
  next.lod_min = pick(smallLod, old.lod_min);
  next.lod_max = pick(largeLod, old.lod_max);
  next.aspect_ratio = pick(aspect, old.aspect_ratio);
  next.s_clamp_mode = pick(sClamp, old.s_clamp_mode);
  next.t_clamp_mode = pick(tClamp, old.t_clamp_mode);
  next.minfilter_mode = pick(minFilter, old.minfilter_mode);
  next.magfilter_mode = pick(magFilter, old.magfilter_mode);
  if (!ValidAttributes(next.width, next.height, next.format, next.mipmap_mode, next.lod_min, next.lod_max,
                       next.aspect_ratio, next.s_clamp_mode, next.t_clamp_mode, next.minfilter_mode,
                       next.magfilter_mode)) {
    ReportError("guTexChangeAttributes", "invalid attributes");
    return FXFALSE;
  }
  if (TextureBytes(next.lod_min, next.lod_max, next.aspect_ratio, next.format, next.odd_even_mask) >
      record->bytes) {
    ReportError("guTexChangeAttributes", "the new attributes need more memory than was allocated");
    return FXFALSE;
  }
  old = next;
  return FXTRUE;
}

GrMipMapInfo* guTexGetMipMapInfo(GrMipMapId_t id) {
  Record("guTexGetMipMapInfo", id);
  Context& c = Ctx();
  if (id >= c.mipmaps.size() || !c.mipmaps[id].info.valid) return nullptr;
  return &c.mipmaps[id].info;
}

GrMipMapId_t guTexGetCurrentMipMap(GrChipID_t tmu) {
  Record("guTexGetCurrentMipMap", tmu);
  if (tmu != GR_TMU0) return GR_NULL_MIPMAP_HANDLE;
  return Ctx().settings.currentMipMap;
}

FxU32 guTexMemQueryAvail(GrChipID_t tmu) {
  Record("guTexMemQueryAvail", tmu);
  if (tmu != GR_TMU0) {
    ReportError("guTexMemQueryAvail", "this board has one texture unit (GR_TMU0)");
    return 0;
  }
  return kTextureMemoryBytes - std::min(Ctx().textureFree, kTextureMemoryBytes);
}

void guTexMemReset(void) {
  Record("guTexMemReset");
  Context& c = Ctx();
  c.mipmaps.clear();
  c.textureFree = 0;
  c.nccResident[0] = c.nccResident[1] = GR_NULL_MIPMAP_HANDLE;
  c.nccNextSlot = 0;
  c.settings.currentMipMap = GR_NULL_MIPMAP_HANDLE;
}

void guTexDownloadMipMap(GrMipMapId_t id, const void* src, const GuNccTable* nccTable) {
  Record("guTexDownloadMipMap", id, src, nccTable);
  MipMapRecord* record = Find("guTexDownloadMipMap", id);
  if (!record) return;
  if (!src) {
    ReportError("guTexDownloadMipMap", "null texels");
    return;
  }
  GrMipMapInfo& info = record->info;
  if (IsNccFormat(info.format)) {
    if (!nccTable) {
      ReportError("guTexDownloadMipMap", "a YIQ texture needs its NCC table");
    } else {
      info.ncc_table = *nccTable;
      record->hasNcc = true;
      Context& c = Ctx();
      for (int slot = 0; slot < 2; ++slot) {
        if (c.nccResident[slot] == id) c.nccResident[slot] = GR_NULL_MIPMAP_HANDLE;  // reload on next source
      }
    }
  }
  GrTexInfo texInfo{info.lod_min, info.lod_max, info.aspect_ratio, info.format, const_cast<void*>(src)};
  QuietRecording quiet;
  grTexDownloadMipMap(GR_TMU0, info.tmu_base_address, info.odd_even_mask, &texInfo);
}

void guTexDownloadMipMapLevel(GrMipMapId_t id, GrLOD_t lod, const void** src) {
  Record("guTexDownloadMipMapLevel", id, lod, src);
  MipMapRecord* record = Find("guTexDownloadMipMapLevel", id);
  if (!record) return;
  const GrMipMapInfo& info = record->info;
  if (!src || !*src || lod < info.lod_max || lod > info.lod_min) {
    ReportError("guTexDownloadMipMapLevel", "null texels or a level the texture does not have");
    return;
  }
  int w = 0, h = 0;
  LevelSize(info.aspect_ratio, lod, &w, &h);
  {
    QuietRecording quiet;
    grTexDownloadMipMapLevel(GR_TMU0, info.tmu_base_address, lod, info.lod_max, info.aspect_ratio,
                             info.format, info.odd_even_mask, const_cast<void*>(*src));
  }
  // The caller's pointer moves on to the next level.
  *src = static_cast<const uint8_t*>(*src) + static_cast<size_t>(w) * h * BytesPerTexel(info.format);
}

void guTexSource(GrMipMapId_t id) {
  Record("guTexSource", id);
  if (id == GR_NULL_MIPMAP_HANDLE) return;
  MipMapRecord* record = Find("guTexSource", id);
  if (!record) return;
  Context& c = Ctx();
  const GrMipMapInfo& info = record->info;
  Settings& s = c.settings;
  s.source = TextureSource{true,         info.tmu_base_address, info.odd_even_mask, info.lod_min,
                           info.lod_max, info.aspect_ratio,     info.format};
  s.currentMipMap = id;
  s.sClamp = info.s_clamp_mode;
  s.tClamp = info.t_clamp_mode;
  s.minFilter = info.minfilter_mode;
  s.magFilter = info.magfilter_mode;
  s.mipmapMode = info.mipmap_mode;
  s.lodBlend = info.trilinear != FXFALSE;
  UpdateLodOdd(&s, false);
  s.lodBias = (info.lod_bias & 0x20) ? static_cast<int>(info.lod_bias) - 64 : static_cast<int>(info.lod_bias);
  if (IsNccFormat(info.format) && record->hasNcc) {
    int slot = c.nccResident[0] == id ? 0 : c.nccResident[1] == id ? 1 : -1;
    if (slot < 0) {
      FinishRendering();
      slot = c.nccNextSlot;
      c.nccNextSlot ^= 1;
      c.ncc[slot] = ToHardwareNcc(info.ncc_table);
      c.nccResident[slot] = id;
      MarkContentsDirty();
    }
    s.nccSelect = slot;
  }
  MarkDirty();
}

}  // extern "C"
