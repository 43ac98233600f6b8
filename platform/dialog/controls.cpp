// controls.cpp — the dialog controls: their drawing in the classic grey
// look and their keyboard and mouse behaviour.
#include "controls.h"

#include <SDL.h>

#include <algorithm>
#include <climits>

#include "platform/resources.h"

namespace platform::dialog {
namespace {

constexpr DWORD kDoubleClickMs = 500;
constexpr int kCheckBoxSize = 13;
constexpr int kScrollBarWidth = 16;

// The text's top so that a line sits centred in r.
int CentredTop(const Font& font, const RECT& r) {
  return r.top + (r.bottom - r.top - font.Height()) / 2;
}

// Splits text into lines that fit width, breaking at blanks where it can.
std::vector<std::string> WrapWords(const Font& font, const std::string& text, int width) {
  std::vector<std::string> lines;
  std::string line;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(pos, end - pos);
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && font.Width(candidate) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    pos = end + 1;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

void DrawArrow(Painter& painter, const RECT& r, bool up) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    const int y = up ? cy - 2 + i : cy + 1 - i;
    painter.HLine(cx - i, cx + i + 1, y, colour::Text);
  }
}

}  // namespace

// ---- UTF-8 ------------------------------------------------------------------

size_t NextCharacter(const std::string& text, size_t offset) {
  if (offset >= text.size()) return text.size();
  ++offset;
  while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) ++offset;
  return offset;
}

size_t PreviousCharacter(const std::string& text, size_t offset) {
  if (offset == 0) return 0;
  offset = std::min(offset, text.size()) - 1;
  while (offset > 0 && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) --offset;
  return offset;
}

std::string EncodeUtf8(uint32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    if (c >= 0xD800 && c < 0xE000) return {};
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x110000) {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// ---- Control ----------------------------------------------------------------

void Control::SetText(const std::string& value) {
  text = value;
  host.Invalidate();
}

std::unique_ptr<Control> MakeControl(ControlHost& host, const DialogItem& item, const RECT& rect) {
  std::unique_ptr<Control> control;
  switch (item.kind) {
    case ItemKind::PushButton:
    case ItemKind::DefPushButton:
      control = std::make_unique<PushButton>(host, item, rect);
      break;
    case ItemKind::CheckBox:
      control = std::make_unique<CheckBox>(host, item, rect);
      break;
    case ItemKind::GroupBox:
      control = std::make_unique<GroupBox>(host, item, rect);
      break;
    case ItemKind::Edit:
      control = std::make_unique<EditBox>(host, item, rect);
      break;
    case ItemKind::Picture:
      control = std::make_unique<Picture>(host, item, rect);
      break;
    case ItemKind::ListBox:
      control = std::make_unique<ListBox>(host, item, rect);
      break;
    case ItemKind::Static:
      control = std::make_unique<StaticText>(host, item, rect);
      break;
  }
  control->SetText(item.text);
  return control;
}

// ---- Push button --------------------------------------------------------------

void PushButton::Paint(Painter& painter, const PaintState& state) const {
  const Font& font = host.DialogFont();
  RECT r = rect;
  painter.Fill(r, colour::Face);
  if (state.defaultLook) {
    painter.Frame(r, colour::DarkShadow, colour::DarkShadow);
    r = Inset(r, 1);
  }
  if (pushed) {
    painter.Frame(r, colour::DarkShadow, colour::DarkShadow);
    painter.Frame(Inset(r, 1), colour::Shadow, colour::Shadow);
  } else {
    painter.RaisedEdge(r);
  }
  const int shift = pushed ? 1 : 0;
  const int width = font.Width(text);
  const int x = (r.left + r.right - width) / 2 + shift;
  const int y = CentredTop(font, r) + shift;
  painter.Text(font, text, x, y, colour::Text, Inset(r, 2));
  if (state.focused) painter.FocusRect(Inset(r, 3));
}

void PushButton::Activate() {
  host.Notify(item.id, BN_CLICKED);
}

void PushButton::MouseDown(int x, int y) {
  tracking = true;
  pushed = Contains(rect, x, y);
  host.Invalidate();
}

void PushButton::MouseMove(int x, int y) {
  if (!tracking) return;
  const bool inside = Contains(rect, x, y);
  if (inside != pushed) {
    pushed = inside;
    host.Invalidate();
  }
}

void PushButton::MouseUp(int x, int y) {
  if (!tracking) return;
  tracking = false;
  pushed = false;
  host.Invalidate();
  if (Contains(rect, x, y)) Activate();
}

// ---- Check box ----------------------------------------------------------------

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
  painter.Fill(Inset(box, 2), pushed ? colour::Face : colour::Window);
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

void CheckBox::MouseDown(int x, int y) {
  tracking = true;
  pushed = Contains(rect, x, y);
  host.Invalidate();
}

void CheckBox::MouseMove(int x, int y) {
  if (!tracking) return;
  const bool inside = Contains(rect, x, y);
  if (inside != pushed) {
    pushed = inside;
    host.Invalidate();
  }
}

void CheckBox::MouseUp(int x, int y) {
  if (!tracking) return;
  tracking = false;
  pushed = false;
  host.Invalidate();
  if (Contains(rect, x, y)) Activate();
}

// ---- Static text and group box -------------------------------------------------

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

// ---- Picture -------------------------------------------------------------------

Picture::Picture(ControlHost& host, const DialogItem& item, const RECT& rect) : Control(host, item, rect) {
  const std::span<const uint8_t> bytes = FindBitmap(item.bitmapId);
  if (bytes.empty() || bytes.size() > INT_MAX) return;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) return;
  SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
  if (!loaded) return;
  image = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
}

Picture::~Picture() {
  if (image) SDL_FreeSurface(image);
}

void Picture::Paint(Painter& painter, const PaintState&) const {
  if (!image) {
    painter.Frame(rect, colour::Shadow, colour::Highlight);
    return;
  }
  // Shown at its own size from the control's corner, as a bitmap static does.
  painter.Image(image, rect.left, rect.top,
                RECT{rect.left, rect.top, rect.left + image->w, rect.top + image->h});
}

// ---- Edit box ------------------------------------------------------------------

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

// ---- List box ------------------------------------------------------------------

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
