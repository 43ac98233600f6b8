// host_hooks.h — the library's side of gfx/host.h: asks the host's resolver
// for a window, counts shown frames and tells the swap listener, and lets a
// display hear when the renderer it draws with is about to go.
#pragma once

#include <cstdint>
#include <functional>

#include "gfx/host.h"

namespace gfx::host {

// The host's answer for a Glide window handle; without a resolver, "open your own".
WindowTarget ResolveWindow(uint32_t handle);

// Counts one more shown frame and returns its number (1 for the first frame
// since the library was loaded).
uint64_t NextShownFrame();

// Tells the swap listener, if any, that frame `shownFrame` has been shown.
void NotifyFrameShown(uint64_t shownFrame);

// Registers `onRelease`, run by ReleaseRenderer(window) before the renderer
// is destroyed. Returns a ticket for ForgetRendererUser; 0 when `window` has
// no renderer.
uint64_t WatchRenderer(SDL_Window* window, std::function<void()> onRelease);
void ForgetRendererUser(uint64_t ticket);

// A display opened on (true) or let go of (false) a window; DisplayDrawsInto answers from this.
void MarkDisplayOn(SDL_Window* window, bool open);

}  // namespace gfx::host
