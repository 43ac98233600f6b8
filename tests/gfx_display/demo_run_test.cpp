// Runs glide_demo headless with capture on, as the README's run command does
// on a machine without a screen, and looks at what it wrote.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "png_reader.h"

namespace gfx {
namespace {

TEST(GlideDemo, RunsHeadlessAndCapturesAPicture) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("gfx_display_" + std::to_string(getpid())) / "demo";
  std::filesystem::remove_all(folder);
  const std::string command = "SDL_VIDEODRIVER=dummy GLIDE_DISPLAY=headless GLIDE_CAPTURE='" +
                              folder.string() + "' GLIDE_CAPTURE_EVERY=2 '" GLIDE_DEMO_PATH "' --frames 4";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  testing::RgbImage image;
  ASSERT_TRUE(testing::ReadPng(folder / "000004.png", &image));
  EXPECT_TRUE(std::filesystem::exists(folder / "000002.png"));
  EXPECT_FALSE(std::filesystem::exists(folder / "000003.png"));
  ASSERT_EQ(image.width, 640);
  ASSERT_EQ(image.height, 480);
  // A scene, not a cleared screen: many different colours.
  std::set<uint32_t> colours;
  for (int y = 0; y < 480; y += 4) {
    for (int x = 0; x < 640; x += 4) colours.insert(image.At(x, y));
  }
  EXPECT_GT(colours.size(), 200u);
}

TEST(GlideDemo, RefusesABadFrameCount) {
  const std::string command = "'" GLIDE_DEMO_PATH "' --frames 0 2>/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
}

}  // namespace
}  // namespace gfx
