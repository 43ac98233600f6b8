// scenes.h — synthetic scenes shaped like what the two savers draw, used by
// the pixel-pipeline benchmark and by the tests that compare the fast spans
// with the reference: halcyon's fogged, blended floor quad, its sphere-mapped
// lump of 826 triangles, and tessera's 52 mipmapped, dithered bodies.
#pragma once

#include <cstdint>
#include <vector>

#include "raster.h"

namespace gfx::scenes {

constexpr int kWidth = 640, kHeight = 480;

// A colour and depth buffer pair with a Framebuffer view on it.
struct Canvas {
  Canvas(int width = kWidth, int height = kHeight, uint16_t colourFill = 0, uint16_t depthFill = 0xFFFF);
  std::vector<uint16_t> colour, depth;
  Framebuffer target;
};

// A canvas for the board's 640x480 screen drawn at an internal scale: the
// buffers are scale times wider and taller.
struct ScaledCanvas : Canvas {
  explicit ScaledCanvas(int scale) : Canvas(kWidth * scale, kHeight * scale) { target.scale = scale; }
};

struct Batch {
  RasterState state;
  std::vector<VertexIn> vertices;  // three per triangle
};

// Texture memory, tables and batches of one scene. Movable only after the
// pointers in the states have been taken, so keep it where it was made.
struct Scene {
  std::vector<uint8_t> memory;
  uint32_t palette[2][256] = {};
  uint8_t fogTable[64] = {};
  std::vector<Batch> batches;
  uint64_t Triangles() const;
  void Draw(Rasterizer& rasterizer, const Framebuffer& target) const;
};

// The floor pass: one full-screen quad. time moves the texture (spin, scroll).
void BuildFloor(Scene* scene, float timeS);
// The mesh pass: 826 sphere-mapped triangles of a lumpy ball turned by angleRad.
void BuildLump(Scene* scene, float angleRad);
// Both passes, floor first, as one frame.
void BuildHalcyonFrame(Scene* scene, float timeS);
// 52 bodies of 288 triangles each with RGB565 mipmapped textures (or P_8 when eightBit).
void BuildBodies(Scene* scene, uint32_t seed, bool eightBit = false);

}  // namespace gfx::scenes
