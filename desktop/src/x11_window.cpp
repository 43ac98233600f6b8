// x11_window.cpp — other programs' X11 windows and survivable X errors.
#include "desktop/x11_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#if defined(DESKTOP_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#define DESKTOP_X11 1
#endif

namespace desktop {

namespace {

std::atomic<uint32_t> hostWindow{0};
std::atomic<bool> hostLost{false};
// Counts every error the server reported, and names the resource of the last.
std::atomic<uint64_t> errorCount{0};
std::atomic<unsigned long> lastErrorResource{0};
std::atomic<int> errorsReported{0};

#ifdef DESKTOP_X11
int NoteXError(::Display* display, XErrorEvent* event) {
  lastErrorResource.store(event->resourceid);
  errorCount.fetch_add(1);
  const uint32_t host = hostWindow.load();
  if (host != 0 && event->resourceid == host) {
    hostLost.store(true);
    return 0;
  }
  // Any other error is a fault of ours worth a line, but never the end of
  // the program: a few are told, the rest only counted.
  if (host == 0 && errorsReported.fetch_add(1) < 3) {
    char text[160] = {};
    XGetErrorText(display, event->error_code, text, sizeof text - 1);
    std::fprintf(stderr, "X error: %s (request %d, resource 0x%lx)\n", text, event->request_code,
                 event->resourceid);
  }
  return 0;
}

int OnConnectionLost(::Display*) {
  // The server is gone (it ended, or the session did). Xlib exits after this
  // handler in any case; nothing can be drawn or cleaned up any more.
  _exit(0);
}
#endif

}  // namespace

void MakeXErrorsSurvivable() {
#ifdef DESKTOP_X11
  XSetErrorHandler(NoteXError);
  XSetIOErrorHandler(OnConnectionLost);
#endif
}

void WatchHostWindow(uint32_t xWindow) {
  hostWindow.store(xWindow);
  hostLost.store(false);
}

bool HostWindowLost() {
  return hostLost.load();
}

ForeignWindowState RefreshForeignWindowSize(SDL_Window* window, int* width, int* height) {
#ifdef DESKTOP_X11
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return ForeignWindowState::Unknown;
  }
  ::Display* display = info.info.x11.display;
  const ::Window xWindow = info.info.x11.window;
  MakeXErrorsSurvivable();
  XSync(display, False);
  const uint64_t before = errorCount.load();
  XWindowAttributes attributes;
  const Status asked = XGetWindowAttributes(display, xWindow, &attributes);
  XSync(display, False);
  const bool failed = asked == 0 || (errorCount.load() != before && lastErrorResource.load() == xWindow);
  if (failed) {
    if (xWindow == hostWindow.load()) hostLost.store(true);
    return ForeignWindowState::Gone;
  }
  if (attributes.width <= 0 || attributes.height <= 0) return ForeignWindowState::Unknown;
  if ((attributes.your_event_mask & StructureNotifyMask) == 0) {
    // SDL learns a window's size from the server's ConfigureNotify events,
    // which it does not ask for on another program's window. Asking for them
    // too (another program's mask is its own, ours only adds to ours) keeps
    // SDL's size, and so the window's surface, right. SDL's own resize call
    // must not be used here: it would resize the host's window and fix its
    // size hints.
    XSelectInput(display, xWindow, attributes.your_event_mask | StructureNotifyMask);
  }
  int known_width = 0;
  int known_height = 0;
  SDL_GetWindowSize(window, &known_width, &known_height);
  if (known_width != attributes.width || known_height != attributes.height) SDL_PumpEvents();
  if (width != nullptr) *width = attributes.width;
  if (height != nullptr) *height = attributes.height;
  return ForeignWindowState::Present;
#else
  (void)window;
  (void)width;
  (void)height;
  return ForeignWindowState::Unknown;
#endif
}

void PointerOnScreen(int* x, int* y) {
#ifdef DESKTOP_X11
  // A connection of our own, kept for the run: a question of one round trip
  // that waits for nothing SDL does.
  static ::Display* display = XOpenDisplay(nullptr);
  if (display != nullptr) {
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                      &mask)) {
      *x = rootX;
      *y = rootY;
      return;
    }
  }
#endif
  SDL_GetGlobalMouseState(x, y);
}

std::optional<uint32_t> RootWindowId() {
#ifdef DESKTOP_X11
  ::Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return std::nullopt;
  const uint32_t root = static_cast<uint32_t>(DefaultRootWindow(display));
  XCloseDisplay(display);
  return root;
#else
  return std::nullopt;
#endif
}

}  // namespace desktop
