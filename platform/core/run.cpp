// run.cpp — starting a program run on the chosen backend: the Glide
// library's window resolver and swap listener, the frame limit and the
// script; and the test interface that resets all of it.
#include <cstdio>
#include <cstdlib>

#include "core/core.h"
#include "desktop/hooks.h"
#include "platform/testing.h"

namespace platform {

namespace {

desktop::WindowTarget ResolveWindow(uint32_t handle) {
  Core& core = TheCore();
#ifdef _WIN32
  if (core.hostedWindow) {
    // A preview: the saver's full-screen window is a child of the host's
    // window; a program that draws without a window of its own (handle 0)
    // draws into the host's window, in a child the display makes there.
    WindowRecord* record = FindRecord(handle);
    if (handle == 0 || (record != nullptr && record->hosted)) {
      for (auto& [hwnd, hostedRecord] : core.windows)
        if (hostedRecord.hosted && hostedRecord.nativeHandle != 0)
          return {nullptr, true, hostedRecord.nativeHandle};
      return {nullptr, true, static_cast<uintptr_t>(*core.hostedWindow)};
    }
  }
#else
  if (core.hostedWindow) {
    // The host's window stands for handle 0 and for the saver's own full-screen window.
    SDL_Window* hosted = nullptr;
    for (auto& [hwnd, record] : core.windows)
      if (record.hosted) hosted = record.native;
    if (hosted == nullptr) hosted = HostedSdlWindow();
    WindowRecord* record = FindRecord(handle);
    if (hosted != nullptr && (handle == 0 || (record != nullptr && record->hosted))) return {hosted, true};
  }
#endif
  WindowRecord* record = FindRecord(handle);
  if (record == nullptr) return {};
  return {record->native, false, record->nativeHandle};
}

std::optional<uint64_t> FrameLimitFromEnvironment() {
  const char* text = std::getenv("SAVER_FRAMES");
  if (text == nullptr || *text == 0) return std::nullopt;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != 0 || text[0] == '-') {
    std::fprintf(stderr, "SAVER_FRAMES: \"%s\" is not a number of frames; ignored\n", text);
    return std::nullopt;
  }
  return value;
}

}  // namespace

void OnFrameShown() {
  Core& core = TheCore();
  ++core.shownFrames;
  TheDriver().FrameShown(core.shownFrames);
}

void StartRun() {
  Core& core = TheCore();
  Driver& driver = TheDriver();
  core.endAfterFrames = FrameLimitFromEnvironment();
  if (const char* events = std::getenv("SAVER_EVENTS"); events != nullptr && *events != 0) {
    if (driver.Kind() == Backend::Headless) {
      driver.LoadScript(events);
    } else {
      std::fprintf(stderr, "SAVER_EVENTS: scripted input plays only in headless runs; ignored\n");
    }
  }
  desktop::SetSwapListener([](uint64_t) { OnFrameShown(); });
  desktop::SetWindowResolver(ResolveWindow);
}

namespace testing {

void Reset() {
  Core& core = TheCore();
  std::vector<HWND> left;
  for (auto& [handle, record] : core.windows)
    if (record.parent == 0) left.push_back(handle);
  for (HWND handle : left) DestroyWindow(handle);
  core.windows.clear();
  core.queue.clear();
  core.quitPending = false;
  core.quitCode = 0;
  core.modalStack.clear();
  core.focus = 0;
  core.cursor = ArrowCursor();
  core.cursorCount = 0;
  core.cursorVisible = true;
  core.messageBoxes.clear();
  core.messageBoxHook = nullptr;
  core.shownFrames = 0;
  core.endAfterFrames.reset();
  core.endSent = false;
  core.hostedWindow.reset();
  core.fillCount = 0;
  core.keyPressTargets.clear();
  core.lastKeyPressTarget = 0;
  core.driver = CreateHeadlessDriver();
  CancelCloseRequest();
  InstallSignalHandlers();
}

void ShowFrames(uint64_t n) {
  for (uint64_t i = 0; i < n; ++i) OnFrameShown();
}

uint64_t ShownFrames() {
  return TheCore().shownFrames;
}

void SetScript(const std::string& events) {
  TheDriver().LoadScript(events);
}

void Inject(const std::string& events) {
  TheDriver().Inject(events);
}

void SetFrameLimit(std::optional<uint64_t> frames) {
  TheCore().endAfterFrames = frames;
  TheCore().endSent = false;
}

const std::vector<ShownMessageBox>& MessageBoxes() {
  return TheCore().messageBoxes;
}

bool CursorVisible() {
  return TheCore().cursorVisible;
}

uint64_t FillCount() {
  return TheCore().fillCount;
}

size_t QueuedMessages() {
  return TheCore().queue.size();
}

}  // namespace testing
}  // namespace platform
