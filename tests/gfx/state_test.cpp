// state_test.cpp — saving and restoring the render state, and the byte order
// of every 32-bit colour the API takes.
#include <cstring>
#include <string>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

class StateTest : public OpenGlideTest {
 protected:
  // Flat constant colour for the triangles that follow.
  static void UseConstantColour() {
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
  }
};

TEST_F(StateTest, RestoresEverySettingButNotTheFogTable) {
  UseConstantColour();
  grConstantColorValue(0xFFFF0000);
  grCullMode(GR_CULL_POSITIVE);
  grFogMode(GR_FOG_WITH_TABLE);
  grFogColorValue(0xFF00FF00);
  GrFog_t noFog[GR_FOG_TABLE_SIZE] = {};
  grFogTable(noFog);
  GrState saved;
  grGlideGetState(&saved);

  // Change all of it, the fog table included.
  grConstantColorValue(0xFF0000FF);
  grCullMode(GR_CULL_DISABLE);
  grFogMode(GR_FOG_DISABLE);
  grDitherMode(GR_DITHER_4x4);
  grColorMask(FXFALSE, FXFALSE);
  GrFog_t fullFog[GR_FOG_TABLE_SIZE];
  std::memset(fullFog, 255, sizeof fullFog);
  grFogTable(fullFog);

  grGlideSetState(&saved);
  // Clockwise on screen (positive area) is culled again.
  GrVertex a = Vertex(10, 10), b = Vertex(30, 10), c = Vertex(10, 30);
  grDrawTriangle(&a, &b, &c);
  EXPECT_EQ(Pixel(12, 12), 0);
  // Counter-clockwise draws in the restored constant colour, fogged with the
  // fog table downloaded last (full fog: the fog colour).
  grDrawTriangle(&a, &c, &b);
  EXPECT_EQ(Pixel(12, 12), To565(0xFF00FF00));
  grFogTable(noFog);
  grDrawTriangle(&a, &c, &b);
  EXPECT_EQ(Pixel(12, 12), To565(0xFFFF0000));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(StateTest, RefusesAStateItDidNotFill) {
  UseConstantColour();
  grConstantColorValue(0xFFFF0000);
  GrState garbage;
  std::memset(&garbage, 0xA5, sizeof garbage);
  grGlideSetState(&garbage);
  GrState zero{};
  grGlideSetState(&zero);
  grGlideSetState(nullptr);
  EXPECT_EQ(Errors().size(), 3u);
  Rect(0, 0, 8, 8);
  EXPECT_EQ(Pixel(4, 4), To565(0xFFFF0000));

  // A copy of a filled state is as good as the original; a flipped byte is not.
  GrState saved;
  grGlideGetState(&saved);
  GrState copy;
  std::memcpy(&copy, &saved, sizeof copy);
  grGlideSetState(&copy);
  EXPECT_EQ(Errors().size(), 3u);
  copy.pad[40] ^= 1;
  grGlideSetState(&copy);
  EXPECT_EQ(Errors().size(), 4u);
}

TEST_F(StateTest, TextureSourceIsPartOfTheState) {
  // Two one-texel textures; each saved state draws with its own.
  auto oneTexel = [](uint16_t texel) {
    GrMipMapId_t id =
        guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 1, 1, GR_TEXFMT_RGB_565, GR_MIPMAP_DISABLE,
                            GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP,
                            GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED, 0.0f, FXFALSE);
    guTexDownloadMipMap(id, &texel, nullptr);
    return id;
  };
  const GrMipMapId_t red = oneTexel(0xF800), blue = oneTexel(0x001F);
  ASSERT_NE(red, GR_NULL_MIPMAP_HANDLE);
  ASSERT_NE(blue, GR_NULL_MIPMAP_HANDLE);
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  GrState redState, blueState;
  guTexSource(red);
  grGlideGetState(&redState);
  guTexSource(blue);
  grGlideGetState(&blueState);

  grGlideSetState(&redState);
  Rect(0, 0, 8, 8);
  grGlideSetState(&blueState);
  Rect(8, 0, 16, 8);
  EXPECT_EQ(Pixel(4, 4), 0xF800);
  EXPECT_EQ(Pixel(12, 4), 0x001F);
}

// ---- colour formats ---------------------------------------------------------

struct FormatCase {
  GrColorFormat_t format;
  uint32_t encoded;  // hardware 0xFF336699 written in this format
};

void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << "format " << c.format << ", 0x" << std::hex << c.encoded;
}

class ColourFormatTest : public GlideTest, public ::testing::WithParamInterface<FormatCase> {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open(GetParam().format));
    grDitherMode(GR_DITHER_DISABLE);
  }
};

constexpr uint32_t kHardware = 0xFF336699;

TEST_P(ColourFormatTest, EveryColourArgumentIsSwizzled) {
  const uint32_t colour = GetParam().encoded;
  const uint32_t black = 0;  // the same in every format

  grBufferClear(colour, 0, 0);
  EXPECT_EQ(Pixel(5, 5), To565(kHardware)) << "clear colour";

  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_CONSTANT, FXFALSE);
  grBufferClear(black, 0, 0);
  grConstantColorValue(colour);
  Rect(0, 0, 10, 10);
  EXPECT_EQ(Pixel(5, 5), To565(kHardware)) << "constant colour";

  // Full fog over a black surface leaves the fog colour.
  grBufferClear(black, 0, 0);
  grConstantColorValue(black);
  GrFog_t fullFog[GR_FOG_TABLE_SIZE];
  std::memset(fullFog, 255, sizeof fullFog);
  grFogTable(fullFog);
  grFogColorValue(colour);
  grFogMode(GR_FOG_WITH_TABLE);
  Rect(0, 0, 10, 10, 0.5f);
  EXPECT_EQ(Pixel(5, 5), To565(kHardware)) << "fog colour";
  grFogMode(GR_FOG_DISABLE);

  // A surface in the key colour is not drawn; the surface's colour comes from
  // the vertices, which no colour format touches.
  grBufferClear(black, 0, 0);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                 GR_COMBINE_OTHER_ITERATED, FXFALSE);
  GrVertex v[3] = {Vertex(0, 0), Vertex(20, 0), Vertex(0, 20)};
  for (GrVertex& p : v) p.r = 0x33, p.g = 0x66, p.b = 0x99, p.a = 255;
  grDrawTriangle(&v[0], &v[1], &v[2]);
  EXPECT_EQ(Pixel(5, 5), To565(kHardware)) << "iterated colour";
  grBufferClear(black, 0, 0);
  grChromakeyValue(colour);
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  grDrawTriangle(&v[0], &v[1], &v[2]);
  EXPECT_EQ(Pixel(5, 5), 0) << "chroma key";
  EXPECT_TRUE(Errors().empty());
}

constexpr const char* kFormatNames[] = {"Argb", "Abgr", "Rgba", "Bgra"};

INSTANTIATE_TEST_SUITE_P(AllFormats, ColourFormatTest,
                         ::testing::Values(FormatCase{GR_COLORFORMAT_ARGB, 0xFF336699},
                                           FormatCase{GR_COLORFORMAT_ABGR, 0xFF996633},
                                           FormatCase{GR_COLORFORMAT_RGBA, 0x336699FF},
                                           FormatCase{GR_COLORFORMAT_BGRA, 0x996633FF}),
                         [](const auto& info) { return std::string(kFormatNames[info.param.format]); });

}  // namespace
}  // namespace gfxtest
