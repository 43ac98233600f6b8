// win32.h — the Win32 types, constants and calls the two savers use, with
// Win32's own names and numeric values, provided on Linux by the platform
// layer (SDL2 backend for a desktop, headless backend for tests and capture).
//
// Window handles are small 32-bit integers (Glide takes one as FxU32); 0 is
// "no window". Every call is made from the program's one thread.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using INT_PTR = intptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HWND = uint32_t;

struct HandleTag;
using HANDLE = HandleTag*;
using HINSTANCE = HANDLE;
using HDC = HANDLE;
using HBRUSH = HANDLE;
using HGDIOBJ = HANDLE;
using HCURSOR = HANDLE;
using HRSRC = HANDLE;
using HGLOBAL = HANDLE;
struct HKeyTag;
using HKEY = HKeyTag*;
using LSTATUS = LONG;
using COLORREF = DWORD;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct POINT {
  LONG x, y;
};
struct RECT {
  LONG left, top, right, bottom;
};
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// Messages.
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_SIZE = 0x0005,
               WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_PAINT = 0x000F,
               WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018,
               WM_ACTIVATEAPP = 0x001C, WM_SETCURSOR = 0x0020, WM_NCDESTROY = 0x0082, WM_NCACTIVATE = 0x0086,
               WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104,
               WM_SYSKEYUP = 0x0105, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112,
               WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_RBUTTONDOWN = 0x0204,
               WM_RBUTTONUP = 0x0205, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_USER = 0x0400;
constexpr WPARAM WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
constexpr WPARAM SC_CLOSE = 0xF060, SC_SCREENSAVE = 0xF140;
constexpr WORD BN_CLICKED = 0, EN_CHANGE = 0x0300;

// Virtual-key codes (wParam of WM_KEYDOWN / WM_SYSKEYDOWN). Letters and
// digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').
constexpr WPARAM VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                 VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                 VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
                 VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70,
                 VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76,
                 VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B;
// Key messages' lParam: bit 29 is set while Alt is held.
constexpr LPARAM KF_ALTDOWN_LPARAM = LPARAM{1} << 29;
// Mouse messages' wParam: the buttons held.
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010;
// WM_SETCURSOR's hit-test code (LOWORD of lParam).
constexpr WORD HTCLIENT = 1;

inline WORD LOWORD(uintptr_t v) {
  return static_cast<WORD>(v & 0xFFFF);
}
inline WORD HIWORD(uintptr_t v) {
  return static_cast<WORD>((v >> 16) & 0xFFFF);
}
// Client coordinates of mouse messages, signed as GET_X_LPARAM/GET_Y_LPARAM.
inline int GET_X_LPARAM(LPARAM l) {
  return static_cast<int16_t>(l & 0xFFFF);
}
inline int GET_Y_LPARAM(LPARAM l) {
  return static_cast<int16_t>((l >> 16) & 0xFFFF);
}
inline LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<uint32_t>(hi & 0xFFFF) << 16) | static_cast<uint32_t>(lo & 0xFFFF));
}
inline WPARAM MAKEWPARAM(int lo, int hi) {
  return static_cast<WPARAM>(MAKELPARAM(lo, hi));
}

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
                WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000, WS_CAPTION = 0x00C00000,
                WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000, WS_GROUP = 0x00020000,
                WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008, WS_EX_DLGMODALFRAME = 0x00000001;
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002;

// System metrics, stock objects, show commands.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1;
constexpr int BLACK_BRUSH = 4;
constexpr int SW_HIDE = 0, SW_SHOW = 5;

// Message boxes and dialog results.
constexpr UINT MB_OK = 0x00000000, MB_OKCANCEL = 0x00000001, MB_ABORTRETRYIGNORE = 0x00000002,
               MB_YESNOCANCEL = 0x00000003, MB_YESNO = 0x00000004, MB_RETRYCANCEL = 0x00000005,
               MB_TYPEMASK = 0x0000000F, MB_ICONHAND = 0x00000010, MB_ICONQUESTION = 0x00000020,
               MB_ICONEXCLAMATION = 0x00000030, MB_ICONASTERISK = 0x00000040, MB_ICONMASK = 0x000000F0,
               MB_ICONERROR = MB_ICONHAND, MB_ICONWARNING = MB_ICONEXCLAMATION,
               MB_ICONINFORMATION = MB_ICONASTERISK, MB_DEFBUTTON1 = 0x00000000, MB_DEFBUTTON2 = 0x00000100,
               MB_DEFBUTTON3 = 0x00000200, MB_DEFMASK = 0x00000F00;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// Threads.
constexpr int THREAD_PRIORITY_NORMAL = 0, THREAD_PRIORITY_IDLE = -15;

// Registry.
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001));
constexpr DWORD REG_NONE = 0, REG_SZ = 1, REG_DWORD = 4;
constexpr DWORD KEY_READ = 0x20019, KEY_WRITE = 0x20006, KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1, REG_OPENED_EXISTING_KEY = 2;
constexpr LSTATUS ERROR_SUCCESS = 0, ERROR_FILE_NOT_FOUND = 2, ERROR_ACCESS_DENIED = 5,
                  ERROR_INVALID_HANDLE = 6, ERROR_INVALID_PARAMETER = 87, ERROR_MORE_DATA = 234;

// Resources: MAKEINTRESOURCE ids are spelled "#<number>" in names.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<const char*>(static_cast<uintptr_t>(static_cast<WORD>(i))))

// ---- Calls -----------------------------------------------------------------
// Time: milliseconds since start-up (wraps after 2^32); headless runs use a
// virtual clock that buffer swaps and Sleep advance.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
HANDLE GetCurrentThread();
BOOL SetThreadPriority(HANDLE thread, int priority);

// Messages.
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
constexpr UINT PM_NOREMOVE = 0, PM_REMOVE = 1;
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
#define PostMessage PostMessageA
#define SendMessage SendMessageA
#define DefWindowProc DefWindowProcA

// Windows.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Shows or hides; sends WM_SHOWWINDOW when the visibility changes (after
// the window is shown and its first WM_MOUSEMOVE, if any, is queued).
BOOL ShowWindow(HWND hwnd, int command);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
HGDIOBJ GetStockObject(int object);
HBRUSH CreateSolidBrush(COLORREF colour);
BOOL DeleteObject(HGDIOBJ object);
BOOL GetClientRect(HWND hwnd, RECT* rect);
int GetSystemMetrics(int index);
// SetCursor(nullptr) hides the pointer; any cursor shows it again.
HCURSOR SetCursor(HCURSOR cursor);
// The arrow cursor (the one cursor there is); module and name are not looked at.
HCURSOR LoadCursorA(HINSTANCE module, const char* name);
#define IDC_ARROW MAKEINTRESOURCEA(32512)
int ShowCursor(BOOL show);
HWND GetActiveWindow();
HWND GetFocus();
HWND SetFocus(HWND hwnd);

// Message box, drawn by the dialog manager: the buttons and icon type asks
// for, Enter presses the default button, Escape answers IDCANCEL (IDOK when OK
// is the only button). On a desktop it is a window of its own, centred on the
// screen or on an owner dialog; a dialog script drives it; where no one can
// answer it (headless without a script, hosted), caption and text go to
// standard error and it is answered at once with its default button. owner may be 0.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
#define MessageBox MessageBoxA

// Program.
const char* GetCommandLineA();  // the whole command line, program name first
// The program's full path ("/usr/lib/savers/halcyon"); returns the length copied.
DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size);

// Resources built into the program (see platform/resources.h to register them).
// Type and name match without regard to case; "#666" names the number 666.
HRSRC FindResourceA(HINSTANCE module, const char* name, const char* type);
DWORD SizeofResource(HINSTANCE module, HRSRC resource);
HGLOBAL LoadResource(HINSTANCE module, HRSRC resource);
void* LockResource(HGLOBAL data);

// Settings file ("<name>.INI" in the settings folder; a name carries no folder).
UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue, const char* fileName);
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* buffer,
                               DWORD size, const char* fileName);

// Registry (HKEY_CURRENT_USER only), kept as text in the settings folder.
LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                        DWORD access, void* security, HKEY* result, DWORD* disposition);
LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result);
LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* dataSize);
LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize);
LSTATUS RegCloseKey(HKEY key);
