// fast_path_test.cpp — the specialised spans draw exactly what the reference
// draws for the programs' scenes, and the picture does not depend on the
// number of worker threads.
#include <glide.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "pipeline.h"
#include "test_util.h"

namespace gfx::testing {
namespace {

enum class Kind { Floor, FloorBehind, Lump, Halcyon, Bodies565, Bodies8 };

std::unique_ptr<scenes::Scene> Build(Kind kind, float timeS) {
  auto scene = std::make_unique<scenes::Scene>();
  switch (kind) {
    case Kind::Floor:
      scenes::BuildFloor(scene.get(), timeS);
      break;
    case Kind::FloorBehind:  // W negative and flat along rows: the texture coordinates clamp to 0
      scenes::BuildFloor(scene.get(), timeS);
      for (scenes::Batch& batch : scene->batches)
        for (VertexIn& v : batch.vertices) {
          v.oow = -v.oow;
          v.oow0 = -v.oow0;
          v.sow0 = -v.sow0;
          v.tow0 = -v.tow0;
        }
      break;
    case Kind::Lump:
      scenes::BuildLump(scene.get(), timeS);
      break;
    case Kind::Halcyon:
      scenes::BuildHalcyonFrame(scene.get(), timeS);
      break;
    case Kind::Bodies565:
      scenes::BuildBodies(scene.get(), static_cast<uint32_t>(timeS * 10));
      break;
    case Kind::Bodies8:
      scenes::BuildBodies(scene.get(), static_cast<uint32_t>(timeS * 10), true);
      break;
  }
  return scene;
}

using Simd = gfx::Rasterizer::Simd;

// Draws a few frames of the scene over a patterned start picture.
// edit, when given, changes every batch's state before it is set.
Canvas Render(Kind kind, bool referenceOnly, int threads, Simd simd, RasterCounters* counters = nullptr,
              std::vector<std::string>* spans = nullptr, void (*edit)(RasterState*) = nullptr) {
  Canvas canvas;
  for (size_t i = 0; i < canvas.colour.size(); ++i)
    canvas.colour[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
  gfx::Rasterizer r;  // draws as the library does, deferred until Finish
  r.SetReferenceOnly(referenceOnly);
  r.SetThreadCount(threads);
  r.SetSimd(simd);
  for (float timeS : {0.0f, 1.3f, 7.9f}) {
    auto scene = Build(kind, timeS);
    if (kind == Kind::Bodies565 || kind == Kind::Bodies8)
      r.Clear(canvas.target, 0, 0, 0xFFFF, true, true, true);
    for (const scenes::Batch& batch : scene->batches) {
      RasterState state = batch.state;
      if (edit) edit(&state);
      r.SetState(state);
      if (spans) spans->push_back(r.SpanName());
      for (size_t i = 0; i + 2 < batch.vertices.size(); i += 3)
        r.DrawTriangle(batch.vertices[i], batch.vertices[i + 1], batch.vertices[i + 2], canvas.target);
    }
    r.Finish();  // the scene's texture memory goes away
  }
  if (counters) *counters = r.Counters();
  return canvas;
}

// The scenes with the spans of each width (those the processor runs).
class FastPath : public ::testing::TestWithParam<std::tuple<Kind, Simd>> {
 protected:
  Kind kind() const { return std::get<0>(GetParam()); }
  Simd simd() const { return std::get<1>(GetParam()); }
};

TEST_P(FastPath, IdenticalToTheReference) {
  RasterCounters fastCounters, referenceCounters;
  std::vector<std::string> spans;
  Canvas fast = Render(kind(), false, 1, simd(), &fastCounters, &spans);
  const Simd width = std::min(simd(), raster::BestSimd());
  for (const std::string& span : spans) {  // the scene is drawn by a fast span of the asked width
    ASSERT_NE(span, "reference");
    EXPECT_EQ(span.ends_with("-avx2"), width == Simd::kAvx2) << span;
    EXPECT_EQ(span.ends_with("-avx512"), width == Simd::kAvx512) << span;
  }
  Canvas reference = Render(kind(), true, 1, simd(), &referenceCounters);
  ASSERT_GT(referenceCounters.pixelsWritten, 1000u);
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < fast.colour.size(); ++i)
    if (fast.colour[i] != reference.colour[i] && differing++ == 0) first = i;
  EXPECT_EQ(differing, 0u) << "first at x " << first % scenes::kWidth << " y " << first / scenes::kWidth;
  EXPECT_EQ(fast.depth, reference.depth);
  EXPECT_EQ(fastCounters.pixelsIn, referenceCounters.pixelsIn);
  EXPECT_EQ(fastCounters.depthFailed, referenceCounters.depthFailed);
  EXPECT_EQ(fastCounters.pixelsWritten, referenceCounters.pixelsWritten);
}

TEST_P(FastPath, TwoThreadsDrawTheOneThreadPicture) {
  RasterCounters one, two;
  Canvas single = Render(kind(), false, 1, simd(), &one);
  Canvas dual = Render(kind(), false, 2, simd(), &two);
  EXPECT_EQ(single.colour, dual.colour);
  EXPECT_EQ(single.depth, dual.depth);
  EXPECT_EQ(one.pixelsWritten, two.pixelsWritten);
  EXPECT_EQ(one.trianglesIn, two.trianglesIn);
}

// Detail and LOD-fraction factors under a decal combine leave the texel as
// it is: the fast spans still draw, and draw the reference's pixels.
TEST_P(FastPath, DetailAndLodFractionFactorsKeepTheFastSpans) {
  auto edit = [](RasterState* st) {
    st->textureCombine.rgbFactor = GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR;
    st->textureCombine.alphaFactor = GR_COMBINE_FACTOR_LOD_FRACTION;
    st->texture.detailBias = 5;
    st->texture.detailScale = 3;
    st->texture.detailMax = 200;
  };
  std::vector<std::string> spans;
  Canvas fast = Render(kind(), false, 1, simd(), nullptr, &spans, edit);
  for (const std::string& span : spans) ASSERT_NE(span, "reference");
  Canvas reference = Render(kind(), true, 1, simd(), nullptr, nullptr, edit);
  EXPECT_EQ(fast.colour, reference.colour);
  EXPECT_EQ(fast.depth, reference.depth);
}

// Trilinear level choice is drawn by the reference alone.
TEST_P(FastPath, TrilinearStatesGoToTheReference) {
  std::vector<std::string> spans;
  Render(kind(), false, 1, simd(), nullptr, &spans, [](RasterState* st) { st->texture.lodBlend = true; });
  for (const std::string& span : spans) EXPECT_EQ(span, "reference");
}

constexpr const char* kKindNames[] = {"Floor", "FloorBehind", "Lump", "Halcyon", "Bodies565", "Bodies8"};
constexpr const char* kWidthNames[] = {"Sse2", "Avx2", "Avx512"};

INSTANTIATE_TEST_SUITE_P(Scenes, FastPath,
                         ::testing::Combine(::testing::Values(Kind::Floor, Kind::FloorBehind, Kind::Lump,
                                                              Kind::Halcyon, Kind::Bodies565, Kind::Bodies8),
                                            ::testing::Values(Simd::kSse2, Simd::kAvx2, Simd::kAvx512)),
                         [](const auto& info) {
                           return std::string(kKindNames[static_cast<int>(std::get<0>(info.param))]) + "_" +
                                  kWidthNames[static_cast<int>(std::get<1>(info.param))];
                         });

TEST(Threads, ThreeThreadsAndChangingCountKeepThePicture) {
  auto scene = Build(Kind::Halcyon, 2.0f);
  Canvas one, many;
  Rasterizer a, b;
  scene->Draw(a, one.target);
  b.SetThreadCount(3);
  scene->Draw(b, many.target);
  b.SetThreadCount(2);  // switching flushes what was queued
  scene->Draw(b, many.target);
  scene->Draw(a, one.target);
  b.Finish();
  EXPECT_EQ(one.colour, many.colour);
}

// Far more small, overlapping triangles than the queue holds (so it is drawn
// while a batch is being set up), among them slivers of one row and a few
// tall ones, in two frames (the second drawn in part while it is queued,
// where the first frame's work lay): every pixel still sees the triangles
// in the order they were drawn.
TEST(Threads, MoreTrianglesThanTheQueueHoldsKeepThePicture) {
  scenes::Scene scene;
  scenes::BuildBodies(&scene, 5);
  scenes::Batch crowd{scene.batches.front().state, {}};
  uint32_t seed = 12345;
  auto next = [&](float range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f * range;
  };
  for (int i = 0; i < 20000; ++i) {
    const float x = next(scenes::kWidth - 20.0f), y = next(scenes::kHeight - 20.0f), oow = 0.02f + next(0.5f);
    const float height = i % 7 == 0 ? 0.9f : i % 500 == 0 ? 400.0f : 1.0f + next(12.0f);
    const float yTop = std::min(y, scenes::kHeight - height);
    crowd.vertices.push_back(V(x, yTop, oow, next(256.0f) * oow, next(256.0f) * oow));
    crowd.vertices.push_back(V(x + 1.0f + next(15.0f), yTop + next(height), oow, 0.0f, 0.0f));
    crowd.vertices.push_back(V(x + next(8.0f), yTop + height, oow, 100.0f * oow, 50.0f * oow));
  }
  scene.batches.push_back(crowd);
  // Two threads stream on any machine with two cores; more only where there are as many cores.
  const int threadCounts[] = {1, 2, 3};
  RasterCounters counts[3];
  Canvas canvases[3];
  for (int k = 0; k < 3; ++k) {
    gfx::Rasterizer r;
    r.SetThreadCount(threadCounts[k]);
    for (int frame = 0; frame < 2; ++frame) {
      r.Clear(canvases[k].target, 0x102030, 0, 0xFFFF, true, true, true);
      scene.Draw(r, canvases[k].target);
    }
    r.Finish();
    counts[k] = r.Counters();
  }
  EXPECT_GT(counts[0].depthFailed, 10000u);  // the triangles do overlap
  for (int k = 1; k < 3; ++k) {
    EXPECT_EQ(canvases[0].colour, canvases[k].colour) << threadCounts[k] << " threads";
    EXPECT_EQ(canvases[0].depth, canvases[k].depth) << threadCounts[k] << " threads";
    EXPECT_EQ(counts[0].pixelsIn, counts[k].pixelsIn) << threadCounts[k] << " threads";
    EXPECT_EQ(counts[0].depthFailed, counts[k].depthFailed) << threadCounts[k] << " threads";
  }
}

// The default count and GLIDE_THREADS, which wins over SetThreadCount.
TEST(Threads, DefaultIsTwoWhereThereAreTwoCoresAndTheEnvironmentPinsIt) {
  struct Case {
    const char* value;  // null: unset
    int requested, expected;
  };
  const int cores = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
  const Case cases[] = {{nullptr, 0, cores}, {nullptr, 3, 3}, {"1", 0, 1},      {"1", 3, 1},
                        {"3", 2, 3},         {"0", 0, cores}, {"x2", 0, cores}, {"", 0, cores}};
  for (const Case& c : cases) {
    if (c.value)
      setenv("GLIDE_THREADS", c.value, 1);
    else
      unsetenv("GLIDE_THREADS");
    gfx::Rasterizer r;
    if (c.requested) r.SetThreadCount(c.requested);
    EXPECT_EQ(r.ThreadCount(), c.expected) << (c.value ? c.value : "unset") << " " << c.requested;
  }
  unsetenv("GLIDE_THREADS");
}

}  // namespace
}  // namespace gfx::testing
