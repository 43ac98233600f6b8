// run_mode.h — how halcyon reads its command line: only the first argument,
// one letter after an optional '/' or '-'.
#pragma once

#include <string>
#include <vector>

namespace halcyon {

enum class RunMode { Configure, Preview, Run, None };

// True when the argument's letter (after at most one '/' or '-') is letter or
// its upper-case form; what follows the letter is ignored.
bool MatchSwitch(const std::string& argument, char letter);

// The mode for the arguments after the program name, tested in the order:
// no argument, c, p, s; anything else is None.
RunMode ModeFromArguments(const std::vector<std::string>& arguments);

}  // namespace halcyon
