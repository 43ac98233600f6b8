// pacing.h — whose clock paces the frames on screen. The board shows at most
// one frame per retrace of its own refresh rate; a screen that refreshes at
// about that rate paces them by its retraces alone, a faster one (or one of
// unknown rate) would show them too often, so the frames are then held to
// the board's rate by sleeping and shown at the screen's next retrace.
#pragma once

#include <chrono>

namespace gfx {

// True when the frames must be held to boardHz by sleeping: the screen's
// rate screenHz is unknown (0 or less) or more than 5% above boardHz.
constexpr bool PaceBySleeping(int screenHz, int boardHz) {
  return screenHz <= 0 || screenHz * 20 > boardHz * 21;
}

// The times at which frames held to the board's rate may be shown: one
// period apart on a steady schedule, so that the time taken to wake up does
// not slow the rate. A frame that comes late is shown at once and the
// schedule kept (the next one may come sooner); one late by a whole period or
// more starts the schedule again from it.
class FrameSchedule {
 public:
  using Clock = std::chrono::steady_clock;

  // When the frame ready at `now` may be shown (now itself or later), the
  // frames being `period` apart from here on.
  Clock::time_point Next(Clock::time_point now, Clock::duration period);

 private:
  bool started_ = false;
  Clock::time_point due_{};
};

}  // namespace gfx
