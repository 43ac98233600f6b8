// x11_window.h — other programs' X11 windows (a screen-saver host's), and X
// errors that must never end or hang the program.
//
// Xlib's default error handler ends the process from inside the library,
// which can deadlock in the exit handlers (the display lock is held). Once
// SDL video is up, StartVideo installs a handler that notes errors instead:
// an error about the host's window marks it lost, so the saver ends in order.
#pragma once

#include <cstdint>
#include <optional>

struct SDL_Window;

namespace desktop {

enum class ForeignWindowState {
  Present,  // asked; SDL now knows the window's size
  Unknown,  // cannot be asked here (not X11): SDL's belief stands
  Gone,     // the other program has destroyed the window: draw no more into it
};

// Asks the window system for the window's size now and, when it differs from
// what SDL believes, tells SDL (so that the window's surface follows). Errors
// are caught and mean Gone.
ForeignWindowState RefreshForeignWindowSize(SDL_Window* window, int* width = nullptr, int* height = nullptr);

// Installs the noting error handler (and an I/O error handler that ends the
// program quietly when the connection to the server is lost). Idempotent.
void MakeXErrorsSurvivable();

// The host's window id: errors naming it mark it lost.
void WatchHostWindow(uint32_t xWindow);
// True once the server has said the host's window is gone (an error naming
// it, or a size query that failed).
bool HostWindowLost();

// Where the pointer is on the screen, asked of the server now. SDL's own
// answer on X11 is kept from the last raw input event it was sent, which it
// asks for only in relative mode, so it can stay wrong for good. Falls back
// to SDL's answer where there is no X11.
void PointerOnScreen(int* x, int* y);

// The root window of the default screen, for drawing on the desktop itself
// (-root); none without X11.
std::optional<uint32_t> RootWindowId();

}  // namespace desktop
