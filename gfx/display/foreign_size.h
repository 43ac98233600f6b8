// foreign_size.h — the current size of another program's window. SDL learns
// nothing when such a window is resized, so the display asks the window
// system itself every frame and brings SDL's idea of the size up to date.
#pragma once

struct SDL_Window;

namespace gfx {

enum class ForeignWindowState {
  Present,  // asked; SDL now knows the window's size
  Unknown,  // cannot be asked here (not X11): SDL's belief stands
  Gone,     // the other program has destroyed the window: draw no more into it
};

// Asks the window system for the window's size now and, when it differs from
// what SDL believes, tells SDL (so that the software renderer's surface
// follows). An X error (the window destroyed under us) is caught, not fatal.
ForeignWindowState RefreshForeignWindowSize(SDL_Window* window);

}  // namespace gfx
