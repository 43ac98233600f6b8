// x11_test_window.cpp — a plain Xlib window for the foreign-window tests.
#include "x11_test_window.h"

#include <X11/Xlib.h>

namespace gfx::testing {

X11TestWindow::~X11TestWindow() {
  auto* display = static_cast<::Display*>(display_);
  if (display == nullptr) return;
  if (window_ != 0) XDestroyWindow(display, window_);
  XCloseDisplay(display);
}

bool X11TestWindow::Create(int width, int height) {
  auto* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  display_ = display;
  window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, 0, 0);
  XMapWindow(display, window_);
  XSync(display, False);
  return true;
}

void X11TestWindow::Resize(int width, int height) {
  auto* display = static_cast<::Display*>(display_);
  XResizeWindow(display, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(display, False);
}

void X11TestWindow::Destroy() {
  auto* display = static_cast<::Display*>(display_);
  XDestroyWindow(display, window_);
  XSync(display, False);
  window_ = 0;
}

void* X11TestWindow::Handle() const {
  return reinterpret_cast<void*>(window_);
}

}  // namespace gfx::testing
