// static_text.cpp — static text: a label on one line, or text wrapped at
// blanks (and broken at new lines) over the rows its rectangle holds.
#include <algorithm>
#include <climits>

#include "controls.h"

namespace platform::dialog {

void StaticText::Paint(Painter& painter, const PaintState&) const {
  const Font& font = host.DialogFont();
  const bool centred = (item.style & 0x3) == SS_CENTER;
  const int width = rect.right - rect.left;
  const int rows = std::max(1, static_cast<int>(rect.bottom - rect.top) / std::max(1, font.Height()));
  // A one-line label keeps its words together: a face a little wider than
  // the layout's own runs on past the right edge instead of losing words.
  std::vector<std::string> lines = rows > 1 ? WrapWords(font, text, width) : std::vector<std::string>{text};
  RECT clip = rect;
  clip.bottom = std::max(clip.bottom, static_cast<LONG>(rect.top + font.Height()));
  if (!centred) clip.right = INT_MAX / 2;
  int y = rect.top;
  for (const std::string& line : lines) {
    const int x = centred ? rect.left + (width - font.Width(line)) / 2 : rect.left;
    RECT lineClip = clip;
    if (centred) {
      lineClip.left = std::min(rect.left, static_cast<LONG>(x));
      lineClip.right = std::max(rect.right, static_cast<LONG>(x + font.Width(line)));
    }
    painter.Text(font, line, x, y, colour::Text, lineClip);
    y += font.Height();
    if (y >= clip.bottom) break;
  }
}

}  // namespace platform::dialog
