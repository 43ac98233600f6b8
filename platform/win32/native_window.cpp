// native_window.cpp — the backend's real windows: one window class whose
// window procedure hands input and changes to the platform (WindowEvents),
// the thread's message pump, the pointer and the screen.
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "win32/native.h"
#include "win32/native_text.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"SaversPlatformWindow";

WindowEvents events;
bool pointerHidden = false;
// Windows this backend is destroying itself; any other destruction of one
// of its windows is the system's, following a parent (the preview's host).
std::set<HWND> destroyingOurselves;
std::set<HWND> children;
// The black windows over the other monitors, by the full-screen window they go with.
std::map<HWND, std::vector<HWND>> blanks;
std::set<HWND> blankWindows;

uintptr_t Id(HWND hwnd) {
  return reinterpret_cast<uintptr_t>(hwnd);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      POINT at;
      if (::GetCursorPos(&at) && events.pointerMoved) events.pointerMoved(Id(hwnd), at.x, at.y);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      if (events.button)
        events.button(Id(hwnd), message, wParam, static_cast<short>(LOWORD(lParam)),
                      static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
      // Alt+F4 and the rest are the platform's to answer, as its windows' own keys.
      if (events.key) events.key(Id(hwnd), message, wParam, lParam);
      return 0;
    case WM_SYSCHAR:
      return 0;  // no menu to open, no beep
    case WM_ACTIVATEAPP:
      if (events.activation) events.activation(wParam != FALSE);
      return 0;
    case WM_CLOSE:
      if (events.closeRequested) events.closeRequested(Id(hwnd));
      return 0;
    case WM_SIZE:
      if (events.resized) events.resized(Id(hwnd), LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(hwnd, &paint);
      if (blankWindows.count(hwnd) != 0)
        ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      ::EndPaint(hwnd, &paint);
      if (events.paintNeeded) events.paintNeeded(Id(hwnd));
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the program paints every pixel itself
    case WM_SETCURSOR:
      if (pointerHidden && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      // Neither another screen saver nor the monitor's power-down starts over a running saver.
      if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
      break;
    case WM_DESTROY:
      if (destroyingOurselves.count(hwnd) == 0 && children.count(hwnd) != 0 && events.parentGone)
        events.parentGone(Id(hwnd));
      children.erase(hwnd);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    // The program's icon, when its resources have one (resource 1).
    windowClass.hIcon = ::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT area, LPARAM list) {
  reinterpret_cast<std::vector<RECT>*>(list)->push_back(*area);
  return TRUE;
}

// Black top-most windows over every monitor but the saver's own.
std::vector<HWND> OpenBlanks(const RECT& own) {
  std::vector<RECT> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  std::vector<HWND> opened;
  for (const RECT& m : monitors) {
    if (::EqualRect(&m, &own)) continue;
    HWND blank = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, m.left, m.top,
                                   m.right - m.left, m.bottom - m.top, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (blank == nullptr) continue;
    blankWindows.insert(blank);
    opened.push_back(blank);
  }
  return opened;
}

}  // namespace

void SetWindowEvents(WindowEvents given) {
  events = std::move(given);
}

uintptr_t CreateNativeWindow(WindowKind kind, const std::string& title, Rect rect, bool topMost,
                             uintptr_t parent) {
  if (!RegisterOnce()) return 0;
  DWORD style = 0;
  DWORD exStyle = topMost ? WS_EX_TOPMOST : 0;
  int x = rect.left, y = rect.top, width = rect.right - rect.left, height = rect.bottom - rect.top;
  HWND parentWindow = nullptr;
  switch (kind) {
    case WindowKind::FullScreen: {
      // The monitor the pointer is on, as the system's own savers take it.
      POINT at{0, 0};
      ::GetCursorPos(&at);
      MONITORINFO info{};
      info.cbSize = sizeof info;
      if (::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), &info)) {
        x = info.rcMonitor.left;
        y = info.rcMonitor.top;
        width = info.rcMonitor.right - info.rcMonitor.left;
        height = info.rcMonitor.bottom - info.rcMonitor.top;
      }
      style = WS_POPUP;
      exStyle |= WS_EX_TOPMOST;
      break;
    }
    case WindowKind::Windowed: {
      style = WS_OVERLAPPEDWINDOW;
      RECT frame{0, 0, width, height};
      ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
      width = frame.right - frame.left;
      height = frame.bottom - frame.top;
      x = CW_USEDEFAULT;
      y = CW_USEDEFAULT;
      break;
    }
    case WindowKind::Popup:
      style = WS_POPUP;
      break;
    case WindowKind::Child: {
      parentWindow = reinterpret_cast<HWND>(parent);
      RECT client{};
      if (!::IsWindow(parentWindow) || !::GetClientRect(parentWindow, &client)) return 0;
      style = WS_CHILD | WS_CLIPSIBLINGS;
      exStyle = 0;
      x = 0;
      y = 0;
      width = client.right;
      height = client.bottom;
      break;
    }
  }
  HWND hwnd =
      ::CreateWindowExW(exStyle, kClassName, Widen(title).c_str(), style, x, y, std::max(width, 1),
                        std::max(height, 1), parentWindow, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd != nullptr && kind == WindowKind::Child) children.insert(hwnd);
  if (hwnd != nullptr && kind == WindowKind::FullScreen) {
    const RECT own{x, y, x + width, y + height};
    blanks[hwnd] = OpenBlanks(own);
  }
  return Id(hwnd);
}

void DestroyNativeWindow(uintptr_t native) {
  HWND hwnd = reinterpret_cast<HWND>(native);
  if (auto found = blanks.find(hwnd); found != blanks.end()) {
    for (HWND blank : found->second) {
      blankWindows.erase(blank);
      destroyingOurselves.insert(blank);
      ::DestroyWindow(blank);
      destroyingOurselves.erase(blank);
    }
    blanks.erase(found);
  }
  if (!::IsWindow(hwnd)) {
    children.erase(hwnd);
    return;
  }
  destroyingOurselves.insert(hwnd);
  ::DestroyWindow(hwnd);
  destroyingOurselves.erase(hwnd);
  children.erase(hwnd);
}

void ShowNativeWindow(uintptr_t native, bool show) {
  HWND hwnd = reinterpret_cast<HWND>(native);
  if (auto found = blanks.find(hwnd); found != blanks.end())
    for (HWND blank : found->second) ::ShowWindow(blank, show ? SW_SHOWNOACTIVATE : SW_HIDE);
  ::ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
  if (show) {
    ::UpdateWindow(hwnd);
    if ((::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0) ::SetForegroundWindow(hwnd);
  }
}

Rect NativeWindowRect(uintptr_t native) {
  HWND hwnd = reinterpret_cast<HWND>(native);
  RECT client{};
  ::GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ::ClientToScreen(hwnd, &origin);
  return Rect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

bool IsNativeWindow(uintptr_t native) {
  return native != 0 && ::IsWindow(reinterpret_cast<HWND>(native)) != FALSE;
}

std::optional<Rect> ClientRectOf(uintptr_t native) {
  RECT client{};
  if (!IsNativeWindow(native) || !::GetClientRect(reinterpret_cast<HWND>(native), &client))
    return std::nullopt;
  return Rect{0, 0, client.right, client.bottom};
}

bool FollowParent(uintptr_t native, int* width, int* height) {
  HWND hwnd = reinterpret_cast<HWND>(native);
  HWND parent = ::GetParent(hwnd);
  RECT wanted{}, now{};
  if (parent == nullptr || !::GetClientRect(parent, &wanted) || !::GetClientRect(hwnd, &now)) return false;
  if (wanted.right == now.right && wanted.bottom == now.bottom) return false;
  ::MoveWindow(hwnd, 0, 0, wanted.right, wanted.bottom, TRUE);
  *width = wanted.right;
  *height = wanted.bottom;
  return true;
}

void FillNative(uintptr_t native, Rect rect, uint32_t colour) {
  HWND hwnd = reinterpret_cast<HWND>(native);
  HDC dc = ::GetDC(hwnd);
  if (dc == nullptr) return;
  RECT area{rect.left, rect.top, rect.right, rect.bottom};
  HBRUSH brush = ::CreateSolidBrush(colour);
  ::FillRect(dc, &area, brush);
  ::DeleteObject(brush);
  ::ReleaseDC(hwnd, dc);
}

void PumpNative(int timeoutMs) {
  MSG msg;
  if (timeoutMs > 0 && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs), QS_ALLINPUT);
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;  // the platform keeps its own quit
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void ScreenSize(int* width, int* height) {
  *width = ::GetSystemMetrics(SM_CXSCREEN);
  *height = ::GetSystemMetrics(SM_CYSCREEN);
}

std::optional<std::pair<int, int>> PointerPosition() {
  POINT at;
  if (!::GetCursorPos(&at)) return std::nullopt;
  return std::make_pair(static_cast<int>(at.x), static_cast<int>(at.y));
}

void SetPointerHidden(bool hidden) {
  pointerHidden = hidden;
  ::SetCursor(hidden ? nullptr : ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

bool DesktopAvailable() {
  // A window station a person can see (not a service's), with a screen.
  HWINSTA station = ::GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (station != nullptr && ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
      (flags.dwFlags & WSF_VISIBLE) == 0)
    return false;
  return ::GetSystemMetrics(SM_CXSCREEN) > 0 && ::GetSystemMetrics(SM_CYSCREEN) > 0;
}

}  // namespace platform::win32
