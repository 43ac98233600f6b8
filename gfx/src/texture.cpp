// texture.cpp — texture memory of the one TMU: level sizes and layout, the
// grTex* calls that download texels and tables and that select and configure
// the texture the triangles read.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "context.h"
#include "record.h"

namespace gfx {
namespace {

// On-card texels of one level for aspects 1:1, 2:1, 4:1, 8:1 (the long side
// is 256 >> lod): small levels take more room than their texels need.
constexpr uint32_t kOnCardTexels[9][4] = {
    {65536, 32768, 16384, 8192},
    {16384, 8192, 4096, 2048},
    {4096, 2048, 1024, 512},
    {1024, 512, 256, 128},
    {256, 128, 64, 32},
    {64, 32, 16, 16},
    {16, 8, 8, 8},
    {4, 4, 4, 4},
    {4, 4, 4, 4},
};

int AspectColumn(int aspect) {
  return aspect < GR_ASPECT_1x1 ? GR_ASPECT_1x1 - aspect : aspect - GR_ASPECT_1x1;
}

bool LevelInMask(int lod, uint32_t evenOdd) {
  return (lod & 1) ? (evenOdd & GR_MIPMAPLEVELMASK_ODD) != 0 : (evenOdd & GR_MIPMAPLEVELMASK_EVEN) != 0;
}

bool ValidTmu(const char* function, GrChipID_t tmu) {
  if (tmu != GR_TMU0) {
    ReportError(function, "this board has one texture unit (GR_TMU0)");
    return false;
  }
  return true;
}

bool ValidEvenOdd(uint32_t evenOdd) {
  return evenOdd >= 1 && evenOdd <= 3;
}

bool ValidTexInfo(const char* function, const GrTexInfo* info) {
  if (!info) {
    ReportError(function, "null GrTexInfo");
    return false;
  }
  if (!ValidLod(info->smallLod) || !ValidLod(info->largeLod) || info->smallLod < info->largeLod ||
      !ValidAspect(info->aspectRatio) || !ValidTextureFormat(info->format)) {
    ReportError(function, "invalid levels, aspect ratio or format");
    return false;
  }
  return true;
}

}  // namespace

bool ValidLod(int lod) {
  return lod >= GR_LOD_256 && lod <= GR_LOD_1;
}
bool ValidAspect(int aspect) {
  return aspect >= GR_ASPECT_8x1 && aspect <= GR_ASPECT_1x8;
}
bool ValidTextureFormat(int format) {
  return format >= GR_TEXFMT_RGB_332 && format <= GR_TEXFMT_AP_88 && format != GR_TEXFMT_RSVD0 &&
         format != GR_TEXFMT_RSVD1;
}
int BytesPerTexel(int format) {
  return format >= GR_TEXFMT_16BIT ? 2 : 1;
}

void LevelSize(int aspect, int lod, int* width, int* height) {
  const int longSide = 256 >> lod;
  const int shortSide = std::max(1, longSide >> AspectColumn(aspect));
  *width = aspect <= GR_ASPECT_1x1 ? longSide : shortSide;
  *height = aspect <= GR_ASPECT_1x1 ? shortSide : longSide;
}

uint32_t LevelOffset(int lod, int largeLod, int aspect, int format, uint32_t evenOdd) {
  uint32_t offset = 0;
  for (int l = largeLod; l < lod && l <= GR_LOD_1; ++l) {
    if (LevelInMask(l, evenOdd)) offset += kOnCardTexels[l][AspectColumn(aspect)] * BytesPerTexel(format);
  }
  return offset;
}

uint32_t TextureBytes(int smallLod, int largeLod, int aspect, int format, uint32_t evenOdd) {
  const uint32_t bytes = LevelOffset(smallLod + 1, largeLod, aspect, format, evenOdd);
  return (bytes + 7u) & ~7u;
}

void StoreLevel(uint32_t startAddress, int lod, int largeLod, int aspect, int format, uint32_t evenOdd,
                const uint8_t* data, int firstRow, int lastRow) {
  Context& c = Ctx();
  int width = 0, height = 0;
  LevelSize(aspect, lod, &width, &height);
  if (firstRow < 0 || lastRow >= height || firstRow > lastRow) return;
  const uint64_t rowBytes = static_cast<uint64_t>(width) * BytesPerTexel(format);
  const uint64_t levelStart =
      static_cast<uint64_t>(startAddress) + LevelOffset(lod, largeLod, aspect, format, evenOdd);
  const uint64_t from = levelStart + rowBytes * firstRow;
  const uint64_t count = rowBytes * (lastRow - firstRow + 1);
  const uint64_t size = c.textureMemory.size();
  if (from >= size) return;
  const uint64_t fit = std::min(count, size - from);
  if (fit < count) ReportError("texture download", "texture reaches past the end of texture memory");
  // Texels stay little-endian in texture memory: 16-bit values are stored as the host holds them.
  std::memcpy(c.textureMemory.data() + from, data, fit);
  ++c.textureMemoryVersion;
}

NccTable ToHardwareNcc(const GuNccTable& table) {
  NccTable out;
  for (int i = 0; i < 16; ++i) out.y[i] = static_cast<uint8_t>(table.packed_data[i / 4] >> (8 * (i % 4)));
  auto sext9 = [](uint32_t v) {
    return static_cast<int16_t>((v & 0x100) ? static_cast<int>(v & 0x1FF) - 512 : v & 0x1FF);
  };
  for (int k = 0; k < 4; ++k) {
    const uint32_t iw = table.packed_data[4 + k], qw = table.packed_data[8 + k];
    out.i[k][0] = sext9(iw >> 18);
    out.i[k][1] = sext9(iw >> 9);
    out.i[k][2] = sext9(iw);
    out.q[k][0] = sext9(qw >> 18);
    out.q[k][1] = sext9(qw >> 9);
    out.q[k][2] = sext9(qw);
  }
  return out;
}

int LodBiasToFixed(float bias) {
  if (!std::isfinite(bias)) return 0;
  bias = std::clamp(bias, -8.0f, 7.75f);
  int q = static_cast<int>((bias + 0.125f) / 0.25f);  // truncates toward zero, as the board's driver does
  return std::clamp(q, -32, 31);
}

}  // namespace gfx

using namespace gfx;

extern "C" {

FxU32 grTexCalcMemRequired(GrLOD_t lodmin, GrLOD_t lodmax, GrAspectRatio_t aspect, GrTextureFormat_t fmt) {
  Record("grTexCalcMemRequired", lodmin, lodmax, aspect, fmt);
  if (!ValidLod(lodmin) || !ValidLod(lodmax) || lodmin < lodmax || !ValidAspect(aspect) ||
      !ValidTextureFormat(fmt)) {
    ReportError("grTexCalcMemRequired", "invalid levels, aspect ratio or format");
    return 0;
  }
  return TextureBytes(lodmin, lodmax, aspect, fmt, GR_MIPMAPLEVELMASK_BOTH);
}

FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
  Record("grTexTextureMemRequired", evenOdd, info);
  if (!ValidTexInfo("grTexTextureMemRequired", info)) return 0;
  if (!ValidEvenOdd(evenOdd)) {
    ReportError("grTexTextureMemRequired", "invalid even/odd level mask");
    return 0;
  }
  return TextureBytes(info->smallLod, info->largeLod, info->aspectRatio, info->format, evenOdd);
}

FxU32 grTexMinAddress(GrChipID_t tmu) {
  Record("grTexMinAddress", tmu);
  ValidTmu("grTexMinAddress", tmu);
  return 0;
}

FxU32 grTexMaxAddress(GrChipID_t tmu) {
  Record("grTexMaxAddress", tmu);
  if (!ValidTmu("grTexMaxAddress", tmu)) return 0;
  return kTextureMemoryBytes - 8;
}

void grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table) {
  Record("grTexNCCTable", tmu, table);
  if (!ValidTmu("grTexNCCTable", tmu)) return;
  if (table > GR_NCCTABLE_NCC1) {
    ReportError("grTexNCCTable", "invalid table");
    return;
  }
  Ctx().settings.nccSelect = static_cast<int>(table);
  MarkDirty();
}

void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
  Record("grTexSource", tmu, startAddress, evenOdd, info);
  if (!ValidTmu("grTexSource", tmu) || !ValidTexInfo("grTexSource", info)) return;
  if (!ValidEvenOdd(evenOdd) || startAddress >= kTextureMemoryBytes) {
    ReportError("grTexSource", "invalid start address or even/odd level mask");
    return;
  }
  Settings& s = Ctx().settings;
  s.source = TextureSource{true,           startAddress & ~7u, evenOdd,     info->smallLod,
                           info->largeLod, info->aspectRatio,  info->format};
  s.currentMipMap = GR_NULL_MIPMAP_HANDLE;
  UpdateLodOdd(&s, true);
  MarkDirty();
}

void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp) {
  Record("grTexClampMode", tmu, sClamp, tClamp);
  if (!ValidTmu("grTexClampMode", tmu)) return;
  if (sClamp < 0 || sClamp > 1 || tClamp < 0 || tClamp > 1) {
    ReportError("grTexClampMode", "invalid clamp mode");
    return;
  }
  Ctx().settings.sClamp = sClamp;
  Ctx().settings.tClamp = tClamp;
  MarkDirty();
}

void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter, GrTextureFilterMode_t magFilter) {
  Record("grTexFilterMode", tmu, minFilter, magFilter);
  if (!ValidTmu("grTexFilterMode", tmu)) return;
  if (minFilter < 0 || minFilter > 1 || magFilter < 0 || magFilter > 1) {
    ReportError("grTexFilterMode", "invalid filter mode");
    return;
  }
  Ctx().settings.minFilter = minFilter;
  Ctx().settings.magFilter = magFilter;
  MarkDirty();
}

void grTexLodBiasValue(GrChipID_t tmu, float bias) {
  Record("grTexLodBiasValue", tmu, bias);
  if (!ValidTmu("grTexLodBiasValue", tmu)) return;
  if (!std::isfinite(bias)) {
    ReportError("grTexLodBiasValue", "bias is not a number");
    return;
  }
  Ctx().settings.lodBias = LodBiasToFixed(bias);
  MarkDirty();
}

void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend) {
  Record("grTexMipMapMode", tmu, mode, lodBlend);
  if (!ValidTmu("grTexMipMapMode", tmu)) return;
  if (mode < GR_MIPMAP_DISABLE || mode > GR_MIPMAP_NEAREST_DITHER) {
    ReportError("grTexMipMapMode", "invalid mipmap mode");
    return;
  }
  Ctx().settings.mipmapMode = mode;
  Ctx().settings.lodBlend = lodBlend != FXFALSE;
  UpdateLodOdd(&Ctx().settings, false);
  MarkDirty();
}

void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
  Record("grTexDownloadMipMap", tmu, startAddress, evenOdd, info);
  if (!RequireOpen("grTexDownloadMipMap") || !ValidTmu("grTexDownloadMipMap", tmu) ||
      !ValidTexInfo("grTexDownloadMipMap", info))
    return;
  if (!info->data || !ValidEvenOdd(evenOdd) || startAddress >= kTextureMemoryBytes) {
    ReportError("grTexDownloadMipMap", "null texels, invalid start address or even/odd level mask");
    return;
  }
  FinishRendering();
  const uint8_t* src = static_cast<const uint8_t*>(info->data);
  for (int lod = info->largeLod; lod <= info->smallLod; ++lod) {
    int w = 0, h = 0;
    LevelSize(info->aspectRatio, lod, &w, &h);
    if ((lod & 1 ? evenOdd & GR_MIPMAPLEVELMASK_ODD : evenOdd & GR_MIPMAPLEVELMASK_EVEN) != 0) {
      StoreLevel(startAddress & ~7u, lod, info->largeLod, info->aspectRatio, info->format, evenOdd, src, 0,
                 h - 1);
    }
    src += static_cast<size_t>(w) * h * BytesPerTexel(info->format);
  }
  MarkContentsDirty();
}

void grTexDownloadMipMapLevelPartial(GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, GrLOD_t largeLod,
                                     GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd,
                                     void* data, int start, int end) {
  Record("grTexDownloadMipMapLevelPartial", tmu, startAddress, thisLod, largeLod, aspectRatio, format,
         evenOdd, data, start, end);
  if (!RequireOpen("grTexDownloadMipMapLevelPartial") || !ValidTmu("grTexDownloadMipMapLevelPartial", tmu))
    return;
  if (!ValidLod(thisLod) || !ValidLod(largeLod) || thisLod < largeLod || !ValidAspect(aspectRatio) ||
      !ValidTextureFormat(format) || !ValidEvenOdd(evenOdd) || !data || startAddress >= kTextureMemoryBytes) {
    ReportError("grTexDownloadMipMapLevel", "invalid arguments");
    return;
  }
  FinishRendering();
  // The data pointer addresses row start; rows start..end are read one after another.
  int w = 0, h = 0;
  LevelSize(aspectRatio, thisLod, &w, &h);
  start = std::max(start, 0);
  end = std::min(end, h - 1);
  if (start > end) return;
  StoreLevel(startAddress & ~7u, thisLod, largeLod, aspectRatio, format, evenOdd,
             static_cast<const uint8_t*>(data), start, end);
  MarkContentsDirty();
}

void grTexDownloadMipMapLevel(GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, GrLOD_t largeLod,
                              GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd,
                              void* data) {
  Record("grTexDownloadMipMapLevel", tmu, startAddress, thisLod, largeLod, aspectRatio, format, evenOdd,
         data);
  QuietRecording quiet;
  grTexDownloadMipMapLevelPartial(tmu, startAddress, thisLod, largeLod, aspectRatio, format, evenOdd, data, 0,
                                  255);
}

void grTexDownloadTablePartial(GrChipID_t tmu, GrTexTable_t type, void* data, int start, int end) {
  Record("grTexDownloadTablePartial", tmu, type, data, start, end);
  if (!ValidTmu("grTexDownloadTablePartial", tmu)) return;
  if (!data || type > GR_TEXTABLE_PALETTE) {
    ReportError("grTexDownloadTable", "null table or invalid table type");
    return;
  }
  Context& c = Ctx();
  FinishRendering();
  if (type == GR_TEXTABLE_PALETTE) {
    const FxU32* entries = static_cast<const FxU32*>(data);
    start = std::max(start, 0);
    end = std::min(end, 255);
    // The caller's pointer addresses the whole palette; entries start..end are taken.
    for (int i = start; i <= end; ++i) c.palette[i] = entries[i] & 0xFFFFFFu;
  } else {
    c.ncc[type] = ToHardwareNcc(*static_cast<const GuNccTable*>(data));
    c.nccResident[type] = GR_NULL_MIPMAP_HANDLE;
  }
  MarkContentsDirty();
}

void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data) {
  Record("grTexDownloadTable", tmu, type, data);
  QuietRecording quiet;
  grTexDownloadTablePartial(tmu, type, data, 0, 255);
}

void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                  GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor, FxBool rgbInvert,
                  FxBool alphaInvert) {
  Record("grTexCombine", tmu, rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert, alphaInvert);
  if (!ValidTmu("grTexCombine", tmu)) return;
  auto validFunction = [](int f) { return (f >= 0 && f <= 9) || f == 0x10; };
  auto validFactor = [](int f) { return (f >= 0 && f <= 5) || (f >= 8 && f <= 0xd); };
  if (!validFunction(rgbFunction) || !validFunction(alphaFunction) || !validFactor(rgbFactor) ||
      !validFactor(alphaFactor)) {
    ReportError("grTexCombine", "invalid function or factor");
    return;
  }
  Ctx().settings.textureCombine =
      TextureCombine{rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert != 0, alphaInvert != 0};
  UpdateLodOdd(&Ctx().settings, false);
  MarkDirty();
}

// The detail factor grows as the level of detail falls below the bias:
// min(max, ((bias - lod) << scale) >> 8) in 8.8 levels (see texture.h).
void grTexDetailControl(GrChipID_t tmu, int lodBias, FxU8 detailScale, float detailMax) {
  Record("grTexDetailControl", tmu, lodBias, detailScale, detailMax);
  if (!ValidTmu("grTexDetailControl", tmu)) return;
  if (lodBias < -32 || lodBias > 31 || detailScale > 7 || !(detailMax >= 0.0f && detailMax <= 1.0f)) {
    ReportError("grTexDetailControl", "lod_bias, detail_scale or detail_max out of range");
    return;
  }
  Settings& s = Ctx().settings;
  s.detailBias = lodBias;
  s.detailScale = detailScale;
  s.detailMax = static_cast<int>(detailMax * 255.0f);  // truncated, as the library stores it
  MarkDirty();
}

void grTexMultibase(GrChipID_t tmu, FxBool enable) {
  Record("grTexMultibase", tmu, enable);
  if (!ValidTmu("grTexMultibase", tmu)) return;
  Ctx().settings.multibase = enable != FXFALSE;
  MarkDirty();
}

void grTexMultibaseAddress(GrChipID_t tmu, GrTexBaseRange_t range, FxU32 startAddress, FxU32 evenOdd,
                           GrTexInfo* info) {
  Record("grTexMultibaseAddress", tmu, range, startAddress, evenOdd, info);
  if (!ValidTmu("grTexMultibaseAddress", tmu)) return;
  if (range > GR_TEXBASE_32_TO_1 || !ValidEvenOdd(evenOdd) || startAddress >= kTextureMemoryBytes) {
    ReportError("grTexMultibaseAddress", "invalid range, start address or even/odd level mask");
    return;
  }
  Settings& s = Ctx().settings;
  s.multibaseAddress[range] = startAddress & ~7u;
  s.multibaseEvenOdd[range] = evenOdd;
  MarkDirty();
}

}  // extern "C"
