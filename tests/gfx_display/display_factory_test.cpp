// Tests for the display factory (GLIDE_DISPLAY through the desktop session's
// rule) and for GLIDE_NO_BOARD.
#include <gtest/gtest.h>

#include "display.h"
#include "headless_display.h"
#include "scoped_env.h"

namespace gfx {
namespace {

TEST(DisplayFromEnvironment, HeadlessWhenAskedAndWithoutAVideoDevice) {
  {
    test_support::ScopedEnv display("GLIDE_DISPLAY", "headless");
    auto created = CreateDisplayFromEnvironment();
    EXPECT_NE(dynamic_cast<HeadlessDisplay*>(created.get()), nullptr);
  }
#if !defined(_WIN32)  // SDL's video driver choice; Windows draws with its own
  // The dummy driver shows nothing to anyone: the default falls back to headless.
  test_support::ScopedEnv driver("SDL_VIDEODRIVER", "dummy");
  test_support::ScopedEnv display("GLIDE_DISPLAY", nullptr);
  auto created = CreateDisplayFromEnvironment();
  EXPECT_NE(dynamic_cast<HeadlessDisplay*>(created.get()), nullptr);
#endif
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
