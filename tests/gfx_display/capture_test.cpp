// Tests for PNG frame capture: names, every Nth frame, what the files hold,
// and a folder that cannot be written.
#include "capture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "display.h"
#include "gamma.h"
#include "headless_display.h"
#include "png_reader.h"
#include "scoped_env.h"

namespace gfx {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& name) {
  const fs::path folder = fs::temp_directory_path() / ("gfx_display_" + std::to_string(getpid())) / name;
  fs::remove_all(folder);
  return folder;
}

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

TEST(CaptureFileName, SixDigitsAtLeastSoNamesSort) {
  EXPECT_EQ(CaptureFileName(1), "000001.png");
  EXPECT_EQ(CaptureFileName(100), "000100.png");
  EXPECT_EQ(CaptureFileName(999999), "999999.png");
  EXPECT_EQ(CaptureFileName(1234567), "1234567.png");
}

TEST(CaptureSettings, StepMustBeAWholeNumberOfAtLeastOne) {
  const struct {
    const char* every;
    uint64_t step;
    bool warns;
  } cases[] = {{nullptr, 1, false}, {"", 1, false},
               {"1", 1, false},     {"25", 25, false},
               {"0", 1, true},      {"-3", 1, true},
               {"2x", 1, true},     {"abc", 1, true},
               {" 5", 1, true},     {"99999999999999999999999", 1, true}};
  for (const auto& c : cases) {
    std::string warning;
    const auto settings = ParseCaptureSettings("frames", c.every, &warning);
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->every, c.step) << (c.every ? c.every : "(unset)");
    EXPECT_EQ(!warning.empty(), c.warns) << (c.every ? c.every : "(unset)");
  }
  EXPECT_FALSE(ParseCaptureSettings(nullptr, "3", nullptr).has_value());
  EXPECT_FALSE(ParseCaptureSettings("", nullptr, nullptr).has_value());
}

class CaptureFromEnvironment : public ::testing::Test {
 protected:
  test_support::ScopedEnv display_{"GLIDE_DISPLAY", "headless"};
  std::vector<uint16_t> frame_ = std::vector<uint16_t>(640 * 480, 0);
};

TEST_F(CaptureFromEnvironment, WritesEveryNthShownFrameIntoAFolderItCreates) {
  const fs::path folder = FreshFolder("every") / "nested" / "deeper";
  test_support::ScopedEnv capture("GLIDE_CAPTURE", folder.string().c_str());
  test_support::ScopedEnv every("GLIDE_CAPTURE_EVERY", "3");
  auto display = CreateDisplayFromEnvironment();
  ASSERT_TRUE(display->Open({}));
  auto* headless = dynamic_cast<HeadlessDisplay*>(display.get());
  ASSERT_NE(headless, nullptr);

  // Nine frames hold three multiples of 3, whatever frame the process is at.
  std::set<std::string> expected;
  for (int i = 0; i < 9; ++i) {
    display->Present(frame_.data(), 640, 480, 640, 1);
    if (headless->LastShownFrame() % 3 == 0) expected.insert(CaptureFileName(headless->LastShownFrame()));
  }
  display->Close();
  EXPECT_EQ(expected.size(), 3u);
  EXPECT_EQ(FilesIn(folder), expected);
}

TEST_F(CaptureFromEnvironment, PngShowsWhatTheViewerSawWithTheBoardsGamma) {
  const fs::path folder = FreshFolder("content");
  test_support::ScopedEnv capture("GLIDE_CAPTURE", folder.string().c_str());
  test_support::ScopedEnv every("GLIDE_CAPTURE_EVERY", nullptr);
  auto display = CreateDisplayFromEnvironment();
  ASSERT_TRUE(display->Open({}));
  auto* headless = dynamic_cast<HeadlessDisplay*>(display.get());
  ASSERT_NE(headless, nullptr);

  // White left half, mid grey right half, one red pixel in the bottom-right
  // corner; rows are 700 pixels apart in the caller's buffer.
  std::vector<uint16_t> strided(700 * 480, 0x001F);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) strided[y * 700 + x] = x < 320 ? 0xFFFF : 0x8410;
  }
  strided[479 * 700 + 639] = 0xF800;

  display->SetGamma(1.7f);  // what grSstWinOpen sets
  display->Present(strided.data(), 640, 480, 700, 1);
  const uint64_t atDefault = headless->LastShownFrame();
  display->SetGamma(1.0f);
  display->Present(strided.data(), 640, 480, 700, 1);
  const uint64_t atOne = headless->LastShownFrame();

  testing::RgbImage image;
  ASSERT_TRUE(testing::ReadPng(folder / CaptureFileName(atDefault), &image));
  ASSERT_EQ(image.width, 640);
  ASSERT_EQ(image.height, 480);
  EXPECT_EQ(image.At(0, 0), 0xFEFEFEu);
  EXPECT_EQ(image.At(319, 240), 0xFEFEFEu);
  EXPECT_EQ(image.At(320, 0), 0xADABADu);  // 132/130 raised by the 1.7 ramp
  EXPECT_EQ(image.At(638, 479), 0xADABADu);
  EXPECT_EQ(image.At(639, 479), 0xFE0000u);

  ASSERT_TRUE(testing::ReadPng(folder / CaptureFileName(atOne), &image));
  EXPECT_EQ(image.At(320, 0), 0x848284u);  // plain bit replication
  EXPECT_EQ(image.At(639, 479), 0xFE0000u);
}

// Frames of 8 bits a channel go through the same ramp: a level widened from
// RGB565 looks exactly as the RGB565 pixel does, and the levels between
// stay apart. The headless frame keeps them, and their RGB565 truncation.
TEST_F(CaptureFromEnvironment, EightBitFramesSeenThroughTheSameRamp) {
  const fs::path folder = FreshFolder("wide");
  test_support::ScopedEnv capture("GLIDE_CAPTURE", folder.string().c_str());
  test_support::ScopedEnv every("GLIDE_CAPTURE_EVERY", nullptr);
  auto display = CreateDisplayFromEnvironment();
  ASSERT_TRUE(display->Open({}));
  auto* headless = dynamic_cast<HeadlessDisplay*>(display.get());
  ASSERT_NE(headless, nullptr);

  // Rows 6 apart; the top byte is not colour and is ignored.
  std::vector<uint32_t> wide(6 * 2, 0xAA000000u);
  wide[0] |= 0x848284u;  // 0x8410 widened
  wide[1] |= 0x878787u;  // between two RGB565 levels
  wide[6] |= 0xFF0000u;
  wide[7] |= 0x0000FFu;
  display->SetGamma(1.7f);
  display->Present32(wide.data(), 2, 2, 6, 1);
  EXPECT_EQ(headless->Frame32(), (std::vector<uint32_t>{0xAA848284u, 0xAA878787u, 0xAAFF0000u, 0xAA0000FFu}));
  EXPECT_EQ(headless->Frame(), (std::vector<uint16_t>{0x8410, 0x8430, 0xF800, 0x001F}));

  testing::RgbImage image;
  ASSERT_TRUE(testing::ReadPng(folder / CaptureFileName(headless->LastShownFrame()), &image));
  ASSERT_EQ(image.width, 2);
  EXPECT_EQ(image.At(0, 0), 0xADABADu);  // as the RGB565 grey in the test above
  EXPECT_NE(image.At(1, 0), image.At(0, 0));
  EXPECT_EQ(image.At(0, 1), 0xFE0000u);
  EXPECT_EQ(image.At(1, 1), 0x0000FEu);

  // A 16-bit frame afterwards leaves no 8-bit one behind.
  display->Present(frame_.data(), 640, 480, 640, 1);
  EXPECT_TRUE(headless->Frame32().empty());
}

TEST_F(CaptureFromEnvironment, UnwritableFolderIsReportedOnceAndTheRunGoesOn) {
  const fs::path base = FreshFolder("blocked");
  fs::create_directories(base);
  std::ofstream(base / "file") << "not a folder";
  const fs::path folder = base / "file" / "frames";
  test_support::ScopedEnv capture("GLIDE_CAPTURE", folder.string().c_str());
  test_support::ScopedEnv every("GLIDE_CAPTURE_EVERY", nullptr);
  auto display = CreateDisplayFromEnvironment();
  ASSERT_TRUE(display->Open({}));

  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 4; ++i) display->Present(frame_.data(), 640, 480, 640, 1);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find(folder.string().substr(0, base.string().size())), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  EXPECT_EQ(dynamic_cast<HeadlessDisplay*>(display.get())->Frame().size(), 640u * 480u);
}

TEST(WritePng, RefusesAnEmptyPictureAndReportsAMissingFolder) {
  const uint32_t pixel = 0;
  std::string error;
  EXPECT_FALSE(WritePng(FreshFolder("empty") / "x.png", &pixel, 0, 10, &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(WritePng(FreshFolder("missing") / "no" / "x.png", &pixel, 1, 1, &error));
  EXPECT_NE(error.find("x.png"), std::string::npos) << error;
}

}  // namespace
}  // namespace gfx
