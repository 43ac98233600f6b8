// script.h — scripted input for headless runs: "FRAME:EVENT;FRAME:EVENT…",
// each event delivered once FRAME frames have been shown, for example
//   300:mousemove 12 40;450:key;500:key escape;600:syskey f4;700:lbutton;
//   800:deactivate;900:syscommand screensave;950:syscommand close;999:close
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

enum class ScriptAction { MouseMove, Button, Key, SysKey, Deactivate, SysCommand, Close };

struct ScriptEvent {
  uint64_t frame = 0;
  ScriptAction action = ScriptAction::Close;
  int x = 0, y = 0;    // MouseMove: screen position
  int button = 0;      // Button: 0 left, 1 middle, 2 right
  WPARAM vk = 0;       // Key, SysKey: the virtual-key code
  char text = 0;       // Key: the character typed (0 for none)
  WPARAM command = 0;  // SysCommand: SC_SCREENSAVE or SC_CLOSE
};

struct Script {
  std::vector<ScriptEvent> events;  // in script order (which is delivery order within a frame)
  std::vector<std::string> errors;  // one line per entry skipped
};

Script ParseScript(const std::string& text);

}  // namespace platform
