// end_to_end_test.cpp — the halcyon program run headless: a capture run's
// frames show the floor over the whole screen and the world mesh about the
// middle once the first scene has faded in.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "halcyon/render/texture_bank.h"
#include "halcyon/resources/texture_bank_resource.h"

namespace halcyon {
namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

bool ReadPng(const std::string& path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

std::string Frame(const std::filesystem::path& folder, int n) {
  char name[32];
  std::snprintf(name, sizeof name, "%06d.png", n);
  return (folder / name).string();
}

TEST(EndToEnd, CaptureRunShowsTheFloorAndTheMesh) {
  if (std::getenv("HALCYON_CAPTURE_RUN") == nullptr)
    GTEST_SKIP() << "runs as the serial test halcyon_capture_run";
  // One folder per run, so that runs side by side do not clear each other's
  // frames; it is kept when a check fails, to look at.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("halcyon_e2e_capture_" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string command =
      "SAVER_SEED=1 SAVER_FRAMES=1200 GLIDE_DISPLAY=headless SDL_AUDIODRIVER=dummy "
      "GLIDE_CAPTURE=" +
      folder.string() + " GLIDE_CAPTURE_EVERY=100 " HALCYON_PROGRAM " /s";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (int n = 100; n <= 1200; n += 100) ASSERT_TRUE(std::filesystem::exists(Frame(folder, n))) << n;

  // Colours of the sphere map as the display stores them (5-6-5 bits).
  const uint8_t* bank = TextureBankResourceBytes().data();
  std::vector<bool> sphereColour(65536, false);
  for (int i = 1; i < 256; ++i) {
    const uint8_t* c = bank + SpherePaletteOffset() + 3 * i;
    sphereColour[((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3)] = true;
  }
  for (int n : {300, 500, 700}) {
    Picture picture;
    ASSERT_TRUE(ReadPng(Frame(folder, n), picture)) << n;
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    // The near floor, the bottom rows, is lit everywhere.
    int dark = 0;
    for (int y = 440; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const uint8_t* p = picture.At(x, y);
        dark += p[0] + p[1] + p[2] < 12;
      }
    EXPECT_LT(dark, 640 * 40 / 20) << "frame " << n;
    // The mesh: sphere-map colours, gathered about the middle of the screen.
    long count = 0, sumX = 0, sumY = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const uint8_t* p = picture.At(x, y);
        if (sphereColour[((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3)]) {
          ++count;
          sumX += x;
          sumY += y;
        }
      }
    ASSERT_GT(count, 3000) << "frame " << n;
    // The mesh swings round the middle of the screen; its centre stays clear of the edges.
    EXPECT_NEAR(sumX / count, 320, 280) << "frame " << n;
    EXPECT_NEAR(sumY / count, 240, 200) << "frame " << n;
  }
  if (!HasFailure()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
}

}  // namespace
}  // namespace halcyon
