// host_hooks.cpp — the host's registered callbacks, the shown-frame counter
// and the table of one renderer per window.
#include "host_hooks.h"

#include <SDL.h>

#include <map>
#include <utility>
#include <vector>

namespace gfx::host {
namespace {

struct RendererEntry {
  SDL_Renderer* renderer = nullptr;
  std::vector<std::pair<uint64_t, std::function<void()>>> users;
};

struct Hooks {
  std::function<WindowTarget(uint32_t)> resolver;
  std::function<void(uint64_t)> swapListener;
  uint64_t shownFrames = 0;
  uint64_t nextTicket = 1;
  std::map<SDL_Window*, RendererEntry> renderers;
  std::map<SDL_Window*, int> displaysOn;  // open displays per window
};

Hooks& State() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

void SetWindowResolver(std::function<WindowTarget(uint32_t handle)> resolver) {
  State().resolver = std::move(resolver);
}

void SetSwapListener(std::function<void(uint64_t shownFrame)> listener) {
  State().swapListener = std::move(listener);
}

WindowTarget ResolveWindow(uint32_t handle) {
  if (!State().resolver) return {};
  return State().resolver(handle);
}

uint64_t NextShownFrame() {
  return ++State().shownFrames;
}

void NotifyFrameShown(uint64_t shownFrame) {
  // Copied so that a listener may replace itself while it runs.
  auto listener = State().swapListener;
  if (listener) listener(shownFrame);
}

SDL_Renderer* RendererFor(SDL_Window* window, bool foreign) {
  if (window == nullptr) return nullptr;
  auto& renderers = State().renderers;
  auto found = renderers.find(window);
  if (found != renderers.end()) return found->second.renderer;
  SDL_Renderer* renderer = nullptr;
  if (!foreign) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (renderer == nullptr) return nullptr;
  renderers[window].renderer = renderer;
  return renderer;
}

void ReleaseRenderer(SDL_Window* window) {
  auto& renderers = State().renderers;
  auto found = renderers.find(window);
  if (found == renderers.end()) return;
  RendererEntry entry = std::move(found->second);
  renderers.erase(found);
  for (auto& user : entry.users) user.second();
  SDL_DestroyRenderer(entry.renderer);
}

uint64_t WatchRenderer(SDL_Window* window, std::function<void()> onRelease) {
  auto found = State().renderers.find(window);
  if (found == State().renderers.end()) return 0;
  uint64_t ticket = State().nextTicket++;
  found->second.users.emplace_back(ticket, std::move(onRelease));
  return ticket;
}

void ForgetRendererUser(uint64_t ticket) {
  for (auto& [window, entry] : State().renderers) {
    std::erase_if(entry.users, [ticket](const auto& user) { return user.first == ticket; });
  }
}

void MarkDisplayOn(SDL_Window* window, bool open) {
  auto& displaysOn = State().displaysOn;
  if (open) {
    ++displaysOn[window];
  } else if (auto found = displaysOn.find(window); found != displaysOn.end() && --found->second <= 0) {
    displaysOn.erase(found);
  }
}

bool DisplayDrawsInto(SDL_Window* window) {
  return window != nullptr && State().displaysOn.contains(window);
}

}  // namespace gfx::host
