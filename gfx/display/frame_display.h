// frame_display.h — what every display does with a presented frame, whatever
// it shows it on: count it, show it, capture it when due, tell the host.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "capture.h"
#include "display.h"
#include "gamma.h"

namespace gfx {

// A presented frame as the library keeps it: RGB565 pixels, or pixels of 8
// bits a channel (0x00RRGGBB); exactly one of the two is set.
struct FrameView {
  const uint16_t* pixels16 = nullptr;
  const uint32_t* pixels32 = nullptr;
  int width = 0, height = 0;
  int stride = 0;  // pixels between rows

  // Row y as a viewer sees it through the gamma ramp (0xFFRRGGBB).
  void ConvertRow(const GammaTable& gamma, int y, uint32_t* out) const {
    if (pixels32 != nullptr)
      gamma.ConvertRow(pixels32 + static_cast<size_t>(y) * stride, width, out);
    else
      gamma.ConvertRow(pixels16 + static_cast<size_t>(y) * stride, width, out);
  }
};

class FrameDisplay : public Display {
 public:
  explicit FrameDisplay(std::optional<CaptureSettings> capture);

  void Present(const uint16_t* pixels, int width, int height, int strideInPixels, int swapInterval) final;
  void Present32(const uint32_t* pixels, int width, int height, int strideInPixels, int swapInterval) final;
  void SetGamma(float gamma) override { gamma_.SetGamma(gamma); }

  const GammaTable& Gamma() const { return gamma_; }
  // The number of the last frame this display presented (0: none yet).
  uint64_t LastShownFrame() const { return lastShownFrame_; }

 protected:
  // Puts the frame wherever this display shows it. Its pixels are valid, the
  // size positive; the buffer stays the caller's.
  virtual void Show(const FrameView& frame, int swapInterval) = 0;

 private:
  void PresentFrame(const FrameView& frame, int swapInterval);

  GammaTable gamma_;
  std::optional<FrameCapture> capture_;
  std::vector<uint32_t> captureRgb_;
  uint64_t lastShownFrame_ = 0;
};

}  // namespace gfx
