// sst_test.cpp — the board and its window: the hardware query, a machine
// without the board, opening at each resolution, buffer swaps that really
// exchange, statistics, fog helpers, the call recording, and calls that
// arrive too early or with bad arguments.
#include <gfx/recorder.h>

#include <cmath>
#include <cstring>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

using SstTest = GlideTest;

TEST_F(SstTest, ReportsOneVoodooGraphicsBoard) {
  GrHwConfiguration hw;
  std::memset(&hw, 0xCC, sizeof hw);
  ASSERT_TRUE(grSstQueryHardware(&hw));
  EXPECT_EQ(hw.num_sst, 1);
  EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_VOODOO);
  const GrVoodooConfig_t& v = hw.SSTs[0].sstBoard.VoodooConfig;
  EXPECT_EQ(v.fbRam, 2);
  EXPECT_EQ(v.nTexelfx, 1);
  EXPECT_GE(v.tmuConfig[0].tmuRev, 1);
  EXPECT_EQ(v.tmuConfig[0].tmuRam, 2);
  EXPECT_FALSE(grSstQueryHardware(nullptr));
}

TEST_F(SstTest, WithoutTheBoardNothingOpens) {
  setenv("GLIDE_NO_BOARD", "1", 1);
  GrHwConfiguration hw;
  EXPECT_FALSE(grSstQueryHardware(&hw));
  EXPECT_FALSE(Open());
  grBufferClear(0, 0, 0);  // refused, not a crash
  grBufferSwap(1);
  unsetenv("GLIDE_NO_BOARD");
  EXPECT_TRUE(grSstQueryHardware(&hw));
  EXPECT_TRUE(Open());
}

TEST_F(SstTest, OpensTheResolutionsThatFitTheFrameBuffer) {
  struct Case {
    GrScreenResolution_t resolution;
    int colourBuffers, auxBuffers;
    bool opens;
    FxU32 width, height;
  };
  const Case cases[] = {
      {GR_RESOLUTION_640x480, 2, 1, true, 640, 480}, {GR_RESOLUTION_512x384, 3, 1, true, 512, 384},
      {GR_RESOLUTION_800x600, 2, 0, true, 800, 600}, {GR_RESOLUTION_800x600, 2, 1, false, 0, 0},
      {GR_RESOLUTION_960x720, 2, 0, false, 0, 0},    {GR_RESOLUTION_320x200, 2, 1, true, 320, 200},
      {GR_RESOLUTION_NONE, 2, 1, false, 0, 0},       {GR_RESOLUTION_640x480, 1, 1, false, 0, 0},
      {GR_RESOLUTION_640x480, 2, 2, false, 0, 0},
  };
  for (const Case& c : cases) {
    const bool opened = grSstWinOpen(0, c.resolution, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                     GR_ORIGIN_UPPER_LEFT, c.colourBuffers, c.auxBuffers) == FXTRUE;
    EXPECT_EQ(opened, c.opens) << c.resolution << " " << c.colourBuffers << "+" << c.auxBuffers;
    if (opened) {
      EXPECT_EQ(grSstScreenWidth(), c.width);
      EXPECT_EQ(grSstScreenHeight(), c.height);
      grBufferClear(0xFFFFFFFF, 0, 0);
      uint16_t corner = 0;
      EXPECT_TRUE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, c.width - 1, c.height - 1, 1, 1, 2, &corner));
      EXPECT_EQ(corner, 0xFFFF);
      grSstWinClose();
    }
  }
  EXPECT_FALSE(grSstWinOpen(0, GR_RESOLUTION_640x480, 99, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1));
  EXPECT_FALSE(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 4, GR_ORIGIN_UPPER_LEFT, 2, 1));
  EXPECT_FALSE(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, GR_COLORFORMAT_ARGB, 2, 2, 1));
}

TEST_F(SstTest, SwapExchangesTheColourBuffers) {
  ASSERT_TRUE(Open());
  grDitherMode(GR_DITHER_DISABLE);
  grBufferClear(0xFFFF0000, 0, 0);
  grBufferSwap(1);
  EXPECT_EQ(Pixel(3, 3, GR_BUFFER_FRONTBUFFER), 0xF800);
  grBufferClear(0xFF0000FF, 0, 0);
  grBufferSwap(0);
  EXPECT_EQ(Pixel(3, 3, GR_BUFFER_FRONTBUFFER), 0x001F);
  // Nobody cleared it: the back buffer holds the picture of two swaps before.
  EXPECT_EQ(Pixel(3, 3, GR_BUFFER_BACKBUFFER), 0xF800);
  // Drawing into the front buffer shows at once, and survives a swap in the back.
  grRenderBuffer(GR_BUFFER_FRONTBUFFER);
  grBufferClear(0xFF00FF00, 0, 0);
  EXPECT_EQ(Pixel(3, 3, GR_BUFFER_FRONTBUFFER), 0x07E0);
  grBufferSwap(1);
  EXPECT_EQ(Pixel(3, 3, GR_BUFFER_BACKBUFFER), 0x07E0);
  EXPECT_EQ(grBufferNumPending(), 0);
}

TEST_F(SstTest, ClearWritesDepthOnlyWhenDepthWritesAreOn) {
  ASSERT_TRUE(Open());
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, GR_WDEPTHVALUE_FARTHEST);
  EXPECT_EQ(Pixel(0, 0, GR_BUFFER_AUXBUFFER), 0xFFFF);
  grDepthMask(FXFALSE);
  grBufferClear(0, 0, 0x1234);
  EXPECT_EQ(Pixel(0, 0, GR_BUFFER_AUXBUFFER), 0xFFFF);
  grColorMask(FXFALSE, FXFALSE);
  grBufferClear(0xFFFFFFFF, 0, 0);
  EXPECT_EQ(Pixel(0, 0), 0);
}

TEST_F(SstTest, CountsPixelsAndTriangles) {
  ASSERT_TRUE(Open());
  grSstResetPerfStats();
  Rect(0, 0, 10, 10);
  GrSstPerfStats_t stats;
  grSstPerfStats(&stats);
  EXPECT_EQ(stats.pixelsOut, 100u);
  EXPECT_EQ(stats.pixelsIn, 100u);
  FxU32 processed = 0, drawn = 0;
  grTriStats(&processed, &drawn);
  EXPECT_EQ(processed, 2u);
  grSstResetPerfStats();
  grSstPerfStats(&stats);
  EXPECT_EQ(stats.pixelsOut, 0u);
}

TEST(FogHelperTest, TablesFollowTheBoardsLibrary) {
  EXPECT_FLOAT_EQ(guFogTableIndexToW(0), 1.0f);
  EXPECT_NEAR(guFogTableIndexToW(1), 1.142857f, 1e-5);
  EXPECT_FLOAT_EQ(guFogTableIndexToW(4), 2.0f);
  EXPECT_FLOAT_EQ(guFogTableIndexToW(8), 4.0f);
  EXPECT_FLOAT_EQ(guFogTableIndexToW(63), 52428.8f);
  GrFog_t table[GR_FOG_TABLE_SIZE];
  guFogGenerateExp(table, 0.01f);
  const GrFog_t start[] = {2, 2, 3, 4, 5, 5, 6, 8, 9};
  for (size_t i = 0; i < std::size(start); ++i) EXPECT_EQ(table[i], start[i]) << i;
  EXPECT_EQ(table[63], 255);
  guFogGenerateLinear(table, 4.0f, 64.0f);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[63], 255);
  for (int i = 1; i < GR_FOG_TABLE_SIZE; ++i) EXPECT_GE(table[i], table[i - 1]);
  guFogGenerateExp2(table, 0.0f);  // no density: no fog, and no garbage
  for (GrFog_t f : table) EXPECT_EQ(f, 0);
}

TEST_F(SstTest, RecordsEveryCallWithItsArguments) {
  ASSERT_TRUE(Open());
  gfx::StartRecording();
  grCullMode(GR_CULL_POSITIVE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  GrVertex a = Vertex(786432.0f + 1.5f, 2.0f, 0.25f, 8.0f, 0.5f), b = Vertex(30, 2), c = Vertex(2, 30);
  grDrawTriangle(&a, &b, &c);
  grConstantColorValue(0xFF000080);
  grBufferSwap(1);
  const std::vector<gfx::RecordedCall> calls = gfx::StopRecording();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].name, "grCullMode");
  EXPECT_EQ(calls[0].args, "2");
  // A convenience call is recorded once, not with the calls it makes.
  EXPECT_EQ(calls[1].name, "grTexCombineFunction");
  EXPECT_EQ(calls[1].args, "0, 1");
  EXPECT_EQ(calls[2].name, "grDrawTriangle");
  EXPECT_EQ(calls[2].args, "{786433.5 2 0.25 8 0.5}, {30 2 1 0 0}, {2 30 1 0 0}");
  EXPECT_EQ(calls[3].args, "4278190208");
  EXPECT_EQ(calls[4].name, "grBufferSwap");
  grCullMode(GR_CULL_DISABLE);
  EXPECT_TRUE(gfx::StopRecording().empty());
}

TEST(RobustnessTest, EarlyCallsAndBadArgumentsAreReportedNotFatal) {
  grErrorSetCallback(CollectError);
  Errors().clear();
  // Before grGlideInit.
  GrVertex v = Vertex(1, 1);
  grDrawTriangle(&v, &v, &v);
  grBufferClear(0, 0, 0);
  grBufferSwap(1);
  uint16_t pixel = 0;
  EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, 0, 1, 1, 2, &pixel));
  EXPECT_FALSE(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1));
  EXPECT_EQ(guTexAllocateMemory(0, 3, 8, 8, GR_TEXFMT_P_8, 0, 5, 5, 3, 0, 0, 0, 0, 0.0f, 0),
            GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
  EXPECT_GE(Errors().size(), 5u);

  // Initialised but no window.
  grGlideInit();
  grDrawTriangle(&v, &v, &v);
  grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, nullptr);
  EXPECT_TRUE(grSstWinOpen(0, GR_RESOLUTION_640x480, 0, 0, 0, 2, 1));

  // Null pointers and values out of range.
  Errors().clear();
  grDrawTriangle(nullptr, &v, &v);
  grDrawPolygon(5, nullptr, &v);
  grDrawPolygonVertexList(4, nullptr);
  grDrawPoint(nullptr);
  grDrawLine(&v, nullptr);
  grFogTable(nullptr);
  grGlideGetState(nullptr);
  grTexSource(GR_TMU0, 0, 3, nullptr);
  grTexDownloadMipMap(GR_TMU0, 0, 3, nullptr);
  grCullMode(17);
  grDepthBufferFunction(-1);
  grAlphaBlendFunction(0x9, 0, 0, 0);
  grColorCombine(0x11, 0, 0, 0, 0);
  grTexCombine(GR_TMU1, 1, 0, 1, 0, 0, 0);
  grRenderBuffer(GR_BUFFER_AUXBUFFER);
  grFogMode(0x400);
  grSstPerfStats(nullptr);
  EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 630, 0, 20, 1, 40, &pixel));
  EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0xFFFFFFFFu, 0, 2, 1, 4, &pixel));
  EXPECT_EQ(Errors().size(), 19u);

  // A texture reaching past the end of texture memory is cut off there.
  std::vector<uint16_t> texels(87381, 0x1234);
  GrTexInfo info{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, texels.data()};
  grTexDownloadMipMap(GR_TMU0, grTexMaxAddress(GR_TMU0), GR_MIPMAPLEVELMASK_BOTH, &info);
  grTexSource(GR_TMU0, grTexMaxAddress(GR_TMU0), GR_MIPMAPLEVELMASK_BOTH, &info);
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  GrVertex a = Vertex(0, 0, 1, 0, 0), b = Vertex(640, 0, 1, 256, 0), c = Vertex(0, 480, 1, 0, 256);
  grDrawTriangle(&a, &b, &c);
  grSstIdle();
  grGlideShutdown();
  grGlideShutdown();
  grErrorSetCallback(nullptr);
}

}  // namespace
}  // namespace gfxtest
