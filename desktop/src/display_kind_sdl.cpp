// display_kind_sdl.cpp — the video probe, SDL's hints, and starting SDL
// video with X errors made survivable.
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "desktop/display_kind.h"
#include "desktop/x11_window.h"
#include "video_probe.h"

namespace desktop {

bool VideoDeviceAvailable() {
  if (!StartVisibleVideo(nullptr)) return false;
  StopVideo();
  return true;
}

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

void PrepareSdl() {
  // Let the desktop's own blanking and locking work while a saver runs.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // SIGINT and SIGTERM are the program's: they close the saver in order.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Full-screen windows stay up when another window takes the focus; the
  // saver decides itself what losing the focus means.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // A saver's windows must not be drawn through a compositor's redirection
  // only to be copied again.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "1");
  // A window's surface is the window system's own image (shared memory on
  // X11), never an OpenGL texture: making one would replace the X window,
  // which shows the pointer again and warps it (a still pointer would seem
  // to move), and on a machine without a GPU it only costs more.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

bool StartVideo() {
  PrepareSdl();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // SDL's own X error handler passes errors on to Xlib's, which ends the
  // process from inside Xlib; ours notes them instead.
  MakeXErrorsSurvivable();
  return true;
}

bool StartVisibleVideo(std::string* why) {
  if (!StartVideo()) {
    if (why != nullptr) *why = SDL_GetError();
    return false;
  }
  // SDL falls back to drivers that show nothing when it cannot reach a display.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) {
    if (why != nullptr) *why = std::string("SDL video driver \"") + (driver != nullptr ? driver : "") + "\"";
    StopVideo();
    return false;
  }
  return true;
}

void StopVideo() {
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace desktop
