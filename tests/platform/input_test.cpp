// input_test.cpp — scripted input: reading SAVER_EVENTS, delivery to the
// active window (the first pointer move, later moves, buttons, keys,
// deactivation, system commands), and the frame limit.
#include <gtest/gtest.h>

#include <array>

#include "headless/script.h"
#include "param_name.h"
#include "test_support.h"

namespace platform::test {
namespace {

struct ScriptCase {
  const char* text;
  size_t events;
  size_t errors;
};

class ScriptParse : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptParse, ReadsGoodEntriesAndSkipsBadOnes) {
  Script script = ParseScript(GetParam().text);
  EXPECT_EQ(script.events.size(), GetParam().events) << GetParam().text;
  EXPECT_EQ(script.errors.size(), GetParam().errors) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ScriptParse,
    ::testing::Values(ScriptCase{"300:mousemove 12 40;450:key", 2, 0},
                      ScriptCase{"1:lbutton;2:mbutton;3:rbutton;4:deactivate;5:close", 5, 0},
                      ScriptCase{"1:key escape; 2:key Q ;3:syskey f4;4:key enter;5:syskey", 5, 0},
                      ScriptCase{"1:syscommand screensave;2:syscommand close", 2, 0},
                      ScriptCase{" ; ;\n", 0, 0},
                      // Bad entries: no frame, bad frame, unknown event, missing or extra
                      // arguments, out-of-range coordinates, unknown key and command.
                      ScriptCase{"mousemove 1 2;x:key;-1:key;5:jump;5:mousemove 1;5:lbutton 3", 0, 6},
                      ScriptCase{"5:mousemove 1 99999;5:key nosuchkey;5:syscommand reboot;7:key", 1, 3},
                      ScriptCase{"99999999999999999999999:key;1:mousemove a b", 0, 2}),
    [](const auto& info) { return test_support::TestName(info.param.text, info.index); });

TEST(ScriptParseDetail, KeepsValuesAndOrder) {
  Script script = ParseScript("450:key;300:mousemove -3 40;300:syskey f4;9:rbutton;9:syscommand close");
  ASSERT_EQ(script.events.size(), 5u);
  EXPECT_EQ(script.events[0].vk, WPARAM{'A'});
  EXPECT_EQ(script.events[0].text, 'a');
  EXPECT_EQ(script.events[1].x, -3);
  EXPECT_EQ(script.events[1].y, 40);
  EXPECT_EQ(script.events[2].action, ScriptAction::SysKey);
  EXPECT_EQ(script.events[2].vk, VK_F4);
  EXPECT_EQ(script.events[3].button, 2);
  EXPECT_EQ(script.events[4].command, SC_CLOSE);
}

using InputTest = PlatformTest;

TEST_F(InputTest, FirstMoveIsTheShowMoveLaterMovesOnlyWhenThePointerMoves) {
  App app;
  RecordingWindow w;
  ASSERT_TRUE(w.Create(WS_POPUP | WS_VISIBLE, {0, 0, 640, 480}, 0, WS_EX_TOPMOST));
  app.mainWindow = &w;
  testing::SetScript("2:mousemove 12 40;3:mousemove 12 40;4:mousemove 13 40");
  PumpPendingMessages();
  EXPECT_EQ(w.Count(WM_MOUSEMOVE), 0u);  // no pointer before the first scripted move

  testing::ShowFrames(2);
  PumpPendingMessages();
  ASSERT_EQ(w.Count(WM_MOUSEMOVE), 1u);
  EXPECT_EQ(w.Count(WM_SETCURSOR), 1u);
  EXPECT_EQ(GET_X_LPARAM(w.Last(WM_MOUSEMOVE).lParam), 12);
  EXPECT_EQ(GET_Y_LPARAM(w.Last(WM_MOUSEMOVE).lParam), 40);

  testing::ShowFrames(1);  // same place: not a movement
  PumpPendingMessages();
  EXPECT_EQ(w.Count(WM_MOUSEMOVE), 1u);

  testing::ShowFrames(1);
  PumpPendingMessages();
  ASSERT_EQ(w.Count(WM_MOUSEMOVE), 2u);
  EXPECT_EQ(GET_X_LPARAM(w.Last(WM_MOUSEMOVE).lParam), 13);
}

TEST_F(InputTest, ModalDialogNotUnderThePointerGetsNothingForTheFirstMove) {
  App app;
  RecordingWindow dialog;
  ASSERT_TRUE(dialog.Create(WS_POPUP | WS_VISIBLE, {200, 150, 440, 330}));
  PushModal(&dialog);
  testing::Inject("0:mousemove 12 40");
  PumpPendingMessages();
  EXPECT_EQ(dialog.Count(WM_MOUSEMOVE), 0u);
  testing::Inject("0:mousemove 250 160");
  PumpPendingMessages();
  ASSERT_EQ(dialog.Count(WM_MOUSEMOVE), 1u);
  EXPECT_EQ(GET_X_LPARAM(dialog.Last(WM_MOUSEMOVE).lParam), 50);  // client coordinates
  EXPECT_EQ(GET_Y_LPARAM(dialog.Last(WM_MOUSEMOVE).lParam), 10);

  // A window shown later under the pointer is told where the pointer is.
  RecordingWindow later;
  ASSERT_TRUE(later.Create(WS_POPUP | WS_VISIBLE, {240, 150, 300, 200}));
  PumpPendingMessages();
  ASSERT_EQ(later.Count(WM_MOUSEMOVE), 1u);
  EXPECT_EQ(GET_X_LPARAM(later.Last(WM_MOUSEMOVE).lParam), 10);
  PopModal(&dialog);
}

TEST_F(InputTest, ButtonsKeysDeactivationAndCommandsGoToTheActiveWindow) {
  App app;
  RecordingWindow main, dialog;
  ASSERT_TRUE(main.Create());
  app.mainWindow = &main;
  testing::Inject("0:lbutton;0:mbutton;0:rbutton");
  testing::Inject("0:key q;0:syskey x;0:deactivate;0:syscommand screensave;0:syscommand close");
  PumpPendingMessages();
  std::vector<UINT> expected{WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_MBUTTONDOWN, WM_MBUTTONUP,
                             WM_RBUTTONDOWN, WM_RBUTTONUP,   WM_KEYDOWN,     WM_CHAR,
                             WM_KEYUP,       WM_SYSKEYDOWN,  WM_SYSKEYUP,    WM_NCACTIVATE,
                             WM_ACTIVATE,    WM_ACTIVATEAPP, WM_SYSCOMMAND,  WM_SYSCOMMAND};
  std::vector<UINT> got;
  for (const auto& s : main.seen)
    if (s.message != WM_SHOWWINDOW && s.message != WM_CREATE && s.message != WM_PAINT)
      got.push_back(s.message);
  // SC_CLOSE's default processing closes the window (WM_CLOSE, then destruction).
  ASSERT_GE(got.size(), expected.size());
  EXPECT_EQ(std::vector<UINT>(got.begin(), got.begin() + static_cast<long>(expected.size())), expected);
  EXPECT_EQ(main.Handle(), 0u);
  auto find = [&](UINT message) {
    for (const auto& s : main.seen)
      if (s.message == message) return s;
    return RecordingWindow::Seen{};
  };
  EXPECT_EQ(find(WM_KEYDOWN).wParam, WPARAM{'Q'});
  EXPECT_EQ(find(WM_CHAR).wParam, WPARAM{'q'});
  EXPECT_EQ(find(WM_SYSKEYDOWN).wParam, WPARAM{'X'});
  EXPECT_NE(find(WM_SYSKEYDOWN).lParam & KF_ALTDOWN_LPARAM, 0);
  EXPECT_EQ(find(WM_ACTIVATE).wParam, WA_INACTIVE);
  EXPECT_EQ(find(WM_NCACTIVATE).wParam, WPARAM{FALSE});
  EXPECT_EQ(find(WM_ACTIVATEAPP).wParam, WPARAM{FALSE});
  EXPECT_EQ(find(WM_SYSCOMMAND).wParam, SC_SCREENSAVE);

  // With a modal dialog up, input goes to it.
  ASSERT_TRUE(main.Create());
  app.mainWindow = &main;
  ASSERT_TRUE(dialog.Create(WS_POPUP | WS_VISIBLE, {10, 10, 100, 100}));
  PushModal(&dialog);
  main.seen.clear();
  testing::Inject("0:close");
  PumpPendingMessages();
  EXPECT_EQ(dialog.Handle(), 0u);  // WM_CLOSE reached the dialog
  EXPECT_NE(main.Handle(), 0u);
  PopModal(&dialog);
}

TEST_F(InputTest, FrameLimitEndsTheRunWithEscapeToTheActiveWindow) {
  App app;
  RecordingWindow w;
  ASSERT_TRUE(w.Create());
  app.mainWindow = &w;
  testing::SetFrameLimit(3);
  testing::ShowFrames(2);
  PumpPendingMessages();
  EXPECT_EQ(w.Count(WM_KEYDOWN), 0u);
  testing::ShowFrames(1);
  PumpPendingMessages();
  ASSERT_EQ(w.Count(WM_KEYDOWN), 1u);
  testing::ShowFrames(5);
  PumpPendingMessages();
  EXPECT_EQ(w.Count(WM_KEYDOWN), 1u);  // once
  for (const auto& s : w.seen)
    if (s.message == WM_KEYDOWN) {
      EXPECT_EQ(s.wParam, VK_ESCAPE);
    }
}

TEST_F(InputTest, VirtualClockAdvancesByFramesAndSleeps) {
  DWORD start = GetTickCount();
  testing::ShowFrames(60);
  EXPECT_EQ(GetTickCount() - start, 1000u);
  Sleep(250);
  EXPECT_EQ(GetTickCount() - start, 1250u);
  testing::ShowFrames(1);
  EXPECT_EQ(GetTickCount() - start, 1266u);
}

TEST_F(InputTest, IdleHeadlessRunWithNothingLeftClosesInOrder) {
  App app;
  RecordingWindow w;
  ASSERT_TRUE(w.Create());
  app.mainWindow = &w;
  PAINTSTRUCT paint;
  BeginPaint(w.Handle(), &paint);
  // Nothing scripted, nothing to paint: the loop closes the window rather
  // than wait forever, then ends.
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(w.Handle(), 0u);
}

TEST_F(InputTest, HeadlessMessageBoxTakesActivationAndIsRecorded) {
  App app;
  RecordingWindow w;
  ASSERT_TRUE(w.Create());
  app.mainWindow = &w;
  EXPECT_EQ(MessageBoxA(0, "failed", "", MB_OK), IDOK);
  PumpPendingMessages();
  EXPECT_EQ(w.Count(WM_ACTIVATE), 1u);
  SetMessageBoxHook([](HWND, const std::string&, const std::string&, UINT) { return IDCANCEL; });
  EXPECT_EQ(MessageBoxA(w.Handle(), "sure?", "Question", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
  ASSERT_EQ(testing::MessageBoxes().size(), 2u);
  EXPECT_EQ(testing::MessageBoxes()[0].text, "failed");
  EXPECT_EQ(testing::MessageBoxes()[1].caption, "Question");
  EXPECT_EQ(testing::MessageBoxes()[1].answer, IDCANCEL);
}

}  // namespace
}  // namespace platform::test

namespace platform::test {
namespace {

// A saver-shaped program: a full-screen window that shows one frame per
// paint and closes on a key or a move after the first.
class SaverApp : public App {
 public:
  class SaverWindow : public RecordingWindow {
   public:
    int moves = 0;
    Reply OnPaint(const Message&) {
      testing::ShowFrames(1);
      InvalidateRect(Handle(), nullptr, FALSE);
      return Reply::Handled();
    }
    Reply OnMove(const Message&) {
      if (++moves > 1) PostMessageA(Handle(), WM_CLOSE, 0, 0);
      return Reply::Default();
    }
    Reply OnKey(const Message&) {
      PostMessageA(Handle(), WM_CLOSE, 0, 0);
      return Reply::Default();
    }
    Reply OnDestroy(const Message&) {
      PostQuitMessage(0);
      return Reply::Default();
    }

   protected:
    const MessageTable* GetMessageTable() const override { return &table; }
    static const MessageTable::Entry entries[];
    static const MessageTable table;
  };
  SaverWindow window;
  uint64_t framesAtEnd = 0;
  bool Initialize() override {
    window.Create(WS_POPUP | WS_VISIBLE, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                  0, WS_EX_TOPMOST);
    mainWindow = &window;
    return true;
  }
  int ExitInstance() override {
    framesAtEnd = testing::ShownFrames();
    return 0;
  }
};
const MessageTable::Entry SaverApp::SaverWindow::entries[] = {
    {WM_PAINT, 0, &Bind<&SaverApp::SaverWindow::OnPaint>},
    {WM_MOUSEMOVE, 0, &Bind<&SaverApp::SaverWindow::OnMove>},
    {WM_KEYDOWN, 0, &Bind<&SaverApp::SaverWindow::OnKey>},
    {WM_DESTROY, 0, &Bind<&SaverApp::SaverWindow::OnDestroy>}};
const MessageTable SaverApp::SaverWindow::table{&Window::messageTable, entries};

struct RunCase {
  const char* events;
  const char* frames;
  uint64_t framesAtEnd;
};

class SaverRun : public PlatformTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(SaverRun, EndsWhereTheEnvironmentSays) {
  setenv("SAVER_EVENTS", GetParam().events, 1);
  setenv("SAVER_FRAMES", GetParam().frames, 1);
  SaverApp app;
  std::array<char*, 3> argv{const_cast<char*>("saver"), const_cast<char*>("/s"), nullptr};
  EXPECT_EQ(RunApp(app, 2, argv.data()), 0);
  unsetenv("SAVER_EVENTS");
  unsetenv("SAVER_FRAMES");
  EXPECT_EQ(app.framesAtEnd, GetParam().framesAtEnd);
  EXPECT_EQ(app.window.Handle(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, SaverRun,
    ::testing::Values(RunCase{"", "120", 120},                                 // SAVER_FRAMES alone
                      RunCase{"10:mousemove 5 5;20:mousemove 5 5", "50", 50},  // a still pointer
                      RunCase{"10:mousemove 5 5;20:mousemove 6 5", "50", 20},  // one pixel ends it
                      RunCase{"bogus;15:key;x:key", "50", 15},                 // bad entries skipped
                      RunCase{"30:syscommand screensave;40:key", "", 40}),
    [](const auto& info) {
      return test_support::TestName(std::string(info.param.events) + " frames " + info.param.frames,
                                    info.index);
    });

}  // namespace
}  // namespace platform::test
