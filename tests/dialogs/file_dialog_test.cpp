// file_dialog_test.cpp — the open-file dialog: the four types with the first
// selected, folder navigation, typed names, patterns and Cancel.
#include <fstream>

#include "dialog_test_support.h"
#include "halcyon/settings/world_config_dialog.h"

namespace {

struct Case {
  const char* name;
  std::string script;  // "$" stands for the test folder
  bool confirmed;
  std::string chosen;  // relative to the test folder
};

// Listed and reported by name, not as bytes.
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class OpenFile : public DialogTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    folder = home / "music";
    std::filesystem::create_directories(folder / "sub");
    for (const char* name : {"a.xm", "b.S3M", "c.mod", "d.txt", "sub/e.xm", ".hidden.xm"}) {
      std::ofstream(folder / name) << "x";
    }
  }
  std::string Expand(std::string text) const {
    for (size_t at = text.find('$'); at != std::string::npos; at = text.find('$')) {
      text.replace(at, 1, folder.string());
    }
    return text;
  }
  std::filesystem::path folder;
};

TEST_P(OpenFile, ChoosesWhatTheUserPicks) {
  const Case& c = GetParam();
  platform::SetDialogScript(Expand(c.script));
  std::string path = "unchanged";
  const bool confirmed =
      platform::OpenFileDialog(0, (folder / "a.xm").string(), halcyon::kMusicFileFilter, path);
  EXPECT_EQ(confirmed, c.confirmed);
  // The name comes back in the system's own form (backslashes on Windows).
  EXPECT_EQ(path, c.confirmed ? (folder / c.chosen).make_preferred().string() : "unchanged");
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, OpenFile,
    ::testing::Values(
        Case{"InitialName", "ok", true, "a.xm"},
        // The file list shows the selected type only, letter case ignored.
        Case{"FirstTypeFirstFile", "select 1120 0;ok", true, "a.xm"},
        Case{"ScreamTracker", "select 1136 1;select 1120 0;ok", true, "b.S3M"},
        Case{"NoiseTracker", "select 1136 2;select 1120 0;ok", true, "c.mod"},
        Case{"AllFiles", "select 1136 3;select 1120 3;ok", true, "d.txt"},
        Case{"PatternTyped", "choose *.mod;select 1120 0;ok", true, "c.mod"},
        // Folders: Enter on the folder list opens one, a folder's name typed too.
        Case{"IntoSubfolder", "focus 1121;select 1121 1;key enter;select 1120 0;ok", true, "sub/e.xm"},
        Case{"BackUp", "choose sub;focus 1121;select 1121 0;key enter;select 1120 0;ok", true, "a.xm"},
        Case{"TypedRelativeName", "choose sub/../new.xm", true, "new.xm"},
        Case{"AbsoluteName", "choose $/sub/e.xm", true, "sub/e.xm"},
        Case{"Cancel", "select 1120 0;cancel", false, ""}, Case{"Escape", "key escape", false, ""},
        // An empty name keeps the dialog open (the script then runs out).
        Case{"EmptyName", "set 1152 ;ok", false, ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(DialogTest, OpenFileStartsInTheCurrentFolderForABareName) {
  platform::SetDialogScript("ok");
  std::string path;
  ASSERT_TRUE(platform::OpenFileDialog(0, "tune.xm", "All Files (*.*)|*.*||", path));
  EXPECT_EQ(path, (std::filesystem::current_path() / "tune.xm").string());
}

TEST_F(DialogTest, OpenFileCutsTheInitialNameTo499Characters) {
  platform::SetDialogScript("ok");
  std::string path;
  ASSERT_TRUE(platform::OpenFileDialog(0, std::string(600, 'n'), "All Files (*.*)|*.*||", path));
  EXPECT_EQ(path, (std::filesystem::current_path() / std::string(499, 'n')).string());
}

}  // namespace
