// messages.cpp — the message queue and the loops that empty it: posting and
// sending, the quit flag, WM_PAINT whenever nothing else waits, modal loops,
// pumping from inside a handler, input addressed to the active window, and
// the orderly close that SIGTERM, SIGINT and a desktop quit request ask for.
#include <csignal>
#include <cstdio>

#include "core/core.h"
#include "core/os.h"

namespace platform {

namespace {

volatile std::sig_atomic_t closeRequested = 0;

// How long one wait for input may block before the close flag is looked at.
constexpr int kWaitSliceMs = 100;
// A pump handles at most this many messages, so a handler that posts to
// itself cannot keep it from returning.
constexpr int kPumpLimit = 10000;

void OnSignal(int) {
  closeRequested = 1;
}

// The next message that would be retrieved, in Win32's order: posted and
// input messages, then the quit message, then a paint. False when nothing
// waits. With remove the message leaves the queue (paints stay due until
// the window is validated).
bool NextMessage(MSG* msg, bool remove) {
  Core& core = TheCore();
  if (!core.queue.empty()) {
    *msg = core.queue.front();
    if (remove) core.queue.pop_front();
    return true;
  }
  if (core.quitPending) {
    *msg = MSG{0, WM_QUIT, static_cast<WPARAM>(core.quitCode), 0, 0, {0, 0}};
    return true;
  }
  for (auto& [handle, record] : core.windows) {
    if (record.invalid && record.visible && !record.destroying) {
      *msg = MSG{handle, WM_PAINT, 0, 0, 0, {0, 0}};
      return true;
    }
  }
  return false;
}

bool Dispatch(const MSG& msg) {
  if (msg.message == WM_QUIT) return false;
  DispatchMessageA(&msg);
  return true;
}

}  // namespace

Window* ActiveWindow() {
  Core& core = TheCore();
  if (!core.modalStack.empty()) return core.modalStack.back();
  App* app = TheApp();
  return app != nullptr ? app->mainWindow : nullptr;
}

HWND ActiveHandle() {
  Window* window = ActiveWindow();
  return window != nullptr ? window->Handle() : 0;
}

namespace {

// True for what follows a key press that must not reach target: a repeat of
// a key whose press went to another window (the box a held Enter opened
// waits for a fresh press), a character whose key went down elsewhere, a
// release whose press went to a window that has gone (the box that closed on
// Enter passes nothing on to the window below it).
bool StrayKey(UINT message, WPARAM key, LPARAM flags, HWND target) {
  Core& core = TheCore();
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const bool repeat = (flags & (LPARAM{1} << 30)) != 0;
      auto held = core.keyPressTargets.find(key);
      if (repeat && held != core.keyPressTargets.end() && held->second != target) {
        core.lastKeyPressTarget = held->second;
        return true;
      }
      core.keyPressTargets[key] = target;
      core.lastKeyPressTarget = target;
      return false;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      auto held = core.keyPressTargets.find(key);
      if (held == core.keyPressTargets.end()) return false;
      const HWND pressed = held->second;
      core.keyPressTargets.erase(held);
      return pressed != target && FindRecord(pressed) == nullptr;
    }
    case WM_CHAR:
      return core.lastKeyPressTarget != 0 && core.lastKeyPressTarget != target;
    default:
      return false;
  }
}

}  // namespace

void PostInput(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND target = ActiveHandle();
  if (target == 0 || StrayKey(message, wParam, lParam, target)) return;
  PostMessageA(target, message, wParam, lParam);
}

void PostPointerMove(POINT screen, bool onlyWhenUnder) {
  HWND target = ActiveHandle();
  WindowRecord* record = FindRecord(target);
  if (record == nullptr) return;
  const RECT& r = record->rect;
  bool under = screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom;
  if (onlyWhenUnder && !under) return;
  PostMessageA(target, WM_SETCURSOR, target, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x - r.left, screen.y - r.top));
}

void PostActivation(bool active) {
  // The order Win32 uses when another application takes (or gives back) activation.
  PostInput(WM_NCACTIVATE, active ? TRUE : FALSE, 0);
  PostInput(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
  PostInput(WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

void PostKeyPress(WPARAM vk, char text, bool alt) {
  LPARAM flags = 1 | (alt ? KF_ALTDOWN_LPARAM : 0);
  PostInput(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, flags);
  if (text != 0 && !alt) PostInput(WM_CHAR, static_cast<unsigned char>(text), flags);
  PostInput(alt ? WM_SYSKEYUP : WM_KEYUP, vk, flags | (LPARAM{3} << 30));
}

void RequestClose() {
  closeRequested = 1;
}

void ServiceCloseRequest() {
  if (closeRequested == 0) return;
  closeRequested = 0;
  Core& core = TheCore();
  if (!core.modalStack.empty()) {
    // The top modal dialog ends as Cancel; its modal loop sees that at once.
    PostMessageA(core.modalStack.back()->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  App* app = TheApp();
  if (app != nullptr && app->mainWindow != nullptr && app->mainWindow->Handle() != 0) {
    PostMessageA(app->mainWindow->Handle(), WM_CLOSE, 0, 0);
    return;
  }
  // No window to ask: the run simply ends.
  PostQuitMessage(0);
}

bool CloseRequestPending() {
  return closeRequested != 0;
}

void CancelCloseRequest() {
  closeRequested = 0;
}

void InstallSignalHandlers() {
  os::OnEndRequest(OnSignal);
}

namespace {
// Installed before main runs: a host may send SIGTERM the moment it has
// started the program, and the request must wait for the first loop rather
// than kill the program halfway through its start-up.
const bool signalHandlersInstalled = (InstallSignalHandlers(), true);
}  // namespace

// Looks for new input and a pending close request.
void PollAll() {
  ServiceCloseRequest();
  TheDriver().PollInput();
  // SAVER_FRAMES: the run ends as a user would end it, with Escape.
  Core& core = TheCore();
  if (core.endAfterFrames && !core.endSent && core.shownFrames >= *core.endAfterFrames &&
      ActiveHandle() != 0) {
    core.endSent = true;
    PostKeyPress(VK_ESCAPE, 0, false);
  }
  ServiceCloseRequest();
}

// Waits until a message is there (or WM_QUIT / a paint). Blocks in slices so
// that a signal is seen within one slice.
void WaitForMessage(MSG* msg) {
  for (;;) {
    PollAll();
    if (NextMessage(msg, true)) return;
    if (TheCore().windows.empty()) {
      // No window is left to receive anything: the loop would wait forever.
      PostQuitMessage(0);
      continue;
    }
    TheDriver().WaitIdle(kWaitSliceMs);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, 0, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool PumpPendingMessages() {
  PollAll();
  Core& core = TheCore();
  MSG msg;
  for (int handled = 0; handled < kPumpLimit && !core.queue.empty(); ++handled) {
    msg = core.queue.front();
    core.queue.pop_front();
    Dispatch(msg);
  }
  if (core.quitPending) return false;
  // Each window that needs painting now is painted once.
  std::vector<HWND> due;
  for (auto& [handle, record] : core.windows)
    if (record.invalid && record.visible && !record.destroying) due.push_back(handle);
  for (HWND handle : due)
    if (WindowRecord* record = FindRecord(handle); record != nullptr && record->invalid)
      SendMessageA(handle, WM_PAINT, 0, 0);
  return !core.quitPending;
}

void PushModal(Window* window) {
  if (window != nullptr) TheCore().modalStack.push_back(window);
}

void PopModal(Window* window) {
  auto& stack = TheCore().modalStack;
  for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
    if (*it == window) {
      stack.erase(std::next(it).base());
      return;
    }
  }
}

namespace {

// NextMessage for a loop that serves one window: its posted and input
// messages, the quit message, then a paint of it or of a dialog.
bool NextMessageFor(HWND only, MSG* msg) {
  Core& core = TheCore();
  for (auto it = core.queue.begin(); it != core.queue.end(); ++it) {
    if (it->hwnd != only) continue;
    *msg = *it;
    core.queue.erase(it);
    return true;
  }
  if (core.quitPending) {
    *msg = MSG{0, WM_QUIT, static_cast<WPARAM>(core.quitCode), 0, 0, {0, 0}};
    return true;
  }
  for (auto& [handle, record] : core.windows) {
    if (record.invalid && record.visible && !record.destroying &&
        (handle == only || EqualsNoCase(record.className, "#32770"))) {
      *msg = MSG{handle, WM_PAINT, 0, 0, 0, {0, 0}};
      return true;
    }
  }
  return false;
}

}  // namespace

bool RunModalLoop(const std::function<bool()>& done, HWND only) {
  Core& core = TheCore();
  MSG msg;
  for (;;) {
    if (done()) return true;
    PollAll();
    if (done()) return true;
    if (only == 0 && core.quitPending && core.queue.empty()) return false;
    if (only != 0 ? NextMessageFor(only, &msg) : NextMessage(&msg, true)) {
      if (msg.message == WM_QUIT) return false;
      DispatchMessageA(&msg);
      continue;
    }
    TheDriver().WaitIdle(kWaitSliceMs);
  }
}

}  // namespace platform

using platform::Core;
using platform::FindRecord;
using platform::TheCore;

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd != 0 && FindRecord(hwnd) == nullptr) return FALSE;
  TheCore().queue.push_back(MSG{hwnd, message, wParam, lParam, GetTickCount(), {0, 0}});
  return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  platform::WindowRecord* record = FindRecord(hwnd);
  if (record == nullptr || record->object == nullptr) return 0;
  return record->object->WindowProc(message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  Core& core = TheCore();
  core.quitPending = true;
  core.quitCode = exitCode;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  (void)hwnd;
  (void)filterMin;
  (void)filterMax;
  platform::WaitForMessage(msg);
  if (msg->message == WM_QUIT) {
    TheCore().quitPending = false;
    return FALSE;
  }
  return TRUE;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  (void)hwnd;
  (void)filterMin;
  (void)filterMax;
  platform::PollAll();
  bool remove = (removeFlags & PM_REMOVE) != 0;
  if (!platform::NextMessage(msg, remove)) return FALSE;
  if (remove && msg->message == WM_QUIT) TheCore().quitPending = false;
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  // Characters come from the backend's text input as WM_CHAR already.
  return msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == 0) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
