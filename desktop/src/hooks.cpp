// hooks.cpp — the host's registered callbacks and the shown-frame counter.
#include "desktop/hooks.h"

#include <utility>

namespace desktop {
namespace {

struct Hooks {
  std::function<WindowTarget(uint32_t)> resolver;
  std::function<void(uint64_t)> swapListener;
  uint64_t shownFrames = 0;
};

// Never destroyed, like the presenters' registry: a host's static objects may
// still swap frames or resolve windows while the program ends.
Hooks& State() {
  static Hooks* hooks = new Hooks;
  return *hooks;
}

}  // namespace

void SetWindowResolver(std::function<WindowTarget(uint32_t handle)> resolver) {
  State().resolver = std::move(resolver);
}

WindowTarget ResolveWindow(uint32_t handle) {
  if (!State().resolver) return {};
  return State().resolver(handle);
}

void SetSwapListener(std::function<void(uint64_t shownFrame)> listener) {
  State().swapListener = std::move(listener);
}

uint64_t NextShownFrame() {
  return ++State().shownFrames;
}

void NotifyFrameShown(uint64_t shownFrame) {
  // Copied so that a listener may replace itself while it runs.
  auto listener = State().swapListener;
  if (listener) listener(shownFrame);
}

}  // namespace desktop
