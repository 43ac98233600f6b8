// preview_host.cpp — plays the Screen Saver Settings' small monitor for the
// tests: opens a window, starts "SAVER /p <its handle>", and checks that the
// saver draws into a child window of it that has the host's client size,
// keeps running, follows the host when it is resized, and ends once the host
// window is destroyed.
//   preview_host SAVER.scr     exit status 0 when all of that held
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Found {
  DWORD process = 0;
  HWND child = nullptr;
};

BOOL CALLBACK FindSaverChild(HWND child, LPARAM lParam) {
  auto* found = reinterpret_cast<Found*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(child, &owner);
  if (owner != found->process) return TRUE;
  found->child = child;
  return FALSE;
}

// Pumps the host's messages for ms milliseconds.
void Pump(DWORD ms) {
  const DWORD until = ::GetTickCount() + ms;
  while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

HWND WaitForChild(HWND host, DWORD process, DWORD ms) {
  const DWORD until = ::GetTickCount() + ms;
  Found found{process, nullptr};
  while (found.child == nullptr && static_cast<LONG>(until - ::GetTickCount()) > 0) {
    Pump(100);
    ::EnumChildWindows(host, FindSaverChild, reinterpret_cast<LPARAM>(&found));
  }
  return found.child;
}

bool ClientSizeIs(HWND window, int width, int height) {
  RECT client{};
  return ::GetClientRect(window, &client) && client.right == width && client.bottom == height;
}

int Fail(const char* what, PROCESS_INFORMATION& saver) {
  std::fprintf(stderr, "preview_host: %s\n", what);
  ::TerminateProcess(saver.hProcess, 99);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: preview_host SAVER.scr\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = L"PreviewHost";
  ::RegisterClassW(&windowClass);
  // The small monitor of the Screen Saver Settings is 152 x 112.
  RECT frame{0, 0, 152, 112};
  ::AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND host = ::CreateWindowW(L"PreviewHost", L"preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
  if (host == nullptr) return 2;
  Pump(200);

  std::string command = "\"" + std::string(argv[1]) + "\" /p " +
                        std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &saver)) {
    std::fprintf(stderr, "preview_host: cannot start %s (error %lu)\n", command.c_str(), ::GetLastError());
    return 1;
  }

  HWND child = WaitForChild(host, saver.dwProcessId, 20000);
  if (child == nullptr) return Fail("the saver drew no child window into the host", saver);
  if (!ClientSizeIs(child, 152, 112)) return Fail("the preview does not fill the host's client area", saver);
  Pump(2000);
  if (::WaitForSingleObject(saver.hProcess, 0) == WAIT_OBJECT_0)
    return Fail("the preview ended by itself", saver);

  // The host grows: the preview follows.
  ::SetWindowPos(host, nullptr, 0, 0, frame.right - frame.left + 48, frame.bottom - frame.top + 36,
                 SWP_NOMOVE | SWP_NOZORDER);
  bool followed = false;
  for (int i = 0; i < 50 && !followed; ++i) {
    Pump(100);
    followed = ::IsWindow(child) && ClientSizeIs(child, 200, 148);
  }
  if (!followed) return Fail("the preview did not follow the host's new size", saver);

  // The settings close: the preview ends with its host window.
  ::DestroyWindow(host);
  if (::WaitForSingleObject(saver.hProcess, 15000) != WAIT_OBJECT_0)
    return Fail("the preview kept running after its host window was destroyed", saver);
  DWORD status = 0;
  ::GetExitCodeProcess(saver.hProcess, &status);
  std::printf("preview_host: preview drew into its host, followed it and ended with it (status %lu)\n",
              status);
  return 0;
}
