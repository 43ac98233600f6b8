// desktop_window.h — what the dialog manager asks of the desktop for the
// dialogs and boxes it shows as windows of their own: the keyboard focus,
// the keyboard's modifiers, the clipboard, the usable screen area and a
// window's place. SDL's on Linux (desktop_window_sdl.cpp); a build that
// shows no such windows (Windows, where dialogs are Win32's own) answers as
// a desktop without them (desktop_window_none.cpp).
#pragma once

#include <optional>
#include <string>

#include "platform/win32.h"

namespace platform::dialog::desktop_window {

// Raises the desktop window behind hwnd and gives it the keyboard, unless it
// has it already. Nothing for a handle without one.
void TakeKeyboard(HWND hwnd);
// Makes the desktop window behind box modal for the one behind below.
void MakeModalFor(HWND box, HWND below);
// Moves the desktop window behind hwnd to a screen position.
void MoveTo(HWND hwnd, POINT position);

// Whether Shift / Ctrl is held on the desktop's keyboard now.
bool ShiftHeld();
bool ControlHeld();

// The desktop's clipboard; nullopt when there is none to use.
std::optional<std::string> ClipboardText();
// False when there is no desktop clipboard.
bool SetClipboardText(const std::string& text);

// The first monitor's area without task bars; nullopt when unknown.
std::optional<RECT> UsableArea();

}  // namespace platform::dialog::desktop_window
