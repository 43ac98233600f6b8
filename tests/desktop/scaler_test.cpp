// Tests for the scaler a presenter without a GPU uses every frame: the fast
// rows must be exactly the per-pixel formula, the sample positions those of
// a GPU's filter, and the edges must never read outside the frame.
#include "desktop/scaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace desktop {
namespace {

struct Image {
  int width;
  int height;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Image RandomImage(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (auto& pixel : image.pixels) pixel = 0xFF000000u | (random() & 0xFFFFFF);
  return image;
}

// The sample of target pixel t: first source index and the weight (0..64) of the next.
std::pair<int, int> Sample(int t, int target, int source) {
  const int64_t u = (static_cast<int64_t>(2 * t + 1) * source * 64) / (2 * int64_t{target}) - 32;
  if (u <= 0) return {0, 0};
  if ((u >> 6) >= source - 1) return {source - 2, 64};
  return {static_cast<int>(u >> 6), static_cast<int>(u & 63)};
}

uint32_t Lerp(uint32_t a, uint32_t b, int w) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= ((ca * (64 - w) + cb * w) >> 6) << shift;
  }
  return out;
}

// The scaled picture, one pixel at a time: rows first, then between rows.
Image ReferenceBilinear(const Image& source, int width, int height) {
  Image out{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    const auto [row, wy] = Sample(y, height, source.height);
    for (int x = 0; x < width; ++x) {
      const auto [column, wx] = Sample(x, width, source.width);
      const uint32_t top = Lerp(source.At(column, row), source.At(column + 1, row), wx);
      const uint32_t bottom = Lerp(source.At(column, row + 1), source.At(column + 1, row + 1), wx);
      out.pixels[static_cast<size_t>(y) * width + x] = Lerp(top, bottom, wy);
    }
  }
  return out;
}

struct SizeCase {
  int sourceWidth, sourceHeight, targetWidth, targetHeight;
  bool wideVectors;
};

std::string SizeName(const ::testing::TestParamInfo<SizeCase>& info) {
  const SizeCase& c = info.param;
  return std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + "_to_" +
         std::to_string(c.targetWidth) + "x" + std::to_string(c.targetHeight) +
         (c.wideVectors ? "_Avx2" : "_Sse2");
}

class BilinearTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(BilinearTest, EqualsThePerPixelFormulaInsideAWiderSurface) {
  const SizeCase& c = GetParam();
  const Image source = RandomImage(c.sourceWidth, c.sourceHeight, 7);
  // The target rectangle sits inside a larger surface; nothing around it may change.
  const int pitch = c.targetWidth + 5;
  std::vector<uint32_t> surface(static_cast<size_t>(pitch) * (c.targetHeight + 2), 0x12345678u);
  Scaler scaler(c.wideVectors);
  for (int round = 0; round < 2; ++round) {  // the second frame reuses the tables
    scaler.Bilinear({source.pixels.data(), c.sourceWidth, c.sourceHeight, c.sourceWidth,
                     surface.data() + pitch + 2, c.targetWidth, c.targetHeight, pitch});
  }
  const Image expected = ReferenceBilinear(source, c.targetWidth, c.targetHeight);
  for (int y = 0; y < c.targetHeight + 2; ++y) {
    for (int x = 0; x < pitch; ++x) {
      const uint32_t got = surface[static_cast<size_t>(y) * pitch + x];
      const bool inside = y >= 1 && y <= c.targetHeight && x >= 2 && x < 2 + c.targetWidth;
      const uint32_t want = inside ? expected.At(x - 2, y - 1) : 0x12345678u;
      ASSERT_EQ(got, want) << "at " << x << "," << y;
    }
  }
}

std::vector<SizeCase> SizeCases() {
  std::vector<SizeCase> cases;
  for (bool wide : {false, true}) {
    for (SizeCase c : {SizeCase{640, 480, 1440, 1080, false}, SizeCase{640, 480, 1000, 750, false},
                       SizeCase{640, 480, 401, 301, false}, SizeCase{4, 3, 7, 5, false},
                       SizeCase{2, 2, 3, 9, false}, SizeCase{640, 480, 640, 480, false},
                       // Eight columns fit one window in some places only; four times fits everywhere.
                       SizeCase{640, 480, 700, 525, false}, SizeCase{640, 480, 2560, 1920, false}}) {
      c.wideVectors = wide;
      cases.push_back(c);
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Sizes, BilinearTest, ::testing::ValuesIn(SizeCases()), SizeName);

TEST(Bilinear, KeepsFlatColoursAndAlphaExactly) {
  const Image flat{16, 12, std::vector<uint32_t>(16 * 12, 0xFF3A7BC4u)};
  std::vector<uint32_t> out(37 * 29);
  Scaler scaler;
  scaler.Bilinear({flat.pixels.data(), 16, 12, 16, out.data(), 37, 29, 37});
  for (uint32_t pixel : out) ASSERT_EQ(pixel, 0xFF3A7BC4u);
}

TEST(Nearest, WholeMultiplesRepeatEveryPixelAsASquareBlock) {
  const Image source = RandomImage(640, 480, 3);
  for (int factor : {1, 2, 3}) {
    const int width = 640 * factor, height = 480 * factor;
    std::vector<uint32_t> out(static_cast<size_t>(width) * height);
    Scaler scaler;
    scaler.Nearest({source.pixels.data(), 640, 480, 640, out.data(), width, height, width});
    for (int y = 0; y < height; y += 7) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(out[static_cast<size_t>(y) * width + x], source.At(x / factor, y / factor))
            << "factor " << factor << " at " << x << "," << y;
      }
    }
  }
}

TEST(Scaler, ChangingSizesBetweenFramesRebuildsTheTables) {
  const Image source = RandomImage(64, 48, 11);
  Scaler scaler;
  std::vector<uint32_t> big(200 * 150), small(80 * 60);
  scaler.Bilinear({source.pixels.data(), 64, 48, 64, big.data(), 200, 150, 200});
  scaler.Bilinear({source.pixels.data(), 64, 48, 64, small.data(), 80, 60, 80});
  EXPECT_EQ(small, ReferenceBilinear(source, 80, 60).pixels);
  std::vector<uint32_t> doubled(128 * 96);
  scaler.Nearest({source.pixels.data(), 64, 48, 64, doubled.data(), 128, 96, 128});
  EXPECT_EQ(doubled[1 * 128 + 1], source.At(0, 0));
}

}  // namespace
}  // namespace desktop
