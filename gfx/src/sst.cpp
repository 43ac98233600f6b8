// sst.cpp — the board and its window: library start and end, the hardware
// query, opening and closing the screen, buffer swaps and clears, and the
// status, statistics and hint calls.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <type_traits>

#include "context.h"
#include "internal_scale.h"
#include "record.h"

namespace gfx {
namespace {

struct Resolution {
  int width, height;
};
constexpr Resolution kResolutions[] = {
    {320, 200}, {320, 240}, {400, 256}, {512, 384}, {640, 200},  {640, 350},   {640, 400},   {640, 480},
    {800, 600}, {960, 720}, {856, 480}, {512, 256}, {1024, 768}, {1280, 1024}, {1600, 1200}, {400, 300},
};
constexpr int kRefreshHz[] = {60, 70, 72, 75, 80, 90, 100, 85, 120};
constexpr uint64_t kFrameBufferBytes = 2u << 20;

void FillHardware(GrHwConfiguration* hw) {
  std::memset(hw, 0, sizeof *hw);
  hw->num_sst = 1;
  hw->SSTs[0].type = GR_SSTTYPE_VOODOO;
  GrVoodooConfig_t& v = hw->SSTs[0].sstBoard.VoodooConfig;
  v.fbRam = 2;
  v.fbiRev = 2;
  v.nTexelfx = 1;
  v.sliDetect = FXFALSE;
  v.tmuConfig[0].tmuRev = 1;
  v.tmuConfig[0].tmuRam = 2;
}

void CloseWindow() {
  Context& c = Ctx();
  if (!c.open) return;
  FinishRendering();
  ReleaseLfbLocks();
  if (c.display) c.display->Close();
  c.display.reset();
  for (auto& buffer : c.colour) std::vector<uint16_t>().swap(buffer);
  for (auto& buffer : c.colour32) std::vector<uint32_t>().swap(buffer);
  std::vector<uint16_t>().swap(c.aux);
  c.open = false;
}

void ResetTextureMemory() {
  Context& c = Ctx();
  c.mipmaps.clear();
  c.textureFree = 0;
  c.nccResident[0] = c.nccResident[1] = GR_NULL_MIPMAP_HANDLE;
  c.nccNextSlot = 0;
}

// grGlideGetState's record inside GrState: a tag, a check sum of the
// settings' bytes, then the settings. A GrState that grGlideGetState did not
// fill fails the tag or the check sum and is refused.
constexpr uint32_t kStateTag = 0x47535431;  // "GST1"
constexpr size_t kSettingsOffset = 8;
static_assert(std::is_trivially_copyable_v<Settings>, "settings are saved byte for byte");
static_assert(kSettingsOffset + sizeof(Settings) <= sizeof(GrState), "settings must fit a GrState");

uint32_t Checksum(const char* bytes) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < sizeof(Settings); ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
  return h;
}

// The board's own 640x480 takes one core a few milliseconds a frame: a
// second thread would not make 60 frames a second any surer, only cost more
// (measured on tessera full screen: 16 to 17% of a core with one thread, 19%
// with two, from handing bands over and waking the worker). Scaled frames
// have 4 to 16 times the pixels: bands of rows on up to four cores. The
// picture is the same for any count; GLIDE_THREADS overrides.
int DrawingThreadsFor(int scale) {
  if (scale <= 1) return 1;
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
}

}  // namespace
}  // namespace gfx

using namespace gfx;

extern "C" {

void grGlideInit(void) {
  Record("grGlideInit");
  Context& c = Ctx();
  if (c.initialised) return;
  c.initialised = true;
  c.rasterizer = std::make_unique<Rasterizer>();
  // Workers start when a window opens at a size that needs them.
  c.rasterizer->SetThreadCount(1);
  ResetSettings();
  ResetTextureMemory();
}

void grGlideShutdown(void) {
  Record("grGlideShutdown");
  Context& c = Ctx();
  if (!c.initialised) return;
  CloseWindow();
  c.rasterizer.reset();
  ResetTextureMemory();
  c.initialised = false;
}

void grGlideGetVersion(char version[80]) {
  Record("grGlideGetVersion", static_cast<const void*>(version));
  if (version) std::snprintf(version, 80, "2.43");
}

void grGlideShamelessPlug(const FxBool on) {
  Record("grGlideShamelessPlug", on);
}

void grSplash(float x, float y, float width, float height, FxU32 frame) {
  Record("grSplash", x, y, width, height, frame);
}

FxBool grSstQueryBoards(GrHwConfiguration* hwconfig) {
  Record("grSstQueryBoards", hwconfig);
  if (!hwconfig) {
    ReportError("grSstQueryBoards", "null GrHwConfiguration");
    return FXFALSE;
  }
  std::memset(hwconfig, 0, sizeof *hwconfig);
  hwconfig->num_sst = BoardPresent() ? 1 : 0;
  return FXTRUE;
}

FxBool grSstQueryHardware(GrHwConfiguration* hwconfig) {
  Record("grSstQueryHardware", hwconfig);
  if (!hwconfig) {
    ReportError("grSstQueryHardware", "null GrHwConfiguration");
    return FXFALSE;
  }
  if (!BoardPresent()) {
    std::memset(hwconfig, 0, sizeof *hwconfig);
    return FXFALSE;
  }
  FillHardware(hwconfig);
  return FXTRUE;
}

void grSstSelect(int whichSst) {
  Record("grSstSelect", whichSst);
  if (whichSst != 0) ReportError("grSstSelect", "there is one board (0)");
}

FxBool grSstWinOpen(FxU32 hWnd, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                    GrColorFormat_t colorFormat, GrOriginLocation_t origin, int nColBuffers,
                    int nAuxBuffers) {
  Record("grSstWinOpen", hWnd, resolution, refresh, colorFormat, origin, nColBuffers, nAuxBuffers);
  Context& c = Ctx();
  if (!c.initialised) {
    ReportError("grSstWinOpen", "grGlideInit has not been called");
    return FXFALSE;
  }
  if (!BoardPresent()) return FXFALSE;
  if (resolution < GR_RESOLUTION_MIN || resolution > GR_RESOLUTION_MAX) {
    ReportError("grSstWinOpen", "invalid resolution");
    return FXFALSE;
  }
  if ((refresh < GR_REFRESH_MIN || refresh > GR_REFRESH_MAX) && refresh != GR_REFRESH_NONE) {
    ReportError("grSstWinOpen", "invalid refresh rate");
    return FXFALSE;
  }
  if (colorFormat < GR_COLORFORMAT_ARGB || colorFormat > GR_COLORFORMAT_BGRA ||
      (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT) || nColBuffers < 2 ||
      nColBuffers > 3 || nAuxBuffers < 0 || nAuxBuffers > 1) {
    ReportError("grSstWinOpen", "invalid colour format, origin or buffer count");
    return FXFALSE;
  }
  const Resolution size = kResolutions[resolution];
  const uint64_t bytes = uint64_t(size.width) * size.height * 2 * (nColBuffers + nAuxBuffers);
  if (bytes > kFrameBufferBytes) {
    ReportError("grSstWinOpen", "not enough frame buffer memory for this resolution and buffer count");
    return FXFALSE;
  }
  CloseWindow();

  DisplayConfig config;
  config.windowHandle = hWnd;
  config.width = size.width;
  config.height = size.height;
  config.refreshHz = refresh == GR_REFRESH_NONE ? 60 : kRefreshHz[refresh];
  std::unique_ptr<Display> display = CreateDisplayFromEnvironment();
  if (!display || !display->Open(config)) {
    ReportError("grSstWinOpen", "the display could not be opened");
    return FXFALSE;
  }
  // The internal scale, for the window or screen the display opened when it is `native`.
  int outputWidth = 0, outputHeight = 0;
  if (!display->OutputSize(&outputWidth, &outputHeight)) outputWidth = outputHeight = 0;
  const LibrarySettings chosen = ChosenLibrarySettings();
  const int scale = ResolveScale(chosen.scale, outputWidth, outputHeight, size.width, size.height);
  c.display = std::move(display);
  c.width = size.width;
  c.height = size.height;
  c.scale = scale;
  c.colourBits = chosen.colourBits;
  c.rasterizer->SetThreadCount(DrawingThreadsFor(scale));
  c.bufferWidth = size.width * scale;
  c.bufferHeight = size.height * scale;
  c.colourFormat = colorFormat;
  c.colourBufferCount = nColBuffers;
  c.hasAux = nAuxBuffers == 1;
  c.stride = c.bufferWidth;
  const size_t pixels = size_t(c.stride) * size_t(c.bufferHeight);
  const bool wide = c.colourBits == 32;
  for (int i = 0; i < kMaxColourBuffers; ++i) {
    c.colour[i].assign(i < nColBuffers && !wide ? pixels : 0, 0);
    c.colour32[i].assign(i < nColBuffers && wide ? pixels : 0, 0);
  }
  c.aux.assign(c.hasAux ? pixels : 0, 0);
  for (int i = 0; i < kMaxColourBuffers; ++i) c.order[i] = i;
  c.open = true;

  FinishRendering();
  ResetSettings();
  c.settings.originLowerLeft = origin == GR_ORIGIN_LOWER_LEFT;
  ResetTextureMemory();
  std::memset(c.fogTable, 0, sizeof c.fogTable);
  c.lfbConstantAlpha = 0xFF;
  c.lfbConstantDepth = 0;
  c.lfbWriteColourFormat = colorFormat;
  c.gamma = 1.7f;
  c.display->SetGamma(c.gamma);
  if (c.rasterizer) c.rasterizer->ResetCounters();
  return FXTRUE;
}

void grSstWinClose(void) {
  Record("grSstWinClose");
  CloseWindow();
}

FxBool grSstControl(FxU32 code) {
  Record("grSstControl", code);
  return FXTRUE;
}

FxU32 grSstScreenWidth(void) {
  Record("grSstScreenWidth");
  return static_cast<FxU32>(Ctx().width);
}

FxU32 grSstScreenHeight(void) {
  Record("grSstScreenHeight");
  return static_cast<FxU32>(Ctx().height);
}

void grSstIdle(void) {
  Record("grSstIdle");
  FinishRendering();
}

FxBool grSstIsBusy(void) {
  Record("grSstIsBusy");
  return FXFALSE;
}

FxU32 grSstStatus(void) {
  Record("grSstStatus");
  return 0;  // idle, no swaps pending
}

FxU32 grSstVideoLine(void) {
  Record("grSstVideoLine");
  return 0;
}

FxBool grSstVRetraceOn(void) {
  Record("grSstVRetraceOn");
  return FXTRUE;
}

void grSstConfigPipeline(GrChipID_t chip, FxU32 reg, FxU32 value) {
  Record("grSstConfigPipeline", chip, reg, value);
}

void grSstOrigin(GrOriginLocation_t origin) {
  Record("grSstOrigin", origin);
  if (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT) {
    ReportError("grSstOrigin", "invalid origin");
    return;
  }
  Ctx().settings.originLowerLeft = origin == GR_ORIGIN_LOWER_LEFT;
  MarkDirty();
}

void grSstPerfStats(GrSstPerfStats_t* stats) {
  Record("grSstPerfStats", stats);
  if (!stats) {
    ReportError("grSstPerfStats", "null statistics record");
    return;
  }
  std::memset(stats, 0, sizeof *stats);
  Context& c = Ctx();
  if (!c.rasterizer) return;
  FinishRendering();
  const RasterCounters& k = c.rasterizer->Counters();
  stats->pixelsIn = static_cast<FxU32>(k.pixelsIn);
  stats->chromaFail = static_cast<FxU32>(k.chromaFailed);
  stats->zFuncFail = static_cast<FxU32>(k.depthFailed);
  stats->aFuncFail = static_cast<FxU32>(k.alphaFailed);
  stats->pixelsOut = static_cast<FxU32>(k.pixelsWritten);
}

void grSstResetPerfStats(void) {
  Record("grSstResetPerfStats");
  Context& c = Ctx();
  if (!c.rasterizer) return;
  FinishRendering();
  c.rasterizer->ResetCounters();
}

void grTriStats(FxU32* trisProcessed, FxU32* trisDrawn) {
  Record("grTriStats", trisProcessed, trisDrawn);
  Context& c = Ctx();
  uint64_t in = 0, culled = 0;
  if (c.rasterizer) {
    FinishRendering();
    in = c.rasterizer->Counters().trianglesIn;
    culled = c.rasterizer->Counters().trianglesCulled;
  }
  if (trisProcessed) *trisProcessed = static_cast<FxU32>(in);
  if (trisDrawn) *trisDrawn = static_cast<FxU32>(in - std::min(in, culled));
}

void grResetTriStats(void) {
  Record("grResetTriStats");
  grSstResetPerfStats();
}

void grHints(GrHint_t hintType, FxU32 hintMask) {
  Record("grHints", hintType, hintMask);
  Settings& s = Ctx().settings;
  switch (hintType) {
    case GR_HINT_STWHINT:
      s.stwHint = hintMask;
      break;
    case GR_HINT_ALLOW_MIPMAP_DITHER:
      s.allowMipmapDither = hintMask != 0;
      break;
    case GR_HINT_FIFOCHECKHINT:
    case GR_HINT_FPUPRECISION:
      break;
    default:
      ReportError("grHints", "unknown hint");
      return;
  }
  MarkDirty();
}

void grBufferSwap(int swapInterval) {
  Record("grBufferSwap", swapInterval);
  if (!RequireOpen("grBufferSwap")) return;
  if (swapInterval < 0 || swapInterval > 255) {
    ReportError("grBufferSwap", "swap interval outside 0..255");
    swapInterval = std::clamp(swapInterval, 0, 255);
  }
  Context& c = Ctx();
  FinishRendering();
  // The back buffer becomes visible; the old front buffer is drawn into next
  // (with a third buffer it waits one more frame).
  const int oldFront = c.order[0];
  c.order[0] = c.order[1];
  if (c.colourBufferCount == 3) {
    c.order[1] = c.order[2];
    c.order[2] = oldFront;
  } else {
    c.order[1] = oldFront;
  }
  ++c.swapCount;
  MarkDirty();
  if (c.colourBits == 32)
    c.display->Present32(c.colour32[c.order[0]].data(), c.bufferWidth, c.bufferHeight, c.stride,
                         swapInterval);
  else
    c.display->Present(c.colour[c.order[0]].data(), c.bufferWidth, c.bufferHeight, c.stride, swapInterval);
}

int grBufferNumPending(void) {
  Record("grBufferNumPending");
  return 0;
}

void grRenderBuffer(GrBuffer_t buffer) {
  Record("grRenderBuffer", buffer);
  if (buffer != GR_BUFFER_FRONTBUFFER && buffer != GR_BUFFER_BACKBUFFER) {
    ReportError("grRenderBuffer", "only the front or the back buffer can be drawn into");
    return;
  }
  Ctx().settings.renderBuffer = buffer;
  MarkDirty();
}

void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth) {
  Record("grBufferClear", color, alpha, depth);
  if (!RequireOpen("grBufferClear")) return;
  Context& c = Ctx();
  ApplyState();
  const Settings& s = c.settings;
  const bool depthOn = s.depth.mode != GR_DEPTHBUFFER_DISABLE;
  const bool writeAux = c.hasAux && (depthOn ? s.depth.writeMask : s.alphaWriteMask);
  const Framebuffer target = RenderTarget();
  if (!target.colour && !target.colour32) return;
  c.rasterizer->Clear(target, ToHardwareColour(color), alpha, depth, s.rgbWriteMask, writeAux, depthOn);
  if (c.lfbLocks) SyncLfbCopies();
}

void grGammaCorrectionValue(float value) {
  Record("grGammaCorrectionValue", value);
  if (!std::isfinite(value) || value <= 0.0f) {
    ReportError("grGammaCorrectionValue", "gamma must be a positive number");
    return;
  }
  Context& c = Ctx();
  c.gamma = value;
  if (c.open && c.display) c.display->SetGamma(value);
}

void grGlideGetState(GrState* state) {
  Record("grGlideGetState", state);
  if (!state) {
    ReportError("grGlideGetState", "null GrState");
    return;
  }
  std::memset(state->pad, 0, sizeof state->pad);
  std::memcpy(state->pad + kSettingsOffset, &Ctx().settings, sizeof(Settings));
  const uint32_t checksum = Checksum(state->pad + kSettingsOffset);
  std::memcpy(state->pad, &kStateTag, 4);
  std::memcpy(state->pad + 4, &checksum, 4);
}

void grGlideSetState(const GrState* state) {
  Record("grGlideSetState", state);
  if (!state) {
    ReportError("grGlideSetState", "null GrState");
    return;
  }
  uint32_t tag = 0, checksum = 0;
  std::memcpy(&tag, state->pad, 4);
  std::memcpy(&checksum, state->pad + 4, 4);
  if (tag != kStateTag || checksum != Checksum(state->pad + kSettingsOffset)) {
    ReportError("grGlideSetState", "the GrState was not filled by grGlideGetState");
    return;
  }
  std::memcpy(&Ctx().settings, state->pad + kSettingsOffset, sizeof(Settings));
  MarkDirty();
}

}  // extern "C"
