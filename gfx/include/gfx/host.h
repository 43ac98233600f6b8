// gfx/host.h — how a host program (the platform layer) ties the Glide library
// to its windows and its clock. Not part of Glide's public API.
#pragma once

#include <cstdint>
#include <functional>

struct SDL_Window;

namespace gfx::host {

// The window a Glide window handle stands for.
struct WindowTarget {
  SDL_Window* window = nullptr;  // null: the library opens a window of its own
  bool foreign = false;          // a window of another program (XScreenSaver): no GL, follow its size
};

// grSstWinOpen asks the resolver for every handle it is given, 0 included
// (a host that draws into a foreign window answers 0 with that window).
// Without a resolver every handle means "open your own window".
// Called on the program's thread, inside grSstWinOpen.
void SetWindowResolver(std::function<WindowTarget(uint32_t handle)> resolver);

// Called after every shown frame (each grBufferSwap that reached a display),
// with the number of that frame counting from 1 since the library was loaded.
// Headless hosts advance their virtual clock and replay scripted input here.
void SetSwapListener(std::function<void(uint64_t shownFrame)> listener);

}  // namespace gfx::host
