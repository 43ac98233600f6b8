// display_factory.cpp — the display factory (by the desktop session's rule) and GLIDE_NO_BOARD.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "capture.h"
#include "desktop/display_kind.h"
#include "display.h"
#include "headless_display.h"
#include "window_display.h"

namespace gfx {

std::unique_ptr<Display> CreateDisplayFromEnvironment() {
  auto capture = CaptureSettingsFromEnvironment();
  switch (desktop::ChosenDisplay()) {
    case desktop::DisplayKind::FullScreen:
      return CreateWindowDisplay(true, std::move(capture));
    case desktop::DisplayKind::Window:
      return CreateWindowDisplay(false, std::move(capture));
    case desktop::DisplayKind::Headless:
      break;
  }
  return std::make_unique<HeadlessDisplay>(std::move(capture));
}

bool BoardPresent() {
  const char* noBoard = std::getenv("GLIDE_NO_BOARD");
  return !(noBoard != nullptr && std::strcmp(noBoard, "1") == 0);
}

}  // namespace gfx
