// The program end to end, headless: a captured run from the data folder, a
// run started elsewhere, and the two early ends (no board, a texture missing).
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "test_files.h"

namespace tessera {
namespace {

using testing::DataFolder;
using testing::ScratchFolder;

struct Outcome {
  int status = -1;
  std::string errors;
};

// Runs the program in folder with the given environment added; status is
// the exit status as the shell sees it. The error output goes to a file of
// this process's own: several tests run from the shared data folder at once.
Outcome RunProgram(const std::filesystem::path& folder, const std::vector<std::string>& environment,
                   const std::vector<std::string>& arguments = {}) {
  static int runs = 0;
  const std::filesystem::path errorsFile =
      std::filesystem::temp_directory_path() /
      ("tessera_errors_" + std::to_string(::getpid()) + "_" + std::to_string(++runs) + ".txt");
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(errors, 2);
    for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv{const_cast<char*>(TESSERA_PROGRAM)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(TESSERA_PROGRAM, argv.data());
    _exit(127);
  }
  Outcome outcome;
  int status = 0;
  waitpid(child, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream file(errorsFile);
  std::stringstream text;
  text << file.rdbuf();
  outcome.errors = text.str();
  std::filesystem::remove(errorsFile);
  return outcome;
}

struct Frame {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

Frame ReadPng(const std::filesystem::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Frame frame;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return frame;
  image.format = PNG_FORMAT_RGB;
  frame.width = static_cast<int>(image.width);
  frame.height = static_cast<int>(image.height);
  frame.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, frame.rgb.data(), 0, nullptr)) frame = {};
  return frame;
}

std::vector<std::filesystem::path> Pngs(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The saturated, bright colours of the figure's texture, against the dark
// backdrop: how much of the middle of the screen the figure fills.
double FigureShare(const Frame& frame) {
  int bright = 0, total = 0;
  for (int y = frame.height / 4; y < frame.height * 3 / 4; ++y) {
    for (int x = frame.width * 3 / 8; x < frame.width * 5 / 8; ++x) {
      const uint8_t* p = frame.At(x, y);
      const int high = std::max({p[0], p[1], p[2]}), low = std::min({p[0], p[1], p[2]});
      bright += high > 150 && high - low > 80;
      ++total;
    }
  }
  return static_cast<double>(bright) / total;
}

double BlackShare(const Frame& frame) {
  size_t black = 0;
  for (size_t i = 0; i < frame.rgb.size(); i += 3)
    black += frame.rgb[i] + frame.rgb[i + 1] + frame.rgb[i + 2] == 0;
  return static_cast<double>(black) / (frame.rgb.size() / 3);
}

std::vector<std::string> Headless(const std::filesystem::path& capture, int frames, int every = 100) {
  return {"GLIDE_DISPLAY=headless",
          "SDL_VIDEODRIVER=dummy",
          "SDL_AUDIODRIVER=dummy",
          "SAVER_SEED=1",
          "SAVER_FRAMES=" + std::to_string(frames),
          "GLIDE_CAPTURE=" + capture.string(),
          "GLIDE_CAPTURE_EVERY=" + std::to_string(every)};
}

TEST(Run, CapturedFramesShowTheScene) {
  ScratchFolder scratch;
  std::vector<std::string> environment = Headless(scratch.path / "frames", 600);
  environment.push_back("SAVER_HOME=" + scratch.path.string());
  const Outcome outcome = RunProgram(DataFolder(), environment);
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  const std::vector<std::filesystem::path> frames = Pngs(scratch.path / "frames");
  ASSERT_EQ(frames.size(), 6u);
  for (const std::filesystem::path& path : frames) {
    const Frame frame = ReadPng(path);
    ASSERT_EQ(frame.width, 640) << path;
    ASSERT_EQ(frame.height, 480) << path;
    EXPECT_LT(BlackShare(frame), 0.01) << path << ": the backdrop covers the screen";
    EXPECT_GT(FigureShare(frame), 0.10) << path << ": the figure is in the middle";
  }
}

TEST(Run, SameSeedSameFrames) {
  ScratchFolder scratch;
  std::vector<std::vector<uint8_t>> pictures;
  for (const char* name : {"first", "second"}) {
    std::vector<std::string> environment = Headless(scratch.path / name, 30, 30);
    environment.push_back("SAVER_HOME=" + scratch.path.string());
    EXPECT_EQ(RunProgram(DataFolder(), environment).status, 0);
    const std::vector<std::filesystem::path> frames = Pngs(scratch.path / name);
    ASSERT_EQ(frames.size(), 1u);
    pictures.push_back(ReadPng(frames[0]).rgb);
  }
  EXPECT_FALSE(pictures[0].empty());
  EXPECT_EQ(pictures[0], pictures[1]);
}

TEST(Run, FindsItsFilesFromAnotherFolder) {
  ScratchFolder scratch;
  std::vector<std::string> environment = Headless(scratch.path / "frames", 30, 30);
  environment.push_back("SAVER_HOME=" + scratch.path.string());
  const Outcome outcome = RunProgram(scratch.path, environment);
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  const std::vector<std::filesystem::path> frames = Pngs(scratch.path / "frames");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_GT(FigureShare(ReadPng(frames[0])), 0.10);
}

// The pointer's first appearance is not a movement; the next move ends the
// run after the frame in progress. Letter keys do not end it; Escape (and
// Space or Enter on the focused OK button) do, as in any dialog.
TEST(Run, PointerMovementEndsTheSaver) {
  struct Case {
    const char* events;
    size_t framesShown;  // captured every 10 frames, of at most 60
  };
  for (const Case& c : {Case{"5:mousemove 100 100;25:mousemove 101 100", 2}, Case{"5:key a;15:key b", 6},
                        Case{"5:mousemove 100 100;15:mousemove 100 100", 6}, Case{"33:key escape", 3}}) {
    ScratchFolder scratch;
    std::vector<std::string> environment = Headless(scratch.path / "frames", 60, 10);
    environment.push_back("SAVER_HOME=" + scratch.path.string());
    environment.push_back(std::string("SAVER_EVENTS=") + c.events);
    const Outcome outcome = RunProgram(DataFolder(), environment);
    EXPECT_EQ(outcome.status, 0) << c.events << outcome.errors;
    EXPECT_EQ(Pngs(scratch.path / "frames").size(), c.framesShown) << c.events;
  }
}

// Configuration mode stores the confirmed count and never touches Glide
// (no board message even without a board); Cancel stores nothing.
TEST(Run, ConfigurationStoresTheCountOnOk) {
  ScratchFolder scratch;
  auto configure = [&](const char* script, const char* argument) {
    std::vector<std::string> environment = Headless(scratch.path / "frames", 10);
    environment.push_back("SAVER_HOME=" + scratch.path.string());
    environment.push_back("GLIDE_NO_BOARD=1");
    environment.push_back(std::string("SAVER_DIALOG_SCRIPT=") + script);
    return RunProgram(scratch.path, environment, {argument});
  };
  const std::filesystem::path settings = scratch.path / "tessera.INI";
  Outcome outcome = configure("type 33;cancel", "/c");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_FALSE(std::filesystem::exists(settings));

  outcome = configure("type 33;ok", "-C");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.errors.find("Voodoo"), std::string::npos) << outcome.errors;
  std::ifstream file(settings);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("MaxObjects=33"), std::string::npos) << text.str();
}

TEST(Run, WithoutABoardShowsTheMessageAndEndsInOrder) {
  ScratchFolder scratch;
  std::vector<std::string> environment = Headless(scratch.path / "frames", 10);
  environment.push_back("GLIDE_NO_BOARD=1");
  environment.push_back("SAVER_HOME=" + scratch.path.string());
  const Outcome outcome = RunProgram(DataFolder(), environment);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.errors.find("Unable to detect Voodoo Hardware"), std::string::npos) << outcome.errors;
  EXPECT_TRUE(Pngs(scratch.path / "frames").empty());
}

TEST(Run, MissingTextureEndsWithAllBitsSet) {
  ScratchFolder scratch;
  scratch.CopyData({"dude.vh3", "object0.VH3", "tex1.3df", "tex2.3df", "tex4.3df", "tex5.3df", "plane.3df"});
  std::vector<std::string> environment = Headless(scratch.path / "frames", 10);
  environment.push_back("SAVER_HOME=" + scratch.path.string());
  const Outcome outcome = RunProgram(scratch.path, environment);
  EXPECT_EQ(outcome.status, 255);
  EXPECT_TRUE(Pngs(scratch.path / "frames").empty()) << "no frame drawn";
}

// A FIFO where a file belongs (the settings file, the figure, a texture)
// neither hangs the program nor crashes it: each is refused as the missing
// file would be. Without its figure the saver still runs; without a texture
// it ends with all bits set; a count confirmed in the dialog that cannot be
// written says so and fails the configuration run.
TEST(Run, FifosInsteadOfFilesAreRefusedAtOnce) {
  ScratchFolder scratch;
  scratch.CopyData({"object0.VH3", "object1.VH3", "object2.VH3", "tex1.3df", "tex2.3df", "tex3.3df",
                    "tex4.3df", "tex5.3df", "plane.3df"});
  const std::filesystem::path home = scratch.path / "home";
  std::filesystem::create_directories(home);
  ASSERT_EQ(mkfifo((scratch.path / "dude.vh3").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((home / "tessera.INI").c_str(), 0600), 0);
  std::vector<std::string> environment = Headless(scratch.path / "frames", 20, 10);
  environment.push_back("SAVER_HOME=" + home.string());
  Outcome outcome = RunProgram(scratch.path, environment);
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  EXPECT_EQ(Pngs(scratch.path / "frames").size(), 2u);

  environment.push_back("SAVER_DIALOG_SCRIPT=type 25;ok");
  outcome = RunProgram(scratch.path, environment, {"-c"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.errors.find("tessera.INI: settings not written"), std::string::npos) << outcome.errors;
  EXPECT_TRUE(std::filesystem::is_fifo(home / "tessera.INI"));

  environment.pop_back();
  std::filesystem::remove(scratch.path / "plane.3df");
  ASSERT_EQ(mkfifo((scratch.path / "plane.3df").c_str(), 0600), 0);
  outcome = RunProgram(scratch.path, environment);
  EXPECT_EQ(outcome.status, 255);
}

// A settings file whose lines end in "\r\r\n" holds 33; after "-c" with 25
// and OK the saver reads 25, and a second confirmation (26) holds too.
TEST(Run, ConfirmedCountIsReadBackFromADamagedSettingsFile) {
  ScratchFolder scratch;
  { std::ofstream(scratch.path / "tessera.INI", std::ios::binary) << "[Config]\r\r\nMaxObjects=33\r\r\n"; }
  setenv("SAVER_HOME", scratch.path.c_str(), 1);
  auto configure = [&](const char* script) {
    std::vector<std::string> environment = Headless(scratch.path / "frames", 10);
    environment.push_back("SAVER_HOME=" + scratch.path.string());
    environment.push_back(std::string("SAVER_DIALOG_SCRIPT=") + script);
    return RunProgram(scratch.path, environment, {"-c"}).status;
  };
  // What the saver reads (the program is named tessera, so is its file).
  auto stored = [] {
    return static_cast<int>(GetPrivateProfileIntA("Config", "MaxObjects", 20, "tessera.INI"));
  };
  EXPECT_EQ(stored(), 33);
  EXPECT_EQ(configure("type 25;ok"), 0);
  EXPECT_EQ(stored(), 25);
  EXPECT_EQ(configure("type 26;ok"), 0);
  EXPECT_EQ(stored(), 26);
  unsetenv("SAVER_HOME");
}

}  // namespace
}  // namespace tessera
