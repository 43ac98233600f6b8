// raster.h — the boundary between the Glide entry points and the pixel
// pipeline. The entry points record what the program set (in Glide's own
// terms) into a RasterState; the rasteriser derives its tables and span
// function from it once per change and draws triangles into a Framebuffer.
//
// Pipeline order per pixel: clip, depth test, texture fetch and filter,
// texture combine, colour and alpha combine, chroma key, alpha test, fog,
// alpha blend, dither, colour and depth write.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gfx {

// Colour/alpha combine unit (grColorCombine / grAlphaCombine), Glide enum values.
struct CombineUnit {
  int function = 0;  // GrCombineFunction_t
  int factor = 0;    // GrCombineFactor_t
  int local = 0;     // GrCombineLocal_t
  int other = 0;     // GrCombineOther_t
  bool invert = false;

  bool operator==(const CombineUnit&) const = default;
};

// Texture combine of TMU0 (grTexCombine). After grSstWinOpen: ZERO.
struct TextureCombine {
  int rgbFunction = 0, rgbFactor = 0;
  int alphaFunction = 0, alphaFactor = 0;
  bool rgbInvert = false, alphaInvert = false;

  bool operator==(const TextureCombine&) const = default;
};

// NCC table as the hardware holds it: Y 0..255, I and Q sign-extended.
struct NccTable {
  uint8_t y[16] = {};
  int16_t i[4][3] = {};
  int16_t q[4][3] = {};

  bool operator==(const NccTable&) const = default;
};

// The texture the source selects, as placed in TMU memory.
struct TextureState {
  bool valid = false;                 // a texture source has been set
  const uint8_t* memory = nullptr;    // TMU memory base (texels little-endian for 16-bit formats)
  uint32_t memorySize = 0;            // bytes; a level that would reach past it is never read
  uint32_t levelOffset[9] = {};       // byte offset of each LOD level (GR_LOD_256=0 .. GR_LOD_1=8) present
  int format = 0;                     // GrTextureFormat_t
  int largeLod = 0, smallLod = 8;     // GrLOD_t: levels present
  int aspect = 3;                     // GrAspectRatio_t (GR_ASPECT_8x1=0 .. 1x8=6)
  int sClamp = 1, tClamp = 1;         // GR_TEXTURECLAMP_WRAP=0 / CLAMP=1
  int minFilter = 0, magFilter = 0;   // GR_TEXTUREFILTER_POINT_SAMPLED=0 / BILINEAR=1
  int mipmapMode = 0;                 // GR_MIPMAP_DISABLE=0 / NEAREST=1 / NEAREST_DITHER=2
  int lodBias = 0;                    // 4.2 fixed point (quarter levels), -32..31
  const uint32_t* palette = nullptr;  // 256 entries 0x00RRGGBB (P_8, AP_88)
  const NccTable* ncc = nullptr;      // YIQ_422, AYIQ_8422
  // The owner changes this whenever the bytes under memory change (a
  // download), so what was decoded from them earlier is not used again.
  uint64_t contentVersion = 0;
  // grTexMipMapMode(..., lodBlend): the level of detail blends two levels.
  // The TMU holds one parity of levels (lodOdd: the odd ones) and reads the
  // next level when the level of detail is of the other parity.
  bool lodBlend = false, lodOdd = false;
  // grTexDetailControl: bias in whole levels (-32..31), scale 0..7, max 0..255.
  int detailBias = 0, detailScale = 0, detailMax = 0;

  bool operator==(const TextureState&) const = default;
};

struct FogState {
  int mode = 0;                    // GrFogMode_t (GR_FOG_DISABLE .. | MULT2 | ADD2)
  uint32_t colour = 0;             // hardware 0xAARRGGBB (after the colour-format swizzle)
  const uint8_t* table = nullptr;  // 64 entries (grFogTable)

  bool operator==(const FogState&) const = default;
};

struct BlendState {
  int rgbSource = 4, rgbDestination = 0;  // GrAlphaBlendFnc_t; (ONE, ZERO) = off
  int alphaSource = 4, alphaDestination = 0;

  bool operator==(const BlendState&) const = default;
};

struct DepthState {
  int mode = 0;      // GrDepthBufferMode_t
  int function = 1;  // GrCmpFnc_t
  bool writeMask = false;
  int16_t bias = 0;  // grDepthBiasLevel

  bool operator==(const DepthState&) const = default;
};

struct RasterState {
  CombineUnit colour;
  CombineUnit alpha;
  TextureCombine textureCombine;
  TextureState texture;
  FogState fog;
  BlendState blend;
  DepthState depth;
  uint32_t constantColour = 0xFFFFFFFFu;  // hardware 0xAARRGGBB
  int cullMode = 0;                       // GrCullMode_t
  int ditherMode = 2;                     // GrDitherMode_t
  bool rgbWriteMask = true, alphaWriteMask = false;
  int alphaTestFunction = 7;  // GrCmpFnc_t, ALWAYS = off
  uint8_t alphaReference = 0;
  bool chromaKey = false;
  uint32_t chromaKeyValue = 0;                                     // hardware 0xAARRGGBB
  int clipMinX = 0, clipMinY = 0, clipMaxX = 640, clipMaxY = 480;  // pixels, max exclusive
  bool originLowerLeft = false;
  // grHints(GR_HINT_STWHINT, GR_STWHINT_W_DIFF_TMU0): the texture unit
  // divides by the vertices' tmuvtx[0].oow instead of oow.
  bool textureWFromTmu = false;

  bool operator==(const RasterState&) const = default;
};

// Where pixels go: one colour buffer and the shared depth (aux) buffer, both
// 16 bits per pixel, rows top of the screen first.
//
// The colour buffer may instead keep 8 bits a channel (colour32 set, colour
// null): no dither, and blending reads the 8-bit values back. Those targets
// are drawn by the reference span and the four-lane (SSE2) fast spans.
//
// The buffers may be drawn at an internal scale: the program's coordinates,
// clip window and LFB pixels stay those of the board's screen, and every one
// of its pixels is scale x scale pixels here. width, height and stride are
// the buffers' own (already scaled); vertex x and y and the clip window are
// multiplied by scale at set-up.
struct Framebuffer {
  uint16_t* colour = nullptr;  // RGB565
  uint16_t* depth = nullptr;   // w-buffer / z-buffer values, or alpha when depth buffering is off
  int width = 0, height = 0;
  int stride = 0;                // pixels between rows
  int scale = 1;                 // buffer pixels per program pixel, each way (1..4)
  uint32_t* colour32 = nullptr;  // 0x00RRGGBB in colour's place, when the buffer keeps 8 bits a channel
  bool operator==(const Framebuffer&) const = default;
};

// Glide's vertex as the program passed it (GrVertex layout, 15 floats).
struct VertexIn {
  float x, y, z, r, g, b, ooz, a, oow;
  float sow0, tow0, oow0, sow1, tow1, oow1;
};

// A pixel written through the linear frame buffer with the pixel pipeline
// on: at physical column x and row y of the buffer (scaled), its colour (hardware 0xAARRGGBB)
// taking the place of the combine output, and the depth it brings.
struct LfbPixel {
  int x = 0, y = 0;
  uint32_t argb = 0;
  uint16_t depth = 0;
};

// Plain per-stage counters, summed over all draws since the last reset.
struct RasterCounters {
  uint64_t trianglesIn = 0, trianglesCulled = 0;
  uint64_t pixelsIn = 0, depthFailed = 0, alphaFailed = 0, chromaFailed = 0, pixelsWritten = 0;
};

// The pixel pipeline. Owned by the library's context; used from the
// program's thread only (it may use worker threads inside).
class Rasterizer {
 public:
  Rasterizer();
  ~Rasterizer();
  Rasterizer(const Rasterizer&) = delete;
  Rasterizer& operator=(const Rasterizer&) = delete;

  // Records the state for the draws that follow. Copies what it needs (the
  // palette, the NCC table and the fog table included), so the caller may
  // change its own copies afterwards; derivation (tables, span function)
  // happens once, before the next draw.
  void SetState(const RasterState& state);
  // One triangle: cull, snap (bias removed, 12.4), clip to the clip window,
  // walk spans with the top-left rule, run the pipeline on every covered pixel.
  // Never reads or writes outside the framebuffer, whatever the input (NaN,
  // infinities, huge or degenerate triangles). The pixels may land later, at
  // the latest by Finish().
  void DrawTriangle(const VertexIn& a, const VertexIn& b, const VertexIn& c, const Framebuffer& target);
  // Fills the clip window of target: colour (hardware ARGB, dithered as the
  // state says) when rgb writes are on, depth or alpha per the masks.
  void Clear(const Framebuffer& target, uint32_t colour, uint8_t alpha, uint16_t depth, bool writeColour,
             bool writeAux, bool auxIsDepth);
  // Runs each pixel in turn through the stages after the colour combine, as
  // the board does for frame-buffer writes with the pixel pipeline on: clip
  // window, depth test (the pixel's depth, or the bias in the compare-to-
  // bias modes), chroma key on its colour, alpha test, fog (table fog reads
  // the depth as a floating w), alpha blend, dither, and the colour, depth
  // or alpha writes the masks allow. Draws queued before come first.
  void WriteThroughPipeline(const Framebuffer& target, const LfbPixel* pixels, size_t count);
  // Returns once every draw handed in so far is in the framebuffer. Called
  // before the framebuffer is read or shown and before texture memory changes.
  void Finish();
  // Worker threads for bands of rows: 1 = draw on the calling thread.
  // The picture is identical for every count. A new Rasterizer draws with
  // min(2, cores) threads. GLIDE_THREADS=n in the environment, when set,
  // wins over both the default and this call, so a user can pin the count.
  void SetThreadCount(int count);
  int ThreadCount() const;
  // The most rows of the bands a frame is drawn in (a band's colour and
  // depth stay in the cache while every triangle on it is drawn); 0, the
  // default, sizes them by the cache and bins only targets too large for
  // it, or when more than one thread draws. Any value bins every target;
  // a negative one has one thread draw each triangle at once whatever the
  // target (more threads always bin). The picture is identical for every choice.
  void SetTileRows(int rows);
  // Use the generic reference path only (tests compare it with the fast paths).
  void SetReferenceOnly(bool referenceOnly);
  // The widest vector instructions the fast paths may use. A new Rasterizer
  // uses the widest the processor runs, or at most SSE2 or AVX2 when
  // GLIDE_SIMD=sse2 or avx2 is set; asking for more than the processor runs
  // gets what it runs.
  enum class Simd { kSse2, kAvx2, kAvx512 };
  void SetSimd(Simd simd);
  Simd CurrentSimd() const;

  // Name of the span function the current state draws with: "reference"
  // or the fast path's name (tests and benchmarks report it).
  const char* SpanName();

  // Counters of everything drawn so far (waits for queued draws first).
  const RasterCounters& Counters() const;
  void ResetCounters();

 private:
  struct Impl;
  Impl* impl;
};

}  // namespace gfx
