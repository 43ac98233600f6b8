// control.cpp — what every control shares: its text, the factory that builds
// a control for a template item, and the UTF-8 steps the text controls use.
#include <algorithm>

#include "controls.h"

namespace platform::dialog {

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
    case ItemKind::Icon:
      control = std::make_unique<SystemIcon>(host, item, rect);
      break;
  }
  control->SetText(item.text);
  return control;
}

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

}  // namespace platform::dialog
