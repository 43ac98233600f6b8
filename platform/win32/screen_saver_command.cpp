// screen_saver_command.cpp — Windows' screen-saver switches (/p, /c:, /a).
// Portable: the unit tests run it on every system.
#include <cctype>
#include <cstdlib>

#include "win32/win32_backend.h"

namespace platform::win32 {

namespace {

// The letter of a "/x" or "-x" switch, possibly followed by ":..." ('\0' otherwise).
char SwitchLetter(const std::string& argument, std::string* attached) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return 0;
  if (argument.size() > 2 && argument[2] != ':') return 0;
  if (attached != nullptr) *attached = argument.size() > 3 ? argument.substr(3) : "";
  return static_cast<char>(std::tolower(static_cast<unsigned char>(argument[1])));
}

// A window handle as Windows writes it on the command line: decimal (or 0x hex).
std::optional<uintptr_t> ParseWindow(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t start = hex ? 2 : 0;
  uint64_t value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const int c = static_cast<unsigned char>(text[i]);
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && std::isxdigit(c)) {
      digit = std::tolower(c) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    // Window handles keep to 32 bits, even for a 64-bit program.
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  return static_cast<uintptr_t>(value);
}

ScreenSaverCommand& Current() {
  static ScreenSaverCommand command;
  return command;
}

}  // namespace

ScreenSaverCommand ParseScreenSaverCommand(const std::vector<std::string>& arguments) {
  ScreenSaverCommand command;
  command.arguments = arguments;
  if (arguments.empty()) return command;
  std::string attached;
  const char letter = SwitchLetter(arguments[0], &attached);
  // The window comes attached ("/c:1234") or as the next argument ("/p 1234").
  auto window = [&]() -> std::optional<uintptr_t> {
    if (!attached.empty()) return ParseWindow(attached);
    if (arguments.size() > 1) return ParseWindow(arguments[1]);
    return std::nullopt;
  };
  switch (letter) {
    case 'p': {
      auto parent = window();
      if (!parent || *parent == 0) {
        command.error = "/p: no preview window given (\"/p <window handle>\"); nothing to draw into";
        command.endAtOnce = true;
        return command;
      }
      command.previewParent = parent;
      command.arguments = {"/s"};
      return command;
    }
    case 'c': {
      if (attached.empty() && arguments.size() < 2) return command;
      auto owner = window();
      if (!owner) {
        if (!attached.empty()) command.error = "/c: \"" + attached + "\" is not a window handle; ignored";
        if (attached.empty()) return command;  // "/c something": the program's own rule decides
      }
      if (owner && *owner != 0) command.dialogOwner = owner;
      command.arguments = {"/c"};
      return command;
    }
    case 'a':
      command.endAtOnce = true;
      return command;
    default:
      return command;
  }
}

void SetScreenSaverCommand(const ScreenSaverCommand& command) {
  Current() = command;
}

const ScreenSaverCommand& CurrentScreenSaverCommand() {
  return Current();
}

}  // namespace platform::win32
