// Start-up: the argument rule, the data folder, and the order of the start-up
// on the paths that end before the saver window (no board, a texture missing).
#include "tessera/app/saver_app.h"

#include <gfx/recorder.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "platform/host.h"
#include "tessera/settings/settings.h"
#include "test_files.h"

namespace tessera {
namespace {

using testing::ScratchFolder;

struct ArgumentCase {
  const char* commandLine;
  bool configure;
};
void PrintTo(const ArgumentCase& c, std::ostream* out) {
  *out << "[" << c.commandLine << "]";
}
class ArgumentRule : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentRule, OnlyTheWholeTextConfigures) {
  EXPECT_EQ(IsConfigureArgument(ArgumentText(GetParam().commandLine)), GetParam().configure)
      << "[" << GetParam().commandLine << "]";
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ArgumentRule,
    ::testing::Values(ArgumentCase{"tessera -c", true}, ArgumentCase{"tessera -C", true},
                      ArgumentCase{"tessera /c", true}, ArgumentCase{"tessera /C", true},
                      ArgumentCase{"tessera    \t/c", true},
                      ArgumentCase{"\"/opt/my savers/tessera\" -C", true},
                      ArgumentCase{"\"/opt/my savers/tessera\"/c", true},
                      ArgumentCase{"tessera \x01\x1f-c", true}, ArgumentCase{"tessera /c:1234", false},
                      ArgumentCase{"tessera /C ", false}, ArgumentCase{"tessera -config", false},
                      ArgumentCase{"tessera /s", false}, ArgumentCase{"tessera /p 1234", false},
                      ArgumentCase{"tessera /a", false}, ArgumentCase{"tessera", false},
                      ArgumentCase{"tessera ", false}, ArgumentCase{"tessera c", false},
                      ArgumentCase{"tessera \\c", false}, ArgumentCase{"tessera -\xe3", false},
                      ArgumentCase{"\"tessera -c", false}));

// The program's folder may be named anything: the command line the platform
// builds is read back by the same rule, so only "-c" configures.
TEST(ArgumentRule, AnyProgramFolderNameKeepsTheArgumentText) {
  for (const std::string program :
       {"/opt/savers/tessera", "/opt/my savers/tessera", "/opt/a\"b/tessera", "/opt/\"/tessera\"",
        "/opt/a\x01"
        "b/tessera",
        "/opt/tab\there/tessera", "/opt/back\\\"/tessera", "/opt/s\xc3\xa4ver \xe2\x98\x83/tessera",
        "/opt/end\\/tessera\\"}) {
    EXPECT_EQ(ArgumentText(platform::BuildCommandLine(program, {"-c"})), "-c") << program;
    EXPECT_TRUE(IsConfigureArgument(ArgumentText(platform::BuildCommandLine(program, {"/C"})))) << program;
    EXPECT_FALSE(IsConfigureArgument(ArgumentText(platform::BuildCommandLine(program, {})))) << program;
    EXPECT_FALSE(IsConfigureArgument(ArgumentText(platform::BuildCommandLine(program, {"-c", ""}))))
        << program;
    EXPECT_EQ(ArgumentText(platform::BuildCommandLine(program, {"/p", "12 34"})), "/p \"12 34\"") << program;
  }
}

TEST(ArgumentRule, KeepsTrailingBlanks) {
  EXPECT_EQ(ArgumentText("tessera   /p 1234  "), "/p 1234  ");
  EXPECT_EQ(ArgumentText("\"a b\"  x"), "x");
}

// Three folders in lookup order (current, program, installed); the first that
// holds the figure or any texture wins, object files alone do not count.
TEST(DataFolder, FirstFolderHoldingTheFigureOrATexture) {
  ScratchFolder scratch;
  const std::vector<std::filesystem::path> folders = {scratch.path / "current", scratch.path / "bin",
                                                      scratch.path / "share"};
  for (const auto& folder : folders) std::filesystem::create_directories(folder);
  EXPECT_EQ(ChooseDataFolder(folders), std::nullopt);
  testing::ModelBytes().Write(folders[0] / "object0.VH3");
  EXPECT_EQ(ChooseDataFolder(folders), std::nullopt);
  testing::ModelBytes().Write(folders[2] / "plane.3df");
  EXPECT_EQ(ChooseDataFolder(folders), folders[2]);
  testing::ModelBytes().Write(folders[1] / "dude.vh3");
  EXPECT_EQ(ChooseDataFolder(folders), folders[1]);
  testing::ModelBytes().Write(folders[0] / "tex4.3df");
  EXPECT_EQ(ChooseDataFolder(folders), folders[0]);
}

TEST(DataFolder, ReportNamesMissingFilesOrEveryFolderLookedIn) {
  ScratchFolder scratch;
  const std::vector<std::filesystem::path> folders = {"/nowhere/a", "/nowhere/b"};
  EXPECT_EQ(MissingDataReport(folders, std::nullopt),
            "tessera: cannot find its models and textures (dude.vh3, tex1.3df, ...); looked in /nowhere/a, "
            "/nowhere/b");
  scratch.CopyData({"dude.vh3", "object0.VH3", "object1.VH3", "object2.VH3", "tex1.3df", "tex2.3df",
                    "tex4.3df", "tex5.3df"});
  EXPECT_EQ(MissingDataFiles(scratch.path), (std::vector<std::string>{"tex3.3df", "plane.3df"}));
  EXPECT_EQ(MissingDataReport(folders, scratch.path),
            "tessera: missing from " + scratch.path.string() + ": tex3.3df plane.3df");
  scratch.CopyData({"tex3.3df", "plane.3df"});
  EXPECT_EQ(MissingDataReport(folders, scratch.path), "");
}

// Runs the start-up routine in a scratch folder with its own settings.
class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SAVER_HOME", folder.path.string().c_str(), 1);
    platform::SetMessageBoxHook(
        [this](HWND owner, const std::string& text, const std::string& caption, UINT type) {
          boxes.push_back({owner, text, caption, type});
          return IDOK;
        });
    startup.seed = [] { return 1234u; };
    startup.exitProcess = [this](int status) { exitStatuses.push_back(status); };
    startup.enterDataFolder = false;
  }
  void TearDown() override {
    platform::SetMessageBoxHook({});
    unsetenv("GLIDE_NO_BOARD");
  }
  std::vector<std::string> RecordedNames(const std::vector<gfx::RecordedCall>& calls) {
    std::vector<std::string> names;
    for (const gfx::RecordedCall& call : calls) names.push_back(call.name);
    return names;
  }

  struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
  };
  ScratchFolder folder;
  ObjectScene scene;
  Random random;
  SaverStartup startup{scene, random};
  std::vector<Box> boxes;
  std::vector<int> exitStatuses;
};

TEST_F(Startup, WithoutABoardOneMessageAndNothingElse) {
  folder.CopyData({"dude.vh3", "object0.VH3", "tex1.3df"});
  setenv("GLIDE_NO_BOARD", "1", 1);
  gfx::StartRecording();
  EXPECT_EQ(startup.Run("tessera /s"), 0);
  const std::vector<std::string> names = RecordedNames(gfx::StopRecording());
  EXPECT_EQ(names, (std::vector<std::string>{"grGlideInit", "grSstQueryHardware"}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, 0u);
  EXPECT_EQ(boxes[0].text, "Unable to detect Voodoo Hardware");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].type, MB_OK);
  EXPECT_EQ(startup.saverWindowRuns, 0);
  EXPECT_TRUE(scene.dude.vertices.empty()) << "no model file opened";
  EXPECT_EQ(random.State(), 1234u) << "seeded, nothing drawn";
}

TEST_F(Startup, MissingTextureShutsGlideAndEnds) {
  folder.CopyData({"dude.vh3", "object0.VH3", "object1.VH3", "object2.VH3", "tex1.3df", "tex2.3df",
                   "tex4.3df", "tex5.3df", "plane.3df"});
  gfx::StartRecording();
  EXPECT_EQ(startup.Run("tessera"), -1);
  const std::vector<gfx::RecordedCall> calls = gfx::StopRecording();
  EXPECT_EQ(exitStatuses, std::vector<int>{-1});
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(startup.saverWindowRuns, 0);

  std::vector<std::string> sequence;
  int downloads = 0;
  for (const gfx::RecordedCall& call : calls) {
    if (call.name == "guTexDownloadMipMap") ++downloads;
    if (call.name == "gu3dfGetInfo") sequence.push_back(call.args.substr(0, call.args.find(',')));
    if (call.name == "grGlideShutdown" || call.name == "grSstWinOpen" || call.name == "grDepthBufferMode") {
      sequence.push_back(call.name);
    }
  }
  EXPECT_EQ(downloads, 2);
  ASSERT_EQ(sequence.size(), 5u);
  EXPECT_EQ(sequence[0], "grSstWinOpen");
  EXPECT_NE(sequence[1].find("tex1.3df"), std::string::npos);
  EXPECT_NE(sequence[2].find("tex2.3df"), std::string::npos);
  EXPECT_NE(sequence[3].find("tex3.3df"), std::string::npos);
  EXPECT_EQ(sequence[4], "grGlideShutdown");
}

// A hand-edited count beyond the 50 slots, or a negative one, is brought
// into range; values below ten are kept.
TEST_F(Startup, ObjectCountIsClampedToTheSlots) {
  setenv("GLIDE_NO_BOARD", "1", 1);
  const std::pair<int32_t, uint32_t> cases[] = {{75, 50}, {-3, 0}, {50, 50}, {3, 3}, {0, 0}};
  for (const auto& [stored, used] : cases) {
    WriteMaxObjects(stored);
    startup.Run("tessera");
    EXPECT_EQ(scene.objectCount, used) << "stored " << stored;
  }
  // Emptied rather than removed: Windows removes no process's current folder.
  for (const auto& entry : std::filesystem::directory_iterator(folder.path))
    std::filesystem::remove_all(entry);
  startup.Run("tessera");
  EXPECT_EQ(scene.objectCount, 20u) << "no settings file";
}

}  // namespace
}  // namespace tessera
