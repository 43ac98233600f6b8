// scripted.cpp — playing script actions on a running dialog: each action
// becomes the messages a user's keys and clicks would have sent.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "dialog_state.h"

namespace platform {

using dialog::Control;
using dialog::Lower;

namespace {

bool ParseId(const std::string& text, int& id) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || end == nullptr || *end != '\0' || value < -1 || value > 0xFFFF) return false;
  id = static_cast<int>(value);
  return true;
}

// Decodes UTF-8 into code points; a broken sequence gives U+FFFD.
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> points;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    bool good = extra >= 0 && i + extra < text.size();
    uint32_t point = extra <= 0 ? lead : (lead & (0x3Fu >> extra));
    for (int k = 1; good && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      good = (next & 0xC0) == 0x80;
      point = (point << 6) | (next & 0x3F);
    }
    points.push_back(good ? point : 0xFFFD);
    i += good ? extra + 1 : 1;
  }
  return points;
}

struct KeyName {
  const char* name;
  WPARAM key;
  char text;  // the character it types, 0 for none
};
constexpr KeyName kKeys[] = {
    {"enter", VK_RETURN, 0},  {"return", VK_RETURN, 0},  {"escape", VK_ESCAPE, 0}, {"esc", VK_ESCAPE, 0},
    {"tab", VK_TAB, 0},       {"space", VK_SPACE, ' '},  {"left", VK_LEFT, 0},     {"right", VK_RIGHT, 0},
    {"up", VK_UP, 0},         {"down", VK_DOWN, 0},      {"home", VK_HOME, 0},     {"end", VK_END, 0},
    {"back", VK_BACK, 0},     {"backspace", VK_BACK, 0}, {"delete", VK_DELETE, 0}, {"del", VK_DELETE, 0},
    {"insert", VK_INSERT, 0}, {"pgup", VK_PRIOR, 0},     {"pgdn", VK_NEXT, 0},     {"f4", VK_F4, 0},
};

}  // namespace

bool Dialog::State::Apply(const dialog::ScriptAction& action, std::string& error) {
  const std::string& verb = action.verb;
  const std::string& argument = action.argument;

  auto click = [&](int id) {
    Control* control = Find(id);
    if (control == nullptr) {
      error = "no control " + std::to_string(id);
      return false;
    }
    const RECT& r = control->Rect();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    dialog.WindowProc(WM_LBUTTONDOWN, MK_LBUTTON, at);
    dialog.WindowProc(WM_LBUTTONUP, 0, at);
    return true;
  };
  // The edit box typing goes to: the focused one, else the first.
  auto editTarget = [&]() -> bool {
    if (Focused() != nullptr && Focused()->Item().kind == ItemKind::Edit) return true;
    for (size_t i = 0; i < controls.size(); ++i) {
      if (controls[i]->Item().kind == ItemKind::Edit) {
        SetFocus(static_cast<int>(i), true);
        return true;
      }
    }
    error = "the dialog has no edit box";
    return false;
  };
  auto press = [&](WPARAM key, char text, bool shift, bool control, bool alt) {
    if (shift) dialog.WindowProc(WM_KEYDOWN, VK_SHIFT, 1);
    if (control) dialog.WindowProc(WM_KEYDOWN, VK_CONTROL, 1);
    const LPARAM flags = 1 | (alt ? KF_ALTDOWN_LPARAM : 0);
    dialog.WindowProc(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, flags);
    if (text != 0 && !control && !alt) dialog.WindowProc(WM_CHAR, static_cast<unsigned char>(text), flags);
    dialog.WindowProc(alt ? WM_SYSKEYUP : WM_KEYUP, key, flags | (LPARAM{3} << 30));
    if (control) dialog.WindowProc(WM_KEYUP, VK_CONTROL, 1);
    if (shift) dialog.WindowProc(WM_KEYUP, VK_SHIFT, 1);
  };

  if (verb == "type") {
    if (!editTarget()) return false;
    for (uint32_t point : CodePoints(argument)) dialog.WindowProc(WM_CHAR, point, 1);
    return true;
  }
  if (verb == "paste") {
    if (!editTarget()) return false;
    SetClipboardText(argument);
    press('V', 0, false, true, false);
    return true;
  }
  if (verb == "key") {
    bool shift = false, control = false, alt = false;
    std::string name = Lower(argument);
    for (size_t plus = name.find('+'); plus != std::string::npos && plus + 1 < name.size();
         plus = name.find('+')) {
      const std::string modifier = name.substr(0, plus);
      if (modifier == "shift") {
        shift = true;
      } else if (modifier == "ctrl" || modifier == "control") {
        control = true;
      } else if (modifier == "alt") {
        alt = true;
      } else {
        error = "unknown modifier \"" + modifier + "\"";
        return false;
      }
      name = name.substr(plus + 1);
    }
    for (const KeyName& key : kKeys) {
      if (name == key.name) {
        press(key.key, key.text, shift, control, alt);
        return true;
      }
    }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
      const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
      press(static_cast<WPARAM>(upper), shift ? upper : name[0], shift, control, alt);
      return true;
    }
    error = "unknown key \"" + argument + "\"";
    return false;
  }
  if (verb == "click" || verb == "toggle") {
    int id = 0;
    if (!ParseId(argument, id)) {
      error = "expected a control id, not \"" + argument + "\"";
      return false;
    }
    if (verb == "toggle" && Find(id) != nullptr && Find(id)->Item().kind != ItemKind::CheckBox) {
      error = "control " + argument + " is not a check box";
      return false;
    }
    return click(id);
  }
  if (verb == "ok" || verb == "cancel") {
    const int id = verb == "ok" ? IDOK : IDCANCEL;
    if (Find(id) != nullptr) return click(id);
    Notify(id, BN_CLICKED);
    return true;
  }
  if (verb == "close") {
    dialog.WindowProc(WM_CLOSE, 0, 0);
    return true;
  }
  if (verb == "browse") {
    for (const auto& control : controls) {
      if (control->IsPushButton() && Lower(control->Text()).rfind("browse", 0) == 0)
        return click(control->Id());
    }
    error = "the dialog has no Browse button";
    return false;
  }
  if (verb == "set" || verb == "focus" || verb == "select") {
    const size_t blank = argument.find(' ');
    int id = 0;
    if (!ParseId(argument.substr(0, blank), id) || Find(id) == nullptr) {
      error = "no control \"" + argument.substr(0, blank) + "\"";
      return false;
    }
    const std::string rest = blank == std::string::npos ? std::string() : argument.substr(blank + 1);
    if (verb == "set") {
      dialog.SetDlgItemText(id, rest);
    } else if (verb == "focus") {
      dialog.GotoDlgCtrl(id);
    } else {
      auto* list = dynamic_cast<dialog::ListBox*>(Find(id));
      int index = 0;
      if (list == nullptr || !ParseId(rest, index)) {
        error = "expected a list box and an item number";
        return false;
      }
      SetFocus(IndexOf(id), false);
      list->Select(index, true);
    }
    return true;
  }
  if (verb == "choose") {
    if (dialogTemplate.id != dialog::kOpenFileTemplateId) {
      error = "no file dialog is open";
      return false;
    }
    dialog.SetDlgItemText(dialog::kFileNameEdit, argument);
    Notify(IDOK, BN_CLICKED);
    return true;
  }
  if (verb == "png") {
    if (!SavePng(argument)) {
      error = "cannot write \"" + argument + "\"";
      return false;
    }
    return true;
  }
  error = "unknown action";
  return false;
}

void Dialog::State::RunScript() {
  while (!dialog.ended) {
    if (!PumpPendingMessages()) {
      if (!dialog.ended) dialog.EndDialog(IDCANCEL);
      break;
    }
    if (dialog.ended) break;
    const std::optional<dialog::ScriptAction> action = dialog::Script::Instance().Next();
    if (!action) {
      std::fprintf(stderr, "dialog script: no actions left with \"%s\" open; it is cancelled\n",
                   dialogTemplate.caption.c_str());
      Notify(IDCANCEL, BN_CLICKED);
      if (!dialog.ended) dialog.EndDialog(IDCANCEL);
      break;
    }
    std::string error;
    if (!Apply(*action, error)) {
      std::fprintf(stderr, "dialog script: %s %s: %s\n", action->verb.c_str(), action->argument.c_str(),
                   error.c_str());
    }
    if (!dialog.ended && !pngPath.empty()) SavePng(pngPath);
  }
}

}  // namespace platform
