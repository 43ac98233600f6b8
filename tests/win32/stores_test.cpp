// The Windows backend's stores on the real system (Windows or Wine): the
// registry and the settings file are the system's; so is thread priority.
#include <gtest/gtest.h>
#include <process.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win32.h"
#include "win32/native.h"
#include "win32/win32_backend.h"

namespace platform {
namespace {

constexpr uintptr_t kCurrentUser = 0x80000001;
constexpr const char* kIniName = "savers_tests.INI";

class StoresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = std::filesystem::temp_directory_path() / ("win32_tests_" + std::to_string(_getpid()));
    std::filesystem::remove_all(home);
    // The system's stores: SAVER_HOME would keep the settings as text.
    _putenv_s("SAVER_HOME", "");
    // A key of this run's own, so that runs never see each other's values.
    registryKey = "SaversTests\\Run" + std::to_string(_getpid());
  }
  void TearDown() override {
    std::filesystem::remove_all(home);
    std::filesystem::remove(win32::SettingsFilePath(kIniName));
    _putenv_s("SAVER_HOME", "");
    win32::DeleteTree(kCurrentUser, ("Software\\" + registryKey).c_str());
    win32::DeleteTree(kCurrentUser, "Software\\SaversTests");
  }
  std::filesystem::path home;
  std::string registryKey;
};

// What the program writes is in the real registry for anyone who reads it
// with the system's own calls, as the program's settings are written.
TEST_F(StoresTest, ValuesGoToTheRealRegistry) {
  const std::string path = "Software\\" + registryKey + "\\halcyon\\Config";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD mute = 1;
  ASSERT_EQ(RegSetValueExA(key, "Mute", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mute), sizeof mute),
            ERROR_SUCCESS);
  const char name[] = "C:\\music\\trans.xm";
  ASSERT_EQ(RegSetValueExA(key, "FileName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name),
            ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  uintptr_t native = 0;
  ASSERT_EQ(win32::OpenKey(kCurrentUser, path.c_str(), 0, KEY_READ, &native), ERROR_SUCCESS);
  unsigned long type = 0;
  uint32_t value = 0;
  unsigned long size = sizeof value;
  EXPECT_EQ(win32::QueryValue(native, "Mute", &type, reinterpret_cast<uint8_t*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, 1u);
  char text[64] = {};
  size = sizeof text;
  EXPECT_EQ(win32::QueryValue(native, "FileName", &type, reinterpret_cast<uint8_t*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_STREQ(text, name);
  win32::CloseKey(native);

  // And the program reads back what it wrote: size first, then the text.
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD kind = 0, needed = 0;
  ASSERT_EQ(RegQueryValueExA(key, "FileName", nullptr, &kind, nullptr, &needed), ERROR_SUCCESS);
  EXPECT_EQ(needed, sizeof name);
  std::string back(needed, '\0');
  ASSERT_EQ(RegQueryValueExA(key, "FileName", nullptr, &kind, reinterpret_cast<BYTE*>(back.data()), &needed),
            ERROR_SUCCESS);
  EXPECT_STREQ(back.c_str(), name);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(StoresTest, RegistryRefusesWhatTheSystemRefuses) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\SaversTests\\Missing", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SaversTests\\A", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SaversTests\\A", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  // A value too large for the buffer says so and how large it is.
  const char text[] = "longer than four bytes";
  ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The settings file is the system's: a bare name lands in the settings
// folder, and the file reads as the system wrote it.
TEST_F(StoresTest, SettingsFileIsWrittenByTheSystem) {
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "25", kIniName));
  EXPECT_EQ(GetPrivateProfileIntA("Config", "MaxObjects", 10, kIniName), 25u);
  EXPECT_EQ(GetPrivateProfileIntA("Config", "Missing", 10, kIniName), 10u);
  const std::string text = ReadAll(win32::SettingsFilePath(kIniName));
  EXPECT_NE(text.find("[Config]"), std::string::npos) << text;
  EXPECT_NE(text.find("MaxObjects=25"), std::string::npos) << text;

  char buffer[8];
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "Name", "a long value", kIniName));
  // Cut to the buffer, as the system cuts: size - 1 characters and the NUL.
  EXPECT_EQ(GetPrivateProfileStringA("Config", "Name", "", buffer, sizeof buffer, kIniName), 7u);
  EXPECT_STREQ(buffer, "a long ");
}

// With SAVER_HOME set the settings stay as text in that folder, as on Linux,
// and the system's registry and Windows folder are not touched.
TEST_F(StoresTest, SaverHomeKeepsTheSettingsAsText) {
  _putenv_s("SAVER_HOME", home.string().c_str());
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "25", kIniName));
  EXPECT_EQ(ReadAll(home / kIniName), "[Config]\nMaxObjects=25\n");
  HKEY key = nullptr;
  const std::string path = "Software\\" + registryKey;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(home / "registry.reg"));
  _putenv_s("SAVER_HOME", "");
  uintptr_t native = 0;
  EXPECT_EQ(win32::OpenKey(kCurrentUser, path.c_str(), 0, KEY_READ, &native), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(win32::SettingsFilePath(kIniName)));
}

// Without SAVER_HOME the file goes where Win32 puts it, the Windows folder,
// when it may be written there; else the per-user folder.
TEST_F(StoresTest, SettingsFolderIsTheWindowsFolderOrThePerUserOne) {
  const std::filesystem::path folder = win32::SettingsFileFolder();
  if (auto windows = win32::WritableWindowsFolder()) {
    EXPECT_EQ(folder, *windows);
  } else {
    EXPECT_EQ(folder, win32::PerUserFolder());
  }
  EXPECT_EQ(win32::SettingsFilePath("tessera.INI"), folder / "tessera.INI");
  EXPECT_EQ(win32::SettingsFilePath("C:\\elsewhere\\x.INI"), std::filesystem::path("C:\\elsewhere\\x.INI"));
}

TEST(ThreadPriorityTest, CallingThreadOnly) {
  EXPECT_EQ(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE), TRUE);
  EXPECT_EQ(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL), TRUE);
  EXPECT_EQ(SetThreadPriority(reinterpret_cast<HANDLE>(1), THREAD_PRIORITY_IDLE), FALSE);
}

}  // namespace
}  // namespace platform
