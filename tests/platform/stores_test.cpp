// stores_test.cpp — the settings file and the registry: defaults, round
// trips, other sections, keys and values kept, damaged files, and atomic
// replacement (no temporary left, the old file intact when a write fails).
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <csignal>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace platform::test {
namespace {

class StoresTest : public PlatformTest {
 protected:
  std::string Read(const std::string& name) {
    std::ifstream in(home / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(home);
    std::ofstream(home / name, std::ios::binary) << bytes;
  }
  size_t FilesInHome() {
    size_t n = 0;
    for (auto& entry : std::filesystem::directory_iterator(home)) n += entry.is_regular_file();
    return n;
  }
  std::string ProfileString(const char* section, const char* key, const char* fallback = "none") {
    char buffer[256];
    GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, "tessera.INI");
    return buffer;
  }
};

TEST_F(StoresTest, ProfileDefaultsAndRoundTrip) {
  EXPECT_EQ(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI"), 20u);
  EXPECT_FALSE(std::filesystem::exists(home));  // reading creates nothing
  EXPECT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "35", "tessera.INI"));
  EXPECT_EQ(GetPrivateProfileIntA("config", "MAXOBJECTS", 20, "tessera.INI"), 35u);
  EXPECT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "-4", "tessera.INI"));
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI")), -4);
  EXPECT_EQ(Read("tessera.INI"), "[Config]\nMaxObjects=-4\n");
  EXPECT_EQ(FilesInHome(), 1u);  // no temporary left behind
}

struct IntCase {
  const char* stored;
  int expected;
};
class ProfileInt : public StoresTest, public ::testing::WithParamInterface<IntCase> {};

TEST_P(ProfileInt, ReadsAsWin32Does) {
  Write("tessera.INI", std::string("[Config]\nMaxObjects=") + GetParam().stored + "\n");
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI")),
            GetParam().expected)
      << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileInt,
                         ::testing::Values(IntCase{"25", 25}, IntCase{"  25  ", 25}, IntCase{"+7", 7},
                                           IntCase{"0x1F", 31}, IntCase{"12abc", 12}, IntCase{"abc", 0},
                                           IntCase{"", 20}, IntCase{"\"40\"", 40}, IntCase{"-0", 0}));

TEST_F(StoresTest, ProfileWriteKeepsEverythingElse) {
  const std::string original =
      "; settings\r\n[Other]\r\nA = 1\r\n\r\n[CONFIG]\r\nColour=red\r\nmaxobjects = "
      "12\r\n\r\n[Last]\r\nZ=9\r\n";
  Write("tessera.INI", original);
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "30", "tessera.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "New", "x y", "tessera.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Fresh", "K", "v", "tessera.INI"));
  // Untouched lines keep their line ends; new lines take the file's "\r\n".
  EXPECT_EQ(Read("tessera.INI"),
            "; settings\r\n[Other]\r\nA = 1\r\n\r\n[CONFIG]\r\nColour=red\r\nmaxobjects=30\r\nNew=x "
            "y\r\n\r\n[Last]\r\nZ=9\r\n\r\n[Fresh]\r\nK=v\r\n");
  EXPECT_EQ(ProfileString("other", "a"), "1");
  EXPECT_EQ(ProfileString("Config", "Missing", "fallback  "), "fallback");

  // Deleting a key and a section.
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "Colour", nullptr, "tessera.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Other", nullptr, nullptr, "tessera.INI"));
  EXPECT_EQ(
      Read("tessera.INI"),
      "; settings\r\n[CONFIG]\r\nmaxobjects=30\r\nNew=x y\r\n\r\n[Last]\r\nZ=9\r\n\r\n[Fresh]\r\nK=v\r\n");
  // A value that would break the file's lines is refused.
  EXPECT_FALSE(WritePrivateProfileStringA("Config", "Evil", "1\n[Config]\nMaxObjects=99", "tessera.INI"));
  EXPECT_EQ(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI"), 30u);
}

TEST_F(StoresTest, ProfileListsSectionsAndKeysAndCutsLongValues) {
  Write("tessera.INI", "[A]\nk1=v\nk2=w\n[B]\n");
  char buffer[32];
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, "tessera.INI");
  EXPECT_EQ(std::string(buffer, n), std::string("A\0B\0", 4));
  n = GetPrivateProfileStringA("A", nullptr, "", buffer, sizeof buffer, "tessera.INI");
  EXPECT_EQ(std::string(buffer, n), std::string("k1\0k2\0", 6));
  char small[4];
  EXPECT_EQ(GetPrivateProfileStringA("A", "k1", "", small, sizeof small, "tessera.INI"), 1u);
  EXPECT_EQ(GetPrivateProfileStringA("X", "k", "defaultvalue", small, sizeof small, "tessera.INI"), 3u);
  EXPECT_STREQ(small, "def");
}

TEST_F(StoresTest, DamagedProfileGivesDefaultsAndKeepsReadableRest) {
  using namespace std::string_literals;
  // An unclosed header, control bytes and a NUL, a key without a name, and
  // a key with a NUL in it.
  std::string damaged = "[Config\nMaxObjects=44\n\x01\x02garbage\0\xff\n[Good]\nKey=kept\n=novalue\n"s +
                        "[Config]\nMax\0Objects=3\n"s;
  Write("tessera.INI", damaged);
  EXPECT_EQ(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI"), 20u);
  EXPECT_EQ(ProfileString("Good", "Key"), "kept");
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "15", "tessera.INI"));
  EXPECT_EQ(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI"), 15u);
  EXPECT_EQ(ProfileString("Good", "Key"), "kept");
  std::string after = Read("tessera.INI");
  EXPECT_NE(after.find("garbage"), std::string::npos);  // damage is kept, not thrown away
  EXPECT_NE(after.find(std::string("Max\0Objects=3", 13)), std::string::npos);
}

// A file size limit is Linux's way of making a write fail half-way.
#if !defined(_WIN32)
TEST_F(StoresTest, FailedWriteLeavesOldFileAndNoTemporary) {
  Write("tessera.INI", "[Config]\nMaxObjects=12\n");
  // A file size limit makes the write of the new text fail half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit tight = old;
  tight.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  BOOL written = WritePrivateProfileStringA("Config", "Long", std::string(500, 'x').c_str(), "tessera.INI");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_EQ(Read("tessera.INI"), "[Config]\nMaxObjects=12\n");
  EXPECT_EQ(FilesInHome(), 1u);

  // A file too large to be a settings file is never rewritten.
  Write("big.INI", "[Config]\n" + std::string(2 << 20, ';'));
  EXPECT_FALSE(WritePrivateProfileStringA("Config", "K", "1", "big.INI"));
  EXPECT_EQ(std::filesystem::file_size(home / "big.INI"), 9u + (2u << 20));
}
#endif

class RegistryTest : public StoresTest {
 protected:
  void SetUp() override {
    StoresTest::SetUp();
    app = std::make_unique<App>();
    app->SetRegistryKey("Corvane\\Farreach");
  }
  void TearDown() override {
    app.reset();
    StoresTest::TearDown();
  }
  std::unique_ptr<App> app;
};

TEST_F(RegistryTest, ProfileDefaultsCreateTheKeyPathAndRoundTrip) {
  EXPECT_EQ(app->GetProfileInt("Config", "Mute", 0), 0u);
  EXPECT_EQ(app->GetProfileString("Config", "FileName", "/x/trans.xm"), "/x/trans.xm");
  // Reading created the path.
  HKEY key = nullptr;
  std::string path = "Software\\Corvane\\Farreach\\" + app->Name() + "\\Config";
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_TRUE(app->WriteProfileInt("Config", "Mute", 5));
  EXPECT_TRUE(app->WriteProfileString("Config", "FileName", "/music/a \"b\"\\c.xm"));
  EXPECT_EQ(app->GetProfileInt("Config", "Mute", 0), 5u);
  EXPECT_EQ(app->GetProfileString("Config", "FileName", ""), "/music/a \"b\"\\c.xm");
  std::string text = Read("registry.reg");
  EXPECT_NE(text.find("\"Mute\"=dword:00000005"), std::string::npos) << text;
  EXPECT_NE(text.find("\"FileName\"=\"/music/a \\\"b\\\"\\\\c.xm\""), std::string::npos) << text;
  EXPECT_EQ(FilesInHome(), 1u);
}

TEST_F(RegistryTest, IntegerReadsAtMostFourBytesStringReadsAnyType) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  std::string path = "Software\\Corvane\\Farreach\\" + app->Name() + "\\Config";
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const char longText[] = "longer than four";
  ASSERT_EQ(RegSetValueExA(key, "Mute", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText), sizeof longText),
            ERROR_SUCCESS);
  EXPECT_EQ(app->GetProfileInt("Config", "Mute", 9), 9u);  // data longer than 4 bytes: default
  EXPECT_EQ(app->GetProfileString("Config", "Mute", ""), "longer than four");

  DWORD size = 4;
  BYTE small[4];
  EXPECT_EQ(RegQueryValueExA(key, "mute", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof longText);
  EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  DWORD three = 3;
  EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_DWORD, small, three), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, WritesKeepOtherKeysValuesAndDamage) {
  const std::string original =
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n\"Bin\"=hex:01,02,ff\n"
      "not a line of ours\n\n"
      "[HKEY_CURRENT_USER\\software\\corvane\\farreach\\" +
      app->Name() + "\\config]\n\"mute\"=dword:00000001\n\"Other\"=dword:0000002a\n\"Broken\"=dword:xyz\n";
  Write("registry.reg", original);
  EXPECT_EQ(app->GetProfileInt("Config", "Mute", 0), 1u);
  EXPECT_EQ(app->GetProfileInt("Config", "Broken", 77), 77u);  // damaged value: missing
  EXPECT_TRUE(app->WriteProfileInt("Config", "Mute", 0));
  std::string text = Read("registry.reg");
  std::string expected = original;
  expected.replace(expected.find("\"mute\"=dword:00000001"), 21, "\"Mute\"=dword:00000000");
  EXPECT_EQ(text, expected);

  // A copy of the program under another name has its own, empty section.
  EXPECT_EQ(app->GetProfileInt("Config", "Other", 0), 42u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Other", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "Bin", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, 3u);
  EXPECT_EQ(size, 3u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, UnreadableOrHugeRegistryIsNeverOverwritten) {
  Write("registry.reg", std::string(3 << 20, '#'));
  EXPECT_EQ(app->GetProfileInt("Config", "Mute", 4), 4u);
  EXPECT_FALSE(app->WriteProfileInt("Config", "Mute", 1));
  EXPECT_EQ(std::filesystem::file_size(home / "registry.reg"), 3u << 20);
}

}  // namespace
}  // namespace platform::test
