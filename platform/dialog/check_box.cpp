// check_box.cpp — the two-state check box: a sunken square with the classic
// tick, the label to its right, toggled by a click or the space bar.
#include "controls.h"

namespace platform::dialog {
namespace {

constexpr int kCheckBoxSize = 13;

}  // namespace

void CheckBox::SetState(UINT value) {
  state = value;
  host.Invalidate();
}

void CheckBox::Paint(Painter& painter, const PaintState& paint) const {
  const Font& font = host.DialogFont();
  painter.Fill(rect, colour::Face);
  const int boxTop = rect.top + (rect.bottom - rect.top - kCheckBoxSize) / 2;
  const RECT box{rect.left, boxTop, rect.left + kCheckBoxSize, boxTop + kCheckBoxSize};
  painter.SunkenEdge(box);
  painter.Fill(Inset(box, 2), Pushed() ? colour::Face : colour::Window);
  if (state != BST_UNCHECKED) {
    // The classic seven-column tick, three pixels thick.
    static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
    const uint32_t ink = state == BST_CHECKED ? colour::Text : colour::GrayText;
    for (int i = 0; i < 7; ++i)
      painter.VLine(box.left + 3 + i, box.top + 3 + kTop[i], box.top + 6 + kTop[i], ink);
  }
  const int textX = box.right + 4;
  const int textY = CentredTop(font, rect);
  painter.Text(font, text, textX, textY, colour::Text, RECT{textX, rect.top, rect.right + 40, rect.bottom});
  if (paint.focused && !text.empty()) {
    const int w = font.Width(text);
    painter.FocusRect(RECT{textX - 1, textY, textX + w + 2, textY + font.Height()});
  }
}

void CheckBox::Activate() {
  state = state == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
  host.Invalidate();
  host.Notify(item.id, BN_CLICKED);
}

}  // namespace platform::dialog
