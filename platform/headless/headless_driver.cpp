// headless_driver.cpp — the backend without a display: no native windows, a
// virtual clock (each shown frame is 1000/60 ms, Sleep(n) is n ms, and
// nothing really waits), and input played from a script, so that a run with
// a fixed seed gives the same frames every time.
#include <algorithm>
#include <cstdio>

#include "core/core.h"
#include "dialog/message_box.h"
#include "headless/script.h"

namespace platform {

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

class HeadlessDriver : public Driver {
 public:
  Backend Kind() const override { return Backend::Headless; }
  void CreateNative(WindowRecord&) override {}
  void DestroyNative(WindowRecord&) override {}
  void ShowNative(WindowRecord&, bool) override {}

  void PollInput() override {
    uint64_t shown = TheCore().shownFrames;
    while (next < events.size() && events[next].frame <= shown) Deliver(events[next++]);
  }

  void WaitIdle(int) override {
    // Nothing waits and nothing needs painting: no frames will be shown, so
    // the script's next entry is due now; with the script done, the frame
    // limit ends the run; with nothing left at all, the run is closed as a
    // close request would, then ended.
    Core& core = TheCore();
    if (next < events.size()) {
      Deliver(events[next++]);
      return;
    }
    if (core.endAfterFrames && !core.endSent) {
      core.endSent = true;
      PostKeyPress(VK_ESCAPE, 0, false);
      return;
    }
    if (!idleCloseSent) {
      idleCloseSent = true;
      std::fprintf(stderr, "headless: no input left; closing\n");
      RequestClose();
      return;
    }
    PostQuitMessage(0);
  }

  DWORD TickCount() override { return static_cast<DWORD>(sleptMs + frames * 1000 / 60); }
  void SleepMs(DWORD ms) override { sleptMs += ms; }

  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    // A script answers it; else its text goes to standard error and the default button answers.
    return ShowDialogMessageBox(owner, text, caption, type);
  }

  void Fill(WindowRecord&, const RECT&, COLORREF) override {}
  POINT ScreenSize() override { return POINT{kScreenWidth, kScreenHeight}; }
  void SetCursorVisible(bool) override {}
  std::optional<POINT> Pointer() override { return pointer; }
  void FrameShown(uint64_t) override { ++frames; }

  void LoadScript(const std::string& text) override {
    Script script = ParseScript(text);
    for (const auto& error : script.errors) std::fprintf(stderr, "SAVER_EVENTS: skipped %s\n", error.c_str());
    events = std::move(script.events);
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    next = 0;
  }

  void Inject(const std::string& text) override {
    Script script = ParseScript(text);
    for (auto& event : script.events) Deliver(event);
  }

 private:
  void Deliver(const ScriptEvent& event) {
    POINT at = pointer.value_or(POINT{0, 0});
    switch (event.action) {
      case ScriptAction::MouseMove: {
        POINT to{event.x, event.y};
        bool first = !pointer.has_value();
        if (!first && pointer->x == to.x && pointer->y == to.y) return;  // not a movement
        pointer = to;
        // The pointer appears with its first move: the active window hears
        // of it only if it lies under it, as a window shown under the pointer.
        PostPointerMove(to, first);
        return;
      }
      case ScriptAction::Button: {
        static const UINT downs[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
        static const UINT ups[] = {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
        static const WPARAM held[] = {MK_LBUTTON, MK_MBUTTON, MK_RBUTTON};
        LPARAM position = ClientPosition(at);
        PostInput(downs[event.button], held[event.button], position);
        PostInput(ups[event.button], 0, position);
        return;
      }
      case ScriptAction::Key:
        PostKeyPress(event.vk, event.text, false);
        return;
      case ScriptAction::SysKey:
        PostKeyPress(event.vk, 0, true);
        return;
      case ScriptAction::Deactivate:
        PostActivation(false);
        return;
      case ScriptAction::SysCommand:
        PostInput(WM_SYSCOMMAND, event.command, 0);
        return;
      case ScriptAction::Close:
        PostInput(WM_CLOSE, 0, 0);
        return;
    }
  }

  static LPARAM ClientPosition(POINT screen) {
    WindowRecord* record = FindRecord(ActiveHandle());
    if (record == nullptr) return 0;
    return MAKELPARAM(screen.x - record->rect.left, screen.y - record->rect.top);
  }

  uint64_t sleptMs = 0;
  uint64_t frames = 0;
  std::optional<POINT> pointer;
  std::vector<ScriptEvent> events;
  size_t next = 0;
  bool idleCloseSent = false;
};

}  // namespace

std::unique_ptr<Driver> CreateHeadlessDriver() {
  return std::make_unique<HeadlessDriver>();
}

}  // namespace platform
