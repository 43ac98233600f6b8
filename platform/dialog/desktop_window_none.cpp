// desktop_window_none.cpp — a build whose dialog manager shows no desktop
// windows of its own (on Windows the dialogs are Win32's): nothing to focus
// or move, no desktop clipboard (the dialog keeps its own), no modifiers.
#include "desktop_window.h"

namespace platform::dialog::desktop_window {

void TakeKeyboard(HWND) {}
void MakeModalFor(HWND, HWND) {}
void MoveTo(HWND, POINT) {}
bool ShiftHeld() {
  return false;
}
bool ControlHeld() {
  return false;
}
std::optional<std::string> ClipboardText() {
  return std::nullopt;
}
bool SetClipboardText(const std::string&) {
  return false;
}
std::optional<RECT> UsableArea() {
  return std::nullopt;
}

}  // namespace platform::dialog::desktop_window
