// sdl_message_box.cpp — message boxes on the desktop.
#include <cstdio>

#include "sdl/sdl_driver.h"

namespace platform {

int SdlDriver::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  switch (type & 0xF0) {
    case MB_ICONHAND:
      flags = SDL_MESSAGEBOX_ERROR;
      break;
    case MB_ICONEXCLAMATION:
      flags = SDL_MESSAGEBOX_WARNING;
      break;
    default:
      break;
  }
  const bool single = (type & 0xF) != MB_OKCANCEL;
  Uint32 okFlags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  if (single) okFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  SDL_MessageBoxButtonData buttons[2] = {{okFlags, IDOK, "OK"},
                                         {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"}};
  const int count = single ? 1 : 2;
  // A box over a full-screen window must belong to it, or it opens behind.
  SDL_Window* parent = IsHosted() ? nullptr : SdlWindowOf(owner != 0 ? owner : ActiveHandle());
  SDL_MessageBoxData data{flags, parent, caption.c_str(), text.c_str(), count, buttons, nullptr};
  int pressed = IDCANCEL;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
  }
  if (pressed < 0) pressed = count == 1 ? IDOK : IDCANCEL;  // closed without a button
  return pressed;
}

}  // namespace platform
