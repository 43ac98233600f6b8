// win32_display.cpp — the Windows display (see win32_display.h).
#include "win32_display.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <dwmapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "desktop/hooks.h"
#include "letterbox.h"
#include "window_display.h"

namespace gfx {

namespace {

constexpr wchar_t kClassName[] = L"GlideDisplayWindow";

LRESULT CALLBACK DisplayWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // every pixel is drawn by the next frame
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(nullptr);  // the pointer never shows over the picture
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DisplayWindowProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

bool OfThisProcess(HWND hwnd) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  return process == ::GetCurrentProcessId();
}

}  // namespace

Win32Display::Win32Display(bool fullScreen, std::optional<CaptureSettings> capture)
    : FrameDisplay(std::move(capture)), fullScreen_(fullScreen) {}

Win32Display::~Win32Display() {
  Close();
}

bool Win32Display::Open(const DisplayConfig& config) {
  Close();
  if (config.width <= 0 || config.height <= 0) return false;
  refreshHz_ = config.refreshHz > 0 ? config.refreshHz : 60;
  const desktop::WindowTarget target = desktop::ResolveWindow(config.windowHandle);
  HWND given = reinterpret_cast<HWND>(target.nativeWindow);
  if (given != nullptr && ::IsWindow(given) && OfThisProcess(given)) {
    window_ = target.nativeWindow;
    return true;
  }
  if (!RegisterOnce()) {
    std::fprintf(stderr, "glide: cannot register a window class (error %lu)\n", ::GetLastError());
    return false;
  }
  HWND hwnd = nullptr;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (given != nullptr && target.foreign) {
    // Another program's window (the preview's): a child of ours inside it.
    RECT client{};
    if (!::IsWindow(given) || !::GetClientRect(given, &client)) {
      std::fprintf(stderr, "glide: the window to draw into is gone\n");
      return false;
    }
    hwnd = ::CreateWindowExW(0, kClassName, L"Glide", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                             client.bottom, given, nullptr, instance, nullptr);
  } else if (fullScreen_) {
    POINT at{0, 0};
    ::GetCursorPos(&at);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT& m = info.rcMonitor;
    hwnd = ::CreateWindowExW(WS_EX_TOPMOST, kClassName, L"Glide", WS_POPUP | WS_VISIBLE, m.left, m.top,
                             m.right - m.left, m.bottom - m.top, nullptr, nullptr, instance, nullptr);
  } else {
    RECT frame{0, 0, config.width, config.height};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    hwnd = ::CreateWindowExW(0, kClassName, L"Glide", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                             CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                             nullptr, instance, nullptr);
  }
  if (hwnd == nullptr) {
    std::fprintf(stderr, "glide: cannot open a window (error %lu)\n", ::GetLastError());
    return false;
  }
  if (target.foreign == false) ::SetForegroundWindow(hwnd);
  window_ = reinterpret_cast<uintptr_t>(hwnd);
  ownWindow_ = true;
  return true;
}

void Win32Display::Close() {
  if (ownWindow_ && window_ != 0 && ::IsWindow(reinterpret_cast<HWND>(window_)))
    ::DestroyWindow(reinterpret_cast<HWND>(window_));
  window_ = 0;
  ownWindow_ = false;
}

bool Win32Display::OutputSize(int* width, int* height) const {
  HWND hwnd = reinterpret_cast<HWND>(window_);
  RECT client{};
  if (hwnd == nullptr || !::IsWindow(hwnd) || !::GetClientRect(hwnd, &client)) return false;
  *width = client.right;
  *height = client.bottom;
  return *width > 0 && *height > 0;
}

void Win32Display::KeepPace(int swapInterval) {
  // GDI does not wait for the retrace: the frames are held to the board's
  // rate on a steady schedule, as the board's retrace held them.
  if (swapInterval < 1) return;
  const auto period = std::chrono::duration_cast<FrameSchedule::Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(swapInterval) / refreshHz_));
  std::this_thread::sleep_until(schedule_.Next(FrameSchedule::Clock::now(), period));
}

void Win32Display::Show(const FrameView& frame, int swapInterval) {
  const int width = frame.width, height = frame.height;
  HWND hwnd = reinterpret_cast<HWND>(window_);
  KeepPace(swapInterval);
  if (hwnd == nullptr || !::IsWindow(hwnd) || ::IsIconic(hwnd)) return;
  if (ownWindow_) {
    // A child of another program's window follows its size.
    if (HWND parent = ::GetParent(hwnd);
        parent != nullptr && (::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
      RECT wanted{}, now{};
      if (::GetClientRect(parent, &wanted) && ::GetClientRect(hwnd, &now) &&
          (wanted.right != now.right || wanted.bottom != now.bottom))
        ::MoveWindow(hwnd, 0, 0, wanted.right, wanted.bottom, FALSE);
    }
  }
  RECT client{};
  if (!::GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0) return;

  frame_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    frame.ConvertRow(Gamma(), y, frame_.data() + static_cast<size_t>(y) * width);

  const PixelRect fit = LetterboxRect(client.right, client.bottom, width, height);
  HDC dc = ::GetDC(hwnd);
  if (dc == nullptr) return;
  // The bars beside or above and below the picture.
  ::PatBlt(dc, 0, 0, client.right, fit.y, BLACKNESS);
  ::PatBlt(dc, 0, fit.y + fit.height, client.right, client.bottom - fit.y - fit.height, BLACKNESS);
  ::PatBlt(dc, 0, fit.y, fit.x, fit.height, BLACKNESS);
  ::PatBlt(dc, fit.x + fit.width, fit.y, client.right - fit.x - fit.width, fit.height, BLACKNESS);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // the top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // 0xAARRGGBB words are BGRA bytes
  info.bmiHeader.biCompression = BI_RGB;
  // Nearest-pixel scaling: the board's pixels stay sharp, and it is the cheapest.
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchDIBits(dc, fit.x, fit.y, fit.width, fit.height, 0, 0, width, height, frame_.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
  ::ReleaseDC(hwnd, dc);
  // The desktop composes windows at the monitor's retrace, so a picture
  // drawn with GDI never tears; waiting for that composition shows each
  // frame at a retrace of its own, as the board's swap did. Where there is
  // no composition this fails at once and the schedule alone paces.
  if (swapInterval >= 1) ::DwmFlush();
}

std::unique_ptr<Display> CreateWindowDisplay(bool fullScreen, std::optional<CaptureSettings> capture) {
  return std::make_unique<Win32Display>(fullScreen, std::move(capture));
}

}  // namespace gfx
