// demo_textures.cpp — builds the demo's textures from value noise and
// box-filters each one down to a full mipmap chain.
#include "demo_textures.h"

#include <algorithm>
#include <cmath>

namespace demo {
namespace {

constexpr int kSize = 256;

struct Rgb {
  float r, g, b;
};

// Smooth value noise on a lattice that repeats every `period` cells, so the
// textures wrap without seams.
float Lattice(int x, int y, int period) {
  x = ((x % period) + period) % period;
  y = ((y % period) + period) % period;
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float ValueNoise(float x, float y, int period) {
  const int x0 = static_cast<int>(std::floor(x));
  const int y0 = static_cast<int>(std::floor(y));
  float fx = x - static_cast<float>(x0);
  float fy = y - static_cast<float>(y0);
  fx = fx * fx * (3.0f - 2.0f * fx);
  fy = fy * fy * (3.0f - 2.0f * fy);
  const float a = Lattice(x0, y0, period) + (Lattice(x0 + 1, y0, period) - Lattice(x0, y0, period)) * fx;
  const float b =
      Lattice(x0, y0 + 1, period) + (Lattice(x0 + 1, y0 + 1, period) - Lattice(x0, y0 + 1, period)) * fx;
  return a + (b - a) * fy;
}

// Four octaves over the texture, 0..1; `cells` lattice cells across at the first.
float Turbulence(int x, int y, int cells) {
  float sum = 0.0f;
  float weight = 0.5f;
  for (int octave = 0; octave < 4; ++octave) {
    const float scale = static_cast<float>(cells << octave) / kSize;
    sum += weight * ValueNoise(static_cast<float>(x) * scale, static_cast<float>(y) * scale, cells << octave);
    weight *= 0.5f;
  }
  return sum / 0.9375f;
}

uint16_t To565(const Rgb& c) {
  auto channel = [](float v, int bits) {
    const int top = (1 << bits) - 1;
    return static_cast<uint16_t>(std::clamp(static_cast<int>(v * top + 0.5f), 0, top));
  };
  return static_cast<uint16_t>((channel(c.r, 5) << 11) | (channel(c.g, 6) << 5) | channel(c.b, 5));
}

// Packs the full-size image and its halvings down to 1×1.
std::vector<uint16_t> WithMipmaps(std::vector<Rgb> level) {
  std::vector<uint16_t> chain;
  for (int size = kSize; size >= 1; size /= 2) {
    for (const Rgb& c : level) chain.push_back(To565(c));
    if (size == 1) break;
    const int half = size / 2;
    std::vector<Rgb> next(static_cast<size_t>(half) * half);
    for (int y = 0; y < half; ++y) {
      for (int x = 0; x < half; ++x) {
        Rgb sum{0, 0, 0};
        for (int dy = 0; dy < 2; ++dy) {
          for (int dx = 0; dx < 2; ++dx) {
            const Rgb& c = level[static_cast<size_t>(2 * y + dy) * size + 2 * x + dx];
            sum.r += c.r;
            sum.g += c.g;
            sum.b += c.b;
          }
        }
        next[static_cast<size_t>(y) * half + x] = {sum.r / 4, sum.g / 4, sum.b / 4};
      }
    }
    level = std::move(next);
  }
  return chain;
}

}  // namespace

std::vector<uint16_t> TileTexture() {
  const Rgb glazes[4] = {
      {0.10f, 0.55f, 0.60f}, {0.85f, 0.62f, 0.18f}, {0.80f, 0.30f, 0.25f}, {0.40f, 0.30f, 0.70f}};
  constexpr int kTile = 64;
  std::vector<Rgb> image(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int tx = x / kTile;
      const int ty = y / kTile;
      const Rgb& glaze = glazes[(tx + 3 * ty) % 4];
      // Distance to the tile's edge gives a grout line and a bevel lit from the top left.
      const int lx = x % kTile;
      const int ly = y % kTile;
      const int edge = std::min(std::min(lx, ly), std::min(kTile - 1 - lx, kTile - 1 - ly));
      float shade = 1.0f;
      if (edge < 3) {
        shade = 0.25f;
      } else if (edge < 8) {
        shade = (lx < ly ? lx : ly) == edge ? 1.3f : 0.7f;
      }
      const float grain = 0.85f + 0.3f * Turbulence(x, y, 8);
      image[y * kSize + x] = {glaze.r * shade * grain, glaze.g * shade * grain, glaze.b * shade * grain};
    }
  }
  return WithMipmaps(std::move(image));
}

std::vector<uint16_t> MarbleTexture() {
  std::vector<Rgb> image(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const bool dark = ((x / 128) + (y / 128)) % 2 == 1;
      const float t = Turbulence(x, y, 4);
      // Veins: where a sine of the turbulent coordinate comes close to zero.
      const float vein =
          std::pow(std::abs(std::sin((static_cast<float>(x + y) / 40.0f + 6.0f * t) * 3.14159f)), 0.3f);
      const Rgb base = dark ? Rgb{0.20f, 0.22f, 0.28f} : Rgb{0.85f, 0.83f, 0.78f};
      const float v = 0.55f + 0.45f * vein;
      const bool grout = x % 128 < 2 || y % 128 < 2;
      const float g = grout ? 0.15f : 1.0f;
      image[y * kSize + x] = {base.r * v * g, base.g * v * g, base.b * v * g};
    }
  }
  return WithMipmaps(std::move(image));
}

}  // namespace demo
