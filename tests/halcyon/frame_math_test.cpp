// frame_math_test.cpp — the random generator, the scene values, the fade
// cycle and the geometry of a frame.
#include "halcyon/render/frame_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <deque>
#include <limits>

namespace halcyon {
namespace {

TEST(RandomGenerator, SeedZeroFirstDrawIs38) {
  RandomGenerator random;
  random.Seed(0);
  EXPECT_EQ(random.Next(), 38);
  EXPECT_EQ(random.State(), 2531011u);
  // Draws stay in 0..32767 whatever the state.
  random.Seed(0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    int r = random.Next();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

TEST(RandomGenerator, CentredDrawCoversMinusHalfToHalf) {
  EXPECT_EQ(CentredDraw(0), -0.5f);
  EXPECT_FLOAT_EQ(CentredDraw(32767), 0.5f);
  EXPECT_LT(CentredDraw(16383), 0.0f);
  EXPECT_GT(CentredDraw(16383), -0.0001f);
}

// Feeds DrawSceneValues a fixed list of draws.
SceneValues ValuesFrom(std::deque<int> draws) {
  return DrawSceneValues([&draws] {
    int r = draws.front();
    draws.pop_front();
    return r;
  });
}

TEST(SceneValues, LowestDrawsGiveTheLowEndOfEveryRange) {
  SceneValues v = ValuesFrom({0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_FLOAT_EQ(v.spinRate, -0.0075f);
  EXPECT_FLOAT_EQ(v.scrollRate, -1.12f);
  EXPECT_FLOAT_EQ(v.rotationRates.x, -2.0f);
  EXPECT_FLOAT_EQ(v.rotationRates.z, -2.0f);
  EXPECT_EQ(v.fogColour, 0xC0C0C0C0u);
  EXPECT_EQ(v.floorTexture, 0);
  EXPECT_FLOAT_EQ(v.fogDensity, 0.0035f);
  EXPECT_EQ(v.backgroundAlpha, 64);
}

TEST(SceneValues, DrawsAreTakenInOrderAndPickFromTheTables) {
  // spin, scroll, rotation x y z, fog colour, floor, density, opacity.
  SceneValues v = ValuesFrom({32767, 16383, 0, 32767, 0, 11, 29, 99, 191});
  EXPECT_FLOAT_EQ(v.spinRate, 0.0075f);
  EXPECT_LT(v.scrollRate, 0.0f);
  EXPECT_GT(v.scrollRate, -0.001f);
  EXPECT_FLOAT_EQ(v.rotationRates.x, -2.0f);
  EXPECT_FLOAT_EQ(v.rotationRates.y, 2.0f);
  EXPECT_EQ(v.fogColour, fogColourTable[0]);
  EXPECT_EQ(v.floorTexture, 14);
  EXPECT_FLOAT_EQ(v.fogDensity, 0.1025f);
  EXPECT_EQ(v.backgroundAlpha, 255);
  EXPECT_EQ(ValuesFrom({0, 0, 0, 0, 0, 10, 15, 0, 192}).backgroundAlpha, 64);
  EXPECT_EQ(ValuesFrom({0, 0, 0, 0, 0, 10, 15, 0, 192}).fogColour, 0x000040FFu);
}

// Runs the fade of one scene as DrawFrame does; per frame: the level drawn and
// whether the floor is opaque (advanced counter 2 or less).
struct FadeFrame {
  int level;
  bool opaque;
  bool newScene;
};
std::vector<FadeFrame> RunFades(int frames) {
  int32_t counter = -1;
  uint32_t fadingOut = 0;
  std::vector<FadeFrame> out;
  for (int f = 0; f < frames; ++f) {
    bool due = counter < 0;
    if (due) {
      counter = 0;
      fadingOut = 0;
    }
    int level = FadeLevel(counter);
    AdvanceFade(counter, fadingOut);
    out.push_back({level, counter <= 2, due});
  }
  return out;
}

TEST(FadeCycle, SceneLasts935FramesWithOpaqueFloorAtBothEnds) {
  std::vector<FadeFrame> f = RunFades(936);
  auto frame = [&](int n) { return f[n - 1]; };  // frames counted from 1
  EXPECT_TRUE(frame(1).newScene);
  EXPECT_EQ(frame(1).level, 0);
  EXPECT_EQ(frame(2).level, 1);
  EXPECT_EQ(frame(257).level, 256);
  EXPECT_EQ(frame(702).level, 256);
  EXPECT_EQ(frame(851).level, 254);
  EXPECT_EQ(frame(935).level, 2);
  std::vector<int> opaque;
  for (int n = 1; n <= 935; ++n) {
    if (frame(n).opaque) opaque.push_back(n);
    if (n > 1) {
      EXPECT_FALSE(frame(n).newScene) << n;
    }
  }
  EXPECT_EQ(opaque, (std::vector<int>{1, 2, 934, 935}));
  EXPECT_TRUE(frame(936).newScene);
  EXPECT_EQ(frame(936).level, 0);
}

TEST(FadeCycle, RampScalesEveryByteAndDropsTheTopByte) {
  uint8_t ramp[256];
  BuildFadeRamp(128, ramp);
  EXPECT_EQ(Fade(0xC0C0C0C0u, ramp), 0x00606060u);
  BuildFadeRamp(256, ramp);
  EXPECT_EQ(Fade(0x00ABCDEFu, ramp), 0x00ABCDEFu);
  EXPECT_EQ(Fade(0xFF102030u, ramp), 0x00102030u);
  BuildFadeRamp(0, ramp);
  EXPECT_EQ(Fade(0x00FFFFFFu, ramp), 0u);
  EXPECT_EQ(FadeLevel(-1), 0);
  EXPECT_EQ(FadeLevel(700), 256);
}

TEST(SceneTime, CountsTwentyFiveMillisecondStepsAcrossTheTickWrap) {
  EXPECT_FLOAT_EQ(SceneTime(1250, 1000), 10.0f);
  EXPECT_FLOAT_EQ(SceneTime(5, 0xFFFFFFF0u), 21 * 0.04f);
  EXPECT_EQ(SceneTime(7, 7), 0.0f);
}

TEST(Rotation, IsZThenXThenYComposedAsStated) {
  const float ax = 0.3f, ay = -1.1f, az = 2.0f;
  Matrix3 r = RotationMatrix(ax, ay, az);
  // Rz * Rx * Ry built from the plain axis turns.
  double rz[3][3] = {{std::cos(az), -std::sin(az), 0}, {std::sin(az), std::cos(az), 0}, {0, 0, 1}};
  double rx[3][3] = {{1, 0, 0}, {0, std::cos(ax), -std::sin(ax)}, {0, std::sin(ax), std::cos(ax)}};
  double ry[3][3] = {{std::cos(ay), 0, std::sin(ay)}, {0, 1, 0}, {-std::sin(ay), 0, std::cos(ay)}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double sum = 0;
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) sum += rz[i][k] * rx[k][l] * ry[l][j];
      EXPECT_NEAR(r.m[i][j], sum, 1e-6) << i << "," << j;
    }
  }
  Matrix3 identity = RotationMatrix(0, 0, 0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(identity.m[i][j], i == j ? 1.0f : 0.0f);
}

TEST(Projection, VertexOnA640By480ScreenWithNoTurn) {
  const Matrix3 r = RotationMatrix(0, 0, 0);
  // The model point (-0.8, 0, 0) is the pivot, so (0.2, 0.1, 0) lies 1.0 right of it.
  ScreenVertex v = ProjectVertex(r, {0.2f, 0.1f, 0.0f}, {0.0f, 0.0f, -1.0f}, 640, 480);
  EXPECT_FLOAT_EQ(v.oow, 0.4f);
  EXPECT_FLOAT_EQ(v.x - SNAP_BIAS, 576.0f);
  EXPECT_NEAR(v.y - SNAP_BIAS, 263.04f, 1.0f / 16);  // the bias leaves 1/16 pixel
  EXPECT_FLOAT_EQ(v.sow, 51.2f);
  EXPECT_FLOAT_EQ(v.tow, 51.2f);
  // A normal facing right samples the map's left edge, one facing down its top.
  EXPECT_FLOAT_EQ(ProjectVertex(r, {0.2f, 0.1f, 0.0f}, {1, 0, 0}, 640, 480).sow, 0.0f);
  EXPECT_FLOAT_EQ(ProjectVertex(r, {0.2f, 0.1f, 0.0f}, {0, 1, 0}, 640, 480).tow, 0.0f);
}

TEST(Projection, DepthNeverComesNearerThanOne) {
  const Matrix3 r = RotationMatrix(0, 0, 0);
  EXPECT_EQ(ProjectVertex(r, {0.0f, 0.0f, -1.8f}, {}, 640, 480).oow, 1.0f);  // depth 0.7
  EXPECT_EQ(ProjectVertex(r, {0.0f, 0.0f, -9.0f}, {}, 640, 480).oow, 1.0f);  // behind the viewer
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(ProjectVertex(r, {0.0f, 0.0f, nan}, {}, 640, 480).oow, 1.0f);
}

TEST(FloorCorners, NearAndFarEdgesAtSpinAndScrollZero) {
  EXPECT_EQ(floorCornerOow[0], std::bit_cast<float>(uint32_t{0x3E947AE1}));
  EXPECT_EQ(floorCornerOow[3], std::bit_cast<float>(uint32_t{0x3C45F92C}));
  FloorCoordinates c0 = FloorCorner(0, 0, 0), c1 = FloorCorner(1, 0, 0), c2 = FloorCorner(2, 0, 0);
  EXPECT_EQ(c0.sow, 0.0f);
  EXPECT_EQ(c0.tow, 13.0f);
  EXPECT_FLOAT_EQ(c1.sow, 13.0f * std::sin(1.57075f));
  EXPECT_NEAR(c1.tow, 0.0f, 1e-3);
  EXPECT_NEAR(c2.tow, -13.0f, 1e-3);
  // Scroll slides the far corners much further in texture space than the near ones.
  const float scroll = 100.0f;
  EXPECT_NEAR(FloorCorner(0, 0, scroll).tow / floorCornerOow[0] - 13.0f / floorCornerOow[0], scroll, 1e-2);
  EXPECT_NEAR(FloorCorner(3, 0, scroll).tow / floorCornerOow[3], scroll, 1.0);
}

}  // namespace
}  // namespace halcyon
