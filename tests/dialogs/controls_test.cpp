// controls_test.cpp — the edit box and the list box on their own: caret,
// selection, scrolling, clipboard, digits-only input, and list selection.
#include <gtest/gtest.h>

#include "dialog/controls.h"

namespace {

using namespace platform::dialog;

class FakeHost : public ControlHost {
 public:
  const Font& DialogFont() const override { return font; }
  void Notify(int id, WORD code) override { notes.push_back({id, code}); }
  void Invalidate() override {}
  bool ShiftDown() const override { return shift; }
  bool ControlDown() const override { return control; }
  std::string ClipboardText() const override { return clipboard; }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  DWORD Now() const override { return nowMs; }

  Font font{8, false};
  std::vector<std::pair<int, WORD>> notes;
  bool shift = false, control = false;
  std::string clipboard;
  DWORD nowMs = 1000;
};

platform::DialogItem EditItem(DWORD style) {
  platform::DialogItem item;
  item.id = 7;
  item.kind = platform::ItemKind::Edit;
  item.style = style;
  return item;
}

class Edit : public ::testing::Test {
 protected:
  FakeHost host;
  EditBox edit{host, EditItem(WS_BORDER | platform::ES_AUTOHSCROLL), RECT{0, 0, 60, 20}};
  void Type(const std::string& text) {
    for (unsigned char c : text) edit.Char(c);
  }
  void Key(WPARAM key, bool shift = false, bool control = false) {
    host.shift = shift;
    host.control = control;
    edit.KeyDown(key);
    host.shift = host.control = false;
  }
  std::pair<size_t, size_t> Selection() const { return {edit.SelectionStart(), edit.SelectionEnd()}; }
};

TEST_F(Edit, TypingMovingAndDeleting) {
  Type("hello");
  Key(VK_LEFT);
  Key(VK_LEFT);
  Type("X");
  EXPECT_EQ(edit.Text(), "helXlo");
  Key(VK_BACK);
  EXPECT_EQ(edit.Text(), "hello");
  Key(VK_DELETE);
  EXPECT_EQ(edit.Text(), "helo");
  Key(VK_HOME);
  Key(VK_BACK);  // nothing before the start
  Key(VK_END);
  Key(VK_DELETE);  // nothing after the end
  EXPECT_EQ(edit.Text(), "helo");
  EXPECT_EQ(host.notes.back(), (std::pair<int, WORD>{7, EN_CHANGE}));
}

TEST_F(Edit, ShiftSelectsAndTypingReplacesTheSelection) {
  Type("abcdef");
  Key(VK_HOME);
  Key(VK_RIGHT, true);
  Key(VK_RIGHT, true);
  EXPECT_EQ(Selection(), (std::pair<size_t, size_t>{0, 2}));
  Type("Z");
  EXPECT_EQ(edit.Text(), "Zcdef");
  Key(VK_END, true);
  Key(VK_LEFT);  // collapses to the selection's start
  EXPECT_EQ(Selection(), (std::pair<size_t, size_t>{1, 1}));
}

TEST_F(Edit, FocusByKeyboardSelectsAllByMouseDoesNot) {
  edit.SetText("1234");
  edit.FocusGained(true);
  EXPECT_EQ(Selection(), (std::pair<size_t, size_t>{0, 4}));
  edit.SetSelection(2, 2);
  edit.FocusGained(false);
  EXPECT_EQ(Selection(), (std::pair<size_t, size_t>{2, 2}));
  edit.MouseDown(0, 5);
  edit.MouseUp(0, 5);
  EXPECT_EQ(Selection(), (std::pair<size_t, size_t>{0, 0}));
}

TEST_F(Edit, ClipboardCopyCutAndPasteOfTheFirstLine) {
  Type("abc");
  Key('A', false, true);
  Key('C', false, true);
  EXPECT_EQ(host.clipboard, "abc");
  Key('X', false, true);
  EXPECT_EQ(edit.Text(), "");
  host.clipboard = " 25 \nsecond line";
  Key('V', false, true);
  EXPECT_EQ(edit.Text(), " 25 ");
  // Control letters do not type.
  host.control = true;
  EXPECT_EQ(edit.Text(), " 25 ");
}

TEST_F(Edit, DigitsOnlyRefusesTypedLettersButNotPaste) {
  EditBox digits(host, EditItem(WS_BORDER | platform::ES_NUMBER), RECT{0, 0, 60, 20});
  for (unsigned char c : std::string("1a2-3 ")) digits.Char(c);
  EXPECT_EQ(digits.Text(), "123");
  host.clipboard = "-4";
  host.control = true;
  digits.KeyDown('V');
  EXPECT_EQ(digits.Text(), "123-4");
}

TEST_F(Edit, ScrollsToKeepTheCaretInView) {
  if (!host.font.Loaded()) GTEST_SKIP() << "no dialog font installed";
  Type(std::string(40, 'w'));
  EXPECT_GT(edit.ScrollX(), 0);
  const int end = edit.ScrollX();
  Key(VK_HOME);
  EXPECT_EQ(edit.ScrollX(), 0);
  Key(VK_END);
  EXPECT_EQ(edit.ScrollX(), end);
}

TEST_F(Edit, KeepsMultiByteCharactersWhole) {
  edit.Char(0xE9);    // é
  edit.Char(0x20AC);  // €
  EXPECT_EQ(edit.Text(), "\xC3\xA9\xE2\x82\xAC");
  Key(VK_BACK);
  EXPECT_EQ(edit.Text(), "\xC3\xA9");
  Key(VK_LEFT, true);
  EXPECT_EQ(Selection(), (std::pair<size_t, size_t>{0, 2}));
  edit.SetSelection(1, 1);  // inside a character: moved to its start
  EXPECT_EQ(Selection().first, 0u);
}

TEST(List, KeysClicksDoubleClicksAndTypeAhead) {
  FakeHost host;
  platform::DialogItem item;
  item.id = 9;
  item.kind = platform::ItemKind::ListBox;
  ListBox list(host, item, RECT{0, 0, 100, 4 + 3 * host.font.Height()});
  list.SetItems({"alpha", "beta", "[gamma]", "delta", "epsilon"});
  EXPECT_EQ(list.Selection(), -1);
  list.KeyDown(VK_DOWN);
  EXPECT_EQ(list.Selection(), 0);
  list.KeyDown(VK_END);
  EXPECT_EQ(list.Selection(), 4);
  list.Char('g');
  EXPECT_EQ(list.Selection(), 2);
  host.notes.clear();
  const int rowY = 2 + host.font.Height() / 2;
  list.KeyDown(VK_HOME);
  list.MouseDown(10, rowY + host.font.Height());  // second visible row
  host.nowMs += 100;
  list.MouseDown(10, rowY + host.font.Height());
  EXPECT_EQ(list.Selection(), 1);
  ASSERT_FALSE(host.notes.empty());
  EXPECT_EQ(host.notes.back().second, LBN_DBLCLK);
  const size_t notesBefore = host.notes.size();
  host.nowMs += 2000;
  list.MouseDown(10, rowY + host.font.Height());
  EXPECT_EQ(host.notes.size(), notesBefore);  // too slow for a double click
  list.MouseDown(10, 1000);                   // below the items: nothing
  EXPECT_EQ(list.Selection(), 1);
}

}  // namespace
