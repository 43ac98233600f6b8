// context.h — the one library context behind the Glide entry points: what the
// program set (Settings, saved whole by grGlideGetState), the buffers, texture
// memory, the tables, the display and the pixel pipeline, plus the helpers
// every entry point shares (argument checks, error reports, set-derive-draw).
#pragma once

#include <glide.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display.h"
#include "raster.h"

namespace gfx {

constexpr uint32_t kTextureMemoryBytes = 2u << 20;  // one TMU of 2 MiB
constexpr int kMaxColourBuffers = 3;

// The texture the TMU reads, as grTexSource or guTexSource set it.
struct TextureSource {
  bool valid = false;
  uint32_t startAddress = 0;  // bytes into texture memory, 8-byte aligned
  uint32_t evenOdd = GR_MIPMAPLEVELMASK_BOTH;
  int smallLod = GR_LOD_1, largeLod = GR_LOD_256;
  int aspect = GR_ASPECT_1x1;
  int format = GR_TEXFMT_RGB_332;
};

// Everything a program sets through the state calls. Trivially copyable:
// grGlideGetState stores it byte for byte inside the caller's GrState.
struct Settings {
  CombineUnit colour;
  CombineUnit alpha;
  TextureCombine textureCombine;
  TextureSource source;
  GrMipMapId_t currentMipMap = GR_NULL_MIPMAP_HANDLE;
  int sClamp = GR_TEXTURECLAMP_CLAMP, tClamp = GR_TEXTURECLAMP_CLAMP;
  int minFilter = GR_TEXTUREFILTER_POINT_SAMPLED, magFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
  int mipmapMode = GR_MIPMAP_DISABLE;
  bool lodBlend = false;
  // The TMU's odd-levels bit: set by a source of odd levels, or in trilinear
  // mode by the odd pass's combine (see UpdateLodOdd).
  bool lodOdd = false;
  // grTexDetailControl as the register holds it: bias -32..31, scale 0..7, max 0..255.
  int detailBias = 0, detailScale = 0, detailMax = 0;
  int lodBias = 0;  // 4.2 fixed point, -32..31
  int nccSelect = GR_NCCTABLE_NCC0;
  int fogMode = GR_FOG_DISABLE;
  uint32_t fogColour = 0;  // hardware 0xAARRGGBB
  BlendState blend;
  DepthState depth;
  uint32_t constantColour = 0xFFFFFFFFu;  // hardware 0xAARRGGBB
  int cullMode = GR_CULL_DISABLE;
  int ditherMode = GR_DITHER_4x4;
  bool rgbWriteMask = true, alphaWriteMask = false;
  int alphaTestFunction = GR_CMP_ALWAYS;
  uint8_t alphaReference = 0;
  bool chromaKey = false;
  uint32_t chromaKeyValue = 0;  // hardware 0xAARRGGBB
  int clipMinX = 0, clipMinY = 0, clipMaxX = 640, clipMaxY = 480;
  bool originLowerLeft = false;
  int renderBuffer = GR_BUFFER_BACKBUFFER;
  uint32_t stwHint = 0;
  bool allowMipmapDither = false;
  // grTexMultibase: levels 256, 128 and 64 each at their own address, and
  // 32 down to 1 together from a fourth (by GrTexBaseRange_t).
  bool multibase = false;
  uint32_t multibaseAddress[4] = {};
  uint32_t multibaseEvenOdd[4] = {GR_MIPMAPLEVELMASK_BOTH, GR_MIPMAPLEVELMASK_BOTH, GR_MIPMAPLEVELMASK_BOTH,
                                  GR_MIPMAPLEVELMASK_BOTH};
};

// One allocation made by guTexAllocateMemory.
struct MipMapRecord {
  GrMipMapInfo info{};
  uint32_t bytes = 0;  // reserved size in texture memory
  bool hasNcc = false;
};

struct Context {
  bool initialised = false;  // grGlideInit called
  bool open = false;         // grSstWinOpen succeeded
  int colourFormat = GR_COLORFORMAT_ARGB;
  int width = 640, height = 480;  // the screen the program sees
  // The internal scale: the buffers are scale times wider and taller than
  // the screen (internal_scale.h chooses it at grSstWinOpen).
  int scale = 1;
  int bufferWidth = 640, bufferHeight = 480;
  // Bits a pixel of the colour buffers: 16 (the board's dithered RGB565, in
  // `colour`) or 32 (8 bits a channel, no dither, in `colour32`), chosen at
  // grSstWinOpen (internal_scale.h). The program sees 16-bit pixels either way.
  int colourBits = 16;
  int colourBufferCount = 2;
  bool hasAux = true;
  int stride = 640;        // pixels between buffer rows (the buffers' width)
  int lfbLocks = 0;        // frame-buffer locks open
  int lfbStagedLocks = 0;  // of those, the write locks (their writes wait in a copy)
  Settings settings;
  bool dirty = true;            // a setter ran since the last Rasterizer::SetState
  bool contentsChanged = true;  // texture memory or a table changed since then
  bool applied = false;         // appliedSettings holds what the rasteriser has
  Settings appliedSettings;

  // Colour buffers: index 0 is shown, 1 is the back buffer, 2 the third.
  std::vector<uint16_t> colour[kMaxColourBuffers];
  std::vector<uint32_t> colour32[kMaxColourBuffers];  // 0x00RRGGBB, when colourBits is 32
  int order[kMaxColourBuffers] = {0, 1, 2};           // order[0] = front, order[1] = back
  std::vector<uint16_t> aux;

  std::vector<uint8_t> textureMemory = std::vector<uint8_t>(kTextureMemoryBytes);
  uint64_t textureMemoryVersion = 0;  // counts the writes into textureMemory
  uint32_t palette[256] = {};
  NccTable ncc[2];
  GrMipMapId_t nccResident[2] = {GR_NULL_MIPMAP_HANDLE, GR_NULL_MIPMAP_HANDLE};
  int nccNextSlot = 0;
  uint8_t fogTable[GR_FOG_TABLE_SIZE] = {};

  std::vector<MipMapRecord> mipmaps;  // handle = index
  uint32_t textureFree = 0;           // next free byte of texture memory

  float gamma = 1.7f;
  uint8_t lfbConstantAlpha = 0xFF;
  uint16_t lfbConstantDepth = 0;
  int lfbWriteColourFormat = GR_COLORFORMAT_ARGB;
  bool lfbSwizzleBytes = false, lfbSwapWords = false;

  std::unique_ptr<Display> display;
  std::unique_ptr<Rasterizer> rasterizer;
  uint64_t swapCount = 0;
};

// The one context, made on first use. The draw calls reach it several times
// per triangle, so after that first use it is a single load.
Context& MakeContext();
extern std::atomic<Context*> madeContext;
inline Context& Ctx() {
  Context* context = madeContext.load(std::memory_order_acquire);
  return context ? *context : MakeContext();
}

// Reports an invalid call through the error callback (default: a line on
// stderr). Never aborts.
void ReportError(const char* function, const std::string& message);

// Reports why a call needs an open window; returns false.
bool ReportNotOpen(const char* function);
// True when the library is initialised and a window is open; reports otherwise.
inline bool RequireOpen(const char* function) {
  const Context& c = Ctx();
  return (c.initialised && c.open) || ReportNotOpen(function);
}

// The hardware 0xAARRGGBB value of a colour given in the open window's format.
uint32_t ToHardwareColour(uint32_t colour, int colourFormat);
uint32_t ToHardwareColour(uint32_t colour);

// Settings to derive from; call after every change.
inline void MarkDirty() {
  Ctx().dirty = true;
}
// Texture memory, the palette, an NCC table or the fog table changed.
inline void MarkContentsDirty() {
  Ctx().dirty = true;
  Ctx().contentsChanged = true;
}
// Hands the settings to the rasteriser (ApplyState: when they changed, before a draw or clear).
void ApplyChangedState();
// Writes what the program put through frame-buffer write locks into the
// buffers (lfb.cpp): before anything draws, reads or shows them.
void CommitLfbWrites();
// Brings the locks' copies up to date with what was drawn into the buffers.
void SyncLfbCopies();
inline void ApplyState() {
  Context& c = Ctx();
  if (c.lfbStagedLocks) CommitLfbWrites();
  if (c.dirty) ApplyChangedState();
}
// Waits for every pending draw (before reading, presenting or changing texture memory).
void FinishRendering();
// The index into colour / colour32 of GR_BUFFER_FRONTBUFFER / BACKBUFFER /
// TRIPLEBUFFER, or -1.
inline int ColourBufferIndex(const Context& c, int buffer) {
  if (!c.open) return -1;
  if (buffer == GR_BUFFER_FRONTBUFFER) return c.order[0];
  if (buffer == GR_BUFFER_BACKBUFFER) return c.order[1];
  if (buffer == GR_BUFFER_TRIPLEBUFFER && c.colourBufferCount == 3) return c.order[2];
  return -1;
}
// The 16-bit colour buffer behind a GrBuffer_t, or null (also at 32 bits).
inline uint16_t* ColourBuffer(int buffer) {
  Context& c = Ctx();
  const int index = ColourBufferIndex(c, buffer);
  return index < 0 || c.colour[index].empty() ? nullptr : c.colour[index].data();
}
// The 32-bit colour buffer behind a GrBuffer_t, or null (also at 16 bits).
inline uint32_t* ColourBuffer32(int buffer) {
  Context& c = Ctx();
  const int index = ColourBufferIndex(c, buffer);
  return index < 0 || c.colour32[index].empty() ? nullptr : c.colour32[index].data();
}
// The buffer that grRenderBuffer selects, as the rasteriser's target.
inline Framebuffer RenderTarget() {
  Context& c = Ctx();
  Framebuffer f;
  if (const int index = ColourBufferIndex(c, c.settings.renderBuffer); index >= 0) {
    if (c.colourBits == 32)
      f.colour32 = c.colour32[index].data();
    else
      f.colour = c.colour[index].data();
  }
  f.depth = c.aux.empty() ? nullptr : c.aux.data();
  f.width = c.bufferWidth;
  f.height = c.bufferHeight;
  f.stride = c.stride;
  f.scale = c.scale;
  return f;
}

// Ends every frame buffer lock (the buffers are going away).
void ReleaseLfbLocks();

// Resets every setting to the state grSstWinOpen leaves.
void ResetSettings();

// Texture memory layout (texture.cpp).
bool ValidLod(int lod);
bool ValidAspect(int aspect);
bool ValidTextureFormat(int format);
int BytesPerTexel(int format);
// Host (download) size of one level in texels: width x height.
void LevelSize(int aspect, int lod, int* width, int* height);
// Bytes the levels largeLod..smallLod of the evenOdd mask take in texture
// memory (on-card sizes), rounded up to 8.
uint32_t TextureBytes(int smallLod, int largeLod, int aspect, int format, uint32_t evenOdd);
// Byte offset of level lod from the start address of a texture whose largest level is largeLod.
uint32_t LevelOffset(int lod, int largeLod, int aspect, int format, uint32_t evenOdd);
// Copies rows firstRow..lastRow of one host-sized level (data holds them from
// firstRow on) into texture memory, clipped to its end.
void StoreLevel(uint32_t startAddress, int lod, int largeLod, int aspect, int format, uint32_t evenOdd,
                const uint8_t* data, int firstRow, int lastRow);
// Converts an NCC table as Glide downloads it (packed words) to the hardware's.
NccTable ToHardwareNcc(const GuNccTable& table);
int LodBiasToFixed(float bias);
// Sets the TMU's odd-levels bit as the board's library does whenever the
// source, the texture combine or the mipmap mode changes: odd when the source
// holds the odd levels alone, or, with trilinear blending on, when the colour
// combine is the odd pass of a one-TMU trilinear blend (other input zeroed,
// factor one minus the LOD fraction). A later grTexSource sets it from its
// levels alone, as the library's register shadow does.
void UpdateLodOdd(Settings* settings, bool fromSourceOnly);

}  // namespace gfx
