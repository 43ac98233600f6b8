// desktop_window_sdl.cpp — the dialog manager's desktop windows on SDL2.
#include <SDL.h>

#include "desktop_window.h"
#include "platform/host.h"

namespace platform::dialog::desktop_window {

namespace {

bool VideoStarted() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

void TakeKeyboard(HWND hwnd) {
  SDL_Window* window = SdlWindowOf(hwnd);
  if (window != nullptr && SDL_GetKeyboardFocus() != window) {
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
  }
}

void MakeModalFor(HWND box, HWND below) {
  SDL_Window* boxWindow = SdlWindowOf(box);
  SDL_Window* belowWindow = SdlWindowOf(below);
  if (boxWindow != nullptr && belowWindow != nullptr) SDL_SetWindowModalFor(boxWindow, belowWindow);
}

void MoveTo(HWND hwnd, POINT position) {
  if (SDL_Window* window = SdlWindowOf(hwnd)) SDL_SetWindowPosition(window, position.x, position.y);
}

bool ShiftHeld() {
  return VideoStarted() && (SDL_GetModState() & KMOD_SHIFT) != 0;
}

bool ControlHeld() {
  return VideoStarted() && (SDL_GetModState() & KMOD_CTRL) != 0;
}

std::optional<std::string> ClipboardText() {
  if (!VideoStarted() || !SDL_HasClipboardText()) return std::nullopt;
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return std::nullopt;
  std::string copy = text;
  SDL_free(text);
  return copy;
}

bool SetClipboardText(const std::string& text) {
  return VideoStarted() && SDL_SetClipboardText(text.c_str()) == 0;
}

std::optional<RECT> UsableArea() {
  SDL_Rect usable;
  if (!VideoStarted() || SDL_GetDisplayUsableBounds(0, &usable) != 0) return std::nullopt;
  return RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
}

}  // namespace platform::dialog::desktop_window
