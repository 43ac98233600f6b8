// Tests for the SDL window display and the renderer shared with the host.
// They need SDL video; CI's dummy driver is enough (it has windows and the
// software renderer, and shows nothing).
#include "sdl_display.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "gamma.h"
#include "gfx/host.h"
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
    host::SetWindowResolver(nullptr);
    if (hostWindow_ != nullptr) {
      host::ReleaseRenderer(hostWindow_);
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
  uint32_t ReadPixel(SDL_Renderer* renderer, int x, int y) {
    uint32_t pixel = 0;
    const SDL_Rect rect{x, y, 1, 1};
    EXPECT_EQ(SDL_RenderReadPixels(renderer, &rect, SDL_PIXELFORMAT_ARGB8888, &pixel, 4), 0)
        << SDL_GetError();
    return pixel & 0xFFFFFF;
  }

  bool videoStarted_ = false;
  SDL_Window* hostWindow_ = nullptr;
};

TEST_F(SdlDisplayTest, DrawsIntoTheHostsWindowLetterboxedWithGamma) {
  SDL_Window* window = MakeHostWindow(800, 480);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  uint32_t askedFor = 0;
  host::SetWindowResolver([&](uint32_t handle) {
    askedFor = handle;
    return host::WindowTarget{window, false};
  });
  SdlDisplay display(false, std::nullopt);
  DisplayConfig config;
  config.windowHandle = 7;
  ASSERT_TRUE(display.Open(config));
  EXPECT_EQ(askedFor, 7u);
  EXPECT_EQ(display.Window(), window);
  EXPECT_TRUE(host::DisplayDrawsInto(window));
  SDL_Renderer* renderer = host::RendererFor(window, false);
  ASSERT_NE(renderer, nullptr);

  display.SetGamma(1.7f);
  const auto frame = TwoColourFrame(0xFFFF, 0x8410);
  display.Present(frame.data(), 640, 480, 640, 0);
  // 800×480 holds 640×480 unscaled with 80-pixel bars at the sides.
  EXPECT_EQ(ReadPixel(renderer, 0, 240), 0x000000u);
  EXPECT_EQ(ReadPixel(renderer, 79, 240), 0x000000u);
  EXPECT_EQ(ReadPixel(renderer, 80, 0), 0xFEFEFEu);
  EXPECT_EQ(ReadPixel(renderer, 399, 479), 0xFEFEFEu);
  EXPECT_EQ(ReadPixel(renderer, 400, 0), 0xADABADu);
  EXPECT_EQ(ReadPixel(renderer, 719, 479), 0xADABADu);
  EXPECT_EQ(ReadPixel(renderer, 720, 0), 0x000000u);
  display.Close();
  EXPECT_FALSE(host::DisplayDrawsInto(window));
  // The host's window and renderer outlive the display.
  EXPECT_EQ(host::RendererFor(window, false), renderer);
}

TEST_F(SdlDisplayTest, OpensItsOwnWindowWithoutAnAnswerFromTheHost) {
  const struct {
    bool withResolver;
    uint32_t handle;
  } cases[] = {{false, 0}, {false, 5}, {true, 0}, {true, 9}};
  for (const auto& c : cases) {
    if (c.withResolver) host::SetWindowResolver([](uint32_t) { return host::WindowTarget{}; });
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
    host::SetWindowResolver(nullptr);
  }
}

TEST_F(SdlDisplayTest, SharesOneRendererPerWindowWithTheHost) {
  SDL_Window* window = MakeHostWindow(640, 480);
  ASSERT_NE(window, nullptr);
  SDL_Renderer* first = host::RendererFor(window, true);
  ASSERT_NE(first, nullptr) << SDL_GetError();
  SDL_RendererInfo info;
  ASSERT_EQ(SDL_GetRendererInfo(first, &info), 0);
  EXPECT_TRUE(info.flags & SDL_RENDERER_SOFTWARE) << info.name;
  EXPECT_EQ(host::RendererFor(window, false), first);
  EXPECT_EQ(host::RendererFor(nullptr, false), nullptr);
  host::ReleaseRenderer(window);
  host::ReleaseRenderer(window);  // a second release does nothing
  SDL_Renderer* second = host::RendererFor(window, true);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(host::RendererFor(window, true), second);
}

TEST_F(SdlDisplayTest, StopsDrawingWhenTheHostReleasesItsWindow) {
  SDL_Window* window = MakeHostWindow(640, 480);
  ASSERT_NE(window, nullptr);
  host::SetWindowResolver([&](uint32_t) { return host::WindowTarget{window, false}; });
  int shown = 0;
  host::SetSwapListener([&](uint64_t) { ++shown; });
  SdlDisplay display(false, std::nullopt);
  ASSERT_TRUE(display.Open({}));
  const auto frame = TwoColourFrame(0x1234, 0x4321);
  display.Present(frame.data(), 640, 480, 640, 0);
  EXPECT_TRUE(host::DisplayDrawsInto(window));
  host::ReleaseRenderer(window);
  EXPECT_FALSE(host::DisplayDrawsInto(window));
  SDL_DestroyWindow(window);
  hostWindow_ = nullptr;
  display.Present(frame.data(), 640, 480, 640, 0);  // frames still count, nothing drawn
  display.Close();
  host::SetSwapListener(nullptr);
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

TEST_F(SdlDisplayTest, FullScreenHidesThePointerUntilClosed) {
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
