// dialog_host.cpp — plays the Screen Saver Settings' Settings button for the
// tests: opens a window, starts "SAVER /c:<its handle>", finds the saver's
// configuration dialog (a real dialog of the system's dialog class, owned by
// that window) and works its controls as a person would, through the
// system's own messages, then checks that the saver ended well.
//   dialog_host SAVER.scr STEP...     exit status 0 when every step held
// Steps (ID is a control's id in the dialog):
//   text ID VALUE     the control shows VALUE
//   checked ID 0|1    the check box is (not) checked
//   picture ID WxH    the control shows a bitmap of that size
//   set ID VALUE      types VALUE into an edit box (WM_SETTEXT, which notifies the dialog)
//   click ID          clicks the button (BM_CLICK)
//   box ID            a message box owned by the dialog appears; its button ID is clicked
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 20000;

// Pumps the host's messages for ms milliseconds.
void Pump(DWORD ms) {
  const DWORD until = ::GetTickCount() + ms;
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
}

struct Search {
  DWORD process = 0;
  HWND owner = nullptr;
  HWND found = nullptr;
};

// A visible window of the system's dialog class, of the saver's process, owned by owner.
BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (process != search->process || std::wstring(className) != L"#32770" || !::IsWindowVisible(window) ||
      ::GetWindow(window, GW_OWNER) != search->owner)
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND WaitForDialog(DWORD process, HWND owner) {
  const DWORD until = ::GetTickCount() + kWaitMs;
  Search search{process, owner, nullptr};
  while (search.found == nullptr && static_cast<LONG>(until - ::GetTickCount()) > 0) {
    Pump(100);
    ::EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// Waits until the saver's thread has handled everything sent to window so far.
void Settle(HWND window) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  Pump(100);
}

std::string Narrow(const std::wstring& wide) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
  return text;
}

std::wstring Widen(const std::string& text) {
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
  return wide;
}

std::string ItemText(HWND dialog, int id) {
  wchar_t text[1024] = {};
  ::GetDlgItemTextW(dialog, id, text, 1024);
  return Narrow(text);
}

// Clicks without waiting for the click's answer: a button whose program
// opens a message box answers only once the box is closed.
void Click(HWND dialog, int id) {
  ::SendNotifyMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog_host SAVER.scr STEP...\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = L"DialogHost";
  ::RegisterClassW(&windowClass);
  HWND host = ::CreateWindowW(L"DialogHost", L"Screen Saver Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (host == nullptr) return 2;
  Pump(200);

  std::string command = "\"" + std::string(argv[1]) + "\" /c:" +
                        std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &saver)) {
    std::fprintf(stderr, "dialog_host: cannot start %s (error %lu)\n", command.c_str(), ::GetLastError());
    return 1;
  }
  auto fail = [&](const std::string& what) {
    std::fprintf(stderr, "dialog_host: %s\n", what.c_str());
    ::TerminateProcess(saver.hProcess, 99);
    return 1;
  };

  HWND dialog = WaitForDialog(saver.dwProcessId, host);
  if (dialog == nullptr)
    return fail("no dialog of the system's dialog class owned by the host window appeared");
  Settle(dialog);

  for (int i = 2; i < argc;) {
    const std::string step = argv[i];
    const int arguments = step == "click" || step == "box" ? 1 : 2;
    if (i + arguments >= argc) return fail("step " + step + " lacks arguments");
    const int id = std::atoi(argv[i + 1]);
    const std::string value = arguments == 2 ? argv[i + 2] : "";
    const std::string where = step + " " + std::to_string(id);
    i += 1 + arguments;
    if (::GetDlgItem(dialog, id) == nullptr)
      return fail(where + ": the dialog has no control " + std::to_string(id));
    if (step == "text") {
      if (ItemText(dialog, id) != value)
        return fail(where + ": shows \"" + ItemText(dialog, id) + "\", not \"" + value + "\"");
    } else if (step == "checked") {
      const bool checked = ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
      if (checked != (value == "1"))
        return fail(where + ": the check box is " + (checked ? "" : "not ") + "checked");
    } else if (step == "picture") {
      auto bitmap =
          reinterpret_cast<HBITMAP>(::SendDlgItemMessageW(dialog, id, STM_GETIMAGE, IMAGE_BITMAP, 0));
      // The bitmap's own size: a picture control takes it when given the bitmap.
      RECT client{};
      ::GetClientRect(::GetDlgItem(dialog, id), &client);
      const std::string size = std::to_string(client.right) + "x" + std::to_string(client.bottom);
      if (bitmap == nullptr) return fail(where + ": shows no bitmap");
      if (size != value) return fail(where + ": shows a bitmap of " + size + ", not " + value);
    } else if (step == "set") {
      ::SetDlgItemTextW(dialog, id, Widen(value).c_str());
      Settle(dialog);
    } else if (step == "click") {
      Click(dialog, id);
      Settle(dialog);
    } else if (step == "box") {
      HWND box = WaitForDialog(saver.dwProcessId, dialog);
      if (box == nullptr) return fail(where + ": no message box owned by the dialog appeared");
      if (::GetDlgItem(box, id) == nullptr)
        return fail(where + ": the message box has no button " + std::to_string(id));
      Click(box, id);
      for (int tries = 0; tries < 100 && ::IsWindow(box); ++tries) Pump(50);
      if (::IsWindow(box)) return fail(where + ": the message box stayed");
      Settle(dialog);
    } else {
      return fail("unknown step " + step);
    }
    std::printf("dialog_host: %s%s%s\n", where.c_str(), value.empty() ? "" : " ", value.c_str());
  }

  if (::WaitForSingleObject(saver.hProcess, kWaitMs) != WAIT_OBJECT_0)
    return fail("the saver kept running after its dialog's steps");
  DWORD status = 0;
  ::GetExitCodeProcess(saver.hProcess, &status);
  if (status != 0) {
    std::fprintf(stderr, "dialog_host: the saver ended with status %lu\n", status);
    return 1;
  }
  ::DestroyWindow(host);
  return 0;
}
