// dialog_test_support.h — what the dialog tests share: a fresh settings
// folder per test, the programs' templates registered, message boxes
// recorded instead of shown, and a dialog that runs a test body while it is up.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/host.h"

// The dialog manager draws pictures of its dialogs on Linux only; on Windows
// the dialogs on the desktop are Win32's own.
#if defined(_WIN32)
inline constexpr bool kDialogPictures = false;
#else
inline constexpr bool kDialogPictures = true;
#endif

struct RecordedBox {
  std::string text;
  std::string caption;
  UINT type = 0;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::vector<RecordedBox> boxes;
  std::filesystem::path home;  // SAVER_HOME of this test
};

// A dialog on any template that runs body once it is shown (focus set,
// controls filled), then ends as Cancel unless body ended it.
class ProbeDialog : public platform::Dialog {
 public:
  ProbeDialog(int templateId, std::function<void(ProbeDialog&)> body)
      : platform::Dialog(templateId), body(std::move(body)) {}
  using platform::Dialog::WindowProc;

  void Key(WPARAM key, bool shift = false, bool control = false);
  void Type(const std::string& text);
  void Click(int id);
  void ClickAt(int x, int y);

 protected:
  const platform::MessageTable* GetMessageTable() const override;

 private:
  platform::Reply OnShow(const platform::Message& message);
  std::function<void(ProbeDialog&)> body;
  static const platform::MessageTable::Entry entries[1];
  static const platform::MessageTable table;
};

// Runs a probe on a template with scripted input (so no display is needed).
INT_PTR RunProbe(int templateId, const std::function<void(ProbeDialog&)>& body);
