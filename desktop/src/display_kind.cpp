// display_kind.cpp — GLIDE_DISPLAY and the rule that turns it and the video
// probe (video_probe.h: SDL on Linux, the window station on Windows) into
// the display of this run.
#include "desktop/display_kind.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "video_probe.h"

namespace desktop {

DisplayKind ChooseDisplayKind(const char* requested, bool videoAvailable, std::string* warning) {
  const DisplayKind fallback = videoAvailable ? DisplayKind::FullScreen : DisplayKind::Headless;
  if (requested == nullptr || *requested == '\0') return fallback;
  if (std::strcmp(requested, "fullscreen") == 0) return DisplayKind::FullScreen;
  if (std::strcmp(requested, "window") == 0) return DisplayKind::Window;
  if (std::strcmp(requested, "headless") == 0) return DisplayKind::Headless;
  if (warning != nullptr) {
    *warning = std::string("GLIDE_DISPLAY=\"") + requested +
               "\" is not one of fullscreen, window, headless; using " +
               (videoAvailable ? "fullscreen" : "headless");
  }
  return fallback;
}

DisplayKind ChosenDisplay() {
  const char* requested = std::getenv("GLIDE_DISPLAY");
  const bool known = requested != nullptr &&
                     (std::strcmp(requested, "fullscreen") == 0 || std::strcmp(requested, "window") == 0 ||
                      std::strcmp(requested, "headless") == 0);
  // Ask the machine only when the answer matters.
  const bool videoAvailable = known || CachedVideoDeviceAvailable();
  std::string warning;
  const DisplayKind kind = ChooseDisplayKind(requested, videoAvailable, &warning);
  static std::string lastWarning;
  if (!warning.empty() && warning != lastWarning) std::fprintf(stderr, "glide: %s\n", warning.c_str());
  lastWarning = warning;
  return kind;
}

}  // namespace desktop
