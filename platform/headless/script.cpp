// script.cpp — reading SAVER_EVENTS. An entry that cannot be read is
// reported and skipped; the others still play.
#include "headless/script.h"

#include <cctype>
#include <climits>
#include <optional>
#include <sstream>

namespace platform {

namespace {

std::optional<long long> ParseInteger(const std::string& text, long long min, long long max) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (at == text.size()) return std::nullopt;
  long long value = 0;
  for (size_t i = at; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  if (text[0] == '-') value = -value;
  if (value < min || value > max) return std::nullopt;
  return value;
}

struct Key {
  WPARAM vk;
  char text;
};

std::optional<Key> KeyNamed(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0])))
    return Key{static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(name[0]))), name[0]};
  if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0])))
    return Key{static_cast<WPARAM>(name[0]), name[0]};
  static const struct {
    const char* name;
    WPARAM vk;
    char text;
  } named[] = {{"escape", VK_ESCAPE, 0},  {"esc", VK_ESCAPE, 0},    {"enter", VK_RETURN, 0},
               {"return", VK_RETURN, 0},  {"space", VK_SPACE, ' '}, {"tab", VK_TAB, 0},
               {"backspace", VK_BACK, 0}, {"left", VK_LEFT, 0},     {"right", VK_RIGHT, 0},
               {"up", VK_UP, 0},          {"down", VK_DOWN, 0},     {"delete", VK_DELETE, 0},
               {"home", VK_HOME, 0},      {"end", VK_END, 0}};
  for (const auto& entry : named)
    if (name == entry.name) return Key{entry.vk, entry.text};
  if (name.size() >= 2 && name[0] == 'f') {
    if (auto number = ParseInteger(name.substr(1), 1, 12))
      return Key{VK_F1 + static_cast<WPARAM>(*number - 1), 0};
  }
  return std::nullopt;
}

// One entry, "FRAME:EVENT ARGS"; an error text when it cannot be read.
std::string ParseEntry(const std::string& entry, ScriptEvent& event) {
  size_t colon = entry.find(':');
  if (colon == std::string::npos) return "no FRAME: in front";
  std::string frameText = entry.substr(0, colon);
  while (!frameText.empty() && std::isspace(static_cast<unsigned char>(frameText.back())))
    frameText.pop_back();
  while (!frameText.empty() && std::isspace(static_cast<unsigned char>(frameText.front())))
    frameText.erase(0, 1);
  auto frame = ParseInteger(frameText, 0, LLONG_MAX / 2);
  if (!frame || frameText[0] == '-' || frameText[0] == '+')
    return "\"" + frameText + "\" is not a frame number";
  event.frame = static_cast<uint64_t>(*frame);

  std::istringstream words(entry.substr(colon + 1));
  std::vector<std::string> args;
  for (std::string word; words >> word;) args.push_back(word);
  if (args.empty()) return "no event after the frame number";
  std::string name = args[0];
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto expect = [&](size_t count) { return args.size() == count + 1; };

  if (name == "mousemove") {
    if (!expect(2)) return "mousemove takes X and Y";
    auto x = ParseInteger(args[1], -32768, 32767), y = ParseInteger(args[2], -32768, 32767);
    if (!x || !y) return "mousemove takes two whole numbers from -32768 to 32767";
    event.action = ScriptAction::MouseMove;
    event.x = static_cast<int>(*x);
    event.y = static_cast<int>(*y);
  } else if (name == "lbutton" || name == "mbutton" || name == "rbutton") {
    if (!expect(0)) return name + " takes nothing";
    event.action = ScriptAction::Button;
    event.button = name[0] == 'l' ? 0 : name[0] == 'm' ? 1 : 2;
  } else if (name == "key" || name == "syskey") {
    if (args.size() > 2) return name + " takes at most a key name";
    auto key = args.size() == 2 ? KeyNamed(args[1]) : KeyNamed("a");
    if (!key) return "\"" + args[1] + "\" is not a key name";
    event.action = name == "key" ? ScriptAction::Key : ScriptAction::SysKey;
    event.vk = key->vk;
    event.text = name == "key" ? key->text : 0;
  } else if (name == "deactivate") {
    if (!expect(0)) return "deactivate takes nothing";
    event.action = ScriptAction::Deactivate;
  } else if (name == "syscommand") {
    if (!expect(1)) return "syscommand takes screensave or close";
    std::string command = args[1];
    for (char& c : command) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (command == "screensave") {
      event.command = SC_SCREENSAVE;
    } else if (command == "close") {
      event.command = SC_CLOSE;
    } else {
      return "syscommand takes screensave or close";
    }
    event.action = ScriptAction::SysCommand;
  } else if (name == "close") {
    if (!expect(0)) return "close takes nothing";
    event.action = ScriptAction::Close;
  } else {
    return "unknown event \"" + args[0] + "\"";
  }
  return "";
}

}  // namespace

Script ParseScript(const std::string& text) {
  Script script;
  std::string entry;
  auto finish = [&] {
    bool blank = true;
    for (char c : entry) blank = blank && std::isspace(static_cast<unsigned char>(c));
    if (!blank) {
      ScriptEvent event;
      std::string error = ParseEntry(entry, event);
      if (error.empty()) {
        script.events.push_back(event);
      } else {
        script.errors.push_back("\"" + entry + "\": " + error);
      }
    }
    entry.clear();
  };
  for (char c : text) {
    if (c == ';' || c == '\n') {
      finish();
    } else {
      entry += c;
    }
  }
  finish();
  return script;
}

}  // namespace platform
