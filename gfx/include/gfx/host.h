// gfx/host.h — how a host program (the platform layer) ties the Glide library
// to its windows and its clock. Not part of Glide's public API.
#pragma once

#include <cstdint>
#include <functional>

struct SDL_Window;
struct SDL_Renderer;

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

// Where frames go, as GLIDE_DISPLAY asks ("fullscreen", "window", "headless");
// unset or unknown: full screen where a video device can be opened (SDL video
// starts and its driver is not "dummy" or "offscreen"), headless otherwise.
// The library opens its display by this rule; a host that must know whether
// there will be a screen asks here rather than deciding for itself. An unknown
// value is reported on stderr (once).
enum class DisplayKind { FullScreen, Window, Headless };
DisplayKind ChosenDisplay();

// The one renderer of a window, shared by the host (its black fill) and the
// library (the picture). Created at the first call for a window: SDL's
// software renderer for a foreign window, otherwise an accelerated one,
// falling back to software. Later calls return the same renderer whatever
// `foreign` says. Null when SDL cannot create one (SDL_GetError tells why).
// Call on the program's thread with SDL video initialised.
SDL_Renderer* RendererFor(SDL_Window* window, bool foreign);

// True while a Glide display is open on this window. The picture then covers
// the whole window (black bars included) at every swap, so the host should
// not paint it itself: a fill it presents would show between two frames.
bool DisplayDrawsInto(SDL_Window* window);

// The host calls this before it destroys a window it has asked RendererFor
// about (and before SDL_Quit, if it ever calls that rather than
// SDL_QuitSubSystem): the library lets go of the textures it made on that renderer and
// draws no more into the window, then the renderer is destroyed. Harmless for
// a window without a renderer.
void ReleaseRenderer(SDL_Window* window);

}  // namespace gfx::host
