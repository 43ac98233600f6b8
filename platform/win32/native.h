// native.h — the seam between the platform layer and the real Win32 API.
//
// The platform's own win32.h gives the savers Win32's names with types of
// its own (a window handle is a small integer), so it cannot share a
// translation unit with <windows.h>. The files named native_*.cpp include
// <windows.h> and nothing of the platform; the rest of this backend includes
// the platform's headers and this one, which names only standard types.
// Handles cross this seam as uintptr_t.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::win32 {

// ---- Clock, threads, message boxes, the program (native_system.cpp) ------
uint32_t TickCount();
void SleepMs(uint32_t milliseconds);
// Win32's priority values (THREAD_PRIORITY_IDLE is -15) for the calling thread.
bool SetCurrentThreadPriority(int priority);
// The system's message box. owner is a native window (0: none); type and
// the answer carry Win32's MB_* and ID* values.
int ShowSystemMessageBox(uintptr_t owner, const std::string& text, const std::string& caption, unsigned type);
// The running program's full path.
std::filesystem::path ModulePath();
// The Windows directory, where the settings file of a program lives by
// Win32's rule, when this user may write into it; else none.
std::optional<std::filesystem::path> WritableWindowsFolder();
// %APPDATA%\savers (the roaming profile's application data), the per-user
// folder; empty when the profile has no such folder.
std::filesystem::path PerUserFolder();

// ---- The program's own resources (native_system.cpp) -------------------------
// A resource of the running program's file: type and name as "#666" for a
// number or as a name. The bytes stay valid for the whole run. None when the
// file has no such resource.
std::optional<std::span<const uint8_t>> ModuleResource(const std::string& type, const std::string& name);
// String id of the program's string table (UTF-8); none when it has none.
std::optional<std::string> ModuleString(int id);

// ---- Registry (native_registry.cpp) ----------------------------------------
// Each call is its Win32 namesake's; keys are real HKEY values.
long CreateKey(uintptr_t key, const char* subKey, unsigned long options, unsigned long access,
               uintptr_t* result, unsigned long* disposition);
long OpenKey(uintptr_t key, const char* subKey, unsigned long options, unsigned long access,
             uintptr_t* result);
long QueryValue(uintptr_t key, const char* valueName, unsigned long* type, uint8_t* data,
                unsigned long* dataSize);
long SetValue(uintptr_t key, const char* valueName, unsigned long type, const uint8_t* data,
              unsigned long dataSize);
long CloseKey(uintptr_t key);
// Removes a key and everything below it (tests clean up with it).
long DeleteTree(uintptr_t key, const char* subKey);

// ---- Settings file (native_profile.cpp) -------------------------------------
// The real private-profile calls on a file named with its full path.
unsigned ReadProfileInt(const char* section, const char* key, int defaultValue,
                        const std::filesystem::path& file);
unsigned long ReadProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                unsigned long size, const std::filesystem::path& file);
bool WriteProfileText(const char* section, const char* key, const char* value,
                      const std::filesystem::path& file);

// ---- Windows and input (native_window.cpp) -----------------------------------
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// What a native window reports, in the platform's terms; the backend turns
// each into the messages it posts. Positions are screen pixels unless named
// client positions.
struct WindowEvents {
  std::function<void(uintptr_t native, int screenX, int screenY)> pointerMoved;
  // message is WM_LBUTTONDOWN... with its wParam; position in client pixels.
  std::function<void(uintptr_t native, unsigned message, uintptr_t wParam, int clientX, int clientY)> button;
  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CHAR with their parameters.
  std::function<void(uintptr_t native, unsigned message, uintptr_t wParam, intptr_t lParam)> key;
  std::function<void(bool active)> activation;
  std::function<void(uintptr_t native)> closeRequested;
  // The client area got a new size (a preview window follows its parent).
  std::function<void(uintptr_t native, int width, int height)> resized;
  std::function<void(uintptr_t native)> paintNeeded;
  // A parent window (the preview's host) went away.
  std::function<void(uintptr_t native)> parentGone;
};
void SetWindowEvents(WindowEvents events);

enum class WindowKind {
  FullScreen,  // top-most pop-up over the monitor the pointer is on; the other monitors go black
  Windowed,    // an ordinary window with a frame, for GLIDE_DISPLAY=window
  Popup,       // a borderless pop-up at the given place
  Child,       // a child window filling its parent's client area (the preview)
};
// Opens a hidden window; 0 when it cannot. rect is in screen pixels (Child:
// ignored). For a Child, parent is the host's native window.
uintptr_t CreateNativeWindow(WindowKind kind, const std::string& title, Rect rect, bool topMost,
                             uintptr_t parent);
void DestroyNativeWindow(uintptr_t native);
void ShowNativeWindow(uintptr_t native, bool show);
// The window's place on the screen (client area).
Rect NativeWindowRect(uintptr_t native);
bool IsNativeWindow(uintptr_t native);
// The client size of another program's window (the preview's parent).
std::optional<Rect> ClientRectOf(uintptr_t native);
// A child window takes its parent's client size when that has changed;
// true, with the new size, when it did.
bool FollowParent(uintptr_t native, int* width, int* height);
// Fills a client rectangle with a COLORREF colour.
void FillNative(uintptr_t native, Rect rect, uint32_t colour);
// Delivers what the system has queued for this thread's windows (the
// callbacks above run from here). Waits up to timeoutMs when nothing is queued.
void PumpNative(int timeoutMs);
// The primary monitor's size in pixels.
void ScreenSize(int* width, int* height);
std::optional<std::pair<int, int>> PointerPosition();
// Hides or shows the pointer over this program's windows.
void SetPointerHidden(bool hidden);
// Whether a session with a desktop a person can see runs this program
// (false for a service or a headless Wine without a display driver).
bool DesktopAvailable();

// ---- Dialogs (native_dialog.cpp) ----------------------------------------------
// A dialog template in the terms of the system's own, in dialog units.
enum class NativeItemClass { Button, Edit, Static, ListBox };
struct NativeDialogItem {
  int id = -1;
  NativeItemClass itemClass = NativeItemClass::Static;
  uint32_t style = 0;  // WS_CHILD and WS_VISIBLE are added
  std::string text;    // UTF-8
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<uint8_t> bitmapFile;  // SS_BITMAP: the picture, as a .bmp file's bytes
  int systemIcon = 0;               // SS_ICON: the system's icon (IDI_*)
};
struct NativeDialogTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int cx = 0, cy = 0;
  std::string caption;
  std::string fontName;
  int pointSize = 8;
  std::vector<NativeDialogItem> items;
};

// What the program does while its dialog runs: Initialized once the
// controls exist (the dialog's WM_INITDIALOG), Command for every WM_COMMAND
// (a button, Enter and Escape, an edit box's EN_CHANGE).
class NativeDialogHost {
 public:
  virtual ~NativeDialogHost() = default;
  virtual void Initialized(uintptr_t dialog) = 0;
  virtual void Command(uintptr_t dialog, int id, unsigned code) = 0;
  virtual void Destroyed(uintptr_t dialog) = 0;
};

// Runs the dialog modally over owner (0: none) with DialogBoxIndirectParam.
// Returns what EndNativeDialog was given, or -1 when it cannot be shown.
intptr_t RunNativeDialog(const NativeDialogTemplate& dialogTemplate, uintptr_t owner, NativeDialogHost& host);
void EndNativeDialog(uintptr_t dialog, intptr_t result);
std::string NativeItemText(uintptr_t dialog, int id);
void SetNativeItemText(uintptr_t dialog, int id, const std::string& text);
bool NativeItemChecked(uintptr_t dialog, int id);
void SetNativeItemChecked(uintptr_t dialog, int id, bool checked);
// The focus to a control, as the dialog manager moves it (an edit box's text selected).
void FocusNativeItem(uintptr_t dialog, int id);
// The system's open-file dialog; filter is "Name|*.ext|...||". None when cancelled.
std::optional<std::string> ChooseFileToOpen(uintptr_t owner, const std::string& initialName,
                                            const std::string& filter);

}  // namespace platform::win32
