// draw_test.cpp — what the drawing calls put on the screen: points, lines and
// polygons made of triangles, the origin, and textures read through the
// palette and NCC tables downloaded for them.
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

constexpr uint16_t kWhite = 0xFFFF;

class DrawTest : public GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open());
    Prepare();
  }
  static void Prepare() {
    grDitherMode(GR_DITHER_DISABLE);
    grBufferClear(0, 0, 0);
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grConstantColorValue(0xFFFFFFFF);
  }
  // Pixels of the back buffer that are not black, in a window around the origin.
  static std::vector<std::pair<int, int>> Lit(int w = 64, int h = 64) {
    std::vector<uint16_t> pixels(size_t(w) * h);
    EXPECT_TRUE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, w, h, w * 2, pixels.data()));
    std::vector<std::pair<int, int>> lit;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (pixels[size_t(y) * w + x]) lit.emplace_back(x, y);
    return lit;
  }
};

TEST_F(DrawTest, PointsLightOnePixelWhateverTheCullMode) {
  for (GrCullMode_t cull : {GR_CULL_DISABLE, GR_CULL_NEGATIVE, GR_CULL_POSITIVE}) {
    grBufferClear(0, 0, 0);
    grCullMode(cull);
    GrVertex p = Vertex(10.7f, 20.2f);
    grDrawPoint(&p);
    GrVertex biased = Vertex(786432.0f + 30.5f, 786432.0f + 5.0f);
    grDrawPoint(&biased);
    const auto lit = Lit();
    ASSERT_EQ(lit.size(), 2u) << cull;
    EXPECT_EQ(lit[0], std::make_pair(30, 5));
    EXPECT_EQ(lit[1], std::make_pair(10, 20));
  }
}

TEST_F(DrawTest, LinesAreOnePixelWide) {
  grCullMode(GR_CULL_POSITIVE);
  GrVertex a = Vertex(2.5f, 10.5f), b = Vertex(12.5f, 10.5f);
  grDrawLine(&b, &a);
  auto lit = Lit();
  ASSERT_EQ(lit.size(), 10u);
  for (const auto& [x, y] : lit) EXPECT_EQ(y, 10);
  grBufferClear(0, 0, 0);
  GrVertex c = Vertex(40.5f, 3.5f), d = Vertex(42.5f, 23.5f);
  grDrawLine(&c, &d);
  lit = Lit();
  EXPECT_EQ(lit.size(), 20u);
  for (const auto& [x, y] : lit) EXPECT_TRUE(x >= 40 && x <= 42 && y >= 3 && y < 23);
}

TEST_F(DrawTest, PolygonsFillAsFans) {
  // A convex hexagon-ish polygon in a 20x20 box covers exactly the box when it is a square.
  const GrVertex square[4] = {Vertex(0, 0), Vertex(20, 0), Vertex(20, 20), Vertex(0, 20)};
  grDrawPolygonVertexList(4, square);
  EXPECT_EQ(Lit().size(), 400u);
  grBufferClear(0, 0, 0);
  const int order[4] = {3, 2, 1, 0};
  grDrawPolygon(4, order, square);
  EXPECT_EQ(Lit().size(), 400u);
  // A planar polygon is culled as a whole by the facing of its first triangle
  // with an area; the square above is clockwise on screen (positive).
  grCullMode(GR_CULL_POSITIVE);
  grBufferClear(0, 0, 0);
  const GrVertex degenerateFirst[5] = {Vertex(0, 0), Vertex(0, 0), Vertex(20, 0), Vertex(20, 20),
                                       Vertex(0, 20)};
  grDrawPlanarPolygonVertexList(5, degenerateFirst);
  EXPECT_TRUE(Lit().empty());
  grDrawPlanarPolygon(4, order, square);
  EXPECT_EQ(Lit().size(), 400u);
  grDrawPolygonVertexList(2, square);  // too few corners: nothing
  grDrawPolygonVertexList(-5, square);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(DrawTest, LowerLeftOriginPutsRowZeroAtTheBottom) {
  ASSERT_TRUE(Open(GR_COLORFORMAT_ARGB, GR_ORIGIN_LOWER_LEFT));
  Prepare();
  Rect(0, 0, 4, 2);
  EXPECT_EQ(Pixel(1, 479), kWhite);
  EXPECT_EQ(Pixel(1, 478), kWhite);
  EXPECT_EQ(Pixel(1, 477), 0);
  EXPECT_EQ(Pixel(1, 0), 0);
  grSstOrigin(GR_ORIGIN_UPPER_LEFT);
  Rect(10, 0, 14, 2);
  EXPECT_EQ(Pixel(11, 0), kWhite);
}

TEST_F(DrawTest, PaletteAndNccTablesColourTheTexels) {
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  auto oneTexel = [](GrTextureFormat_t format, uint8_t texel, const GuNccTable* ncc) {
    const GrMipMapId_t id =
        guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 1, 1, format, GR_MIPMAP_DISABLE, GR_LOD_1,
                            GR_LOD_1, GR_ASPECT_1x1, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP,
                            GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED, 0.0f, FXFALSE);
    guTexDownloadMipMap(id, &texel, ncc);
    return id;
  };
  GuTexPalette palette{};
  palette.data[7] = 0xFF00FF00;  // the top byte is not used
  grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &palette);
  guTexSource(oneTexel(GR_TEXFMT_P_8, 7, nullptr));
  Rect(0, 0, 4, 4);
  EXPECT_EQ(Pixel(1, 1), 0x07E0);
  // The palette in force is the last one downloaded, also for triangles drawn with an earlier state.
  palette.data[7] = 0x00FF0000;
  grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &palette);
  Rect(0, 0, 4, 4);
  EXPECT_EQ(Pixel(1, 1), 0xF800);

  // Two YIQ textures with their own NCC tables (Y only) keep their own colours.
  auto nccOfY = [](uint8_t y) {
    GuNccTable t{};
    for (int i = 0; i < 4; ++i) t.packed_data[i] = 0x01010101u * y;
    return t;
  };
  const GuNccTable grey = nccOfY(0x80), white = nccOfY(0xFF);
  const GrMipMapId_t a = oneTexel(GR_TEXFMT_YIQ_422, 0x00, &grey),
                     b = oneTexel(GR_TEXFMT_YIQ_422, 0x00, &white);
  guTexSource(a);
  Rect(0, 0, 4, 4);
  guTexSource(b);
  Rect(4, 0, 8, 4);
  guTexSource(a);
  Rect(8, 0, 12, 4);
  EXPECT_EQ(Pixel(1, 1), To565(0xFF808080));
  EXPECT_EQ(Pixel(5, 1), kWhite);
  EXPECT_EQ(Pixel(9, 1), To565(0xFF808080));
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace gfxtest
