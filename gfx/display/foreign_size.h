// foreign_size.h — the current size of another program's window. SDL learns
// nothing when such a window is resized, so the display asks the window
// system itself every frame and brings SDL's idea of the size up to date.
#pragma once

struct SDL_Window;

namespace gfx {

// Asks the window system for the window's size now and, when it differs from
// what SDL believes, tells SDL (so that the software renderer's surface
// follows). False when the size cannot be asked for; SDL's own belief stays.
bool RefreshForeignWindowSize(SDL_Window* window);

}  // namespace gfx
