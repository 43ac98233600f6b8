// list_box.cpp — the single-selection list box: rows of text, a vertical
// scroll bar when they overflow, arrow keys, type-ahead and double clicks.
#include <algorithm>
#include <cctype>

#include "controls.h"

namespace platform::dialog {
namespace {

constexpr DWORD kDoubleClickMs = 500;
constexpr int kScrollBarWidth = 16;

void DrawArrow(Painter& painter, const RECT& r, bool up) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    const int y = up ? cy - 2 + i : cy + 1 - i;
    painter.HLine(cx - i, cx + i + 1, y, colour::Text);
  }
}

}  // namespace

int ListBox::RowHeight() const {
  return std::max(1, host.DialogFont().Height());
}

int ListBox::VisibleRows() const {
  return std::max(1, static_cast<int>(rect.bottom - rect.top - 4) / RowHeight());
}

bool ListBox::HasScrollBar() const {
  return static_cast<int>(items.size()) > VisibleRows();
}

RECT ListBox::ScrollBarRect() const {
  return RECT{rect.right - 2 - kScrollBarWidth, rect.top + 2, rect.right - 2, rect.bottom - 2};
}

void ListBox::SetItems(std::vector<std::string> values) {
  items = std::move(values);
  selection = -1;
  top = 0;
  host.Invalidate();
}

void ListBox::ScrollTo(int row) {
  const int maxTop = std::max(0, static_cast<int>(items.size()) - VisibleRows());
  top = std::clamp(row, 0, maxTop);
  host.Invalidate();
}

void ListBox::Select(int index, bool notify) {
  if (items.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
  const bool changed = index != selection;
  selection = index;
  if (selection < top) ScrollTo(selection);
  if (selection >= top + VisibleRows()) ScrollTo(selection - VisibleRows() + 1);
  host.Invalidate();
  if (notify && changed) host.Notify(item.id, LBN_SELCHANGE);
}

void ListBox::Paint(Painter& painter, const PaintState& state) const {
  const Font& font = host.DialogFont();
  painter.SunkenEdge(rect);
  painter.Fill(Inset(rect, 2), colour::Window);
  RECT area = Inset(rect, 2);
  if (HasScrollBar()) {
    const RECT bar = ScrollBarRect();
    area.right = bar.left;
    painter.Fill(bar, 0xE0E0E0);
    const RECT upButton{bar.left, bar.top, bar.right, bar.top + kScrollBarWidth};
    const RECT downButton{bar.left, bar.bottom - kScrollBarWidth, bar.right, bar.bottom};
    for (const RECT& b : {upButton, downButton}) {
      painter.Fill(b, colour::Face);
      painter.RaisedEdge(b);
    }
    DrawArrow(painter, upButton, true);
    DrawArrow(painter, downButton, false);
    const int track = std::max(1, static_cast<int>(downButton.top - upButton.bottom));
    const int count = static_cast<int>(items.size());
    const int thumbHeight = std::max(8, track * VisibleRows() / std::max(1, count));
    const int maxTop = std::max(1, count - VisibleRows());
    const int thumbTop = upButton.bottom + (track - thumbHeight) * top / maxTop;
    const RECT thumb{bar.left, thumbTop, bar.right, thumbTop + thumbHeight};
    painter.Fill(thumb, colour::Face);
    painter.RaisedEdge(thumb);
  }
  const int rowHeight = RowHeight();
  for (int row = 0; row < VisibleRows() + 1; ++row) {
    const int index = top + row;
    if (index >= static_cast<int>(items.size())) break;
    const RECT line{area.left, area.top + row * rowHeight, area.right, area.top + (row + 1) * rowHeight};
    const RECT clip = Intersect(line, area);
    const bool selected = index == selection;
    if (selected) painter.Fill(clip, colour::Selection);
    painter.Text(font, items[index], line.left + 2, line.top, selected ? colour::SelectionText : colour::Text,
                 clip);
    if (selected && state.focused) painter.FocusRect(clip);
  }
}

void ListBox::KeyDown(WPARAM key) {
  if (items.empty()) return;
  const int current = selection < 0 ? -1 : selection;
  switch (key) {
    case VK_UP:
      Select(current <= 0 ? 0 : current - 1, true);
      break;
    case VK_DOWN:
      Select(current + 1, true);
      break;
    case VK_PRIOR:
      Select(current - VisibleRows() + 1, true);
      break;
    case VK_NEXT:
      Select(current + VisibleRows() - 1, true);
      break;
    case VK_HOME:
      Select(0, true);
      break;
    case VK_END:
      Select(static_cast<int>(items.size()) - 1, true);
      break;
    default:
      break;
  }
}

void ListBox::Char(uint32_t codePoint) {
  // Type-ahead: the next item starting with the letter typed.
  if (codePoint < 0x20 || codePoint >= 0x80 || items.empty()) return;
  const char wanted = static_cast<char>(std::tolower(static_cast<int>(codePoint)));
  const int count = static_cast<int>(items.size());
  for (int step = 1; step <= count; ++step) {
    const int index = (std::max(selection, -1) + step) % count;
    const std::string& name = items[index];
    size_t first = name.find_first_not_of("[");
    if (first < name.size() && std::tolower(static_cast<unsigned char>(name[first])) == wanted) {
      Select(index, true);
      return;
    }
  }
}

void ListBox::MouseDown(int x, int y) {
  if (HasScrollBar() && Contains(ScrollBarRect(), x, y)) {
    const RECT bar = ScrollBarRect();
    if (y < bar.top + kScrollBarWidth) {
      ScrollTo(top - 1);
    } else if (y >= bar.bottom - kScrollBarWidth) {
      ScrollTo(top + 1);
    } else {
      const int middle = (bar.top + bar.bottom) / 2;
      ScrollTo(y < middle ? top - VisibleRows() : top + VisibleRows());
    }
    return;
  }
  const int row = (y - rect.top - 2) / RowHeight();
  const int index = top + row;
  if (row < 0 || index >= static_cast<int>(items.size())) return;
  const DWORD now = host.Now();
  const bool twice = index == lastClickRow && now - lastClickMs <= kDoubleClickMs;
  Select(index, true);
  lastClickRow = twice ? -1 : index;
  lastClickMs = now;
  if (twice) host.Notify(item.id, LBN_DBLCLK);
}

}  // namespace platform::dialog
