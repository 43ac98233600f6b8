// services.cpp — the clock, sleeping, thread priority and message boxes. The
// backend supplies the clock (real on a desktop, virtual headless) and the box.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "core/core.h"

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
  // Linux keeps a nice value per thread: the idle class is the weakest (19);
  // the steps between lie evenly from normal (0) down to it.
  int nice = priority == THREAD_PRIORITY_IDLE ? 19 : std::clamp(-priority * 5, -20, 19);
  pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0 ? TRUE : FALSE;
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
