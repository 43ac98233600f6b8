// push_button.cpp — the push button: a raised face that sinks while pressed,
// a black rim when it is the default button, the focus rectangle inside.
#include "controls.h"

namespace platform::dialog {

void PushButton::Paint(Painter& painter, const PaintState& state) const {
  const Font& font = host.DialogFont();
  RECT r = rect;
  painter.Fill(r, colour::Face);
  if (state.defaultLook) {
    painter.Frame(r, colour::DarkShadow, colour::DarkShadow);
    r = Inset(r, 1);
  }
  if (Pushed()) {
    painter.Frame(r, colour::DarkShadow, colour::DarkShadow);
    painter.Frame(Inset(r, 1), colour::Shadow, colour::Shadow);
  } else {
    painter.RaisedEdge(r);
  }
  const int shift = Pushed() ? 1 : 0;
  const int width = font.Width(text);
  const int x = (r.left + r.right - width) / 2 + shift;
  const int y = CentredTop(font, r) + shift;
  painter.Text(font, text, x, y, colour::Text, Inset(r, 2));
  if (state.focused) painter.FocusRect(Inset(r, 3));
}

void PushButton::Activate() {
  host.Notify(item.id, BN_CLICKED);
}

}  // namespace platform::dialog
