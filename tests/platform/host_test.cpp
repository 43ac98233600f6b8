// host_test.cpp — the command line, the application name, the hosting
// switches, the seed, the thread priority and the resources lookup.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/syscall.h>
#endif
#include <unistd.h>

#include <array>
#include <thread>

#include "core/core.h"
#include "platform/resources.h"
#include "test_support.h"

namespace platform::test {
namespace {

struct HostedCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* environment;
  std::vector<std::string> left;
  std::optional<uint32_t> window;
  bool error;
};

constexpr uint32_t kRoot = 0x1ff;

class HostedArguments : public ::testing::TestWithParam<HostedCase> {};

TEST_P(HostedArguments, AreFoundAnywhereAndRemoved) {
  const HostedCase& c = GetParam();
  ParsedArguments parsed = ParseArguments(c.arguments, c.environment, [] { return kRoot; });
  EXPECT_EQ(parsed.arguments, c.left);
  EXPECT_EQ(parsed.hostedWindow, c.window);
  EXPECT_EQ(!parsed.error.empty(), c.error) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, HostedArguments,
    ::testing::Values(
        HostedCase{"WindowIdHex", {"-s", "-window-id", "0x1a00003"}, nullptr, {"-s"}, 0x1a00003u, false},
        HostedCase{"WindowIdDecimalFirst", {"--window-id", "1234", "/s"}, nullptr, {"/s"}, 1234u, false},
        HostedCase{"EnvironmentHex", {"-s"}, "0x2c00007", {"-s"}, 0x2c00007u, false},
        HostedCase{"EnvironmentDecimal", {"-s"}, "4711", {"-s"}, 4711u, false},
        HostedCase{"ArgumentBeatsEnvironment", {"-s", "-window-id", "12"}, "0x99", {"-s"}, 12u, false},
        HostedCase{"EmptyEnvironment", {"-s"}, "", {"-s"}, std::nullopt, false},
        HostedCase{"BadEnvironment", {"-s"}, "nonsense", {"-s"}, std::nullopt, true},
        HostedCase{"WindowIdWithoutValue", {"-s", "-window-id"}, nullptr, {"-s"}, std::nullopt, true},
        HostedCase{"WindowIdNotANumber", {"-window-id", "0xZZ", "-s"}, nullptr, {"-s"}, std::nullopt, true},
        HostedCase{"LookAlikesStay",
                   {"/c", "window-id", "5", "root", "-rooted", "fps"},
                   nullptr,
                   {"/c", "window-id", "5", "root", "-rooted", "fps"},
                   std::nullopt,
                   false},
        // A host's command line reaches halcyon's first-argument rule with -s first.
        HostedCase{"RootFirst", {"-root", "-s"}, nullptr, {"-s"}, kRoot, false},
        HostedCase{"DoubleDashRootLast", {"/s", "--root"}, nullptr, {"/s"}, kRoot, false},
        HostedCase{"EnvironmentBeatsRoot", {"-root", "-s"}, "0x2c", {"-s"}, 0x2cu, false},
        HostedCase{"WindowIdBeatsRoot", {"-root", "-window-id", "7", "-s"}, nullptr, {"-s"}, 7u, false},
        HostedCase{"HostFlags",
                   {"-fps", "--mono", "-window", "-s", "-install", "--noinstall", "--pair", "-no-fps"},
                   nullptr,
                   {"-s"},
                   std::nullopt,
                   false},
        HostedCase{"VisualAndItsName",
                   {"-visual", "GL", "-s", "--visual", "0x21"},
                   nullptr,
                   {"-s"},
                   std::nullopt,
                   false},
        HostedCase{"VisualWithoutName", {"-s", "-visual"}, nullptr, {"-s"}, std::nullopt, true}),
    [](const ::testing::TestParamInfo<HostedCase>& info) { return std::string(info.param.name); });

// The XScreenSaver description's scale option reaches the Glide library, anywhere on the line.
TEST(HostedArguments, GlideScaleIsTakenOut) {
  ParsedArguments parsed = ParseArguments({"-glide-scale", "native", "-s"}, nullptr, [] { return kRoot; });
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"-s"});
  EXPECT_EQ(parsed.glideScale, "native");
  EXPECT_TRUE(parsed.error.empty());
  parsed = ParseArguments({"-s", "--glide-scale"}, nullptr, [] { return kRoot; });
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"-s"});
  EXPECT_EQ(parsed.glideScale, "");
  EXPECT_FALSE(parsed.error.empty());
}

TEST(HostedArguments, GlideColourIsTakenOut) {
  ParsedArguments parsed =
      ParseArguments({"-s", "-glide-color", "32", "-glide-scale", "2"}, nullptr, [] { return kRoot; });
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"-s"});
  EXPECT_EQ(parsed.glideColour, "32");
  EXPECT_EQ(parsed.glideScale, "2");
  EXPECT_TRUE(parsed.error.empty());
  parsed = ParseArguments({"-s", "-glide-color"}, nullptr, [] { return kRoot; });
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"-s"});
  EXPECT_EQ(parsed.glideColour, "");
  EXPECT_FALSE(parsed.error.empty());
}

TEST(HostedRoot, WithoutAnXDisplayTheSaverKeepsItsOwnWindow) {
  int asked = 0;
  auto none = [&asked]() -> std::optional<uint32_t> {
    ++asked;
    return std::nullopt;
  };
  ParsedArguments parsed = ParseArguments({"-s", "-root"}, nullptr, none);
  EXPECT_EQ(parsed.arguments, std::vector<std::string>{"-s"});
  EXPECT_EQ(parsed.hostedWindow, std::nullopt);
  EXPECT_TRUE(parsed.error.empty());
  EXPECT_EQ(asked, 1);
  ParseArguments({"-s"}, nullptr, none);  // asked only for -root
  EXPECT_EQ(asked, 1);
}

TEST(HostedRoot, RootWindowNeedsADisplay) {
  const char* saved = std::getenv("DISPLAY");
  const std::string keep = saved != nullptr ? saved : "";
  unsetenv("DISPLAY");
  EXPECT_EQ(RootWindowId(), std::nullopt);
  setenv("DISPLAY", ":98765", 1);  // no such server
  EXPECT_EQ(RootWindowId(), std::nullopt);
  if (saved != nullptr)
    setenv("DISPLAY", keep.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

TEST(DataFolders, CurrentThenProgramThenInstalledRelativeToProgram) {
  const std::filesystem::path program = ProgramPath().parent_path();
  const auto folders = DataFolders("../../share/savers");
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[0], std::filesystem::current_path());
  EXPECT_EQ(folders[1], program);
  EXPECT_EQ(folders[2], (program.parent_path().parent_path() / "share" / "savers").lexically_normal());
  EXPECT_EQ(DataFolders(".").size(), std::filesystem::current_path() == program ? 1u : 2u);  // no repeats
}

TEST(CommandLine, ProgramNameFirstArgumentsQuotedWhenBlank) {
  EXPECT_EQ(BuildCommandLine("/usr/bin/tessera", {"-C"}), "/usr/bin/tessera -C");
  EXPECT_EQ(BuildCommandLine("/opt/my savers/tessera", {"/c", "two words", ""}),
            "\"/opt/my savers/tessera\" /c \"two words\" \"\"");
  EXPECT_EQ(BuildCommandLine("halcyon", {}), "halcyon");
}

// One quoting rule for building and reading: whatever the program's path and
// its arguments hold, reading the built line gives them back.
struct QuotingCase {
  const char* name;
  std::vector<std::string> fields;  // the program's path, then the arguments
  const char* line;                 // as built; null where not spelled out
};

class Quoting : public ::testing::TestWithParam<QuotingCase> {};

TEST_P(Quoting, ReadingTheBuiltLineGivesEveryFieldBack) {
  const std::vector<std::string>& fields = GetParam().fields;
  const std::string line =
      BuildCommandLine(fields[0], std::vector<std::string>(fields.begin() + 1, fields.end()));
  if (GetParam().line != nullptr) {
    EXPECT_EQ(line, GetParam().line);
  }
  EXPECT_EQ(SplitCommandLine(line), fields) << line;
  size_t at = 0;
  EXPECT_EQ(ReadCommandLineField(line, at), fields[0]);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Fields, Quoting,
    ::testing::Values(
        QuotingCase{"Plain", {"/usr/bin/tessera", "-c"}, "/usr/bin/tessera -c"},
        QuotingCase{"Blanks", {"/opt/my savers/tessera", "two words", "\ttab"}, nullptr},
        QuotingCase{"Empty", {"halcyon", "", "/s", ""}, "halcyon \"\" /s \"\""},
        QuotingCase{"QuoteInFolder", {"/opt/a\"b/tessera", "-c"}, "\"/opt/a\\\"b/tessera\" -c"},
        QuotingCase{"QuotesEverywhere", {"\"/x\"", "\"", "a\"\"b", "\"-c\""}, nullptr},
        QuotingCase{"Backslashes", {"/opt/back\\slash/tessera", "a\\", "\\\"", "x y\\"}, nullptr},
        QuotingCase{"ControlBytes",
                    {"/opt/a\x01"
                     "b\x1f/tessera",
                     "\x7f", "\n", "-\rc", "\x01-c"},
                    nullptr},
        QuotingCase{"NonAscii", {"/opt/s\xc3\xa4ver \xe2\x98\x83/tessera", "\xff\xfe", "-\xe3"}, nullptr},
        QuotingCase{"ProgramOnly", {"/opt/x y/halcyon"}, "\"/opt/x y/halcyon\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, ReaderSkipsBlanksAndControlBytesBetweenFields) {
  EXPECT_EQ(SplitCommandLine("  a \t\x01 \"b c\"d  "), (std::vector<std::string>{"a", "b c", "d"}));
  EXPECT_EQ(SplitCommandLine("\"unclosed \\\" quote"), (std::vector<std::string>{"unclosed \" quote"}));
  EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(CommandLine, ApplicationNameCutsFolderAndLastExtension) {
  EXPECT_EQ(ApplicationNameFromPath("/usr/lib/savers/halcyon"), "halcyon");
  EXPECT_EQ(ApplicationNameFromPath("/usr/lib/savers/halcyon.scr"), "halcyon");
  EXPECT_EQ(ApplicationNameFromPath("/a.b/my.saver.bin"), "my.saver");
  EXPECT_EQ(ApplicationNameFromPath("tessera"), "tessera");
}

using HostTest = PlatformTest;

// An application that records what the run gave it.
class ProbeApp : public App {
 public:
  std::string commandLine;
  bool Initialize() override {
    commandLine = GetCommandLineA();
    return false;
  }
  int ExitInstance() override { return 5; }
};

TEST_F(HostTest, RunAppHandsOutArgumentsWithoutHostingSwitch) {
  ProbeApp app;
  std::array<char*, 5> argv{const_cast<char*>("/bin/tessera"), const_cast<char*>("-window-id"),
                            const_cast<char*>("0x10"), const_cast<char*>("/c"), nullptr};
  EXPECT_EQ(RunApp(app, 4, argv.data()), 5);
  EXPECT_EQ(app.commandLine, "/bin/tessera /c");
  EXPECT_EQ(app.Arguments(), std::vector<std::string>{"/c"});
  EXPECT_FALSE(IsHosted());  // headless: there is no window to draw into
  EXPECT_EQ(TheCore().hostedWindow, 0x10u);
  EXPECT_EQ(app.Name(), "platform_tests");
  char path[512];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  EXPECT_EQ(std::string(path, length), ProgramPath().string());
  char tiny[4];
  EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 4u);
  EXPECT_EQ(tiny[3], 0);
}

TEST_F(HostTest, SeedOverrideReadsSaverSeed) {
  setenv("SAVER_SEED", "12345", 1);
  EXPECT_EQ(SeedOverride(), 12345u);
  setenv("SAVER_SEED", "4294967295", 1);
  EXPECT_EQ(SeedOverride(), 4294967295u);
  setenv("SAVER_SEED", "4294967296", 1);
  EXPECT_EQ(SeedOverride(), std::nullopt);
  setenv("SAVER_SEED", "12x", 1);
  EXPECT_EQ(SeedOverride(), std::nullopt);
  unsetenv("SAVER_SEED");
  EXPECT_EQ(SeedOverride(), std::nullopt);
}

// Nice values per thread are Linux's; on Windows the call is the system's own.
#if !defined(_WIN32)
TEST_F(HostTest, IdlePriorityLowersOnlyTheCallingThread) {
  std::thread worker([] {
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE));
    errno = 0;
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), 19);
  });
  worker.join();
  EXPECT_LT(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), 19);
}
#endif

TEST_F(HostTest, ResourcesFoundByNumberNameAndTypeWithoutCase) {
  static const uint8_t bank[] = {1, 2, 3, 4, 5};
  RegisterResource("TEXTURE", 666, bank);
  HRSRC found = FindResourceA(nullptr, "#666", "texture");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(666), "Texture"), found);
  EXPECT_EQ(SizeofResource(nullptr, found), 5u);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
  EXPECT_EQ(bytes, bank);
  EXPECT_EQ(FindResourceA(nullptr, "#667", "TEXTURE"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "#666", "BITMAP"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "#66x", "TEXTURE"), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);

  RegisterString(1, "3Dfx Farreach ");
  ASSERT_NE(FindString(1), nullptr);
  EXPECT_EQ(*FindString(1), "3Dfx Farreach ");
  EXPECT_EQ(FindString(2), nullptr);
  EXPECT_TRUE(FindBitmap(134).empty());
  EXPECT_EQ(FindDialogTemplate(129), nullptr);
}

}  // namespace
}  // namespace platform::test
