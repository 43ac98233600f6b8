// scenes.cpp — geometry, textures and render states of the synthetic scenes.
#include "scenes.h"

#include <atomic>
#include <cmath>

namespace gfx::scenes {

namespace {

constexpr float kSnapBias = 786432.0f;

// Every scene's texels are new to a rasteriser that drew an earlier scene
// (whose memory may have been at the same address).
uint64_t NextContentVersion() {
  static std::atomic<uint64_t> version{0};
  return ++version;
}

uint32_t NextRandom(uint32_t* state) {
  *state = *state * 214013u + 2531011u;
  return (*state >> 16) & 0x7FFF;
}

// Exponential fog table as the Glide utility builds it.
void ExpFogTable(uint8_t table[64], float density) {
  auto indexToW = [](int i) {
    return std::pow(2.0f, 3.0f + static_cast<float>(i >> 2)) / static_cast<float>(8 - (i & 3));
  };
  float scale = 1.0f / (1.0f - std::exp(-density * indexToW(63)));
  for (int i = 0; i < 64; ++i) {
    float f = (1.0f - std::exp(-density * indexToW(i))) * scale;
    f = f < 0 ? 0 : (f > 1 ? 1 : f);
    table[i] = static_cast<uint8_t>(f * 255.0f);
  }
}

// Palettised texture with a smooth pattern (so bilinear filtering shows).
uint32_t AddPaletteTexture(Scene* scene, int size, uint32_t seed) {
  uint32_t offset = static_cast<uint32_t>(scene->memory.size());
  scene->memory.resize(offset + size * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float v = std::sin(x * 0.19f + seed) * std::cos(y * 0.13f) + std::sin((x + y) * 0.07f);
      scene->memory[offset + y * size + x] = static_cast<uint8_t>((v + 2.0f) * 63.0f) ^ ((x ^ y) & 8 ? 0 : 3);
    }
  return offset;
}

void FillPalette(uint32_t palette[256], uint32_t seed) {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = (i * 7 + seed * 13) & 0xFF, g = (i * 3 + 40) & 0xFF, b = 255 - i;
    palette[i] = r << 16 | g << 8 | b;
  }
}

RasterState HalcyonBase(Scene* scene) {
  RasterState st;
  st.colour = CombineUnit{3, 8, 1, 1, false};  // SCALE_OTHER, ONE, LOCAL_CONSTANT, OTHER_TEXTURE
  st.alpha = CombineUnit{1, 0, 1, 2, false};   // LOCAL, NONE, LOCAL_CONSTANT, OTHER_CONSTANT
  st.textureCombine = TextureCombine{1, 0, 1, 0, false, false};
  st.depth = DepthState{2, 1, true, 0};
  st.ditherMode = 0;
  st.cullMode = 2;
  st.texture.valid = true;
  st.texture.memory = scene->memory.data();
  st.texture.memorySize = static_cast<uint32_t>(scene->memory.size());
  st.texture.contentVersion = NextContentVersion();
  st.texture.format = 5;
  st.texture.minFilter = st.texture.magFilter = 1;
  st.texture.aspect = 3;
  return st;
}

VertexIn Vertex(float x, float y, float oow, float sow, float tow) {
  VertexIn v{};
  v.x = x;
  v.y = y;
  v.oow = oow;
  v.sow0 = sow;
  v.tow0 = tow;
  return v;
}

}  // namespace

Canvas::Canvas(int width, int height, uint16_t colourFill, uint16_t depthFill)
    : colour(static_cast<size_t>(width) * height, colourFill),
      depth(static_cast<size_t>(width) * height, depthFill) {
  target = Framebuffer{colour.data(), depth.data(), width, height, width};
}

uint64_t Scene::Triangles() const {
  uint64_t n = 0;
  for (const Batch& b : batches) n += b.vertices.size() / 3;
  return n;
}

void Scene::Draw(Rasterizer& rasterizer, const Framebuffer& target) const {
  for (const Batch& batch : batches) {
    rasterizer.SetState(batch.state);
    for (size_t i = 0; i + 2 < batch.vertices.size(); i += 3)
      rasterizer.DrawTriangle(batch.vertices[i], batch.vertices[i + 1], batch.vertices[i + 2], target);
  }
  rasterizer.Finish();
}

void BuildFloor(Scene* scene, float timeS) {
  if (scene->memory.empty()) scene->memory.reserve(1 << 20);
  uint32_t offset = AddPaletteTexture(scene, 128, 5);
  FillPalette(scene->palette[0], 1);
  ExpFogTable(scene->fogTable, 0.05f);
  Batch batch;
  RasterState& st = batch.state;
  st = HalcyonBase(scene);
  st.texture.largeLod = st.texture.smallLod = 1;  // 128 x 128
  st.texture.levelOffset[1] = offset;
  st.texture.sClamp = st.texture.tClamp = 0;
  st.texture.palette = scene->palette[0];
  st.fog = FogState{2, 0x00405060u, scene->fogTable};
  st.blend = BlendState{1, 5, 0, 0};
  st.depth.function = 7;
  st.constantColour = 0xA0000000u;

  const float w = kWidth, h = kHeight;
  const float near = 0.29f, far = 0.012083333f;
  float spin = 0.3f * timeS, scroll = 40.0f * timeS;
  VertexIn corner[4] = {Vertex(0, h, near, 0, 0), Vertex(w, h, near, 0, 0), Vertex(w, 0, far, 0, 0),
                        Vertex(0, 0, far, 0, 0)};
  for (int k = 0; k < 4; ++k) {
    float theta = spin + static_cast<float>(k) * 1.57075f;
    corner[k].sow0 = 13.0f * std::sin(theta);
    corner[k].tow0 = scroll * corner[k].oow + 13.0f * std::cos(theta);
  }
  batch.vertices = {corner[0], corner[1], corner[2], corner[2], corner[3], corner[0]};
  scene->batches.push_back(std::move(batch));
}

void BuildLump(Scene* scene, float angleRad) {
  if (scene->memory.empty()) scene->memory.reserve(1 << 20);
  uint32_t offset = AddPaletteTexture(scene, 256, 9);
  FillPalette(scene->palette[1], 7);
  Batch batch;
  RasterState& st = batch.state;
  st = HalcyonBase(scene);
  st.texture.largeLod = st.texture.smallLod = 0;
  st.texture.levelOffset[0] = offset;
  st.texture.palette = scene->palette[1];

  // A ball of 59 slices and 7 bands (826 triangles) with a lumpy radius,
  // turned about y and x, projected like the world saver's mesh.
  constexpr int slices = 59, bands = 7;
  struct Point {
    float x, y, oow, sow, tow;
  };
  std::vector<Point> points;
  float ca = std::cos(angleRad), sa = std::sin(angleRad), cb = std::cos(0.4f), sb = std::sin(0.4f);
  for (int i = 0; i <= bands; ++i) {
    float phi = 3.14159265f * (static_cast<float>(i) + 0.5f) / (bands + 1);
    for (int j = 0; j < slices; ++j) {
      float theta = 6.2831853f * static_cast<float>(j) / slices;
      float nx = std::sin(phi) * std::cos(theta), ny = std::cos(phi), nz = std::sin(phi) * std::sin(theta);
      float radius = 0.5f * (1.0f + 0.12f * std::sin(3 * theta) * std::sin(2 * phi));
      // Rotate about y by angle, then about x.
      float rx = ca * nx + sa * nz, rz = -sa * nx + ca * nz;
      float ry = cb * ny - sb * rz;
      rz = sb * ny + cb * rz;
      float w = radius * rz + 2.5f;
      float oow = 1.0f / w;
      Point p;
      p.x = (kSnapBias + 0.5f * kWidth) + oow * kWidth * radius * rx;
      p.y = (kSnapBias + 0.5f * kHeight) + oow * 1.2f * kHeight * radius * ry;
      p.oow = oow;
      p.sow = (1.0f - rx) * oow * 128.0f;
      p.tow = (1.0f - ry) * oow * 128.0f;
      points.push_back(p);
    }
  }
  auto vertex = [&](int i, int j) {
    const Point& p = points[i * slices + (j % slices)];
    return Vertex(p.x, p.y, p.oow, p.sow, p.tow);
  };
  for (int i = 0; i < bands; ++i)
    for (int j = 0; j < slices; ++j) {
      VertexIn a = vertex(i, j), b = vertex(i, j + 1), c = vertex(i + 1, j + 1), d = vertex(i + 1, j);
      batch.vertices.insert(batch.vertices.end(), {a, b, c, c, d, a});
    }
  scene->batches.push_back(std::move(batch));
}

void BuildHalcyonFrame(Scene* scene, float timeS) {
  scene->memory.reserve(1 << 20);  // the states point into it
  BuildFloor(scene, timeS);
  BuildLump(scene, 0.7f * timeS);
  // Both batches point at the same memory; refresh after the last resize.
  for (Batch& b : scene->batches) {
    b.state.texture.memory = scene->memory.data();
    b.state.texture.memorySize = static_cast<uint32_t>(scene->memory.size());
  }
}

void BuildBodies(Scene* scene, uint32_t seed, bool eightBit) {
  // Six textures with full mipmap chains: RGB565 (2 bytes) or P_8.
  constexpr int kTextures = 6;
  uint32_t offsets[kTextures][9];
  int bytes = eightBit ? 1 : 2;
  const uint64_t version = NextContentVersion();
  FillPalette(scene->palette[0], seed);
  for (int k = 0; k < kTextures; ++k) {
    for (int lod = 0; lod <= 8; ++lod) {
      int size = 256 >> lod;
      offsets[k][lod] = static_cast<uint32_t>(scene->memory.size());
      scene->memory.resize(scene->memory.size() + static_cast<size_t>(size) * size * bytes);
      uint8_t* p = scene->memory.data() + offsets[k][lod];
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          int u = (x << lod) + k * 37, v = (y << lod);
          int r = (u ^ v) & 0xF8, g = (u * 2 + v) & 0xFC, b = ((u / 16 + v / 16) & 1) ? 0xF0 : 0x20;
          if (eightBit) {
            p[y * size + x] = static_cast<uint8_t>((u ^ v ^ k) + lod * 17);
          } else {
            uint16_t texel = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
            p[2 * (y * size + x)] = texel & 0xFF;
            p[2 * (y * size + x) + 1] = texel >> 8;
          }
        }
    }
  }
  uint32_t random = seed;
  auto unit = [&] { return static_cast<float>(NextRandom(&random)) / 32767.0f; };
  for (int body = 0; body < 52; ++body) {
    Batch batch;
    RasterState& st = batch.state;
    st.colour = CombineUnit{3, 8, 1, 1, false};  // decal texture
    st.alpha = CombineUnit{3, 8, 0, 2, false};
    st.textureCombine = TextureCombine{1, 0, 1, 0, false, false};
    st.depth = DepthState{2, 1, true, 0};
    st.ditherMode = 2;
    st.cullMode = 0;
    st.originLowerLeft = true;
    int k = body % kTextures;
    TextureState& tex = st.texture;
    tex.valid = true;
    tex.memory = scene->memory.data();
    tex.memorySize = static_cast<uint32_t>(scene->memory.size());
    tex.contentVersion = version;
    tex.format = eightBit ? 5 : 10;
    tex.largeLod = 0;
    tex.smallLod = 8;
    for (int lod = 0; lod <= 8; ++lod) tex.levelOffset[lod] = offsets[k][lod];
    tex.sClamp = tex.tClamp = 0;
    tex.minFilter = tex.magFilter = 1;
    tex.mipmapMode = 1;
    tex.palette = scene->palette[0];

    // A torus of 12 x 12 quads at a random place and depth, tumbled.
    float cx = (unit() - 0.5f) * 9.0f, cy = (unit() - 0.5f) * 7.0f, cz = 3.0f + unit() * 30.0f;
    float a1 = unit() * 6.28f, a2 = unit() * 6.28f;
    float c1 = std::cos(a1), s1 = std::sin(a1), c2 = std::cos(a2), s2 = std::sin(a2);
    auto point = [&](int i, int j) {
      float u = 6.2831853f * static_cast<float>(i % 12) / 12,
            v = 6.2831853f * static_cast<float>(j % 12) / 12;
      float x = (1.0f + 0.4f * std::cos(v)) * std::cos(u), y = (1.0f + 0.4f * std::cos(v)) * std::sin(u);
      float z = 0.4f * std::sin(v);
      float x1 = c1 * x - s1 * z, z1 = s1 * x + c1 * z;
      float y1 = c2 * y - s2 * z1, z2 = s2 * y + c2 * z1;
      float w = cz + z2, oow = 1.0f / w;
      float sx = kSnapBias + 320.0f + 400.0f * (cx + x1) * oow,
            sy = kSnapBias + 240.0f + 400.0f * (cy + y1) * oow;
      return Vertex(sx, sy, oow, static_cast<float>(i) * 64.0f * oow, static_cast<float>(j) * 64.0f * oow);
    };
    for (int i = 0; i < 12; ++i)
      for (int j = 0; j < 12; ++j) {
        VertexIn a = point(i, j), b = point(i + 1, j), c = point(i + 1, j + 1), d = point(i, j + 1);
        batch.vertices.insert(batch.vertices.end(), {a, b, c, c, d, a});
      }
    scene->batches.push_back(std::move(batch));
  }
}

}  // namespace gfx::scenes
