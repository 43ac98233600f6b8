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

class FrameDisplay : public Display {
 public:
  explicit FrameDisplay(std::optional<CaptureSettings> capture);

  void Present(const uint16_t* pixels, int width, int height, int strideInPixels, int swapInterval) final;
  void SetGamma(float gamma) override { gamma_.SetGamma(gamma); }

  const GammaTable& Gamma() const { return gamma_; }
  // The number of the last frame this display presented (0: none yet).
  uint64_t LastShownFrame() const { return lastShownFrame_; }

 protected:
  // Puts the frame wherever this display shows it. `pixels` is valid, the
  // size positive; the buffer stays the caller's.
  virtual void Show(const uint16_t* pixels, int width, int height, int strideInPixels, int swapInterval) = 0;

 private:
  GammaTable gamma_;
  std::optional<FrameCapture> capture_;
  std::vector<uint32_t> captureRgb_;
  uint64_t lastShownFrame_ = 0;
};

}  // namespace gfx
