// halcyon_config_test.cpp — the world saver's configuration: the registry
// values with their defaults, what the dialog shows, Browse, and OK as the
// only time anything is written.
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <optional>

#include "dialog_test_support.h"
#include "halcyon/resources/dialog_templates.h"
#include "halcyon/settings/configuration.h"
#include "halcyon/settings/world_config_dialog.h"

namespace {

constexpr const char* kKey = "Corvane\\Farreach";

class TestApp : public platform::App {};

class HalcyonConfig : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    app.SetRegistryKey(kKey);
  }
  INT_PTR Run(const std::string& script) {
    platform::SetDialogScript(script);
    return halcyon::RunConfigurationDialog(app);
  }
  std::string StoredFile() { return app.GetProfileString("Config", "FileName", "<none>"); }
  int StoredMute() { return static_cast<int>(app.GetProfileInt("Config", "Mute", -99)); }
  static std::string DefaultFile() { return (platform::ProgramPath().parent_path() / "trans.xm").string(); }
  TestApp app;
};

// The dialog with what it shows at the start noted.
class WatchedWorldDialog : public halcyon::WorldConfigDialog {
 public:
  std::string shownFile;
  UINT shownMute = 99;
  int firstFocus = -1;

 protected:
  const platform::MessageTable* GetMessageTable() const override { return &table; }

 private:
  platform::Reply OnShow(const platform::Message&) {
    shownFile = GetDlgItemText(1000);
    shownMute = IsDlgButtonChecked(1021);
    firstFocus = FocusedControl();
    return platform::Reply::Default();
  }
  static const platform::MessageTable::Entry entries[1];
  static const platform::MessageTable table;
};
const platform::MessageTable::Entry WatchedWorldDialog::entries[1] = {
    {WM_SHOWWINDOW, 0, &platform::Bind<&WatchedWorldDialog::OnShow>}};
const platform::MessageTable WatchedWorldDialog::table = {&halcyon::WorldConfigDialog::messageTable, entries};

TEST_F(HalcyonConfig, FreshSystemCancelWritesNothingButLeavesTheKeys) {
  EXPECT_EQ(Run("cancel"), IDCANCEL);
  EXPECT_EQ(StoredFile(), "<none>");
  EXPECT_EQ(StoredMute(), -99);
  HKEY key = nullptr;
  const std::string path = std::string("Software\\") + kKey + "\\" + app.Name() + "\\Config";
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(HalcyonConfig, OkWithTheDefaultsStoresThem) {
  EXPECT_EQ(Run("ok"), IDOK);
  EXPECT_EQ(StoredFile(), DefaultFile());
  EXPECT_EQ(StoredMute(), 0);
}

TEST_F(HalcyonConfig, ToggleAndTypedNameAreStored) {
  EXPECT_EQ(Run("toggle 1021;set 1000 /music/space.xm;ok"), IDOK);
  EXPECT_EQ(StoredFile(), "/music/space.xm");
  EXPECT_EQ(StoredMute(), 1);
  // And shown next time.
  EXPECT_EQ(Run("toggle 1021;ok"), IDOK);
  EXPECT_EQ(StoredMute(), 0);
  EXPECT_EQ(StoredFile(), "/music/space.xm");
}

struct MuteCase {
  int32_t stored;
  UINT shown;
};

// Listed and reported by name, not as bytes.
void PrintTo(const MuteCase& c, std::ostream* out) {
  *out << "stored " << c.stored << ", shown " << c.shown;
}

class StoredMute : public HalcyonConfig, public ::testing::WithParamInterface<MuteCase> {};

TEST_P(StoredMute, ShowsAsTheBoxCanAndStoresZeroOrOne) {
  const MuteCase& c = GetParam();
  platform::SetDialogScript("ok");
  WatchedWorldDialog dialog;
  dialog.mute = c.stored;
  dialog.fileName = "x.xm";
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.shownMute, c.shown);
  EXPECT_EQ(dialog.mute, static_cast<int32_t>(c.shown));
  EXPECT_EQ(dialog.shownFile, "x.xm");
  EXPECT_EQ(dialog.firstFocus, IDOK);
}

INSTANTIATE_TEST_SUITE_P(Dialog, StoredMute,
                         ::testing::Values(MuteCase{0, 0}, MuteCase{1, 1}, MuteCase{2, 1}, MuteCase{5, 0},
                                           MuteCase{-1, 0}),
                         [](const ::testing::TestParamInfo<MuteCase>& info) {
                           const int32_t stored = info.param.stored;
                           return "Stored" +
                                  (stored < 0 ? "Minus" + std::to_string(-stored) : std::to_string(stored));
                         });

TEST_F(HalcyonConfig, StoredMuteOfFiveIsStoredAsZeroAtOk) {
  app.WriteProfileInt("Config", "Mute", 5);
  EXPECT_EQ(Run("ok"), IDOK);
  EXPECT_EQ(StoredMute(), 0);
}

TEST_F(HalcyonConfig, BrowseThenCancelInEitherDialog) {
  // Cancel in the file dialog: the name is unchanged.
  EXPECT_EQ(Run("browse;cancel;ok"), IDOK);
  EXPECT_EQ(StoredFile(), DefaultFile());
  // A file chosen, then Cancel in the configuration dialog: nothing is stored.
  app.WriteProfileString("Config", "FileName", "/old.xm");
  EXPECT_EQ(Run("browse;choose /tmp/new.xm;cancel"), IDCANCEL);
  EXPECT_EQ(StoredFile(), "/old.xm");
  EXPECT_EQ(Run("browse;choose /tmp/new.xm;ok"), IDOK);
  // Stored as the system names it (on Windows with the current folder's drive).
  EXPECT_EQ(StoredFile(), std::filesystem::absolute("/tmp/new.xm").make_preferred().string());
}

TEST_F(HalcyonConfig, LongNameIsCutForBrowseOnlyAndStoredWhole) {
  const std::string longName(600, 'm');
  app.WriteProfileString("Config", "FileName", longName);
  EXPECT_EQ(Run("ok"), IDOK);
  EXPECT_EQ(StoredFile(), longName);
  EXPECT_EQ(Run("browse;ok;ok"), IDOK);
  EXPECT_EQ(StoredFile(), (std::filesystem::current_path() / std::string(499, 'm')).string());
}

// The same program under another file name keeps its own settings: this
// test binary runs under two names as a child that configures.
TEST(HalcyonRenamed, ChildRun) {
  if (std::getenv("DIALOGS_CHILD") == nullptr)
    GTEST_SKIP() << "runs as a child of RenamedProgramHasFreshSettings";
  halcyon::RegisterDialogTemplates();
  TestApp app;
  app.SetRegistryKey(kKey);
  EXPECT_EQ(halcyon::RunConfigurationDialog(app), IDOK);
}

// Runs copies of this program through the shell: Linux only.
#if !defined(_WIN32)
std::optional<std::string> QueryValue(const std::string& appName, const char* value) {
  const std::string path = std::string("Software\\") + kKey + "\\" + appName + "\\Config";
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  BYTE data[1024] = {};
  DWORD type = 0, size = sizeof data - 1;
  const LSTATUS status = RegQueryValueExA(key, value, nullptr, &type, data, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  if (type == REG_DWORD) return std::to_string(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
  return std::string(reinterpret_cast<char*>(data));
}

TEST_F(HalcyonConfig, RenamedProgramHasFreshSettings) {
  const std::filesystem::path bin = home / "bin";
  std::filesystem::create_directories(bin);
  auto run = [&](const std::string& name, const std::string& script) {
    const std::filesystem::path program = bin / name;
    std::error_code error;
    std::filesystem::create_hard_link(platform::ProgramPath(), program, error);
    if (error) std::filesystem::copy_file(platform::ProgramPath(), program, error);
    const std::string command = "DIALOGS_CHILD=1 GLIDE_DISPLAY=headless SAVER_HOME='" + home.string() +
                                "' SAVER_DIALOG_SCRIPT='" + script + "' '" + program.string() +
                                "' --gtest_filter=HalcyonRenamed.ChildRun >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run("farreach", "toggle 1021;ok"), 0);
  EXPECT_EQ(QueryValue("farreach", "Mute"), "1");
  EXPECT_EQ(QueryValue("farreach", "FileName"), (bin / "trans.xm").string());
  EXPECT_EQ(QueryValue("farreach2", "Mute"), std::nullopt);
  ASSERT_EQ(run("farreach2.scr", "ok"), 0);
  EXPECT_EQ(QueryValue("farreach2", "Mute"), "0");
  EXPECT_EQ(QueryValue("farreach", "Mute"), "1");
}
#endif

}  // namespace
