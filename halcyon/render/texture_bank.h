// texture_bank.h — the layout of the texture bank (resource "TEXTURE" 666):
// sixteen palettized image records back to back, the 256 x 256 sphere map
// first, then fifteen 128 x 128 floor textures. Each record is a 32-byte
// header, a 768-byte palette (red, green, blue per entry) and the texels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace halcyon {

constexpr uint32_t bankSizeBytes = 324096;
constexpr uint32_t bankHeaderBytes = 32;
constexpr uint32_t bankPaletteBytes = 768;
constexpr uint32_t sphereRecordBytes = 66336;
constexpr uint32_t floorRecordBytes = 17184;
constexpr int floorTextureCount = 15;

constexpr uint32_t SpherePaletteOffset() {
  return bankHeaderBytes;
}
constexpr uint32_t SphereTexelOffset() {
  return bankHeaderBytes + bankPaletteBytes;
}
constexpr uint32_t FloorRecordOffset(int j) {
  return sphereRecordBytes + floorRecordBytes * static_cast<uint32_t>(j);
}
constexpr uint32_t FloorPaletteOffset(int j) {
  return FloorRecordOffset(j) + bankHeaderBytes;
}
constexpr uint32_t FloorTexelOffset(int j) {
  return FloorRecordOffset(j) + bankHeaderBytes + bankPaletteBytes;
}

// Palette entry i becomes (R << 16) | (G << 8) | B from the three bytes at
// palette + 3i. palette must hold 768 bytes.
void ConvertPalette(const uint8_t* palette, uint32_t entries[256]);

// A copy of the program's texture bank resource, found with
// FindResourceA(NULL, "#666", "texture"); empty when there is none.
std::vector<uint8_t> LoadTextureBankResource();

}  // namespace halcyon
