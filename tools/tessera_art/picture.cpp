// picture.cpp — the 200 × 150 picture of the saver for its dialogs: the scene
// drawn by a small perspective-correct rasteriser with the saver's own
// projection, four samples a side per pixel, then reduced to a 256-colour
// palette (median cut, error diffusion) and written as an 8-bit .bmp.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "art.h"

namespace art {

namespace {

constexpr int kWidth = 200, kHeight = 150, kSamples = 4;
constexpr int kCanvasWidth = kWidth * kSamples, kCanvasHeight = kHeight * kSamples;
// The saver projects with 2048 pixels per unit at w = 1 onto 640 pixels across.
constexpr float kFocal = 2048.0f * kCanvasWidth / 640.0f;

struct Body {
  const Mesh* mesh;
  int texture;
  float textureScale;
  Vec3 angleDeg;
  Vec3 position;
};

Vec3 Turn(Vec3 v, Vec3 angleDeg) {
  const float toRad = std::numbers::pi_v<float> / 180.0f;
  float s = std::sin(angleDeg.x * toRad), c = std::cos(angleDeg.x * toRad);
  v = {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
  s = std::sin(angleDeg.y * toRad), c = std::cos(angleDeg.y * toRad);
  v = {v.x * c + v.z * s, v.y, v.z * c - v.x * s};
  s = std::sin(angleDeg.z * toRad), c = std::cos(angleDeg.z * toRad);
  return {v.x * c + v.y * s, v.y * c - v.x * s, v.z};
}

Rgb Sample(const Image& level, float s, float t) {
  const int size = level.width;
  const float x = s - 0.5f, y = t - 0.5f;
  const float fx = std::floor(x), fy = std::floor(y);
  const float ax = x - fx, ay = y - fy;
  auto at = [&](int i, int j) { return level.At(((i % size) + size) % size, ((j % size) + size) % size); };
  const int i = static_cast<int>(fx), j = static_cast<int>(fy);
  const Rgb a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
  auto mix = [](float p, float q, float r, float u, float ax, float ay) {
    return (p * (1 - ax) + q * ax) * (1 - ay) + (r * (1 - ax) + u * ax) * ay;
  };
  return {mix(a.r, b.r, c.r, d.r, ax, ay), mix(a.g, b.g, c.g, d.g, ax, ay), mix(a.b, b.b, c.b, d.b, ax, ay)};
}

struct Corner {
  float x, y, oow, sow, tow;
};

class Canvas {
 public:
  Canvas()
      : image(kCanvasWidth, kCanvasHeight), depth(static_cast<size_t>(kCanvasWidth) * kCanvasHeight, 0.0f) {}

  void Draw(const Body& body, const std::vector<std::vector<Image>>& chains) {
    const Mesh& mesh = *body.mesh;
    for (size_t f = 0; f < mesh.FaceCount(); ++f) {
      Corner corners[3];
      bool visible = true;
      for (int k = 0; k < 3; ++k) {
        const Vec3 base = mesh.vertices[mesh.indices[3 * f + static_cast<size_t>(k)]];
        const Vec3 moved = Turn(base, body.angleDeg) + body.position;
        const float w = moved.z + 75.0f;
        if (w < 1.0f) visible = false;
        const float oow = 1.0f / w;
        corners[k] = {moved.x * kFocal * oow + kCanvasWidth / 2.0f,
                      kCanvasHeight / 2.0f - moved.y * kFocal * oow, oow, base.x * body.textureScale * oow,
                      base.y * body.textureScale * oow};
      }
      if (visible) Triangle(corners, chains[static_cast<size_t>(body.texture)]);
    }
  }

  Image Reduced() const {
    Image out(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        Rgb sum;
        for (int j = 0; j < kSamples; ++j) {
          for (int i = 0; i < kSamples; ++i) {
            const Rgb& p = image.At(x * kSamples + i, y * kSamples + j);
            sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b};
          }
        }
        const float n = 1.0f / (kSamples * kSamples);
        out.At(x, y) = {sum.r * n, sum.g * n, sum.b * n};
      }
    }
    return out;
  }

 private:
  void Triangle(const Corner (&c)[3], const std::vector<Image>& chain) {
    const float area = (c[1].x - c[0].x) * (c[2].y - c[0].y) - (c[2].x - c[0].x) * (c[1].y - c[0].y);
    if (std::fabs(area) < 1e-6f) return;
    // Plane equations of the interpolated values, and the level of detail
    // from the texture footprint at the triangle's middle.
    auto plane = [&](float Corner::*field, float& dx, float& dy) {
      const float d1 = c[1].*field - c[0].*field, d2 = c[2].*field - c[0].*field;
      dx = (d1 * (c[2].y - c[0].y) - d2 * (c[1].y - c[0].y)) / area;
      dy = (d2 * (c[1].x - c[0].x) - d1 * (c[2].x - c[0].x)) / area;
    };
    float wdx, wdy, sdx, sdy, tdx, tdy;
    plane(&Corner::oow, wdx, wdy);
    plane(&Corner::sow, sdx, sdy);
    plane(&Corner::tow, tdx, tdy);
    const float midW = (c[0].oow + c[1].oow + c[2].oow) / 3.0f;
    const float footprint =
        std::max(std::hypot(sdx, tdx), std::hypot(sdy, tdy)) / midW * static_cast<float>(kSamples) / 2.0f;
    const int level = std::clamp(static_cast<int>(std::floor(std::log2(std::max(footprint, 1.0f)))), 0,
                                 static_cast<int>(chain.size()) - 1);
    const Image& texels = chain[static_cast<size_t>(level)];
    const float scale = static_cast<float>(texels.width) / 256.0f;

    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({c[0].x, c[1].x, c[2].x}))));
    const int x1 =
        std::min(kCanvasWidth - 1, static_cast<int>(std::ceil(std::max({c[0].x, c[1].x, c[2].x}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({c[0].y, c[1].y, c[2].y}))));
    const int y1 =
        std::min(kCanvasHeight - 1, static_cast<int>(std::ceil(std::max({c[0].y, c[1].y, c[2].y}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
        float e[3];
        for (int k = 0; k < 3; ++k) {
          const Corner& a = c[k];
          const Corner& b = c[(k + 1) % 3];
          e[k] = ((b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x)) * (area > 0 ? 1.0f : -1.0f);
        }
        if (e[0] < 0 || e[1] < 0 || e[2] < 0) continue;
        const float dx = px - c[0].x, dy = py - c[0].y;
        const float oow = c[0].oow + wdx * dx + wdy * dy;
        float& stored = depth[static_cast<size_t>(y) * kCanvasWidth + x];
        if (oow <= stored) continue;
        stored = oow;
        const float s = (c[0].sow + sdx * dx + sdy * dy) / oow, t = (c[0].tow + tdx * dx + tdy * dy) / oow;
        image.At(x, y) = Sample(texels, s * scale, t * scale);
      }
    }
  }

  Image image;
  std::vector<float> depth;  // 1/w of the nearest surface so far
};

// Median cut over the picture's colours.
std::vector<Rgb> MakePalette(const Image& image, size_t colours) {
  using Box = std::vector<Rgb>;
  std::vector<Box> boxes{Box(image.pixels.begin(), image.pixels.end())};
  auto channel = [](const Rgb& c, int k) { return k == 0 ? c.r : k == 1 ? c.g : c.b; };
  while (boxes.size() < colours) {
    size_t widest = 0;
    int widestChannel = 0;
    float widestRange = -1;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) continue;
      for (int k = 0; k < 3; ++k) {
        auto [lo, hi] =
            std::minmax_element(boxes[i].begin(), boxes[i].end(),
                                [&](const Rgb& a, const Rgb& b) { return channel(a, k) < channel(b, k); });
        const float range =
            (channel(*hi, k) - channel(*lo, k)) * std::sqrt(static_cast<float>(boxes[i].size()));
        if (range > widestRange) {
          widestRange = range;
          widest = i;
          widestChannel = k;
        }
      }
    }
    if (widestRange <= 0) break;
    Box& box = boxes[widest];
    const auto middle = box.begin() + static_cast<std::ptrdiff_t>(box.size() / 2);
    std::nth_element(box.begin(), middle, box.end(), [&](const Rgb& a, const Rgb& b) {
      return channel(a, widestChannel) < channel(b, widestChannel);
    });
    Box upper(middle, box.end());
    box.erase(middle, box.end());
    boxes.push_back(std::move(upper));
  }
  std::vector<Rgb> palette;
  for (const Box& box : boxes) {
    Rgb sum;
    for (const Rgb& c : box) sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
    const float n = 1.0f / static_cast<float>(box.size());
    palette.push_back({sum.r * n, sum.g * n, sum.b * n});
  }
  palette.resize(colours);
  return palette;
}

}  // namespace

Image RenderSaverPicture(const std::vector<Image>& textures, const Mesh& figure,
                         const std::vector<Mesh>& objects) {
  std::vector<std::vector<Image>> chains;
  for (const Image& texture : textures) chains.push_back(MipChain(texture));
  Mesh plane;
  for (Vec3 v : {Vec3{-200, -200, 0}, Vec3{-200, 200, 0}, Vec3{200, -200, 0}, Vec3{200, 200, 0}})
    plane.Add(v);
  plane.Face(1, 3, 2);
  plane.Face(2, 0, 1);

  const Body bodies[] = {
      {&figure, 4, 40.0f, {-12, 24, -8}, {0, -1, 15}},
      {&objects[0], 0, 25.0f, {30, 20, 10}, {-21, 13, 80}},
      {&objects[1], 1, 25.0f, {-35, 25, 0}, {22, -11, 65}},
      {&objects[2], 2, 25.0f, {10, 40, 30}, {-30, -20, 140}},
      {&objects[0], 3, 25.0f, {60, -20, 45}, {36, 22, 190}},
      {&objects[2], 4, 25.0f, {20, 10, 0}, {12, 30, 300}},
      {&objects[1], 2, 25.0f, {70, 0, 20}, {-52, 5, 330}},
      {&objects[0], 1, 25.0f, {15, 60, 0}, {-12, -34, 260}},
      {&objects[2], 3, 25.0f, {0, 0, 20}, {50, -32, 240}},
      {&plane, 5, 1.0f, {0, 0, 23}, {0, 0, 501}},
  };
  Canvas canvas;
  for (const Body& body : bodies) canvas.Draw(body, chains);
  return canvas.Reduced();
}

std::vector<uint8_t> EncodeBmp8(const Image& image) {
  const std::vector<Rgb> palette = MakePalette(image, 256);
  // Floyd–Steinberg error diffusion onto the palette.
  Image work = image;
  std::vector<uint8_t> indices(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb want = work.At(x, y);
      size_t best = 0;
      float bestDistance = 1e9f;
      for (size_t i = 0; i < palette.size(); ++i) {
        const float dr = palette[i].r - want.r, dg = palette[i].g - want.g, db = palette[i].b - want.b;
        const float distance = 0.3f * dr * dr + 0.59f * dg * dg + 0.11f * db * db;
        if (distance < bestDistance) {
          bestDistance = distance;
          best = i;
        }
      }
      indices[static_cast<size_t>(y) * image.width + x] = static_cast<uint8_t>(best);
      const Rgb error = {want.r - palette[best].r, want.g - palette[best].g, want.b - palette[best].b};
      auto spread = [&](int dx, int dy, float weight) {
        if (x + dx < 0 || x + dx >= image.width || y + dy >= image.height) return;
        Rgb& p = work.At(x + dx, y + dy);
        p = {p.r + error.r * weight, p.g + error.g * weight, p.b + error.b * weight};
      };
      spread(1, 0, 7.0f / 16);
      spread(-1, 1, 3.0f / 16);
      spread(0, 1, 5.0f / 16);
      spread(1, 1, 1.0f / 16);
    }
  }

  const uint32_t rowBytes = (static_cast<uint32_t>(image.width) + 3u) & ~3u;
  const uint32_t pixelOffset = 14 + 40 + 256 * 4;
  const uint32_t fileSize = pixelOffset + rowBytes * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> bytes;
  auto put16 = [&](uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  bytes.push_back('B');
  bytes.push_back('M');
  put32(fileSize);
  put32(0);
  put32(pixelOffset);
  put32(40);
  put32(static_cast<uint32_t>(image.width));
  put32(static_cast<uint32_t>(image.height));  // positive: rows bottom-up
  put16(1);
  put16(8);
  put32(0);  // uncompressed
  put32(rowBytes * static_cast<uint32_t>(image.height));
  put32(2835);
  put32(2835);
  put32(256);
  put32(256);
  for (const Rgb& c : palette) {
    auto byte = [](float v) { return static_cast<uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L)); };
    bytes.push_back(byte(c.b));
    bytes.push_back(byte(c.g));
    bytes.push_back(byte(c.r));
    bytes.push_back(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t* row = &indices[static_cast<size_t>(y) * image.width];
    bytes.insert(bytes.end(), row, row + image.width);
    bytes.resize(bytes.size() + (rowBytes - static_cast<uint32_t>(image.width)), 0);
  }
  return bytes;
}

}  // namespace art
