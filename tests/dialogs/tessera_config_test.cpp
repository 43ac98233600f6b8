// tessera_config_test.cpp — the object-count dialog's checks in their order,
// with their messages, and the settings file it is stored in.
#include <fstream>

#include "dialog_test_support.h"
#include "tessera/settings/settings.h"

namespace {

const std::string kRangeMessage = "Please enter an integer between 10 and 50.";
const std::string kIntegerMessage = "Please enter an integer.";

// ConfigDialog, noting where the focus and selection are after each OK.
class WatchedConfigDialog : public tessera::ConfigDialog {
 public:
  int focusAfterOk = 0;
  int selectionStart = -1, selectionEnd = -1;
  std::string textAfterOk;

 protected:
  void OnOK() override {
    tessera::ConfigDialog::OnOK();
    focusAfterOk = FocusedControl();
    GetEditSelection(1014, selectionStart, selectionEnd);
    textAfterOk = GetDlgItemText(1014);
  }
};

struct Case {
  const char* name;
  std::string script;
  INT_PTR result;
  int32_t count;                      // enteredCount at the end
  std::vector<std::string> messages;  // message boxes, in order
};

// Listed and reported by name, not as bytes.
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class ConfigValidation : public DialogTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ConfigValidation, ChecksInOrderWithTheirMessages) {
  const Case& c = GetParam();
  platform::SetDialogScript(c.script);
  WatchedConfigDialog dialog;
  EXPECT_EQ(dialog.DoModal(), c.result);
  EXPECT_EQ(dialog.enteredCount, c.count);
  std::vector<std::string> shown;
  for (const RecordedBox& box : boxes) {
    shown.push_back(box.text);
    EXPECT_EQ(box.caption, platform::ProgramPath().stem().string());
    EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
  }
  EXPECT_EQ(shown, c.messages);
  if (c.result != IDOK && !c.messages.empty()) {
    // A refused value leaves the edit box focused with all its text selected.
    EXPECT_EQ(dialog.focusAfterOk, 1014);
    EXPECT_EQ(dialog.selectionStart, 0);
    EXPECT_EQ(dialog.selectionEnd, static_cast<int>(dialog.textAfterOk.size()));
  }
}

const std::string k29Blanks(29, ' ');

INSTANTIATE_TEST_SUITE_P(
    Dialog, ConfigValidation,
    ::testing::Values(
        // The box starts at 0, whatever is stored: Enter at once is out of range.
        Case{"EnterAtOnce", "key enter", IDCANCEL, 0, {kRangeMessage}},
        Case{"Lowest", "type 10;ok", IDOK, 10, {}}, Case{"Highest", "type 50;key enter", IDOK, 50, {}},
        Case{"BelowRange", "type 9;ok", IDCANCEL, 9, {kRangeMessage}},
        Case{"AboveRange", "type 51;ok", IDCANCEL, 51, {kRangeMessage}},
        Case{"BlanksAround", "paste  25 ;ok", IDOK, 25, {}},
        Case{"TabsAndSign", "paste \t+30\t;ok", IDOK, 30, {}},
        Case{"Negative", "paste -12;ok", IDCANCEL, -12, {kRangeMessage}},
        Case{"Letters", "paste abc;ok", IDCANCEL, 0, {kIntegerMessage}},
        Case{"TwoNumbers", "paste 2 5;ok", IDCANCEL, 0, {kIntegerMessage}},
        Case{"SignAlone", "paste -;ok", IDCANCEL, 0, {kIntegerMessage}},
        Case{"Empty", "focus 1014;key delete;ok", IDCANCEL, 0, {kIntegerMessage}},
        Case{"Huge", "paste 99999999999;ok", IDCANCEL, INT32_MAX, {kRangeMessage}},
        // Only the first 31 characters are read.
        Case{"JunkPast31", "paste 25" + k29Blanks + "x;ok", IDOK, 25, {}},
        Case{"JunkAt31", "paste 25" + k29Blanks.substr(1) + "x;ok", IDCANCEL, 0, {kIntegerMessage}},
        // The box takes digits only from the keyboard.
        Case{"TypedLettersIgnored", "type 2x5;ok", IDOK, 25, {}},
        // After a refusal the selected text is replaced by what is typed next.
        Case{"RetryAfterRefusal", "ok;type 30;ok", IDOK, 30, {kRangeMessage}},
        Case{"CancelAfterValid", "type 25;cancel", IDCANCEL, 0, {}},
        Case{"EscapeAfterValid", "type 25;key escape", IDCANCEL, 0, {}},
        Case{"CloseBox", "type 25;close", IDCANCEL, 0, {}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

using ConfigSettings = DialogTest;

// The configuration mode of the program: store the count on OK only.
void Configure(const std::string& script) {
  platform::SetDialogScript(script);
  tessera::ConfigDialog dialog;
  if (dialog.DoModal() == IDOK) tessera::WriteMaxObjects(dialog.enteredCount);
}

TEST_F(ConfigSettings, DefaultThenStoredValue) {
  EXPECT_EQ(tessera::ReadMaxObjects(), 20);
  Configure("type 33;ok");
  EXPECT_EQ(tessera::ReadMaxObjects(), 33);
  const auto file = home / (platform::ProgramPath().stem().string() + ".INI");
  std::ifstream in(file);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("[Config]"), std::string::npos) << content;
  EXPECT_NE(content.find("MaxObjects=33"), std::string::npos) << content;
}

TEST_F(ConfigSettings, CancelAfterAValidNumberWritesNothing) {
  Configure("type 25;cancel");
  EXPECT_TRUE(std::filesystem::is_empty(home));
  Configure("type 12;ok");
  Configure("type 40;key escape");
  EXPECT_EQ(tessera::ReadMaxObjects(), 12);
}

TEST_F(ConfigSettings, NegativeValueRoundTrips) {
  tessera::WriteMaxObjects(-7);
  EXPECT_EQ(tessera::ReadMaxObjects(), -7);
}

}  // namespace
