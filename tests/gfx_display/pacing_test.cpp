// Tests for pacing frames at the board's refresh rate.
#include "pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace gfx {
namespace {

using std::chrono::milliseconds;
using Time = FrameSchedule::Clock::time_point;

TEST(ScreenPacing, SleepsWhereTheScreensRetracesWouldShowFramesTooOften) {
  // About the board's rate, or slower: the screen's retraces pace the frames.
  for (const int screenHz : {59, 60, 61, 63}) EXPECT_FALSE(PaceBySleeping(screenHz, 60)) << screenHz;
  EXPECT_FALSE(PaceBySleeping(60, 72));
  // Faster, or unknown (as SDL reports for its off-screen and dummy drivers).
  for (const int screenHz : {64, 75, 120, 144, 240, 0, -1})
    EXPECT_TRUE(PaceBySleeping(screenHz, 60)) << screenHz;
}

// Frames ready at the given times (ms), 10 ms apart on the schedule: when each is shown.
std::vector<int> Shown(const std::vector<int>& ready) {
  FrameSchedule schedule;
  std::vector<int> shown;
  Time woken{};
  for (const int ms : ready) {
    // A frame is never ready before the one before it was shown.
    const Time now = std::max(Time{milliseconds(ms)}, woken);
    woken = schedule.Next(now, milliseconds(10));
    shown.push_back(
        static_cast<int>(std::chrono::duration_cast<milliseconds>(woken.time_since_epoch()).count()));
  }
  return shown;
}

TEST(FrameSchedule, KeepsTheRateWhateverTheFramesTakeWithinAPeriod) {
  // Each frame is ready 3 ms after the one before was due (1 ms to wake up,
  // 2 to draw): shown 10 ms apart, not 13.
  EXPECT_EQ(Shown({100, 103, 113, 123}), (std::vector<int>{100, 110, 120, 130}));
  // A frame late by less than a period is shown at once, and the next one
  // keeps to the schedule, so the rate holds on average.
  EXPECT_EQ(Shown({100, 115, 118, 131}), (std::vector<int>{100, 115, 120, 131}));
}

TEST(FrameSchedule, StartsAgainAfterAFrameLateByAWholePeriod) {
  // A pause (a slow frame, a hidden window) is not made up with a burst.
  EXPECT_EQ(Shown({100, 150, 151, 152}), (std::vector<int>{100, 150, 160, 170}));
  EXPECT_EQ(Shown({100, 120, 121}), (std::vector<int>{100, 120, 130}));
}

}  // namespace
}  // namespace gfx
