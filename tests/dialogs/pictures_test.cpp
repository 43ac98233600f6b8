// pictures_test.cpp — draws the configuration dialogs as a user sees them,
// into $DIALOGS_PICTURES when it is set (the README's pictures come from here).
#include <cstdlib>
#include <fstream>

#include "dialog_test_support.h"
#include "halcyon/settings/world_config_dialog.h"
#include "tessera/settings/settings.h"

namespace {

using Pictures = DialogTest;

TEST_F(Pictures, OfEachDialog) {
  const char* folder = std::getenv("DIALOGS_PICTURES");
  if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "DIALOGS_PICTURES is not set";
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
}

}  // namespace
