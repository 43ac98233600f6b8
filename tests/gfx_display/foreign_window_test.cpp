// Tests for drawing into another program's X11 window, as under XScreenSaver:
// software rendering, and the picture following the window when it is resized
// behind SDL's back. Runs only where SDL's X11 driver is in use.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/hooks.h"
#include "desktop/presenter.h"
#include "sdl_display.h"
#include "x11_test_window.h"

namespace gfx {
namespace {

class ForeignWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video";
    videoStarted_ = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) GTEST_SKIP() << "not on X11";
    if (!xWindow_.Create(400, 300)) GTEST_SKIP() << "no X display";
    window_ = SDL_CreateWindowFrom(xWindow_.Handle());
    ASSERT_NE(window_, nullptr) << SDL_GetError();
  }
  void TearDown() override {
    desktop::SetWindowResolver(nullptr);
    if (window_ != nullptr) {
      desktop::ReleasePresenter(window_);
      SDL_DestroyWindow(window_);
    }
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool videoStarted_ = false;
  testing::X11TestWindow xWindow_;
  SDL_Window* window_ = nullptr;
};

TEST_F(ForeignWindowTest, DrawsWithSoftwareAndFollowsTheWindowsSize) {
  desktop::SetWindowResolver([&](uint32_t) { return desktop::WindowTarget{window_, true}; });
  SdlDisplay display(true, std::nullopt);
  ASSERT_TRUE(display.Open({}));
  // Full screen is not forced on someone else's window.
  EXPECT_FALSE(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN);
  desktop::Presenter* presenter = desktop::PresenterFor(window_, true);
  ASSERT_NE(presenter, nullptr);
  EXPECT_TRUE(presenter->Software());

  const std::vector<uint16_t> white(640 * 480, 0xFFFF);
  display.Present(white.data(), 640, 480, 640, 0);
  int width = 0;
  int height = 0;
  presenter->OutputSize(&width, &height);
  EXPECT_EQ(width, 400);
  EXPECT_EQ(height, 300);

  xWindow_.Resize(800, 300);
  display.Present(white.data(), 640, 480, 640, 0);
  presenter->OutputSize(&width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 300);
  // 800×300 holds a 400×300 picture between 200-pixel bars.
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, 800);
  const auto* row = static_cast<const uint32_t*>(surface->pixels) + 150 * (surface->pitch / 4);
  EXPECT_EQ(row[199] & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(row[200] & 0xFFFFFF, 0xFEFEFEu);
  display.Close();
}

TEST_F(ForeignWindowTest, OutlivesTheOtherProgramDestroyingItsWindow) {
  desktop::SetWindowResolver([&](uint32_t) { return desktop::WindowTarget{window_, true}; });
  int shown = 0;
  desktop::SetSwapListener([&](uint64_t) { ++shown; });
  SdlDisplay display(false, std::nullopt);
  ASSERT_TRUE(display.Open({}));
  const std::vector<uint16_t> frame(640 * 480, 0x7BEF);
  display.Present(frame.data(), 640, 480, 640, 0);
  xWindow_.Destroy();
  // Xlib's default handler would end the process on the first request about the lost window.
  for (int i = 0; i < 3; ++i) display.Present(frame.data(), 640, 480, 640, 0);
  EXPECT_FALSE(desktop::DisplayDrawsInto(window_));
  display.Close();
  desktop::SetSwapListener(nullptr);
  EXPECT_EQ(shown, 4);
}

}  // namespace
}  // namespace gfx
