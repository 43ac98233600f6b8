// shell_test.cpp — halcyon's shell: the run-mode switch, the saver window's
// input rules, the paint-driven frame loop and the orderly stop.
#include <gfx/recorder.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "halcyon/app/run_mode.h"
#include "halcyon/app/world_window.h"
#include "param_name.h"
#include "platform/testing.h"
#include "test_support.h"

namespace halcyon {
namespace {

using platform::Message;
using platform::PumpPendingMessages;
using test::CountOf;
using test::IndexOf;
using test::Names;

struct SwitchCase {
  std::vector<std::string> arguments;
  RunMode mode;
};
void PrintTo(const SwitchCase& c, std::ostream* out) {
  *out << '"' << (c.arguments.empty() ? std::string("(none)") : c.arguments[0]) << '"';
}

class Switches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, FirstArgumentPicksTheMode) {
  EXPECT_EQ(ModeFromArguments(GetParam().arguments), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Switches,
    ::testing::Values(SwitchCase{{}, RunMode::Configure}, SwitchCase{{"/C"}, RunMode::Configure},
                      SwitchCase{{"-c"}, RunMode::Configure}, SwitchCase{{"c"}, RunMode::Configure},
                      SwitchCase{{"/c:1234"}, RunMode::Configure}, SwitchCase{{"/S"}, RunMode::Run},
                      SwitchCase{{"-s"}, RunMode::Run}, SwitchCase{{"scr"}, RunMode::Run},
                      SwitchCase{{"/s", "/c"}, RunMode::Run}, SwitchCase{{"/p", "1234"}, RunMode::Preview},
                      SwitchCase{{"/P"}, RunMode::Preview}, SwitchCase{{"/a"}, RunMode::None},
                      SwitchCase{{"--s"}, RunMode::None}, SwitchCase{{""}, RunMode::None},
                      SwitchCase{{"/"}, RunMode::None}, SwitchCase{{"x"}, RunMode::None}),
    [](const auto& info) {
      std::string text;
      for (const auto& argument : info.param.arguments) text += argument + " ";
      return test_support::TestName(text.empty() ? "none" : text, info.index);
    });

// A saver window made for a test; it deletes itself when its window goes.
class SaverWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::Reset(); }
  void TearDown() override {
    if (IsWindow(handle)) DestroyWindow(handle);
    unsetenv("GLIDE_NO_BOARD");
    platform::testing::Reset();
  }
  WorldSaverWindow* Make(bool hosted = false) {
    window = new WorldSaverWindow(rig.Services(), hosted);
    window->CreateFullScreen();
    handle = window->Handle();
    app.mainWindow = window;  // input goes to the main window
    return window;
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return window->WindowProc(message, wParam, lParam);
  }
  // Takes the waiting messages off the queue; true when a close request was among them.
  bool ClosePending() {
    MSG msg;
    bool close = false;
    for (int i = 0; i < 100 && PeekMessageA(&msg, 0, 0, 0, PM_REMOVE); ++i)
      close = close || msg.message == WM_CLOSE;
    return close;
  }

  platform::App app;
  test::TestRig rig;
  WorldSaverWindow* window = nullptr;
  HWND handle = 0;
};

struct InputCase {
  const char* name;
  std::vector<Message> messages;  // message, wParam, lParam
  bool closes;
};
void PrintTo(const InputCase& c, std::ostream* out) {
  *out << c.name;
}

class InputRules : public SaverWindowTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(InputRules, CloseOnlyWhenTheRuleSays) {
  Make();
  ASSERT_NE(handle, 0u);
  for (const Message& m : GetParam().messages) Send(m.message, m.wParam, m.lParam);
  EXPECT_EQ(ClosePending(), GetParam().closes);
  EXPECT_TRUE(IsWindow(handle));  // closing is a posted request, handled later
}

Message Move(int x, int y) {
  return {WM_MOUSEMOVE, 0, MAKELPARAM(x, y)};
}

INSTANTIATE_TEST_SUITE_P(
    Table, InputRules,
    ::testing::Values(InputCase{"FirstMoveSetsTheReference", {Move(10, 20)}, false},
                      InputCase{"MoveAtTheReference", {Move(10, 20), Move(10, 20), Move(10, 20)}, false},
                      InputCase{"OnePixelAcross", {Move(10, 20), Move(11, 20)}, true},
                      InputCase{"OnePixelDown", {Move(10, 20), Move(10, 19)}, true},
                      InputCase{"LeftButton", {{WM_LBUTTONDOWN, 0, 0}}, true},
                      InputCase{"MiddleButton", {{WM_MBUTTONDOWN, 0, 0}}, true},
                      InputCase{"RightButton", {{WM_RBUTTONDOWN, 0, 0}}, true},
                      InputCase{"ButtonRelease", {{WM_LBUTTONUP, 0, 0}, {WM_RBUTTONUP, 0, 0}}, false},
                      InputCase{"Key", {{WM_KEYDOWN, 0x41, 0}}, true},
                      InputCase{"AltKey", {{WM_SYSKEYDOWN, 0x12, 0}}, true},
                      InputCase{"Deactivated", {{WM_ACTIVATE, WA_INACTIVE, 0}}, true},
                      InputCase{"Activated", {{WM_ACTIVATE, WA_ACTIVE, 0}}, false},
                      InputCase{"AppDeactivated", {{WM_ACTIVATEAPP, FALSE, 0}}, true},
                      InputCase{"AppActivated", {{WM_ACTIVATEAPP, TRUE, 0}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaverWindowTest, FirstMoveIsRememberedAndNeverUpdated) {
  Make();
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
  EXPECT_EQ(window->lastMouseX, 300);
  EXPECT_EQ(window->lastMouseY, 200);
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(301, 200));
  EXPECT_EQ(window->lastMouseX, 300);
}

TEST_F(SaverWindowTest, HostedSaverIgnoresInput) {
  Make(true);
  for (UINT m : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_ACTIVATEAPP}) Send(m, 0, 0);
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
  EXPECT_FALSE(ClosePending());
}

TEST_F(SaverWindowTest, SystemCommandsToSaveOrCloseAreIgnoredAndDeactivationRefused) {
  Make();
  Send(WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  Send(WM_SYSCOMMAND, SC_CLOSE, 0);
  PumpPendingMessages();
  EXPECT_TRUE(IsWindow(handle));
  EXPECT_FALSE(ClosePending());
  EXPECT_EQ(Send(WM_NCACTIVATE, FALSE, 0), FALSE);
  EXPECT_EQ(Send(WM_SETCURSOR, handle, 0), TRUE);
  EXPECT_FALSE(platform::testing::CursorVisible());
}

TEST_F(SaverWindowTest, PaintsRunFramesBackToBackWithOneBlackFill) {
  Make();
  gfx::StartRecording();
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(PumpPendingMessages());
  std::vector<std::string> calls = Names(gfx::StopRecording());
  EXPECT_EQ(window->blackFillCount, 1);
  EXPECT_EQ(platform::testing::FillCount(), 1u);
  EXPECT_EQ(window->renderer.started, 1u);
  EXPECT_EQ(CountOf(calls, "grBufferSwap"), 3);  // the first paint only sets up
  // Input between two frames is handled before the next frame is drawn.
  platform::testing::Inject("0:key escape");
  gfx::StartRecording();
  EXPECT_FALSE(PumpPendingMessages());
  EXPECT_EQ(CountOf(Names(gfx::StopRecording()), "grBufferSwap"), 0);
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(SaverWindowTest, StopShutsGlideAndMusicDownBeforeTheQuitIsSeen) {
  rig.settings->fileName = "trans.xm";
  Make();
  rig.log->StartGlide();
  ASSERT_TRUE(PumpPendingMessages());
  ASSERT_TRUE(PumpPendingMessages());
  Send(WM_KEYDOWN, 0x20, 0);
  Send(WM_LBUTTONDOWN, 0, 0);  // a second close request after the first
  EXPECT_EQ(platform::RunMessageLoop(), 0);
  rig.log->Note("quit seen");
  std::vector<std::string> log = rig.log->Finish();
  int glide = IndexOf(log, "grGlideShutdown"), stop = IndexOf(log, "MIDASstopModule 7"),
      close = IndexOf(log, "MIDASclose"), quit = IndexOf(log, "quit seen");
  ASSERT_GE(glide, 0);
  EXPECT_LT(glide, stop);
  EXPECT_LT(stop, close);
  EXPECT_LT(close, quit);
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(SaverWindowTest, FailedSetUpEndsTheSaverInOrder) {
  setenv("GLIDE_NO_BOARD", "1", 1);
  Make();
  EXPECT_EQ(platform::RunMessageLoop(), 0);
  ASSERT_EQ(platform::testing::MessageBoxes().size(), 1u);
  EXPECT_EQ(platform::testing::MessageBoxes()[0].text, "failed");
  EXPECT_FALSE(IsWindow(handle));
}

}  // namespace
}  // namespace halcyon
