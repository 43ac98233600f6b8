// coverage_test.cpp — which pixels a triangle covers: the fill rule on shared
// edges, the screen bias, culling signs, clipping, and hostile coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "span.h"
#include "test_util.h"

namespace gfx::testing {
namespace {

// Each write adds 1 to the red channel (blend ONE, ONE), so red counts writes.
RasterState CountingState() {
  RasterState st = FlatState(0xFF080000u);
  st.blend = BlendState{4, 4, 4, 0};
  return st;
}
int Writes(const Canvas& c, int x, int y) {
  return At(c, x, y) >> 11;
}

// An edge's first pixel on each row, stepped row by row from one division,
// equals the exact ceiling division on every row: at screen sizes, up to the
// coordinate limit, and on edges through pixel centres (zero remainders).
TEST(Coverage, EdgeStepsMatchExactDivisionAtEveryMagnitude) {
  std::mt19937_64 random(5);
  using Stepper = raster::EdgeStepper;
  int checked = 0;
  for (int magnitude : {6, 10, 14, 20, 24, 25, 26, 27, 28}) {
    std::uniform_int_distribution<int64_t> coordinate(-(int64_t{1} << magnitude), int64_t{1} << magnitude);
    for (int i = 0; i < 3000; ++i) {
      int64_t xa = coordinate(random), xb = coordinate(random), ya = coordinate(random),
              yb = coordinate(random);
      if (i % 4 == 0) xa = (xa & ~int64_t{15}) + 8, xb = (xb & ~int64_t{15}) + 8;  // through pixel centres
      if (i % 8 == 1) ya = yb - 16 * (1 + i % 5);                                  // short, steep or flat
      if (ya == yb) continue;
      if (ya > yb) std::swap(ya, yb), std::swap(xa, xb);
      const int64_t firstRow = (ya >> 4) + (i % 3);
      Stepper edge;
      edge.Start(xa, ya, xb, yb, firstRow * 16 + 8);
      for (int64_t row = firstRow; row < firstRow + 6; ++row, edge.NextRow()) {
        const int64_t yc = row * 16 + 8;
        const int64_t exact = Stepper::CeilDiv((xa - 8) * (yb - ya) + (yc - ya) * (xb - xa), 16 * (yb - ya));
        ASSERT_EQ(edge.Pixel(), exact) << xa << "," << ya << " to " << xb << "," << yb << " row " << row;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100000);
}

TEST(Coverage, FanAroundAPointWritesEveryPixelOnce) {
  // Twelve triangles around an off-grid centre, rim points at fractional positions.
  Canvas canvas(64, 64);
  Rasterizer r;
  r.SetState(CountingState());
  const float cx = 31.3f, cy = 30.8f;
  std::vector<VertexIn> rim;
  for (int i = 0; i < 12; ++i) {
    float a = 6.2831853f * static_cast<float>(i) / 12;
    rim.push_back(V(cx + 25.17f * std::cos(a), cy + 23.61f * std::sin(a)));
  }
  for (int i = 0; i < 12; ++i) r.DrawTriangle(V(cx, cy), rim[i], rim[(i + 1) % 12], canvas.target);
  int covered = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      int n = Writes(canvas, x, y);
      ASSERT_LE(n, 1) << x << "," << y;
      covered += n;
      // Pixels near the centre are inside the fan whatever the edges do.
      if (std::hypot(x + 0.5f - cx, y + 0.5f - cy) < 20.0f) {
        EXPECT_EQ(n, 1) << x << "," << y;
      }
    }
  EXPECT_EQ(static_cast<uint64_t>(covered), r.Counters().pixelsWritten);
}

TEST(Coverage, JitteredGridOfQuadsTilesWithoutGapsOrOverlaps) {
  Canvas canvas(96, 96);
  Rasterizer r;
  r.SetState(CountingState());
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> jitter(-3.0f, 3.0f);
  constexpr int n = 8;
  float gx[n + 1][n + 1], gy[n + 1][n + 1];
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j) {
      bool border = i == 0 || j == 0 || i == n || j == n;
      gx[i][j] = 8.0f + 10.0f * j + (border ? 0.0f : jitter(rng));
      gy[i][j] = 8.0f + 10.0f * i + (border ? 0.0f : jitter(rng));
    }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      VertexIn a = V(gx[i][j], gy[i][j]), b = V(gx[i][j + 1], gy[i][j + 1]);
      VertexIn c = V(gx[i + 1][j + 1], gy[i + 1][j + 1]), d = V(gx[i + 1][j], gy[i + 1][j]);
      // Alternate the diagonal and the winding.
      if ((i + j) & 1) {
        r.DrawTriangle(a, b, c, canvas.target);
        r.DrawTriangle(c, d, a, canvas.target);
      } else {
        r.DrawTriangle(b, a, d, canvas.target);
        r.DrawTriangle(d, c, b, canvas.target);
      }
    }
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      bool inside = x >= 8 && x < 88 && y >= 8 && y < 88;
      ASSERT_EQ(Writes(canvas, x, y), inside ? 1 : 0) << x << "," << y;
    }
}

TEST(Coverage, TopLeftRuleOnPixelAlignedSquare) {
  // A square from 2 to 6 covers exactly the pixels 2..5: centres on the left
  // and top edges are in, on the right and bottom edges out.
  Canvas canvas(8, 8);
  Rasterizer r;
  r.SetState(CountingState());
  r.DrawTriangle(V(2, 2), V(6, 2), V(6, 6), canvas.target);
  r.DrawTriangle(V(6, 6), V(2, 6), V(2, 2), canvas.target);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(Writes(canvas, x, y), x >= 2 && x < 6 && y >= 2 && y < 6) << x << "," << y;
}

// Adding the bias rounds a coordinate to 1/16 (the float sum has no finer
// bits); the plain coordinate on that grid covers the same pixels.
TEST(Coverage, BiasedAndPlainCoordinatesGiveIdenticalPixels) {
  const float bias = 786432.0f;
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> coord(-20.0f, 100.0f);
  for (int trial = 0; trial < 40; ++trial) {
    float p[6], b[6];
    for (int i = 0; i < 6; ++i) {
      b[i] = coord(rng) + bias;
      p[i] = b[i] - bias;  // exact
    }
    Canvas plain(80, 80), biased(80, 80);
    Rasterizer r;
    r.SetState(CountingState());
    r.DrawTriangle(V(p[0], p[1]), V(p[2], p[3]), V(p[4], p[5]), plain.target);
    r.DrawTriangle(V(b[0], b[1]), V(b[2], b[3]), V(b[4], b[5]), biased.target);
    ASSERT_EQ(plain.colour, biased.colour) << "trial " << trial;
  }
}

TEST(Coverage, FarPointsStayWhereTheyAre) {
  // A vertex past 2048 pixels must not come back on the far side of the screen.
  Canvas canvas(64, 64);
  Rasterizer r;
  r.SetState(CountingState());
  r.DrawTriangle(V(10, 10), V(5000.5f, 20), V(10, 50), canvas.target);
  EXPECT_EQ(Writes(canvas, 63, 20), 1);
  EXPECT_EQ(Writes(canvas, 12, 12), 1);
  EXPECT_EQ(Writes(canvas, 5, 20), 0);
  // Far to the left and above: only the part on the screen is drawn.
  Canvas other(64, 64);
  r.DrawTriangle(V(-3000, -2500), V(40, 40), V(-3000, 40), other.target);
  EXPECT_EQ(Writes(other, 0, 39), 1);
  EXPECT_EQ(Writes(other, 63, 0), 0);
}

TEST(Coverage, HostileCoordinatesNeverCrashOrWriteOutside) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float values[] = {0.0f, 5.0f, -1e30f, 1e30f,  inf,       -inf,
                          nan,  3e9f, -2e7f,  1e-40f, 786432.0f, 1048575.0f};
  // A guard band around the buffer must stay untouched.
  std::vector<uint16_t> colour(40 * 40, 0x1234), depth(40 * 40, 0x4321);
  Framebuffer inner{colour.data() + 10 * 40 + 10, depth.data() + 10 * 40 + 10, 20, 20, 40};
  Rasterizer r;
  RasterState st = CountingState();
  st.depth = DepthState{2, 7, true, 0};
  r.SetState(st);
  for (float a : values)
    for (float b : values) {
      r.DrawTriangle(V(a, b, a), V(b, 15, 1), V(12, a, b), inner);
      r.DrawTriangle(V(-a, 3), V(a, b), V(b, -a), inner);
    }
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      if (x < 10 || x >= 30 || y < 10 || y >= 30) {
        ASSERT_EQ(colour[y * 40 + x], 0x1234) << x << "," << y;
        ASSERT_EQ(depth[y * 40 + x], 0x4321) << x << "," << y;
      }
}

struct CullCase {
  int mode;
  bool clockwise;  // on screen (y down): positive area
  bool drawn;
};
void PrintTo(const CullCase& c, std::ostream* os) {
  *os << "mode " << c.mode << (c.clockwise ? ", clockwise" : ", anticlockwise")
      << (c.drawn ? ", drawn" : ", culled");
}
class Culling : public ::testing::TestWithParam<CullCase> {};

TEST_P(Culling, SignOfTheAreaOnCoordinatesAsPassed) {
  CullCase c = GetParam();
  Canvas canvas(16, 16);
  Rasterizer r;
  RasterState st = CountingState();
  st.cullMode = c.mode;
  r.SetState(st);
  VertexIn a = V(2, 2), b = V(14, 2), d = V(2, 14);  // (b-a)x(d-a) > 0: clockwise on screen
  if (c.clockwise) {
    r.DrawTriangle(a, b, d, canvas.target);
  } else {
    r.DrawTriangle(a, d, b, canvas.target);
  }
  EXPECT_EQ(Writes(canvas, 4, 4), c.drawn ? 1 : 0);
  EXPECT_EQ(r.Counters().trianglesCulled, c.drawn ? 0u : 1u);
}

constexpr const char* kCullModes[] = {"Disable", "Negative", "Positive"};

INSTANTIATE_TEST_SUITE_P(Modes, Culling,
                         ::testing::Values(CullCase{0, true, true}, CullCase{0, false, true},
                                           CullCase{1, true, true}, CullCase{1, false, false},
                                           CullCase{2, true, false}, CullCase{2, false, true}),
                         [](const auto& info) {
                           return std::string(kCullModes[info.param.mode]) +
                                  (info.param.clockwise ? "_Clockwise" : "_Anticlockwise");
                         });

TEST(Coverage, OriginLowerLeftFlipsRowsAndClipWindow) {
  Canvas canvas(16, 16);
  Rasterizer r;
  RasterState st = CountingState();
  st.originLowerLeft = true;
  st.clipMinX = 0;
  st.clipMaxX = 16;
  st.clipMinY = 0;
  st.clipMaxY = 4;  // the bottom four rows of the screen
  r.SetState(st);
  r.DrawTriangle(V(0, 0), V(16, 0), V(16, 16), canvas.target);
  r.DrawTriangle(V(16, 16), V(0, 16), V(0, 0), canvas.target);
  for (int y = 0; y < 16; ++y) EXPECT_EQ(Writes(canvas, 8, y), y >= 12 ? 1 : 0) << y;
  // A point at program y = 1.5 lands on physical row 14.
  Canvas small(16, 16);
  st.clipMaxY = 16;
  r.SetState(st);
  r.DrawTriangle(V(4, 1), V(6, 1), V(6, 2), small.target);
  EXPECT_EQ(Writes(small, 5, 14), 1);
}

}  // namespace
}  // namespace gfx::testing
