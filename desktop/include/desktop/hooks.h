// hooks.h — how a host program (the platform layer) ties the Glide library
// to its windows and its clock: the library asks the host which window a
// Glide handle stands for, and tells it after every shown frame.
#pragma once

#include <cstdint>
#include <functional>

struct SDL_Window;

namespace desktop {

// The window a Glide window handle stands for.
struct WindowTarget {
  SDL_Window* window = nullptr;  // null: the library opens a window of its own
  bool foreign = false;          // a window of another program (XScreenSaver): follow its size
  uintptr_t nativeWindow = 0;    // Windows: the system's window (HWND) to draw into
};

// grSstWinOpen asks the resolver for every handle it is given, 0 included
// (a host that draws into a foreign window answers 0 with that window).
// Without a resolver every handle means "open your own window".
// Called on the program's thread, inside grSstWinOpen.
void SetWindowResolver(std::function<WindowTarget(uint32_t handle)> resolver);
WindowTarget ResolveWindow(uint32_t handle);

// Called after every shown frame (each grBufferSwap that reached a display),
// with the number of that frame counting from 1 since the library was loaded.
// Headless hosts advance their virtual clock and replay scripted input here.
void SetSwapListener(std::function<void(uint64_t shownFrame)> listener);

// Counts one more shown frame and returns its number.
uint64_t NextShownFrame();
// Tells the swap listener, if any, that frame `shownFrame` has been shown.
void NotifyFrameShown(uint64_t shownFrame);

}  // namespace desktop
