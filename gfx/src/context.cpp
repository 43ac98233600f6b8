// context.cpp — the library context, error reporting, the colour-format
// swizzle and the set-derive-draw hand-over to the rasteriser.
#include "context.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "record.h"

namespace gfx {
namespace {

void DefaultErrorCallback(const char* message, FxBool fatal) {
  std::fprintf(stderr, "glide2x: %s%s\n", fatal ? "fatal: " : "", message);
}

GrErrorCallbackFnc_t errorCallback = DefaultErrorCallback;

}  // namespace

std::atomic<Context*> madeContext{nullptr};

Context& MakeContext() {
  static Context context;
  madeContext.store(&context, std::memory_order_release);
  return context;
}

void ReportError(const char* function, const std::string& message) {
  std::string text = std::string(function) + ": " + message;
  errorCallback(text.c_str(), FXFALSE);
}

bool ReportNotOpen(const char* function) {
  if (!Ctx().initialised)
    ReportError(function, "grGlideInit has not been called");
  else
    ReportError(function, "no window is open (grSstWinOpen)");
  return false;
}

uint32_t ToHardwareColour(uint32_t colour, int colourFormat) {
  const uint32_t b3 = colour >> 24, b2 = (colour >> 16) & 0xFF, b1 = (colour >> 8) & 0xFF, b0 = colour & 0xFF;
  uint32_t a = b3, r = b2, g = b1, b = b0;  // ARGB
  switch (colourFormat) {
    case GR_COLORFORMAT_ABGR:
      a = b3, b = b2, g = b1, r = b0;
      break;
    case GR_COLORFORMAT_RGBA:
      r = b3, g = b2, b = b1, a = b0;
      break;
    case GR_COLORFORMAT_BGRA:
      b = b3, g = b2, r = b1, a = b0;
      break;
    default:
      break;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

uint32_t ToHardwareColour(uint32_t colour) {
  return ToHardwareColour(colour, Ctx().colourFormat);
}

namespace {

bool Same(const CombineUnit& a, const CombineUnit& b) {
  return a.function == b.function && a.factor == b.factor && a.local == b.local && a.other == b.other &&
         a.invert == b.invert;
}

// Programs often set the same state again for every object; the rasteriser
// then need not derive it again.
bool Same(const Settings& a, const Settings& b) {
  const TextureCombine &ta = a.textureCombine, &tb = b.textureCombine;
  const TextureSource &sa = a.source, &sb = b.source;
  return Same(a.colour, b.colour) && Same(a.alpha, b.alpha) && ta.rgbFunction == tb.rgbFunction &&
         ta.rgbFactor == tb.rgbFactor && ta.alphaFunction == tb.alphaFunction &&
         ta.alphaFactor == tb.alphaFactor && ta.rgbInvert == tb.rgbInvert &&
         ta.alphaInvert == tb.alphaInvert && sa.valid == sb.valid && sa.startAddress == sb.startAddress &&
         sa.evenOdd == sb.evenOdd && sa.smallLod == sb.smallLod && sa.largeLod == sb.largeLod &&
         sa.aspect == sb.aspect && sa.format == sb.format && a.sClamp == b.sClamp && a.tClamp == b.tClamp &&
         a.minFilter == b.minFilter && a.magFilter == b.magFilter && a.mipmapMode == b.mipmapMode &&
         a.lodBias == b.lodBias && a.nccSelect == b.nccSelect && a.fogMode == b.fogMode &&
         a.fogColour == b.fogColour && a.blend.rgbSource == b.blend.rgbSource &&
         a.blend.rgbDestination == b.blend.rgbDestination && a.blend.alphaSource == b.blend.alphaSource &&
         a.blend.alphaDestination == b.blend.alphaDestination && a.depth.mode == b.depth.mode &&
         a.depth.function == b.depth.function && a.depth.writeMask == b.depth.writeMask &&
         a.depth.bias == b.depth.bias && a.constantColour == b.constantColour && a.cullMode == b.cullMode &&
         a.ditherMode == b.ditherMode && a.rgbWriteMask == b.rgbWriteMask &&
         a.alphaWriteMask == b.alphaWriteMask && a.alphaTestFunction == b.alphaTestFunction &&
         a.alphaReference == b.alphaReference && a.chromaKey == b.chromaKey &&
         a.chromaKeyValue == b.chromaKeyValue && a.clipMinX == b.clipMinX && a.clipMinY == b.clipMinY &&
         a.clipMaxX == b.clipMaxX && a.clipMaxY == b.clipMaxY && a.originLowerLeft == b.originLowerLeft &&
         a.allowMipmapDither == b.allowMipmapDither && a.stwHint == b.stwHint && a.multibase == b.multibase &&
         std::memcmp(a.multibaseAddress, b.multibaseAddress, sizeof a.multibaseAddress) == 0 &&
         std::memcmp(a.multibaseEvenOdd, b.multibaseEvenOdd, sizeof a.multibaseEvenOdd) == 0 &&
         a.lodBlend == b.lodBlend && a.lodOdd == b.lodOdd && a.detailBias == b.detailBias &&
         a.detailScale == b.detailScale && a.detailMax == b.detailMax;
}

}  // namespace

void ApplyChangedState() {
  Context& c = Ctx();
  if (!c.dirty || !c.rasterizer) return;
  const Settings& s = c.settings;
  c.dirty = false;
  if (c.applied && !c.contentsChanged && Same(s, c.appliedSettings)) return;
  RasterState r;
  r.colour = s.colour;
  r.alpha = s.alpha;
  r.textureCombine = s.textureCombine;
  TextureState& t = r.texture;
  t.valid = s.source.valid;
  t.memory = c.textureMemory.data();
  t.memorySize = static_cast<uint32_t>(c.textureMemory.size());
  t.contentVersion = c.textureMemoryVersion;
  t.format = s.source.format;
  t.largeLod = s.source.largeLod;
  t.smallLod = s.source.smallLod;
  t.aspect = s.source.aspect;
  if (s.source.valid) {
    for (int lod = s.source.largeLod; lod <= s.source.smallLod; ++lod) {
      if (s.multibase) {
        // Each range's levels lie from its own address, as a texture whose
        // largest level is the range's first would.
        const int range = std::min(lod, static_cast<int>(GR_TEXBASE_32_TO_1));
        const int rangeLargest = range == GR_TEXBASE_32_TO_1 ? GR_LOD_32 : lod;
        t.levelOffset[lod] =
            s.multibaseAddress[range] +
            LevelOffset(lod, rangeLargest, s.source.aspect, s.source.format, s.multibaseEvenOdd[range]);
      } else {
        t.levelOffset[lod] = s.source.startAddress + LevelOffset(lod, s.source.largeLod, s.source.aspect,
                                                                 s.source.format, s.source.evenOdd);
      }
    }
  }
  t.sClamp = s.sClamp;
  t.tClamp = s.tClamp;
  t.minFilter = s.minFilter;
  t.magFilter = s.magFilter;
  t.mipmapMode =
      s.mipmapMode == GR_MIPMAP_NEAREST_DITHER && !s.allowMipmapDither ? GR_MIPMAP_NEAREST : s.mipmapMode;
  t.lodBias = s.lodBias;
  t.lodBlend = s.lodBlend;
  t.lodOdd = s.lodOdd;
  t.detailBias = s.detailBias;
  t.detailScale = s.detailScale;
  t.detailMax = s.detailMax;
  t.palette = c.palette;
  t.ncc = &c.ncc[s.nccSelect & 1];
  r.fog.mode = s.fogMode;
  r.fog.colour = s.fogColour;
  r.fog.table = c.fogTable;
  r.blend = s.blend;
  r.depth = s.depth;
  r.constantColour = s.constantColour;
  r.cullMode = s.cullMode;
  r.ditherMode = s.ditherMode;
  r.rgbWriteMask = s.rgbWriteMask;
  r.alphaWriteMask = s.alphaWriteMask;
  r.alphaTestFunction = s.alphaTestFunction;
  r.alphaReference = s.alphaReference;
  r.chromaKey = s.chromaKey;
  r.chromaKeyValue = s.chromaKeyValue;
  r.clipMinX = s.clipMinX;
  r.clipMinY = s.clipMinY;
  r.clipMaxX = std::min(s.clipMaxX, c.width);
  r.clipMaxY = std::min(s.clipMaxY, c.height);
  r.originLowerLeft = s.originLowerLeft;
  r.textureWFromTmu = (s.stwHint & GR_STWHINT_W_DIFF_TMU0) != 0;
  c.rasterizer->SetState(r);
  c.appliedSettings = s;
  c.applied = true;
  c.contentsChanged = false;
}

void UpdateLodOdd(Settings* s, bool fromSourceOnly) {
  bool odd = s->source.evenOdd == GR_MIPMAPLEVELMASK_ODD;
  if (!fromSourceOnly && s->lodBlend) {
    const TextureCombine& tc = s->textureCombine;
    const int f = tc.rgbFunction;
    const bool zeroOther = f == GR_COMBINE_FUNCTION_ZERO || f == GR_COMBINE_FUNCTION_LOCAL ||
                           f == GR_COMBINE_FUNCTION_LOCAL_ALPHA ||
                           f == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL ||
                           f == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    if (zeroOther && tc.rgbFactor == GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION) odd = true;
  }
  s->lodOdd = odd;
}

void FinishRendering() {
  Context& c = Ctx();
  if (c.lfbStagedLocks) CommitLfbWrites();
  if (c.rasterizer) c.rasterizer->Finish();
}

void ResetSettings() {
  Context& c = Ctx();
  Settings s;
  // Gouraud colour, constant (opaque) alpha, no texturing until a program asks.
  s.colour = CombineUnit{GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
                         GR_COMBINE_OTHER_ITERATED, false};
  s.alpha = CombineUnit{GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                        GR_COMBINE_OTHER_CONSTANT, false};
  s.textureCombine = TextureCombine{};
  s.blend = BlendState{GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO};
  s.depth = DepthState{GR_DEPTHBUFFER_DISABLE, GR_CMP_LESS, false, 0};
  s.clipMaxX = c.width;
  s.clipMaxY = c.height;
  c.settings = s;
  c.dirty = true;
  c.contentsChanged = true;
}

}  // namespace gfx

extern "C" {

void grErrorSetCallback(void (*function)(const char* string, FxBool fatal)) {
  gfx::Record("grErrorSetCallback", reinterpret_cast<const void*>(function));
  gfx::errorCallback = function ? function : gfx::DefaultErrorCallback;
}

}  // extern "C"
