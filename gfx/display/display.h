// display.h — where the finished picture goes: an SDL2 window (full screen or
// windowed), headless memory with optional PNG capture. The pipeline core
// talks to the display only through this interface.
#pragma once

#include <cstdint>
#include <memory>

namespace gfx {

struct DisplayConfig {
  uint32_t windowHandle = 0;  // grSstWinOpen's hWnd; resolved through gfx::host
  int width = 640;            // pixels
  int height = 480;
  int refreshHz = 60;
};

class Display {
 public:
  virtual ~Display() = default;
  // Called once by grSstWinOpen before any other call. False: grSstWinOpen fails.
  virtual bool Open(const DisplayConfig& config) = 0;
  // Called by grBufferSwap with the buffer that becomes visible: RGB565, the
  // top screen row first, strideInPixels apart. The buffer stays the caller's;
  // the display copies what it needs before returning. swapInterval is
  // grBufferSwap's argument (0: do not wait for the retrace). Notifies the
  // host's swap listener once the frame counts as shown.
  virtual void Present(const uint16_t* pixels, int width, int height, int strideInPixels,
                       int swapInterval) = 0;
  // The same for a library that keeps 8 bits a colour channel: 0x00RRGGBB
  // pixels (the top byte is not read), through the same gamma ramp.
  virtual void Present32(const uint32_t* pixels, int width, int height, int strideInPixels,
                         int swapInterval) = 0;
  // The size in pixels of what the frames are shown on (the window's
  // drawable area, or the screen), once open; false when there is none.
  virtual bool OutputSize(int* width, int* height) const {
    (void)width, (void)height;
    return false;
  }
  // grGammaCorrectionValue; applied when presenting (not to the buffers).
  virtual void SetGamma(float gamma) = 0;
  // Called by grSstWinClose / grGlideShutdown. The display may be opened again.
  virtual void Close() = 0;
};

// The display GLIDE_DISPLAY asks for (fullscreen, window, headless; by default
// full screen where a video device can be opened, headless otherwise: the rule
// of desktop::ChosenDisplay), with GLIDE_CAPTURE / GLIDE_CAPTURE_EVERY
// applied. Never null.
std::unique_ptr<Display> CreateDisplayFromEnvironment();

// False when GLIDE_NO_BOARD=1: the library then behaves as on a machine without the card.
bool BoardPresent();

}  // namespace gfx
