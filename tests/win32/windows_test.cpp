// The Windows backend's windows on the real system (Windows, or Wine on an
// X server): the saver's window is a real top-most window over the screen,
// the preview's a child of its host's window that ends the run when the
// host goes.
#include <gtest/gtest.h>

#include "core/core.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "win32/native.h"
#include "win32/win32_backend.h"

namespace platform {
namespace {

class SaverWindow : public Window {
 public:
  bool Create() {
    const std::string cls = RegisterClass("SaverWindowTest", 0);
    POINT screen = TheDriver().ScreenSize();
    return CreateEx(WS_EX_TOPMOST, cls, "saver", WS_POPUP | WS_VISIBLE, 0, 0, screen.x, screen.y, 0);
  }
};

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine without an X server has a desktop on paper but opens no windows.
    const uintptr_t probe = win32::CreateNativeWindow(win32::WindowKind::Popup, "", {0, 0, 1, 1}, false, 0);
    if (!win32::DesktopAvailable() || probe == 0) GTEST_SKIP() << "no desktop to open windows on";
    win32::DestroyNativeWindow(probe);
    testing::Reset();
    TheCore().driver = CreateDesktopDriver();
    win32::SetScreenSaverCommand({});
  }
  void TearDown() override {
    testing::Reset();
    win32::SetScreenSaverCommand({});
    CancelCloseRequest();
  }
};

// On the desktop the clock is the system's, not a virtual one: it moves
// while the program sleeps (by about as much; Wine's tick is coarse, so only
// half is asked).
TEST_F(WindowsTest, ClockIsTheSystemClock) {
  const DWORD before = GetTickCount();
  const uint32_t systemBefore = win32::TickCount();
  Sleep(200);
  EXPECT_GE(win32::TickCount() - systemBefore, 100u);
  EXPECT_GE(GetTickCount() - before, 100u);
}

TEST_F(WindowsTest, SaverWindowCoversTheScreenWithARealWindow) {
  SaverWindow window;
  ASSERT_TRUE(window.Create());
  WindowRecord* record = FindRecord(window.Handle());
  ASSERT_NE(record, nullptr);
  ASSERT_TRUE(win32::IsNativeWindow(record->nativeHandle));
  int width = 0, height = 0;
  win32::ScreenSize(&width, &height);
  const win32::Rect place = win32::NativeWindowRect(record->nativeHandle);
  EXPECT_EQ(place.right - place.left, width);
  EXPECT_EQ(place.bottom - place.top, height);
  const uintptr_t native = record->nativeHandle;
  window.DestroyWindow();
  EXPECT_FALSE(win32::IsNativeWindow(native));
}

// /p HWND: the saver's window is a child of the host's window, as large as
// its client area, following it, and the run ends when the host's window goes.
TEST_F(WindowsTest, PreviewDrawsIntoAChildOfTheHostAndEndsWithIt) {
  const uintptr_t host =
      win32::CreateNativeWindow(win32::WindowKind::Popup, "host", {10, 10, 162, 124}, false, 0);
  ASSERT_NE(host, 0u);
  win32::ShowNativeWindow(host, true);
  win32::ScreenSaverCommand command = win32::ParseScreenSaverCommand({"/p", std::to_string(host)});
  ASSERT_TRUE(command.previewParent);
  win32::SetScreenSaverCommand(command);
  TheCore().hostedWindow = static_cast<uint32_t>(host);

  POINT screen = TheDriver().ScreenSize();
  EXPECT_EQ(screen.x, 152);
  EXPECT_EQ(screen.y, 114);
  SaverWindow window;
  ASSERT_TRUE(window.Create());
  WindowRecord* record = FindRecord(window.Handle());
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(record->hosted);
  auto client = win32::ClientRectOf(record->nativeHandle);
  ASSERT_TRUE(client);
  EXPECT_EQ(client->right, 152);
  EXPECT_EQ(client->bottom, 114);
  EXPECT_TRUE(IsHosted());

  EXPECT_FALSE(CloseRequestPending());
  win32::DestroyNativeWindow(host);
  TheDriver().PollInput();
  EXPECT_TRUE(CloseRequestPending());
}

}  // namespace
}  // namespace platform
