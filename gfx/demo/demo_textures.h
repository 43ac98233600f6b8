// demo_textures.h — the demo's procedural textures: 256×256 RGB565 images
// with their whole mipmap chain, laid out as guTexDownloadMipMap reads it
// (largest level first, each level's rows top to bottom).
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

// Bevelled tiles in four glazes, for the torus.
std::vector<uint16_t> TileTexture();
// Light and dark marble squares with veins, for the floor.
std::vector<uint16_t> MarbleTexture();

}  // namespace demo
