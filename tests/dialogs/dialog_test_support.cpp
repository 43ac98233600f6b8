// dialog_test_support.cpp — the shared fixture and the probe dialog.
#include "dialog_test_support.h"

#include <cstdlib>

#include "halcyon/resources/dialog_templates.h"
#include "tessera/resources/dialog_templates.h"

void DialogTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  home = std::filesystem::temp_directory_path() / ("dialogs_tests_" + std::to_string(getpid())) / name;
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  setenv("SAVER_HOME", home.string().c_str(), 1);
  tessera::RegisterDialogTemplates();
  halcyon::RegisterDialogTemplates();
  platform::SetMessageBoxHook([this](HWND, const std::string& text, const std::string& caption, UINT type) {
    boxes.push_back({text, caption, type});
    return IDOK;
  });
}

void DialogTest::TearDown() {
  platform::SetMessageBoxHook({});
  platform::ClearDialogScript();
  std::error_code error;
  std::filesystem::remove_all(home, error);
  // The process's folder too, once its last test has gone (removing a
  // folder that still holds something fails and changes nothing).
  std::filesystem::remove(home.parent_path(), error);
}

const platform::MessageTable::Entry ProbeDialog::entries[1] = {
    {WM_SHOWWINDOW, 0, &platform::Bind<&ProbeDialog::OnShow>},
};
const platform::MessageTable ProbeDialog::table = {&platform::Dialog::messageTable, entries};

const platform::MessageTable* ProbeDialog::GetMessageTable() const {
  return &table;
}

platform::Reply ProbeDialog::OnShow(const platform::Message&) {
  body(*this);
  if (!HasEnded()) EndDialog(IDCANCEL);
  return platform::Reply::Handled();
}

void ProbeDialog::Key(WPARAM key, bool shift, bool control) {
  if (shift) WindowProc(WM_KEYDOWN, VK_SHIFT, 1);
  if (control) WindowProc(WM_KEYDOWN, VK_CONTROL, 1);
  WindowProc(WM_KEYDOWN, key, 1);
  if (key == VK_SPACE) WindowProc(WM_CHAR, ' ', 1);
  WindowProc(WM_KEYUP, key, 1);
  if (control) WindowProc(WM_KEYUP, VK_CONTROL, 1);
  if (shift) WindowProc(WM_KEYUP, VK_SHIFT, 1);
}

void ProbeDialog::Type(const std::string& text) {
  for (unsigned char c : text) WindowProc(WM_CHAR, c, 1);
}

void ProbeDialog::Click(int id) {
  const RECT r = ControlRect(id);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void ProbeDialog::ClickAt(int x, int y) {
  WindowProc(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  WindowProc(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

INT_PTR RunProbe(int templateId, const std::function<void(ProbeDialog&)>& body) {
  platform::SetDialogScript("");
  ProbeDialog probe(templateId, body);
  return probe.DoModal();
}
