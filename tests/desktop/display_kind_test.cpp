// Tests for the one rule that says whether a run has a screen.
#include "desktop/display_kind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "scoped_env.h"

namespace desktop {
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
                                           ChoiceCase{"headless ", true, DisplayKind::FullScreen, true}),
                         [](const ::testing::TestParamInfo<ChoiceCase>& info) {
                           std::string name = info.param.requested == nullptr ? "unset"
                                              : *info.param.requested == 0    ? "empty"
                                                                              : info.param.requested;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name + (info.param.videoAvailable ? "_WithVideo" : "_WithoutVideo");
                         });

TEST(ChosenDisplay, HeadlessWithoutAVideoDevice) {
  // The dummy driver shows nothing to anyone: the default falls back to headless.
  test_support::ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
  test_support::ScopedEnv display("GLIDE_DISPLAY", nullptr);
  EXPECT_FALSE(VideoDeviceAvailable());
  EXPECT_EQ(ChosenDisplay(), DisplayKind::Headless);
  std::string why;
  EXPECT_FALSE(StartVisibleVideo(&why));
  EXPECT_NE(why.find("dummy"), std::string::npos) << why;
}

TEST(ChosenDisplay, UnknownValueIsExplainedOnceThenTheDefaultIsUsed) {
  test_support::ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
  test_support::ScopedEnv display("GLIDE_DISPLAY", "telly");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ChosenDisplay(), DisplayKind::Headless);
  EXPECT_EQ(ChosenDisplay(), DisplayKind::Headless);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("telly"), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

}  // namespace
}  // namespace desktop
