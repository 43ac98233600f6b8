// music_test.cpp — the sound calls of a run, in order: the music step's
// choices, and the calls at construction, set-up and stop of the renderer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "halcyon/music/music.h"
#include "halcyon/render/world_renderer.h"
#include "platform/testing.h"
#include "test_support.h"

namespace halcyon {
namespace {

using test::IndexOf;

using Log = std::vector<std::string>;

struct StepCase {
  const char* name;
  uint32_t mute;
  bool init, background;
  MusicModule loaded;
  Log calls;
  MusicModule playing;
};
void PrintTo(const StepCase& c, std::ostream* out) {
  *out << c.name;
}

class MusicStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(MusicStep, CallsAsFarAsEachStepSucceeds) {
  const StepCase& c = GetParam();
  auto log = std::make_shared<test::CallLog>();
  test::RecordingMusicPlayer player(log);
  test::FixedMusicSettings settings;
  settings.mute = c.mute;
  settings.fileName = "/music/trans.xm";
  player.initResult = c.init;
  player.backgroundResult = c.background;
  player.loadResult = c.loaded;
  EXPECT_EQ(StartMusic(player, settings), c.playing);
  EXPECT_EQ(log->entries, c.calls);
  // The name is read only when a module is to be loaded.
  EXPECT_EQ(settings.fileNameReads, IndexOf(c.calls, "MIDASloadModule") >= 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MusicStep,
    ::testing::Values(
        StepCase{"Plays",
                 0,
                 true,
                 true,
                 7,
                 {"MIDASinit", "MIDASstartBackgroundPlay 100", "MIDASloadModule", "MIDASplayModule 7 0"},
                 7},
        StepCase{"MutedByAnyNonZero", 5, true, true, 7, {}, 0},
        StepCase{"InitFails", 0, false, true, 7, {"MIDASinit"}, 0},
        StepCase{"BackgroundFails", 0, true, false, 7, {"MIDASinit", "MIDASstartBackgroundPlay 100"}, 0},
        StepCase{"NothingLoads",
                 0,
                 true,
                 true,
                 0,
                 {"MIDASinit", "MIDASstartBackgroundPlay 100", "MIDASloadModule"},
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MusicStop, AlwaysStopsBackgroundPlayAndCloses) {
  auto log = std::make_shared<test::CallLog>();
  test::RecordingMusicPlayer player(log);
  MusicModule module = 9;
  StopMusic(player, module);
  EXPECT_EQ(module, 0u);
  MusicModule none = 0;
  StopMusic(player, none);
  EXPECT_EQ(log->entries, (Log{"MIDASstopModule 9", "MIDASfreeModule 9", "MIDASstopBackgroundPlay",
                               "MIDASclose", "MIDASstopBackgroundPlay", "MIDASclose"}));
}

class RendererMusic : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::Reset(); }
  // Constructs a renderer, draws `frames` frames, destroys it; the log of
  // music and Glide calls.
  Log Run(int frames) {
    rig.log->StartGlide();
    {
      WorldRenderer renderer(rig.Services());
      for (int i = 0; i < frames; ++i) renderer.DrawFrame();
    }
    Log all = rig.log->Finish();
    return all;
  }
  static Log MusicOnly(const Log& log) {
    Log out;
    for (const auto& e : log)
      if (e.rfind("MIDAS", 0) == 0) out.push_back(e);
    return out;
  }
  test::TestRig rig;
};

TEST_F(RendererMusic, MutedRunMakesOnlyStartupAndTheStop) {
  rig.settings->mute = 1;
  rig.settings->fileName = "trans.xm";
  EXPECT_EQ(MusicOnly(Run(2)), (Log{"MIDASstartup", "MIDASstopBackgroundPlay", "MIDASclose"}));
}

TEST_F(RendererMusic, NoStoredFileNameLoadsTheEmptyName) {
  rig.player->loadResult = 0;  // as the library answers an empty name
  Log music = MusicOnly(Run(1));
  EXPECT_EQ(rig.player->loadedName, "");
  EXPECT_EQ(IndexOf(music, "MIDASplayModule 0 0"), -1);
  EXPECT_EQ(IndexOf(music, "MIDASstopModule 0"), -1);
}

TEST_F(RendererMusic, ClosedBeforeTheFirstPaintMakesNoModuleCall) {
  Log log = Run(0);
  EXPECT_EQ(MusicOnly(log), (Log{"MIDASstartup", "MIDASstopBackgroundPlay", "MIDASclose"}));
  EXPECT_LT(IndexOf(log, "grGlideShutdown"), IndexOf(log, "MIDASstopBackgroundPlay"));
}

TEST_F(RendererMusic, MusicStartsAfterGlideSetUpAndStopsAfterGlideShutdown) {
  rig.settings->fileName = "/music/trans.xm";
  Log log = Run(3);
  EXPECT_EQ(rig.player->loadedName, "/music/trans.xm");
  EXPECT_EQ(MusicOnly(log), (Log{"MIDASstartup", "MIDASinit", "MIDASstartBackgroundPlay 100",
                                 "MIDASloadModule", "MIDASplayModule 7 0", "MIDASstopModule 7",
                                 "MIDASfreeModule 7", "MIDASstopBackgroundPlay", "MIDASclose"}));
  EXPECT_LT(IndexOf(log, "MIDASstartup"), IndexOf(log, "grGlideInit"));
  // The music step is the end of the set-up: after the last saved state.
  int lastState = -1;
  for (int i = 0; i < static_cast<int>(log.size()); ++i)
    if (log[i] == "grGlideGetState") lastState = i;
  EXPECT_LT(lastState, IndexOf(log, "MIDASinit"));
  // Idle priority comes last, after the music has started.
  EXPECT_LT(IndexOf(log, "MIDASplayModule 7 0"), IndexOf(log, "SetThreadPriority idle"));
  EXPECT_LT(IndexOf(log, "grGlideShutdown"), IndexOf(log, "MIDASstopModule 7"));
}

// A stored name: absolute as it is, relative from the first folder holding it
// (current, the program's, installed), nothing when no folder does.
TEST(MusicFile, RelativeNamesFromTheFirstFolderThatHoldsThem) {
  const std::filesystem::path base =
      std::filesystem::temp_directory_path() / ("halcyon_music_file_" + std::to_string(::getpid()));
  const std::vector<std::filesystem::path> folders = {base / "current", base / "bin", base / "share"};
  for (const auto& folder : folders) std::filesystem::create_directories(folder / "sub");
  std::ofstream(folders[2] / "trans.xm") << "x";
  std::ofstream(folders[2] / "sub" / "deep.xm") << "x";
  std::ofstream(folders[1] / "sub" / "deep.xm") << "x";

  EXPECT_EQ(FindMusicFile("trans.xm", folders), folders[2] / "trans.xm");
  EXPECT_EQ(FindMusicFile("sub/deep.xm", folders), folders[1] / "sub" / "deep.xm");
  EXPECT_EQ(FindMusicFile((folders[2] / "trans.xm").string(), {}), folders[2] / "trans.xm");
  EXPECT_EQ(FindMusicFile((folders[0] / "trans.xm").string(), folders), std::nullopt);  // absolute: no search
  EXPECT_EQ(FindMusicFile("other.xm", folders), std::nullopt);
  EXPECT_EQ(FindMusicFile("sub", folders), std::nullopt);  // a folder is no music
  EXPECT_EQ(FindMusicFile("", folders), std::nullopt);
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace halcyon
