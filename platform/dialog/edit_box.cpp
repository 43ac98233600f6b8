// edit_box.cpp — the single-line edit box: caret, selection, horizontal
// scrolling, the clipboard keys, digits-only boxes and mouse selection.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "controls.h"

namespace platform::dialog {

RECT EditBox::TextArea() const {
  // Inside the two-pixel sunken border, with a one-pixel margin.
  return RECT{rect.left + 3, rect.top + 2, rect.right - 3, rect.bottom - 2};
}

void EditBox::SetText(const std::string& value) {
  text = value;
  anchor = caret = 0;
  scrollX = 0;
  host.Invalidate();
}

void EditBox::Paint(Painter& painter, const PaintState& state) const {
  const Font& font = host.DialogFont();
  painter.SunkenEdge(rect);
  painter.Fill(Inset(rect, 2), colour::Window);
  const RECT area = TextArea();
  const int y = CentredTop(font, area);
  const int x0 = area.left - scrollX;
  const size_t selStart = SelectionStart(), selEnd = SelectionEnd();
  if (state.focused && selStart != selEnd) {
    const int a = x0 + font.Width(text.substr(0, selStart));
    const int b = x0 + font.Width(text.substr(0, selEnd));
    painter.Text(font, text.substr(0, selStart), x0, y, colour::Text, area);
    painter.Fill(Intersect(RECT{a, y, b, y + font.Height()}, area), colour::Selection);
    painter.Text(font, text.substr(selStart, selEnd - selStart), a, y, colour::SelectionText, area);
    painter.Text(font, text.substr(selEnd), b, y, colour::Text, area);
  } else {
    painter.Text(font, text, x0, y, colour::Text, area);
  }
  if (state.focused && selStart == selEnd) {
    const int cx = x0 + font.Width(text.substr(0, caret));
    if (cx >= area.left - 1 && cx <= area.right) painter.VLine(cx, y, y + font.Height(), colour::Text);
  }
}

void EditBox::FocusGained(bool keyboard) {
  // Coming back by Tab or from the program selects the whole text.
  if (keyboard) SelectAll();
  ScrollToCaret();
  host.Invalidate();
}

void EditBox::SetSelection(size_t start, size_t end) {
  start = std::min(start, text.size());
  end = std::min(end, text.size());
  while (start > 0 && start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
    --start;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  anchor = start;
  caret = end;
  ScrollToCaret();
  host.Invalidate();
}

void EditBox::MoveCaret(size_t to, bool extend) {
  caret = std::min(to, text.size());
  if (!extend) anchor = caret;
  ScrollToCaret();
  host.Invalidate();
}

void EditBox::ScrollToCaret() {
  const Font& font = host.DialogFont();
  const RECT area = TextArea();
  const int width = std::max(1, static_cast<int>(area.right - area.left));
  const int caretX = font.Width(text.substr(0, caret));
  if (caretX < scrollX) {
    // Leftwards the view jumps a quarter of its width, as the classic box does.
    scrollX = std::max(0, caretX - width / 4);
  } else if (caretX - scrollX > width - 1) {
    scrollX = caretX - width + 1 + width / 4;
  }
  const int textWidth = font.Width(text);
  if (scrollX > 0 && textWidth - scrollX < width - 1) scrollX = std::max(0, textWidth - width + 1);
  if (scrollX > caretX) scrollX = caretX;
}

void EditBox::Changed() {
  ScrollToCaret();
  host.Invalidate();
  host.Notify(item.id, EN_CHANGE);
}

void EditBox::ReplaceSelection(const std::string& with) {
  const size_t start = SelectionStart(), end = SelectionEnd();
  text.replace(start, end - start, with);
  anchor = caret = start + with.size();
  Changed();
}

void EditBox::Copy() const {
  if (SelectionStart() != SelectionEnd()) {
    host.SetClipboardText(text.substr(SelectionStart(), SelectionEnd() - SelectionStart()));
  }
}

void EditBox::Cut() {
  if (SelectionStart() == SelectionEnd()) return;
  Copy();
  ReplaceSelection("");
}

void EditBox::Paste() {
  // A one-line box takes the clipboard's first line, unfiltered.
  std::string pasted = host.ClipboardText();
  const size_t lineEnd = pasted.find_first_of("\r\n");
  if (lineEnd != std::string::npos) pasted.resize(lineEnd);
  std::erase_if(pasted, [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
  if (pasted.empty()) return;
  ReplaceSelection(pasted);
}

void EditBox::KeyDown(WPARAM key) {
  const bool shift = host.ShiftDown();
  const bool control = host.ControlDown();
  switch (key) {
    case VK_LEFT:
      if (!shift && caret != anchor) {
        MoveCaret(SelectionStart(), false);
      } else {
        MoveCaret(PreviousCharacter(text, caret), shift);
      }
      break;
    case VK_RIGHT:
      if (!shift && caret != anchor) {
        MoveCaret(SelectionEnd(), false);
      } else {
        MoveCaret(NextCharacter(text, caret), shift);
      }
      break;
    case VK_HOME:
      MoveCaret(0, shift);
      break;
    case VK_END:
      MoveCaret(text.size(), shift);
      break;
    case VK_BACK:
      if (caret == anchor) {
        if (caret == 0) break;
        anchor = PreviousCharacter(text, caret);
      }
      ReplaceSelection("");
      break;
    case VK_DELETE:
      if (shift) {
        Cut();
        break;
      }
      if (caret == anchor) {
        if (caret == text.size()) break;
        anchor = NextCharacter(text, caret);
      }
      ReplaceSelection("");
      break;
    case VK_INSERT:
      if (shift) Paste();
      if (control) Copy();
      break;
    case 'A':
      if (control) SelectAll();
      break;
    case 'C':
      if (control) Copy();
      break;
    case 'V':
      if (control) Paste();
      break;
    case 'X':
      if (control) Cut();
      break;
    default:
      break;
  }
}

void EditBox::Char(uint32_t codePoint) {
  if (codePoint < 0x20 || codePoint == 0x7F) return;  // control keys come as WM_KEYDOWN
  if ((item.style & ES_NUMBER) && (codePoint < '0' || codePoint > '9')) return;
  const std::string typed = EncodeUtf8(codePoint);
  if (!typed.empty()) ReplaceSelection(typed);
}

size_t EditBox::OffsetAt(int x) const {
  const Font& font = host.DialogFont();
  const int target = x - TextArea().left + scrollX;
  size_t best = 0;
  int bestDistance = INT_MAX;
  for (size_t offset = 0;; offset = NextCharacter(text, offset)) {
    const int distance = std::abs(font.Width(text.substr(0, offset)) - target);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = offset;
    }
    if (offset >= text.size()) break;
  }
  return best;
}

void EditBox::MouseDown(int x, int y) {
  (void)y;
  MoveCaret(OffsetAt(x), host.ShiftDown());
  dragging = true;
}

void EditBox::MouseMove(int x, int y) {
  (void)y;
  if (dragging) MoveCaret(OffsetAt(x), true);
}

void EditBox::MouseUp(int x, int y) {
  (void)y;
  if (dragging) MoveCaret(OffsetAt(x), true);
  dragging = false;
}

}  // namespace platform::dialog
