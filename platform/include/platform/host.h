// host.h — what the platform layer knows about the machine and the run that
// the programs and the dialog manager may ask: which backend runs, where
// settings live, the fixed seed, hooks for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32.h"

struct SDL_Window;

namespace platform {

class Window;

enum class Backend { Sdl, Headless };
// Chosen once, at the first call, by the Glide library's display rule
// (desktop::ChosenDisplay): SDL when a video device can be opened and
// GLIDE_DISPLAY is not "headless"; headless otherwise.
Backend CurrentBackend();
// True when drawing into another program's window (XSCREENSAVER_WINDOW or
// -window-id / --window-id among the arguments, on the SDL backend): input
// does not end the saver. Set by RunApp.
bool IsHosted();

// The SDL window behind a window handle (null headless or for an unknown handle).
SDL_Window* SdlWindowOf(HWND hwnd);
Window* WindowFromHandle(HWND hwnd);

// SAVER_SEED, when set: the programs seed their random generator with it.
std::optional<uint32_t> SeedOverride();

// $SAVER_HOME, else $XDG_CONFIG_HOME/savers, else ~/.config/savers. Created on first write.
std::filesystem::path SettingsFolder();
// The running program's full path, and the folder it lies in.
std::filesystem::path ProgramPath();

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
