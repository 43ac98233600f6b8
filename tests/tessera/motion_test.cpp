// The motion step: the sine table, angle wrapping, the near limit and the
// exact order of the random draws of a launch.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>

#include "tessera/scene/model.h"

namespace tessera {
namespace {

TEST(SineTable, TellingRowsAndAccuracy) {
  const std::pair<int, float> rows[] = {{0, 0.0f},        {1, 0.017452f}, {30, 0.5f},
                                        {45, 0.707106f},  {90, 1.0f},     {135, 0.707108f},
                                        {180, 0.000002f}, {270, -1.0f},   {360, 0.0f}};
  for (const auto& [k, value] : rows) EXPECT_EQ(sineTable[static_cast<size_t>(k)], value) << "entry " << k;
  for (size_t k = 0; k < 450; ++k) {
    EXPECT_NEAR(sineTable[k], std::sin(static_cast<double>(k) * std::numbers::pi / 180.0), 0.0000051) << k;
    EXPECT_EQ(sineTable[k], std::round(sineTable[k] * 1e6f) / 1e6f) << "six decimals at " << k;
    if (k >= 360) {
      EXPECT_EQ(sineTable[k], sineTable[k - 360]) << k;
    }
  }
}

struct Turn {
  int32_t angle, spin, after;
};
void PrintTo(const Turn& turn, std::ostream* out) {
  *out << turn.angle << " + " << turn.spin << " -> " << turn.after;
}
class AngleWrap : public ::testing::TestWithParam<Turn> {};

TEST_P(AngleWrap, StaysWithinAWholeTurn) {
  const Turn turn = GetParam();
  Model body;
  body.SetMotion(0, 0, 100, 0, 0, 0, turn.angle, turn.angle, turn.angle, turn.spin, turn.spin, turn.spin, 0);
  Random random;
  body.Update(random);
  EXPECT_EQ(body.angleX, turn.after);
  EXPECT_EQ(body.angleY, turn.after);
  EXPECT_EQ(body.angleZ, turn.after);
}

INSTANTIATE_TEST_SUITE_P(Turns, AngleWrap,
                         ::testing::Values(Turn{357, 4, 1}, Turn{1, -2, 359}, Turn{359, 1, 0},
                                           Turn{0, -1, 359}, Turn{355, 5, 0}, Turn{10, 3, 13}),
                         [](const auto& info) {
                           const Turn& t = info.param;
                           return "From" + std::to_string(t.angle) + (t.spin < 0 ? "Minus" : "Plus") +
                                  std::to_string(t.spin < 0 ? -t.spin : t.spin);
                         });

// The figure's x angle runs 359, 357, ..., 1, 359.
TEST(AngleWrap, FigureTumblesThroughZero) {
  Model dude;
  dude.SetMotion(0, -1, 15, 0, 0, 0, 359, 0, 359, -2, 1, -5, 4);
  Random random;
  for (int frame = 0; frame < 179; ++frame) dude.Update(random);
  EXPECT_EQ(dude.angleX, 1);
  dude.Update(random);
  EXPECT_EQ(dude.angleX, 359);
  EXPECT_EQ(dude.positionZ, 15.0f);
}

// A body moves, turns and is placed by the rotations of its angles.
TEST(MotionStep, RotatesThenTranslates) {
  Model body;
  body.AddVertex({1, 0, 0});
  body.AddVertex({0, 1, 0});
  body.vertexCount = 2;
  body.SetMotion(10, 20, 100, 1, 2, -3, 0, 0, 0, 0, 0, 90, 0);
  Random random;
  body.Update(random);
  EXPECT_EQ(body.positionX, 11.0f);
  EXPECT_EQ(body.positionZ, 97.0f);
  // About z by 90: x' = x c + y s, y' = y c - x s.
  const Vec3 expected[2] = {{11, 21, 97}, {12, 22, 97}};
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(body.vertices[static_cast<size_t>(i)].x, expected[i].x, 1e-5);
    EXPECT_NEAR(body.vertices[static_cast<size_t>(i)].y, expected[i].y, 1e-5);
    EXPECT_EQ(body.vertices[static_cast<size_t>(i)].z, expected[i].z);
  }
  EXPECT_EQ(body.baseVertices[0], (Vec3{1, 0, 0}));
  body.Update(random);  // rebuilt from the base vertices, not compounded
  EXPECT_EQ(body.angleZ, 180);
  EXPECT_NEAR(body.vertices[0].x, 12 - 1, 1e-5);
}

// The eleven values, each from the draw its place in the order gives.
void ExpectLaunchFromDraws(const Model& body, uint32_t seed, uint32_t spinZY, uint32_t spinX,
                           float approachStep) {
  Random random(seed);
  uint32_t draw[11];
  for (uint32_t& value : draw) value = random.Next();
  const float sx = draw[0] % 2 == 1 ? 1.0f : -1.0f;
  const float sy = draw[1] % 2 == 1 ? 1.0f : -1.0f;
  EXPECT_EQ(body.textureIndex, static_cast<int32_t>(draw[2] % 5));
  EXPECT_EQ(body.spinZ, static_cast<int32_t>(draw[3] % spinZY + 2));
  EXPECT_EQ(body.spinY, static_cast<int32_t>(draw[4] % spinZY + 2));
  EXPECT_EQ(body.spinX, static_cast<int32_t>(draw[5] % spinX + 2));
  EXPECT_EQ(body.velocityZ, static_cast<float>(-25 - static_cast<int32_t>(draw[6] % 30)) * approachStep);
  EXPECT_EQ(body.velocityY, static_cast<float>(draw[7] % 6 + 1) * sy * 0.05f);
  EXPECT_EQ(body.velocityX, static_cast<float>(draw[8] % 6 + 1) * sx * 0.05f);
  EXPECT_EQ(body.positionY, static_cast<float>(draw[9] % 8 + 1) * sy);
  EXPECT_EQ(body.positionX, static_cast<float>(draw[10] % 8 + 1) * sx);
  EXPECT_EQ(body.positionZ, 500.0f);
  EXPECT_EQ(body.angleX, 0);
  EXPECT_EQ(body.angleY, 0);
  EXPECT_EQ(body.angleZ, 0);
}

TEST(Launch, DrawsElevenValuesInOrder) {
  for (uint32_t seed : {1u, 2u, 12345u, 0xCAFEF00Du}) {
    Model body;
    Random random(seed);
    LaunchObject(body, random);
    ExpectLaunchFromDraws(body, seed, 2, 2, 0.14285715f);
    Random after(seed);
    for (int i = 0; i < 11; ++i) after.Next();
    EXPECT_EQ(random.State(), after.State()) << "exactly eleven draws";
  }
}

TEST(Launch, NearLimitIsFiveInclusive) {
  Model body;
  body.AddVertex({1, 1, 1});
  body.vertexCount = 1;
  body.SetMotion(3, 4, 5.000001f, 0.1f, 0.1f, -4, 10, 20, 30, 2, 2, 2, 1);
  Random random(99);
  body.Update(random);
  EXPECT_FLOAT_EQ(body.positionZ, 1.000001f) << "above 5 it moves once more";
  EXPECT_EQ(random.State(), 99u);

  body.SetMotion(3, 4, 5.0f, 0.1f, 0.1f, -4, 10, 20, 30, 2, 2, 2, 1);
  const std::vector<Vec3> lastFrame = body.vertices;
  body.Update(random);
  ExpectLaunchFromDraws(body, 99, 3, 4, 0.1f);
  EXPECT_EQ(body.vertices, lastFrame) << "the relaunch frame redraws last frame's vertices";
}

TEST(Launch, SameSeedSameScene) {
  auto run = [](uint32_t seed) {
    ObjectScene scene;
    scene.objectCount = 20;
    Random random(seed);
    LoadObjectModels(scene, random);
    for (int frame = 0; frame < 300; ++frame) {
      for (uint32_t i = 0; i < scene.objectCount; ++i) scene.objects[i].Update(random);
    }
    return std::make_pair(scene.objects[7].positionZ, random.State());
  };
  EXPECT_EQ(run(5), run(5));
  EXPECT_NE(run(5), run(6));
}

}  // namespace
}  // namespace tessera
