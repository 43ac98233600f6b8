// pacing.cpp — the steady schedule of frames held to the board's rate.
#include "pacing.h"

namespace gfx {

FrameSchedule::Clock::time_point FrameSchedule::Next(Clock::time_point now, Clock::duration period) {
  if (!started_ || now - due_ >= period) {
    started_ = true;
    due_ = now;
  }
  const Clock::time_point shown = due_ > now ? due_ : now;
  due_ += period;
  return shown;
}

}  // namespace gfx
