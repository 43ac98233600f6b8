// monitor_blanks.cpp — the black covers of the other monitors.
#include "desktop/monitor_blanks.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

#include "desktop/presenter.h"

namespace desktop {

namespace {

// Every blank open now, for RepaintBlank. Program's thread only; left alive
// at exit, since static destruction order would put it before its users.
std::vector<SDL_Window*>& OpenBlanks() {
  static auto* blanks = new std::vector<SDL_Window*>;
  return *blanks;
}

void PaintBlack(SDL_Window* window) {
  Presenter* presenter = PresenterFor(window, false);
  if (presenter == nullptr) return;
  int w = 0, h = 0;
  presenter->OutputSize(&w, &h);
  presenter->Fill(Rect{0, 0, w, h}, 0);
}

}  // namespace

MonitorBlanks::MonitorBlanks(SDL_Window* window) {
  const int own = SDL_GetWindowDisplayIndex(window);
  const int count = SDL_GetNumVideoDisplays();
  for (int index = 0; index < count; ++index) {
    SDL_Rect bounds;
    if (index == own || SDL_GetDisplayBounds(index, &bounds) != 0) continue;
    SDL_Window* blank =
        SDL_CreateWindow("", bounds.x, bounds.y, bounds.w, bounds.h,
                         SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
                             SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SKIP_TASKBAR);
    if (blank == nullptr) continue;
    windows_.push_back(blank);
    OpenBlanks().push_back(blank);
  }
}

MonitorBlanks::~MonitorBlanks() {
  Close();
}

MonitorBlanks::MonitorBlanks(MonitorBlanks&& other) noexcept : windows_(std::exchange(other.windows_, {})) {}

MonitorBlanks& MonitorBlanks::operator=(MonitorBlanks&& other) noexcept {
  if (this != &other) {
    Close();
    windows_ = std::exchange(other.windows_, {});
  }
  return *this;
}

void MonitorBlanks::Close() {
  auto& open = OpenBlanks();
  for (SDL_Window* window : windows_) {
    open.erase(std::remove(open.begin(), open.end(), window), open.end());
    ReleasePresenter(window);
    SDL_DestroyWindow(window);
  }
  windows_.clear();
}

void MonitorBlanks::Show() {
  for (SDL_Window* window : windows_) {
    SDL_ShowWindow(window);
    PaintBlack(window);
  }
}

void MonitorBlanks::Hide() {
  for (SDL_Window* window : windows_) SDL_HideWindow(window);
}

bool RepaintBlank(uint32_t windowId) {
  for (SDL_Window* window : OpenBlanks()) {
    if (SDL_GetWindowID(window) == windowId) {
      PaintBlack(window);
      return true;
    }
  }
  return false;
}

}  // namespace desktop
