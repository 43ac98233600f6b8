// capture.h — shown frames written as PNG files (GLIDE_CAPTURE, GLIDE_CAPTURE_EVERY):
// one file per chosen frame, named by the frame's number so the names sort.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace gfx {

struct CaptureSettings {
  std::filesystem::path folder;
  uint64_t every = 1;  // frames every, 2·every, ... are written
};

// Reads GLIDE_CAPTURE (the folder) and GLIDE_CAPTURE_EVERY (the step).
// Nothing when no folder is named. A step that is not a whole number of at
// least 1 is reported on stderr and taken as 1.
std::optional<CaptureSettings> CaptureSettingsFromEnvironment();
std::optional<CaptureSettings> ParseCaptureSettings(const char* folder, const char* every,
                                                    std::string* warning);

// "000042.png" for frame 42: six digits at least.
std::string CaptureFileName(uint64_t shownFrame);

// Writes 0x??RRGGBB pixels, top row first, as an 8-bit RGB PNG. False with
// the reason in *error when the file cannot be written.
bool WritePng(const std::filesystem::path& file, const uint32_t* pixels, int width, int height,
              std::string* error);

class FrameCapture {
 public:
  explicit FrameCapture(CaptureSettings settings) : settings_(std::move(settings)) {}

  bool Due(uint64_t shownFrame) const { return shownFrame % settings_.every == 0; }
  // Writes the frame into the folder, creating it when missing. The first
  // failure is reported on stderr; later ones are silent.
  void Write(uint64_t shownFrame, const uint32_t* pixels, int width, int height);

 private:
  CaptureSettings settings_;
  bool folderReady_ = false;
  bool failureReported_ = false;
};

}  // namespace gfx
