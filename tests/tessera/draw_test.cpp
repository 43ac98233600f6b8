// Drawing: the projection of a corner, the calls Draw makes, the guard at
// the eye, and the backdrop covering the screen at every angle.
#include <gfx/recorder.h>
#include <gtest/gtest.h>

#include <string>

#include "glide_fixture.h"
#include "tessera/scene/model.h"

namespace tessera {
namespace {

TEST(Projection, CentreUnitsAndTextureCoordinates) {
  const GrVertex centre = ProjectVertex({0, 0, 0}, {0, 0, 0}, 25.0f, false);
  EXPECT_EQ(centre.x, 320.0f);
  EXPECT_EQ(centre.y, 240.0f);
  EXPECT_EQ(centre.oow, 1.0f / 75.0f);

  const GrVertex biased = ProjectVertex({0, 0, 0}, {0, 0, 0}, 25.0f);
  EXPECT_EQ(biased.x, 786752.0f);
  EXPECT_EQ(biased.y, 786672.0f);

  const GrVertex unit = ProjectVertex({1, 1, 0}, {0, 0, 0}, 25.0f, false);
  EXPECT_FLOAT_EQ(unit.x - 320.0f, 2048.0f / 75.0f);  // about 27.3 pixels
  EXPECT_GT(unit.y, 240.0f) << "positive y is higher on the screen";

  // Texture coordinates come from the model-space corner, scaled and
  // divided by w, whatever the moved position.
  const GrVertex textured = ProjectVertex({5, -5, 25}, {2, 3, 0}, 25.0f, false);
  EXPECT_EQ(textured.oow, 0.01f);
  EXPECT_FLOAT_EQ(textured.tmuvtx[0].sow, 0.5f);
  EXPECT_FLOAT_EQ(textured.tmuvtx[0].tow, 0.75f);
  EXPECT_FLOAT_EQ(textured.x, 320.0f + 5 * 20.48f);
}

// The library opened as tessera opens it.
class DrawCalls : public gfxtest::GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open(GR_COLORFORMAT_RGBA, GR_ORIGIN_LOWER_LEFT));
  }
};

TEST_F(DrawCalls, StateOnEveryDrawAndNoFaceAtTheEye) {
  Model body;
  for (Vec3 v : {Vec3{0, 0, 10}, Vec3{1, 0, 10}, Vec3{0, 1, 10}, Vec3{0, 0, -75}, Vec3{0, 0, -90},
                 Vec3{0, 0, -74.5f}}) {
    body.AddVertex(v);
  }
  body.AddFace({0, 1, 2});  // drawn
  body.AddFace({0, 1, 3});  // a corner at the eye: w = 0
  body.AddFace({4, 1, 2});  // a corner behind it
  body.AddFace({0, 5, 2});  // a corner half a unit in front of it
  body.AddFace({2, 1, 0});  // drawn, the other way round
  body.vertexCount = 6;
  body.faceCount = 5;
  body.textureIndex = 2;
  TextureHandles handles = {10, 11, 12, 13, 14, 15};

  gfx::StartRecording();
  EXPECT_TRUE(body.Draw(25.0f, handles));
  const std::vector<gfx::RecordedCall> calls = gfx::StopRecording();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].name, "guColorCombineFunction");
  EXPECT_EQ(calls[0].args, std::to_string(GR_COLORCOMBINE_DECAL_TEXTURE));
  EXPECT_EQ(calls[1].name, "guTexSource");
  EXPECT_EQ(calls[1].args, "12");
  EXPECT_EQ(calls[2].name, "grTexCombineFunction");
  EXPECT_EQ(calls[3].name, "grDrawTriangle");
  EXPECT_EQ(calls[4].name, "grDrawTriangle");
  EXPECT_NE(calls[3].args, calls[4].args);

  Model empty;
  gfx::StartRecording();
  empty.Draw(40.0f, handles);
  EXPECT_EQ(gfx::StopRecording().size(), 3u) << "a body without faces still sets its state";
}

// At depth 501 the 400-unit square reaches about 711 pixels from the centre,
// beyond the screen's corners at every angle it turns through.
TEST(Backdrop, CoversTheWholeScreenAtEveryAngle) {
  Model plane;
  for (Vec3 v : {Vec3{-200, -200, 0}, Vec3{-200, 200, 0}, Vec3{200, -200, 0}, Vec3{200, 200, 0}})
    plane.AddVertex(v);
  plane.vertexCount = 4;
  Random random;
  auto inside = [](const GrVertex& a, const GrVertex& b, const GrVertex& c, float x, float y) {
    auto edge = [](const GrVertex& p, const GrVertex& q, float x, float y) {
      return (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x);
    };
    const float e0 = edge(a, b, x, y), e1 = edge(b, c, x, y), e2 = edge(c, a, x, y);
    return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
  };
  for (int32_t angle = 0; angle < 360; ++angle) {
    plane.SetMotion(0, 0, 501.0f, 0, 0, 0, 0, 0, angle == 0 ? 356 : angle - 4, 0, 0, 4, kPlaneTexture);
    plane.Update(random);
    ASSERT_EQ(plane.angleZ, angle);
    GrVertex corner[4];
    for (size_t i = 0; i < 4; ++i)
      corner[i] = ProjectVertex(plane.vertices[i], plane.baseVertices[i], 1.0f, false);
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {640.0f, 0.0f}, {0.0f, 480.0f}, {640.0f, 480.0f}}) {
      EXPECT_TRUE(inside(corner[1], corner[3], corner[2], x, y) ||
                  inside(corner[2], corner[0], corner[1], x, y))
          << "angle " << angle << " screen corner " << x << "," << y;
    }
  }
  EXPECT_FLOAT_EQ(ProjectVertex(plane.vertices[3], plane.baseVertices[3], 1.0f).tmuvtx[0].sow * 576.0f,
                  200.0f);
}

}  // namespace
}  // namespace tessera
