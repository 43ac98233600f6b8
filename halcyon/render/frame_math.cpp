// frame_math.cpp — scene values, fades, rotation, projection and floor
// coordinates of a world frame.
#include "halcyon/render/frame_math.h"

#include <bit>
#include <cmath>

#include "halcyon/render/trig.h"

namespace halcyon {

const uint32_t fogColourTable[11] = {0xC0C0C0C0, 0x00000000, 0x00302000, 0x00307070, 0x00804020, 0x001050E0,
                                     0x00405050, 0x00C01060, 0x0000D0D0, 0x00FF0040, 0x000040FF};

const float floorCornerOow[4] = {
    std::bit_cast<float>(uint32_t{0x3E947AE1}), std::bit_cast<float>(uint32_t{0x3E947AE1}),
    std::bit_cast<float>(uint32_t{0x3C45F92C}), std::bit_cast<float>(uint32_t{0x3C45F92C})};

SceneValues DrawSceneValues(const std::function<int()>& draw) {
  SceneValues v;
  v.spinRate = CentredDraw(draw()) * 0.015f;
  v.scrollRate = CentredDraw(draw()) * 2.24f;
  float rx = CentredDraw(draw());
  float ry = CentredDraw(draw());
  float rz = CentredDraw(draw());
  v.rotationRates = Vec3{rx, ry, rz}.Scaled(4.0f);
  v.fogColour = fogColourTable[draw() % 11];
  v.floorTexture = draw() % 15;
  v.fogDensity = static_cast<float>(draw() % 100) * 0.001f + 0.0035f;
  v.backgroundAlpha = static_cast<uint8_t>(draw() % 192 + 64);
  return v;
}

int FadeLevel(int32_t fadeCounter) {
  return fadeCounter < 0 ? 0 : (fadeCounter > 256 ? 256 : fadeCounter);
}

void BuildFadeRamp(int level, uint8_t ramp[256]) {
  for (int i = 0; i < 256; ++i) ramp[i] = static_cast<uint8_t>((i * level) >> 8);
}

void AdvanceFade(int32_t& fadeCounter, uint32_t& fadingOut) {
  if (fadingOut == 0) {
    fadeCounter += 1;
  } else if (fadingOut == 1) {
    fadeCounter -= 3;
  }
  if (fadeCounter > 700) fadingOut = 1;
}

float SceneTime(uint32_t nowMs, uint32_t sceneStartMs) {
  return static_cast<float>(nowMs - sceneStartMs) * 0.04f;
}

Matrix3 RotationMatrix(float ax, float ay, float az) {
  const float sa = Sin(ax), ca = Cos(ax);
  const float sb = Sin(ay), cb = Cos(ay);
  const float sc = Sin(az), cc = Cos(az);
  Matrix3 r;
  r.m[0][0] = cc * cb - sc * sa * sb;
  r.m[0][1] = -ca * sc;
  r.m[0][2] = sa * cb * sc + sb * cc;
  r.m[1][0] = sc * cb + sa * sb * cc;
  r.m[1][1] = ca * cc;
  r.m[1][2] = sc * sb - sa * cb * cc;
  r.m[2][0] = -ca * sb;
  r.m[2][1] = sa;
  r.m[2][2] = ca * cb;
  return r;
}

ScreenVertex ProjectVertex(const Matrix3& r, const Vec3& p, const Vec3& n, float width, float height) {
  const float qx = p.x + 0.8f, qy = p.y, qz = p.z;
  const float x = r.m[0][0] * qx + r.m[0][1] * qy + r.m[0][2] * qz;
  const float y = r.m[1][0] * qx + r.m[1][1] * qy + r.m[1][2] * qz;
  float w = r.m[2][0] * qx + r.m[2][1] * qy + r.m[2][2] * qz + 2.5f;
  if (!(w >= 1.0f)) w = 1.0f;  // also when w is not a number
  ScreenVertex v;
  v.oow = 1.0f / w;
  v.x = (SNAP_BIAS + 0.5f * width) + v.oow * width * x;
  v.y = (SNAP_BIAS + 0.5f * height) + v.oow * (1.2f * height) * y;
  const float nx = r.m[0][0] * n.x + r.m[0][1] * n.y + r.m[0][2] * n.z;
  const float ny = r.m[1][0] * n.x + r.m[1][1] * n.y + r.m[1][2] * n.z;
  v.sow = (1.0f - nx) * v.oow * 128.0f;
  v.tow = (1.0f - ny) * v.oow * 128.0f;
  return v;
}

FloorCoordinates FloorCorner(int corner, float spin, float scroll) {
  const float theta = spin + static_cast<float>(corner) * 1.57075f;
  return {13.0f * Sin(theta), scroll * floorCornerOow[corner] + 13.0f * Cos(theta)};
}

}  // namespace halcyon
