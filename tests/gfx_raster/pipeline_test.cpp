// pipeline_test.cpp — the per-pixel stages: texel decoding, filtering,
// wrapping, mipmap choice, fog, blending, dithering, depth and combine.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "blend.h"
#include "dither.h"
#include "fog.h"
#include "test_util.h"
#include "texture.h"
#include "write.h"

namespace gfx::testing {
namespace {

using raster::DerivedTexture;

struct DecodeCase {
  int format;
  uint16_t texel;
  uint32_t argb;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << "format " << c.format << ", texel 0x" << std::hex << c.texel << " -> 0x" << c.argb;
}
class TexelDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TexelDecode, EveryFormatToArgb) {
  DecodeCase c = GetParam();
  uint8_t memory[2] = {static_cast<uint8_t>(c.texel & 0xFF), static_cast<uint8_t>(c.texel >> 8)};
  uint32_t palette[256] = {};
  palette[0x5A] = 0x00123456u;
  palette[0x34] = 0xFF00FF80u;  // top byte ignored
  NccTable ncc;
  ncc.y[0xA] = 100;
  ncc.i[1][0] = 50;
  ncc.i[1][1] = -20;
  ncc.i[1][2] = -120;
  ncc.q[2][0] = 120;
  TextureState ts;
  ts.valid = true;
  ts.memory = memory;
  ts.memorySize = 2;
  ts.format = c.format;
  ts.largeLod = ts.smallLod = 8;
  DerivedTexture tex;
  raster::BuildTexture(ts, palette, ncc, &tex);
  ASSERT_TRUE(tex.enabled);
  EXPECT_EQ(raster::FetchTexel(tex, tex.levels[8], 0, 0), c.argb) << std::hex << c.argb;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TexelDecode,
    ::testing::Values(DecodeCase{0, 0xB6, 0xFFB6B6AAu},      // RGB_332 101 101 10
                      DecodeCase{1, 0xA6, 0xFFFF5000u},      // YIQ: y 100, i1 (+50,-20,-120), q2 (+120,0,0)
                      DecodeCase{2, 0x7F, 0x7F7F7F7Fu},      // ALPHA_8
                      DecodeCase{3, 0x7F, 0xFF7F7F7Fu},      // INTENSITY_8
                      DecodeCase{4, 0x3C, 0x33CCCCCCu},      // AI44
                      DecodeCase{5, 0x5A, 0xFF123456u},      // P_8
                      DecodeCase{8, 0x40B6, 0x40B6B6AAu},    // ARGB_8332
                      DecodeCase{9, 0x80A6, 0x80FF5000u},    // AYIQ_8422
                      DecodeCase{10, 0xF81F, 0xFFFF00FFu},   // RGB_565
                      DecodeCase{10, 0x07E0, 0xFF00FF00u},   //
                      DecodeCase{11, 0xFC00, 0xFFFF0000u},   // ARGB_1555
                      DecodeCase{11, 0x03E0, 0x0000FF00u},   //
                      DecodeCase{12, 0x8F30, 0x88FF3300u},   // ARGB_4444
                      DecodeCase{13, 0x20C0, 0x20C0C0C0u},   // AI88
                      DecodeCase{14, 0x9934, 0x9900FF80u}),  // AP_88
    [](const auto& info) {
      char name[32];
      std::snprintf(name, sizeof name, "Format%d_Texel%04X", info.param.format, info.param.texel);
      return std::string(name);
    });

// A textured quad covering the canvas with s, t in level-0 texels; w = 1.
void DrawTexturedQuad(Rasterizer& r, Canvas& canvas, float s0, float t0, float s1, float t1,
                      float oow = 1.0f) {
  float w = static_cast<float>(canvas.target.width), h = static_cast<float>(canvas.target.height);
  VertexIn a = V(0, 0, oow, s0 * oow, t0 * oow), b = V(w, 0, oow, s1 * oow, t0 * oow);
  VertexIn c = V(w, h, oow, s1 * oow, t1 * oow), d = V(0, h, oow, s0 * oow, t1 * oow);
  r.DrawTriangle(a, b, c, canvas.target);
  r.DrawTriangle(c, d, a, canvas.target);
}

// A 2x2 intensity texture (LOD 7, 0..256 spans it) with texels 0, 255 / 255, 0.
struct Checker {
  uint8_t texels[4] = {0, 255, 255, 0};
  RasterState State(int filter, int clamp) {
    RasterState st = DecalState();
    st.texture.valid = true;
    st.texture.memory = texels;
    st.texture.memorySize = 4;
    st.texture.format = 3;
    st.texture.largeLod = st.texture.smallLod = 7;
    st.texture.minFilter = st.texture.magFilter = filter;
    st.texture.sClamp = st.texture.tClamp = clamp;
    return st;
  }
};

TEST(Texture, PointSamplingKeepsTexelsBilinearBlendsThem) {
  Checker checker;
  Rasterizer r;
  Canvas point(16, 16), bilinear(16, 16);
  r.SetState(checker.State(0, 1));
  DrawTexturedQuad(r, point, 0, 0, 256, 256);
  r.SetState(checker.State(1, 1));
  DrawTexturedQuad(r, bilinear, 0, 0, 256, 256);
  // Point: two flat halves per axis.
  EXPECT_EQ(At(point, 3, 3), 0x0000);
  EXPECT_EQ(At(point, 12, 3), 0xFFFF);
  EXPECT_EQ(At(point, 3, 12), 0xFFFF);
  int distinct = 0;
  for (int x = 0; x < 16; ++x) distinct += At(bilinear, x, 3) != At(bilinear, 0, 3);
  EXPECT_GT(distinct, 4);
  // Pixel (7, 7): s = t = 120 -> texel 0.9375 - 0.5 = 0.4375: 4-bit weights 7/16.
  // Value = (0*9*9 + 255*7*9*2 + 0*7*7) >> 8 = 125.
  EXPECT_EQ(At(bilinear, 7, 7), To565(0xFF7D7D7Du));
}

TEST(Texture, WrapRepeatsClampHoldsTheEdge) {
  Checker checker;
  Rasterizer r;
  Canvas wrap(16, 16), clamp(16, 16);
  r.SetState(checker.State(0, 0));
  DrawTexturedQuad(r, wrap, 256, 0, 768, 512);  // two repeats each way
  r.SetState(checker.State(0, 1));
  DrawTexturedQuad(r, clamp, 256, 0, 768, 512);
  // Wrap: period of 8 pixels (4 per texel).
  EXPECT_EQ(At(wrap, 1, 1), 0x0000);
  EXPECT_EQ(At(wrap, 5, 1), 0xFFFF);
  EXPECT_EQ(At(wrap, 9, 1), 0x0000);
  // Clamp: s >= 256 is the last column everywhere.
  for (int x = 0; x < 16; ++x) EXPECT_EQ(At(clamp, x, 1), 0xFFFF) << x;
  EXPECT_EQ(At(clamp, 1, 14), 0x0000);
}

TEST(Texture, MipmapLevelFollowsTexelStepAndBias) {
  // Intensity texture 256..1 whose every level is a flat value 10 * lod.
  std::vector<uint8_t> memory;
  RasterState st = DecalState();
  for (int lod = 0; lod <= 8; ++lod) {
    st.texture.levelOffset[lod] = static_cast<uint32_t>(memory.size());
    memory.resize(memory.size() + (256 >> lod) * (256 >> lod), static_cast<uint8_t>(10 * lod + 8));
  }
  st.texture.valid = true;
  st.texture.memory = memory.data();
  st.texture.memorySize = static_cast<uint32_t>(memory.size());
  st.texture.format = 3;
  st.texture.largeLod = 0;
  st.texture.smallLod = 8;
  st.texture.mipmapMode = 1;
  auto levelDrawn = [&](float texelsPerPixel, float oow, int bias) {
    Rasterizer r;
    st.texture.lodBias = bias;
    r.SetState(st);
    Canvas canvas(16, 16);
    DrawTexturedQuad(r, canvas, 0, 0, 16 * texelsPerPixel, 16 * texelsPerPixel, oow);
    int value = (At(canvas, 8, 8) >> 5 & 63) << 2;  // green, 6 bits back to 8
    return (value - 8 + 5) / 10;
  };
  EXPECT_EQ(levelDrawn(1.0f, 1.0f, 0), 0);
  EXPECT_EQ(levelDrawn(0.25f, 1.0f, 0), 0);  // magnified: the largest level
  EXPECT_EQ(levelDrawn(4.0f, 1.0f, 0), 2);
  EXPECT_EQ(levelDrawn(5.0f, 1.0f, 0), 2);   // truncated, not rounded
  EXPECT_EQ(levelDrawn(16.0f, 0.5f, 0), 4);  // the step does not depend on w for a flat quad
  EXPECT_EQ(levelDrawn(4.0f, 1.0f, 4), 3);   // +1 level (4.2 fixed point)
  EXPECT_EQ(levelDrawn(4.0f, 1.0f, -8), 0);
  EXPECT_EQ(levelDrawn(1000.0f, 1.0f, 0), 8);
}

TEST(Fog, WFloatEncodingAndTableInterpolation) {
  EXPECT_EQ(raster::WFloat(1.0f), 0);
  EXPECT_EQ(raster::WFloat(-0.5f), 0);
  EXPECT_EQ(raster::WFloat(0.5f), 0x1000);   // w = 2
  EXPECT_EQ(raster::WFloat(0.25f), 0x2000);  // w = 4
  EXPECT_EQ(raster::WFloat(0.01f), 0x6B86);  // w = 100
  EXPECT_EQ(raster::WFloat(1e-6f), 0xFFFF);
  EXPECT_LT(raster::WFloat(0.3f), raster::WFloat(0.29f));

  raster::Derived d;
  for (int i = 0; i < 64; ++i) d.recorded.fogTable[i] = static_cast<uint8_t>(i * 4);
  d.fogTable = d.recorded.fogTable;
  raster::BuildFogDeltas(d.recorded.fogTable, d.fogDelta);
  EXPECT_EQ(raster::FogFromW(d, 0x1000), 16);        // entry 4 exactly
  EXPECT_EQ(raster::FogFromW(d, 0x1000 + 512), 18);  // halfway to entry 5
  EXPECT_EQ(raster::FogFromW(d, 0xFFFF), 252 + 0);   // last entry has no step
  int previous = 0;
  for (int wf = 0; wf < 0x10000; wf += 97) {
    int fog = raster::FogFromW(d, wf);
    ASSERT_GE(fog, previous) << wf;
    previous = fog;
  }
}

TEST(Fog, TableFogBlendsTowardsFogColourWithDistance) {
  uint8_t table[64];
  for (int i = 0; i < 64; ++i) table[i] = static_cast<uint8_t>(i * 4);
  RasterState st = FlatState(0xFF000000u);
  st.fog = FogState{2, 0x00FFFFFFu, table};
  Rasterizer r;
  r.SetState(st);
  Canvas near(4, 4), far(4, 4);
  auto quad = [&](Canvas& c, float oow) {
    r.DrawTriangle(V(0, 0, oow), V(4, 0, oow), V(4, 4, oow), c.target);
    r.DrawTriangle(V(4, 4, oow), V(0, 4, oow), V(0, 0, oow), c.target);
  };
  quad(near, 0.5f);  // fog 16: 255 * 17 / 256 = 16
  quad(far, 0.01f);  // wf 0x6B86: entry 26 (104) + (16 * 225 >> 10) = 107
  EXPECT_EQ(At(near, 1, 1), To565(0xFF101010u));
  EXPECT_EQ(At(far, 1, 1), To565(0xFF6B6B6Bu));
}

struct BlendCase {
  int source, destination;
  uint32_t src;  // ARGB
  uint16_t dst;
  uint32_t expected;  // RGB
};
void PrintTo(const BlendCase& c, std::ostream* os) {
  *os << "factors " << c.source << "/" << c.destination << std::hex << ", src 0x" << c.src << ", dst 0x"
      << c.dst;
}
class Blending : public ::testing::TestWithParam<BlendCase> {};

TEST_P(Blending, FactorsOverTheRgb565Destination) {
  BlendCase c = GetParam();
  RasterState st = FlatState(c.src);
  st.blend = BlendState{c.source, c.destination, 4, 0};
  Rasterizer r;
  r.SetState(st);
  Canvas canvas(4, 4, c.dst);
  r.DrawTriangle(V(0, 0), V(4, 0), V(4, 4), canvas.target);
  EXPECT_EQ(At(canvas, 3, 1), To565(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Factors, Blending,
    ::testing::Values(BlendCase{1, 5, 0x80FF0000u, 0x001F, 0x80007Fu},  // 255*129>>8=128, 255*128>>8=127
                      BlendCase{4, 4, 0xFF400000u, 0x8000, 0xC00000u},  // add, clamps at 255 per channel
                      BlendCase{0, 4, 0xFFFFFFFFu, 0x07E0, 0x00FF00u},  // keep destination
                      BlendCase{2, 0, 0xFF808080u, 0xFFFF, 0x808080u},  // source times destination colour
                      BlendCase{4, 6, 0xFF000000u, 0xF800, 0xFF0000u},  // destination times 1 - source colour
                      BlendCase{0, 2, 0xFF808080u, 0xFFFF, 0x808080u}),  // destination times source colour
    [](const auto& info) {
      return "Source" + std::to_string(info.param.source) + "_Destination" +
             std::to_string(info.param.destination);
    });

TEST(Dither, OffTruncatesFourByFourSpreadsTheError) {
  EXPECT_EQ(raster::Dither565(0x87, 0x87, 0x87, 0, 0, 0), To565(0xFF878787u));
  // A flat 0x84 red dithered over a 4x4 block averages close to 0x84 / 8 = 16.5 levels.
  int sum = 0;
  bool differs = false;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      uint16_t v = raster::Dither565(0x84, 0, 0, x, y, 2);
      sum += v >> 11;
      differs |= v != raster::Dither565(0x84, 0, 0, 0, 0, 2);
    }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / 16.0, 0x84 * 31 / 255.0, 0.5);
  // Full white and black stay exact in every mode.
  for (int mode = 0; mode < 3; ++mode)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(raster::Dither565(255, 255, 255, x, y, mode), 0xFFFF);
        EXPECT_EQ(raster::Dither565(0, 0, 0, x, y, mode), 0);
      }
}

class DepthOrder : public ::testing::TestWithParam<int> {};

TEST_P(DepthOrder, NearerWinsInEitherDrawingOrder) {
  const int mode = GetParam();  // 1 z-buffer, 2 w-buffer
  auto draw = [&](bool nearFirst) {
    Canvas canvas(8, 8, 0, mode == 2 ? 0xFFFF : 0x0000);
    Rasterizer r;
    RasterState nearState = FlatState(0xFFFF0000u), farState = FlatState(0xFF0000FFu);
    for (RasterState* st : {&nearState, &farState}) st->depth = DepthState{mode, mode == 2 ? 1 : 4, true, 0};
    auto quad = [&](const RasterState& st, float oow, float ooz) {
      r.SetState(st);
      VertexIn a = V(0, 0, oow), b = V(8, 0, oow), c = V(8, 8, oow), d = V(0, 8, oow);
      for (VertexIn* v : {&a, &b, &c, &d}) v->ooz = ooz;
      r.DrawTriangle(a, b, c, canvas.target);
      r.DrawTriangle(c, d, a, canvas.target);
    };
    if (nearFirst) {
      quad(nearState, 0.5f, 40000.0f);
      quad(farState, 0.1f, 2000.0f);
    } else {
      quad(farState, 0.1f, 2000.0f);
      quad(nearState, 0.5f, 40000.0f);
    }
    return canvas.colour;
  };
  std::vector<uint16_t> expected(64, 0xF800);
  EXPECT_EQ(draw(true), expected);
  EXPECT_EQ(draw(false), expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, DepthOrder, ::testing::Values(1, 2), [](const auto& info) {
  return std::string(info.param == 1 ? "ZBuffer" : "WBuffer");
});

TEST(Depth, CompareFunctionsMaskAndBias) {
  struct Case {
    int function;
    bool passes;  // new 0x1000 against stored 0x1000 + 1
  } cases[] = {{0, false}, {1, true}, {2, false}, {3, true}, {4, false}, {5, true}, {6, false}, {7, true}};
  for (const Case& c : cases) {
    for (bool mask : {false, true}) {
      Canvas canvas(4, 4, 0, 0x1001);
      Rasterizer r;
      RasterState st = FlatState(0xFFFFFFFFu);
      st.depth = DepthState{2, c.function, mask, 0};
      r.SetState(st);
      r.DrawTriangle(V(0, 0, 0.5f), V(4, 0, 0.5f), V(4, 4, 0.5f), canvas.target);  // wf 0x1000
      EXPECT_EQ(At(canvas, 3, 1), c.passes ? 0xFFFF : 0) << c.function;
      EXPECT_EQ(canvas.depth[1 * 4 + 3], c.passes && mask ? 0x1000 : 0x1001) << c.function;
    }
  }
  // Bias moves the written value.
  Canvas canvas(4, 4, 0, 0xFFFF);
  Rasterizer r;
  RasterState st = FlatState(0xFFFFFFFFu);
  st.depth = DepthState{2, 7, true, -16};
  r.SetState(st);
  r.DrawTriangle(V(0, 0, 0.5f), V(4, 0, 0.5f), V(4, 4, 0.5f), canvas.target);
  EXPECT_EQ(canvas.depth[1 * 4 + 3], 0x1000 - 16);
}

TEST(Combine, GouraudModulateAndAlphaTest) {
  // Colour = texture * iterated (TEXTURE_TIMES_ITRGB), alpha test GREATER 0x80 on iterated alpha.
  uint8_t texel = 200;
  RasterState st = DecalState();
  st.colour = CombineUnit{3, 1, 0, 1, false};
  st.alpha = CombineUnit{1, 0, 0, 0, false};
  st.alphaTestFunction = 4;
  st.alphaReference = 0x80;
  st.texture.valid = true;
  st.texture.memory = &texel;
  st.texture.memorySize = 1;
  st.texture.format = 3;
  st.texture.largeLod = st.texture.smallLod = 8;
  Rasterizer r;
  r.SetState(st);
  Canvas canvas(8, 8);
  VertexIn a = V(0, 0), b = V(8, 0), c = V(8, 8), d = V(0, 8);
  for (VertexIn* v : {&a, &b, &c, &d}) {
    v->r = 100;
    v->g = 255;
    v->b = 0;
  }
  a.a = b.a = 255;  // top row opaque, bottom transparent
  c.a = d.a = 0;
  r.DrawTriangle(a, b, c, canvas.target);
  r.DrawTriangle(c, d, a, canvas.target);
  // 200 * (100 + 1) >> 8 = 78; 200 * 256 >> 8 = 200; 0.
  EXPECT_EQ(At(canvas, 4, 0), To565(0xFF4EC800u));
  EXPECT_EQ(At(canvas, 4, 7), 0);
  EXPECT_GT(r.Counters().alphaFailed, 0u);
}

TEST(Combine, ChromaKeyDropsMatchingTexels) {
  uint8_t texels[2] = {0xE0, 0x1C};  // RGB_332 red, green
  RasterState st = DecalState();
  st.texture.valid = true;
  st.texture.memory = texels;
  st.texture.memorySize = 2;
  st.texture.format = 0;
  st.texture.largeLod = st.texture.smallLod = 7;  // 2 x 1 at aspect 2:1
  st.texture.aspect = 2;
  st.chromaKey = true;
  st.chromaKeyValue = 0xFFFF0000u;
  Rasterizer r;
  r.SetState(st);
  Canvas canvas(8, 8, 0x1234);
  DrawTexturedQuad(r, canvas, 0, 0, 256, 128);
  EXPECT_EQ(At(canvas, 1, 1), 0x1234);
  EXPECT_EQ(At(canvas, 6, 1), To565(0xFF00FF00u));
  EXPECT_EQ(r.Counters().chromaFailed, 32u);
}

TEST(Clear, FillsTheClipWindowAndAuxBuffer) {
  Canvas canvas(8, 8, 0x1111, 0x2222);
  Rasterizer r;
  RasterState st = FlatState(0);
  st.clipMinX = 2;
  st.clipMaxX = 6;
  st.clipMinY = 1;
  st.clipMaxY = 3;
  r.SetState(st);
  r.Clear(canvas.target, 0xFF00FF00u, 0, 0xABCD, true, true, true);
  EXPECT_EQ(At(canvas, 2, 1), 0x07E0);
  EXPECT_EQ(At(canvas, 1, 1), 0x1111);
  EXPECT_EQ(At(canvas, 5, 3), 0x1111);
  EXPECT_EQ(canvas.depth[2 * 8 + 5], 0xABCD);
  EXPECT_EQ(canvas.depth[0], 0x2222);
}

}  // namespace
}  // namespace gfx::testing
