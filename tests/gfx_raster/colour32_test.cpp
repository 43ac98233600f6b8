// colour32_test.cpp — colour buffers of 8 bits a channel: no dither, the
// computed colour kept as it is, blending over the 8-bit destination; the
// program's 16-bit view of them through the frame buffer, at every scale;
// and the choice of the depth (GLIDE_COLOR, glide.ini).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "context.h"
#include "dither.h"
#include "glide_fixture.h"
#include "internal_scale.h"
#include "pipeline.h"
#include "test_util.h"

namespace gfx::testing {
namespace {

// A canvas whose colour buffer keeps 8 bits a channel.
struct Canvas32 {
  explicit Canvas32(int width = 64, int height = 64, int scale = 1)
      : colour(static_cast<size_t>(width) * height, 0), depth(static_cast<size_t>(width) * height, 0xFFFF) {
    target.colour32 = colour.data();
    target.depth = depth.data();
    target.width = target.stride = width;
    target.height = height;
    target.scale = scale;
  }
  uint32_t At(int x, int y) const { return colour[static_cast<size_t>(y) * target.stride + x]; }
  std::vector<uint32_t> colour;
  std::vector<uint16_t> depth;
  Framebuffer target;
};

// Gouraud colour across a 64x64 square: red grows with x, green with y,
// blue falls with x; 4 levels a pixel, so every level appears.
RasterState GradientState(int ditherMode) {
  RasterState st;
  st.colour = CombineUnit{1, 0, 0, 0, false};  // LOCAL, local = iterated
  st.alpha = CombineUnit{1, 0, 0, 0, false};
  st.ditherMode = ditherMode;
  return st;
}
VertexIn Coloured(float x, float y) {
  VertexIn v = V(x, y);
  v.r = x * 4.0f;
  v.g = y * 4.0f;
  v.b = 255.0f - x * 3.0f;
  v.a = 255.0f;
  return v;
}
template <class R, class T>
void DrawGradient(R& r, const T& target) {
  r.DrawTriangle(Coloured(0, 0), Coloured(64, 0), Coloured(64, 64), target);
  r.DrawTriangle(Coloured(0, 0), Coloured(64, 64), Coloured(0, 64), target);
  r.Finish();
}

// Rule: each channel stored at 32 bits is the iterated colour at the pixel's
// centre before any quantisation (clamped to 0..255), to within 1 (the
// pipeline floors the plane's value; this side evaluates it exactly).
TEST(Colour32, GradientKeepsTheIteratedColourWithoutDither) {
  for (int dither : {0, 1, 2}) {
    Canvas32 canvas;
    Rasterizer r;
    r.SetState(GradientState(dither));
    DrawGradient(r, canvas.target);
    int worst = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const double cx = x + 0.5, cy = y + 0.5;
        const double want[3] = {std::min(255.0, cx * 4), std::min(255.0, cy * 4), 255.0 - cx * 3};
        const uint32_t p = canvas.At(x, y);
        const int got[3] = {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
        for (int ch = 0; ch < 3; ++ch)
          worst = std::max(worst, static_cast<int>(std::ceil(std::abs(got[ch] - want[ch]))));
        ASSERT_EQ(p >> 24, 0u);
      }
    EXPECT_LE(worst, 1) << "dither mode " << dither;
  }
}

// The 16-bit buffer is the 32-bit colour dithered: the same pre-dither
// colour reaches both, and the 4x4 pattern shows (neighbours of one level
// differ) at 16 but never at 32.
TEST(Colour32, SixteenBitsIsTheSameColourDithered) {
  Canvas32 wide;
  Canvas narrow(64, 64);
  Rasterizer r;
  r.SetState(GradientState(2));
  DrawGradient(r, wide.target);
  DrawGradient(r, narrow.target);  // the rasteriser follows the target's layout back
  int dithered = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t p = wide.At(x, y);
      const uint16_t expected = raster::Dither565(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF, x, y, 2);
      ASSERT_EQ(At(narrow, x, y), expected) << x << "," << y;
      if (expected != raster::Dither565(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF, x, y, 0)) ++dithered;
    }
  EXPECT_GT(dithered, 64 * 64 / 4);  // the pattern is there at 16 bits
}

// Blending reads the destination's 8 bits: 1, 2 and 3 survive a 16-bit
// buffer only as 0, so ONE + ONE tells the two apart.
TEST(Colour32, BlendingReadsTheEightBitDestination) {
  struct Case {
    const char* name;
    BlendState blend;
    uint32_t source, expected;
  } const cases[] = {
      {"Add", BlendState{4, 4, 4, 0}, 0x00101010u, 0x111213u},
      // dst * src colour: (dst * (src + 1)) >> 8 with source ZERO.
      {"Modulate", BlendState{0, 2, 4, 0}, 0x00FF7F00u, 0x010100u},
      // Half and half: (0x40 * 128 + dst * 128) >> 8.
      {"Half", BlendState{1, 5, 4, 0}, 0x7F404040u, 0x202121u},
  };
  for (const Case& c : cases) {
    Canvas32 canvas(16, 16);
    Rasterizer r;
    RasterState st = FlatState(c.source);
    st.blend = c.blend;
    r.Clear(canvas.target, 0x010203u, 0, 0xFFFF, true, false, true);
    EXPECT_EQ(canvas.At(5, 5), 0x010203u) << c.name;
    r.SetState(st);
    r.DrawTriangle(V(0, 0), V(16, 0), V(16, 16), canvas.target);
    r.DrawTriangle(V(0, 0), V(16, 16), V(0, 16), canvas.target);
    r.Finish();
    EXPECT_EQ(canvas.At(7, 9), c.expected) << c.name;
  }
}

// The fast spans that draw 8 bits a channel draw the reference's pixels,
// for each scene, at scales 1 and 2, with any thread count and band height:
// the four-lane spans, and the sixteen-lane ones where the processor has them.
enum class Scene32 { Halcyon, Lump, Bodies, BodiesOneLevel };
constexpr const char* kScene32Names[] = {"Halcyon", "Lump", "Bodies", "BodiesOneLevel"};

std::unique_ptr<Canvas32> Render32(Scene32 kind, int scale, bool referenceOnly, int threads, int tileRows,
                                   std::string* spanNames, Rasterizer::Simd simd = raster::BestSimd()) {
  auto canvas = std::make_unique<Canvas32>(640 * scale, 480 * scale, scale);
  gfx::Rasterizer r;
  r.SetSimd(simd);
  r.SetThreadCount(threads);
  r.SetTileRows(tileRows);
  r.SetReferenceOnly(referenceOnly);
  scenes::Scene scene;
  if (kind == Scene32::Halcyon) scenes::BuildHalcyonFrame(&scene, 1.3f);
  if (kind == Scene32::Lump) scenes::BuildLump(&scene, 0.7f);
  if (kind == Scene32::Bodies || kind == Scene32::BodiesOneLevel) scenes::BuildBodies(&scene, 3);
  for (scenes::Batch& batch : scene.batches) {
    if (kind == Scene32::BodiesOneLevel) batch.state.texture.mipmapMode = GR_MIPMAP_DISABLE;
  }
  r.Clear(canvas->target, 0, 0, 0xFFFF, true, true, true);
  r.Finish();  // a clear through the queue is done later; the writes below must come after it
  // A destination that differs from pixel to pixel, so that blending shows
  // which one each lane read.
  for (size_t i = 0; i < canvas->colour.size(); ++i)
    canvas->colour[i] = static_cast<uint32_t>(i * 2654435761u) >> 8;
  for (const scenes::Batch& batch : scene.batches) {
    r.SetState(batch.state);
    for (size_t v = 0; v + 2 < batch.vertices.size(); v += 3)
      r.DrawTriangle(batch.vertices[v], batch.vertices[v + 1], batch.vertices[v + 2], canvas->target);
    if (spanNames) *spanNames += std::string(r.SpanName()) + ";";
  }
  r.Finish();
  return canvas;
}

class Fast32 : public ::testing::TestWithParam<std::tuple<Scene32, int>> {};

TEST_P(Fast32, DrawsTheReferencesPixels) {
  const auto [kind, scale] = GetParam();
  const auto reference = Render32(kind, scale, true, 1, 0, nullptr);
  struct Width {
    Rasterizer::Simd simd;
    const char* name;  // in its spans' names
  };
  std::vector<Width> widths;
  for (Width w : {Width{Rasterizer::Simd::kSse2, " 32-bit"}, Width{Rasterizer::Simd::kAvx2, "avx2 32-bit"},
                  Width{Rasterizer::Simd::kAvx512, "avx512 32-bit"}})
    if (w.simd <= raster::BestSimd()) widths.push_back(w);
  for (auto [simd, spanName] : widths) {
    std::string names;
    const auto fast = Render32(kind, scale, false, 1, 0, &names, simd);
    EXPECT_NE(names.find(spanName), std::string::npos) << names;  // a fast span of that width drew
    EXPECT_TRUE(fast->colour == reference->colour) << names;
    EXPECT_TRUE(fast->depth == reference->depth) << names;
    for (auto [threads, rows] : {std::pair{2, 0}, std::pair{1, 16}, std::pair{2, 7}})
      EXPECT_TRUE(Render32(kind, scale, false, threads, rows, nullptr, simd)->colour == reference->colour)
          << names << ", " << threads << " threads, " << rows << " rows";
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, Fast32,
                         ::testing::Combine(::testing::Values(Scene32::Halcyon, Scene32::Lump,
                                                              Scene32::Bodies, Scene32::BodiesOneLevel),
                                            ::testing::Values(1, 2)),
                         [](const auto& info) {
                           return std::string(kScene32Names[static_cast<int>(std::get<0>(info.param))]) +
                                  "x" + std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace gfx::testing

namespace gfxtest {
namespace {

// The library opened with GLIDE_COLOR=32 at GLIDE_SCALE = the parameter,
// dithering off, cleared to black.
class Glide32 : public GlideTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    setenv("GLIDE_SCALE", std::to_string(GetParam()).c_str(), 1);
    setenv("GLIDE_COLOR", "32", 1);
    GlideTest::SetUp();
    ASSERT_TRUE(Open());
    grDitherMode(GR_DITHER_DISABLE);
    grBufferClear(0, 0, 0);
  }
  void TearDown() override {
    GlideTest::TearDown();
    unsetenv("GLIDE_SCALE");
    unsetenv("GLIDE_COLOR");
  }
  int k() const { return GetParam(); }
  // Every buffer pixel of the program's pixel (x, y) of the back buffer.
  static std::vector<uint32_t> Block(int x, int y) {
    grSstIdle();  // the buffer as drawn so far, as a program reads it after waiting for the board
    const gfx::Context& c = gfx::Ctx();
    const uint32_t* plane = gfx::ColourBuffer32(GR_BUFFER_BACKBUFFER);
    std::vector<uint32_t> out;
    for (int j = 0; j < c.scale; ++j)
      for (int i = 0; i < c.scale; ++i)
        out.push_back(plane[static_cast<size_t>(y * c.scale + j) * c.stride + x * c.scale + i]);
    return out;
  }
  std::vector<uint32_t> Filled(uint32_t value) const {
    return std::vector<uint32_t>(size_t(k() * k()), value);
  }
};

TEST_P(Glide32, BuffersKeepEightBitsAChannel) {
  const gfx::Context& c = gfx::Ctx();
  EXPECT_EQ(c.colourBits, 32);
  EXPECT_EQ(gfx::ColourBuffer(GR_BUFFER_BACKBUFFER), nullptr);
  ASSERT_NE(gfx::ColourBuffer32(GR_BUFFER_FRONTBUFFER), nullptr);
  grBufferClear(0x00818283u, 0, 0);
  EXPECT_EQ(Block(639, 479), Filled(0x818283u));  // no dither, even with it on
  grDitherMode(GR_DITHER_4x4);
  grConstantColorValue(0xFF0A0B0Cu);
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  Rect(10, 10, 20, 20);
  EXPECT_EQ(Pixel(12, 13), To565(0x0A0B0Cu));  // the drawing finishes first
  EXPECT_EQ(Block(12, 13), Filled(0x0A0B0Cu));
}

// 16-bit writes widen each channel by repeating its top bits and read back
// unchanged; 32-bit writes keep 8 bits, read back truncated.
TEST_P(Glide32, RegionWritesWidenAndReadsTruncate) {
  uint16_t pattern[4] = {0xF800, 0x07E0, 0x001F, 0x1234};
  ASSERT_EQ(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 5, 7, GR_LFB_SRC_FMT_565, 2, 2, 4, pattern), FXTRUE);
  EXPECT_EQ(Block(5, 7), Filled(0xFF0000u));
  EXPECT_EQ(Block(6, 8), Filled(0x1045A5u));  // 00010 010001 10100 widened
  uint16_t back[4] = {};
  ASSERT_EQ(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 5, 7, 2, 2, 4, back), FXTRUE);
  EXPECT_TRUE(std::equal(back, back + 4, pattern));

  uint32_t wide = 0xFF123456u;
  ASSERT_EQ(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 100, 200, GR_LFB_SRC_FMT_8888, 1, 1, 4, &wide), FXTRUE);
  EXPECT_EQ(Block(100, 200), Filled(0x123456u));
  EXPECT_EQ(Pixel(100, 200), To565(0x123456u));
}

// At a scale a read averages each channel over the block (to nearest), then truncates.
TEST_P(Glide32, ReadsAverageTheBlockThenTruncate) {
  if (k() == 1) GTEST_SKIP() << "one pixel a block";
  const gfx::Context& c = gfx::Ctx();
  grSstIdle();  // the set-up's clear is done before the buffer is written behind the library's back
  uint32_t* plane = gfx::ColourBuffer32(GR_BUFFER_BACKBUFFER);
  // Red 0x0F in one pixel of the block, 0x10 elsewhere: the average rounds to 0x10 (565 red 2).
  for (int j = 0; j < k(); ++j)
    for (int i = 0; i < k(); ++i)
      plane[size_t(3 * k() + j) * c.stride + 3 * k() + i] =
          (i == 0 && j == 0 ? 0x0F0000u : 0x100000u) | 0x0407;
  EXPECT_EQ(Pixel(3, 3), To565(0x100407u));
}

// Locks keep the board's 16-bit layout; their writes, direct or through the
// pipeline, fill whole blocks at 8 bits a channel.
TEST_P(Glide32, LocksKeepTheBoardsLayout) {
  for (FxBool pipeline : {FXFALSE, FXTRUE}) {
    GrLfbInfo_t info{};
    info.size = sizeof info;
    ASSERT_EQ(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT,
                        pipeline, &info),
              FXTRUE);
    EXPECT_EQ(info.strideInBytes, 2048u);
    const uint16_t value = pipeline ? 0x07E0 : 0xF81F;
    static_cast<uint16_t*>(info.lfbPtr)[100 * 1024 + 300] = value;
    ASSERT_EQ(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
    EXPECT_EQ(Block(300, 100), Filled(pipeline ? 0x00FF00u : 0xFF00FFu));
    EXPECT_EQ(Block(301, 100), Filled(0));
  }
  // A 32-bit write lock keeps all 8 bits.
  GrLfbInfo_t info{};
  info.size = sizeof info;
  ASSERT_EQ(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, GR_ORIGIN_UPPER_LEFT,
                      FXFALSE, &info),
            FXTRUE);
  static_cast<uint32_t*>(info.lfbPtr)[50 * 1024 + 60] = 0xFF010203u;
  ASSERT_EQ(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
  EXPECT_EQ(Block(60, 50), Filled(0x010203u));

  // A read lock shows what was drawn, as RGB565 (lower-left origin counts rows from the bottom).
  ASSERT_EQ(grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_LOWER_LEFT,
                      FXFALSE, &info),
            FXTRUE);
  EXPECT_EQ(static_cast<const uint16_t*>(info.lfbPtr)[(479 - 100) * 1024 + 300], 0x07E0);
  ASSERT_EQ(grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER), FXTRUE);
}

INSTANTIATE_TEST_SUITE_P(Scales, Glide32, ::testing::Values(1, 2),
                         [](const auto& info) { return "x" + std::to_string(info.param); });

TEST(ColourSetting, Parses) {
  struct Case {
    const char* text;
    int bits;  // 0: not valid
  } const cases[] = {{"16", 16}, {"32", 32}, {" 32\t", 32}, {"24", 0}, {"", 0}, {"32bit", 0}, {"0x20", 0}};
  for (const Case& c : cases) EXPECT_EQ(gfx::ParseColourSetting(c.text).value_or(0), c.bits) << c.text;
}

TEST(ColourSetting, ReadFromTheSettingsFile) {
  struct Case {
    const char* text;
    int bits;
    int scale;
    int warnings;
  } const cases[] = {
      {"[glide]\ncolor = 32\n", 32, 1, 0},
      {"[glide]\nscale = 2\nColour=32\n", 32, 2, 0},
      {"[glide]\ncolor = 24\nscale = 3\n", 16, 3, 1},  // a bad value keeps the default, the rest is read
      {"[glide]\ncolor = 32\ncolor = many\n", 32, 1, 1},
      {"color = 32\n", 16, 1, 1},  // outside the section
  };
  for (const Case& c : cases) {
    std::string warnings;
    const gfx::LibrarySettings got = gfx::ParseLibrarySettingsFile(c.text, &warnings);
    EXPECT_EQ(got.colourBits, c.bits) << c.text;
    EXPECT_EQ(got.scale.scale, c.scale) << c.text;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), c.warnings) << c.text << "\n" << warnings;
  }
}

// GLIDE_COLOR wins over the file; a bad value is reported and the file decides.
TEST(ColourSetting, EnvironmentThenFile) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("glide_colour_" + std::to_string(getpid()) + ".ini");
  std::ofstream(file) << "[glide]\ncolor = 32\nscale = 2\n";
  setenv("GLIDE_INI", file.string().c_str(), 1);
  unsetenv("GLIDE_SCALE");
  struct Case {
    const char* env;  // null: unset
    int bits;
    bool message;
  } const cases[] = {{nullptr, 32, false}, {"16", 16, false}, {"32", 32, false}, {"15", 32, true}};
  for (const Case& c : cases) {
    if (c.env)
      setenv("GLIDE_COLOR", c.env, 1);
    else
      unsetenv("GLIDE_COLOR");
    ::testing::internal::CaptureStderr();
    const gfx::LibrarySettings chosen = gfx::ChosenLibrarySettings();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(chosen.colourBits, c.bits) << (c.env ? c.env : "unset");
    EXPECT_EQ(chosen.scale.scale, 2) << (c.env ? c.env : "unset");
    EXPECT_EQ(said.find("GLIDE_COLOR") != std::string::npos, c.message) << said;
  }
  unsetenv("GLIDE_COLOR");
  unsetenv("GLIDE_INI");
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace gfxtest
