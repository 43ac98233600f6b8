// run_mode.cpp — the run-mode switch of halcyon's command line.
#include "halcyon/app/run_mode.h"

namespace halcyon {

bool MatchSwitch(const std::string& argument, char letter) {
  size_t at = 0;
  if (at < argument.size() && (argument[at] == '/' || argument[at] == '-')) ++at;
  if (at >= argument.size()) return false;
  const int c = static_cast<unsigned char>(argument[at]);
  return c == letter || c + 32 == letter;
}

RunMode ModeFromArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return RunMode::Configure;
  const std::string& first = arguments[0];
  if (MatchSwitch(first, 'c')) return RunMode::Configure;
  if (MatchSwitch(first, 'p')) return RunMode::Preview;
  if (MatchSwitch(first, 's')) return RunMode::Run;
  return RunMode::None;
}

}  // namespace halcyon
