// sdl_input.cpp — SDL's events turned into Win32 messages for the active
// window: keys, characters, buttons, activation, window changes, and the
// pointer.
//
// Pointer movement is judged from the pointer's place on the screen, asked
// of the window system, compared with the place last seen. SDL's motion
// events only prompt the question: their coordinates are relative to a
// window whose position SDL may not know yet (a window manager maps, frames,
// moves and enlarges a new window under a still pointer, and the server
// reports motion each time), so they would make a still pointer look moved.
#include <algorithm>

#include "desktop/monitor_blanks.h"
#include "desktop/x11_window.h"
#include "sdl/sdl_driver.h"

namespace platform {

namespace {

// Between two questions about the pointer when nothing prompted one.
constexpr uint64_t kPointerPollMs = 8;

WPARAM VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<WPARAM>(key - SDLK_F1);
  switch (key) {
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_PAUSE:
      return VK_PAUSE;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    default:
      return 0xFF;  // a key Win32 has no code for: still a key press
  }
}

// The next character of UTF-8 text as Latin-1 ('?' for any other character
// or a broken sequence); advances *text past it. SDL's iconv cannot be used:
// where SDL uses the C library's, its native UCS-4 name is unknown.
WPARAM NextLatin1(const char** text) {
  const auto* p = reinterpret_cast<const unsigned char*>(*text);
  const int length = p[0] < 0x80         ? 1
                     : (p[0] >> 5) == 6  ? 2
                     : (p[0] >> 4) == 14 ? 3
                     : (p[0] >> 3) == 30 ? 4
                                         : 1;
  uint32_t code = length == 1 ? p[0] : p[0] & (0x7Fu >> length);
  int i = 1;
  for (; i < length && (p[i] & 0xC0) == 0x80; ++i) code = (code << 6) | (p[i] & 0x3F);
  *text += i;
  if (i < length || (length == 1 && p[0] >= 0x80)) return '?';
  return code < 256 ? code : '?';
}

}  // namespace

void SdlDriver::PollInput() {
  if (IsHosted()) PollHosted();
  SDL_Event event;
  while (SDL_PollEvent(&event)) Translate(event);
  if (!IsHosted()) CheckPointer(false);
}

void SdlDriver::WaitIdle(int timeoutMs) {
  SDL_Event event;
  if (SDL_WaitEventTimeout(&event, std::min(timeoutMs, static_cast<int>(kPointerPollMs) * 4)))
    Translate(event);
  if (!IsHosted()) CheckPointer(false);
}

void SdlDriver::CheckPointer(bool force) {
  const uint64_t now = SDL_GetTicks64();
  if (!force && now - lastPointerCheck_ < kPointerPollMs) return;
  lastPointerCheck_ = now;
  int x = 0, y = 0;
  desktop::PointerOnScreen(&x, &y);
  const POINT at{x, y};
  if (!lastPointer_) {
    lastPointer_ = at;
    return;
  }
  if (lastPointer_->x == at.x && lastPointer_->y == at.y) return;
  lastPointer_ = at;
  PostPointerMove(at, false);
}

WindowRecord* SdlDriver::RecordOf(Uint32 windowId) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (window == nullptr) return nullptr;
  for (auto& [hwnd, record] : TheCore().windows)
    if (record.native == window) return &record;
  return nullptr;
}

LPARAM SdlDriver::ClientPosition(POINT screen) {
  WindowRecord* record = FindRecord(ActiveHandle());
  if (record == nullptr) return 0;
  return MAKELPARAM(screen.x - record->rect.left, screen.y - record->rect.top);
}

void SdlDriver::Translate(const SDL_Event& event) {
  if (event.type == SDL_QUIT) {
    RequestClose();
    return;
  }
  // A hosted saver hears nothing from the user: the host ends it.
  if (IsHosted()) return;
  switch (event.type) {
    case SDL_MOUSEMOTION:
      if (event.motion.which != SDL_TOUCH_MOUSEID) CheckPointer(true);
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (event.button.which == SDL_TOUCH_MOUSEID) return;
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      UINT message;
      WPARAM held;
      switch (event.button.button) {
        case SDL_BUTTON_LEFT:
          message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
          held = MK_LBUTTON;
          break;
        case SDL_BUTTON_MIDDLE:
          message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
          held = MK_MBUTTON;
          break;
        case SDL_BUTTON_RIGHT:
          message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
          held = MK_RBUTTON;
          break;
        default:
          return;
      }
      int x = 0, y = 0;
      desktop::PointerOnScreen(&x, &y);
      PostInput(message, down ? held : 0, ClientPosition(POINT{x, y}));
      return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const bool down = event.type == SDL_KEYDOWN;
      const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
      const WPARAM vk = VirtualKey(event.key.keysym.sym);
      const bool system = alt || vk == VK_F10 || vk == VK_MENU;
      const LPARAM flags =
          1 | (static_cast<LPARAM>(event.key.keysym.scancode & 0xFF) << 16) | (alt ? KF_ALTDOWN_LPARAM : 0) |
          (event.key.repeat != 0 || !down ? LPARAM{1} << 30 : 0) | (down ? 0 : LPARAM{1} << 31);
      const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
      PostInput(message, vk, flags);
      return;
    }
    case SDL_TEXTINPUT: {
      // UTF-8 to the Latin-1 range WM_CHAR carries here; other characters become '?'.
      for (const char* text = event.text.text; *text != 0;) PostInput(WM_CHAR, NextLatin1(&text), 1);
      return;
    }
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window);
      return;
    default:
      return;
  }
}

void SdlDriver::TranslateWindowEvent(const SDL_WindowEvent& event) {
  WindowRecord* record = RecordOf(event.windowID);
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
      // Focus moving between our own windows (a dialog and the Glide
      // window) is not the application losing activation.
      if (appActive_ && SDL_GetKeyboardFocus() == nullptr) {
        appActive_ = false;
        PostActivation(false);
      }
      return;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      if (!appActive_) {
        appActive_ = true;
        PostActivation(true);
      }
      return;
    case SDL_WINDOWEVENT_CLOSE:
      if (record != nullptr) {
        PostMessageA(record->hwnd, WM_CLOSE, 0, 0);
      } else {
        PostInput(WM_CLOSE, 0, 0);
      }
      return;
    case SDL_WINDOWEVENT_EXPOSED:
      if (record != nullptr) {
        record->invalid = true;
        return;
      }
      // A monitor's black cover, drawn again.
      desktop::RepaintBlank(event.windowID);
      return;
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      if (record == nullptr || record->native == nullptr) return;
      int x = 0, y = 0, w = 0, h = 0;
      SDL_GetWindowPosition(record->native, &x, &y);
      SDL_GetWindowSize(record->native, &w, &h);
      const bool resized =
          w != record->rect.right - record->rect.left || h != record->rect.bottom - record->rect.top;
      record->rect = RECT{x, y, x + w, y + h};
      if (resized) {
        record->invalid = true;
        PostMessageA(record->hwnd, WM_SIZE, 0, MAKELPARAM(w, h));
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace platform
