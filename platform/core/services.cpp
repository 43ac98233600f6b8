// services.cpp — the clock, sleeping, thread priority and message boxes. The
// backend supplies the clock (real on a desktop, virtual headless) and the box.
#include <algorithm>
#include <cstdio>

#include "core/core.h"
#include "core/os.h"

namespace platform {

void SetMessageBoxHook(MessageBoxHook hook) {
  TheCore().messageBoxHook = std::move(hook);
}

}  // namespace platform

DWORD GetTickCount() {
  return platform::TheDriver().TickCount();
}

void Sleep(DWORD milliseconds) {
  platform::TheDriver().SleepMs(milliseconds);
  platform::ServiceCloseRequest();
}

HANDLE GetCurrentThread() {
  // Win32's pseudo-handle for "the calling thread".
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  if (thread != GetCurrentThread()) return FALSE;
  return platform::os::SetCallingThreadPriority(priority) ? TRUE : FALSE;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  platform::Core& core = platform::TheCore();
  std::string textString = text != nullptr ? text : "";
  // A null caption is "Error", as Win32 shows it.
  std::string captionString = caption != nullptr ? caption : "Error";
  int answer;
  if (core.messageBoxHook) {
    answer = core.messageBoxHook(owner, textString, captionString, type);
  } else {
    answer = platform::TheDriver().ShowMessageBox(owner, textString, captionString, type);
  }
  core.messageBoxes.push_back({owner, textString, captionString, type, answer});
  // A box of its own (no owner) takes activation from the application's
  // active window. The dialog manager draws the box on every backend, and
  // focus moving between the program's own windows is no loss of activation
  // to a backend, so it is posted here.
  if (owner == 0) {
    platform::PostInput(WM_NCACTIVATE, FALSE, 0);
    platform::PostInput(WM_ACTIVATE, WA_INACTIVE, 0);
  }
  return answer;
}
