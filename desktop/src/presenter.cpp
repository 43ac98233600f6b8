// presenter.cpp — one presenter per window, the users that must hear when it
// goes, the displays drawing into windows, and the choice of presenter.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "presenters.h"

namespace desktop {
namespace {

struct Entry {
  std::unique_ptr<Presenter> presenter;
  std::vector<std::pair<uint64_t, std::function<void()>>> users;
};

struct Registry {
  std::map<SDL_Window*, Entry> presenters;
  std::map<SDL_Window*, int> displaysOn;
  uint64_t nextTicket = 1;
};

// Never destroyed: hosts release their windows' presenters from their own
// static objects' destructors, which may run after this one's would.
Registry& State() {
  static Registry* registry = new Registry;
  return *registry;
}

// A GPU can be reached: the display is this machine's and it has a render node.
bool GpuReachable() {
  if (const char* display = std::getenv("DISPLAY"); display != nullptr && *display != 0 && *display != ':') {
    // host:0 is a display across the network; unix:0 is local.
    if (std::strncmp(display, "unix:", 5) != 0) return false;
  }
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
    if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
  }
  return false;
}

}  // namespace

bool PreferSoftwarePresenter() {
  static const bool software = [] {
    const char* wanted = std::getenv("GLIDE_PRESENT");
    if (wanted != nullptr && std::strcmp(wanted, "software") == 0) return true;
    if (wanted != nullptr && std::strcmp(wanted, "gpu") == 0) return false;
    if (wanted != nullptr && *wanted != 0)
      std::fprintf(stderr, "glide: GLIDE_PRESENT=\"%s\" is not one of gpu, software; ignored\n", wanted);
    return !GpuReachable();
  }();
  return software;
}

Presenter* PresenterFor(SDL_Window* window, bool foreign) {
  if (window == nullptr) return nullptr;
  auto& presenters = State().presenters;
  if (auto found = presenters.find(window); found != presenters.end()) return found->second.presenter.get();
  std::unique_ptr<Presenter> presenter;
  if (!foreign && !PreferSoftwarePresenter()) presenter = CreateGpuPresenter(window);
  if (presenter == nullptr) presenter = CreateSoftwarePresenter(window);
  if (presenter == nullptr) return nullptr;
  Presenter* made = presenter.get();
  presenters[window].presenter = std::move(presenter);
  return made;
}

void ReleasePresenter(SDL_Window* window) {
  auto& presenters = State().presenters;
  auto found = presenters.find(window);
  if (found == presenters.end()) return;
  Entry entry = std::move(found->second);
  presenters.erase(found);
  for (auto& user : entry.users) user.second();
}

uint64_t WatchPresenter(SDL_Window* window, std::function<void()> onRelease) {
  auto found = State().presenters.find(window);
  if (found == State().presenters.end()) return 0;
  const uint64_t ticket = State().nextTicket++;
  found->second.users.emplace_back(ticket, std::move(onRelease));
  return ticket;
}

void ForgetPresenterUser(uint64_t ticket) {
  for (auto& [window, entry] : State().presenters) {
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

}  // namespace desktop
