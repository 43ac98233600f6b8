// clickable_control.cpp — the mouse on a control a click presses: pushed
// while the button is held over it, activated when let go over it.
#include "controls.h"

namespace platform::dialog {

void ClickableControl::MouseDown(int x, int y) {
  tracking = true;
  pushed = Contains(rect, x, y);
  host.Invalidate();
}

void ClickableControl::MouseMove(int x, int y) {
  if (!tracking) return;
  const bool inside = Contains(rect, x, y);
  if (inside != pushed) {
    pushed = inside;
    host.Invalidate();
  }
}

void ClickableControl::MouseUp(int x, int y) {
  if (!tracking) return;
  tracking = false;
  pushed = false;
  host.Invalidate();
  if (Contains(rect, x, y)) Activate();
}

}  // namespace platform::dialog
