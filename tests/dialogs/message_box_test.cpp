// message_box_test.cpp — message boxes from the dialog manager: the button
// set, default button and icon the flags ask for, a layout that fits its text
// and the screen, the keys and clicks that answer it, the answer given when
// no one can, and keys of a closed box that must not reach the window below.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/core.h"
#include "dialog/controls.h"
#include "dialog/message_box.h"
#include "dialog_test_support.h"
#include "platform/testing.h"
#include "tessera/settings/settings.h"

namespace {

using platform::dialog::MessageBoxTemplate;

const POINT kScreen{640, 480};

// The template's items in pixels, as the running box places them.
struct Laid {
  platform::DialogTemplate dialogTemplate;
  RECT client{};
  const platform::DialogItem* text = nullptr;
  const platform::DialogItem* icon = nullptr;
  std::vector<std::pair<const platform::DialogItem*, RECT>> buttons;
  RECT textRect{}, iconRect{};
};

RECT Pixels(const platform::DialogItem& item) {
  return platform::MapDialogRect(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy},
                                 platform::FontBaseUnits(8));
}

Laid Layout(const std::string& text, const std::string& caption, UINT type) {
  Laid laid;
  laid.dialogTemplate = MessageBoxTemplate(text, caption, type, kScreen);
  const auto& t = laid.dialogTemplate;
  laid.client = platform::MapDialogRect(RECT{0, 0, t.cx, t.cy}, platform::FontBaseUnits(8));
  for (const platform::DialogItem& item : t.items) {
    if (item.kind == platform::ItemKind::Icon) {
      laid.icon = &item;
      laid.iconRect = Pixels(item);
    } else if (item.kind == platform::ItemKind::Static) {
      laid.text = &item;
      laid.textRect = Pixels(item);
    } else {
      laid.buttons.push_back({&item, Pixels(item)});
    }
  }
  return laid;
}

// ---- What the flags ask for ----------------------------------------------------

struct FlagCase {
  const char* name;
  UINT type;
  std::vector<std::string> buttons;  // left to right
  int defaultButton;
  int icon;  // 0: none
};

// Listed and reported by name, not as bytes.
void PrintTo(const FlagCase& c, std::ostream* out) {
  *out << c.name;
}

class MessageBoxFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(MessageBoxFlags, GiveTheButtonsDefaultAndIcon) {
  const FlagCase& c = GetParam();
  const Laid laid = Layout("Text", "Caption", c.type);
  std::vector<std::string> texts;
  int defaults = 0;
  for (const auto& [item, rect] : laid.buttons) {
    texts.push_back(item->text);
    if (item->kind == platform::ItemKind::DefPushButton) {
      ++defaults;
      EXPECT_EQ(item->id, c.defaultButton);
    }
  }
  EXPECT_EQ(texts, c.buttons);
  EXPECT_EQ(defaults, 1);
  EXPECT_EQ(platform::dialog::MessageBoxDefaultButton(c.type), c.defaultButton);
  if (c.icon == 0) {
    EXPECT_EQ(laid.icon, nullptr);
  } else {
    ASSERT_NE(laid.icon, nullptr);
    EXPECT_EQ(laid.icon->bitmapId, c.icon);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Box, MessageBoxFlags,
    ::testing::Values(
        // tessera without a board, halcyon's failed set-up: OK alone, no icon.
        FlagCase{"PlainOk", MB_OK, {"OK"}, IDOK, 0},
        // The configuration dialogs' range and integer messages.
        FlagCase{"OkExclamation", MB_OK | MB_ICONEXCLAMATION, {"OK"}, IDOK, platform::IDI_EXCLAMATION},
        FlagCase{"OkCancelQuestion",
                 MB_OKCANCEL | MB_ICONQUESTION,
                 {"OK", "Cancel"},
                 IDOK,
                 platform::IDI_QUESTION},
        FlagCase{"YesNoCancelSecondDefault",
                 MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONHAND,
                 {"Yes", "No", "Cancel"},
                 IDNO,
                 platform::IDI_HAND},
        FlagCase{"YesNoThirdDefaultIsFirst", MB_YESNO | MB_DEFBUTTON3, {"Yes", "No"}, IDYES, 0},
        FlagCase{"AbortRetryIgnore",
                 MB_ABORTRETRYIGNORE | MB_ICONASTERISK,
                 {"Abort", "Retry", "Ignore"},
                 IDABORT,
                 platform::IDI_ASTERISK},
        FlagCase{"RetryCancel", MB_RETRYCANCEL | MB_DEFBUTTON2, {"Retry", "Cancel"}, IDCANCEL, 0},
        FlagCase{"UnknownSetIsOk", 0x7, {"OK"}, IDOK, 0}),
    [](const ::testing::TestParamInfo<FlagCase>& info) { return std::string(info.param.name); });

// ---- Layout --------------------------------------------------------------------

struct LayoutCase {
  const char* name;
  std::string text;
  std::string caption;
  UINT type;
  int minLines, maxLines;
};

// Listed and reported by name, not as bytes.
void PrintTo(const LayoutCase& c, std::ostream* out) {
  *out << c.name;
}

class MessageBoxLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MessageBoxLayout, FitsTheTextOnTheScreen) {
  const LayoutCase& c = GetParam();
  const Laid laid = Layout(c.text, c.caption, c.type);
  ASSERT_NE(laid.text, nullptr);
  const platform::dialog::Font font(8, false);
  const int width = laid.textRect.right - laid.textRect.left;
  const int height = laid.textRect.bottom - laid.textRect.top;
  // Every line fits the text's rectangle, which keeps within 5/8 of the screen.
  const std::vector<std::string> lines = platform::dialog::WrapWords(font, laid.text->text, width);
  EXPECT_GE(static_cast<int>(lines.size()), c.minLines);
  EXPECT_LE(static_cast<int>(lines.size()), c.maxLines);
  EXPECT_GE(height / font.Height(), static_cast<int>(lines.size()));
  for (const std::string& line : lines) EXPECT_LE(font.Width(line), width) << line;
  EXPECT_LE(width, kScreen.x * 5 / 8 + 2);
  // The whole box lies on the screen, frame and caption included.
  EXPECT_LE(laid.client.right + 6, kScreen.x);
  EXPECT_LE(laid.client.bottom + 24, kScreen.y);
  // Icon left of the text, both above the buttons; buttons in a centred row.
  if (laid.icon != nullptr) {
    EXPECT_LE(laid.iconRect.right, laid.textRect.left);
    EXPECT_GE(laid.iconRect.right - laid.iconRect.left, platform::dialog::SystemIcon::kSize);
  }
  ASSERT_FALSE(laid.buttons.empty());
  const RECT first = laid.buttons.front().second, last = laid.buttons.back().second;
  EXPECT_GE(first.top, std::max(laid.textRect.bottom, laid.iconRect.bottom));
  EXPECT_LE(std::abs((first.left - laid.client.left) - (laid.client.right - last.right)), 2);
  // Room for the caption beside the close box.
  const platform::dialog::Font bold(8, true);
  EXPECT_GE(laid.client.right, bold.Width(c.caption) + 30);
}

INSTANTIATE_TEST_SUITE_P(
    Box, MessageBoxLayout,
    ::testing::Values(LayoutCase{"RangeMessage", "Please enter an integer between 10 and 50.", "tessera",
                                 MB_OK | MB_ICONEXCLAMATION, 1, 1},
                      LayoutCase{"NoBoard", "Unable to detect Voodoo Hardware", "Error", MB_OK, 1, 1},
                      LayoutCase{"EmptyCaptionAndShortText", "failed", "", MB_OK, 1, 1},
                      LayoutCase{"NewLinesKept", "one\ntwo\n\nfour", "Lines", MB_OKCANCEL, 4, 4},
                      LayoutCase{"LongTextWraps",
                                 std::string(60, 'w') + " " + std::string(300, 'x').replace(0, 0, "a ") +
                                     " and some more words to wrap onto further lines",
                                 "Wrap", MB_OK | MB_ICONHAND, 3, 20},
                      LayoutCase{"OneHugeWordIsBroken", std::string(2000, 'm'), "Word", MB_OK, 5, 40},
                      LayoutCase{"EndlessTextIsCut", std::string(200000, 'z'), "Cut",
                                 MB_OK | MB_ICONEXCLAMATION, 5, 40},
                      LayoutCase{"LongCaption", "short", std::string(60, 'C'), MB_OK, 1, 1}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(MessageBoxLayoutCut, EndsWithAnEllipsis) {
  const Laid laid = Layout(std::string(200000, 'z'), "Cut", MB_OK);
  ASSERT_NE(laid.text, nullptr);
  EXPECT_EQ(laid.text->text.substr(laid.text->text.size() - 3), "...");
}

// ---- Answering it --------------------------------------------------------------

// Message boxes shown as the dialog manager shows them (no hook).
class MessageBoxRun : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    platform::SetMessageBoxHook({});
  }
};

struct AnswerCase {
  const char* name;
  UINT type;
  std::string script;
  int answer;
};

// Listed and reported by name, not as bytes.
void PrintTo(const AnswerCase& c, std::ostream* out) {
  *out << c.name;
}

class MessageBoxAnswer : public MessageBoxRun, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(MessageBoxAnswer, IsTheButtonTheUserChose) {
  const AnswerCase& c = GetParam();
  platform::SetDialogScript(c.script);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(0, "Text", "Caption", c.type), c.answer);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("Caption: Text"), std::string::npos) << errors;
}

INSTANTIATE_TEST_SUITE_P(
    Box, MessageBoxAnswer,
    ::testing::Values(AnswerCase{"EnterPressesOk", MB_OK | MB_ICONEXCLAMATION, "key enter", IDOK},
                      AnswerCase{"EscapeOnALoneOkIsOk", MB_OK, "key escape", IDOK},
                      AnswerCase{"CloseBoxOnALoneOkIsOk", MB_OK, "close", IDOK},
                      AnswerCase{"EscapeIsCancel", MB_OKCANCEL, "key escape", IDCANCEL},
                      AnswerCase{"CloseBoxIsCancel", MB_YESNOCANCEL, "close", IDCANCEL},
                      AnswerCase{"FocusStartsOnTheDefault", MB_YESNO | MB_DEFBUTTON2, "key space", IDNO},
                      AnswerCase{"TabMovesTheDefault", MB_OKCANCEL, "key tab;key enter", IDCANCEL},
                      AnswerCase{"ShiftTabWraps", MB_ABORTRETRYIGNORE, "key shift+tab;key enter", IDIGNORE},
                      AnswerCase{"ClickAButton", MB_YESNOCANCEL, "click 6", IDYES},
                      AnswerCase{"TypingChangesNothing", MB_OKCANCEL, "type abc;key x;key enter", IDOK},
                      AnswerCase{"ScriptRunsOut", MB_OKCANCEL, "", IDCANCEL}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

// No display and no script: the text goes to standard error, the picture to
// SAVER_DIALOG_PNG, and the default button answers.
TEST_F(MessageBoxRun, WithoutAnyoneToAnswerTakesTheDefault) {
  const std::filesystem::path png = home / "box.png";
  setenv("SAVER_DIALOG_PNG", png.string().c_str(), 1);
  ::testing::internal::CaptureStderr();
  const int plain = MessageBoxA(0, "Unable to detect Voodoo Hardware", "Error", MB_OK);
  const int second = MessageBoxA(0, "failed", "", MB_YESNO | MB_DEFBUTTON2);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  unsetenv("SAVER_DIALOG_PNG");
  EXPECT_EQ(plain, IDOK);
  EXPECT_EQ(second, IDNO);
  EXPECT_NE(errors.find("Error: Unable to detect Voodoo Hardware\n"), std::string::npos) << errors;
  EXPECT_NE(errors.find("\nfailed\n"), std::string::npos) << errors;
  if (kDialogPictures) {
    std::ifstream file(png, std::ios::binary);
    char signature[4] = {};
    file.read(signature, 4);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  }
}

// The range message over the configuration dialog takes the script's actions
// in turn; once it is answered the dialog has the keyboard again, its text selected.
TEST_F(MessageBoxRun, OverTheConfigurationDialogTakesTheNextActions) {
  const std::filesystem::path png = home / "range.png";
  platform::SetDialogScript("type 5;ok;" + (kDialogPictures ? "png " + png.string() + ";" : std::string()) +
                            "key enter;type 25;ok");
  ::testing::internal::CaptureStderr();
  tessera::ConfigDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(dialog.enteredCount, 25);
  EXPECT_NE(errors.find("Please enter an integer between 10 and 50."), std::string::npos) << errors;
  EXPECT_EQ(errors.find("dialog script"), std::string::npos) << errors;
  EXPECT_EQ(std::filesystem::exists(png), kDialogPictures);
}

// ---- Keys of a closed box ---------------------------------------------------------

class PlainWindow : public platform::Window {
 public:
  bool Create() {
    return CreateEx(0, RegisterClass("MessageBoxTestWindow", 0), "", WS_POPUP, 0, 0, 10, 10, 0);
  }
};

struct KeyCase {
  const char* name;
  UINT message;
  WPARAM key;
  LPARAM flags;
  bool reachesBelow;
};

// Listed and reported by name, not as bytes.
void PrintTo(const KeyCase& c, std::ostream* out) {
  *out << c.name;
}

class KeysOfAClosedBox : public ::testing::TestWithParam<KeyCase> {
 protected:
  void SetUp() override { platform::testing::Reset(); }
  void TearDown() override { platform::testing::Reset(); }
};

TEST_P(KeysOfAClosedBox, NeverReachTheWindowBelow) {
  const KeyCase& c = GetParam();
  PlainWindow below, box;
  ASSERT_TRUE(below.Create());
  ASSERT_TRUE(box.Create());
  platform::PushModal(&below);
  platform::PushModal(&box);
  // Enter goes down in the box, which closes on it.
  platform::PostInput(WM_KEYDOWN, VK_RETURN, 1);
  platform::PopModal(&box);
  box.DestroyWindow();
  platform::TheCore().queue.clear();
  platform::PostInput(c.message, c.key, c.flags);
  const auto& queue = platform::TheCore().queue;
  if (c.reachesBelow) {
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.front().hwnd, below.Handle());
  } else {
    EXPECT_TRUE(queue.empty());
  }
}

constexpr LPARAM kRepeat = 1 | (LPARAM{1} << 30), kRelease = 1 | (LPARAM{3} << 30);

INSTANTIATE_TEST_SUITE_P(Box, KeysOfAClosedBox,
                         ::testing::Values(KeyCase{"HeldEnterRepeats", WM_KEYDOWN, VK_RETURN, kRepeat, false},
                                           KeyCase{"EnterIsReleased", WM_KEYUP, VK_RETURN, kRelease, false},
                                           KeyCase{"EnterTypesACharacter", WM_CHAR, '\r', 1, false},
                                           KeyCase{"EnterPressedAgain", WM_KEYDOWN, VK_RETURN, 1, true},
                                           KeyCase{"AnotherKeyPressed", WM_KEYDOWN, 'A', 1, true},
                                           KeyCase{"AnotherKeyReleased", WM_KEYUP, 'A', kRelease, true},
                                           KeyCase{"MouseMove", WM_MOUSEMOVE, 0, 0, true}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) {
                           return std::string(info.param.name);
                         });

// A key held down while a dialog opens over its window: its repeats and
// characters do not press anything in the dialog, its release still arrives.
TEST_F(KeysOfAClosedBox, AKeyHeldWhileADialogOpensIsNotRepeatedIntoIt) {
  PlainWindow below, dialog;
  ASSERT_TRUE(below.Create());
  ASSERT_TRUE(dialog.Create());
  platform::PushModal(&below);
  platform::PostInput(WM_KEYDOWN, VK_RETURN, 1);
  platform::PostInput(WM_KEYDOWN, VK_SHIFT, 1);
  platform::PushModal(&dialog);
  auto& queue = platform::TheCore().queue;
  queue.clear();
  platform::PostInput(WM_KEYDOWN, VK_RETURN, kRepeat);
  platform::PostInput(WM_CHAR, '\r', kRepeat);
  EXPECT_TRUE(queue.empty());
  platform::PostInput(WM_KEYUP, VK_RETURN, kRelease);
  platform::PostInput(WM_KEYUP, VK_SHIFT, kRelease);
  ASSERT_EQ(queue.size(), 2u);
  EXPECT_EQ(queue.front().hwnd, dialog.Handle());
  // A fresh press is the dialog's.
  queue.clear();
  platform::PostInput(WM_KEYDOWN, VK_RETURN, 1);
  platform::PostInput(WM_CHAR, '\r', 1);
  EXPECT_EQ(queue.size(), 2u);
}

// A message box's loop serves the box alone: the window whose handler showed
// it gets neither its messages nor a paint until the box has ended.
class CountingWindow : public PlainWindow {
 public:
  int seen = 0;

 protected:
  LRESULT DefaultProc(const platform::Message& message) override {
    ++seen;
    return platform::Window::DefaultProc(message);
  }
};

using BoxLoop = KeysOfAClosedBox;

TEST_F(BoxLoop, HoldsTheOtherWindowsMessagesUntilItEnds) {
  CountingWindow below, box;
  ASSERT_TRUE(below.Create());
  ASSERT_TRUE(box.Create());
  ShowWindow(below.Handle(), SW_SHOW);
  platform::TheCore().queue.clear();
  below.seen = box.seen = 0;
  PostMessageA(below.Handle(), WM_USER, 0, 0);
  PostMessageA(box.Handle(), WM_USER, 0, 0);
  EXPECT_TRUE(platform::RunModalLoop([&] { return box.seen > 0; }, box.Handle()));
  EXPECT_EQ(below.seen, 0);
  ASSERT_EQ(platform::TheCore().queue.size(), 1u);
  // Afterwards the program's own loop delivers it, and the paint.
  EXPECT_TRUE(platform::PumpPendingMessages());
  EXPECT_EQ(below.seen, 2);
}

}  // namespace
