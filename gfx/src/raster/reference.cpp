// reference.cpp — the generic span: every state, one pixel at a time, each
// stage called in pipeline order. Fast spans must match it bit for bit.
#include "blend.h"
#include "combine.h"
#include "dither.h"
#include "fog.h"
#include "pipeline.h"
#include "setup.h"
#include "texture.h"
#include "write.h"

namespace gfx::raster {

namespace {

int IteratedChannel(float v) {
  return Clamp255(FloorClamped(MinPs(MaxPs(v, -1.0f), 256.0f)));
}

// The destination colour and the colour write of the two buffer layouts:
// RGB565 with the state's dither, or 8 bits a channel as computed.
Rgba Destination(uint16_t pixel) {
  return Expand565(pixel);
}
Rgba Destination(uint32_t pixel) {
  return Expand8888(pixel);
}
void Store(uint16_t* at, const Rgba& colour, int x, int y, int ditherMode) {
  *at = Dither565(colour.r, colour.g, colour.b, x, y, ditherMode);
}
void Store(uint32_t* at, const Rgba& colour, int, int, int) {
  *at = Pack8888(colour.r, colour.g, colour.b);
}

template <class Pixel>
Pixel* ColourRow(const Framebuffer& fb, int y) {
  Pixel* base;
  if constexpr (sizeof(Pixel) == 4)
    base = fb.colour32;
  else
    base = fb.colour;
  return base + static_cast<ptrdiff_t>(y) * fb.stride;
}

template <class Pixel>
void ReferenceSpanOf(const SpanContext& ctx, int y, int x0, int x1) {
  const Derived& d = *ctx.derived;
  const RasterState& st = d.state;
  const TriangleSetup& tri = *ctx.tri;
  const Framebuffer& fb = *ctx.target;
  RasterCounters& counters = *ctx.counters;

  int rowOffset = y - tri.refY;
  float wRow = tri.w.RowBase(rowOffset), sRow = tri.s.RowBase(rowOffset), tRow = tri.t.RowBase(rowOffset);
  float twRow = tri.tw.RowBase(rowOffset);
  float zRow = tri.z.RowBase(rowOffset);
  float rRow = tri.r.RowBase(rowOffset), gRow = tri.g.RowBase(rowOffset), bRow = tri.b.RowBase(rowOffset);
  float aRow = tri.a.RowBase(rowOffset);
  Pixel* colourRow = ColourRow<Pixel>(fb, y);
  uint16_t* auxRow = fb.depth ? fb.depth + static_cast<ptrdiff_t>(y) * fb.stride : nullptr;
  const int depthMode = st.depth.mode;
  const bool depthOn = d.depthEnabled && auxRow != nullptr;

  for (int x = x0; x < x1; ++x) {
    ++counters.pixelsIn;
    float dx = static_cast<float>(x - tri.refX);
    float w = wRow + tri.w.dx * dx;
    float z = zRow + tri.z.dx * dx;
    int wFloat = WFloat(w);
    int zValue = ZValue(z);

    // Depth test.
    int depth = 0;
    if (depthOn) {
      depth = DepthValue(depthMode, wFloat, zValue, st.depth.bias);
      // "New OP stored"; the compare-to-bias modes put the bias level in
      // the new value's place and still write the pixel's own depth.
      const bool toBias = depthMode >= GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS;
      const int compared = toBias ? static_cast<uint16_t>(st.depth.bias) : depth;
      if (!Compare(st.depth.function, compared, auxRow[x])) {
        ++counters.depthFailed;
        continue;
      }
    }

    // Texture fetch, filter and the TMU's combine.
    uint32_t tmuOut = 0;
    if (d.texture.enabled) {
      float s = sRow + tri.s.dx * dx, t = tRow + tri.t.dx * dx;
      float textureW = st.textureWFromTmu ? twRow + tri.tw.dx * dx : w;
      TexelSample texel = SampleTexture(d.texture, s, t, textureW, tri.lodBase88);
      tmuOut = TextureCombineUnit(st.textureCombine, d.texture, texel);
    }

    // Colour and alpha combine, chroma key, alpha test.
    CombineInput in;
    in.iterated = Rgba{IteratedChannel(rRow + tri.r.dx * dx), IteratedChannel(gRow + tri.g.dx * dx),
                       IteratedChannel(bRow + tri.b.dx * dx), IteratedChannel(aRow + tri.a.dx * dx)};
    in.texture = tmuOut;
    in.constant = st.constantColour;
    in.depthByte = zValue >> 8;
    CombineOutput combined = ColourAlphaCombine(st, in);
    if (ChromaKeyed(st, combined.other)) {
      ++counters.chromaFailed;
      continue;
    }
    Rgba colour = combined.colour;
    if (!Compare(st.alphaTestFunction, colour.a, st.alphaReference)) {
      ++counters.alphaFailed;
      continue;
    }

    // Fog.
    Rgba prefog = colour;
    int fog = FogFactor(d, wFloat, in.iterated.a, in.depthByte);
    if (fog >= 0) ApplyFog(d, fog, &colour);

    // Blend over the destination.
    if (d.blendEnabled) {
      Rgba dst = Destination(colourRow[x]);
      if (d.alphaBuffer && auxRow) dst.a = auxRow[x] & 0xFF;  // else 255
      colour = Blend(st.blend, colour, prefog, dst);
    }

    // Dither and write.
    if (st.rgbWriteMask) Store(colourRow + x, colour, x, y, st.ditherMode);
    if (auxRow) {
      if (depthOn && st.depth.writeMask) auxRow[x] = static_cast<uint16_t>(depth);
      if (d.alphaBuffer) auxRow[x] = static_cast<uint16_t>(colour.a);
    }
    ++counters.pixelsWritten;
  }
}

}  // namespace

void ReferenceSpan(const SpanContext& ctx, int y, int x0, int x1) {
  ReferenceSpanOf<uint16_t>(ctx, y, x0, x1);
}

void ReferenceSpan32(const SpanContext& ctx, int y, int x0, int x1) {
  ReferenceSpanOf<uint32_t>(ctx, y, x0, x1);
}

void ReferenceLfbPixel(const Derived& d, const Framebuffer& fb, const LfbPixel& pixel,
                       RasterCounters* counters) {
  const RasterState& st = d.state;
  const int x = pixel.x, y = pixel.y;
  const ptrdiff_t at = static_cast<ptrdiff_t>(y) * fb.stride + x;
  uint16_t* colourAt = fb.colour32 ? nullptr : fb.colour + at;
  uint32_t* colourAt32 = fb.colour32 ? fb.colour32 + at : nullptr;
  uint16_t* auxAt = fb.depth ? fb.depth + static_cast<ptrdiff_t>(y) * fb.stride + x : nullptr;
  ++counters->pixelsIn;
  const int depth = pixel.depth;
  const bool depthOn = d.depthEnabled && auxAt != nullptr;
  if (depthOn) {
    const bool toBias = st.depth.mode >= GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS;
    const int compared = toBias ? static_cast<uint16_t>(st.depth.bias) : depth;
    if (!Compare(st.depth.function, compared, *auxAt)) {
      ++counters->depthFailed;
      return;
    }
  }
  Rgba colour{static_cast<int>((pixel.argb >> 16) & 0xFF), static_cast<int>((pixel.argb >> 8) & 0xFF),
              static_cast<int>(pixel.argb & 0xFF), static_cast<int>(pixel.argb >> 24)};
  if (ChromaKeyed(st, colour)) {
    ++counters->chromaFailed;
    return;
  }
  if (!Compare(st.alphaTestFunction, colour.a, st.alphaReference)) {
    ++counters->alphaFailed;
    return;
  }
  const Rgba prefog = colour;
  const int fog = FogFactor(d, depth, colour.a, depth >> 8);
  if (fog >= 0) ApplyFog(d, fog, &colour);
  if (d.blendEnabled) {
    Rgba dst = colourAt32 ? Expand8888(*colourAt32) : Expand565(*colourAt);
    if (d.alphaBuffer && auxAt) dst.a = *auxAt & 0xFF;
    colour = Blend(st.blend, colour, prefog, dst);
  }
  if (st.rgbWriteMask) {
    if (colourAt32)
      Store(colourAt32, colour, x, y, st.ditherMode);
    else
      Store(colourAt, colour, x, y, st.ditherMode);
  }
  if (auxAt) {
    if (depthOn && st.depth.writeMask) *auxAt = static_cast<uint16_t>(depth);
    if (d.alphaBuffer) *auxAt = static_cast<uint16_t>(colour.a);
  }
  ++counters->pixelsWritten;
}

}  // namespace gfx::raster
