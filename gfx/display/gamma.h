// gamma.h — the board's video output: a 16-bit RGB565 pixel seen through the
// DAC's gamma ramp. The ramp is 255·(x/255)^(1/γ), kept as 33 entries (every
// 8th level, the last forced to full), which the DAC interpolates linearly
// between; each 565 channel is first widened to 8 bits by bit replication.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

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

// Every RGB565 value to the 0x00RRGGBB colour a viewer sees.
class GammaTable {
 public:
  explicit GammaTable(float gamma = 1.7f);
  // Rebuilds the table; a gamma that is not a positive finite number is ignored.
  void SetGamma(float gamma);
  float Gamma() const { return gamma_; }

  uint32_t Rgb(uint16_t pixel) const { return table_[pixel]; }
  // One row of RGB565 pixels to 0xAARRGGBB with alpha 0xFF.
  void ConvertRow(const uint16_t* pixels, int count, uint32_t* out) const;

 private:
  float gamma_ = 0.0f;
  std::vector<uint32_t> table_;
};

}  // namespace gfx
