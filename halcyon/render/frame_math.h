// frame_math.h — the arithmetic of a world frame, free of Glide calls: the
// scene's random values, the fade cycle and its brightness ramp, the rotation
// matrix, the projection of a mesh vertex and the floor's texture
// coordinates. Everything is 32-bit float arithmetic.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "halcyon/render/random.h"
#include "halcyon/render/vec3.h"

namespace halcyon {

// Added to projected x and y; the rasteriser reads positions modulo 4096.
constexpr float SNAP_BIAS = 786432.0f;

// Fog colours, byte 0 red, byte 1 green, byte 2 blue.
extern const uint32_t fogColourTable[11];

// The values one scene draws, in the order they are drawn.
struct SceneValues {
  float spinRate = 0.0f;    // radians per 25 ms step
  float scrollRate = 0.0f;  // texture units per step
  Vec3 rotationRates;
  uint32_t fogColour = 0;
  int floorTexture = 0;  // 0..14
  float fogDensity = 0.0f;
  uint8_t backgroundAlpha = 255;
};
// Nine draws: spin, scroll, three rotation rates, fog colour, floor texture,
// fog density, floor opacity.
SceneValues DrawSceneValues(const std::function<int()>& draw);
inline SceneValues DrawSceneValues(RandomGenerator& random) {
  return DrawSceneValues([&random] { return random.Next(); });
}

// ---- Fade cycle ----
// Brightness 0..256 of a frame from the fade counter.
int FadeLevel(int32_t fadeCounter);
// ramp[i] = (i * level) >> 8.
void BuildFadeRamp(int level, uint8_t ramp[256]);
// Each of the three low bytes through the ramp; the top byte becomes 0.
inline uint32_t Fade(uint32_t colour, const uint8_t ramp[256]) {
  return (uint32_t{ramp[(colour >> 16) & 0xFF]} << 16) | (uint32_t{ramp[(colour >> 8) & 0xFF]} << 8) |
         ramp[colour & 0xFF];
}
// Counts up while fading in and holding, down by 3 once past 700.
void AdvanceFade(int32_t& fadeCounter, uint32_t& fadingOut);

// Scene time in 25 ms steps; the tick difference is taken modulo 2^32.
float SceneTime(uint32_t nowMs, uint32_t sceneStartMs);

// ---- Geometry ----
struct Matrix3 {
  float m[3][3];
};
// Rz(az) * Rx(ax) * Ry(ay).
Matrix3 RotationMatrix(float ax, float ay, float az);

struct ScreenVertex {
  float x, y, oow, sow, tow;
};
// Turns the scaled position p about (-0.8, 0, 0), pushes it 2.5 into the
// screen, projects it on a width x height screen and looks its rotated normal
// up in the sphere map.
ScreenVertex ProjectVertex(const Matrix3& r, const Vec3& p, const Vec3& n, float width, float height);

// Floor corners 0..3: near edge (oow 0.29) then far edge (oow 0.012083333).
extern const float floorCornerOow[4];
struct FloorCoordinates {
  float sow, tow;
};
FloorCoordinates FloorCorner(int corner, float spin, float scroll);

}  // namespace halcyon
