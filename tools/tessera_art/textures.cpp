// textures.cpp — the six seamless 256 × 256 textures of tessera, made from
// periodic noise and periodic cell patterns (every lattice wraps at the
// texture's edge, so the textures tile), and their .3df encoding.
//
//   tex1  blue marble with gold veins
//   tex2  a mosaic of glazed tiles in grout
//   tex3  cooling lava: dark plates over glowing cracks
//   tex4  an amber honeycomb
//   tex5  iridescent pebbled scales (the figure wears it)
//   plane a nebula with stars, the backdrop
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

#include "art.h"

namespace art {

const char* const kTextureNames[6] = {"tex1.3df", "tex2.3df", "tex3.3df",
                                      "tex4.3df", "tex5.3df", "plane.3df"};

namespace {

constexpr float kTau = 2.0f * std::numbers::pi_v<float>;

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return h;
}
float Unit(uint32_t h) {
  return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}
int Wrap(int i, int period) {
  return ((i % period) + period) % period;
}
float Smooth(float t) {
  return t * t * t * (t * (t * 6 - 15) + 10);
}
float SmoothStep(float a, float b, float x) {
  const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}
float Mix(float a, float b, float t) {
  return a + (b - a) * t;
}
Rgb Mix(Rgb a, Rgb b, float t) {
  return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
Rgb Scale(Rgb c, float s) {
  return {c.r * s, c.g * s, c.b * s};
}
Rgb Add(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
// Value noise on a lattice of period × period cells over the unit square.
float Noise(float u, float v, int period, uint32_t seed) {
  const float x = u * static_cast<float>(period), y = v * static_cast<float>(period);
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = Smooth(x - static_cast<float>(x0)), fy = Smooth(y - static_cast<float>(y0));
  auto corner = [&](int i, int j) {
    return Unit(Hash(static_cast<uint32_t>(Wrap(i, period)), static_cast<uint32_t>(Wrap(j, period)), seed));
  };
  return Mix(Mix(corner(x0, y0), corner(x0 + 1, y0), fx), Mix(corner(x0, y0 + 1), corner(x0 + 1, y0 + 1), fx),
             fy);
}

// Fractal sum of octaves, 0..1; every octave doubles the period, so it still wraps.
float Fbm(float u, float v, int period, int octaves, uint32_t seed) {
  float sum = 0, amplitude = 0.5f, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * Noise(u, v, period << o, seed + static_cast<uint32_t>(o) * 101u);
    total += amplitude;
    amplitude *= 0.5f;
  }
  return sum / total;
}

// Nearest and second-nearest feature points of a periodic cell pattern.
struct Cells {
  float f1 = 1e9f, f2 = 1e9f;  // distances in texture units
  uint32_t id = 0;             // the nearest point's cell
  float dx = 0, dy = 0;        // offset from the nearest point to the sample
};
using PointFn = std::function<void(int cx, int cy, float& px, float& py)>;  // within-cell position 0..1

Cells NearestCells(float u, float v, int columns, int rows, const PointFn& point) {
  Cells cells;
  const int cx = static_cast<int>(std::floor(u * static_cast<float>(columns)));
  const int cy = static_cast<int>(std::floor(v * static_cast<float>(rows)));
  for (int j = -2; j <= 2; ++j) {
    for (int i = -2; i <= 2; ++i) {
      const int gx = cx + i, gy = cy + j;
      const int wx = Wrap(gx, columns), wy = Wrap(gy, rows);
      float px, py;
      point(wx, wy, px, py);
      const float fx = (static_cast<float>(gx) + px) / static_cast<float>(columns);
      const float fy = (static_cast<float>(gy) + py) / static_cast<float>(rows);
      const float dx = u - fx, dy = v - fy;
      const float d = std::sqrt(dx * dx + dy * dy);
      if (d < cells.f1) {
        cells.f2 = cells.f1;
        cells.f1 = d;
        cells.id = static_cast<uint32_t>(wy * columns + wx);
        cells.dx = dx;
        cells.dy = dy;
      } else if (d < cells.f2) {
        cells.f2 = d;
      }
    }
  }
  return cells;
}

PointFn Jittered(uint32_t seed, float amount) {
  return [seed, amount](int cx, int cy, float& px, float& py) {
    px = 0.5f + amount * (Unit(Hash(static_cast<uint32_t>(cx), static_cast<uint32_t>(cy), seed)) - 0.5f);
    py = 0.5f + amount * (Unit(Hash(static_cast<uint32_t>(cx), static_cast<uint32_t>(cy), seed + 7)) - 0.5f);
  };
}

// Lights a periodic height field from the upper left: the relief of the
// tiles, plates, cells and scales. Returns a shade around 1.
std::vector<float> Relief(const std::vector<float>& height, int size, float strength) {
  std::vector<float> shade(height.size());
  const Vec3 light = Normalised({-0.5f, 0.6f, 0.65f});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      auto h = [&](int i, int j) {
        return height[static_cast<size_t>(Wrap(j, size)) * size + static_cast<size_t>(Wrap(i, size))];
      };
      const float gx = (h(x + 1, y) - h(x - 1, y)) * strength;
      const float gy = (h(x, y - 1) - h(x, y + 1)) * strength;  // rows run downwards
      const Vec3 normal = Normalised({-gx, -gy, 1.0f});
      const float diffuse = std::max(0.0f, Dot(normal, light));
      const float flat = Dot({0, 0, 1}, light);
      shade[static_cast<size_t>(y) * size + x] = 0.35f + 0.65f * diffuse / flat;
    }
  }
  return shade;
}

template <class Fn>
Image Paint(Fn&& fn) {
  Image image(kTextureSize, kTextureSize);
  for (int y = 0; y < kTextureSize; ++y) {
    for (int x = 0; x < kTextureSize; ++x) {
      image.At(x, y) = fn((static_cast<float>(x) + 0.5f) / kTextureSize,
                          (static_cast<float>(y) + 0.5f) / kTextureSize, x, y);
    }
  }
  return image;
}

Image Marble() {
  return Paint([](float u, float v, int, int) {
    const float base = Fbm(u, v, 4, 6, 11);
    const float warp = Fbm(u, v, 3, 5, 23);
    const float vein = std::fabs(std::sin(kTau * (2 * u + v) + 9.0f * warp));
    const float fine = std::fabs(std::sin(kTau * (u - 3 * v) + 12.0f * Fbm(u, v, 5, 4, 37)));
    Rgb stone = Mix(Rgb{0.04f, 0.10f, 0.32f}, Rgb{0.50f, 0.64f, 0.92f}, SmoothStep(0.25f, 0.8f, base));
    stone = Mix(stone, Rgb{0.86f, 0.90f, 0.98f}, 0.6f * std::pow(1.0f - fine, 10.0f));
    return Mix(stone, Rgb{1.0f, 0.80f, 0.32f}, std::pow(1.0f - vein, 14.0f));
  });
}

Image Mosaic() {
  constexpr int kSize = kTextureSize, kTiles = 9;
  const PointFn point = Jittered(5, 0.7f);
  const Rgb glazes[8] = {{0.05f, 0.45f, 0.55f}, {0.85f, 0.60f, 0.15f}, {0.72f, 0.25f, 0.15f},
                         {0.10f, 0.22f, 0.62f}, {0.90f, 0.86f, 0.74f}, {0.20f, 0.55f, 0.30f},
                         {0.55f, 0.15f, 0.40f}, {0.95f, 0.78f, 0.45f}};
  std::vector<float> height(kSize * kSize);
  std::vector<Cells> cells(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / kSize, v = (static_cast<float>(y) + 0.5f) / kSize;
      const Cells c = NearestCells(u, v, kTiles, kTiles, point);
      const float edge = (c.f2 - c.f1) * kTiles;
      cells[static_cast<size_t>(y) * kSize + x] = c;
      height[static_cast<size_t>(y) * kSize + x] =
          SmoothStep(0.05f, 0.22f, edge) + 0.15f * Fbm(u, v, 16, 2, 3);
    }
  }
  const std::vector<float> shade = Relief(height, kSize, 9.0f);
  return Paint([&](float u, float v, int x, int y) {
    const size_t i = static_cast<size_t>(y) * kSize + x;
    const Cells& c = cells[i];
    const float edge = (c.f2 - c.f1) * kTiles;
    Rgb glaze = glazes[Hash(c.id, 0, 77) % 8];
    glaze = Scale(glaze, 0.8f + 0.4f * Unit(Hash(c.id, 1, 77)));
    glaze = Mix(glaze, Rgb{1, 1, 1}, 0.12f * Fbm(u, v, 8, 3, 91));
    const Rgb grout = Scale(Rgb{0.32f, 0.30f, 0.27f}, 0.7f + 0.5f * Fbm(u, v, 32, 2, 13));
    const Rgb tile = Scale(glaze, shade[i]);
    return Mix(grout, tile, SmoothStep(0.03f, 0.07f, edge));
  });
}

Image Lava() {
  constexpr int kSize = kTextureSize, kPlates = 6;
  const PointFn point = Jittered(17, 0.85f);
  std::vector<float> height(kSize * kSize), cracks(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / kSize, v = (static_cast<float>(y) + 0.5f) / kSize;
      const float wu = u + 0.04f * (Fbm(u, v, 4, 4, 61) - 0.5f),
                  wv = v + 0.04f * (Fbm(u, v, 4, 4, 67) - 0.5f);
      const Cells c = NearestCells(wu - std::floor(wu), wv - std::floor(wv), kPlates, kPlates, point);
      const float edge = (c.f2 - c.f1) * kPlates;
      const size_t i = static_cast<size_t>(y) * kSize + x;
      cracks[i] = edge;
      height[i] = SmoothStep(0.0f, 0.25f, edge) + 0.35f * Fbm(u, v, 8, 4, 71);
    }
  }
  const std::vector<float> shade = Relief(height, kSize, 6.0f);
  return Paint([&](float u, float v, int x, int y) {
    const size_t i = static_cast<size_t>(y) * kSize + x;
    const float heat = Fbm(u, v, 4, 3, 83);
    const Rgb rock =
        Scale(Mix(Rgb{0.10f, 0.07f, 0.07f}, Rgb{0.26f, 0.17f, 0.14f}, Fbm(u, v, 16, 3, 89)), shade[i]);
    const float glow = std::exp(-cracks[i] * (14.0f - 6.0f * heat));
    const Rgb molten = Mix(Rgb{0.75f, 0.08f, 0.02f}, Rgb{1.0f, 0.85f, 0.30f}, glow * glow);
    const Rgb ember = Scale(Rgb{0.45f, 0.06f, 0.01f}, std::pow(heat, 3.0f));
    return Add(Mix(rock, molten, SmoothStep(0.15f, 0.8f, glow)), ember);
  });
}

Image Honeycomb() {
  constexpr int kSize = kTextureSize, kColumns = 7, kRows = 8;  // rows ≈ √3/2 of the column spacing
  const PointFn point = [](int, int cy, float& px, float& py) {
    px = (cy % 2) ? 0.0f : 0.5f;
    py = 0.5f;
  };
  std::vector<float> height(kSize * kSize);
  std::vector<Cells> cells(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / kSize, v = (static_cast<float>(y) + 0.5f) / kSize;
      const Cells c = NearestCells(u, v, kColumns, kRows, point);
      const size_t i = static_cast<size_t>(y) * kSize + x;
      cells[i] = c;
      const float edge = (c.f2 - c.f1) * kColumns;
      height[i] = SmoothStep(0.02f, 0.16f, edge) - 0.6f * SmoothStep(0.22f, 0.34f, edge) +
                  0.6f * SmoothStep(0.28f, 0.6f, edge);
    }
  }
  const std::vector<float> shade = Relief(height, kSize, 7.0f);
  return Paint([&](float u, float v, int x, int y) {
    const size_t i = static_cast<size_t>(y) * kSize + x;
    const Cells& c = cells[i];
    const float edge = (c.f2 - c.f1) * kColumns;
    const float filled = Unit(Hash(c.id, 3, 41));
    Rgb honey = Mix(Rgb{0.85f, 0.42f, 0.04f}, Rgb{1.0f, 0.78f, 0.22f}, filled);
    honey = Mix(honey, Rgb{1.0f, 0.95f, 0.70f},
                0.5f * std::pow(1.0f - std::clamp(c.f1 * kColumns * 1.6f, 0.0f, 1.0f), 2.0f));
    const Rgb wax = Mix(Rgb{0.55f, 0.35f, 0.10f}, Rgb{0.80f, 0.62f, 0.30f}, Fbm(u, v, 16, 3, 43));
    const Rgb wall = Scale(wax, shade[i]);
    const Rgb cell = Scale(honey, 0.55f + 0.45f * shade[i]);
    return Mix(Rgb{0.12f, 0.07f, 0.02f}, Mix(wall, cell, SmoothStep(0.2f, 0.3f, edge)),
               SmoothStep(0.0f, 0.03f, edge));
  });
}

// A cyclic gradient through teal, blue, violet, rose and gold.
Rgb Iridescent(float t) {
  static const Rgb kStops[5] = {{0.10f, 0.78f, 0.72f},
                                {0.15f, 0.38f, 0.95f},
                                {0.62f, 0.24f, 0.92f},
                                {0.95f, 0.35f, 0.62f},
                                {1.0f, 0.78f, 0.25f}};
  const float x = (t - std::floor(t)) * 5.0f;
  const int i = static_cast<int>(x) % 5;
  return Mix(kStops[i], kStops[(i + 1) % 5], SmoothStep(0.0f, 1.0f, x - std::floor(x)));
}

Image Scales() {
  constexpr int kSize = kTextureSize, kCount = 11;
  const PointFn point = Jittered(29, 0.6f);
  std::vector<float> height(kSize * kSize);
  std::vector<Cells> cells(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / kSize, v = (static_cast<float>(y) + 0.5f) / kSize;
      const Cells c = NearestCells(u, v, kCount, kCount, point);
      const size_t i = static_cast<size_t>(y) * kSize + x;
      cells[i] = c;
      const float r = std::clamp(c.f1 * kCount / 0.75f, 0.0f, 1.0f);
      height[i] = std::sqrt(std::max(0.0f, 1.0f - r * r)) * SmoothStep(0.0f, 0.12f, (c.f2 - c.f1) * kCount);
    }
  }
  const std::vector<float> shade = Relief(height, kSize, 10.0f);
  return Paint([&](float u, float v, int x, int y) {
    const size_t i = static_cast<size_t>(y) * kSize + x;
    const Cells& c = cells[i];
    const float t = 2.2f * Fbm(u, v, 2, 3, 97) + 0.35f * Unit(Hash(c.id, 5, 99)) + 0.3f * height[i];
    const Rgb body = Iridescent(t);
    const float gloss = std::pow(std::max(0.0f, shade[i] - 1.0f) / 0.6f, 3.0f);
    const Rgb lit =
        Add(Scale(body, 0.25f + 0.75f * std::min(shade[i], 1.2f)), Scale(Rgb{1, 1, 1}, 0.5f * gloss));
    return Mix(Scale(body, 0.18f), lit, SmoothStep(0.0f, 0.05f, (c.f2 - c.f1) * kCount));
  });
}

Image Nebula() {
  Image image = Paint([](float u, float v, int, int) {
    const float wu = u + 0.25f * Fbm(u, v, 3, 5, 201), wv = v + 0.25f * Fbm(u, v, 3, 5, 203);
    const float cloud = Fbm(wu - std::floor(wu), wv - std::floor(wv), 3, 6, 207);
    const float dust = Fbm(u, v, 6, 5, 211);
    const float glow = SmoothStep(0.42f, 0.78f, cloud);
    Rgb sky = Mix(Rgb{0.01f, 0.01f, 0.05f}, Rgb{0.16f, 0.05f, 0.30f}, SmoothStep(0.3f, 0.7f, dust));
    sky = Mix(sky, Rgb{0.15f, 0.35f, 0.70f}, glow);
    sky = Mix(sky, Rgb{0.95f, 0.45f, 0.65f}, std::pow(glow, 3.0f) * SmoothStep(0.5f, 0.8f, dust));
    return Add(sky, Scale(Rgb{1.0f, 0.9f, 0.75f}, 0.5f * std::pow(glow, 6.0f)));
  });
  // Stars: small soft dots, wrapped at the edges.
  for (uint32_t s = 0; s < 220; ++s) {
    const float sx = Unit(Hash(s, 1, 301)) * kTextureSize, sy = Unit(Hash(s, 2, 301)) * kTextureSize;
    const float bright = 0.25f + 0.75f * std::pow(Unit(Hash(s, 3, 301)), 3.0f);
    const float radius = 0.55f + 0.7f * bright;
    const Rgb tint = Mix(Rgb{0.7f, 0.8f, 1.0f}, Rgb{1.0f, 0.85f, 0.6f}, Unit(Hash(s, 4, 301)));
    for (int dy = -3; dy <= 3; ++dy) {
      for (int dx = -3; dx <= 3; ++dx) {
        const int px = static_cast<int>(sx) + dx, py = static_cast<int>(sy) + dy;
        const float ddx = static_cast<float>(px) + 0.5f - sx, ddy = static_cast<float>(py) + 0.5f - sy;
        const float fall = std::exp(-(ddx * ddx + ddy * ddy) / (radius * radius));
        Rgb& p = image.At(Wrap(px, kTextureSize), Wrap(py, kTextureSize));
        p = Add(p, Scale(tint, bright * fall));
      }
    }
  }
  return image;
}

Rgb Clamped(Rgb c) {
  return {std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f)};
}

uint16_t Pack565(Rgb c, int x, int y) {
  static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  const float threshold = (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
  c = Clamped(c);
  const int r = std::clamp(static_cast<int>(std::floor(c.r * 31.0f + 0.5f + threshold)), 0, 31);
  const int g = std::clamp(static_cast<int>(std::floor(c.g * 63.0f + 0.5f + threshold)), 0, 63);
  const int b = std::clamp(static_cast<int>(std::floor(c.b * 31.0f + 0.5f + threshold)), 0, 31);
  return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

}  // namespace

Image MakeTexture(int index) {
  switch (index) {
    case 0:
      return Marble();
    case 1:
      return Mosaic();
    case 2:
      return Lava();
    case 3:
      return Honeycomb();
    case 4:
      return Scales();
    default:
      return Nebula();
  }
}

std::vector<Image> MipChain(const Image& image) {
  std::vector<Image> levels{image};
  while (levels.back().width > 1) {
    const Image& above = levels.back();
    Image below(above.width / 2, above.height / 2);
    for (int y = 0; y < below.height; ++y) {
      for (int x = 0; x < below.width; ++x) {
        Rgb sum;
        for (int k = 0; k < 4; ++k) sum = Add(sum, Clamped(above.At(2 * x + (k & 1), 2 * y + (k >> 1))));
        below.At(x, y) = Scale(sum, 0.25f);
      }
    }
    levels.push_back(std::move(below));
  }
  return levels;
}

Rgb Quantised565(Rgb c, int x, int y) {
  const uint16_t texel = Pack565(c, x, y);
  const int r = texel >> 11, g = (texel >> 5) & 63, b = texel & 31;
  return {static_cast<float>(r << 3 | r >> 2) / 255.0f, static_cast<float>(g << 2 | g >> 4) / 255.0f,
          static_cast<float>(b << 3 | b >> 2) / 255.0f};
}

std::vector<uint8_t> Encode3df(const Image& image) {
  char header[100];
  const int length = std::snprintf(header, sizeof header,
                                   "3df v1.1\nrgb565\nlod range: 1 %d\naspect ratio: 1 1\n", image.width);
  std::vector<uint8_t> bytes(header, header + length);
  for (const Image& level : MipChain(image)) {
    for (int y = 0; y < level.height; ++y) {
      for (int x = 0; x < level.width; ++x) {
        const uint16_t texel = Pack565(level.At(x, y), x, y);
        bytes.push_back(static_cast<uint8_t>(texel >> 8));
        bytes.push_back(static_cast<uint8_t>(texel & 0xFF));
      }
    }
  }
  return bytes;
}

}  // namespace art
