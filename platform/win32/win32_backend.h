// win32_backend.h — the Windows backend's parts that the platform's core
// calls besides its driver (CreateDesktopDriver, core.h): the settings
// file's folder, and the screen-saver command line Windows gives a .scr
// program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

namespace win32 {

// Where the settings file lives (see win32_stores.cpp) and a file's full path there.
std::filesystem::path SettingsFileFolder();
std::filesystem::path SettingsFilePath(const char* fileName);

// What Windows' screen-saver switches ask of the program, taken out before
// the program's own rules look at its arguments:
//   /p HWND, /p:HWND  the preview: the saver runs (its arguments become /s)
//                     inside a child window of HWND;
//   /c:HWND, /c HWND  the configuration dialog (arguments /c), owned by HWND;
//   /a [HWND]         the password change of old Windows: ignored, the
//                     program ends at once.
// Other arguments pass unchanged. Switch letters match in either case, with
// '/' or '-'.
struct ScreenSaverCommand {
  std::vector<std::string> arguments;
  std::optional<uintptr_t> previewParent;
  std::optional<uintptr_t> dialogOwner;
  bool endAtOnce = false;
  std::string error;  // a switch whose window is not a number
};
ScreenSaverCommand ParseScreenSaverCommand(const std::vector<std::string>& arguments);

// The command of this run (set by RunApp before the program starts).
void SetScreenSaverCommand(const ScreenSaverCommand& command);
const ScreenSaverCommand& CurrentScreenSaverCommand();

}  // namespace win32
}  // namespace platform
