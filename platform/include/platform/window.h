// window.h — the small application framework both savers are written
// against: an application object with a start-up entry, window objects that
// answer messages through message tables, and the message loop.
//
// A message table maps a message (and, for WM_COMMAND, a control id) to a
// handler. A handler either handles the message fully (Reply::Handled) or does
// its work and lets default processing follow (Reply::Default). Messages a
// class does not list are looked up in its base class's table, then get
// default processing (DefWindowProc for windows, the dialog manager's for
// dialogs).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

class Window;

struct Message {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// What a handler did with its message.
struct Reply {
  LRESULT result = 0;
  bool thenDefault = false;  // true: default processing follows, and its result is the message's
  static Reply Handled(LRESULT result = 0) { return {result, false}; }
  static Reply Default() { return {0, true}; }
};

struct MessageTable {
  struct Entry {
    UINT message;
    int commandId;  // WM_COMMAND only: the control id (LOWORD of wParam); 0 otherwise
    Reply (*handler)(Window& window, const Message& message);
  };
  const MessageTable* base;  // the base class's table, searched next; null at the root
  std::span<const Entry> entries;
};

namespace detail {
template <class T>
struct HandlerClass;
template <class W>
struct HandlerClass<Reply (W::*)(const Message&)> {
  using Type = W;
};
}  // namespace detail

// Turns a member handler `Reply W::OnX(const Message&)` into a table entry's handler:
//   {WM_PAINT, 0, &platform::Bind<&WorldWindow::OnPaint>}
template <auto Handler>
Reply Bind(Window& window, const Message& message) {
  using W = typename detail::HandlerClass<decltype(Handler)>::Type;
  return (static_cast<W&>(window).*Handler)(message);
}

// A window object. The object and the window it stands for live separately:
// the object exists before CreateEx and may outlive the window.
class Window {
 public:
  Window();
  virtual ~Window();  // destroys the window if it still exists
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd; }

  // Registers a window class once per process and name (later calls with the
  // same name return it unchanged). Returns the class name.
  static std::string RegisterClass(const std::string& name, UINT classStyle);

  // Creates the window: sends WM_CREATE (a handler result of -1 fails the
  // creation), then shows it when WS_VISIBLE is in style. A shown top-level
  // window that lies under the pointer receives one WM_MOUSEMOVE with the
  // pointer's client position. On the SDL backend a WS_POPUP window covering
  // the whole screen with WS_EX_TOPMOST is a full-screen window; in a hosted
  // (XScreenSaver) run it is the host's window. Returns false on failure.
  bool CreateEx(DWORD exStyle, const std::string& className, const std::string& title, DWORD style, int x,
                int y, int width, int height, HWND parent);
  // Destroys the window: WM_DESTROY, then WM_NCDESTROY, then PostNcDestroy()
  // (which may delete this object). Returns false when there is no window.
  bool DestroyWindow();

  // Every message for this window passes through here: the table lookup,
  // the handler, then default processing when the handler asks for it.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // The message-table lookup: this class's table (whose base chains on).
  virtual const MessageTable* GetMessageTable() const;
  // Default processing of a message (DefWindowProcA for plain windows).
  virtual LRESULT DefaultProc(const Message& message);
  // After-destruction hook: runs once the window is gone (after WM_NCDESTROY).
  // An object created on the heap may delete itself here.
  virtual void PostNcDestroy();

  static const MessageTable messageTable;  // the root table (empty)

 private:
  friend class WindowRegistry;
  HWND hwnd = 0;
};

// The program's application object: exactly one per program, a global created
// before start-up.
class App {
 public:
  App();
  virtual ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Start-up entry. True: the message loop runs until WM_QUIT.
  virtual bool Initialize();
  // Runs after the loop, or at once when Initialize returned false; its
  // result is the exit status (0 unless a derived class says otherwise).
  virtual int ExitInstance();

  Window* mainWindow = nullptr;  // input goes to it when no modal dialog is up

  // The arguments after the program name, as given.
  const std::vector<std::string>& Arguments() const { return arguments; }
  // The program file's name without folder and extension (the application name).
  const std::string& Name() const { return name; }

  // Registry-backed settings under HKEY_CURRENT_USER\Software\<key>\<Name()>\<section>.
  // Opening a section creates the missing keys of the path, also for reads.
  void SetRegistryKey(const std::string& key);
  // Reads at most 4 bytes; missing key or value, or data longer than 4 bytes → defaultValue.
  UINT GetProfileInt(const std::string& section, const std::string& entry, int defaultValue);
  // Size first, then text; any failure → defaultValue.
  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue);
  // REG_DWORD, 4 bytes. Failures are not reported beyond the result.
  bool WriteProfileInt(const std::string& section, const std::string& entry, int value);
  // REG_SZ, length + 1 bytes.
  bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);

 private:
  friend int RunApp(App& app, int argc, char** argv);
  std::vector<std::string> arguments;
  std::string name;
  std::string registryKey;
};

// The program's application object (null before one exists).
App* TheApp();

// The whole program: brings up the backend chosen by the environment, calls
// Initialize, runs the message loop when asked, then ExitInstance; returns
// the exit status for main(). SIGTERM and SIGINT post a close request to the
// main window (or end a modal dialog as Cancel) so the program ends in order.
int RunApp(App& app, int argc, char** argv);

// The message loop: delivers posted and input messages, and WM_PAINT to a
// window with an invalid region whenever nothing else waits. Returns the
// WM_QUIT exit code.
int RunMessageLoop();

// Handles every message waiting now (input included, paints included), then
// returns. False when WM_QUIT was met (it stays queued for the outer loop).
// This is how a frame loop that runs inside a handler keeps input flowing.
bool PumpPendingMessages();

}  // namespace platform
