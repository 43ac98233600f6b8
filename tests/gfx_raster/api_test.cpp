// api_test.cpp — the pipeline as programs reach it: drawn through the Glide
// entry points on the headless display and read back with grLfbReadRegion.
#include <cmath>
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

class GlideRaster : public GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open());
    // Constant colour, each write adds 1 to red: red counts the writes.
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grConstantColorValue(0xFF080000u);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    grDitherMode(GR_DITHER_DISABLE);
    grBufferClear(0, 0, 0);
  }
  static std::vector<uint16_t> Read(int x, int y, int w, int h) {
    std::vector<uint16_t> pixels(static_cast<size_t>(w) * h);
    EXPECT_EQ(grLfbReadRegion(GR_BUFFER_BACKBUFFER, x, y, w, h, w * 2, pixels.data()), FXTRUE);
    return pixels;
  }
};

TEST_F(GlideRaster, BiasedFanCoversEveryPixelOnceWhereThePlainOneDoes) {
  const float bias = 786432.0f, cx = 100.3f, cy = 90.7f;
  // The programs add the bias to a finished screen coordinate: one rounding
  // to 1/16. The plain fan takes the coordinates on that grid.
  auto fan = [&](float offset, float shiftX) {
    auto at = [&](float x, float y) {
      const float gridX = (bias + x) - bias, gridY = (bias + y) - bias;  // exact
      return Vertex(offset + (gridX + shiftX), offset + gridY);
    };
    for (int i = 0; i < 10; ++i) {
      float a0 = 6.2831853f * i / 10, a1 = 6.2831853f * (i + 1) / 10;
      GrVertex c = at(cx, cy);
      GrVertex p = at(cx + 60.13f * std::cos(a0), cy + 55.71f * std::sin(a0));
      GrVertex q = at(cx + 60.13f * std::cos(a1), cy + 55.71f * std::sin(a1));
      grDrawTriangle(&c, &p, &q);
    }
  };
  fan(0.0f, 0.0f);    // plain, at x 40..161
  fan(bias, 200.0f);  // biased, 200 pixels to the right
  std::vector<uint16_t> plain = Read(30, 25, 140, 135), biased = Read(230, 25, 140, 135);
  EXPECT_EQ(plain, biased);
  int covered = 0;
  for (uint16_t p : plain) {
    ASSERT_LE(p >> 11, 1);
    covered += p >> 11;
  }
  EXPECT_NEAR(covered, 5 * std::sin(0.6283185) * 60.13 * 55.71, 150.0);  // area of the decagon
}

TEST_F(GlideRaster, VertexPastTheEdgeStaysOnItsSide) {
  GrVertex a = Vertex(600, 10), b = Vertex(3000, 200), c = Vertex(600, 400);
  grDrawTriangle(&a, &b, &c);
  EXPECT_EQ(Read(639, 200, 1, 1)[0] >> 11, 1);
  EXPECT_EQ(Read(5, 200, 1, 1)[0], 0);
}

// A texture downloaded again at the same place, with nothing else changed,
// is what the next triangles show (no copy decoded earlier is drawn).
TEST_F(GlideRaster, DownloadedAgainTheNewTexelsAreDrawn) {
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  GrMipMapId_t id =
      guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 8, 8, GR_TEXFMT_RGB_565, GR_MIPMAP_DISABLE,
                          GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                          GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
  ASSERT_NE(id, GR_NULL_MIPMAP_HANDLE);
  guTexSource(id);
  auto drawWith = [&](uint16_t texel) {
    std::vector<uint16_t> texels(64, texel);
    guTexDownloadMipMap(id, texels.data(), nullptr);
    grBufferClear(0, 0, GR_WDEPTHVALUE_FARTHEST);
    GrVertex a = Vertex(10, 10), b = Vertex(90, 10), c = Vertex(10, 90);
    b.tmuvtx[0].sow = 8.0f;
    c.tmuvtx[0].tow = 8.0f;
    grDrawTriangle(&a, &b, &c);
    return Read(20, 20, 1, 1)[0];
  };
  EXPECT_EQ(drawWith(0xF800), 0xF800);
  EXPECT_EQ(drawWith(0x001F), 0x001F);
}

}  // namespace
}  // namespace gfxtest
