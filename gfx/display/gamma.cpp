// gamma.cpp — the DAC's gamma ramp and the 64 Ki-entry RGB565 lookup built from it.
#include "gamma.h"

#include <cmath>

namespace gfx {

std::array<uint8_t, 33> GammaClut(float gamma) {
  std::array<uint8_t, 33> clut{};
  const double exponent = 1.0 / static_cast<double>(gamma);
  for (int i = 0; i < 32; ++i) {
    const double level = (i * 8) / 255.0;
    clut[i] = static_cast<uint8_t>(255.0 * std::pow(level, exponent) + 0.5);
  }
  clut[32] = 255;
  return clut;
}

uint8_t ApplyClut(const std::array<uint8_t, 33>& clut, uint8_t level) {
  const int index = level >> 3;
  const int frac = level & 7;
  return static_cast<uint8_t>((clut[index] * (8 - frac) + clut[index + 1] * frac) >> 3);
}

GammaTable::GammaTable(float gamma) : table_(65536) {
  SetGamma(gamma);
  if (gamma_ == 0.0f) SetGamma(1.7f);
}

void GammaTable::SetGamma(float gamma) {
  if (!std::isfinite(gamma) || gamma <= 0.0f) return;
  gamma_ = gamma;
  const auto clut = GammaClut(gamma);
  std::array<uint8_t, 32> red{};  // also blue
  std::array<uint8_t, 64> green{};
  for (unsigned v = 0; v < 32; ++v) red[v] = ApplyClut(clut, Expand5(v));
  for (unsigned v = 0; v < 64; ++v) green[v] = ApplyClut(clut, Expand6(v));
  for (uint32_t pixel = 0; pixel < 65536; ++pixel) {
    table_[pixel] = 0xFF000000u | (uint32_t{red[pixel >> 11]} << 16) |
                    (uint32_t{green[(pixel >> 5) & 63]} << 8) | red[pixel & 31];
  }
}

void GammaTable::ConvertRow(const uint16_t* pixels, int count, uint32_t* out) const {
  const uint32_t* table = table_.data();
  for (int i = 0; i < count; ++i) out[i] = table[pixels[i]];
}

}  // namespace gfx
