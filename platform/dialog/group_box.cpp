// group_box.cpp — the group box: an etched frame with its title set into
// the top edge.
#include "controls.h"

namespace platform::dialog {

void GroupBox::Paint(Painter& painter, const PaintState&) const {
  const Font& font = host.DialogFont();
  const int frameTop = rect.top + font.Height() / 2;
  painter.EtchedFrame(RECT{rect.left, frameTop, rect.right, rect.bottom});
  if (text.empty()) return;
  const int x = rect.left + font.BaseUnits().cx + 2;
  const int w = font.Width(text);
  painter.Fill(RECT{x - 2, rect.top, x + w + 2, rect.top + font.Height()}, colour::Face);
  painter.Text(font, text, x, rect.top, colour::Text,
               RECT{x, rect.top, rect.right - 2, rect.top + font.Height()});
}

}  // namespace platform::dialog
