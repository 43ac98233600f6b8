// Tests for the DAC's gamma ramp and the RGB565 lookup built from it.
#include "gamma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace gfx {
namespace {

TEST(GammaClut, HoldsEveryEighthLevelOfTheCurveAndFullWhiteLast) {
  const auto clut = GammaClut(1.7f);
  const struct {
    int index;
    int value;
  } expected[] = {{0, 0}, {1, 33}, {2, 50}, {8, 113}, {16, 170}, {24, 216}, {31, 251}, {32, 255}};
  for (const auto& e : expected) EXPECT_EQ(clut[e.index], e.value) << "entry " << e.index;
  for (int i = 1; i < 33; ++i) EXPECT_GT(clut[i], clut[i - 1]) << "entry " << i;
}

TEST(GammaClut, DacInterpolatesBetweenEntries) {
  const auto clut = GammaClut(1.7f);
  EXPECT_EQ(ApplyClut(clut, 8), 33);
  EXPECT_EQ(ApplyClut(clut, 12), 41);    // halfway from 33 to 50
  EXPECT_EQ(ApplyClut(clut, 1), 4);      // an eighth of the way from 0 to 33
  EXPECT_EQ(ApplyClut(clut, 255), 254);  // seven eighths from 251 to 255
  // Gamma 1 is a straight line: every level shows as itself, save the top
  // few, which the last segment (248 to 255 over eight steps) pulls down by one.
  const auto linear = GammaClut(1.0f);
  for (int level = 0; level < 256; ++level) {
    const int shown = ApplyClut(linear, static_cast<uint8_t>(level));
    EXPECT_LE(level - shown, level >= 248 ? 1 : 0) << level;
    EXPECT_GE(level - shown, 0) << level;
  }
}

TEST(GammaTable, WidensEachChannelByBitReplicationBeforeTheRamp) {
  EXPECT_EQ(Expand5(0), 0);
  EXPECT_EQ(Expand5(31), 255);
  EXPECT_EQ(Expand5(16), 132);
  EXPECT_EQ(Expand6(63), 255);
  EXPECT_EQ(Expand6(32), 130);

  const GammaTable table(1.7f);
  const struct {
    uint16_t pixel;
    uint32_t rgb;
  } cases[] = {
      {0x0000, 0xFF000000}, {0xFFFF, 0xFFFEFEFE},  // black, white
      {0x8000, 0xFFAD0000},                        // red 16 → 132 → 173
      {0x0400, 0xFF00AB00},                        // green 32 → 130 → 171
      {0x0010, 0xFF0000AD},                        // blue 16, as red
      {0x8410, 0xFFADABAD},                        // the three together
  };
  for (const auto& c : cases) EXPECT_EQ(table.Rgb(c.pixel), c.rgb) << std::hex << c.pixel;

  uint16_t row[3] = {0x0000, 0x8410, 0xFFFF};
  uint32_t out[3] = {};
  table.ConvertRow(row, 3, out);
  EXPECT_EQ(out[1], 0xFFADABADu);
  EXPECT_EQ(out[2], 0xFFFEFEFEu);
}

TEST(GammaTable, ConvertsEveryPixelValueByTheChannelFormula) {
  // Every RGB565 value in one row (and a row that ends off the vector width),
  // against the formula channel by channel.
  for (float gamma : {1.0f, 1.7f, 2.2f}) {
    const GammaTable table(gamma);
    const auto clut = GammaClut(gamma);
    std::vector<uint16_t> row(65536 + 7);
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint16_t>(i * 40503u);
    std::vector<uint32_t> out(row.size());
    table.ConvertRow(row.data(), static_cast<int>(row.size()), out.data());
    for (size_t i = 0; i < row.size(); ++i) {
      const unsigned p = row[i];
      const uint32_t want = 0xFF000000u | (uint32_t{ApplyClut(clut, Expand5(p >> 11))} << 16) |
                            (uint32_t{ApplyClut(clut, Expand6((p >> 5) & 63))} << 8) |
                            ApplyClut(clut, Expand5(p & 31));
      ASSERT_EQ(out[i], want) << "gamma " << gamma << " pixel " << std::hex << p;
    }
  }
}

// Pixels of 8 bits a channel: every level through the ramp, and a level
// widened from RGB565 exactly as the RGB565 pixel.
TEST(GammaTable, ConvertsEightBitPixelsByTheRamp) {
  for (float gamma : {1.0f, 1.7f, 2.2f}) {
    const GammaTable table(gamma);
    const auto clut = GammaClut(gamma);
    std::vector<uint32_t> row(256), out(256);
    for (uint32_t v = 0; v < 256; ++v) row[v] = 0xEE000000u | v << 16 | (255 - v) << 8 | (v * 7 & 0xFF);
    table.ConvertRow(row.data(), 256, out.data());
    for (uint32_t v = 0; v < 256; ++v) {
      const uint32_t want = 0xFF000000u | uint32_t{ApplyClut(clut, uint8_t(v))} << 16 |
                            uint32_t{ApplyClut(clut, uint8_t(255 - v))} << 8 |
                            ApplyClut(clut, uint8_t(v * 7));
      ASSERT_EQ(out[v], want) << gamma << " " << v;
    }
    for (unsigned p = 0; p < 65536; p += 97) {
      const uint32_t widened =
          uint32_t{Expand5(p >> 11)} << 16 | uint32_t{Expand6((p >> 5) & 63)} << 8 | Expand5(p & 31);
      ASSERT_EQ(table.Rgb8888(widened), table.Rgb(static_cast<uint16_t>(p))) << gamma << " " << p;
    }
  }
}

TEST(GammaTable, KeepsItsGammaWhenGivenNonsense) {
  GammaTable table(1.0f);
  const uint32_t before = table.Rgb(0x8410);
  for (float bad :
       {0.0f, -1.7f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    table.SetGamma(bad);
    EXPECT_EQ(table.Gamma(), 1.0f);
    EXPECT_EQ(table.Rgb(0x8410), before);
  }
  table.SetGamma(2.2f);
  EXPECT_GT(table.Rgb(0x8410) & 0xFF, before & 0xFF);  // a higher gamma lifts the middle
}

}  // namespace
}  // namespace gfx
