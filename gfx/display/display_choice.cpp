// display_choice.cpp — GLIDE_DISPLAY, GLIDE_NO_BOARD and the display factory.
#include "display_choice.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "capture.h"
#include "display.h"
#include "headless_display.h"
#include "sdl_display.h"

namespace gfx {

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

bool VideoDeviceAvailable() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool visible =
      driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return visible;
}

namespace {

// Probing starts and stops SDL video (on X11 a connection to the server), so
// the answer is kept; it can only change with the driver SDL is told to use.
bool CachedVideoDeviceAvailable() {
  static std::map<std::string, bool> answers;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const std::string key = driver != nullptr ? driver : "";
  auto found = answers.find(key);
  if (found == answers.end()) found = answers.emplace(key, VideoDeviceAvailable()).first;
  return found->second;
}

}  // namespace

DisplayKind DisplayKindFromEnvironment() {
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

namespace host {
DisplayKind ChosenDisplay() {
  return DisplayKindFromEnvironment();
}
}  // namespace host

std::unique_ptr<Display> CreateDisplayFromEnvironment() {
  auto capture = CaptureSettingsFromEnvironment();
  switch (DisplayKindFromEnvironment()) {
    case DisplayKind::FullScreen:
      return std::make_unique<SdlDisplay>(true, std::move(capture));
    case DisplayKind::Window:
      return std::make_unique<SdlDisplay>(false, std::move(capture));
    case DisplayKind::Headless:
      break;
  }
  return std::make_unique<HeadlessDisplay>(std::move(capture));
}

bool BoardPresent() {
  const char* noBoard = std::getenv("GLIDE_NO_BOARD");
  return !(noBoard != nullptr && std::strcmp(noBoard, "1") == 0);
}

}  // namespace gfx
