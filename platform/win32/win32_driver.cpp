// win32_driver.cpp — the platform on Windows: every top-level window of the
// program is a real window (the saver's top-most pop-up covers the monitor
// the pointer is on, and every other monitor goes black; with
// GLIDE_DISPLAY=window it is an ordinary 640x480 window; in a preview it is
// a child window of the preview's host, which it follows in size and ends
// with), input from the system's messages, the pointer hidden through
// WM_SETCURSOR, the system's clock and message boxes.
//
// Pointer movement is judged from the pointer's place on the screen, as on
// the other desktop backend: the place when a window appears is where the
// pointer rests, so a window shown under a still pointer is not a movement.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "core/core.h"
#include "dialog/message_box.h"
#include "dialog/script.h"
#include "win32/native.h"
#include "win32/win32_backend.h"

namespace platform {

namespace {

// Longest real sleep between looks at the close flag.
constexpr DWORD kSleepSliceMs = 50;
// The board's size, for a saver's window with GLIDE_DISPLAY=window.
constexpr int kWindowModeWidth = 640;
constexpr int kWindowModeHeight = 480;

bool WindowModeRequested() {
  const char* display = std::getenv("GLIDE_DISPLAY");
  return display != nullptr && std::strcmp(display, "window") == 0;
}

RECT ToRect(const win32::Rect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

class Win32Driver final : public Driver {
 public:
  Win32Driver() {
    win32::WindowEvents events;
    events.pointerMoved = [this](uintptr_t native, int x, int y) { OnPointer(native, x, y); };
    events.button = [this](uintptr_t native, unsigned message, uintptr_t wParam, int x, int y) {
      if (Hosting(native)) return;
      PostInput(message, wParam, MAKELPARAM(x, y));
    };
    events.key = [this](uintptr_t native, unsigned message, uintptr_t wParam, intptr_t lParam) {
      if (Hosting(native)) return;
      PostInput(message, wParam, lParam);
    };
    events.activation = [this](bool active) {
      if (TheCore().hostedWindow) return;  // a preview never had the activation to lose
      if (active == appActive_) return;
      appActive_ = active;
      PostActivation(active);
    };
    events.closeRequested = [](uintptr_t) { RequestClose(); };
    events.resized = [this](uintptr_t native, int width, int height) { OnResized(native, width, height); };
    events.paintNeeded = [this](uintptr_t native) {
      if (WindowRecord* record = RecordOf(native)) record->invalid = true;
    };
    events.parentGone = [this](uintptr_t native) {
      // The preview's host closed its window, and the system took ours with it.
      if (WindowRecord* record = RecordOf(native)) {
        record->nativeHandle = 0;
        byNative_.erase(native);
      }
      RequestClose();
    };
    win32::SetWindowEvents(std::move(events));
  }
  ~Win32Driver() override { win32::SetWindowEvents({}); }

  // The desktop backend: on Windows the system's windows stand where SDL's do elsewhere.
  Backend Kind() const override { return Backend::Sdl; }

  void CreateNative(WindowRecord& record) override {
    // A dialog's window is the system's own dialog (win32_dialog.cpp), made when it runs.
    if (EqualsNoCase(record.className, "#32770")) return;
    const auto& command = win32::CurrentScreenSaverCommand();
    uintptr_t native = 0;
    if (TheCore().hostedWindow && command.previewParent) {
      // A preview: only the saver's full-screen window has a picture, drawn
      // into a child of the host's window. Anything else stays invisible.
      if (!record.fullScreen) return;
      native = win32::CreateNativeWindow(win32::WindowKind::Child, record.title, {}, false,
                                         *command.previewParent);
      if (native == 0) {
        std::fprintf(stderr, "platform: the preview window %llu cannot be drawn into\n",
                     static_cast<unsigned long long>(*command.previewParent));
        RequestClose();
        return;
      }
      record.hosted = true;
    } else if (record.fullScreen && WindowModeRequested()) {
      native = win32::CreateNativeWindow(win32::WindowKind::Windowed, record.title,
                                         {0, 0, kWindowModeWidth, kWindowModeHeight}, false, 0);
    } else if (record.fullScreen) {
      native = win32::CreateNativeWindow(win32::WindowKind::FullScreen, record.title, {}, true, 0);
    } else {
      const RECT& r = record.rect;
      native = win32::CreateNativeWindow(win32::WindowKind::Popup, record.title,
                                         {r.left, r.top, r.right, r.bottom},
                                         (record.exStyle & WS_EX_TOPMOST) != 0, 0);
    }
    if (native == 0) {
      std::fprintf(stderr, "platform: cannot open a window\n");
      return;
    }
    record.nativeHandle = native;
    byNative_[native] = record.hwnd;
    if (record.fullScreen) record.rect = ToRect(win32::NativeWindowRect(native));
  }

  void DestroyNative(WindowRecord& record) override {
    if (record.nativeHandle == 0) return;
    byNative_.erase(record.nativeHandle);
    win32::DestroyNativeWindow(record.nativeHandle);
    record.nativeHandle = 0;
  }

  void ShowNative(WindowRecord& record, bool show) override {
    if (record.nativeHandle == 0) return;
    win32::ShowNativeWindow(record.nativeHandle, show);
    if (show) {
      record.rect = ToRect(win32::NativeWindowRect(record.nativeHandle));
      // Where the pointer is now is where it rests: nothing the window's
      // appearing makes the system report is a movement.
      lastPointer_.reset();
      win32::PumpNative(0);
      CheckPointer();
    }
  }

  void PollInput() override {
    FollowPreviewHost();
    win32::PumpNative(0);
    CheckPointer();
  }

  void WaitIdle(int timeoutMs) override {
    FollowPreviewHost();
    win32::PumpNative(std::clamp(timeoutMs, 0, 32));
    CheckPointer();
  }

  DWORD TickCount() override { return win32::TickCount(); }

  void SleepMs(DWORD ms) override {
    const DWORD until = TickCount() + ms;
    for (;;) {
      const DWORD left = until - TickCount();
      if (static_cast<int32_t>(left) <= 0 || CloseRequestPending()) return;
      win32::SleepMs(std::min(left, kSleepSliceMs));
    }
  }

  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    // A dialog script answers message boxes as it answers dialogs.
    if (DialogScriptActive()) return ShowDialogMessageBox(owner, text, caption, type);
    uintptr_t native = 0;
    for (HWND at = owner; at != 0 && native == 0;) {
      WindowRecord* record = FindRecord(at);
      if (record == nullptr) break;
      native = record->nativeHandle;
      at = record->parent;
    }
    if (native == 0 && owner == 0)
      if (auto dialogOwner = win32::CurrentScreenSaverCommand().dialogOwner) native = *dialogOwner;
    // Over a top-most saver window the box must be top-most too to be seen.
    return win32::ShowSystemMessageBox(native, text, caption, type | 0x00040000 /* MB_TOPMOST */);
  }

  void Fill(WindowRecord& record, const RECT& rect, COLORREF colour) override {
    if (record.nativeHandle == 0) return;
    win32::FillNative(record.nativeHandle, {rect.left, rect.top, rect.right, rect.bottom}, colour);
  }

  POINT ScreenSize() override {
    const auto& command = win32::CurrentScreenSaverCommand();
    if (TheCore().hostedWindow && command.previewParent) {
      if (auto client = win32::ClientRectOf(*command.previewParent))
        return POINT{client->right, client->bottom};
    }
    int width = 0, height = 0;
    win32::ScreenSize(&width, &height);
    if (width <= 0 || height <= 0) return POINT{640, 480};
    return POINT{width, height};
  }

  void SetCursorVisible(bool visible) override { win32::SetPointerHidden(!visible); }

  std::optional<POINT> Pointer() override {
    if (TheCore().hostedWindow) return std::nullopt;
    auto at = win32::PointerPosition();
    if (!at) return std::nullopt;
    return POINT{at->first, at->second};
  }

  void FrameShown(uint64_t) override {}

 private:
  WindowRecord* RecordOf(uintptr_t native) {
    auto found = byNative_.find(native);
    return found == byNative_.end() ? nullptr : FindRecord(found->second);
  }

  // A preview gets no input: it shows, and the host's window has the user.
  bool Hosting(uintptr_t native) {
    WindowRecord* record = RecordOf(native);
    return record != nullptr && record->hosted;
  }

  void OnPointer(uintptr_t native, int x, int y) {
    if (Hosting(native) || TheCore().hostedWindow) return;
    Moved(POINT{x, y});
  }

  void CheckPointer() {
    if (TheCore().hostedWindow) return;
    if (auto at = Pointer()) Moved(*at);
  }

  void Moved(POINT at) {
    if (!lastPointer_) {
      lastPointer_ = at;
      return;
    }
    if (lastPointer_->x == at.x && lastPointer_->y == at.y) return;
    lastPointer_ = at;
    PostPointerMove(at, false);
  }

  void OnResized(uintptr_t native, int width, int height) {
    WindowRecord* record = RecordOf(native);
    if (record == nullptr) return;
    const win32::Rect place = win32::NativeWindowRect(native);
    record->rect = RECT{place.left, place.top, place.left + width, place.top + height};
    record->invalid = true;
    if (record->object != nullptr) PostMessageA(record->hwnd, WM_SIZE, 0, MAKELPARAM(width, height));
  }

  // The preview's window follows its host's size, and the run ends when the
  // host's window is gone (whichever window of ours, or the Glide display's,
  // lay in it).
  void FollowPreviewHost() {
    const auto& command = win32::CurrentScreenSaverCommand();
    if (TheCore().hostedWindow && command.previewParent && !hostGone_ &&
        !win32::IsNativeWindow(*command.previewParent)) {
      hostGone_ = true;
      RequestClose();
    }
    for (auto& [native, hwnd] : byNative_) {
      WindowRecord* record = FindRecord(hwnd);
      if (record == nullptr || !record->hosted) continue;
      int width = 0, height = 0;
      win32::FollowParent(native, &width, &height);
    }
  }

  static bool DialogScriptActive() { return dialog::Script::Instance().Active(); }

  std::map<uintptr_t, HWND> byNative_;
  std::optional<POINT> lastPointer_;
  bool appActive_ = true;
  bool hostGone_ = false;
};

}  // namespace

std::unique_ptr<Driver> CreateDesktopDriver() {
  return std::make_unique<Win32Driver>();
}

// No X server's windows to host in on Windows: a preview is a child window of ours.
SDL_Window* HostedSdlWindow() {
  return nullptr;
}

}  // namespace platform
