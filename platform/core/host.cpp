// host.cpp — what the platform knows about the run: the one rule that picks
// the backend, hosting in another program's window, the settings folder, the
// program's path and name, the command line, and the fixed seed.
#include "platform/host.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "core/os.h"
#include "desktop/display_kind.h"
#include "desktop/x11_window.h"

namespace platform {

namespace {

std::optional<uint64_t> ParseUnsigned(const std::string& text, uint64_t max) {
  if (text.empty()) return std::nullopt;
  int base = 10;
  size_t start = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    start = 2;
  }
  uint64_t value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > max) return std::nullopt;
  }
  return value;
}

// Switches an XScreenSaver-style host may put on a hack's command line that
// mean nothing here, taken out so that the program sees its own arguments.
bool IsHostFlag(const std::string& argument) {
  static const char* const kFlags[] = {"window", "mono", "install", "noinstall", "fps", "no-fps", "pair"};
  std::string name = argument;
  if (name.rfind("--", 0) == 0) {
    name.erase(0, 2);
  } else if (name.rfind("-", 0) == 0) {
    name.erase(0, 1);
  } else {
    return false;
  }
  for (const char* flag : kFlags)
    if (name == flag) return true;
  return false;
}

}  // namespace

Core& TheCore() {
  static Core core = [] {
    Core fresh;
    fresh.cursor = ArrowCursor();
    // The dialog class, with the arrow as its cursor.
    fresh.classes["#32770"] = WindowClass{"#32770", 0, ArrowCursor()};
    return fresh;
  }();
  return core;
}

Backend CurrentBackend() {
  // The desktop session's rule decides whether there will be a screen; the
  // platform follows it, as the Glide library does, so that windows, input
  // and the picture agree.
  static const Backend backend = [] {
    desktop::PrepareSdl();
    if (desktop::ChosenDisplay() == desktop::DisplayKind::Headless) return Backend::Headless;
    std::string why;
    if (desktop::StartVisibleVideo(&why)) return Backend::Sdl;
    std::fprintf(stderr, "platform: no display (%s); running headless\n", why.c_str());
    return Backend::Headless;
  }();
  return backend;
}

Driver& TheDriver() {
  Core& core = TheCore();
  if (!core.driver)
    core.driver = CurrentBackend() == Backend::Sdl ? CreateDesktopDriver() : CreateHeadlessDriver();
  return *core.driver;
}

bool IsHosted() {
  // Only a desktop run can draw into the host's window; a headless run draws nowhere.
  return TheCore().hostedWindow.has_value() && TheDriver().Kind() == Backend::Sdl;
}

std::optional<uint32_t> SeedOverride() {
  const char* text = std::getenv("SAVER_SEED");
  if (text == nullptr || *text == 0) return std::nullopt;
  auto value = ParseUnsigned(text, UINT32_MAX);
  if (!value) {
    std::fprintf(stderr, "SAVER_SEED: \"%s\" is not a number from 0 to 4294967295; ignored\n", text);
    return std::nullopt;
  }
  return static_cast<uint32_t>(*value);
}

std::filesystem::path SettingsFolder() {
  if (const char* home = std::getenv("SAVER_HOME"); home != nullptr && *home != 0) return home;
  return os::DefaultSettingsFolder();
}

std::filesystem::path ProgramPath() {
  static const std::filesystem::path path = [] {
    auto exe = os::ExecutablePath();
    if (!exe.empty()) return exe;
    return std::filesystem::path(TheCore().programName);
  }();
  return path;
}

std::optional<uint32_t> RootWindowId() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == 0) return std::nullopt;
  return desktop::RootWindowId();
}

std::vector<std::filesystem::path> DataFolders(const std::filesystem::path& installedFromProgram) {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  const std::filesystem::path program = ProgramPath().parent_path();
  std::filesystem::path installed = (program / installedFromProgram).lexically_normal();
  if (!installed.has_filename() && installed.has_relative_path()) installed = installed.parent_path();
  std::vector<std::filesystem::path> folders;
  for (const auto& folder : {current, program, installed}) {
    if (folder.empty()) continue;
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  }
  return folders;
}

ParsedArguments ParseArguments(const std::vector<std::string>& arguments, const char* xscreensaverWindow,
                               const std::function<std::optional<uint32_t>()>& rootWindow) {
  ParsedArguments parsed;
  bool root = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-window-id" || argument == "--window-id") {
      if (i + 1 >= arguments.size()) {
        parsed.error = argument + " needs a window id";
        continue;
      }
      const std::string& id = arguments[++i];
      if (auto value = ParseUnsigned(id, UINT32_MAX); value && *value != 0) {
        parsed.hostedWindow = static_cast<uint32_t>(*value);
      } else {
        parsed.error = argument + ": \"" + id + "\" is not a window id";
      }
      continue;
    }
    if (argument == "-root" || argument == "--root") {
      root = true;
      continue;
    }
    if (argument == "-visual" || argument == "--visual") {
      // The host chose the visual of the window it hands over; its name is dropped.
      if (i + 1 >= arguments.size())
        parsed.error = argument + " needs a visual";
      else
        ++i;
      continue;
    }
    if (argument == "-glide-scale" || argument == "--glide-scale") {
      // The library checks the value (and says what it does with a bad one).
      if (i + 1 >= arguments.size())
        parsed.error = argument + " needs 1, 2, 3, 4 or native";
      else
        parsed.glideScale = arguments[++i];
      continue;
    }
    if (argument == "-glide-color" || argument == "--glide-color") {
      if (i + 1 >= arguments.size())
        parsed.error = argument + " needs 16 or 32";
      else
        parsed.glideColour = arguments[++i];
      continue;
    }
    if (IsHostFlag(argument)) continue;
    parsed.arguments.push_back(argument);
  }
  if (!parsed.hostedWindow && xscreensaverWindow != nullptr && *xscreensaverWindow != 0) {
    // XScreenSaver writes the id in hex ("0x1a00003"), older versions in decimal.
    if (auto value = ParseUnsigned(xscreensaverWindow, UINT32_MAX); value && *value != 0)
      parsed.hostedWindow = static_cast<uint32_t>(*value);
    else
      parsed.error = std::string("XSCREENSAVER_WINDOW: \"") + xscreensaverWindow + "\" is not a window id";
  }
  // -root draws into the root window unless the host named a window of its own.
  if (root && !parsed.hostedWindow && rootWindow) parsed.hostedWindow = rootWindow();
  return parsed;
}

std::string QuoteCommandLineField(std::string_view field) {
  auto plain = [](char c) { return static_cast<unsigned char>(c) > 32 && c != '"'; };
  if (!field.empty() && std::all_of(field.begin(), field.end(), plain)) return std::string(field);
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = QuoteCommandLineField(program);
  for (const auto& argument : arguments) {
    line += ' ';
    line += QuoteCommandLineField(argument);
  }
  return line;
}

std::string ReadCommandLineField(std::string_view line, size_t& at) {
  std::string field;
  if (at < line.size() && line[at] == '"') {
    for (++at; at < line.size(); ++at) {
      if (line[at] == '"') {
        ++at;
        break;
      }
      if (line[at] == '\\' && at + 1 < line.size()) ++at;
      field += line[at];
    }
    return field;
  }
  while (at < line.size() && static_cast<unsigned char>(line[at]) > 32) field += line[at++];
  return field;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> fields;
  size_t at = 0;
  for (;;) {
    while (at < line.size() && static_cast<unsigned char>(line[at]) <= 32) ++at;
    if (at >= line.size()) return fields;
    fields.push_back(ReadCommandLineField(line, at));
  }
}

std::string ApplicationNameFromPath(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace platform

const char* GetCommandLineA() {
  return platform::TheCore().commandLine.c_str();
}

DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size) {
  (void)module;
  if (buffer == nullptr || size == 0) return 0;
  std::string path = platform::ProgramPath().string();
  if (path.size() >= size) {
    // Cut to fit and terminated, as Win32 does; the result is the buffer size.
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = 0;
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
