// Tests for the display choice from GLIDE_DISPLAY and for GLIDE_NO_BOARD.
#include "display_choice.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "display.h"
#include "headless_display.h"
#include "scoped_env.h"

namespace gfx {
namespace {

struct ChoiceCase {
  const char* requested;
  bool videoAvailable;
  DisplayKind expected;
  bool warns;
};

class DisplayChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DisplayChoiceTest, FollowsTheRequestOrTheMachine) {
  const ChoiceCase& c = GetParam();
  std::string warning;
  EXPECT_EQ(ChooseDisplayKind(c.requested, c.videoAvailable, &warning), c.expected);
  EXPECT_EQ(!warning.empty(), c.warns) << warning;
  if (c.warns) {
    EXPECT_NE(warning.find(c.requested), std::string::npos) << warning;
  }
}

INSTANTIATE_TEST_SUITE_P(Requests, DisplayChoiceTest,
                         ::testing::Values(ChoiceCase{nullptr, true, DisplayKind::FullScreen, false},
                                           ChoiceCase{nullptr, false, DisplayKind::Headless, false},
                                           ChoiceCase{"", true, DisplayKind::FullScreen, false},
                                           ChoiceCase{"fullscreen", false, DisplayKind::FullScreen, false},
                                           ChoiceCase{"window", true, DisplayKind::Window, false},
                                           ChoiceCase{"headless", true, DisplayKind::Headless, false},
                                           ChoiceCase{"Window", true, DisplayKind::FullScreen, true},
                                           ChoiceCase{"tv", false, DisplayKind::Headless, true},
                                           ChoiceCase{"headless ", true, DisplayKind::FullScreen, true}));

TEST(DisplayFromEnvironment, HeadlessWhenAskedAndWithoutAVideoDevice) {
  {
    test_support::ScopedEnv display("GLIDE_DISPLAY", "headless");
    auto created = CreateDisplayFromEnvironment();
    EXPECT_NE(dynamic_cast<HeadlessDisplay*>(created.get()), nullptr);
  }
  // The dummy driver shows nothing to anyone: the default falls back to headless.
  test_support::ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
  test_support::ScopedEnv display("GLIDE_DISPLAY", nullptr);
  EXPECT_FALSE(VideoDeviceAvailable());
  EXPECT_EQ(DisplayKindFromEnvironment(), DisplayKind::Headless);
  auto created = CreateDisplayFromEnvironment();
  EXPECT_NE(dynamic_cast<HeadlessDisplay*>(created.get()), nullptr);
}

TEST(DisplayFromEnvironment, UnknownValueIsExplainedOnceThenTheDefaultIsUsed) {
  test_support::ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
  test_support::ScopedEnv display("GLIDE_DISPLAY", "telly");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(host::ChosenDisplay(), DisplayKind::Headless);
  EXPECT_EQ(host::ChosenDisplay(), DisplayKind::Headless);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("telly"), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST(BoardPresent, OnlyGlideNoBoardOneHidesTheBoard) {
  const struct {
    const char* value;
    bool present;
  } cases[] = {{nullptr, true}, {"1", false}, {"0", true}, {"", true}, {"yes", true}};
  for (const auto& c : cases) {
    test_support::ScopedEnv noBoard("GLIDE_NO_BOARD", c.value);
    EXPECT_EQ(BoardPresent(), c.present) << (c.value ? c.value : "(unset)");
  }
}

}  // namespace
}  // namespace gfx
