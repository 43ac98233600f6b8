// glide_demo — shows the Glide library at work: opens the board at 640×480
// and draws a textured, fogged, spinning scene until a key is pressed, the
// window is closed, or --frames N frames have been shown.
//
// Usage: glide_demo [--frames N]
// GLIDE_DISPLAY, GLIDE_CAPTURE and GLIDE_CAPTURE_EVERY choose where the
// frames go (a window, full screen, or PNG files).
#include <SDL.h>
#include <glide.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo_scene.h"

namespace {

// Without a screen nobody can press a key: such a run stops by itself.
constexpr uint64_t kUnseenFrames = 300;

bool ParseFrames(int argc, char** argv, uint64_t* frames) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      char* end = nullptr;
      errno = 0;
      const long long value = std::strtoll(argv[++i], &end, 10);
      if (errno != 0 || end == argv[i] || *end != '\0' || value < 1) return false;
      *frames = static_cast<uint64_t>(value);
    } else {
      return false;
    }
  }
  return true;
}

// True when the viewer asked to stop. The demo is its own host: it reads the
// window's events itself.
bool StopRequested() {
  SDL_Event event;
  bool stop = false;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT || event.type == SDL_KEYDOWN ||
        (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
      stop = true;
    }
  }
  return stop;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t frames = 0;
  if (!ParseFrames(argc, argv, &frames)) {
    std::fprintf(stderr, "usage: %s [--frames N]   (N a whole number of at least 1)\n", argv[0]);
    return 2;
  }

  grGlideInit();
  GrHwConfiguration hardware;
  if (!grSstQueryHardware(&hardware)) {
    std::fprintf(stderr, "glide_demo: no Glide board found\n");
    return 1;
  }
  grSstSelect(0);
  if (!grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2,
                    1)) {
    std::fprintf(stderr, "glide_demo: cannot open the display\n");
    grGlideShutdown();
    return 1;
  }
  if (frames == 0 && SDL_WasInit(SDL_INIT_VIDEO) == 0) frames = kUnseenFrames;

  demo::Scene scene;
  if (!scene.Load()) {
    std::fprintf(stderr, "glide_demo: texture memory refused the textures\n");
    grGlideShutdown();
    return 1;
  }
  for (uint64_t frame = 0; frames == 0 || frame < frames; ++frame) {
    scene.Draw(frame);
    grBufferSwap(1);
    if (StopRequested()) break;
  }
  grGlideShutdown();
  return 0;
}
