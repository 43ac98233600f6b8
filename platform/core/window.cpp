// window.cpp — window objects and the windows behind their handles: classes,
// creation and destruction in Win32's order, message-table dispatch, default
// processing, showing, painting and the cursor.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/core.h"

namespace platform {

namespace {

struct Brush {
  COLORREF colour;
};
Brush blackBrush{0};
// The arrow cursor: a token, the backend shows its own pointer.
struct CursorTag {
} arrowCursor;

HDC DcOf(HWND hwnd) {
  return reinterpret_cast<HDC>(static_cast<uintptr_t>(hwnd));
}
HWND HwndOfDc(HDC dc) {
  return static_cast<HWND>(reinterpret_cast<uintptr_t>(dc));
}

void UpdateCursorVisibility() {
  Core& core = TheCore();
  bool visible = core.cursor != nullptr && core.cursorCount >= 0;
  if (visible != core.cursorVisible) {
    core.cursorVisible = visible;
    TheDriver().SetCursorVisible(visible);
  }
}

}  // namespace

HCURSOR ArrowCursor() {
  return reinterpret_cast<HCURSOR>(&arrowCursor);
}

std::string ToUpper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ToUpper(a) == ToUpper(b);
}

WindowRecord* FindRecord(HWND hwnd) {
  auto& windows = TheCore().windows;
  auto it = windows.find(hwnd);
  return it == windows.end() ? nullptr : &it->second;
}

// Sets and clears a window object's handle; the one place that may.
class WindowRegistry {
 public:
  static void Attach(Window& window, HWND hwnd) { window.hwnd = hwnd; }
};

const MessageTable Window::messageTable{nullptr, {}};

Window::Window() = default;

Window::~Window() {
  // Virtual calls here reach Window's own versions: the derived parts are gone.
  if (hwnd != 0) DestroyWindow();
  auto& stack = TheCore().modalStack;
  stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
  if (App* app = TheApp(); app != nullptr && app->mainWindow == this) app->mainWindow = nullptr;
}

std::string Window::RegisterClass(const std::string& name, UINT classStyle) {
  auto& classes = TheCore().classes;
  std::string key = ToUpper(name);
  if (classes.find(key) == classes.end()) classes[key] = WindowClass{name, classStyle, nullptr};
  return classes[key].name;
}

bool Window::CreateEx(DWORD exStyle, const std::string& className, const std::string& title, DWORD style,
                      int x, int y, int width, int height, HWND parent) {
  Core& core = TheCore();
  if (hwnd != 0) return false;
  if (core.classes.find(ToUpper(className)) == core.classes.end()) {
    std::fprintf(stderr, "platform: window class \"%s\" is not registered\n", className.c_str());
    return false;
  }
  if (parent != 0 && FindRecord(parent) == nullptr) return false;

  HWND handle = core.nextHandle++;
  WindowRecord record;
  record.hwnd = handle;
  record.object = this;
  record.className = className;
  record.title = title;
  record.style = style & ~WS_VISIBLE;
  record.exStyle = exStyle;
  record.parent = parent;
  record.rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  POINT screen = TheDriver().ScreenSize();
  bool topLevel = (style & WS_CHILD) == 0;
  record.fullScreen = topLevel && (style & WS_POPUP) != 0 && (exStyle & WS_EX_TOPMOST) != 0 && x <= 0 &&
                      y <= 0 && x + width >= screen.x && y + height >= screen.y;
  core.windows[handle] = record;
  WindowRegistry::Attach(*this, handle);
  if (topLevel) TheDriver().CreateNative(core.windows[handle]);

  if (WindowProc(WM_CREATE, 0, 0) == -1) {
    // Creation refused: the window is destroyed again (and the object may
    // delete itself in PostNcDestroy, so nothing of it is touched after).
    DestroyWindow();
    return false;
  }
  if ((style & WS_VISIBLE) != 0 && IsWindow(handle)) ShowWindow(handle, SW_SHOW);
  return true;
}

bool Window::DestroyWindow() {
  if (hwnd == 0) return false;
  HWND handle = hwnd;
  WindowRecord* record = FindRecord(handle);
  if (record == nullptr || record->destroying) return false;
  record->destroying = true;
  Core& core = TheCore();

  // Children go first, as Win32 destroys them with their parent.
  std::vector<HWND> children;
  for (auto& [child, childRecord] : core.windows)
    if (childRecord.parent == handle) children.push_back(child);
  for (HWND child : children) ::DestroyWindow(child);

  if (record->visible) TheDriver().ShowNative(*record, false);
  record->visible = false;
  WindowProc(WM_DESTROY, 0, 0);
  WindowProc(WM_NCDESTROY, 0, 0);

  record = FindRecord(handle);
  if (record != nullptr) {
    TheDriver().DestroyNative(*record);
    core.windows.erase(handle);
  }
  if (core.focus == handle) core.focus = 0;
  if (App* app = TheApp(); app != nullptr && app->mainWindow == this) app->mainWindow = nullptr;
  WindowRegistry::Attach(*this, 0);
  PostNcDestroy();  // may delete this object: nothing follows
  return true;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  Message msg{message, wParam, lParam};
  int commandId = message == WM_COMMAND ? static_cast<int>(LOWORD(wParam)) : 0;
  for (const MessageTable* table = GetMessageTable(); table != nullptr; table = table->base) {
    for (const auto& entry : table->entries) {
      if (entry.message != message) continue;
      if (message == WM_COMMAND && entry.commandId != commandId) continue;
      Reply reply = entry.handler(*this, msg);
      // The handler may have destroyed the window and deleted this object;
      // default processing is only asked for by a handler whose object lives.
      if (reply.thenDefault) return DefaultProc(msg);
      return reply.result;
    }
  }
  return DefaultProc(msg);
}

const MessageTable* Window::GetMessageTable() const {
  return &messageTable;
}

LRESULT Window::DefaultProc(const Message& message) {
  return DefWindowProcA(hwnd, message.message, message.wParam, message.lParam);
}

void Window::PostNcDestroy() {}

Window* WindowFromHandle(HWND hwnd) {
  WindowRecord* record = FindRecord(hwnd);
  return record == nullptr ? nullptr : record->object;
}

SDL_Window* SdlWindowOf(HWND hwnd) {
  WindowRecord* record = FindRecord(hwnd);
  return record == nullptr ? nullptr : record->native;
}

void Validate(HWND hwnd) {
  if (WindowRecord* record = FindRecord(hwnd)) record->invalid = false;
}

}  // namespace platform

using platform::Core;
using platform::FindRecord;
using platform::TheCore;
using platform::TheDriver;
using platform::WindowRecord;

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 asks the window to close.
      if (wParam == VK_F4 && (lParam & (1 << 29)) != 0) PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 0;
    case WM_SETCURSOR: {
      WindowRecord* record = FindRecord(hwnd);
      if (record == nullptr) return FALSE;
      auto it = TheCore().classes.find(platform::ToUpper(record->className));
      if (it == TheCore().classes.end() || it->second.cursor == nullptr) return FALSE;
      SetCursor(it->second.cursor);
      return TRUE;
    }
    default:
      return 0;
  }
}

BOOL IsWindow(HWND hwnd) {
  return FindRecord(hwnd) != nullptr ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hwnd) {
  WindowRecord* record = FindRecord(hwnd);
  if (record == nullptr) return FALSE;
  return record->object->DestroyWindow() ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int command) {
  WindowRecord* record = FindRecord(hwnd);
  if (record == nullptr) return FALSE;
  bool wasVisible = record->visible;
  bool show = command != SW_HIDE;
  if (show == wasVisible) return wasVisible ? TRUE : FALSE;
  record->visible = show;
  TheDriver().ShowNative(*record, show);
  if (show) {
    record->invalid = true;
    // A top-level window shown under the pointer is told where it is.
    if (record->parent == 0) {
      if (auto pointer = TheDriver().Pointer()) {
        const RECT& r = record->rect;
        if (pointer->x >= r.left && pointer->x < r.right && pointer->y >= r.top && pointer->y < r.bottom) {
          PostMessageA(hwnd, WM_SETCURSOR, hwnd, MAKELPARAM(1, WM_MOUSEMOVE));
          PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pointer->x - r.left, pointer->y - r.top));
        }
      }
    }
  }
  // Sent last: a handler may run a frame loop from here and needs the
  // window shown and its first mouse move queued.
  SendMessageA(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  return wasVisible ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  (void)rect;
  (void)erase;
  if (hwnd == 0) {
    for (auto& [handle, record] : TheCore().windows) record.invalid = true;
    return TRUE;
  }
  WindowRecord* record = FindRecord(hwnd);
  if (record == nullptr) return FALSE;
  record->invalid = true;
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  (void)rect;
  if (FindRecord(hwnd) == nullptr) return FALSE;
  platform::Validate(hwnd);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  WindowRecord* record = FindRecord(hwnd);
  if (record == nullptr || paint == nullptr) return nullptr;
  paint->hdc = platform::DcOf(hwnd);
  paint->fErase = FALSE;
  GetClientRect(hwnd, &paint->rcPaint);
  platform::Validate(hwnd);
  return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  (void)paint;
  return FindRecord(hwnd) != nullptr ? TRUE : FALSE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  WindowRecord* record = FindRecord(platform::HwndOfDc(dc));
  if (record == nullptr || rect == nullptr || brush == nullptr) return 0;
  ++TheCore().fillCount;
  TheDriver().Fill(*record, *rect, reinterpret_cast<platform::Brush*>(brush)->colour);
  return 1;
}

HGDIOBJ GetStockObject(int object) {
  if (object == BLACK_BRUSH) return reinterpret_cast<HGDIOBJ>(&platform::blackBrush);
  return nullptr;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  return reinterpret_cast<HBRUSH>(new platform::Brush{colour});
}

BOOL DeleteObject(HGDIOBJ object) {
  auto* brush = reinterpret_cast<platform::Brush*>(object);
  if (brush == nullptr) return FALSE;
  if (brush != &platform::blackBrush) delete brush;
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  WindowRecord* record = FindRecord(hwnd);
  if (record == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, record->rect.right - record->rect.left, record->rect.bottom - record->rect.top};
  return TRUE;
}

int GetSystemMetrics(int index) {
  POINT size = TheDriver().ScreenSize();
  if (index == SM_CXSCREEN) return size.x;
  if (index == SM_CYSCREEN) return size.y;
  return 0;
}

HCURSOR LoadCursorA(HINSTANCE module, const char* name) {
  (void)module;
  (void)name;
  return platform::ArrowCursor();
}

HCURSOR SetCursor(HCURSOR cursor) {
  Core& core = TheCore();
  HCURSOR previous = core.cursor;
  core.cursor = cursor;
  platform::UpdateCursorVisibility();
  return previous;
}

int ShowCursor(BOOL show) {
  Core& core = TheCore();
  core.cursorCount += show ? 1 : -1;
  platform::UpdateCursorVisibility();
  return core.cursorCount;
}

HWND GetActiveWindow() {
  return platform::ActiveHandle();
}

HWND GetFocus() {
  return TheCore().focus;
}

HWND SetFocus(HWND hwnd) {
  Core& core = TheCore();
  HWND previous = core.focus;
  if (hwnd != 0 && FindRecord(hwnd) == nullptr) return 0;
  if (hwnd == previous) return previous;
  core.focus = hwnd;
  if (previous != 0 && FindRecord(previous) != nullptr) SendMessageA(previous, WM_KILLFOCUS, hwnd, 0);
  if (hwnd != 0 && FindRecord(hwnd) != nullptr) SendMessageA(hwnd, WM_SETFOCUS, previous, 0);
  return previous;
}
