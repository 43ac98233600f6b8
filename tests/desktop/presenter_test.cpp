// Tests for the software presenter, on SDL's dummy driver (whose windows have
// surfaces in memory): the picture lands in its rectangle, the bars are black
// and stay so, fills are the host's colour, and the users of a presenter
// hear when it goes.
#include "desktop/presenter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/display_kind.h"
#include "scoped_env.h"

namespace desktop {
namespace {

class SoftwarePresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!StartVideo()) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
    started_ = true;
    window_ = SDL_CreateWindow("presenter", 0, 0, 800, 480, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
  }
  void TearDown() override {
    if (window_ != nullptr) {
      ReleasePresenter(window_);
      SDL_DestroyWindow(window_);
    }
    if (started_) StopVideo();
  }
  uint32_t Pixel(int x, int y) {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    uint32_t raw = 0;
    std::memcpy(&raw,
                static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch +
                    static_cast<size_t>(x) * surface->format->BytesPerPixel,
                surface->format->BytesPerPixel);
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
  }

  bool started_ = false;
  SDL_Window* window_ = nullptr;
};

TEST_F(SoftwarePresenterTest, ShowsTheFrameInItsRectangleWithBlackBars) {
  Presenter* presenter = PresenterFor(window_, true);
  ASSERT_NE(presenter, nullptr);
  ASSERT_TRUE(presenter->Software());
  EXPECT_FALSE(presenter->SetVsync(true));          // it cannot wait for the retrace: the caller sleeps
  presenter->Fill(Rect{0, 0, 800, 480}, 0xFF0000);  // COLORREF 0x00BBGGRR: blue
  EXPECT_EQ(Pixel(10, 10), 0x0000FFu);
  int pitch = 0;
  uint32_t* frame = presenter->FrameBuffer(640, 480, &pitch);
  ASSERT_NE(frame, nullptr);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) frame[y * (pitch / 4) + x] = x < 320 ? 0xFFFFFFFFu : 0xFF102030u;
  presenter->Show(Rect{80, 0, 640, 480}, 1);  // the same size: copied, not filtered
  EXPECT_EQ(Pixel(0, 240), 0u);
  EXPECT_EQ(Pixel(79, 479), 0u);
  EXPECT_EQ(Pixel(80, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(399, 479), 0xFFFFFFu);
  EXPECT_EQ(Pixel(400, 0), 0x102030u);
  EXPECT_EQ(Pixel(719, 479), 0x102030u);
  EXPECT_EQ(Pixel(720, 0), 0u);
  // The window grows: the whole surface is new, bars included.
  SDL_SetWindowSize(window_, 1280, 960);
  int width = 0, height = 0;
  presenter->OutputSize(&width, &height);
  ASSERT_EQ(width, 1280);
  frame = presenter->FrameBuffer(640, 480, &pitch);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) frame[y * (pitch / 4) + x] = 0xFF808080u;
  presenter->Show(Rect{0, 0, 1280, 960}, 1);
  EXPECT_EQ(Pixel(0, 0), 0x808080u);
  EXPECT_EQ(Pixel(1279, 959), 0x808080u);
}

TEST_F(SoftwarePresenterTest, UsersHearWhenThePresenterGoes) {
  ASSERT_NE(PresenterFor(window_, true), nullptr);
  int heard = 0;
  const uint64_t kept = WatchPresenter(window_, [&] { ++heard; });
  const uint64_t forgotten = WatchPresenter(window_, [&] { heard += 100; });
  ForgetPresenterUser(forgotten);
  MarkDisplayOn(window_, true);
  EXPECT_TRUE(DisplayDrawsInto(window_));
  MarkDisplayOn(window_, false);
  EXPECT_FALSE(DisplayDrawsInto(window_));
  ReleasePresenter(window_);
  EXPECT_EQ(heard, 1);
  EXPECT_NE(kept, 0u);
  EXPECT_EQ(WatchPresenter(window_, [] {}), 0u);  // no presenter: nothing to watch
}

}  // namespace
}  // namespace desktop
