// window_test.cpp — message tables, default processing, destruction order,
// the paint cycle, modal loops and pumping from inside a handler.
#include <gtest/gtest.h>

#include <csignal>

#include "test_support.h"

namespace platform::test {
namespace {

// A base class handling WM_KEYDOWN fully and WM_COMMAND id 7 with default
// following; a derived class handling WM_CHAR and WM_COMMAND id 9 only.
class BaseWindow : public RecordingWindow {
 public:
  std::vector<std::string> calls;
  Reply OnKey(const Message&) {
    calls.push_back("base key");
    return Reply::Handled(42);
  }
  Reply OnCommand7(const Message&) {
    calls.push_back("base 7");
    return Reply::Default();
  }

 protected:
  const MessageTable* GetMessageTable() const override { return &table; }
  static const MessageTable::Entry entries[];
  static const MessageTable table;
};
const MessageTable::Entry BaseWindow::entries[] = {{WM_KEYDOWN, 0, &Bind<&BaseWindow::OnKey>},
                                                   {WM_COMMAND, 7, &Bind<&BaseWindow::OnCommand7>}};
const MessageTable BaseWindow::table{&Window::messageTable, entries};

class DerivedWindow : public BaseWindow {
 public:
  Reply OnChar(const Message& m) {
    calls.push_back("derived char " + std::to_string(m.wParam));
    return Reply::Handled(5);
  }
  Reply OnCommand9(const Message&) {
    calls.push_back("derived 9");
    return Reply::Handled(9);
  }

 protected:
  const MessageTable* GetMessageTable() const override { return &table; }
  static const MessageTable::Entry entries[];
  static const MessageTable table;
};
const MessageTable::Entry DerivedWindow::entries[] = {{WM_CHAR, 0, &Bind<&DerivedWindow::OnChar>},
                                                      {WM_COMMAND, 9, &Bind<&DerivedWindow::OnCommand9>}};
const MessageTable DerivedWindow::table{&BaseWindow::table, entries};

using WindowTest = PlatformTest;

TEST_F(WindowTest, TableLookupFallsBackToBaseThenDefault) {
  DerivedWindow w;
  ASSERT_TRUE(w.Create());
  HWND h = w.Handle();
  w.seen.clear();

  EXPECT_EQ(SendMessageA(h, WM_CHAR, 'x', 0), 5);                           // own table
  EXPECT_EQ(SendMessageA(h, WM_KEYDOWN, 'A', 0), 42);                       // base table
  EXPECT_EQ(SendMessageA(h, WM_COMMAND, MAKEWPARAM(9, BN_CLICKED), 0), 9);  // own id
  SendMessageA(h, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), 0);                // base id, then default
  SendMessageA(h, WM_COMMAND, MAKEWPARAM(8, BN_CLICKED), 0);                // no entry: default
  EXPECT_EQ(SendMessageA(h, WM_NCACTIVATE, FALSE, 0), TRUE);                // default answers TRUE

  EXPECT_EQ(w.calls, (std::vector<std::string>{"derived char 120", "base key", "derived 9", "base 7"}));
  // Default processing saw only the messages that were not handled fully.
  EXPECT_EQ(w.Messages(), (std::vector<UINT>{WM_COMMAND, WM_COMMAND, WM_NCACTIVATE}));
  EXPECT_EQ(LOWORD(w.seen[0].wParam), 7);
  EXPECT_EQ(LOWORD(w.seen[1].wParam), 8);
}

// Logs destruction into a shared list; deletes itself after destruction.
class SelfDeletingWindow : public RecordingWindow {
 public:
  explicit SelfDeletingWindow(std::vector<std::string>& events) : events(events) {}
  ~SelfDeletingWindow() override { events.push_back("deleted"); }
  Reply OnDestroy(const Message&) {
    events.push_back("WM_DESTROY");
    PostQuitMessage(3);
    return Reply::Default();
  }
  Reply OnNcDestroy(const Message&) {
    events.push_back(IsWindow(Handle()) ? "WM_NCDESTROY" : "WM_NCDESTROY without window");
    return Reply::Default();
  }

 protected:
  void PostNcDestroy() override {
    events.push_back("PostNcDestroy");
    delete this;
  }
  const MessageTable* GetMessageTable() const override { return &table; }
  static const MessageTable::Entry entries[];
  static const MessageTable table;

 private:
  std::vector<std::string>& events;
};
const MessageTable::Entry SelfDeletingWindow::entries[] = {
    {WM_DESTROY, 0, &Bind<&SelfDeletingWindow::OnDestroy>},
    {WM_NCDESTROY, 0, &Bind<&SelfDeletingWindow::OnNcDestroy>}};
const MessageTable SelfDeletingWindow::table{&Window::messageTable, entries};

TEST_F(WindowTest, CloseDestroysInOrderAndObjectMayDeleteItself) {
  std::vector<std::string> events;
  App app;
  auto* w = new SelfDeletingWindow(events);
  ASSERT_TRUE(w->Create(WS_POPUP | WS_VISIBLE, {0, 0, 640, 480}, 0, WS_EX_TOPMOST));
  HWND h = w->Handle();
  app.mainWindow = w;

  // Two close requests: the second arrives after the window is gone.
  PostMessageA(h, WM_CLOSE, 0, 0);
  PostMessageA(h, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunMessageLoop(), 3);

  EXPECT_EQ(events, (std::vector<std::string>{"WM_DESTROY", "WM_NCDESTROY", "PostNcDestroy", "deleted"}));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(app.mainWindow, nullptr);
  EXPECT_EQ(SendMessageA(h, WM_CLOSE, 0, 0), 0);  // a gone handle is harmless
}

TEST_F(WindowTest, SystemCloseCommandClosesAndCreateCanBeRefused) {
  RecordingWindow w;
  ASSERT_TRUE(w.Create());
  SendMessageA(w.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(w.Handle(), 0u);
  EXPECT_EQ(w.Messages().back(), WM_NCDESTROY);

  class Refusing : public RecordingWindow {
   protected:
    LRESULT DefaultProc(const Message& m) override {
      return m.message == WM_CREATE ? -1 : RecordingWindow::DefaultProc(m);
    }
  } refusing;
  EXPECT_FALSE(refusing.Create());
  EXPECT_EQ(refusing.Handle(), 0u);
  EXPECT_EQ(refusing.Messages(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowTest, HandlesAreSmallAndWindowsFullScreenMetrics) {
  RecordingWindow a, b;
  ASSERT_TRUE(a.Create(WS_POPUP, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
  ASSERT_TRUE(b.Create());
  EXPECT_GT(a.Handle(), 0u);
  EXPECT_LT(a.Handle(), 0x10000u);
  EXPECT_NE(a.Handle(), b.Handle());
  EXPECT_EQ(WindowFromHandle(a.Handle()), &a);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  RECT client;
  ASSERT_TRUE(GetClientRect(a.Handle(), &client));
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  // Not visible: no paint, no WM_SHOWWINDOW.
  EXPECT_EQ(a.Count(WM_SHOWWINDOW), 0u);
  EXPECT_EQ(b.Count(WM_SHOWWINDOW), 1u);
}

// Paints like a saver: only the first paint is validated; each paint sleeps
// and invalidates again, so paints run back to back.
class FrameWindow : public RecordingWindow {
 public:
  int frames = 0;
  int stopAfter = 5;
  std::vector<std::string> order;
  Reply OnPaint(const Message&) {
    ++frames;
    order.push_back("paint");
    if (frames == 1) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(Handle(), &paint);
      FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      EndPaint(Handle(), &paint);
    }
    if (frames == 2) PostMessageA(Handle(), WM_USER, 0, 0);
    if (frames == stopAfter) {
      PostQuitMessage(0);
      return Reply::Handled();
    }
    Sleep(4);
    InvalidateRect(Handle(), nullptr, FALSE);
    return Reply::Handled();
  }
  Reply OnUser(const Message&) {
    order.push_back("user");
    return Reply::Handled();
  }

 protected:
  const MessageTable* GetMessageTable() const override { return &table; }
  static const MessageTable::Entry entries[];
  static const MessageTable table;
};
const MessageTable::Entry FrameWindow::entries[] = {{WM_PAINT, 0, &Bind<&FrameWindow::OnPaint>},
                                                    {WM_USER, 0, &Bind<&FrameWindow::OnUser>}};
const MessageTable FrameWindow::table{&Window::messageTable, entries};

TEST_F(WindowTest, PaintsRunBackToBackWithPostedMessagesBetween) {
  FrameWindow w;
  ASSERT_TRUE(w.Create());
  DWORD start = GetTickCount();
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(w.order, (std::vector<std::string>{"paint", "paint", "user", "paint", "paint", "paint"}));
  EXPECT_EQ(testing::FillCount(), 1u);
  EXPECT_EQ(GetTickCount() - start, 4u * 4);  // the virtual clock: four sleeps of 4 ms
}

TEST_F(WindowTest, PaintComesOnlyWhenQueueIsEmptyAndBeginPaintValidates) {
  RecordingWindow w;
  ASSERT_TRUE(w.Create());
  PostMessageA(w.Handle(), WM_USER + 1, 0, 0);
  PostMessageA(w.Handle(), WM_USER + 2, 0, 0);
  MSG msg;
  std::vector<UINT> got;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
    got.push_back(msg.message);
    DispatchMessageA(&msg);  // default WM_PAINT validates
  }
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT}));
  EXPECT_FALSE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));

  InvalidateRect(w.Handle(), nullptr, FALSE);
  PAINTSTRUCT paint;
  BeginPaint(w.Handle(), &paint);
  EndPaint(w.Handle(), &paint);
  EXPECT_FALSE(PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE));
}

// Runs a frame loop inside its WM_SHOWWINDOW handler, pumping messages after
// each frame until a mouse move ends it.
class ModalFrameWindow : public RecordingWindow {
 public:
  bool ended = false;
  int frames = 0;
  bool pumpResult = true;
  Reply OnShow(const Message&) {
    while (!ended && frames < 100) {
      ++frames;
      testing::ShowFrames(1);
      pumpResult = PumpPendingMessages();
      if (!pumpResult) break;
    }
    return Reply::Default();
  }
  Reply OnMouseMove(const Message&) {
    ended = true;
    return Reply::Default();
  }

 protected:
  const MessageTable* GetMessageTable() const override { return &table; }
  static const MessageTable::Entry entries[];
  static const MessageTable table;
};
const MessageTable::Entry ModalFrameWindow::entries[] = {
    {WM_SHOWWINDOW, 0, &Bind<&ModalFrameWindow::OnShow>},
    {WM_MOUSEMOVE, 0, &Bind<&ModalFrameWindow::OnMouseMove>}};
const MessageTable ModalFrameWindow::table{&Window::messageTable, entries};

TEST_F(WindowTest, FrameLoopInsideHandlerHearsInputThroughPump) {
  App app;
  ModalFrameWindow w;
  PushModal(&w);
  testing::SetScript("3:mousemove 10 10;7:mousemove 11 10");
  ASSERT_TRUE(w.Create(WS_POPUP | WS_VISIBLE, {0, 0, 640, 480}));
  // The first move is the one a window shown under the pointer gets: it
  // arrives after frame 3; the frame loop ends on it.
  EXPECT_TRUE(w.ended);
  EXPECT_EQ(w.frames, 3);
  PopModal(&w);
}

TEST_F(WindowTest, PumpAndModalLoopStopAtQuitAndLeaveItQueued) {
  RecordingWindow w;
  ASSERT_TRUE(w.Create());
  PostMessageA(w.Handle(), WM_USER, 0, 0);
  PostQuitMessage(7);
  EXPECT_FALSE(PumpPendingMessages());
  EXPECT_EQ(w.Count(WM_USER), 1u);  // posted messages before the quit are handled
  EXPECT_FALSE(RunModalLoop([] { return false; }));
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, 0, 0, 0));
  EXPECT_EQ(msg.wParam, 7u);

  int handled = 0;
  PostMessageA(w.Handle(), WM_USER, 0, 0);
  PostMessageA(w.Handle(), WM_USER, 0, 0);
  EXPECT_TRUE(RunModalLoop([&] { return ++handled > 2; }));
}

TEST_F(WindowTest, CloseRequestEndsTopModalAsCancelElseClosesMainWindow) {
  App app;
  RecordingWindow main, dialog;
  ASSERT_TRUE(main.Create());
  ASSERT_TRUE(dialog.Create(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200}));
  app.mainWindow = &main;
  PushModal(&dialog);
  EXPECT_EQ(GetActiveWindow(), dialog.Handle());
  raise(SIGTERM);
  PumpPendingMessages();
  ASSERT_EQ(dialog.Count(WM_COMMAND), 1u);
  EXPECT_EQ(LOWORD(dialog.Last(WM_COMMAND).wParam), IDCANCEL);
  PopModal(&dialog);

  raise(SIGINT);
  Sleep(1);  // a sleeping saver hears it too
  PumpPendingMessages();
  EXPECT_EQ(main.Handle(), 0u);  // WM_CLOSE's default processing destroyed it
}

TEST_F(WindowTest, MessageLoopWithoutAnyWindowEnds) {
  PostMessageA(0, WM_USER, 0, 0);  // a thread message, for no window
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(testing::QueuedMessages(), 0u);
}

TEST_F(WindowTest, CursorHiddenBySetCursorNullAndShownAgain) {
  EXPECT_TRUE(testing::CursorVisible());
  SetCursor(nullptr);
  EXPECT_FALSE(testing::CursorVisible());
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_TRUE(testing::CursorVisible());
  ShowCursor(FALSE);
  EXPECT_FALSE(testing::CursorVisible());
  ShowCursor(TRUE);
  EXPECT_TRUE(testing::CursorVisible());
}

}  // namespace
}  // namespace platform::test
