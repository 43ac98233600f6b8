// Tests for fitting the 4:3 picture into windows of any shape.
#include "letterbox.h"

#include <gtest/gtest.h>

#include <ostream>

namespace gfx {
namespace {

struct FitCase {
  int windowWidth;
  int windowHeight;
  PixelRect expected;
};
void PrintTo(const FitCase& c, std::ostream* out) {
  *out << c.windowWidth << "x" << c.windowHeight << " -> " << c.expected.width << "x" << c.expected.height
       << " at " << c.expected.x << "," << c.expected.y;
}

class LetterboxTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(LetterboxTest, KeepsFourToThreeCentredInsideTheWindow) {
  const FitCase& c = GetParam();
  const PixelRect rect = LetterboxRect(c.windowWidth, c.windowHeight);
  EXPECT_EQ(rect, c.expected) << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
  // Never outside the window, and bars on at most one axis.
  EXPECT_GE(rect.x, 0);
  EXPECT_GE(rect.y, 0);
  EXPECT_LE(rect.x + rect.width, c.windowWidth);
  EXPECT_LE(rect.y + rect.height, c.windowHeight);
  EXPECT_TRUE(rect.width == c.windowWidth || rect.height == c.windowHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, LetterboxTest,
    ::testing::Values(FitCase{640, 480, {0, 0, 640, 480}},        // exact
                      FitCase{1280, 960, {0, 0, 1280, 960}},      // twice
                      FitCase{1920, 1080, {240, 0, 1440, 1080}},  // wide screen: bars at the sides
                      FitCase{1280, 1024, {0, 32, 1280, 960}},    // 5:4: bars above and below
                      FitCase{2560, 1080, {560, 0, 1440, 1080}},  // ultra wide
                      FitCase{480, 640, {0, 140, 480, 360}},      // portrait
                      FitCase{1366, 768, {171, 0, 1024, 768}},    // odd bar width
                      FitCase{641, 480, {0, 0, 640, 480}},        // one column spare
                      FitCase{3, 2, {0, 0, 3, 2}},                // tiny: rounded, stays inside
                      FitCase{1, 1, {0, 0, 1, 1}}),
    [](const auto& info) {
      return std::to_string(info.param.windowWidth) + "x" + std::to_string(info.param.windowHeight);
    });

TEST(Letterbox, OtherPictureSizesKeepTheirShapeAndEmptyGivesEmpty) {
  EXPECT_EQ(LetterboxRect(1920, 1080, 800, 600), (PixelRect{240, 0, 1440, 1080}));
  EXPECT_EQ(LetterboxRect(1000, 1000, 512, 256), (PixelRect{0, 250, 1000, 500}));
  EXPECT_EQ(LetterboxRect(100, 100, 0, 480), PixelRect{});
  EXPECT_EQ(LetterboxRect(0, 480), PixelRect{});
  EXPECT_EQ(LetterboxRect(-5, 100), PixelRect{});
}

}  // namespace
}  // namespace gfx
