// gamma.h — the board's video output: a 16-bit RGB565 pixel seen through the
// DAC's gamma ramp. The ramp is 255·(x/255)^(1/γ), kept as 33 entries (every
// 8th level, the last forced to full), which the DAC interpolates linearly
// between; each 565 channel is first widened to 8 bits by bit replication.
#pragma once

#include <array>
#include <cstdint>

namespace gfx {

// The 33-entry ramp the DAC holds for one gamma value.
std::array<uint8_t, 33> GammaClut(float gamma);

// One 8-bit level through the ramp, interpolated as the DAC does.
uint8_t ApplyClut(const std::array<uint8_t, 33>& clut, uint8_t level);

// 5- and 6-bit channels widened to 8 bits by repeating their top bits.
inline uint8_t Expand5(unsigned v) {
  return static_cast<uint8_t>((v << 3) | (v >> 2));
}
inline uint8_t Expand6(unsigned v) {
  return static_cast<uint8_t>((v << 2) | (v >> 4));
}

// Every RGB565 value (or pixel of 8 bits a channel) to the 0xFFRRGGBB colour a viewer sees. The ramp acts
// on each channel alone, so the table is one per channel width: 32 levels
// (red and blue) and 64 (green), small enough to stay in the first-level
// cache, and, with AVX2, looked up sixteen pixels at a time by byte shuffles.
class GammaTable {
 public:
  explicit GammaTable(float gamma = 1.7f);
  // Rebuilds the table; a gamma that is not a positive finite number is ignored.
  void SetGamma(float gamma);
  float Gamma() const { return gamma_; }

  uint32_t Rgb(uint16_t pixel) const {
    return 0xFF000000u | (uint32_t{fives_[pixel >> 11]} << 16) | (uint32_t{sixes_[(pixel >> 5) & 63]} << 8) |
           fives_[pixel & 31];
  }
  // One row of RGB565 pixels to 0xAARRGGBB with alpha 0xFF.
  void ConvertRow(const uint16_t* pixels, int count, uint32_t* out) const;

  // A pixel of 8 bits a channel (0x??RRGGBB) through the same ramp: the
  // ramp of an 8-bit level widened from RGB565 is the RGB565 pixel's.
  uint32_t Rgb8888(uint32_t pixel) const {
    return 0xFF000000u | (uint32_t{eights_[(pixel >> 16) & 0xFF]} << 16) |
           (uint32_t{eights_[(pixel >> 8) & 0xFF]} << 8) | eights_[pixel & 0xFF];
  }
  void ConvertRow(const uint32_t* pixels, int count, uint32_t* out) const;

 private:
  float gamma_ = 0.0f;
  std::array<uint8_t, 256> eights_{};  // every 8-bit level
  std::array<uint8_t, 32> fives_{};    // red and blue
  std::array<uint8_t, 64> sixes_{};    // green
};

}  // namespace gfx
