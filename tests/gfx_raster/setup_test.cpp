// setup_test.cpp — triangle setup and buffer clears give exactly the values
// of their straightforward forms (straight_setup.h, and a fill here): the snapped
// vertices, row range, plane floats and level of detail of any triangle,
// hostile ones included, and every pixel a clear writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "dither.h"
#include "setup.h"
#include "straight_setup.h"
#include "test_util.h"

namespace gfx::testing {
namespace {

// ---- Hostile input.

class Inputs {
 public:
  explicit Inputs(uint32_t seed) : rng(seed) {}

  // A coordinate: mostly on or near the screen, sometimes on exact 1/32
  // ties, biased, huge, at the limits, or not a number.
  float Coordinate(float span) {
    switch (Pick(14)) {
      case 0:
        return Uniform(-2.0f * span, 3.0f * span);
      case 1:  // a tie between two 1/16 steps
        return static_cast<float>(Int(-64 * static_cast<int>(span), 64 * static_cast<int>(span)) * 2 + 1) /
               32.0f;
      case 2:  // the screen bias added to a plain coordinate
        return raster::kSnapBias + static_cast<float>(Int(0, 16 * static_cast<int>(span))) / 16.0f;
      case 3:  // near the bias threshold and the coordinate limit
        return Near(Pick(2) ? raster::kBiasThreshold : raster::kCoordinateLimit) * (Pick(2) ? 1.0f : -1.0f);
      case 4:
        return Uniform(-1e9f, 1e9f);
      case 5:
        return Extreme();
      default:
        return Uniform(-0.25f * span, 1.25f * span);
    }
  }

  // A parameter value: ordinary ranges, huge, tiny, or not a number.
  float Value() {
    switch (Pick(12)) {
      case 0:
        return Uniform(-1e30f, 1e30f);
      case 1:
        return Uniform(-1e-30f, 1e-30f);
      case 2:
        return Extreme();
      case 3:
        return 0.0f;
      default:
        return Uniform(-300.0f, 300.0f);
    }
  }

  VertexIn Vertex(float span) {
    VertexIn v{};
    v.x = Coordinate(span);
    v.y = Coordinate(span);
    for (float* f : {&v.z, &v.r, &v.g, &v.b, &v.ooz, &v.a, &v.oow, &v.sow0, &v.tow0, &v.oow0}) *f = Value();
    return v;
  }

  // Small triangles around one point, as the savers draw them.
  void Small(float span, VertexIn* out) {
    float cx = Uniform(-10.0f, span + 10.0f), cy = Uniform(-10.0f, span + 10.0f);
    for (int i = 0; i < 3; ++i) {
      out[i] = Vertex(span);
      out[i].x = cx + Uniform(-6.0f, 6.0f);
      out[i].y = cy + Uniform(-6.0f, 6.0f);
    }
  }

  // Degenerate: repeated vertices, collinear ones, or all within 1/16.
  void Degenerate(float span, VertexIn* out) {
    for (int i = 0; i < 3; ++i) out[i] = Vertex(span);
    switch (Pick(3)) {
      case 0:
        out[2].x = out[Pick(2)].x, out[2].y = out[Pick(2)].y;
        break;
      case 1: {
        float t = Uniform(-1.0f, 2.0f);
        out[2].x = out[0].x + t * (out[1].x - out[0].x);
        out[2].y = out[0].y + t * (out[1].y - out[0].y);
        break;
      }
      default:
        for (int i = 1; i < 3; ++i) out[i].x = out[0].x + 0.01f * i, out[i].y = out[0].y - 0.02f * i;
        break;
    }
  }

  RasterState State(int width, int height) {
    RasterState st;
    st.originLowerLeft = Pick(2) != 0;
    st.clipMinX = 0, st.clipMinY = 0, st.clipMaxX = width, st.clipMaxY = height;
    if (Pick(2)) {
      st.clipMinX = Int(-4, width), st.clipMaxX = Int(-4, width + 8);
      st.clipMinY = Int(-4, height), st.clipMaxY = Int(-4, height + 8);
    }
    return st;
  }

  int Pick(int n) { return Int(0, n - 1); }
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }

 private:
  float Near(float v) {
    return std::nextafter(v, Pick(2) ? 0.0f : 2.0f * v) + static_cast<float>(Int(-2, 2));
  }
  float Extreme() {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const float values[] = {
        std::numeric_limits<float>::quiet_NaN(),  kInf, -kInf, std::numeric_limits<float>::max(),
        std::numeric_limits<float>::denorm_min(), -0.0f};
    return values[Pick(6)];
  }

  std::mt19937 rng;
};

// A target of the usual size or a tiny one, and a triangle of any kind for it.
Framebuffer Target(Inputs& in) {
  const int width = in.Pick(4) ? 640 : in.Int(1, 40), height = in.Pick(4) ? 480 : in.Int(1, 40);
  return Framebuffer{nullptr, nullptr, width, height, width};
}

void AnyTriangle(Inputs& in, const Framebuffer& target, VertexIn* v) {
  const float span = static_cast<float>(std::max(target.width, target.height));
  switch (in.Pick(4)) {
    case 0:
      for (int i = 0; i < 3; ++i) v[i] = in.Vertex(span);
      break;
    case 1:
      in.Degenerate(span, v);
      break;
    default:
      in.Small(span, v);
      break;
  }
}

TEST(Setup, EqualsTheStraightSetupOnAnyTriangle) {
  Inputs in(20240611);
  int drawn = 0;
  TriangleSetup actual;  // reused, as the rasterizer reuses its records
  for (int n = 0; n < 300000; ++n) {
    const Framebuffer target = Target(in);
    RasterState st = in.State(target.width, target.height);
    VertexIn v[3];
    AnyTriangle(in, target, v);
    const bool allPlanes = in.Pick(2) != 0, withLod = in.Pick(4) != 0;
    st.textureWFromTmu = in.Pick(4) == 0;  // the texture unit's own W
    TriangleSetup expected;
    const bool expectedDrawn = StraightSetup(v[0], v[1], v[2], st, target, &expected, allPlanes, withLod);
    const bool actualDrawn = raster::SetupTriangle(v[0], v[1], v[2], st, target, &actual, allPlanes, withLod);
    ASSERT_EQ(actualDrawn, expectedDrawn) << "triangle " << n;
    if (!expectedDrawn) continue;
    ++drawn;
    ASSERT_TRUE(SameSetup(actual, expected)) << "triangle " << n << " at " << v[0].x << "," << v[0].y << " "
                                             << v[1].x << "," << v[1].y << " " << v[2].x << "," << v[2].y;
  }
  EXPECT_GT(drawn, 50000) << drawn;  // the comparison is not carried by rejected triangles alone
}

// Eight at a time: each triangle of a batch as the straightforward setup has
// it, whatever its neighbours (drawn, dropped or hostile) and however full.
TEST(Setup, BatchEqualsTheStraightSetupTriangleByTriangle) {
  if (raster::BestSimd() < Rasterizer::Simd::kAvx512) GTEST_SKIP() << "the batch needs AVX-512";
  Inputs in(7031);
  int drawn = 0;
  TriangleSetup actual[8];  // reused
  for (int n = 0; n < 50000; ++n) {
    const Framebuffer target = Target(in);
    const RasterState st = in.State(target.width, target.height);
    raster::TriangleBatch batch;
    VertexIn v[8][3];
    const int count = in.Int(1, 8);
    for (int i = 0; i < count; ++i) {
      AnyTriangle(in, target, v[i]);
      batch.Add(v[i][0], v[i][1], v[i][2]);
    }
    const bool withLod = in.Pick(4) != 0;
    const uint32_t mask = raster::SetupTriangleBatch(batch, st, target, withLod, actual);
    for (int i = 0; i < 8; ++i) {
      TriangleSetup expected;
      const bool expectedDrawn =
          i < count && StraightSetup(v[i][0], v[i][1], v[i][2], st, target, &expected, false, withLod);
      ASSERT_EQ(((mask >> i) & 1) != 0, expectedDrawn) << "batch " << n << " triangle " << i;
      if (!expectedDrawn) continue;
      ++drawn;
      ASSERT_TRUE(SameSetup(actual[i], expected)) << "batch " << n << " triangle " << i;
    }
  }
  EXPECT_GT(drawn, 50000) << drawn;
}

TEST(Setup, SnapTruncatesTowardZeroAndRejectsWhatTheStraightSnapRejects) {
  std::vector<float> values;
  for (int i = -4096; i <= 4096; ++i)
    values.push_back(static_cast<float>(i) / 32.0f);  // halfway between steps
  for (float edge : {raster::kBiasThreshold, raster::kSnapBias, raster::kCoordinateLimit,
                     raster::kCoordinateLimit + raster::kSnapBias, 1e9f})
    for (float sign : {1.0f, -1.0f}) {
      float v = sign * edge;
      for (int i = 0; i < 40; ++i, v = std::nextafter(v, 0.0f)) values.push_back(v);
      v = sign * edge;
      for (int i = 0; i < 40; ++i, v = std::nextafter(v, sign * 2e9f)) values.push_back(v);
    }
  std::mt19937 rng(3);
  for (int i = 0; i < 200000; ++i) values.push_back(std::bit_cast<float>(static_cast<uint32_t>(rng())));
  // Each value in turn in each of the six places, beside ordinary coordinates.
  for (size_t n = 0; n < values.size(); ++n) {
    float coordinates[6] = {1.5f, 2.25f, 3.0f, 4.75f, 5.5f, 6.0625f};
    coordinates[n % 6] = values[n];
    VertexIn v[3] = {V(coordinates[0], coordinates[1]), V(coordinates[2], coordinates[3]),
                     V(coordinates[4], coordinates[5])};
    int64_t expected[6] = {}, xy[3][2] = {};
    bool ok = true;
    for (int i = 0; i < 6; ++i) ok = ok && StraightSnap(coordinates[i], &expected[i]);
    ASSERT_EQ(raster::SnapVertices(v[0], v[1], v[2], xy), ok) << values[n];
    if (!ok) continue;
    for (int i = 0; i < 6; ++i) ASSERT_EQ(xy[i / 2][i % 2], expected[i]) << values[n];
  }
  // Plain coordinates truncate toward zero on both sides of it; a biased one
  // was rounded by its own float addition and stays exact.
  int64_t xy[3][2];
  ASSERT_TRUE(raster::SnapVertices(V(2.5f / 16, -3.5f / 16), V(raster::kSnapBias + 0.125f, -0.99f),
                                   V(-1.5f / 16, 10.55f), xy));
  EXPECT_EQ(xy[0][0], 2);
  EXPECT_EQ(xy[0][1], -3);
  EXPECT_EQ(xy[1][0], 2);
  EXPECT_EQ(xy[1][1], -15);
  EXPECT_EQ(xy[2][0], -1);
  EXPECT_EQ(xy[2][1], 168);
}

// The level of detail from a squared step: the mantissa thresholds 2^(k/128),
// where a floor can go either way, at many scales and a few ulps either side,
// the clamp ends, non-positive and non-finite steps, and random bit patterns.
TEST(Setup, LevelOfDetailEqualsTheLibraryLogarithm) {
  std::vector<double> steps = {0.0,
                               -0.0,
                               -1.0,
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::max()};
  for (int e : {-600, -513, -512, -511, -100, -9, -1, 0, 1, 7, 30, 511, 512, 513, 900})
    for (int k = 0; k <= 128; ++k) {
      double at = std::ldexp(std::exp2(k / 128.0), e);
      double up = at, down = at;
      steps.push_back(at);
      for (int i = 0; i < 8; ++i) {
        up = std::nextafter(up, 1e308);
        down = std::nextafter(down, 0.0);
        steps.push_back(up);
        steps.push_back(down);
      }
      for (double offset : {0x1p-33, 0x1p-32, 0x1p-31, 0x1p-20})
        for (double sign : {1.0, -1.0}) steps.push_back(std::ldexp(std::exp2(k / 128.0) + sign * offset, e));
    }
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> exponent(-40.0, 40.0);
  for (int i = 0; i < 200000; ++i) {
    steps.push_back(std::bit_cast<double>(rng()));
    steps.push_back(std::exp2(exponent(rng)));
  }
  for (double step : steps) ASSERT_EQ(raster::LodFromSquaredStep(step), StraightLod(step)) << step;
}

// ---- Clears: every pixel as a pixel-by-pixel fill would leave it.

TEST(Clear, MatchesAPixelByPixelFillForEveryWindowOriginAndDither) {
  Inputs in(5);
  for (int n = 0; n < 400; ++n) {
    const int width = in.Int(1, 37), height = in.Int(1, 23), stride = width + in.Int(0, 5);
    RasterState st = in.State(width, height);
    st.ditherMode = in.Int(0, 2);
    const uint32_t colour = static_cast<uint32_t>(in.Int(0, 0xFFFFFF)) | 0xFF000000u;
    const uint16_t depth = static_cast<uint16_t>(in.Int(0, 0xFFFF));
    const uint8_t alpha = static_cast<uint8_t>(in.Int(0, 255));
    const bool writeColour = in.Pick(4) != 0, writeAux = in.Pick(4) != 0, auxIsDepth = in.Pick(2) != 0;
    const bool withAux = in.Pick(6) != 0;

    std::vector<uint16_t> colourBuffer(static_cast<size_t>(stride) * height), auxBuffer(colourBuffer.size());
    for (size_t i = 0; i < colourBuffer.size(); ++i) {
      colourBuffer[i] = static_cast<uint16_t>(i * 40503u + 7);
      auxBuffer[i] = static_cast<uint16_t>(i * 2654435761u >> 13);
    }
    std::vector<uint16_t> expectedColour = colourBuffer, expectedAux = auxBuffer;
    int x0 = std::max(st.clipMinX, 0), x1 = std::min(st.clipMaxX, width);
    int y0 = std::max(st.clipMinY, 0), y1 = std::min(st.clipMaxY, height);
    if (st.originLowerLeft) {
      int flipped0 = height - y1, flipped1 = height - y0;
      y0 = std::max(flipped0, 0), y1 = std::min(flipped1, height);
    }
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const size_t i = static_cast<size_t>(y) * stride + x;
        if (writeColour)
          expectedColour[i] = raster::Dither565((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, x,
                                                y, st.ditherMode);
        if (writeAux && withAux) expectedAux[i] = auxIsDepth ? depth : alpha;
      }

    Rasterizer r;
    r.SetState(st);
    const Framebuffer target{colourBuffer.data(), withAux ? auxBuffer.data() : nullptr, width, height,
                             stride};
    r.Clear(target, colour, alpha, depth, writeColour, writeAux, auxIsDepth);
    ASSERT_EQ(colourBuffer, expectedColour) << "case " << n;
    ASSERT_EQ(auxBuffer, expectedAux) << "case " << n;
  }
}

}  // namespace
}  // namespace gfx::testing
