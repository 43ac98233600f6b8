// foreign_size.cpp — asking X11 for a foreign window's size.
#include "foreign_size.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(GFX_DISPLAY_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace gfx {

bool RefreshForeignWindowSize(SDL_Window* window) {
#if defined(GFX_DISPLAY_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  XWindowAttributes attributes;
  if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) == 0) return false;
  if (attributes.width <= 0 || attributes.height <= 0) return false;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  // The window already has this size, so SDL's resize request changes nothing
  // on screen; it only updates SDL's record and the renderer's surface.
  if (width != attributes.width || height != attributes.height) {
    SDL_SetWindowSize(window, attributes.width, attributes.height);
  }
  return true;
#else
  (void)window;
  return false;
#endif
}

}  // namespace gfx
