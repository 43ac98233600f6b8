// script.cpp — parsing and holding the scripted dialog input.
#include "script.h"

#include <cctype>
#include <cstdlib>

namespace platform::dialog {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<ScriptAction> ParseScript(const std::string& script) {
  std::vector<ScriptAction> actions;
  std::string current;
  auto finish = [&] {
    size_t start = current.find_first_not_of(" \t\r\n");
    if (start != std::string::npos) {
      const std::string text = current.substr(start);
      const size_t blank = text.find(' ');
      ScriptAction action;
      action.verb = text.substr(0, blank);
      while (!action.verb.empty() && std::isspace(static_cast<unsigned char>(action.verb.back()))) {
        action.verb.pop_back();
      }
      action.verb = Lower(action.verb);
      if (blank != std::string::npos) action.argument = text.substr(blank + 1);
      if (!action.verb.empty()) actions.push_back(action);
    }
    current.clear();
  };
  for (size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (c == '\\' && i + 1 < script.size() && (script[i + 1] == ';' || script[i + 1] == '\\')) {
      current += script[++i];
    } else if (c == ';' || c == '\n') {
      finish();
    } else {
      current += c;
    }
  }
  finish();
  return actions;
}

Script& Script::Instance() {
  static Script script;
  return script;
}

void Script::LoadFromEnvironment() {
  if (loaded) return;
  loaded = true;
  if (const char* text = std::getenv("SAVER_DIALOG_SCRIPT"); text != nullptr && *text != '\0') {
    Set(text);
  }
}

bool Script::Active() {
  LoadFromEnvironment();
  return active;
}

std::optional<ScriptAction> Script::Next() {
  LoadFromEnvironment();
  if (actions.empty()) return std::nullopt;
  ScriptAction action = actions.front();
  actions.pop_front();
  return action;
}

void Script::Set(const std::string& script) {
  loaded = true;
  active = true;
  const std::vector<ScriptAction> parsed = ParseScript(script);
  actions.assign(parsed.begin(), parsed.end());
}

void Script::Clear() {
  loaded = true;
  active = false;
  actions.clear();
}

}  // namespace platform::dialog
