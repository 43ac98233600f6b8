// Tests for the SDL window display and the presenter shared with the host.
// They need SDL video; CI's dummy driver is enough (it has windows and the
// window surfaces our own presenter draws into, and shows nothing).
#include "sdl_display.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "desktop/hooks.h"
#include "desktop/presenter.h"
#include "gamma.h"
#include "letterbox.h"
#include "scoped_env.h"

namespace gfx {
namespace {

class SdlDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
    videoStarted_ = true;
  }
  void TearDown() override {
    desktop::SetWindowResolver(nullptr);
    if (hostWindow_ != nullptr) {
      desktop::ReleasePresenter(hostWindow_);
      SDL_DestroyWindow(hostWindow_);
    }
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  SDL_Window* MakeHostWindow(int width, int height) {
    hostWindow_ = SDL_CreateWindow("host", 0, 0, width, height, SDL_WINDOW_HIDDEN);
    return hostWindow_;
  }
  // 640×480 frame: left half one colour, right half another.
  std::vector<uint16_t> TwoColourFrame(uint16_t left, uint16_t right) {
    std::vector<uint16_t> frame(640 * 480);
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) frame[y * 640 + x] = x < 320 ? left : right;
    }
    return frame;
  }
  // What the window's surface holds at (x, y), as 0xRRGGBB.
  uint32_t ReadPixel(SDL_Window* window, int x, int y) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    EXPECT_NE(surface, nullptr) << SDL_GetError();
    if (surface == nullptr) return 0xDEAD;
    Uint8 r = 0, g = 0, b = 0;
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    uint32_t raw = 0;
    std::memcpy(&raw, row + static_cast<size_t>(x) * surface->format->BytesPerPixel,
                surface->format->BytesPerPixel);
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
  }

  bool videoStarted_ = false;
  SDL_Window* hostWindow_ = nullptr;
};

TEST_F(SdlDisplayTest, DrawsIntoTheHostsWindowLetterboxedWithGamma) {
  SDL_Window* window = MakeHostWindow(800, 480);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  uint32_t askedFor = 0;
  desktop::SetWindowResolver([&](uint32_t handle) {
    askedFor = handle;
    return desktop::WindowTarget{window, false};
  });
  SdlDisplay display(false, std::nullopt);
  DisplayConfig config;
  config.windowHandle = 7;
  ASSERT_TRUE(display.Open(config));
  EXPECT_EQ(askedFor, 7u);
  EXPECT_EQ(display.Window(), window);
  EXPECT_TRUE(desktop::DisplayDrawsInto(window));
  desktop::Presenter* presenter = desktop::PresenterFor(window, false);
  ASSERT_NE(presenter, nullptr);
  ASSERT_TRUE(presenter->Software());  // no GPU behind the dummy driver

  display.SetGamma(1.7f);
  const auto frame = TwoColourFrame(0xFFFF, 0x8410);
  display.Present(frame.data(), 640, 480, 640, 0);
  // 800×480 holds 640×480 unscaled with 80-pixel bars at the sides.
  EXPECT_EQ(ReadPixel(window, 0, 240), 0x000000u);
  EXPECT_EQ(ReadPixel(window, 79, 240), 0x000000u);
  EXPECT_EQ(ReadPixel(window, 80, 0), 0xFEFEFEu);
  EXPECT_EQ(ReadPixel(window, 399, 479), 0xFEFEFEu);
  EXPECT_EQ(ReadPixel(window, 400, 0), 0xADABADu);
  EXPECT_EQ(ReadPixel(window, 719, 479), 0xADABADu);
  EXPECT_EQ(ReadPixel(window, 720, 0), 0x000000u);
  display.Close();
  EXPECT_FALSE(desktop::DisplayDrawsInto(window));
  // The host's window and presenter outlive the display.
  EXPECT_EQ(desktop::PresenterFor(window, false), presenter);
}

TEST_F(SdlDisplayTest, OpensItsOwnWindowWithoutAnAnswerFromTheHost) {
  const struct {
    bool withResolver;
    uint32_t handle;
  } cases[] = {{false, 0}, {false, 5}, {true, 0}, {true, 9}};
  for (const auto& c : cases) {
    if (c.withResolver) desktop::SetWindowResolver([](uint32_t) { return desktop::WindowTarget{}; });
    SdlDisplay display(false, std::nullopt);
    DisplayConfig config;
    config.windowHandle = c.handle;
    ASSERT_TRUE(display.Open(config)) << SDL_GetError();
    ASSERT_NE(display.Window(), nullptr);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(display.Window(), &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    const auto frame = TwoColourFrame(0x0000, 0xFFFF);
    display.Present(frame.data(), 640, 480, 640, 0);
    display.Close();
    EXPECT_EQ(display.Window(), nullptr);
    desktop::SetWindowResolver(nullptr);
  }
}

TEST_F(SdlDisplayTest, SharesOnePresenterPerWindowWithTheHost) {
  SDL_Window* window = MakeHostWindow(640, 480);
  ASSERT_NE(window, nullptr);
  desktop::Presenter* first = desktop::PresenterFor(window, true);
  ASSERT_NE(first, nullptr) << SDL_GetError();
  EXPECT_TRUE(first->Software());
  EXPECT_EQ(desktop::PresenterFor(window, false), first);
  EXPECT_EQ(desktop::PresenterFor(nullptr, false), nullptr);
  desktop::ReleasePresenter(window);
  desktop::ReleasePresenter(window);  // a second release does nothing
  desktop::Presenter* second = desktop::PresenterFor(window, true);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(desktop::PresenterFor(window, true), second);
}

TEST_F(SdlDisplayTest, StopsDrawingWhenTheHostReleasesItsWindow) {
  SDL_Window* window = MakeHostWindow(640, 480);
  ASSERT_NE(window, nullptr);
  desktop::SetWindowResolver([&](uint32_t) { return desktop::WindowTarget{window, false}; });
  int shown = 0;
  desktop::SetSwapListener([&](uint64_t) { ++shown; });
  SdlDisplay display(false, std::nullopt);
  ASSERT_TRUE(display.Open({}));
  const auto frame = TwoColourFrame(0x1234, 0x4321);
  display.Present(frame.data(), 640, 480, 640, 0);
  EXPECT_TRUE(desktop::DisplayDrawsInto(window));
  desktop::ReleasePresenter(window);
  EXPECT_FALSE(desktop::DisplayDrawsInto(window));
  SDL_DestroyWindow(window);
  hostWindow_ = nullptr;
  display.Present(frame.data(), 640, 480, 640, 0);  // frames still count, nothing drawn
  display.Close();
  desktop::SetSwapListener(nullptr);
  EXPECT_EQ(shown, 2);
}

TEST_F(SdlDisplayTest, StartsAndStopsVideoInStepWithTheHost) {
  ASSERT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  {
    SdlDisplay display(false, std::nullopt);
    ASSERT_TRUE(display.Open({}));
    display.Close();
  }
  // The display's own start of SDL video is undone; the test's remains.
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted_ = false;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  {
    SdlDisplay display(false, std::nullopt);
    ASSERT_TRUE(display.Open({}));
  }  // destroyed without Close: closes itself
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(SdlDisplayTest, HidesThePointerUntilClosed) {
  SDL_ShowCursor(SDL_ENABLE);
  SdlDisplay display(true, std::nullopt);
  ASSERT_TRUE(display.Open({}));
  EXPECT_TRUE(SDL_GetWindowFlags(display.Window()) & SDL_WINDOW_FULLSCREEN_DESKTOP);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  display.Close();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlDisplayTest, SwapIntervalNWaitsForNRetraces) {
  SdlDisplay display(false, std::nullopt);
  ASSERT_TRUE(display.Open({}));
  const auto frame = TwoColourFrame(0x0000, 0x0000);
  // Six retraces at 60 Hz either way after the first frame: 100 ms. The
  // clock starts before the first frame, whose own drawing may take long on
  // a busy machine; leave room for a coarse clock.
  for (const auto& [interval, frames] : {std::pair{1, 6}, std::pair{2, 3}}) {
    const uint64_t start = SDL_GetTicks64();
    display.Present(frame.data(), 640, 480, 640, interval);
    for (int i = 0; i < frames; ++i) display.Present(frame.data(), 640, 480, 640, interval);
    EXPECT_GE(SDL_GetTicks64() - start, 90u) << "interval " << interval;
  }
}

TEST_F(SdlDisplayTest, CapturesFromAWindowToo) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("gfx_display_" + std::to_string(getpid())) / "window_capture";
  std::filesystem::remove_all(folder);
  SdlDisplay display(false, CaptureSettings{folder, 2});
  ASSERT_TRUE(display.Open({}));
  const auto frame = TwoColourFrame(0xF800, 0x07E0);
  for (int i = 0; i < 4; ++i) display.Present(frame.data(), 640, 480, 640, 0);
  display.Close();
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2u);
}

}  // namespace
}  // namespace gfx
