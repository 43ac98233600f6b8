// host.h — what the platform layer knows about the machine and the run that
// the programs and the dialog manager may ask: which backend runs, where
// settings live, the fixed seed, hooks for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

struct SDL_Window;

namespace platform {

class Window;

enum class Backend { Sdl, Headless };
// Chosen once, at the first call, by the Glide library's display rule
// (desktop::ChosenDisplay): SDL when a video device can be opened and
// GLIDE_DISPLAY is not "headless"; headless otherwise.
Backend CurrentBackend();
// True when drawing into another program's window (XSCREENSAVER_WINDOW,
// -window-id / --window-id among the arguments, or the root window for -root /
// --root, on the SDL backend): input does not end the saver. Set by RunApp.
bool IsHosted();
// The root window of $DISPLAY's default screen; none without an X display.
std::optional<uint32_t> RootWindowId();

// The SDL window behind a window handle (null headless or for an unknown handle).
SDL_Window* SdlWindowOf(HWND hwnd);
Window* WindowFromHandle(HWND hwnd);

// SAVER_SEED, when set: the programs seed their random generator with it.
std::optional<uint32_t> SeedOverride();

// $SAVER_HOME, else $XDG_CONFIG_HOME/savers, else ~/.config/savers. Created on first write.
std::filesystem::path SettingsFolder();
// The running program's full path (links resolved).
std::filesystem::path ProgramPath();
// Where a program looks for its data files, in order: the current folder, the
// program's own folder (the build tree), and the installed data folder, named
// relative to the program's folder (from libexec/xscreensaver to
// share/savers), so that a moved prefix still works.
std::vector<std::filesystem::path> DataFolders(const std::filesystem::path& installedFromProgram);
// That relative folder for the usual install folders; the savers' build passes
// the one its own install folders give.
#ifndef SAVERS_INSTALLED_DATA
#define SAVERS_INSTALLED_DATA "../../share/savers"
#endif

// The command line (GetCommandLineA): the program's path, then each
// argument, separated by one blank. One quoting rule serves the code that
// builds it and the code that reads it back:
// - a field that is not empty and holds no byte of code 32 (blank) or below
//   and no '"' stands as it is;
// - any other field is put in double quotes, with '"' and '\' inside written
//   as \" and \\ (every other byte, control bytes and non-ASCII included,
//   stands as it is).
// A reader skips bytes of code 32 or below between fields; a field that
// starts with '"' runs to the next '"' that no '\' escapes (or to the end),
// any other field to the next byte of code 32 or below.
std::string QuoteCommandLineField(std::string_view field);
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& arguments);
// The field that starts at line[at] (a byte above 32, or a '"'), unquoted;
// at moves past it.
std::string ReadCommandLineField(std::string_view line, size_t& at);
std::vector<std::string> SplitCommandLine(std::string_view line);

// Modal dialogs: the top of this stack is the active window that receives input.
void PushModal(Window* window);
void PopModal(Window* window);
// Pumps messages (paints included) until done() is true or WM_QUIT is met
// (then WM_QUIT stays queued). False when it stopped at WM_QUIT. With only
// set, the messages of every other window wait in the queue until the loop
// ends, and of the others only dialogs (class "#32770") are painted: a
// message box shown from a window's handler does not run that window's
// handlers again beneath it.
bool RunModalLoop(const std::function<bool()>& done, HWND only = 0);

// Tests: answer message boxes without showing them. The hook gets owner,
// text, caption and type and returns the button pressed. An empty hook restores the default.
using MessageBoxHook = std::function<int(HWND, const std::string&, const std::string&, UINT)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
