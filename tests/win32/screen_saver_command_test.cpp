// The screen-saver switches Windows gives a .scr program, read before the
// program's own rules: what reaches the program, and the preview, owner and
// end-at-once answers.
#include <gtest/gtest.h>

#include "param_name.h"
#include "win32/win32_backend.h"

namespace platform::win32 {
namespace {

struct Case {
  std::vector<std::string> given;
  std::vector<std::string> arguments;  // what the program then sees
  std::optional<uintptr_t> previewParent;
  std::optional<uintptr_t> dialogOwner;
  bool endAtOnce;
  bool error;
};

std::string Name(const Case& c) {
  std::string text;
  for (const std::string& argument : c.given) text += argument + " ";
  return text.empty() ? "no_arguments" : text;
}

class ScreenSaverCommandTest : public ::testing::TestWithParam<Case> {};

TEST_P(ScreenSaverCommandTest, Parses) {
  const Case& c = GetParam();
  const ScreenSaverCommand command = ParseScreenSaverCommand(c.given);
  EXPECT_EQ(command.arguments, c.arguments);
  EXPECT_EQ(command.previewParent, c.previewParent);
  EXPECT_EQ(command.dialogOwner, c.dialogOwner);
  EXPECT_EQ(command.endAtOnce, c.endAtOnce);
  EXPECT_EQ(!command.error.empty(), c.error);
}

const Case kCases[] = {
    // The preview: the saver runs (as /s) inside the given window.
    {{"/p", "1234"}, {"/s"}, 1234, std::nullopt, false, false},
    {{"/P", "0x4d2"}, {"/s"}, 1234, std::nullopt, false, false},
    {{"-p:66"}, {"/s"}, 66, std::nullopt, false, false},
    // A preview without a window to draw into ends at once, and says why.
    {{"/p"}, {"/p"}, std::nullopt, std::nullopt, true, true},
    {{"/p", "window"}, {"/p", "window"}, std::nullopt, std::nullopt, true, true},
    {{"/p", "0"}, {"/p", "0"}, std::nullopt, std::nullopt, true, true},
    // A handle beyond 32 bits is no window.
    {{"/p", "4294967296"}, {"/p", "4294967296"}, std::nullopt, std::nullopt, true, true},
    // The configuration dialog, owned by the given window.
    {{"/c:5678"}, {"/c"}, std::nullopt, 5678, false, false},
    {{"/C", "5678"}, {"/c"}, std::nullopt, 5678, false, false},
    {{"/c:0"}, {"/c"}, std::nullopt, std::nullopt, false, false},
    {{"/c:owner"}, {"/c"}, std::nullopt, std::nullopt, false, true},
    // Plain /c, and /c with words after it, are the program's own to read.
    {{"/c"}, {"/c"}, std::nullopt, std::nullopt, false, false},
    {{"-C", "now"}, {"-C", "now"}, std::nullopt, std::nullopt, false, false},
    // The password change of old Windows is ignored: the program ends.
    {{"/a"}, {"/a"}, std::nullopt, std::nullopt, true, false},
    {{"/A", "99"}, {"/A", "99"}, std::nullopt, std::nullopt, true, false},
    // Everything else passes unchanged.
    {{"/s"}, {"/s"}, std::nullopt, std::nullopt, false, false},
    {{"scr"}, {"scr"}, std::nullopt, std::nullopt, false, false},
    {{"/pause"}, {"/pause"}, std::nullopt, std::nullopt, false, false},
    {{}, {}, std::nullopt, std::nullopt, false, false},
};

INSTANTIATE_TEST_SUITE_P(Switches, ScreenSaverCommandTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return test_support::TestName(Name(info.param), info.index);
                         });

}  // namespace
}  // namespace platform::win32
