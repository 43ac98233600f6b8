// dialog_pictures — draws both programs' configuration dialogs, the open-file
// dialog, the saver window's template and the message boxes as a user sees
// them, headless, into a folder (the README's pictures come from here):
//   dialog_pictures FOLDER
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "halcyon/resources/dialog_templates.h"
#include "halcyon/settings/world_config_dialog.h"
#include "platform/dialog.h"
#include "platform/host.h"
#include "platform/resources.h"
#include "tessera/resources/bitmap.h"
#include "tessera/resources/dialog_templates.h"
#include "tessera/settings/settings.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dialog_pictures FOLDER\n");
    return 2;
  }
  setenv("GLIDE_DISPLAY", "headless", 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // A settings folder of its own, so that nothing the user keeps is read or written.
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("dialog_pictures_" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  setenv("SAVER_HOME", home.c_str(), 1);
  platform::RegisterBitmap(tessera::kSaverBitmapId, tessera::Bitmap134());
  tessera::RegisterDialogTemplates();
  halcyon::RegisterDialogTemplates();

  const char* folder = argv[1];
  const std::filesystem::path out = folder;
  std::filesystem::create_directories(out);

  platform::SetDialogScript("png " + (out / "tessera_config.png").string() + ";type 25;png " +
                            (out / "tessera_config_typed.png").string() + ";ok;png " +
                            (out / "tessera_config_refused.png").string() + ";cancel");
  tessera::ConfigDialog config;
  config.DoModal();

  const std::filesystem::path music = home / "music";
  std::filesystem::create_directories(music / "classics");
  for (const char* name : {"trans.xm", "deep space.xm", "orbit.xm", "chip.s3m", "tune.mod"}) {
    std::ofstream(music / name) << "x";
  }
  platform::SetDialogScript("png " + (out / "halcyon_config.png").string() + ";toggle 1021;browse;png " +
                            (out / "open_file.png").string() + ";cancel;cancel");
  halcyon::WorldConfigDialog world;
  world.fileName = (music / "trans.xm").string();
  world.DoModal();

  platform::SetDialogScript("png " + (out / "saver_window.png").string() + ";cancel");
  platform::Dialog saver(129);
  saver.DoModal();

  // The message boxes both programs show, then the other icons and button sets.
  platform::SetMessageBoxHook({});
  struct Box {
    const char* file;
    const char* text;
    const char* caption;
    UINT type;
  };
  for (const Box& box : {
           Box{"message_range.png", "Please enter an integer between 10 and 50.", "tessera",
               MB_OK | MB_ICONEXCLAMATION},
           Box{"message_integer.png", "Please enter an integer.", "tessera", MB_OK | MB_ICONEXCLAMATION},
           Box{"message_no_board.png", "Unable to detect Voodoo Hardware", "Error", MB_OK},
           Box{"message_failed.png", "failed", "", MB_OK},
           Box{"message_question.png", "Replace the file?\nIts settings are kept.", "Question",
               MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2},
           Box{"message_hand.png", "The module cannot be read.", "Error", MB_RETRYCANCEL | MB_ICONHAND},
           Box{"message_information.png",
               "A rather long message that goes on past the width a message box allows, so that it wraps "
               "onto more lines at the blanks between its words.",
               "Information", MB_OKCANCEL | MB_ICONINFORMATION},
       }) {
    platform::SetDialogScript("png " + (out / box.file).string() + ";key enter");
    MessageBoxA(0, box.text, box.caption, box.type);
  }

  std::error_code error;
  std::filesystem::remove_all(home, error);
  std::printf("pictures written to %s\n", folder);
  return 0;
}
