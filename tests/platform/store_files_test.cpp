// store_files_test.cpp — the settings stores against what a user's system
// may put where a settings file belongs: a FIFO, a device, a folder or a
// socket (refused at once, defaults read, nothing written), symbolic links
// (written through), damaged line ends and other damage (a confirmed write is
// what the next read returns), a write past the size limit, temporaries of
// writes that died, and the list forms of GetPrivateProfileString at every
// buffer size.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "test_support.h"

namespace platform::test {
namespace {

using namespace std::string_literals;

class StoreFilesTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    std::filesystem::create_directories(home);
    // A read that blocks fails the test instead of hanging it.
    alarm(30);
  }
  void TearDown() override {
    alarm(0);
    PlatformTest::TearDown();
  }
  std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  int MaxObjects() {
    return static_cast<int>(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI"));
  }
  std::string Keep() {
    char buffer[64];
    GetPrivateProfileStringA("Other", "Keep", "none", buffer, sizeof buffer, "tessera.INI");
    return buffer;
  }
};

// FIFOs, sockets and links to devices are Linux's (Windows has none among files).
#if !defined(_WIN32)
// ---- Not a regular file --------------------------------------------------------

enum class Kind { Fifo, Folder, Socket, Device };
struct NonRegularCase {
  const char* name;
  Kind kind;
};

void MakeNonRegular(const std::filesystem::path& path, Kind kind) {
  switch (kind) {
    case Kind::Fifo:
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
      break;
    case Kind::Folder:
      std::filesystem::create_directory(path);
      break;
    case Kind::Socket: {
      const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      ASSERT_LT(path.string().size(), sizeof address.sun_path);
      std::strcpy(address.sun_path, path.c_str());
      ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
      close(fd);
      break;
    }
    case Kind::Device:
      std::filesystem::create_symlink("/dev/zero", path);
      break;
  }
}

std::filesystem::file_type TypeOf(const std::filesystem::path& path) {
  return std::filesystem::symlink_status(path).type();
}

class NonRegularStore : public StoreFilesTest, public ::testing::WithParamInterface<NonRegularCase> {};

TEST_P(NonRegularStore, ProfileReadsTheDefaultAndRefusesToWrite) {
  const std::filesystem::path file = home / "tessera.INI";
  MakeNonRegular(file, GetParam().kind);
  const auto type = TypeOf(file);
  EXPECT_EQ(MaxObjects(), 20);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(WritePrivateProfileStringA("Config", "MaxObjects", "25", "tessera.INI"));
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("tessera.INI: settings not written"), std::string::npos) << errors;
  EXPECT_EQ(TypeOf(file), type);
  EXPECT_EQ(MaxObjects(), 20);
}

TEST_P(NonRegularStore, RegistryGivesDefaultsAndRefusesToWrite) {
  const std::filesystem::path file = home / "registry.reg";
  MakeNonRegular(file, GetParam().kind);
  const auto type = TypeOf(file);
  App app;
  app.SetRegistryKey("Corvane\\Farreach");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(app.GetProfileInt("Config", "Mute", 7), 7u);
  EXPECT_EQ(app.GetProfileString("Config", "FileName", "x.xm"), "x.xm");
  EXPECT_FALSE(app.WriteProfileInt("Config", "Mute", 1));
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("registry.reg: settings not written"), std::string::npos) << errors;
  EXPECT_EQ(TypeOf(file), type);
}

INSTANTIATE_TEST_SUITE_P(Kinds, NonRegularStore,
                         ::testing::Values(NonRegularCase{"Fifo", Kind::Fifo},
                                           NonRegularCase{"Folder", Kind::Folder},
                                           NonRegularCase{"Socket", Kind::Socket},
                                           NonRegularCase{"Device", Kind::Device}),
                         [](const auto& info) { return std::string(info.param.name); });

#endif

// ---- Damaged files: a confirmed write is what the next read returns -------------

struct DamageCase {
  const char* name;
  std::string bytes;
  int before;        // what MaxObjects reads from the damaged file
  std::string kept;  // bytes that every write must leave as they were
};

class DamagedProfile : public StoreFilesTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedProfile, ReadsBackEveryConfirmedValue) {
  const DamageCase& c = GetParam();
  Write(home / "tessera.INI", c.bytes);
  EXPECT_EQ(MaxObjects(), c.before);
  const std::string keep = Keep();
  for (const char* value : {"25", "26", "25"}) {
    ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", value, "tessera.INI"));
    EXPECT_EQ(MaxObjects(), std::stoi(value)) << Read(home / "tessera.INI");
    EXPECT_EQ(Keep(), keep);
  }
  EXPECT_NE(Read(home / "tessera.INI").find(c.kept), std::string::npos) << Read(home / "tessera.INI");
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedProfile,
    ::testing::Values(
        DamageCase{"CrCrLf", "[Config]\r\r\nMaxObjects=33\r\r\n[Other]\r\r\nKeep=me\r\r\n", 33,
                   "Keep=me\r\r\n"},
        DamageCase{"CrLf", "[Config]\r\nMaxObjects=33\r\n[Other]\r\nKeep=me\r\n", 33,
                   "[Other]\r\nKeep=me\r\n"},
        DamageCase{"LoneCrLineEnds", "[Config]\rMaxObjects=33\r[Other]\rKeep=me\r", 20,
                   "[Config]\rMaxObjects=33\r[Other]\rKeep=me\r"},
        DamageCase{"CrAtTheEnd", "[Other]\nKeep=me\n[Config]\nMaxObjects=33\r", 33, "[Other]\nKeep=me\n"},
        DamageCase{"NoFinalLineFeed", "[Other]\nKeep=me\n[Config]\nMaxObjects=33", 33, "Keep=me\n"},
        DamageCase{"ControlByteInValue",
                   "[Config]\nMaxObjects=3\x01"
                   "3\n[Other]\nKeep=me\n",
                   20,
                   "MaxObjects=3\x01"
                   "3\n"},
        DamageCase{"NulInKeyLine",
                   "[Config]\nMaxObjects=3\0"
                   "3\n[Other]\nKeep=me\n"s,
                   20,
                   "MaxObjects=3\0"
                   "3\n"s},
        DamageCase{"ByteOrderMark", "\xEF\xBB\xBF[Config]\nMaxObjects=33\n[Other]\nKeep=me\n", 20,
                   "\xEF\xBB\xBF[Config]\nMaxObjects=33\n"},
        DamageCase{"DuplicateSections", "[Config]\nOther=1\n[Other]\nKeep=me\n[Config]\nMaxObjects=33\n", 20,
                   "[Config]\nMaxObjects=33\n"},
        DamageCase{"HeaderWithNote", "[Config] ; note\r\r\n  MaxObjects = 33 \r\r\n", 33,
                   "[Config] ; note\r\r\n"},
        DamageCase{"ControlByteInHeader",
                   "[Con\x02"
                   "fig]\nMaxObjects=33\n",
                   20,
                   "[Con\x02"
                   "fig]\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RegistryDamageCase {
  const char* name;
  std::string bytes;  // $ stands for the application's key
  unsigned before;
};

class DamagedRegistry : public StoreFilesTest, public ::testing::WithParamInterface<RegistryDamageCase> {};

TEST_P(DamagedRegistry, ReadsBackEveryConfirmedValue) {
  App app;
  app.SetRegistryKey("Corvane\\Farreach");
  std::string bytes = GetParam().bytes;
  const std::string key = "HKEY_CURRENT_USER\\Software\\Corvane\\Farreach\\" + app.Name() + "\\Config";
  for (size_t at; (at = bytes.find('$')) != std::string::npos;) bytes.replace(at, 1, key);
  Write(home / "registry.reg", bytes);
  EXPECT_EQ(app.GetProfileInt("Config", "Mute", 9), GetParam().before);
  for (int mute : {1, 0, 1}) {
    ASSERT_TRUE(app.WriteProfileInt("Config", "Mute", mute));
    const std::string name = "/music/" + std::to_string(mute) + ".xm";
    ASSERT_TRUE(app.WriteProfileString("Config", "FileName", name));
    EXPECT_EQ(app.GetProfileInt("Config", "Mute", 9), static_cast<unsigned>(mute))
        << Read(home / "registry.reg");
    EXPECT_EQ(app.GetProfileString("Config", "FileName", ""), name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedRegistry,
    ::testing::Values(
        RegistryDamageCase{"CrCrLf", "[$]\r\r\n\"Mute\"=dword:00000005\r\r\n\"FileName\"=\"/old.xm\"\r\r\n",
                           5},
        RegistryDamageCase{"LoneCrLineEnds", "[$]\r\"Mute\"=dword:00000005\r", 9},
        RegistryDamageCase{"NoFinalLineFeed", "[$]\n\"Mute\"=dword:00000005", 5},
        RegistryDamageCase{"DuplicateHeaders", "[$]\n\"Other\"=dword:1\n\n[$]\n\"Mute\"=dword:00000005\n", 9},
        RegistryDamageCase{"DamagedValue", "[$]\n\"Mute\"=dword:zz\n\"Mute\"=dword:00000005\n", 5},
        RegistryDamageCase{"UnclosedHeader", "[$\n\"Mute\"=dword:00000005\n", 9}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The size limit: what is written can be read -------------------------------

TEST_F(StoreFilesTest, ProfileWritesUpToTheLimitAndRefusesPastIt) {
  const std::string head = "[Config]\nMaxObjects=33\n[Pad]\nK=";
  const size_t limit = size_t{1} << 20;
  // "[Pad]\nK=<pad>\n" brought to exactly the limit by the value written.
  const std::string fits(limit - head.size() - 1, 'x');
  Write(home / "tessera.INI", head + "y\n");
  ASSERT_TRUE(WritePrivateProfileStringA("Pad", "K", fits.c_str(), "tessera.INI"));
  EXPECT_EQ(std::filesystem::file_size(home / "tessera.INI"), limit);
  EXPECT_EQ(MaxObjects(), 33);

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(WritePrivateProfileStringA("Pad", "K", (fits + "x").c_str(), "tessera.INI"));
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("larger than a settings file may be"), std::string::npos) << errors;
  EXPECT_EQ(std::filesystem::file_size(home / "tessera.INI"), limit);
  EXPECT_EQ(MaxObjects(), 33);  // still readable, still the old values
  EXPECT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "34", "tessera.INI"));
  EXPECT_EQ(MaxObjects(), 34);
}

TEST_F(StoreFilesTest, RegistryRefusesAFileNameThatWouldPassTheLimit) {
  App app;
  app.SetRegistryKey("Corvane\\Farreach");
  ASSERT_TRUE(app.WriteProfileInt("Config", "Mute", 1));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(app.WriteProfileString("Config", "FileName", "/music/" + std::string(1100000, 'a') + ".xm"));
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("registry.reg: settings not written"), std::string::npos) << errors;
  EXPECT_EQ(app.GetProfileInt("Config", "Mute", 0), 1u);
  EXPECT_TRUE(app.WriteProfileInt("Config", "Mute", 0));
  EXPECT_EQ(app.GetProfileInt("Config", "Mute", 1), 0u);
}

// ---- Temporaries of writes that died, symbolic links ---------------------------

TEST_F(StoreFilesTest, AWriteRemovesStaleTemporariesOfItsFileOnly) {
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10);
  auto make = [&](const std::string& name, bool stale) {
    Write(home / name, "half a settings file");
    if (stale) std::filesystem::last_write_time(home / name, old);
  };
  make(".tessera.INI.a1B2c3", true);   // a dead write's
  make(".tessera.INI.Zz9Yy8", false);  // perhaps a write under way
  make(".tessera.INI.backup1", true);  // not a temporary's name
  make(".other.INI.a1B2c3", true);     // another file's
  make("tessera.INI.a1B2c3", true);
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "25", "tessera.INI"));
  EXPECT_FALSE(std::filesystem::exists(home / ".tessera.INI.a1B2c3"));
  for (const char* name :
       {".tessera.INI.Zz9Yy8", ".tessera.INI.backup1", ".other.INI.a1B2c3", "tessera.INI.a1B2c3"})
    EXPECT_TRUE(std::filesystem::exists(home / name)) << name;
}

// Symbolic links need a right ordinary Windows users lack.
#if !defined(_WIN32)
TEST_F(StoreFilesTest, WritesGoThroughSymbolicLinks) {
  const std::filesystem::path elsewhere = home / "elsewhere";
  std::filesystem::create_directories(elsewhere);
  Write(elsewhere / "real.INI", "[Config]\nMaxObjects=12\n");
  std::filesystem::create_symlink("middle.INI", home / "tessera.INI");  // a chain: two links
  std::filesystem::create_symlink("elsewhere/real.INI", home / "middle.INI");
  ASSERT_TRUE(WritePrivateProfileStringA("Config", "MaxObjects", "25", "tessera.INI"));
  EXPECT_TRUE(std::filesystem::is_symlink(home / "tessera.INI"));
  EXPECT_TRUE(std::filesystem::is_symlink(home / "middle.INI"));
  EXPECT_EQ(Read(elsewhere / "real.INI"), "[Config]\nMaxObjects=25\n");
  EXPECT_EQ(MaxObjects(), 25);

  // A link to a file not made yet: the write makes it.
  App app;
  app.SetRegistryKey("Corvane\\Farreach");
  std::filesystem::create_symlink(elsewhere / "registry.reg", home / "registry.reg");
  ASSERT_TRUE(app.WriteProfileInt("Config", "Mute", 1));
  EXPECT_TRUE(std::filesystem::is_symlink(home / "registry.reg"));
  EXPECT_NE(Read(elsewhere / "registry.reg").find("\"Mute\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(app.GetProfileInt("Config", "Mute", 0), 1u);
}
#endif

// ---- Lists of names into the caller's buffer -----------------------------------

struct ListCase {
  const char* name;
  const char* section;  // null: the section names
  std::string list;     // the whole list, each name ending in a zero
};

class ProfileList : public StoreFilesTest, public ::testing::WithParamInterface<ListCase> {};

// Every size from 0 to past the whole list: nothing is written outside the
// buffer, and a list cut short still ends in two zeros.
TEST_P(ProfileList, FitsEveryBufferSize) {
  Write(home / "tessera.INI", "[a]\nk=1\nlonger key=2\n[bc]\n[def]\nx=3\n");
  const std::string& list = GetParam().list;
  constexpr size_t kGuard = 16;
  for (size_t size = 0; size <= list.size() + 2; ++size) {
    // Exactly size bytes on the heap (AddressSanitizer sees an overflow), and
    // guard bytes checked in a second copy for builds without it.
    std::unique_ptr<char[]> exact(new char[size == 0 ? 1 : size]);
    GetPrivateProfileStringA(GetParam().section, nullptr, "", exact.get(), static_cast<DWORD>(size),
                             "tessera.INI");
    std::vector<char> buffer(size + kGuard, '#');
    const DWORD n = GetPrivateProfileStringA(GetParam().section, nullptr, "", buffer.data(),
                                             static_cast<DWORD>(size), "tessera.INI");
    EXPECT_EQ(std::string(buffer.data() + size, kGuard), std::string(kGuard, '#')) << "size " << size;
    if (size == 0) {
      EXPECT_EQ(n, 0u);
    } else if (size == 1) {
      EXPECT_EQ(n, 0u);
      EXPECT_EQ(buffer[0], 0);
    } else if (list.size() + 1 <= size) {
      EXPECT_EQ(std::string(buffer.data(), n), list) << "size " << size;
      EXPECT_EQ(buffer[n], 0);
    } else {
      EXPECT_EQ(n, size - 2) << "size " << size;
      EXPECT_EQ(std::string(buffer.data(), n), list.substr(0, n));
      EXPECT_EQ(buffer[size - 2], 0);
      EXPECT_EQ(buffer[size - 1], 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Lists, ProfileList,
                         ::testing::Values(ListCase{"Sections", nullptr, "a\0bc\0def\0"s},
                                           ListCase{"Keys", "a", "k\0longer key\0"s},
                                           ListCase{"NoKeys", "bc", ""s}, ListCase{"NoSection", "zz", ""s}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platform::test
