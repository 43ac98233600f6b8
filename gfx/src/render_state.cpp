// render_state.cpp — the state calls of the pixel pipeline: combine units and
// their convenience forms, blending, alpha test, chroma key, depth, culling,
// dither, masks, clipping and fog. Each checks its arguments, records the
// value and marks the state for the rasteriser to derive again.
#include <algorithm>
#include <cmath>

#include "context.h"
#include "record.h"

namespace gfx {
namespace {

bool ValidFunction(int f) {
  return (f >= GR_COMBINE_FUNCTION_ZERO && f <= GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL) ||
         f == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
}
bool ValidFactor(int f) {
  return (f >= GR_COMBINE_FACTOR_ZERO && f <= GR_COMBINE_FACTOR_LOD_FRACTION) ||
         (f >= GR_COMBINE_FACTOR_ONE && f <= GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION);
}
bool ValidCompare(int f) {
  return f >= GR_CMP_NEVER && f <= GR_CMP_ALWAYS;
}
bool ValidBlend(int f) {
  return (f >= GR_BLEND_ZERO && f <= GR_BLEND_ONE_MINUS_DST_ALPHA) || f == GR_BLEND_ALPHA_SATURATE;
}

bool SetCombine(const char* function, CombineUnit& unit, int fn, int factor, int local, int other,
                FxBool invert, int maxLocal) {
  if (!ValidFunction(fn) || !ValidFactor(factor) || local < 0 || local > maxLocal || other < 0 ||
      other > GR_COMBINE_OTHER_CONSTANT) {
    ReportError(function, "invalid function, factor, local or other");
    return false;
  }
  unit = CombineUnit{fn, factor, local, other, invert != FXFALSE};
  MarkDirty();
  return true;
}

}  // namespace
}  // namespace gfx

using namespace gfx;

extern "C" {

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
  Record("grColorCombine", function, factor, local, other, invert);
  SetCombine("grColorCombine", Ctx().settings.colour, function, factor, local, other, invert,
             GR_COMBINE_LOCAL_CONSTANT);
}

void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
  Record("grAlphaCombine", function, factor, local, other, invert);
  SetCombine("grAlphaCombine", Ctx().settings.alpha, function, factor, local, other, invert,
             GR_COMBINE_LOCAL_DEPTH);
}

void guColorCombineFunction(GrColorCombineFnc_t fnc) {
  Record("guColorCombineFunction", fnc);
  struct Row {
    int function, factor, local, other;
    bool invert;
  };
  static const Row kRows[] = {
      {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_NONE, false},
      {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_NONE,
       false},
      {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_NONE,
       false},
      {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_NONE,
       false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_CONSTANT,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_NONE,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL, GR_COMBINE_FACTOR_TEXTURE_ALPHA,
       GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_ITERATED,
       GR_COMBINE_OTHER_TEXTURE, false},
      {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_NONE, true},
  };
  if (fnc < 0 || fnc > GR_COLORCOMBINE_ONE) {
    ReportError("guColorCombineFunction", "invalid colour combine function");
    return;
  }
  const Row& r = kRows[fnc];
  SetCombine("guColorCombineFunction", Ctx().settings.colour, r.function, r.factor, r.local, r.other,
             r.invert, GR_COMBINE_LOCAL_CONSTANT);
}

void guAlphaSource(GrAlphaSource_t mode) {
  Record("guAlphaSource", mode);
  CombineUnit& a = Ctx().settings.alpha;
  switch (mode) {
    case GR_ALPHASOURCE_CC_ALPHA:
      a = CombineUnit{GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                      GR_COMBINE_OTHER_NONE, false};
      break;
    case GR_ALPHASOURCE_ITERATED_ALPHA:
      a = CombineUnit{GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                      GR_COMBINE_OTHER_NONE, false};
      break;
    case GR_ALPHASOURCE_TEXTURE_ALPHA:
      a = CombineUnit{GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                      GR_COMBINE_OTHER_TEXTURE, false};
      break;
    case GR_ALPHASOURCE_TEXTURE_ALPHA_TIMES_ITERATED_ALPHA:
      a = CombineUnit{GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
                      GR_COMBINE_OTHER_TEXTURE, false};
      break;
    default:
      ReportError("guAlphaSource", "invalid alpha source");
      return;
  }
  MarkDirty();
}

void guTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t fnc) {
  Record("guTexCombineFunction", tmu, fnc);
  int function = GR_COMBINE_FUNCTION_ZERO, factor = GR_COMBINE_FACTOR_NONE;
  bool invert = false;
  switch (fnc) {
    case GR_TEXTURECOMBINE_ZERO:
      break;
    case GR_TEXTURECOMBINE_DECAL:
      function = GR_COMBINE_FUNCTION_LOCAL;
      break;
    case GR_TEXTURECOMBINE_OTHER:
      function = GR_COMBINE_FUNCTION_SCALE_OTHER, factor = GR_COMBINE_FACTOR_ONE;
      break;
    case GR_TEXTURECOMBINE_ADD:
      function = GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, factor = GR_COMBINE_FACTOR_ONE;
      break;
    case GR_TEXTURECOMBINE_MULTIPLY:
      function = GR_COMBINE_FUNCTION_SCALE_OTHER, factor = GR_COMBINE_FACTOR_LOCAL;
      break;
    case GR_TEXTURECOMBINE_SUBTRACT:
      function = GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL, factor = GR_COMBINE_FACTOR_ONE;
      break;
    case GR_TEXTURECOMBINE_DETAIL:
      function = GR_COMBINE_FUNCTION_BLEND, factor = GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR;
      break;
    case GR_TEXTURECOMBINE_DETAIL_OTHER:
      function = GR_COMBINE_FUNCTION_BLEND, factor = GR_COMBINE_FACTOR_DETAIL_FACTOR;
      break;
    case GR_TEXTURECOMBINE_TRILINEAR_ODD:
      function = GR_COMBINE_FUNCTION_BLEND, factor = GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION;
      break;
    case GR_TEXTURECOMBINE_TRILINEAR_EVEN:
      function = GR_COMBINE_FUNCTION_BLEND, factor = GR_COMBINE_FACTOR_LOD_FRACTION;
      break;
    case GR_TEXTURECOMBINE_ONE:
      invert = true;
      break;
    default:
      ReportError("guTexCombineFunction", "invalid texture combine function");
      return;
  }
  QuietRecording quiet;
  grTexCombine(tmu, function, factor, function, factor, invert, invert);
}

void grTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t fnc) {
  Record("grTexCombineFunction", tmu, fnc);
  QuietRecording quiet;
  guTexCombineFunction(tmu, fnc);
}

void grConstantColorValue(GrColor_t value) {
  Record("grConstantColorValue", value);
  Ctx().settings.constantColour = ToHardwareColour(value);
  MarkDirty();
}

void grConstantColorValue4(float a, float r, float g, float b) {
  Record("grConstantColorValue4", a, r, g, b);
  auto channel = [](float v) -> uint32_t {
    if (!(v > 0.0f)) return 0;  // also NaN
    return v >= 255.0f ? 255u : static_cast<uint32_t>(v);
  };
  Ctx().settings.constantColour = channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
  MarkDirty();
}

void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSf, GrAlphaBlendFnc_t rgbDf, GrAlphaBlendFnc_t alphaSf,
                          GrAlphaBlendFnc_t alphaDf) {
  Record("grAlphaBlendFunction", rgbSf, rgbDf, alphaSf, alphaDf);
  if (!ValidBlend(rgbSf) || !ValidBlend(rgbDf) || !ValidBlend(alphaSf) || !ValidBlend(alphaDf)) {
    ReportError("grAlphaBlendFunction", "invalid blend factor");
    return;
  }
  // The alpha planes of this board take only ONE / ZERO factors.
  if (alphaSf != GR_BLEND_ONE && alphaSf != GR_BLEND_ZERO) alphaSf = GR_BLEND_ONE;
  if (alphaDf != GR_BLEND_ONE && alphaDf != GR_BLEND_ZERO) alphaDf = GR_BLEND_ZERO;
  Ctx().settings.blend = BlendState{rgbSf, rgbDf, alphaSf, alphaDf};
  MarkDirty();
}

void grAlphaControlsITRGBLighting(FxBool enable) {
  Record("grAlphaControlsITRGBLighting", enable);  // accepted; iterated lighting stays as combined
}

void grAlphaTestFunction(GrCmpFnc_t function) {
  Record("grAlphaTestFunction", function);
  if (!ValidCompare(function)) {
    ReportError("grAlphaTestFunction", "invalid compare function");
    return;
  }
  Ctx().settings.alphaTestFunction = function;
  MarkDirty();
}

void grAlphaTestReferenceValue(GrAlpha_t value) {
  Record("grAlphaTestReferenceValue", value);
  Ctx().settings.alphaReference = value;
  MarkDirty();
}

void grChromakeyMode(GrChromakeyMode_t mode) {
  Record("grChromakeyMode", mode);
  if (mode != GR_CHROMAKEY_DISABLE && mode != GR_CHROMAKEY_ENABLE) {
    ReportError("grChromakeyMode", "invalid chroma-key mode");
    return;
  }
  Ctx().settings.chromaKey = mode == GR_CHROMAKEY_ENABLE;
  MarkDirty();
}

void grChromakeyValue(GrColor_t value) {
  Record("grChromakeyValue", value);
  Ctx().settings.chromaKeyValue = ToHardwareColour(value);
  MarkDirty();
}

void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy) {
  Record("grClipWindow", minx, miny, maxx, maxy);
  Context& c = Ctx();
  const FxU32 w = static_cast<FxU32>(c.width), h = static_cast<FxU32>(c.height);
  maxx = std::min(maxx, w);
  maxy = std::min(maxy, h);
  minx = std::min(minx, maxx);
  miny = std::min(miny, maxy);
  Settings& s = c.settings;
  s.clipMinX = static_cast<int>(minx);
  s.clipMinY = static_cast<int>(miny);
  s.clipMaxX = static_cast<int>(maxx);
  s.clipMaxY = static_cast<int>(maxy);
  MarkDirty();
}

void grColorMask(FxBool rgb, FxBool alpha) {
  Record("grColorMask", rgb, alpha);
  Ctx().settings.rgbWriteMask = rgb != FXFALSE;
  Ctx().settings.alphaWriteMask = alpha != FXFALSE;
  MarkDirty();
}

void grCullMode(GrCullMode_t mode) {
  Record("grCullMode", mode);
  if (mode < GR_CULL_DISABLE || mode > GR_CULL_POSITIVE) {
    ReportError("grCullMode", "invalid cull mode");
    return;
  }
  Ctx().settings.cullMode = mode;
  MarkDirty();
}

void grDepthBiasLevel(FxI16 level) {
  Record("grDepthBiasLevel", level);
  Ctx().settings.depth.bias = level;
  MarkDirty();
}

void grDepthBufferFunction(GrCmpFnc_t function) {
  Record("grDepthBufferFunction", function);
  if (!ValidCompare(function)) {
    ReportError("grDepthBufferFunction", "invalid compare function");
    return;
  }
  Ctx().settings.depth.function = function;
  MarkDirty();
}

void grDepthBufferMode(GrDepthBufferMode_t mode) {
  Record("grDepthBufferMode", mode);
  if (mode < GR_DEPTHBUFFER_DISABLE || mode > GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS) {
    ReportError("grDepthBufferMode", "invalid depth buffer mode");
    return;
  }
  Ctx().settings.depth.mode = mode;
  MarkDirty();
}

void grDepthMask(FxBool mask) {
  Record("grDepthMask", mask);
  Ctx().settings.depth.writeMask = mask != FXFALSE;
  MarkDirty();
}

void grDisableAllEffects(void) {
  Record("grDisableAllEffects");
  Settings& s = Ctx().settings;
  s.blend = BlendState{GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO};
  s.alphaTestFunction = GR_CMP_ALWAYS;
  s.chromaKey = false;
  s.depth.mode = GR_DEPTHBUFFER_DISABLE;
  s.fogMode = GR_FOG_DISABLE;
  MarkDirty();
}

void grDitherMode(GrDitherMode_t mode) {
  Record("grDitherMode", mode);
  if (mode < GR_DITHER_DISABLE || mode > GR_DITHER_4x4) {
    ReportError("grDitherMode", "invalid dither mode");
    return;
  }
  Ctx().settings.ditherMode = mode;
  MarkDirty();
}

void grFogMode(GrFogMode_t mode) {
  Record("grFogMode", mode);
  const int base = mode & 0xFF, flags = mode & ~0xFF;
  if (base > GR_FOG_WITH_ITERATED_Z || (flags & ~(GR_FOG_MULT2 | GR_FOG_ADD2)) != 0) {
    ReportError("grFogMode", "invalid fog mode");
    return;
  }
  Ctx().settings.fogMode = mode;
  MarkDirty();
}

void grFogColorValue(GrColor_t color) {
  Record("grFogColorValue", color);
  Ctx().settings.fogColour = ToHardwareColour(color);
  MarkDirty();
}

void grFogTable(const GrFog_t table[GR_FOG_TABLE_SIZE]) {
  Record("grFogTable", table);
  if (!table) {
    ReportError("grFogTable", "null fog table");
    return;
  }
  FinishRendering();
  std::copy(table, table + GR_FOG_TABLE_SIZE, Ctx().fogTable);
  MarkContentsDirty();
}

}  // extern "C"
