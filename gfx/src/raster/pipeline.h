// pipeline.h — the order of the pixel pipeline and the pieces every stage
// shares: the derived state (tables built once per state change), the
// per-triangle setup, and the span function that runs the per-pixel stages.
//
// Per triangle (on the calling thread):
//   1. setup.h     snap to 12.4 (bias removed), cull, sort, clip rows, planes
// Per band of rows (on a worker, or the calling thread):
//   2. span.h      walk rows with the top-left rule, hand spans to the span function
//                  (fast paths walk the rows themselves with the same stepper)
// Per pixel, in this order (reference.cpp calls them one by one; the fast
// spans in fast_spans.cpp compute exactly the same values four at a time):
//   3. write.h     depth value and depth test (the write itself comes last)
//   4. texture.h   perspective divide, level choice, texel fetch and filter
//   5. combine.h   texture combine, colour and alpha combine, chroma key, alpha test
//   6. fog.h       fog from w, iterated alpha or z
//   7. blend.h     alpha blending over the RGB565 (or 8-bit) destination
//   8. dither.h    4x4 / 2x2 ordered dither or truncation to RGB565 (none at 8 bits)
//   9. write.h     colour and depth (or alpha) write
//
// Arithmetic rule shared by the reference and the fast spans: every value a
// pixel uses is computed from per-row bases with single-precision IEEE
// operations in a fixed order (no fused multiply-add, no approximate
// reciprocal) and converted to integers through the clamp helpers below, so
// SIMD code that issues the same operations gets the same bits.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "raster.h"

namespace gfx::raster {

// Float helpers with the semantics of SSE minps/maxps/cvttps: NaN picks the
// second operand, so a NaN clamped into [lo, hi] becomes lo.
inline float MaxPs(float a, float b) {
  return a > b ? a : b;
}
inline float MinPs(float a, float b) {
  return a < b ? a : b;
}
// Floor of a float already clamped to a range an int32 holds.
inline int32_t FloorClamped(float v) {
  int32_t t = static_cast<int32_t>(v);
  return static_cast<float>(t) > v ? t - 1 : t;
}
inline uint32_t FloatBits(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}
inline int Clamp255(int v) {
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Texture coordinates are clamped to this many 1/16 texels before they turn
// into integers: far beyond any texture, well inside int32.
constexpr float kTexCoordLimit = 16777216.0f;

// One mipmap level as placed in texture memory.
struct TextureLevel {
  const uint8_t* texels = nullptr;  // null: the level is not present (reads as zero)
  int widthLog2 = 0, heightLog2 = 0;
};

// Texture state turned into what sampling needs.
struct DerivedTexture {
  bool enabled = false;
  bool sixteenBit = false;
  int format = 0;
  uint32_t lut8[256] = {};  // 8-bit texel (or the low byte of a 16-bit one) -> 0xAARRGGBB
  TextureLevel levels[9];   // by Glide LOD number (0 = 256 texels on the long side)
  int lodMin = 0, lodMax = 0;
  int lodBias88 = 0;  // 8.8 levels
  bool sClamp = true, tClamp = true;
  bool minBilinear = false, magBilinear = false;
  bool lodBlend = false, lodOdd = false;  // trilinear: see TextureState
  int detailBias88 = 0, detailScale = 0, detailMax = 0;
};

// Fog factor + 1 for every 16-bit floating w, built once per fog table.
struct FogLut {
  uint8_t table[64] = {};
  // One entry of slack: the wide spans read 32 bits at 2 * w.
  uint16_t factor[65536 + 1] = {};
};

struct ExpandedTexture;

struct TriangleSetup;
struct Derived;
struct SpanContext {
  const Derived* derived;
  const TriangleSetup* tri;
  const Framebuffer* target;
  RasterCounters* counters;
};
// Draws physical row y from x0 (inclusive) to x1 (exclusive); x0 < x1, both in the clip window.
using SpanFunction = void (*)(const SpanContext& ctx, int y, int x0, int x1);
// Draws rows [bandStart, bandEnd) of a triangle, walking them itself (span.h
// WalkRows), so what is fixed for the triangle is worked out once.
using BandFunction = void (*)(const SpanContext& ctx, int bandStart, int bandEnd);
// Draws the whole triangles tris[i], for each set bit i of `which` in turn:
// a set-up batch at once, so what the state fixes is worked out once.
using TrianglesFunction = void (*)(const SpanContext& ctx, const TriangleSetup* tris, uint32_t which);

// A RasterState as recorded by SetState: the tables copied, their pointers
// cleared, so two records compare by content.
struct RecordedState {
  RasterState state;
  bool hasPalette = false, hasNcc = false, hasFog = false;
  uint32_t palette[256] = {};
  NccTable ncc;
  uint8_t fogTable[64] = {};
  bool operator==(const RecordedState&) const = default;
};
void RecordState(const RasterState& state, RecordedState* recorded);

// Everything derived from one RasterState. Immutable while shared by the
// draws queued for worker threads; derived again in place only once nothing
// else holds it (SoleOwner).
struct Derived {
  RecordedState recorded;
  RasterState state;  // the recorded state, its table pointers aimed at the copies below
  const uint32_t* palette = recorded.palette;
  const uint8_t* fogTable = recorded.fogTable;
  uint8_t fogDelta[64] = {};  // 6.2 step to the next entry, 8 bits as the hardware keeps it
  DerivedTexture texture;
  std::shared_ptr<const FogLut> fogByW;             // set when table fog is on
  std::shared_ptr<const ExpandedTexture> expanded;  // set when a wide span draws

  bool blendEnabled = false;
  // The aux buffer holds alpha planes: depth buffering off and alpha writes
  // on. Otherwise blending reads the destination alpha as 255.
  bool alphaBuffer = false;
  bool depthEnabled = false;
  SpanFunction span = nullptr;
  BandFunction band = nullptr;            // when set, draws whole bands instead of span
  TrianglesFunction triangles = nullptr;  // when set, draws a batch of triangles on one thread
  const char* spanName = "reference";
  // What triangle setup must produce for the span: the fast spans read only
  // the W, S and T planes, and the level of detail only when mipmapping.
  bool needsAllPlanes = true;
  bool needsLod = true;
};

// Whether p is the only pointer to its object, so that the object may be
// rebuilt in place. Other threads only ever hold copies handed to them, so a
// count of one stays one; the fence orders what they did with the object
// before letting go of it before whatever the caller does next.
template <class T>
bool SoleOwner(const std::shared_ptr<T>& p) {
  if (p.use_count() != 1) return false;
  std::atomic_thread_fence(std::memory_order_acquire);
  return true;
}

// Makes room for a new entry at the front of a cache list: drops the entries
// `stale` picks, and the last one when the list holds `capacity`. Returns one
// of those that nothing else holds (to rebuild in place), or null.
template <class T, class Stale>
std::shared_ptr<T> MakeRoom(std::vector<std::shared_ptr<T>>* list, size_t capacity, Stale stale) {
  std::shared_ptr<T> reusable;
  auto consider = [&](const std::shared_ptr<T>& entry) {
    if (!reusable && SoleOwner(entry)) reusable = entry;
  };
  for (const auto& entry : *list)
    if (stale(*entry)) consider(entry);
  std::erase_if(*list, [&](const auto& entry) { return stale(*entry); });
  if (list->size() >= capacity) {
    consider(list->back());
    list->pop_back();
  }
  return reusable;
}

// What derivation keeps from one state to the next: the last fog lookup
// table (reused while the table is unchanged) and the expanded textures.
class ExpandedTextureCache;
struct DeriveCaches {
  DeriveCaches();
  ~DeriveCaches();
  std::shared_ptr<const FogLut> fog;
  std::unique_ptr<ExpandedTextureCache> textures;
};

// The widest vector instructions this processor runs.
Rasterizer::Simd BestSimd();

// Builds derived from a recorded state and picks the span function: the
// reference when referenceOnly, else the fast span for the state with the
// widest instructions up to simd. colour32: the targets keep 8 bits a colour
// channel (Framebuffer::colour32), which the reference and the SSE2 fast
// spans draw.
void Derive(const RecordedState& recorded, bool referenceOnly, bool colour32, Rasterizer::Simd simd,
            DeriveCaches* caches, Derived* derived);

void ReferenceSpan(const SpanContext& ctx, int y, int x0, int x1);
// The same into a colour buffer of 8 bits a channel.
void ReferenceSpan32(const SpanContext& ctx, int y, int x0, int x1);
// One frame-buffer write through the stages after the colour combine
// (Rasterizer::WriteThroughPipeline); the pixel is inside the target.
void ReferenceLfbPixel(const Derived& d, const Framebuffer& fb, const LfbPixel& pixel,
                       RasterCounters* counters);
// Returns a specialised band function for the state, or null when only the
// reference fits; sets name and what the setup must provide. colour32: for
// a colour buffer of 8 bits a channel.
BandFunction PickFastBand(const Derived& derived, bool colour32, const char** name, bool* needsAllPlanes,
                          bool* needsLod);
// The same with AVX2, eight pixels at a time, into either colour buffer,
// reading derived.expanded (which the caller sets when this returns a band).
BandFunction PickWideBand(const Derived& derived, bool colour32, const char** name, bool* needsAllPlanes,
                          bool* needsLod);
// The same with AVX-512, sixteen pixels at a time, packing short rows
// together, into either colour buffer; also sets the function that draws a
// batch of triangles.
BandFunction PickPackedBand(const Derived& derived, bool colour32, const char** name, bool* needsAllPlanes,
                            bool* needsLod, TrianglesFunction* triangles);

}  // namespace gfx::raster
