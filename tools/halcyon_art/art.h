// art.h — halcyon's pictures: the sphere map that shades the world mesh and
// fifteen tileable floor textures, as true-colour images, and their reduction
// to the 256-colour palettes of the texture bank.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace halcyon_art {

struct Rgb {
  double r = 0, g = 0, b = 0;  // 0..1
};

struct Image {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // row by row, top row first
  Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgb& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// One palettized image: 256 entries of red, green, blue (each a multiple of 4
// in 0..252) and one palette index per texel.
struct IndexedImage {
  int width = 0, height = 0;
  std::array<std::array<uint8_t, 3>, 256> palette{};
  std::vector<uint8_t> texels;
};

Image SphereMap();              // 256 x 256
Image FloorTexture(int index);  // 128 x 128, index 0..14
const char* FloorTextureName(int index);

// A palette built from the image's own colours (median cut refined by
// k-means), then every texel mapped to its nearest entry.
IndexedImage Quantise(const Image& image);

// The 324096-byte bank: the sphere map's record, then the fifteen floor textures'.
std::vector<uint8_t> BuildBank();

// A contact sheet of the bank as it decodes: the sphere map, then each floor
// texture repeated 2 x 2, four to a row.
void WriteContactSheet(const std::vector<uint8_t>& bank, const std::string& pngPath);

}  // namespace halcyon_art
