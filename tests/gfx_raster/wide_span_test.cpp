// wide_span_test.cpp — the fast spans (every width) against the reference
// for every texture format, aspect ratio and wrap/clamp mix in each fast
// state, and decoded textures never outliving the texels they came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "pipeline.h"
#include "test_util.h"

namespace gfx::testing {
namespace {

using Simd = gfx::Rasterizer::Simd;

uint32_t Next(uint32_t* state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 8;
}

// The three kinds of state the fast spans draw.
enum class Shape { FoggedBlendedFloor, Mesh, DitheredMipmappedBodies };

struct Texture {
  std::vector<uint8_t> memory;
  uint32_t palette[256] = {};
  NccTable ncc;
};

// A texture of the format and aspect with random texels in every level from
// 64 texels on the long side down to 1.
RasterState MakeState(Shape shape, int format, int aspect, bool sClamp, bool tClamp, uint32_t seed,
                      Texture* texture) {
  RasterState st = DecalState();
  TextureState& t = st.texture;
  t.valid = true;
  t.format = format;
  t.aspect = aspect;
  t.largeLod = 2;
  t.smallLod = 8;
  t.sClamp = sClamp;
  t.tClamp = tClamp;
  t.minFilter = t.magFilter = 1;
  t.mipmapMode = shape == Shape::DitheredMipmappedBodies ? 1 : 0;
  t.contentVersion = seed;
  const int bytes = format >= 8 ? 2 : 1;
  const int ratioLog2 = aspect < 3 ? 3 - aspect : aspect - 3;
  for (int lod = t.largeLod; lod <= t.smallLod; ++lod) {
    const int longLog2 = 8 - lod, shortLog2 = longLog2 > ratioLog2 ? longLog2 - ratioLog2 : 0;
    t.levelOffset[lod] = static_cast<uint32_t>(texture->memory.size());
    texture->memory.resize(texture->memory.size() + (size_t{1} << (longLog2 + shortLog2)) * bytes);
  }
  for (uint8_t& b : texture->memory) b = static_cast<uint8_t>(Next(&seed));
  for (uint32_t& p : texture->palette) p = Next(&seed);
  for (uint8_t& y : texture->ncc.y) y = static_cast<uint8_t>(Next(&seed));
  for (auto* table : {&texture->ncc.i, &texture->ncc.q})
    for (auto& row : *table)
      for (int16_t& v : row) v = static_cast<int16_t>(static_cast<int>(Next(&seed) % 512) - 256);
  t.memory = texture->memory.data();
  t.memorySize = static_cast<uint32_t>(texture->memory.size());
  t.palette = texture->palette;
  t.ncc = &texture->ncc;

  st.depth = DepthState{2, shape == Shape::FoggedBlendedFloor ? 7 : 1, true, 0};
  if (shape == Shape::FoggedBlendedFloor) {
    // Rising entries between entries of 255: from a 255 the step to the
    // next entry wraps, so the interpolated factor passes 255 and is capped.
    static uint8_t fogTable[64];
    for (int i = 0; i < 64; ++i) fogTable[i] = static_cast<uint8_t>(i % 2 != 0 ? 255 : 190 + i);
    st.fog = FogState{2, 0x00405080u, fogTable};
    st.alpha = CombineUnit{1, 0, 1, 2, false};  // alpha = the constant's
    st.constantColour = 0x9A000000u;
    st.blend = BlendState{1, 5, 0, 0};
  }
  st.ditherMode = shape == Shape::DitheredMipmappedBodies ? 2 : 0;
  return st;
}

// Perspective triangles with texture coordinates well past the texture on
// both sides, some with a vertex behind the eye and some tiny.
std::vector<VertexIn> Triangles(uint32_t seed) {
  std::vector<VertexIn> out;
  auto coordinate = [&](int range) { return static_cast<float>(Next(&seed) % (range * 16)) / 16.0f - 8.0f; };
  for (int i = 0; i < 24; ++i) {
    const float size = i % 4 == 0 ? 3.0f : 90.0f;
    const float cx = coordinate(100), cy = coordinate(80);
    for (int k = 0; k < 3; ++k) {
      float oow = 0.05f + static_cast<float>(Next(&seed) % 1000) / 400.0f;
      if (i == 5 && k == 1) oow = -0.3f;
      const float s = (static_cast<float>(Next(&seed) % 2000) - 700.0f) / 4.0f;
      const float t = (static_cast<float>(Next(&seed) % 2000) - 700.0f) / 4.0f;
      VertexIn v = V(cx + size * static_cast<float>(static_cast<int>(Next(&seed) % 200) - 100) / 100.0f,
                     cy + size * static_cast<float>(static_cast<int>(Next(&seed) % 200) - 100) / 100.0f, oow,
                     s * oow, t * oow);
      out.push_back(v);
    }
  }
  return out;
}

// Draws the triangles with r over a patterned start picture, deferred until
// the Finish at the end as the library draws.
Canvas DrawWith(gfx::Rasterizer& r, const RasterState& st, const std::vector<VertexIn>& triangles) {
  Canvas canvas(104, 84, 0x1234, 0xC000);
  for (size_t i = 0; i < canvas.colour.size(); ++i) canvas.colour[i] = static_cast<uint16_t>(i * 40503u);
  r.SetState(st);
  for (size_t i = 0; i + 2 < triangles.size(); i += 3)
    r.DrawTriangle(triangles[i], triangles[i + 1], triangles[i + 2], canvas.target);
  r.Finish();
  return canvas;
}

Canvas Draw(const RasterState& st, const std::vector<VertexIn>& triangles, bool reference, Simd simd) {
  Rasterizer r;
  r.SetReferenceOnly(reference);
  r.SetSimd(simd);
  return DrawWith(r, st, triangles);
}

constexpr int kFormats[] = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 14};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));
constexpr const char* kShapeNames[] = {"FoggedBlendedFloor", "Mesh", "DitheredMipmappedBodies"};

// One shape and texture format per case, every aspect ratio and wrap/clamp
// mix inside it, so the cases spread over the test runner's jobs.
class EveryFormat : public ::testing::TestWithParam<std::tuple<Shape, int>> {};

TEST_P(EveryFormat, EveryAspectAndClampDrawsTheReferencePicture) {
  const auto [shape, formatIndex] = GetParam();
  const int format = kFormats[formatIndex];
  // The seeds run on across all cases in table order, one per combination.
  uint32_t seed = 7 + static_cast<uint32_t>((static_cast<int>(shape) * kFormatCount + formatIndex) * 7 * 4);
  for (int aspect = 0; aspect <= 6; ++aspect)
    for (int clamps = 0; clamps < 4; ++clamps) {
      Texture texture;
      const RasterState st = MakeState(shape, format, aspect, clamps & 1, clamps & 2, ++seed, &texture);
      const std::vector<VertexIn> triangles = Triangles(seed);
      const Canvas reference = Draw(st, triangles, true, Simd::kAvx2);
      for (Simd simd : {Simd::kSse2, Simd::kAvx2, Simd::kAvx512}) {
        const Canvas fast = Draw(st, triangles, false, simd);
        SCOPED_TRACE(::testing::Message()
                     << "aspect " << aspect << " clamps " << clamps << " simd " << static_cast<int>(simd));
        ASSERT_EQ(fast.colour, reference.colour);
        ASSERT_EQ(fast.depth, reference.depth);
      }
      // Every combination is drawn by a fast span on a processor with AVX2.
      if (raster::BestSimd() >= Simd::kAvx2) {
        Rasterizer probe;
        probe.SetState(st);
        EXPECT_STRNE(probe.SpanName(), "reference") << "aspect " << aspect << " clamps " << clamps;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(WideSpans, EveryFormat,
                         ::testing::Combine(::testing::Values(Shape::FoggedBlendedFloor, Shape::Mesh,
                                                              Shape::DitheredMipmappedBodies),
                                            ::testing::Range(0, kFormatCount)),
                         [](const ::testing::TestParamInfo<EveryFormat::ParamType>& info) {
                           return std::string(kShapeNames[static_cast<int>(std::get<0>(info.param))]) +
                                  "_Format" + std::to_string(kFormats[std::get<1>(info.param)]);
                         });

// The sixteen-lane spans pack the rows of a triangle into shared batches:
// hundreds of small triangles (one-pixel rows, slivers, corners hanging over
// every edge of the canvas, batches ending mid-row; some facing the eye, with
// one W all over) and long slivers from far away draw the reference's pixels
// and count the same pixels in and failed.
TEST(WideSpans, SmallTrianglesPackedIntoBatchesDrawTheReferencePicture) {
  uint32_t seed = 99;
  std::vector<VertexIn> triangles;
  auto coordinate = [&](int range) { return static_cast<float>(Next(&seed) % (range * 16)) / 16.0f - 4.0f; };
  for (int i = 0; i < 600; ++i) {
    const float size = 0.5f + static_cast<float>(i % 12);
    const float cx = coordinate(112), cy = coordinate(92);
    const float flatOow = 0.2f + static_cast<float>(i % 7) * 0.3f;
    for (int k = 0; k < 3; ++k) {
      // Every third triangle faces the eye: the same W at each corner.
      const float oow = i % 3 == 0 ? flatOow : 0.2f + static_cast<float>(Next(&seed) % 1000) / 500.0f;
      const float s = static_cast<float>(Next(&seed) % 512), t = static_cast<float>(Next(&seed) % 512);
      triangles.push_back(
          V(cx + size * static_cast<float>(static_cast<int>(Next(&seed) % 200) - 100) / 100.0f,
            cy + size * static_cast<float>(static_cast<int>(Next(&seed) % 200) - 100) / 100.0f, oow, s * oow,
            t * oow));
    }
  }
  // Long slivers reaching far off the canvas, with vertices on both sides of
  // the distance where row spans are worked out in doubles rather than
  // stepped edge by edge.
  for (float far : {5.0e4f, 1.04e6f, 1.06e6f, 3.0e6f, 1.5e7f})
    for (int i = 0; i < 6; ++i) {
      const float side = i % 2 ? far : -far, oow = 0.5f;
      triangles.push_back(V(side, 20.0f + static_cast<float>(i) * 9.0f, oow, 3.0f, 5.0f));
      triangles.push_back(V(60.0f, side * 0.25f + 40.0f, oow, 90.0f, 40.0f));
      triangles.push_back(V(61.5f + static_cast<float>(i), 43.0f, oow, 20.0f, 200.0f));
    }
  for (Shape shape : {Shape::FoggedBlendedFloor, Shape::Mesh, Shape::DitheredMipmappedBodies}) {
    Texture texture;
    const RasterState st = MakeState(shape, 10, 3, false, true, ++seed, &texture);
    Rasterizer reference;
    reference.SetReferenceOnly(true);
    const Canvas expected = DrawWith(reference, st, triangles);
    for (Simd simd : {Simd::kAvx2, Simd::kAvx512}) {
      Rasterizer fast;
      fast.SetSimd(simd);
      const Canvas drawn = DrawWith(fast, st, triangles);
      SCOPED_TRACE(::testing::Message() << "shape " << static_cast<int>(shape) << " simd "
                                        << static_cast<int>(simd) << " span " << fast.SpanName());
      EXPECT_EQ(drawn.colour, expected.colour);
      EXPECT_EQ(drawn.depth, expected.depth);
      EXPECT_EQ(fast.Counters().pixelsIn, reference.Counters().pixelsIn);
      EXPECT_EQ(fast.Counters().depthFailed, reference.Counters().depthFailed);
    }
  }
}

// The triangles in each fast state, with a 16-bit texture of the aspect that
// wraps along s and wraps or clamps along t: the same colour and depth in
// every width as the reference.
void ExpectEveryWidthToDrawTheReference(const std::vector<VertexIn>& triangles, int aspect, bool tClamp,
                                        uint32_t seed) {
  for (Shape shape : {Shape::FoggedBlendedFloor, Shape::Mesh, Shape::DitheredMipmappedBodies}) {
    Texture texture;
    const RasterState st = MakeState(shape, 10, aspect, false, tClamp, seed, &texture);
    const Canvas expected = Draw(st, triangles, true, Simd::kAvx2);
    for (Simd simd : {Simd::kSse2, Simd::kAvx2, Simd::kAvx512}) {
      const Canvas drawn = Draw(st, triangles, false, simd);
      SCOPED_TRACE(::testing::Message()
                   << "shape " << static_cast<int>(shape) << " simd " << static_cast<int>(simd));
      EXPECT_EQ(drawn.colour, expected.colour);
      EXPECT_EQ(drawn.depth, expected.depth);
    }
  }
}

// Depth values over the whole range of W, in every width: past the far end
// (0xFFFF), every one of the sixteen steps of the floating-point depth, and
// at or nearer than the eye (0, negative W among them). The floor state
// writes whatever it draws, so the depth buffer shows each value; the other
// states test against it.
TEST(WideSpans, DepthValuesOverTheWholeRangeOfWDrawTheReferencePicture) {
  const float oows[][3] = {{1.0e-7f, 2.0e-5f, 0.6f},   {0x1p-17f, 0x1p-15f, 0x1p-14f},
                           {0x1p-16f, 0x1p-4f, 0.99f}, {0.9f, 1.0f, 1.5f},
                           {-0.2f, 0.3f, 1.0e-6f},     {3.0e-3f, 0x1p-12f, 0x1.fffffep-1f}};
  std::vector<VertexIn> triangles;
  for (int i = 0; i < 6; ++i) {
    const float x0 = static_cast<float>(i) * 17.0f;
    const float* w = oows[i];
    triangles.push_back(V(x0, -2.0f, w[0], 40.0f * w[0], 7.0f * w[0]));
    triangles.push_back(V(x0 + 19.0f, 30.0f, w[1], 9.0f * w[1], 60.0f * w[1]));
    triangles.push_back(V(x0 + 2.0f, 86.0f, w[2], 80.0f * w[2], 20.0f * w[2]));
  }
  ExpectEveryWidthToDrawTheReference(triangles, 3, false, 5);
}

// Triangles parallel to the screen, one W over the whole of each, a level
// apart from the largest to past the smallest and with W zero or negative
// (which do not count as parallel): W, its depth value and level are then
// worked out once per triangle, and the picture must not change for it.
TEST(WideSpans, TrianglesParallelToTheScreenDrawTheReferencePicture) {
  const float oows[] = {4.0f, 1.0f, 0.3f, 0x1p-4f, 0x1p-9f, 1.0e-7f, 0.0f, -0.5f};
  std::vector<VertexIn> triangles;
  for (int i = 0; i < 8; ++i) {
    const float x0 = static_cast<float>(i % 4) * 26.0f - 3.0f, y0 = static_cast<float>(i / 4) * 42.0f - 2.0f;
    const float w = oows[i], texels = w * static_cast<float>(2 << i);  // a level apart
    triangles.push_back(V(x0, y0, w, 3.0f * texels, -5.0f * texels));
    triangles.push_back(V(x0 + 31.0f, y0 + 7.0f, w, 70.0f * texels, 11.0f * texels));
    triangles.push_back(V(x0 + 5.0f, y0 + 45.0f, w, 20.0f * texels, 95.0f * texels));
  }
  ExpectEveryWidthToDrawTheReference(triangles, 2, true, 9);
}

// With the texture unit's own W (the STW hint) the texture divides by
// another plane than depth and fog: every width draws the reference picture.
TEST(WideSpans, WithTheTextureUnitsOwnWTheFastStatesDrawAsTheReference) {
  std::vector<VertexIn> triangles = Triangles(17);
  for (size_t i = 0; i < triangles.size(); ++i)
    triangles[i].oow0 = triangles[i].oow * (0.5f + 0.1f * (i % 5));
  for (Shape shape : {Shape::FoggedBlendedFloor, Shape::Mesh, Shape::DitheredMipmappedBodies}) {
    Texture texture;
    RasterState st = MakeState(shape, 10, 3, false, true, 23, &texture);
    st.textureWFromTmu = true;
    const Canvas expected = Draw(st, triangles, true, Simd::kAvx2);
    st.textureWFromTmu = false;
    const Canvas withoutHint = Draw(st, triangles, true, Simd::kAvx2);
    EXPECT_NE(expected.colour, withoutHint.colour) << "the hint changes nothing here";
    st.textureWFromTmu = true;
    for (Simd simd : {Simd::kSse2, Simd::kAvx2, Simd::kAvx512}) {
      const Canvas drawn = Draw(st, triangles, false, simd);
      EXPECT_EQ(drawn.colour, expected.colour)
          << "shape " << static_cast<int>(shape) << " simd " << static_cast<int>(simd);
      EXPECT_EQ(drawn.depth, expected.depth);
    }
  }
}

// Without an aux buffer there is no depth to test or write: every width
// hands its rows to the reference.
TEST(WideSpans, WithoutAnAuxBufferTheFastStatesDrawAsTheReference) {
  const std::vector<VertexIn> triangles = Triangles(21);
  for (Shape shape : {Shape::FoggedBlendedFloor, Shape::Mesh, Shape::DitheredMipmappedBodies}) {
    Texture texture;
    const RasterState st = MakeState(shape, 5, 3, false, false, 31, &texture);
    auto draw = [&](bool reference, Simd simd) {
      Rasterizer r;
      r.SetReferenceOnly(reference);
      r.SetSimd(simd);
      Canvas canvas(104, 84, 0x1234, 0xC000);
      canvas.target.depth = nullptr;
      r.SetState(st);
      for (size_t i = 0; i + 2 < triangles.size(); i += 3)
        r.DrawTriangle(triangles[i], triangles[i + 1], triangles[i + 2], canvas.target);
      r.Finish();
      return canvas.colour;
    };
    const std::vector<uint16_t> expected = draw(true, Simd::kSse2);
    for (Simd simd : {Simd::kSse2, Simd::kAvx2, Simd::kAvx512})
      EXPECT_EQ(draw(false, simd), expected)
          << "shape " << static_cast<int>(shape) << " simd " << static_cast<int>(simd);
  }
}

// New texels under the same state and address (a download) are drawn once
// the owner changes the content version; a new palette needs no new version.
TEST(WideSpans, DecodedTexturesFollowTheTexelsAndThePalette) {
  Texture texture, other;
  RasterState st = MakeState(Shape::Mesh, 5, 3, false, false, 11, &texture);
  const RasterState second = MakeState(Shape::Mesh, 5, 3, false, false, 12, &other);
  const std::vector<VertexIn> triangles = Triangles(3);
  Rasterizer r;  // the widest spans
  DrawWith(r, st, triangles);
  // Switching textures back and forth, as a program does per object.
  EXPECT_EQ(DrawWith(r, second, triangles).colour, Draw(second, triangles, true, Simd::kSse2).colour);
  EXPECT_EQ(DrawWith(r, st, triangles).colour, Draw(st, triangles, true, Simd::kSse2).colour);

  for (uint8_t& b : texture.memory) b = static_cast<uint8_t>(b * 7 + 1);
  st.texture.contentVersion += 1;
  EXPECT_EQ(DrawWith(r, st, triangles).colour, Draw(st, triangles, true, Simd::kSse2).colour);

  for (uint32_t& p : texture.palette) p = ~p;
  EXPECT_EQ(DrawWith(r, st, triangles).colour, Draw(st, triangles, true, Simd::kSse2).colour);
}

// Palettes fading frame by frame over three textures of different sizes in
// turn, fogged and not: the states and decoded textures left behind are
// rebuilt in place for the new ones, and every picture is the reference's.
TEST(WideSpans, StatesRebuiltInPlaceDrawTheReferencePicture) {
  struct Pass {
    Texture texture;
    RasterState state;
    uint32_t palette[256];
  };
  Pass passes[3];
  passes[0].state = MakeState(Shape::FoggedBlendedFloor, 5, 3, false, true, 21, &passes[0].texture);
  passes[1].state = MakeState(Shape::DitheredMipmappedBodies, 5, 1, true, false, 22, &passes[1].texture);
  passes[2].state = MakeState(Shape::Mesh, 5, 6, false, false, 23, &passes[2].texture);
  for (Pass& pass : passes) {
    pass.state.texture.contentVersion = 7;  // one texture memory, unchanged
    std::copy(std::begin(pass.texture.palette), std::end(pass.texture.palette), pass.palette);
  }
  const std::vector<VertexIn> triangles = Triangles(5);
  Rasterizer r;
  for (uint32_t level = 0; level < 256; level += 16) {
    for (Pass& pass : passes) {
      for (int i = 0; i < 256; ++i) {
        const uint32_t c = pass.palette[i];
        auto faded = [&](int shift) { return ((c >> shift & 0xFF) * level / 255) << shift; };
        pass.texture.palette[i] = (c & 0xFF000000u) | faded(16) | faded(8) | faded(0);
      }
      EXPECT_EQ(DrawWith(r, pass.state, triangles).colour,
                Draw(pass.state, triangles, true, Simd::kSse2).colour)
          << "level " << level << " pass " << (&pass - passes);
    }
  }
}

TEST(WideSpans, TheEnvironmentCanNarrowTheSpans) {
  setenv("GLIDE_SIMD", "sse2", 1);
  EXPECT_EQ(gfx::Rasterizer().CurrentSimd(), Simd::kSse2);
  setenv("GLIDE_SIMD", "avx2", 1);
  EXPECT_EQ(gfx::Rasterizer().CurrentSimd(), std::min(Simd::kAvx2, raster::BestSimd()));
  setenv("GLIDE_SIMD", "avx1024", 1);  // not a narrowing: the widest there is
  EXPECT_EQ(gfx::Rasterizer().CurrentSimd(), raster::BestSimd());
  unsetenv("GLIDE_SIMD");
  gfx::Rasterizer r;
  EXPECT_EQ(r.CurrentSimd(), raster::BestSimd());
  r.SetSimd(Simd::kSse2);
  EXPECT_EQ(r.CurrentSimd(), Simd::kSse2);
}

}  // namespace
}  // namespace gfx::testing
