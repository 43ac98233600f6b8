// scale_test.cpp — drawing at an internal scale: the picture, filtered down
// to the board's screen, is the scale-1 picture up to what the finer
// sampling changes; edges are sharper; the fast paths still draw the
// reference's pixels; frame-buffer reads and writes keep the board's
// screen; and the choice of the scale (GLIDE_SCALE, glide.ini, native).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "context.h"
#include "dither.h"
#include "glide_fixture.h"
#include "internal_scale.h"
#include "setup.h"
#include "test_util.h"

namespace gfx::testing {
namespace {

using Simd = gfx::Rasterizer::Simd;

enum class Kind { Halcyon, Lump, Bodies };
constexpr const char* kKindNames[] = {"Halcyon", "Lump", "Bodies"};

std::unique_ptr<scenes::Scene> Build(Kind kind) {
  auto scene = std::make_unique<scenes::Scene>();
  if (kind == Kind::Halcyon) scenes::BuildHalcyonFrame(scene.get(), 1.3f);
  if (kind == Kind::Lump) scenes::BuildLump(scene.get(), 0.7f);
  if (kind == Kind::Bodies) scenes::BuildBodies(scene.get(), 3);
  return scene;
}

// One frame of a scene on the board's screen at `scale`. With sameLevels
// the textures are read from the levels scale 1 reads (the LOD bias makes up
// for the finer pixels: log2(scale) levels, in the bias's quarter levels).
std::unique_ptr<scenes::ScaledCanvas> Render(Kind kind, int scale, bool referenceOnly = false,
                                             Simd simd = Simd::kAvx512, int threads = 1,
                                             bool sameLevels = false, int tileRows = 0) {
  auto canvas = std::make_unique<scenes::ScaledCanvas>(scale);
  gfx::Rasterizer r;
  r.SetThreadCount(threads);
  r.SetTileRows(tileRows);
  r.SetReferenceOnly(referenceOnly);
  r.SetSimd(simd);
  auto scene = Build(kind);
  if (sameLevels)
    for (scenes::Batch& batch : scene->batches)
      batch.state.texture.lodBias += static_cast<int>(std::lround(4.0 * std::log2(scale)));
  r.Clear(canvas->target, 0, 0, 0xFFFF, true, true, true);
  scene->Draw(r, canvas->target);
  r.Finish();
  return canvas;
}

using Rgb = std::array<float, 3>;  // 0..255 a channel

Rgb Expand(uint16_t p) {
  return {static_cast<float>(p >> 11) * 255.0f / 31.0f, static_cast<float>((p >> 5) & 63) * 255.0f / 63.0f,
          static_cast<float>(p & 31) * 255.0f / 31.0f};
}

// The picture averaged over each k x k block: what the board's screen shows of it.
std::vector<Rgb> BoxDown(const Canvas& canvas, int k) {
  const int width = canvas.target.width / k, height = canvas.target.height / k;
  std::vector<Rgb> out(static_cast<size_t>(width) * height, Rgb{});
  for (int y = 0; y < canvas.target.height; ++y)
    for (int x = 0; x < canvas.target.width; ++x) {
      const Rgb p = Expand(canvas.colour[static_cast<size_t>(y) * canvas.target.stride + x]);
      Rgb& o = out[static_cast<size_t>(y / k) * width + x / k];
      for (int ch = 0; ch < 3; ++ch) o[ch] += p[ch] / static_cast<float>(k * k);
    }
  return out;
}

class ScaledScene : public ::testing::TestWithParam<std::tuple<Kind, int>> {
 protected:
  Kind kind() const { return std::get<0>(GetParam()); }
  int scale() const { return std::get<1>(GetParam()); }
};

struct Difference {
  double mean;      // mean channel difference, 0..255
  double farShare;  // share of pixels with a channel off by more than a quarter of the range
};
Difference Compare(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
  double sum = 0;
  size_t far = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    float most = 0;
    for (int ch = 0; ch < 3; ++ch) {
      const float d = std::abs(a[i][ch] - b[i][ch]);
      sum += d;
      most = std::max(most, d);
    }
    if (most > 64.0f) ++far;
  }
  return {sum / (3.0 * static_cast<double>(a.size())),
          static_cast<double>(far) / static_cast<double>(a.size())};
}

// The scaled picture filtered down against the scale-1 picture. Read from
// the same texture levels they differ by design in two ways: the 4x4
// dither, which averages out over a block (a channel's 565 step is 8 levels
// of 255, 4 for green), and edge pixels, all or nothing at scale 1 and
// filtered down the share of the block covered. So the mean difference
// stays within half a 565 step, and the pixels off by more than a quarter of
// the range are edge pixels: at most 1.5% of the screen (the bodies, 52
// small objects, have the most edges: 1.0% measured; the floor and the
// lump 0.1%). With the finer levels the scaled picture reads (one per
// doubling), detail the scale-1 picture lacks shows: allowed 8% of the
// pixels and a mean of one 565 step (the bodies' dense textures: 6.5%, 6.1).
TEST_P(ScaledScene, FilteredDownMatchesScaleOne) {
  const std::vector<Rgb> one = BoxDown(*Render(kind(), 1), 1);
  const Difference same =
      Compare(one, BoxDown(*Render(kind(), scale(), false, Simd::kAvx512, 1, true), scale()));
  const Difference finer = Compare(one, BoxDown(*Render(kind(), scale()), scale()));
  RecordProperty("sameLevels", std::to_string(same.mean) + " " + std::to_string(same.farShare));
  RecordProperty("finerLevels", std::to_string(finer.mean) + " " + std::to_string(finer.farShare));
  EXPECT_LT(same.mean, 4.0);
  EXPECT_LT(same.farShare, 0.015);
  EXPECT_LT(finer.mean, 8.0);
  EXPECT_LT(finer.farShare, 0.08);
}

// The fast spans draw the reference's pixels at every scale, with one thread and two.
TEST_P(ScaledScene, FastPathsDrawTheReference) {
  auto reference = Render(kind(), scale(), true);
  for (Simd simd : {Simd::kSse2, Simd::kAvx2, Simd::kAvx512}) {
    for (int threads : {1, 2}) {
      auto fast = Render(kind(), scale(), false, simd, threads);
      EXPECT_TRUE(fast->colour == reference->colour)
          << "simd " << static_cast<int>(simd) << " threads " << threads;
      EXPECT_TRUE(fast->depth == reference->depth)
          << "simd " << static_cast<int>(simd) << " threads " << threads;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledScene,
                         ::testing::Combine(::testing::Values(Kind::Halcyon, Kind::Lump, Kind::Bodies),
                                            ::testing::Values(2, 3, 4)),
                         [](const auto& info) {
                           return std::string(kKindNames[static_cast<int>(std::get<0>(info.param))]) + "_x" +
                                  std::to_string(std::get<1>(info.param));
                         });

// Drawn band by band (binned), the picture is the one drawn a triangle at a
// time, for any band height and thread count, at every scale.
class Tiles : public ::testing::TestWithParam<std::tuple<Kind, int>> {};

TEST_P(Tiles, IdenticalForAnyBandHeightAndThreadCount) {
  const auto [kind, scale] = GetParam();
  auto atOnce = Render(kind, scale, false, Simd::kAvx512, 1, false, -1);
  for (int threads : {1, 2, 3}) {
    for (int rows : {0, 1, 7, 64}) {
      auto tiled = Render(kind, scale, false, Simd::kAvx512, threads, false, rows);
      EXPECT_TRUE(tiled->colour == atOnce->colour) << threads << " threads, bands of " << rows;
      EXPECT_TRUE(tiled->depth == atOnce->depth) << threads << " threads, bands of " << rows;
    }
  }
}

// Clears go through the queue too when it bins: a dithered clear of part of
// the screen, the bodies' first half, a second clear of a smaller window over
// them, the rest. Each keeps its place among the triangles on every band.
std::unique_ptr<scenes::ScaledCanvas> RenderWithClears(int scale, int threads, int tileRows,
                                                       bool bodies = true) {
  auto canvas = std::make_unique<scenes::ScaledCanvas>(scale);
  gfx::Rasterizer r;
  r.SetThreadCount(threads);
  r.SetTileRows(tileRows);
  auto scene = Build(Kind::Bodies);
  RasterState clearState = scene->batches[0].state;
  clearState.ditherMode = GR_DITHER_4x4;
  clearState.clipMinX = 13, clearState.clipMaxX = 601, clearState.clipMinY = 7, clearState.clipMaxY = 455;
  r.SetState(clearState);
  r.Clear(canvas->target, 0x8040C0u, 0, 0x7000, true, true, true);
  const size_t half = scene->batches.size() / 2;
  for (size_t i = 0; i < scene->batches.size(); ++i) {
    if (i == half) {
      clearState.clipMinX = 100, clearState.clipMaxX = 300, clearState.clipMinY = 51,
      clearState.clipMaxY = 203;
      r.SetState(clearState);
      r.Clear(canvas->target, 0x20E010u, 0, 0xFFFF, true, true, true);
    }
    const scenes::Batch& batch = scene->batches[i];
    r.SetState(batch.state);
    for (size_t v = 0; bodies && v + 2 < batch.vertices.size(); v += 3)
      r.DrawTriangle(batch.vertices[v], batch.vertices[v + 1], batch.vertices[v + 2], canvas->target);
  }
  r.Finish();
  return canvas;
}

TEST_P(Tiles, ClearsKeepTheirPlaceAmongTheTriangles) {
  const int scale = std::get<1>(GetParam());
  // The clears alone, in bands of 7 rows on two threads: each clip window
  // holds its colour, dithered by the pixel's place, and nothing else changed.
  const auto cleared = RenderWithClears(scale, 2, 7, false);
  const scenes::ScaledCanvas blank(scale);
  RasterState window = Build(Kind::Bodies)->batches[0].state;
  window.clipMinX = 13, window.clipMaxX = 601, window.clipMinY = 7, window.clipMaxY = 455;
  const raster::ClipWindow first = raster::ClipWindowOf(window, cleared->target);
  window.clipMinX = 100, window.clipMaxX = 300, window.clipMinY = 51, window.clipMaxY = 203;
  const raster::ClipWindow second = raster::ClipWindowOf(window, cleared->target);
  auto inside = [](const raster::ClipWindow& w, int x, int y) {
    return x >= w.x0 && x < w.x1 && y >= w.y0 && y < w.y1;
  };
  int wrong = 0;
  for (int y = 0; y < cleared->target.height; ++y)
    for (int x = 0; x < cleared->target.width; ++x) {
      const size_t i = static_cast<size_t>(y) * cleared->target.stride + x;
      uint16_t colour = blank.colour[i], depth = blank.depth[i];
      if (inside(second, x, y))
        colour = raster::Dither565(0x20, 0xE0, 0x10, x, y, GR_DITHER_4x4), depth = 0xFFFF;
      else if (inside(first, x, y))
        colour = raster::Dither565(0x80, 0x40, 0xC0, x, y, GR_DITHER_4x4), depth = 0x7000;
      wrong += cleared->colour[i] != colour || cleared->depth[i] != depth;
    }
  EXPECT_EQ(wrong, 0);

  auto atOnce = RenderWithClears(scale, 1, -1);
  for (int threads : {1, 2, 3}) {
    for (int rows : {0, 1, 7, 64}) {
      auto tiled = RenderWithClears(scale, threads, rows);
      EXPECT_TRUE(tiled->colour == atOnce->colour) << threads << " threads, bands of " << rows;
      EXPECT_TRUE(tiled->depth == atOnce->depth) << threads << " threads, bands of " << rows;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, Tiles,
                         ::testing::Combine(::testing::Values(Kind::Halcyon, Kind::Bodies),
                                            ::testing::Values(1, 2, 4)),
                         [](const auto& info) {
                           return std::string(kKindNames[static_cast<int>(std::get<0>(info.param))]) + "_x" +
                                  std::to_string(std::get<1>(info.param));
                         });

// Pixels of the buffer (at scale k) whose colour is not what the exact
// triangle gives at their centre; for scale 1 the picture is first blown up
// k times (what a display does with it), so both count the same pixels.
size_t EdgeErrors(const Canvas& canvas, int drawnAt, int k, const VertexIn (&v)[3], uint16_t inside) {
  auto side = [](double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
  };
  size_t errors = 0;
  for (int y = 0; y < scenes::kHeight * k; ++y)
    for (int x = 0; x < scenes::kWidth * k; ++x) {
      const double px = (x + 0.5) / k, py = (y + 0.5) / k;
      const double s0 = side(v[0].x, v[0].y, v[1].x, v[1].y, px, py),
                   s1 = side(v[1].x, v[1].y, v[2].x, v[2].y, px, py),
                   s2 = side(v[2].x, v[2].y, v[0].x, v[0].y, px, py);
      const bool in = (s0 > 0 && s1 > 0 && s2 > 0) || (s0 < 0 && s1 < 0 && s2 < 0);
      const int sx = x * drawnAt / k, sy = y * drawnAt / k;
      const bool drawn = canvas.colour[static_cast<size_t>(sy) * canvas.target.stride + sx] == inside;
      errors += in != drawn;
    }
  return errors;
}

// A thin slanted triangle: at scale k its staircase is k times finer, so the
// pixels that disagree with the exact edge fall to about 1/k of those of the
// scale-1 picture blown up.
TEST(ScaledEdges, AreSharperByTheScale) {
  const VertexIn v[3] = {V(100.25f, 50.5f), V(530.75f, 140.25f), V(210.5f, 420.75f)};
  const uint16_t white = 0xFFFF;
  for (int k : {2, 3, 4}) {
    Rasterizer r;
    r.SetState(FlatState(0xFFFFFFFFu));
    Canvas one;
    r.DrawTriangle(v[0], v[1], v[2], one.target);
    scenes::ScaledCanvas scaled(k);
    r.DrawTriangle(v[0], v[1], v[2], scaled.target);
    const size_t blownUp = EdgeErrors(one, 1, k, v, white), sharp = EdgeErrors(scaled, k, k, v, white);
    RecordProperty("errors_x" + std::to_string(k), std::to_string(blownUp) + " -> " + std::to_string(sharp));
    EXPECT_GT(blownUp, 1000u);
    EXPECT_LE(sharp * static_cast<size_t>(k), blownUp + blownUp / 4) << "scale " << k;
  }
}

// The clip window and the clear scale with the picture.
TEST(ScaledClip, CoversTheScaledWindow) {
  for (bool lowerLeft : {false, true}) {
    for (int k : {1, 2, 3}) {
      RasterState st = FlatState(0xFFFFFFFFu);
      st.clipMinX = 10, st.clipMaxX = 20, st.clipMinY = 30, st.clipMaxY = 35;
      st.originLowerLeft = lowerLeft;
      Rasterizer r;
      r.SetState(st);
      scenes::ScaledCanvas canvas(k);
      r.Clear(canvas.target, 0xFFFFFFFFu, 0, 0, true, false, true);
      r.DrawTriangle(V(0, 0), V(640, 0), V(0, 480), canvas.target);
      r.DrawTriangle(V(640, 0), V(640, 480), V(0, 480), canvas.target);
      size_t set = 0;
      for (uint16_t p : canvas.colour) set += p != 0;
      EXPECT_EQ(set, static_cast<size_t>(10 * k * 5 * k)) << "scale " << k << " lower left " << lowerLeft;
      const int row = lowerLeft ? (480 - 35) * k : 30 * k;
      EXPECT_EQ(At(canvas, 10 * k, row), 0xFFFF);
      EXPECT_EQ(At(canvas, 10 * k - 1, row), 0);
      EXPECT_EQ(At(canvas, 20 * k - 1, row + 5 * k - 1), 0xFFFF);
    }
  }
}

// Textures are sampled from the level the buffer's pixels need: one level
// finer per doubling of the scale.
TEST(ScaledLod, FollowsTheBufferPixels) {
  for (int k : {1, 2, 4}) {
    scenes::ScaledCanvas canvas(k);
    raster::TriangleSetup setup;
    const VertexIn a = V(0, 0, 1, 0, 0), b = V(64, 0, 1, 256, 0), c = V(0, 64, 1, 0, 256);
    ASSERT_TRUE(raster::SetupTriangle(a, b, c, FlatState(0), canvas.target, &setup));
    // 4 texels a program pixel: log2(4 / k) levels, 8.8.
    EXPECT_EQ(setup.lodBase88, static_cast<int>(256 * std::log2(4.0 / k))) << "scale " << k;
  }
}

}  // namespace
}  // namespace gfx::testing

namespace gfxtest {
namespace {

// The library opened with GLIDE_SCALE set, dithering off, cleared to black.
class ScaledGlide : public GlideTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    setenv("GLIDE_SCALE", std::to_string(GetParam()).c_str(), 1);
    GlideTest::SetUp();
    ASSERT_TRUE(Open());
    grDitherMode(GR_DITHER_DISABLE);
    grBufferClear(0, 0, 0);
  }
  void TearDown() override {
    GlideTest::TearDown();
    unsetenv("GLIDE_SCALE");
  }
  int k() const { return GetParam(); }
  // Every buffer pixel of the program's pixel (x, y).
  static std::vector<uint16_t> Block(int x, int y, GrBuffer_t buffer = GR_BUFFER_BACKBUFFER) {
    const gfx::Context& c = gfx::Ctx();
    const uint16_t* plane = buffer == GR_BUFFER_AUXBUFFER ? c.aux.data() : gfx::ColourBuffer(buffer);
    std::vector<uint16_t> out;
    for (int j = 0; j < c.scale; ++j)
      for (int i = 0; i < c.scale; ++i)
        out.push_back(plane[static_cast<size_t>(y * c.scale + j) * c.stride + x * c.scale + i]);
    return out;
  }
};

TEST_P(ScaledGlide, TheProgramSeesTheBoardScreen) {
  EXPECT_EQ(grSstScreenWidth(), 640u);
  EXPECT_EQ(grSstScreenHeight(), 480u);
  const gfx::Context& c = gfx::Ctx();
  EXPECT_EQ(c.scale, k());
  EXPECT_EQ(c.bufferWidth, 640 * k());
  EXPECT_EQ(c.bufferHeight, 480 * k());
}

TEST_P(ScaledGlide, WritesFillTheBlockAndReadsGiveThemBack) {
  uint16_t pattern[4] = {0xF800, 0x07E0, 0x001F, 0x1234};
  ASSERT_EQ(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 5, 7, GR_LFB_SRC_FMT_565, 2, 2, 4, pattern), FXTRUE);
  EXPECT_EQ(Block(6, 8), std::vector<uint16_t>(static_cast<size_t>(k() * k()), 0x1234));
  uint16_t back[4] = {};
  ASSERT_EQ(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 5, 7, 2, 2, 4, back), FXTRUE);
  EXPECT_TRUE(std::equal(back, back + 4, pattern));
  uint16_t depth = 0x4321;
  ASSERT_EQ(grLfbWriteRegion(GR_BUFFER_AUXBUFFER, 600, 470, GR_LFB_SRC_FMT_ZA16, 1, 1, 2, &depth), FXTRUE);
  EXPECT_EQ(Block(600, 470, GR_BUFFER_AUXBUFFER),
            std::vector<uint16_t>(static_cast<size_t>(k() * k()), depth));
  EXPECT_EQ(Pixel(600, 470, GR_BUFFER_AUXBUFFER), depth);
}

// A program pixel half covered reads as the average of what covers it.
TEST_P(ScaledGlide, ReadsAverageTheBlock) {
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  grConstantColorValue(0xFFFFFFFFu);
  Rect(10.0f, 20.0f, 10.5f, 24.0f);  // the left half of column 10
  // Scale 1: the column's centre is on the right edge, outside. 2 and 4: half
  // the block's columns. 3: one of three (the middle one's centre is on the edge).
  const uint16_t expected[] = {0, 0, 0x8410, 0x52AA, 0x8410};
  EXPECT_EQ(Pixel(10, 21), expected[k()]);
  EXPECT_EQ(Pixel(9, 21), 0);
}

// A write lock keeps the board's layout (2048-byte rows) and its writes fill
// whole blocks, through the pixel pipeline too.
TEST_P(ScaledGlide, LockedWritesFillTheBlock) {
  for (FxBool pipeline : {FXFALSE, FXTRUE}) {
    GrLfbInfo_t info{};
    info.size = sizeof info;
    ASSERT_EQ(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT,
                        pipeline, &info),
              FXTRUE);
    EXPECT_EQ(info.strideInBytes, 2048u);
    const uint16_t value = pipeline ? 0x07E0 : 0xF800;
    static_cast<uint16_t*>(info.lfbPtr)[100 * 1024 + 300] = value;
    ASSERT_EQ(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    EXPECT_EQ(Block(300, 100), std::vector<uint16_t>(static_cast<size_t>(k() * k()), value));
    EXPECT_EQ(Block(301, 100), std::vector<uint16_t>(static_cast<size_t>(k() * k()), 0));
  }
  GrLfbInfo_t info{};
  info.size = sizeof info;
  ASSERT_EQ(grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_LOWER_LEFT,
                      FXFALSE, &info),
            FXTRUE);
  EXPECT_EQ(static_cast<const uint16_t*>(info.lfbPtr)[(479 - 100) * 1024 + 300], 0x07E0);
  ASSERT_EQ(grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledGlide, ::testing::Values(1, 2, 3, 4),
                         [](const auto& info) { return "x" + std::to_string(info.param); });

// native: the largest whole scale whose picture fits the output, at most 4.
TEST(NativeScale, FitsTheOutput) {
  struct Case {
    int width, height, scale;
  } const cases[] = {
      {0, 0, 1},       {320, 240, 1},   {640, 480, 1},   {800, 600, 1},   {1279, 960, 1},  {1280, 960, 2},
      {1366, 768, 1},  {1920, 1080, 2}, {1600, 1200, 2}, {1920, 1440, 3}, {2560, 1440, 3}, {2560, 1600, 3},
      {2560, 1920, 4}, {3840, 2160, 4}, {7680, 4320, 4}, {1080, 1920, 1}, {1440, 2560, 2}, {-5, 100, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(gfx::NativeScale(c.width, c.height, 640, 480), c.scale) << c.width << "x" << c.height;
  // No buffer side past 4096: a 1600x1200 board screen draws at 2 at most.
  EXPECT_EQ(gfx::ResolveScale({false, 4}, 0, 0, 1600, 1200), 2);
  EXPECT_EQ(gfx::ResolveScale({true, 1}, 7680, 4320, 640, 480), 4);
  EXPECT_EQ(gfx::ResolveScale({true, 1}, 0, 0, 640, 480), 1);  // headless: no output to fit
}

TEST(ScaleSetting, Parses) {
  struct Case {
    const char* text;
    bool valid, native;
    int scale;
  } const cases[] = {
      {"1", true, false, 1},     {"4", true, false, 4},   {" 3 ", true, false, 3}, {"native", true, true, 1},
      {"NATIVE", true, true, 1}, {"0", false, false, 0},  {"5", false, false, 0},  {"2x", false, false, 0},
      {"", false, false, 0},     {"-1", false, false, 0}, {"12", false, false, 0},
  };
  for (const Case& c : cases) {
    const auto parsed = gfx::ParseScaleSetting(c.text);
    ASSERT_EQ(parsed.has_value(), c.valid) << '"' << c.text << '"';
    if (parsed) {
      EXPECT_EQ(*parsed, (gfx::ScaleSetting{c.native, c.scale})) << c.text;
    }
  }
}

TEST(LibrarySettings, ReadsItsSectionAndReportsTheRest) {
  struct Case {
    const char* text;
    gfx::ScaleSetting expected;
    int warnings;
  } const cases[] = {
      {"[glide]\nscale = 3\n", {false, 3}, 0},
      {"; comment\n# another\n[Glide]\r\n  Scale=native\r\n", {true, 1}, 0},
      {"scale = 2\n", {false, 1}, 1},                         // outside the section
      {"[glide]\nscale = 9\n", {false, 1}, 1},                // out of range: the default
      {"[glide]\nscale = 2\nscale = huge\n", {false, 2}, 1},  // a bad line keeps what came before
      {"[other]\nscale = 2\n[glide]\ncolour\n", {false, 1}, 3},
      {"[glide\nscale = 2\n", {false, 1}, 2},
      {"", {false, 1}, 0},
      {"\xff\xfe\x00garbage", {false, 1}, 1},
  };
  for (const Case& c : cases) {
    std::string warnings;
    EXPECT_EQ(gfx::ParseLibrarySettings(c.text, &warnings), c.expected) << c.text;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), c.warnings) << c.text << "\n" << warnings;
  }
}

#if !defined(_WIN32)  // FIFOs are a POSIX file type
// A settings file that is not one (a folder, a FIFO, too large) or holds
// mistakes is reported on stderr and the defaults are used; GLIDE_SCALE wins.
TEST(LibrarySettings, BadFilesGiveTheDefaultsAndAMessage) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("glide_ini_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto fifo = folder / "fifo.ini", big = folder / "big.ini", good = folder / "good.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(big) << std::string(100000, '#');
  std::ofstream(good) << "[glide]\nscale = 2\n";
  unsetenv("GLIDE_SCALE");
  struct Case {
    std::filesystem::path path;
    int scale;
    bool message;
  } const cases[] = {
      {folder, 1, true}, {fifo, 1, true}, {big, 1, true}, {folder / "missing.ini", 1, false},
      {good, 2, false},
  };
  for (const Case& c : cases) {
    setenv("GLIDE_INI", c.path.c_str(), 1);
    ::testing::internal::CaptureStderr();
    const gfx::ScaleSetting chosen = gfx::ChosenScaleSetting();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(chosen.scale, c.scale) << c.path;
    EXPECT_EQ(!said.empty(), c.message) << c.path << ": " << said;
  }
  setenv("GLIDE_INI", good.c_str(), 1);
  setenv("GLIDE_SCALE", "4", 1);
  EXPECT_EQ(gfx::ChosenScaleSetting().scale, 4);
  setenv("GLIDE_SCALE", "lots", 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(gfx::ChosenScaleSetting().scale, 2);  // reported, then the file decides
  EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
  unsetenv("GLIDE_SCALE");
  unsetenv("GLIDE_INI");
  std::filesystem::remove_all(folder);
}
#endif

}  // namespace
}  // namespace gfxtest
