// headless_display.h — a display without a screen: the shown frame is kept
// in memory (and captured to PNG files when asked).
#pragma once

#include <vector>

#include "frame_display.h"

namespace gfx {

class HeadlessDisplay final : public FrameDisplay {
 public:
  explicit HeadlessDisplay(std::optional<CaptureSettings> capture = std::nullopt)
      : FrameDisplay(std::move(capture)) {}

  bool Open(const DisplayConfig& config) override;
  void Close() override;

  // The last shown frame as presented (RGB565, tightly packed), and its size.
  // A frame of 8 bits a channel is kept as presented in Frame32 (0x??RRGGBB)
  // and truncated to RGB565 here when first asked for.
  const std::vector<uint16_t>& Frame() const;
  const std::vector<uint32_t>& Frame32() const { return frame32_; }
  int FrameWidth() const { return frameWidth_; }
  int FrameHeight() const { return frameHeight_; }
  bool IsOpen() const { return open_; }

 protected:
  void Show(const FrameView& frame, int swapInterval) override;

 private:
  bool open_ = false;
  mutable std::vector<uint16_t> frame_;
  mutable bool frameStale_ = false;  // frame_ is yet to be made from frame32_
  std::vector<uint32_t> frame32_;    // empty unless the last frame kept 8 bits a channel
  int frameWidth_ = 0;
  int frameHeight_ = 0;
};

}  // namespace gfx
