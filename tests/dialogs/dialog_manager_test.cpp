// dialog_manager_test.cpp — dialog units, tab order, the default button,
// Enter, Escape, Space, clicks, and what a dialog does without any way to
// show itself.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "dialog/painter.h"
#include "dialog_test_support.h"
#include "platform/resources.h"

namespace {

struct UnitCase {
  const char* name;
  RECT dialogUnits;
  platform::DialogBaseUnits base;
  RECT pixels;
};

// Listed and reported by name, not as bytes.
void PrintTo(const UnitCase& c, std::ostream* out) {
  *out << c.name;
}

class DialogUnits : public ::testing::TestWithParam<UnitCase> {};

TEST_P(DialogUnits, ConvertFromTheFontsCharacterCell) {
  const UnitCase& c = GetParam();
  const RECT r = platform::MapDialogRect(c.dialogUnits, c.base);
  EXPECT_EQ(r.left, c.pixels.left);
  EXPECT_EQ(r.top, c.pixels.top);
  EXPECT_EQ(r.right, c.pixels.right);
  EXPECT_EQ(r.bottom, c.pixels.bottom);
}

INSTANTIATE_TEST_SUITE_P(Dialog, DialogUnits,
                         ::testing::Values(
                             // The classic 8-point cell: 6 x 13 pixels.
                             UnitCase{"TesseraConfig", {0, 0, 178, 226}, {6, 13}, {0, 0, 267, 367}},
                             UnitCase{"HalcyonConfig", {0, 0, 255, 154}, {6, 13}, {0, 0, 383, 250}},
                             UnitCase{"Button", {17, 205, 67, 219}, {6, 13}, {26, 333, 101, 356}},
                             // Halves round away from zero, as MulDiv does.
                             UnitCase{"HalvesUp", {1, 1, 3, 3}, {6, 12}, {2, 2, 5, 5}},
                             UnitCase{"NegativeHalvesDown", {-1, -3, 0, 0}, {6, 4}, {-2, -2, 0, 0}},
                             UnitCase{"OneCell", {0, 0, 4, 8}, {7, 16}, {0, 0, 7, 16}}),
                         [](const ::testing::TestParamInfo<UnitCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(DialogFont, MeasuresItsCellLikeTheClassicFace) {
  const platform::dialog::Font font(8, false);
  const platform::DialogBaseUnits base = font.BaseUnits();
  if (!font.Loaded()) GTEST_SKIP() << "no dialog font installed";
  // A face close to the classic one: a cell of 6 or 7 by 12 to 14 pixels.
  EXPECT_GE(base.cx, 5);
  EXPECT_LE(base.cx, 7);
  EXPECT_GE(base.cy, 12);
  EXPECT_LE(base.cy, 14);
  EXPECT_EQ(platform::FontBaseUnits(8).cx, base.cx);
}

using DialogManager = DialogTest;

TEST_F(DialogManager, TabVisitsTabStopsInTemplateOrderAndWraps) {
  std::vector<int> forward, backward;
  RunProbe(102, [&](ProbeDialog& d) {
    forward.push_back(d.FocusedControl());
    for (int i = 0; i < 4; ++i) {
      d.Key(VK_TAB);
      forward.push_back(d.FocusedControl());
    }
    for (int i = 0; i < 4; ++i) {
      d.Key(VK_TAB, true);
      backward.push_back(d.FocusedControl());
    }
  });
  // The check box is no tab stop; statics and the group box take no focus.
  EXPECT_EQ(forward, (std::vector<int>{IDOK, IDCANCEL, 1008, 1000, IDOK}));
  EXPECT_EQ(backward, (std::vector<int>{1000, 1008, IDCANCEL, IDOK}));
}

TEST_F(DialogManager, DefaultButtonFollowsAFocusedPushButton) {
  std::vector<int> defaults;
  RunProbe(102, [&](ProbeDialog& d) {
    defaults.push_back(d.DefaultButton());  // OK has the focus
    d.Key(VK_TAB);
    defaults.push_back(d.DefaultButton());  // Cancel
    d.GotoDlgCtrl(1000);
    defaults.push_back(d.DefaultButton());  // the edit box: back to the template's default
  });
  EXPECT_EQ(defaults, (std::vector<int>{IDOK, IDCANCEL, IDOK}));
}

TEST_F(DialogManager, EnterPressesTheButtonThatIsDefaultNow) {
  EXPECT_EQ(RunProbe(102,
                     [](ProbeDialog& d) {
                       d.Key(VK_TAB);
                       d.Key(VK_RETURN);
                     }),
            IDCANCEL);
  EXPECT_EQ(RunProbe(102,
                     [](ProbeDialog& d) {
                       d.GotoDlgCtrl(1000);
                       d.Key(VK_RETURN);
                     }),
            IDOK);
  // A template without a default button still takes Enter as OK.
  EXPECT_EQ(RunProbe(129, [](ProbeDialog& d) { d.Key(VK_RETURN); }), IDOK);
}

TEST_F(DialogManager, SpaceTogglesTheFocusedCheckBoxAndPressesButtons) {
  std::vector<UINT> states;
  const INT_PTR result = RunProbe(102, [&](ProbeDialog& d) {
    d.Click(1021);  // a click focuses it though it is no tab stop
    states.push_back(d.IsDlgButtonChecked(1021));
    EXPECT_EQ(d.FocusedControl(), 1021);
    d.Key(VK_SPACE);
    states.push_back(d.IsDlgButtonChecked(1021));
    d.Key(VK_SPACE);
    states.push_back(d.IsDlgButtonChecked(1021));
    d.GotoDlgCtrl(IDCANCEL);
    d.Key(VK_SPACE);
  });
  EXPECT_EQ(states,
            (std::vector<UINT>{platform::BST_CHECKED, platform::BST_UNCHECKED, platform::BST_CHECKED}));
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogManager, AClickReleasedOutsideTheButtonDoesNothing) {
  const INT_PTR result = RunProbe(102, [](ProbeDialog& d) {
    const RECT ok = d.ControlRect(IDOK);
    d.WindowProc(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ok.left + 2, ok.top + 2));
    d.WindowProc(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ok.right + 20, ok.top + 2));
    d.WindowProc(WM_LBUTTONUP, 0, MAKELPARAM(ok.right + 20, ok.top + 2));
    EXPECT_FALSE(d.HasEnded());
    d.ClickAt(1, 1);  // on no control
    EXPECT_FALSE(d.HasEnded());
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogManager, EscapeAndTheCloseBoxCancel) {
  EXPECT_EQ(RunProbe(130, [](ProbeDialog& d) { d.Key(VK_ESCAPE); }), IDCANCEL);
  EXPECT_EQ(RunProbe(130, [](ProbeDialog& d) { d.WindowProc(WM_SYSCOMMAND, SC_CLOSE, 0); }), IDCANCEL);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DialogManager, ControlsTakeTheirTemplatePlaces) {
  RunProbe(130, [](ProbeDialog& d) {
    const platform::DialogBaseUnits base = d.BaseUnits();
    const RECT edit = d.ControlRect(1014);
    const RECT expected = platform::MapDialogRect(RECT{123, 179, 146, 191}, base);
    EXPECT_EQ(edit.left, expected.left);
    EXPECT_EQ(edit.bottom, expected.bottom);
    EXPECT_EQ(d.FocusedControl(), IDOK);
  });
}

TEST_F(DialogManager, MissingTemplateFailsAtOnce) {
  platform::SetDialogScript("ok");
  platform::Dialog dialog(4242);
  EXPECT_EQ(dialog.DoModal(), -1);
}

TEST_F(DialogManager, WithoutDisplayOrTerminalItSaysSoAndReturnsMinusOne) {
  if (platform::CurrentBackend() != platform::Backend::Headless) GTEST_SKIP() << "a display is open";
  platform::ClearDialogScript();
  const int saved = dup(STDIN_FILENO);
#if defined(_WIN32)
  const int devNull = open("NUL", O_RDONLY);
#else
  const int devNull = open("/dev/null", O_RDONLY);
#endif
  dup2(devNull, STDIN_FILENO);
  testing::internal::CaptureStderr();
  platform::Dialog dialog(130);
  const INT_PTR result = dialog.DoModal();
  const std::string said = testing::internal::GetCapturedStderr();
  dup2(saved, STDIN_FILENO);
  close(saved);
  close(devNull);
  EXPECT_EQ(result, -1);
  EXPECT_NE(said.find("no display"), std::string::npos) << said;
  EXPECT_TRUE(std::filesystem::is_empty(home));
}

TEST_F(DialogManager, PicturesHaveTheWindowsSizeWithFrameAndCaption) {
  if (!kDialogPictures) GTEST_SKIP() << "no pictures of dialogs in this build";
  for (int id : {130, 102, 129}) {
    const auto file = home / ("dialog" + std::to_string(id) + ".png");
    platform::SetDialogScript("png " + file.string() + ";cancel");
    platform::Dialog dialog(id);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 24u) << file;
    EXPECT_EQ(bytes[1], 'P');
    auto be32 = [&](size_t at) {
      return bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    };
    const platform::DialogBaseUnits base = platform::FontBaseUnits(8);
    const platform::DialogTemplate* t = platform::FindDialogTemplate(id);
    const RECT client = platform::MapDialogRect(RECT{0, 0, t->cx, t->cy}, base);
    EXPECT_EQ(be32(16), client.right + 6);
    EXPECT_EQ(be32(20), client.bottom + 6 + 18);
  }
}

}  // namespace
