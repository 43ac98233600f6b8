// app.cpp — the application object and the whole program run: arguments and
// hosting, the backend, Initialize, the message loop, ExitInstance; and the
// registry-backed profile calls of the application object.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "core/os.h"
#ifdef _WIN32
#include "win32/win32_backend.h"
#endif

namespace platform {

namespace {

App* theApp = nullptr;

}  // namespace

App* TheApp() {
  return theApp;
}

App::App() {
  theApp = this;
  name = ApplicationNameFromPath(ProgramPath().string());
}

App::~App() {
  if (theApp == this) theApp = nullptr;
}

bool App::Initialize() {
  return false;
}

int App::ExitInstance() {
  return 0;
}

void App::SetRegistryKey(const std::string& key) {
  registryKey = key;
}

namespace {

// Opens (creating what is missing) Software\<key>\<name>\<section>.
HKEY OpenSection(const std::string& registryKey, const std::string& appName, const std::string& section) {
  if (registryKey.empty()) return nullptr;
  std::string path = "Software\\" + registryKey + "\\" + appName + "\\" + section;
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

UINT App::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) {
  HKEY key = OpenSection(registryKey, name, section);
  if (key == nullptr) return static_cast<UINT>(defaultValue);
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  LSTATUS status =
      RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? value : static_cast<UINT>(defaultValue);
}

std::string App::GetProfileString(const std::string& section, const std::string& entry,
                                  const std::string& defaultValue) {
  HKEY key = OpenSection(registryKey, name, section);
  if (key == nullptr) return defaultValue;
  DWORD type = 0;
  DWORD size = 0;
  std::string result = defaultValue;
  if (RegQueryValueExA(key, entry.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    if (RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
        ERROR_SUCCESS) {
      data.resize(size);
      result = data.substr(0, data.find('\0'));
    }
  }
  RegCloseKey(key);
  return result;
}

bool App::WriteProfileInt(const std::string& section, const std::string& entry, int value) {
  HKEY key = OpenSection(registryKey, name, section);
  if (key == nullptr) return false;
  DWORD data = static_cast<DWORD>(value);
  LSTATUS status =
      RegSetValueExA(key, entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool App::WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) {
  HKEY key = OpenSection(registryKey, name, section);
  if (key == nullptr) return false;
  LSTATUS status = RegSetValueExA(key, entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

int RunApp(App& app, int argc, char** argv) {
  Core& core = TheCore();
  std::vector<std::string> given;
  for (int i = 1; i < argc; ++i) given.emplace_back(argv[i] != nullptr ? argv[i] : "");
  ParsedArguments parsed = ParseArguments(given, std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.error.empty()) std::fprintf(stderr, "%s\n", parsed.error.c_str());
#ifdef _WIN32
  // Windows' screen-saver switches (/p HWND, /c:HWND, /a) are answered
  // before the program's own rules read what is left.
  win32::ScreenSaverCommand saver = win32::ParseScreenSaverCommand(parsed.arguments);
  if (!saver.error.empty()) std::fprintf(stderr, "%s\n", saver.error.c_str());
  win32::SetScreenSaverCommand(saver);
  if (saver.endAtOnce) return 0;
  parsed.arguments = saver.arguments;
  if (saver.previewParent) parsed.hostedWindow = static_cast<uint32_t>(*saver.previewParent);
#endif
  // The command line's choice of the Glide library's internal scale and
  // colour depth wins over the environment's.
  if (!parsed.glideScale.empty()) os::SetEnvironment("GLIDE_SCALE", parsed.glideScale);
  if (!parsed.glideColour.empty()) os::SetEnvironment("GLIDE_COLOR", parsed.glideColour);
  core.programName = argc > 0 && argv[0] != nullptr ? argv[0] : "program";
  core.arguments = parsed.arguments;
  core.hostedWindow = parsed.hostedWindow;
  core.commandLine = BuildCommandLine(core.programName, core.arguments);
  app.arguments = core.arguments;

  InstallSignalHandlers();
  StartRun();

  int status = 0;
  if (app.Initialize()) status = RunMessageLoop();
  int exitStatus = app.ExitInstance();
  (void)status;
  // Windows still standing (a main window the program never closed) go now,
  // in order, before the program's globals are taken down.
  std::vector<HWND> left;
  for (auto& [handle, record] : core.windows)
    if (record.parent == 0) left.push_back(handle);
  for (HWND handle : left) DestroyWindow(handle);
  return exitStatus;
}

}  // namespace platform
