// x11_test_window.h — an X11 window made the way another program (XScreenSaver)
// would make it, outside SDL. Kept apart because Xlib's macros clash with GoogleTest.
#pragma once

namespace gfx::testing {

class X11TestWindow {
 public:
  X11TestWindow() = default;
  ~X11TestWindow();
  X11TestWindow(const X11TestWindow&) = delete;
  X11TestWindow& operator=(const X11TestWindow&) = delete;

  // False when no X display can be opened.
  bool Create(int width, int height);
  // Resizes the window and waits until the server has done it.
  void Resize(int width, int height);
  // Destroys the window, as its owner would, and waits until the server has done it.
  void Destroy();
  // The X window id, as SDL_CreateWindowFrom wants it.
  void* Handle() const;

 private:
  void* display_ = nullptr;
  unsigned long window_ = 0;
};

}  // namespace gfx::testing
