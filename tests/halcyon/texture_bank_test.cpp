// texture_bank_test.cpp — the built-in texture bank: its layout, headers and
// palettes, the palette conversion, and that the floor textures tile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "halcyon/render/texture_bank.h"
#include "halcyon/resources/texture_bank_resource.h"

namespace halcyon {
namespace {

uint16_t Big16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

std::vector<uint32_t> RecordOffsets() {
  std::vector<uint32_t> offsets = {0};
  for (int j = 0; j < floorTextureCount; ++j) offsets.push_back(FloorRecordOffset(j));
  return offsets;
}

TEST(TextureBank, SixteenRecordsFillExactly324096Bytes) {
  std::span<const uint8_t> bank = TextureBankResourceBytes();
  ASSERT_EQ(bank.size(), 324096u);
  EXPECT_EQ(FloorRecordOffset(1), 83520u);
  EXPECT_EQ(FloorRecordOffset(14), 306912u);
  EXPECT_EQ(FloorTexelOffset(14) + 128 * 128, bank.size());  // the last texels end the bank
  for (uint32_t offset : RecordOffsets()) {
    const uint8_t* h = &bank[offset];
    const uint16_t size = offset == 0 ? 256 : 128;
    EXPECT_EQ(std::memcmp(h, "mhwanh", 6), 0) << offset;
    EXPECT_EQ(Big16(h + 6), 4);
    EXPECT_EQ(Big16(h + 8), size);
    EXPECT_EQ(Big16(h + 10), size);
    EXPECT_EQ(Big16(h + 12), 256);
    for (int i = 14; i < 32; ++i) EXPECT_EQ(h[i], 0) << offset << " byte " << i;
    for (int i = 0; i < 768; ++i) {
      uint8_t c = h[32 + i];
      ASSERT_EQ(c % 4, 0) << offset << " palette byte " << i;
      ASSERT_LE(c, 252);
    }
  }
}

TEST(TextureBank, PaletteEntriesBecomeZeroRgb) {
  uint8_t palette[768] = {};
  palette[0] = 0x10;
  palette[1] = 0x20;
  palette[2] = 0x30;
  palette[765] = 0xFC;
  palette[767] = 0x04;
  uint32_t entries[256];
  ConvertPalette(palette, entries);
  EXPECT_EQ(entries[0], 0x00102030u);
  EXPECT_EQ(entries[1], 0u);
  EXPECT_EQ(entries[255], 0x00FC0004u);
}

// Colour of texel (x, y) of floor texture j, as floats.
struct Texels {
  const uint8_t* palette;
  const uint8_t* texels;
  int size;
  double Channel(int x, int y, int k) const {
    return palette[3 * texels[((y + size) % size) * size + (x + size) % size] + k];
  }
  double Difference(int x0, int y0, int x1, int y1) const {
    double d = 0;
    for (int k = 0; k < 3; ++k) d += std::fabs(Channel(x0, y0, k) - Channel(x1, y1, k));
    return d;
  }
};
Texels Floor(int j) {
  const uint8_t* bank = TextureBankResourceBytes().data();
  return {bank + FloorPaletteOffset(j), bank + FloorTexelOffset(j), 128};
}

TEST(TextureBank, FloorTexturesAreDistinctAndUseTheirPalettes) {
  std::set<std::vector<uint8_t>> pictures;
  for (int j = 0; j < floorTextureCount; ++j) {
    Texels t = Floor(j);
    std::set<uint8_t> indices(t.texels, t.texels + 128 * 128);
    EXPECT_GT(indices.size(), 64u) << "texture " << j << " uses few colours";
    pictures.insert(std::vector<uint8_t>(t.palette, t.palette + 768));
  }
  EXPECT_EQ(pictures.size(), 15u);
}

TEST(TextureBank, FloorTexturesTileWithoutSeams) {
  // The colour change across the wrap (column 127 to 0, row 127 to 0) must be
  // no larger than across the sharpest column or row boundary inside the tile.
  for (int j = 0; j < floorTextureCount; ++j) {
    Texels t = Floor(j);
    double seamColumn = 0, seamRow = 0, sharpestColumn = 0, sharpestRow = 0;
    for (int i = 0; i < 128; ++i) {
      seamColumn += t.Difference(127, i, 0, i);
      seamRow += t.Difference(i, 127, i, 0);
    }
    for (int x = 0; x < 127; ++x) {
      double column = 0, row = 0;
      for (int i = 0; i < 128; ++i) {
        column += t.Difference(x, i, x + 1, i);
        row += t.Difference(i, x, i, x + 1);
      }
      sharpestColumn = std::max(sharpestColumn, column);
      sharpestRow = std::max(sharpestRow, row);
    }
    EXPECT_LE(seamColumn, sharpestColumn * 1.05) << "texture " << j;
    EXPECT_LE(seamRow, sharpestRow * 1.05) << "texture " << j;
  }
}

TEST(TextureBank, SphereMapIsALitBodyOnBlack) {
  const uint8_t* bank = TextureBankResourceBytes().data();
  Texels map{bank + SpherePaletteOffset(), bank + SphereTexelOffset(), 256};
  auto brightness = [&](int x, int y) {
    return map.Channel(x, y, 0) + map.Channel(x, y, 1) + map.Channel(x, y, 2);
  };
  EXPECT_EQ(brightness(0, 0) + brightness(255, 0) + brightness(0, 255) + brightness(255, 255), 0);
  EXPECT_GT(brightness(128, 128), 60);
  // The highlight is in the lower left quarter.
  int brightestX = 0, brightestY = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      if (brightness(x, y) > brightness(brightestX, brightestY)) {
        brightestX = x;
        brightestY = y;
      }
  EXPECT_LT(brightestX, 128);
  EXPECT_GT(brightestY, 128);
}

}  // namespace
}  // namespace halcyon
