// presenter.h — the one thing that puts pixels into a window, shared by the
// host (its black fill) and the Glide library (the picture).
//
// Two kinds: the GPU renderer (SDL's accelerated renderer with a streaming
// texture, scaled by the GPU, waiting for the retrace), and our own scaler
// into the window's surface (SDL's window framebuffer: shared-memory images
// on X11) for where the renderer would run in software: no GPU, a remote
// display, another program's window. GLIDE_PRESENT=gpu|software overrides
// the choice.
#pragma once

#include <cstdint>
#include <functional>

struct SDL_Window;

namespace desktop {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class Presenter {
 public:
  virtual ~Presenter() = default;

  // True for our own scaler into the window's surface.
  virtual bool Software() const = 0;
  // The window's drawable size in pixels now (follows resizes).
  virtual void OutputSize(int* width, int* height) = 0;
  // Memory for a frame of width x height 0xAARRGGBB pixels, rows pitchBytes
  // apart; valid until Show. Null when the frame cannot be taken.
  virtual uint32_t* FrameBuffer(int width, int height, int* pitchBytes) = 0;
  // Shows the frame last written into FrameBuffer scaled into `fit`, the rest
  // black: nearest sampling where fit is a whole multiple of the frame,
  // bilinear otherwise. `presents` > 1 shows it that many times (a renderer
  // waiting for the retrace waits once per present).
  virtual void Show(const Rect& fit, int presents) = 0;
  // Fills a rectangle with 0x00BBGGRR (a COLORREF) and shows it.
  virtual void Fill(const Rect& rect, uint32_t colourRef) = 0;
  // Asks to wait for the retrace at each present. False when this presenter
  // cannot (the caller then paces by sleeping).
  virtual bool SetVsync(bool wanted) = 0;
};

// The presenter of a window, made at the first call for it; later calls
// return the same one. A foreign window always gets the software one. Null
// when SDL can give neither (SDL_GetError tells why). Program's thread only.
Presenter* PresenterFor(SDL_Window* window, bool foreign);

// The host calls this before it destroys a window it has asked PresenterFor
// about: the users registered with WatchPresenter hear it first and draw no
// more, then the presenter goes. Harmless for a window without one.
void ReleasePresenter(SDL_Window* window);

// Registers `onRelease`, run by ReleasePresenter(window). Returns a ticket
// for ForgetPresenterUser; 0 when the window has no presenter.
uint64_t WatchPresenter(SDL_Window* window, std::function<void()> onRelease);
void ForgetPresenterUser(uint64_t ticket);

// A display opened on (true) or let go of (false) a window. While one is
// open the picture covers the whole window at every swap, so the host does
// not paint it itself: a fill would flash between two frames.
void MarkDisplayOn(SDL_Window* window, bool open);
bool DisplayDrawsInto(SDL_Window* window);

// Whether a window of this run should be given our own scaler: GLIDE_PRESENT,
// else true where no GPU is reachable (no render node, a remote display).
bool PreferSoftwarePresenter();

}  // namespace desktop
