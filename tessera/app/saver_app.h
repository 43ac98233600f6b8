// saver_app.h — tessera's start-up: the application object, the argument
// rule that picks configuration or saver mode, the Glide bring-up, and the
// saver window that builds the scene and runs the frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/window.h"
#include "tessera/scene/model.h"

namespace tessera {

// The argument text of a whole command line: what follows the program name
// (read by the command line's quoting rule, platform/host.h: a quoted name is
// skipped with its quotes), leading characters of code 32 or below dropped,
// trailing blanks kept.
std::string ArgumentText(std::string_view commandLine);
// Configuration mode: the whole argument text is "-C" or "/C" in either case.
bool IsConfigureArgument(std::string_view argumentText);

// Where the saver's files are read from: the first of the folders (current,
// the program's, installed: platform::DataFolders) that holds the figure or any
// texture; none when no folder does.
std::optional<std::filesystem::path> ChooseDataFolder(const std::vector<std::filesystem::path>& folders);
// The saver's files (figure, the three objects, the six textures) that the
// folder lacks, in that order.
std::vector<std::string> MissingDataFiles(const std::filesystem::path& folder);
// What standard error is told when files are missing; empty when none is.
std::string MissingDataReport(const std::vector<std::filesystem::path>& folders,
                              const std::optional<std::filesystem::path>& chosen);

// Rounding to nearest with every floating-point exception masked, as the
// scene's arithmetic expects (see saver_app.cpp).
void SetSceneFloatingPoint();

// "Unable to detect Voodoo Hardware": the message shown without a board.
constexpr const char* kNoBoardText = "Unable to detect Voodoo Hardware";
constexpr const char* kNoBoardCaption = "Error";
constexpr int kSaverWindowTemplate = 129;

// The saver window (template 129), run modally without a picture of its own:
// the Glide display shows the scene. Its initialisation builds the scene, its
// show notification runs the frames, pointer movement ends it.
class SaverWindow : public platform::Dialog {
 public:
  SaverWindow(ObjectScene& scene, Random& random);
  BOOL OnInitDialog() override;

 protected:
  const platform::MessageTable* GetMessageTable() const override;

 private:
  platform::Reply OnShowWindow(const platform::Message& message);
  platform::Reply OnMouseMove(const platform::Message& message);
  static const platform::MessageTable::Entry kEntries[2];
  static const platform::MessageTable kMessageTable;

  ObjectScene& scene;
  Random& random;
};

// The start-up routine, kept apart from the application object so that tests
// can run it with their own scene, seed and exit.
class SaverStartup {
 public:
  SaverStartup(ObjectScene& scene, Random& random);
  // Runs the mode the command line asks for; returns the exit status.
  int Run(std::string_view commandLine);

  // The seed: SAVER_SEED when set, else the time in whole seconds.
  std::function<uint32_t()> seed;
  // Ends the process at once after a texture failure (std::exit). Should it
  // return, Run returns the same status.
  std::function<void(int)> exitProcess;
  // Saver mode moves into the data folder first (off in tests that set it up).
  bool enterDataFolder = true;
  // How many times the saver window ran (tests).
  int saverWindowRuns = 0;

 private:
  int Configure();
  int RunSaver();

  ObjectScene& scene;
  Random& random;
};

// The application object: the whole start-up runs in Initialize, which
// returns false so that no message loop follows; ExitInstance hands back the
// exit status.
class SaverApp : public platform::App {
 public:
  bool Initialize() override;
  int ExitInstance() override;

  ObjectScene scene;
  Random random;

 private:
  int exitStatus = 0;
};

}  // namespace tessera
