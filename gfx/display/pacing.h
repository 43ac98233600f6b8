// pacing.h — whose clock paces the frames on screen. The board shows at most
// one frame per retrace of its own refresh rate; a screen that refreshes at
// about that rate paces them by its retraces alone, a faster one (or one of
// unknown rate) would show them too often, so the frames are then held to
// the board's rate by sleeping and shown at the screen's next retrace.
#pragma once

namespace gfx {

// True when the frames must be held to boardHz by sleeping: the screen's
// rate screenHz is unknown (0 or less) or more than 5% above boardHz.
constexpr bool PaceBySleeping(int screenHz, int boardHz) {
  return screenHz <= 0 || screenHz * 20 > boardHz * 21;
}

}  // namespace gfx
