// foreign_size.cpp — asking X11 for a foreign window's size.
#include "foreign_size.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(GFX_DISPLAY_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace gfx {

#if defined(GFX_DISPLAY_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
namespace {

// Xlib's default handler ends the process on any error; while asking about a
// window that may be gone, errors are only noted.
int caughtXError = 0;
int NoteXError(::Display*, XErrorEvent* event) {
  caughtXError = event->error_code;
  return 0;
}

}  // namespace
#endif

ForeignWindowState RefreshForeignWindowSize(SDL_Window* window) {
#if defined(GFX_DISPLAY_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return ForeignWindowState::Unknown;
  }
  ::Display* display = info.info.x11.display;
  XSync(display, False);
  caughtXError = 0;
  auto* previous = XSetErrorHandler(NoteXError);
  XWindowAttributes attributes;
  const Status asked = XGetWindowAttributes(display, info.info.x11.window, &attributes);
  XSync(display, False);
  XSetErrorHandler(previous);
  if (asked == 0 || caughtXError != 0) return ForeignWindowState::Gone;
  if (attributes.width <= 0 || attributes.height <= 0) return ForeignWindowState::Unknown;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  // The window already has this size, so SDL's resize request changes nothing
  // on screen; it only updates SDL's record and the renderer's surface.
  if (width != attributes.width || height != attributes.height) {
    SDL_SetWindowSize(window, attributes.width, attributes.height);
  }
  return ForeignWindowState::Present;
#else
  (void)window;
  return ForeignWindowState::Unknown;
#endif
}

}  // namespace gfx
