// lfb_test.cpp — direct frame buffer access: locks in the write formats and
// both origins, region writes, and refused regions.
#include <cstring>
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

class LfbTest : public OpenGlideTest {};

TEST_F(LfbTest, LockedWritesReachTheBufferOnUnlock) {
  GrLfbInfo_t info{};
  info.size = sizeof info;
  ASSERT_TRUE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT,
                        FXFALSE, &info));
  EXPECT_EQ(info.strideInBytes, 2048u);  // 1024-pixel rows, as on the board
  EXPECT_FALSE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT,
                         FXFALSE, &info));  // already locked
  const uint16_t value = 0x1234;
  std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + 2 * info.strideInBytes + 3 * 2, &value, 2);
  EXPECT_TRUE(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
  EXPECT_EQ(Pixel(3, 2), 0x1234);
  EXPECT_FALSE(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));

  // 32-bit pixels in the window's colour format, rows counted from the bottom.
  ASSERT_TRUE(grLfbLock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, GR_ORIGIN_LOWER_LEFT,
                        FXFALSE, &info));
  const uint32_t argb = 0xFF336699;
  std::memcpy(info.lfbPtr, &argb, 4);
  grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
  EXPECT_EQ(Pixel(0, 479), To565(argb));
  EXPECT_EQ(Pixel(3, 2), 0x1234);  // the rest of the picture is kept

  // A read lock shows the picture as it is.
  ASSERT_TRUE(grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_UPPER_LEFT,
                        FXFALSE, &info));
  uint16_t seen = 0;
  std::memcpy(&seen, static_cast<uint8_t*>(info.lfbPtr) + 2 * info.strideInBytes + 3 * 2, 2);
  EXPECT_EQ(seen, 0x1234);
  grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
}

TEST_F(LfbTest, RegionWritesConvertAndStayInside) {
  const uint16_t white555[4] = {0x7FFF, 0x7FFF, 0x001F, 0x7C00};
  EXPECT_TRUE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 10, 10, GR_LFB_SRC_FMT_555, 2, 2, 4,
                               const_cast<uint16_t*>(white555)));
  EXPECT_EQ(Pixel(10, 10), 0xFFFF);
  EXPECT_EQ(Pixel(10, 11), 0x001F);
  EXPECT_EQ(Pixel(11, 11), 0xF800);
  const uint16_t depth[2] = {0x1111, 0x2222};
  EXPECT_TRUE(grLfbWriteRegion(GR_BUFFER_AUXBUFFER, 0, 0, GR_LFB_SRC_FMT_ZA16, 2, 1, 4,
                               const_cast<uint16_t*>(depth)));
  EXPECT_EQ(Pixel(1, 0, GR_BUFFER_AUXBUFFER), 0x2222);
  std::vector<uint16_t> row(64, 0xFFFF);
  EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 600, 0, GR_LFB_SRC_FMT_565, 64, 1, 128, row.data()));
  EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 479, GR_LFB_SRC_FMT_565, 2, 2, 4, row.data()));
  EXPECT_FALSE(grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, GR_LFB_SRC_FMT_RLE16, 2, 1, 4, row.data()));
  EXPECT_EQ(Pixel(639, 0), 0);
}

}  // namespace
}  // namespace gfxtest
