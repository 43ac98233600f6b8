// The MIDAS calls as the world saver makes them: results in and out of order, failure to open a
// device, and what the SDL disk driver captures while a module plays.
#include <midas.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "test_modules.h"

namespace {

using namespace std::chrono_literals;

// Each test starts from a freshly reset library on the given SDL audio driver and closes it at the end.
class MidasTest : public ::testing::Test {
 protected:
  void SetUp() override { UseDriver("dummy"); }
  void TearDown() override {
    MIDASclose();
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
  }

  static void UseDriver(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    MIDASstartup();
  }
  // Opens the device and starts background play as the saver does.
  static void Open() {
    ASSERT_TRUE(MIDASinit());
    ASSERT_TRUE(MIDASstartBackgroundPlay(100));
  }

  soundtest::TempDir dir;
};

TEST_F(MidasTest, SaverSequencePlaysAndStops) {
  Open();
  MIDASmodule module = MIDASloadModule(TRANS_XM_PATH);
  ASSERT_NE(module, 0u);
  EXPECT_TRUE(MIDASplayModule(module, 0));
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(MIDASstopModule(module));
  EXPECT_TRUE(MIDASfreeModule(module));
  EXPECT_TRUE(MIDASstopBackgroundPlay());
  EXPECT_TRUE(MIDASclose());
}

TEST_F(MidasTest, EachFormatLoadsAndPlays) {
  Open();
  using Builder = soundtest::Bytes (*)();
  const std::pair<const char*, Builder> files[] = {
      {"a.xm", soundtest::TinyXm}, {"a.s3m", soundtest::TinyS3m}, {"a.mod", soundtest::TinyMod}};
  for (auto [name, build] : files) {
    MIDASmodule module = MIDASloadModule(dir.Write(name, build()).c_str());
    ASSERT_NE(module, 0u) << name;
    EXPECT_TRUE(MIDASplayModule(module, 0)) << name;
  }
  // Close frees whatever is still loaded and playing.
  EXPECT_TRUE(MIDASclose());
}

TEST_F(MidasTest, BadFilesGiveNoModule) {
  Open();
  soundtest::Bytes truncated = soundtest::TinyXm();
  truncated.resize(40);
  EXPECT_EQ(MIDASloadModule(nullptr), 0u);
  EXPECT_EQ(MIDASloadModule(""), 0u);
  EXPECT_EQ(MIDASloadModule(dir.Path("missing.xm").c_str()), 0u);
  EXPECT_EQ(MIDASloadModule(dir.Write("empty.xm", {}).c_str()), 0u);
  EXPECT_EQ(MIDASloadModule(dir.Write("cut.xm", truncated).c_str()), 0u);
  EXPECT_EQ(MIDASloadModule(dir.Write("text.s3m", soundtest::Bytes(2000, ' ')).c_str()), 0u);
}

// A bare name is found beside the program (the tests run from the folder that holds trans.xm) when
// the current folder does not hold it.
TEST_F(MidasTest, BareNameFallsBackToTheProgramFolder) {
  Open();
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path(""));
  MIDASmodule installed = MIDASloadModule("trans.xm");
  MIDASmodule missing = MIDASloadModule("no-such-module.xm");
  dir.Write("local.xm", soundtest::TinyXm());
  MIDASmodule local = MIDASloadModule("local.xm");
  std::filesystem::current_path(previous);
  EXPECT_NE(installed, 0u);
  EXPECT_EQ(missing, 0u);
  EXPECT_NE(local, 0u);
}

TEST_F(MidasTest, CallsOutOfOrderAreRefused) {
  std::string path = dir.Write("a.xm", soundtest::TinyXm());
  // Nothing open yet.
  EXPECT_FALSE(MIDASstartBackgroundPlay(100));
  EXPECT_EQ(MIDASloadModule(path.c_str()), 0u);
  EXPECT_FALSE(MIDASplayModule(1, 0));
  EXPECT_FALSE(MIDASstopModule(1));
  EXPECT_FALSE(MIDASfreeModule(1));
  EXPECT_FALSE(MIDASstopBackgroundPlay());
  EXPECT_FALSE(MIDASclose());

  Open();
  EXPECT_FALSE(MIDASplayModule(0, 0));
  EXPECT_FALSE(MIDASstopModule(12345));
  MIDASmodule module = MIDASloadModule(path.c_str());
  ASSERT_NE(module, 0u);
  EXPECT_TRUE(MIDASstopModule(module));  // loaded but not playing: nothing to stop, still known
  EXPECT_TRUE(MIDASfreeModule(module));
  EXPECT_FALSE(MIDASfreeModule(module));
  EXPECT_FALSE(MIDASplayModule(module, 0));
  EXPECT_FALSE(MIDASstopModule(module));
  EXPECT_NE(MIDASloadModule(path.c_str()), module);  // a freed handle is not handed out again

  EXPECT_TRUE(MIDASstopBackgroundPlay());
  EXPECT_FALSE(MIDASstopBackgroundPlay());
  EXPECT_TRUE(MIDASclose());
  EXPECT_FALSE(MIDASclose());

  // After a close, handles from before it are gone, and the library can be opened again.
  ASSERT_TRUE(MIDASinit());
  EXPECT_FALSE(MIDASplayModule(module, 0));
  EXPECT_TRUE(MIDASclose());
}

// An SDL driver that is not there: Linux's (Windows has no SDL).
#if !defined(_WIN32)
TEST_F(MidasTest, NoDeviceMeansInitFails) {
  UseDriver("no-such-driver");
  EXPECT_FALSE(MIDASinit());
  EXPECT_FALSE(MIDASstartBackgroundPlay(100));
  EXPECT_EQ(MIDASloadModule(TRANS_XM_PATH), 0u);
  EXPECT_FALSE(MIDASstopBackgroundPlay());
  EXPECT_FALSE(MIDASclose());
}
#endif

// SDL's disk driver is Linux's (no SDL on Windows).
#if !defined(_WIN32)
// The disk driver writes every buffer the device plays: silence before a module plays, the music once
// it does.
TEST_F(MidasTest, DiskDriverCapturesTheMusic) {
  std::string silentPath = dir.Path("silent.raw");
  std::string musicPath = dir.Path("music.raw");
  for (const std::string& path : {silentPath, musicPath}) {
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    UseDriver("disk");
    Open();
    if (path == musicPath) {
      MIDASmodule module = MIDASloadModule(TRANS_XM_PATH);
      ASSERT_NE(module, 0u);
      ASSERT_TRUE(MIDASplayModule(module, 0));
    }
    std::this_thread::sleep_for(400ms);
    MIDASclose();
  }
  soundtest::Bytes silent = soundtest::ReadFile(silentPath);
  soundtest::Bytes music = soundtest::ReadFile(musicPath);
  ASSERT_FALSE(silent.empty());
  ASSERT_FALSE(music.empty());
  auto nonZero = [](const soundtest::Bytes& bytes) {
    return std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
  };
  EXPECT_EQ(nonZero(silent), 0);
  EXPECT_GT(nonZero(music), static_cast<long>(music.size() / 4));
}
#endif

// Swapping, stopping and freeing modules while the audio thread renders as fast as it can: the
// sanitizer builds turn any use of a freed module into a failure.
TEST_F(MidasTest, HandOverWhileRendering) {
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  UseDriver("disk");
  Open();
  std::string xm = dir.Write("a.xm", soundtest::TinyXm());
  std::string mod = dir.Write("a.mod", soundtest::TinyMod());
  auto start = std::chrono::steady_clock::now();
  for (int round = 0; std::chrono::steady_clock::now() - start < 700ms; ++round) {
    MIDASmodule first = MIDASloadModule(xm.c_str());
    MIDASmodule second = MIDASloadModule(mod.c_str());
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_TRUE(MIDASplayModule(first, 0));
    std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(MIDASplayModule(second, 0));
    EXPECT_TRUE(MIDASfreeModule(second));  // freed while playing
    EXPECT_TRUE(MIDASplayModule(first, 0));
    if (round % 2 == 0) {
      EXPECT_TRUE(MIDASstopModule(first));
    }
    EXPECT_TRUE(MIDASfreeModule(first));
  }
  EXPECT_TRUE(MIDASclose());
}

}  // namespace
