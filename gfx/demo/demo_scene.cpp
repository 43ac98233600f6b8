// demo_scene.cpp — the demo's geometry, lighting and projection, drawn with
// Glide's texture, combine, fog, depth and blend units.
//
// View space: x right, y up, z away from the viewer, in metres. The screen is
// 640×480 with the origin at the upper left; vertices carry 1/z as oow.
#include "demo_scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "demo_textures.h"

namespace demo {
namespace {

constexpr float kPi = 3.14159265f;
constexpr float kFocal = 554.0f;  // pixels: a 60° horizontal field of view over 640
constexpr float kFloorY = -1.6f;
constexpr float kTorusZ = 5.5f;
constexpr float kTorusY = 0.1f;
constexpr GrColor_t kFogColour = 0xFF1B2436;  // ARGB: dusk blue

struct Vec3 {
  float x, y, z;
};

Vec3 Normalised(Vec3 v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return {v.x / length, v.y / length, v.z / length};
}

// A view-space point with its texture coordinate (in texels) as a Glide vertex.
GrVertex Project(Vec3 p, float s, float t) {
  GrVertex v{};
  const float oow = 1.0f / p.z;
  v.x = 320.0f + kFocal * p.x * oow;
  v.y = 240.0f - kFocal * p.y * oow;
  v.oow = oow;
  v.tmuvtx[0].sow = s * oow;
  v.tmuvtx[0].tow = t * oow;
  v.tmuvtx[0].oow = oow;
  v.r = v.g = v.b = 255.0f;
  v.a = 255.0f;
  return v;
}

}  // namespace

bool Scene::Load() {
  const auto tiles = TileTexture();
  const auto marble = MarbleTexture();
  auto allocate = [] {
    return guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 256, 256, GR_TEXFMT_RGB_565,
                               GR_MIPMAP_NEAREST, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXTURECLAMP_WRAP,
                               GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR,
                               0.0f, FXFALSE);
  };
  tiles_ = allocate();
  marble_ = allocate();
  if (tiles_ == GR_NULL_MIPMAP_HANDLE || marble_ == GR_NULL_MIPMAP_HANDLE) return false;
  guTexDownloadMipMap(tiles_, tiles.data(), nullptr);
  guTexDownloadMipMap(marble_, marble.data(), nullptr);

  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grDitherMode(GR_DITHER_4x4);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);

  static GrFog_t fog[GR_FOG_TABLE_SIZE];
  guFogGenerateExp(fog, 0.055f);
  grFogTable(fog);
  grFogColorValue(kFogColour);
  grFogMode(GR_FOG_WITH_TABLE);
  return true;
}

void Scene::Draw(uint64_t frame) {
  const float seconds = static_cast<float>(frame) / 60.0f;
  grBufferClear(kFogColour, 0, GR_WDEPTHVALUE_FARTHEST);
  DrawFloor(seconds * 0.6f);
  DrawShadow(1.9f + 0.25f * std::sin(seconds * 1.3f));
  DrawTorus(seconds * 0.9f, 0.6f + 0.35f * std::sin(seconds * 0.7f));
}

void Scene::DrawFloor(float scroll) {
  guTexSource(marble_);
  guColorCombineFunction(GR_COLORCOMBINE_TEXTURE_TIMES_ITRGB);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  // One texture repeat every 4 m; the floor slides towards the viewer.
  constexpr float kTexelsPerMetre = 256.0f / 4.0f;
  const float offset = std::fmod(scroll, 4.0f) * kTexelsPerMetre;
  // Wide and deep enough that its far edge lies in full fog.
  constexpr int kCellsX = 24;
  constexpr int kCellsZ = 16;
  constexpr float kCell = 4.0f;
  const float x0 = -kCell * kCellsX / 2;
  const float z0 = 1.5f;
  for (int iz = 0; iz < kCellsZ; ++iz) {
    for (int ix = 0; ix < kCellsX; ++ix) {
      const float xa = x0 + ix * kCell;
      const float za = z0 + iz * kCell;
      const float sa = ix * 256.0f;
      const float ta = iz * 256.0f + offset;
      GrVertex a = Project({xa, kFloorY, za}, sa, ta);
      GrVertex b = Project({xa + kCell, kFloorY, za}, sa + 256.0f, ta);
      GrVertex c = Project({xa + kCell, kFloorY, za + kCell}, sa + 256.0f, ta + 256.0f);
      GrVertex d = Project({xa, kFloorY, za + kCell}, sa, ta + 256.0f);
      grDrawTriangle(&a, &b, &c);
      grDrawTriangle(&a, &c, &d);
    }
  }
}

void Scene::DrawShadow(float radius) {
  // A soft dark disc under the torus: iterated black with alpha falling to the rim.
  guColorCombineFunction(GR_COLORCOMBINE_ITRGB);
  guAlphaSource(GR_ALPHASOURCE_ITERATED_ALPHA);
  grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
  // Laid on the floor just drawn: no depth test, no depth write.
  grDepthBufferFunction(GR_CMP_ALWAYS);
  grDepthMask(FXFALSE);
  constexpr int kSegments = 32;
  const float y = kFloorY;
  GrVertex centre = Project({0.0f, y, kTorusZ}, 0, 0);
  centre.r = centre.g = centre.b = 0.0f;
  centre.a = 150.0f;
  for (int i = 0; i < kSegments; ++i) {
    const float a0 = 2 * kPi * i / kSegments;
    const float a1 = 2 * kPi * (i + 1) / kSegments;
    GrVertex p = Project({radius * std::cos(a0), y, kTorusZ + radius * std::sin(a0)}, 0, 0);
    GrVertex q = Project({radius * std::cos(a1), y, kTorusZ + radius * std::sin(a1)}, 0, 0);
    p.r = p.g = p.b = q.r = q.g = q.b = 0.0f;
    p.a = q.a = 0.0f;
    grDrawTriangle(&centre, &p, &q);
  }
  grDepthMask(FXTRUE);
  grDepthBufferFunction(GR_CMP_LESS);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  guAlphaSource(GR_ALPHASOURCE_CC_ALPHA);
}

void Scene::DrawTorus(float yawRad, float pitchRad) {
  guTexSource(tiles_);
  guColorCombineFunction(GR_COLORCOMBINE_TEXTURE_TIMES_ITRGB);
  constexpr int kMajor = 40;
  constexpr int kMinor = 20;
  constexpr float kMajorRadius = 1.25f;
  constexpr float kMinorRadius = 0.5f;
  const Vec3 light = Normalised({-0.5f, 0.8f, -0.6f});
  const float cy = std::cos(yawRad), sy = std::sin(yawRad);
  const float cp = std::cos(pitchRad), sp = std::sin(pitchRad);
  auto rotate = [&](Vec3 v) {
    const Vec3 pitched{v.x, v.y * cp - v.z * sp, v.y * sp + v.z * cp};
    return Vec3{pitched.x * cy + pitched.z * sy, pitched.y, -pitched.x * sy + pitched.z * cy};
  };

  // Vertices on a (kMajor + 1) × (kMinor + 1) grid so texture seams get their own copies.
  std::vector<GrVertex> grid;
  grid.reserve((kMajor + 1) * (kMinor + 1));
  for (int i = 0; i <= kMajor; ++i) {
    const float u = 2 * kPi * i / kMajor;
    for (int j = 0; j <= kMinor; ++j) {
      const float v = 2 * kPi * j / kMinor;
      const Vec3 normal = rotate({std::cos(u) * std::cos(v), std::sin(u) * std::cos(v), std::sin(v)});
      const float ring = kMajorRadius + kMinorRadius * std::cos(v);
      Vec3 p = rotate({ring * std::cos(u), ring * std::sin(u), kMinorRadius * std::sin(v)});
      p.y += kTorusY;
      p.z += kTorusZ;
      // Eight tile repeats around the ring, two around the tube.
      GrVertex vertex = Project(p, 8.0f * 256.0f * i / kMajor, 2.0f * 256.0f * j / kMinor);
      const float diffuse = std::max(0.0f, normal.x * light.x + normal.y * light.y + normal.z * light.z);
      const Vec3 eye = Normalised({-p.x, -p.y, -p.z});
      const Vec3 half = Normalised({light.x + eye.x, light.y + eye.y, light.z + eye.z});
      const float specular =
          std::pow(std::max(0.0f, normal.x * half.x + normal.y * half.y + normal.z * half.z), 24.0f);
      const float level = std::min(255.0f, 255.0f * (0.25f + 0.85f * diffuse + 0.6f * specular));
      vertex.r = vertex.g = vertex.b = level;
      grid.push_back(vertex);
    }
  }
  for (int i = 0; i < kMajor; ++i) {
    for (int j = 0; j < kMinor; ++j) {
      const GrVertex& a = grid[i * (kMinor + 1) + j];
      const GrVertex& b = grid[(i + 1) * (kMinor + 1) + j];
      const GrVertex& c = grid[(i + 1) * (kMinor + 1) + j + 1];
      const GrVertex& d = grid[i * (kMinor + 1) + j + 1];
      grDrawTriangle(&a, &b, &c);
      grDrawTriangle(&a, &c, &d);
    }
  }
}

}  // namespace demo
