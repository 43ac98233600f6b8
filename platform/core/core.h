// core.h — the platform layer's inner state shared by its parts: the window
// records behind the handles, the message queue, the modal stack, and the
// backend driver that turns a desktop (or a script) into input and pixels.
// Not part of the public interface; only platform/ and its tests include it.
#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/testing.h"
#include "platform/win32.h"
#include "platform/window.h"

namespace platform {

// What the platform keeps for one window behind its handle.
struct WindowRecord {
  HWND hwnd = 0;
  Window* object = nullptr;
  std::string className;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // screen position and size (relative to the parent for children)
  HWND parent = 0;
  bool visible = false;
  bool invalid = false;     // has an update region: WM_PAINT is due
  bool destroying = false;  // DestroyWindow is under way
  bool fullScreen = false;  // top-most pop-up covering the screen
  bool hosted = false;      // stands for the host's (XScreenSaver) window
  SDL_Window* native = nullptr;
  uintptr_t nativeHandle = 0;  // Windows: the real window (HWND)
};

struct WindowClass {
  std::string name;
  UINT style = 0;
  HCURSOR cursor = nullptr;
};

// A backend: real windows and input (SDL2) or none (headless). Every call is
// made on the program's thread.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual Backend Kind() const = 0;
  // Native window for a top-level window record (may leave native null).
  virtual void CreateNative(WindowRecord& record) = 0;
  // Called before the record goes away.
  virtual void DestroyNative(WindowRecord& record) = 0;
  virtual void ShowNative(WindowRecord& record, bool show) = 0;
  // Turns the input that arrived into posted messages.
  virtual void PollInput() = 0;
  // Nothing to do: waits up to timeoutMs for input (headless: decides what
  // an idle run means). Returns after posting whatever arrived.
  virtual void WaitIdle(int timeoutMs) = 0;
  virtual DWORD TickCount() = 0;
  virtual void SleepMs(DWORD ms) = 0;
  virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
  virtual void Fill(WindowRecord& record, const RECT& rect, COLORREF colour) = 0;
  virtual POINT ScreenSize() = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  // The pointer in screen coordinates; none while no pointer is known.
  virtual std::optional<POINT> Pointer() = 0;
  // After every shown frame.
  virtual void FrameShown(uint64_t frame) = 0;
  // Scripted input (SAVER_EVENTS); errors are reported on stderr.
  virtual void LoadScript(const std::string& text) { (void)text; }
  // Plays script entries at once, whatever their frame numbers (tests).
  virtual void Inject(const std::string& text) { (void)text; }
};

// The desktop's backend: SDL's on Linux (sdl/), Win32's on Windows (win32/).
std::unique_ptr<Driver> CreateDesktopDriver();
// The SDL window made from the host's X window (hosted runs on the SDL backend).
SDL_Window* HostedSdlWindow();
std::unique_ptr<Driver> CreateHeadlessDriver();

// The platform's state for the program's one thread.
struct Core {
  std::map<HWND, WindowRecord> windows;
  HWND nextHandle = 1;
  std::map<std::string, WindowClass> classes;  // by upper-case name
  std::deque<MSG> queue;
  bool quitPending = false;
  int quitCode = 0;
  std::vector<Window*> modalStack;
  HWND focus = 0;
  HCURSOR cursor = nullptr;
  int cursorCount = 0;  // ShowCursor's display counter
  bool cursorVisible = true;
  std::vector<ShownMessageBox> messageBoxes;
  MessageBoxHook messageBoxHook;
  uint64_t shownFrames = 0;
  std::optional<uint64_t> endAfterFrames;  // SAVER_FRAMES
  bool endSent = false;
  std::vector<std::string> arguments;  // the program's arguments (hosting switches removed)
  std::string programName = "program";
  std::string commandLine;
  std::optional<uint32_t> hostedWindow;  // XScreenSaver window id
  uint64_t fillCount = 0;
  std::unique_ptr<Driver> driver;
  // The window each held key's press went to, and the last press's window:
  // the repeats and characters of a press reach no other window, nor does
  // its release once that window has gone (a message box that closed on it).
  std::map<WPARAM, HWND> keyPressTargets;
  HWND lastKeyPressTarget = 0;
};

// Counts a shown frame: advances the clock, checks the frame limit.
void OnFrameShown();

Core& TheCore();
Driver& TheDriver();  // created on first use, as CurrentBackend chooses
WindowRecord* FindRecord(HWND hwnd);

// The window that receives input: the top modal dialog, else the main window.
Window* ActiveWindow();
HWND ActiveHandle();

// Posts an input message to the active window (dropped when there is none).
void PostInput(UINT message, WPARAM wParam, LPARAM lParam);
// Posts a mouse move at a screen position to the active window, as client
// coordinates; sends WM_SETCURSOR first.
void PostPointerMove(POINT screen, bool onlyWhenUnder);
// Loss (false) or gain (true) of the application's activation.
void PostActivation(bool active);
// Posts a key press: WM_KEYDOWN (WM_SYSKEYDOWN with Alt), WM_CHAR for a
// printable key, then the release.
void PostKeyPress(WPARAM vk, char text, bool alt);

// SIGTERM / SIGINT / a desktop quit request: the close request is serviced
// (WM_CLOSE to the main window, IDCANCEL to the top modal dialog) the next
// time a loop, Sleep or PumpPendingMessages looks.
void RequestClose();
void ServiceCloseRequest();
bool CloseRequestPending();
void CancelCloseRequest();
void InstallSignalHandlers();

// Command line and hosting.
struct ParsedArguments {
  std::vector<std::string> arguments;  // without the hosting switches
  std::optional<uint32_t> hostedWindow;
  std::string glideScale;   // -glide-scale VALUE: the Glide library's GLIDE_SCALE for this run
  std::string glideColour;  // -glide-color VALUE: its GLIDE_COLOR for this run
  std::string error;        // a malformed hosting switch
};
// Takes out -window-id ID, -root, -glide-scale VALUE and -glide-color VALUE
// (set by the XScreenSaver description's options) and the other switches XScreenSaver-style hosts
// pass. The window is -window-id's, else XSCREENSAVER_WINDOW's, else with
// -root the one rootWindow names (the X root window by default).
ParsedArguments ParseArguments(const std::vector<std::string>& arguments, const char* xscreensaverWindow,
                               const std::function<std::optional<uint32_t>()>& rootWindow = RootWindowId);
// "/usr/lib/savers/halcyon.bin" → "halcyon".
std::string ApplicationNameFromPath(const std::string& path);

// Case-insensitive text helpers.
std::string ToUpper(std::string text);
bool EqualsNoCase(const std::string& a, const std::string& b);

// The arrow cursor token (the pointer's normal look).
HCURSOR ArrowCursor();

// The shared paint path: BeginPaint and DefWindowProc's WM_PAINT.
void Validate(HWND hwnd);

// Starts the backend for a program run (resolver, swap listener, script).
void StartRun();

}  // namespace platform
