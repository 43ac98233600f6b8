// Tests for the swap listener: one call per shown frame, numbered in order
// across displays and reopenings.
#include <gtest/gtest.h>

#include <vector>

#include "desktop/hooks.h"
#include "headless_display.h"

namespace gfx {
namespace {

class SwapListenerTest : public ::testing::Test {
 protected:
  void TearDown() override { desktop::SetSwapListener(nullptr); }
  std::vector<uint16_t> frame_ = std::vector<uint16_t>(640 * 480, 0x1234);
};

TEST_F(SwapListenerTest, HearsEveryShownFrameWithConsecutiveNumbers) {
  std::vector<uint64_t> heard;
  desktop::SetSwapListener([&](uint64_t shownFrame) { heard.push_back(shownFrame); });

  HeadlessDisplay first;
  ASSERT_TRUE(first.Open({}));
  for (int i = 0; i < 3; ++i) first.Present(frame_.data(), 640, 480, 640, 1);
  first.Close();
  ASSERT_TRUE(first.Open({}));
  first.Present(frame_.data(), 640, 480, 640, 0);
  HeadlessDisplay second;
  ASSERT_TRUE(second.Open({}));
  second.Present(frame_.data(), 640, 480, 640, 1);

  ASSERT_EQ(heard.size(), 5u);
  EXPECT_GE(heard[0], 1u);
  for (size_t i = 1; i < heard.size(); ++i) EXPECT_EQ(heard[i], heard[0] + i);
  EXPECT_EQ(second.LastShownFrame(), heard.back());
}

TEST_F(SwapListenerTest, CanBeReplacedOrRemovedFromInsideACall) {
  int firstCalls = 0;
  int secondCalls = 0;
  desktop::SetSwapListener([&](uint64_t) {
    ++firstCalls;
    desktop::SetSwapListener([&](uint64_t) { ++secondCalls; });
  });
  HeadlessDisplay display;
  ASSERT_TRUE(display.Open({}));
  display.Present(frame_.data(), 640, 480, 640, 1);
  display.Present(frame_.data(), 640, 480, 640, 1);
  desktop::SetSwapListener(nullptr);
  display.Present(frame_.data(), 640, 480, 640, 1);
  EXPECT_EQ(firstCalls, 1);
  EXPECT_EQ(secondCalls, 1);
}

TEST_F(SwapListenerTest, HeadlessKeepsTheFrameAndSurvivesABadOne) {
  int calls = 0;
  desktop::SetSwapListener([&](uint64_t) { ++calls; });
  HeadlessDisplay display;
  ASSERT_TRUE(display.Open({}));
  // A 4-wide picture inside rows 6 pixels apart: only the picture is kept.
  const uint16_t strided[] = {1, 2, 3, 4, 99, 99, 5, 6, 7, 8, 99, 99};
  display.Present(strided, 4, 2, 6, 1);
  EXPECT_EQ(display.Frame(), (std::vector<uint16_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  display.Present(nullptr, 640, 480, 640, 1);
  display.Present(strided, 4, 2, 3, 1);  // stride shorter than a row
  EXPECT_EQ(display.Frame(), (std::vector<uint16_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace gfx
