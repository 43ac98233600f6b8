// script.h — scripted dialog input: the actions of SAVER_DIALOG_SCRIPT (or
// of SetDialogScript) that dialogs take one after another instead of a user.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform::dialog {

struct ScriptAction {
  std::string verb;      // lower case: "type", "ok", "toggle"...
  std::string argument;  // the rest of the action after one blank, as written
};

// text with its ASCII letters in lower case: verbs, key and button names are
// matched without regard to case.
std::string Lower(std::string text);

// Splits "verb argument;verb;..." into actions. A ';' or '\' inside an
// argument is written "\;" or "\\". Blanks before a verb are skipped; empty
// actions are dropped.
std::vector<ScriptAction> ParseScript(const std::string& script);

// The program's script, taken from the environment at first use.
class Script {
 public:
  static Script& Instance();
  bool Active();
  std::optional<ScriptAction> Next();
  void Set(const std::string& script);
  void Clear();

 private:
  void LoadFromEnvironment();
  bool loaded = false;
  bool active = false;
  std::deque<ScriptAction> actions;
};

}  // namespace platform::dialog
