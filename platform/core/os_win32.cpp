// os_win32.cpp — the platform's operating-system services on Windows.
#include <windows.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "core/os.h"

namespace platform::os {

std::filesystem::path ExecutablePath() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);  // cut short: ask again with more room
  }
}

std::filesystem::path DefaultSettingsFolder() {
  if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData != nullptr && *appData != 0)
    return std::filesystem::path(appData) / "savers";
  return std::filesystem::path("savers");
}

bool SetCallingThreadPriority(int priority) {
  return SetThreadPriority(GetCurrentThread(), priority) != 0;
}

namespace {

void (*endHandler)(int) = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (endHandler == nullptr) return FALSE;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    endHandler(0);
    return TRUE;
  }
  return FALSE;
}

// The C runtime's signals (raise, and what it makes of Ctrl+C): its
// handlers are reset before they are called, so this one puts itself back.
void OnRuntimeSignal(int signal) {
  std::signal(signal, OnRuntimeSignal);
  if (endHandler != nullptr) endHandler(signal);
}

}  // namespace

void OnEndRequest(void (*handler)(int)) {
  if (endHandler == nullptr) SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  endHandler = handler;
  std::signal(SIGTERM, OnRuntimeSignal);
  std::signal(SIGINT, OnRuntimeSignal);
  std::signal(SIGBREAK, OnRuntimeSignal);
}

bool InputIsTerminal() {
  DWORD mode = 0;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  return input != nullptr && input != INVALID_HANDLE_VALUE && GetFileType(input) == FILE_TYPE_CHAR &&
         GetConsoleMode(input, &mode) != 0;
}

int WaitForInput(int timeoutMs) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return -1;
  switch (GetFileType(input)) {
    case FILE_TYPE_PIPE: {
      // A pipe is never signalled: look for bytes in slices.
      const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
      for (;;) {
        DWORD available = 0;
        if (PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) == 0)
          return GetLastError() == ERROR_BROKEN_PIPE ? 1 : -1;  // its end: read sees it
        if (available > 0) return 1;
        if (GetTickCount64() >= until) return 0;
        ::Sleep(10);
      }
    }
    case FILE_TYPE_CHAR: {
      // A console is signalled by any event; only typed text counts, the
      // rest (focus, mouse, key releases) is taken out of its queue.
      const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
      for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= until ? 0 : static_cast<DWORD>(until - now);
        if (WaitForSingleObject(input, left) != WAIT_OBJECT_0) return 0;
        INPUT_RECORD record{};
        DWORD count = 0;
        if (PeekConsoleInputW(input, &record, 1, &count) == 0) return 1;  // not a console: read
        if (count == 0) continue;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
            record.Event.KeyEvent.uChar.UnicodeChar != 0)
          return 1;
        ReadConsoleInputW(input, &record, 1, &count);
      }
    }
    default:
      return 1;  // a file: always ready
  }
}

void SetEnvironment(const char* name, const std::string& value) {
  _putenv_s(name, value.c_str());
}

}  // namespace platform::os
