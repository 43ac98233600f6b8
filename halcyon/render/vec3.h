// vec3.h — three 32-bit floats for positions and normals, with the handful of
// by-value operations the mesh preparation uses.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace halcyon {

struct Vec3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;

  void Set(float nx, float ny, float nz) {
    x = nx;
    y = ny;
    z = nz;
  }
  void Add(const Vec3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
  }
  Vec3 Scaled(float s) const { return {x * s, y * s, z * s}; }
  Vec3 Divided(float s) const { return {x / s, y / s, z / s}; }
  float Length() const { return std::sqrt(x * x + y * y + z * z); }
  // A zero vector stays zero: its length is taken as 1e-11 instead of 0.
  Vec3 Normalize() const {
    float length = Length();
    if (length == 0.0f) length = std::bit_cast<float>(uint32_t{0x2D2FEBFF});
    return Divided(length);
  }
};

}  // namespace halcyon
