// conformance_test.cpp — the library as a Glide 2.x program expects the
// board to behave, checked through the public API with exact values (the
// facts and their sources are in docs/glide-pipeline.md): when the texture
// unit runs, the W hint, depth compared against the bias, destination
// alpha, the 12.4 truncation of vertex positions, frame-buffer locks,
// multibase addressing, the detail factor and trilinear blending, and the
// antialiased primitives' fringes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

class Conformance : public OpenGlideTest {
 protected:
  // An RGB565 texture of one level placed at `address`, point sampled, the
  // texture combine passing the texel on.
  static GrTexInfo Texture(GrLOD_t lod, GrTextureFormat_t format, const void* texels, FxU32 address = 0) {
    GrTexInfo info{lod, lod, GR_ASPECT_1x1, format, const_cast<void*>(texels)};
    grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
    grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
    return info;
  }
  static uint16_t Depth(int x, int y) { return Pixel(x, y, GR_BUFFER_AUXBUFFER); }
};

// ---- when the texture unit runs ----------------------------------------------

struct EnableCase {
  const char* name;
  GrCombineFunction_t alphaFunction;
  GrCombineOther_t alphaOther;
  GrCombineFactor_t colourFactor;
  uint16_t expected;
};

void PrintTo(const EnableCase& c, std::ostream* os) {
  *os << c.name;
}

class TextureEnable : public Conformance, public ::testing::WithParamInterface<EnableCase> {};

// Colour = constant white scaled by a factor; the texel's alpha is 0x80.
TEST_P(TextureEnable, AnyUseOfTheTextureTurnsTheUnitOn) {
  const EnableCase& c = GetParam();
  const uint16_t texel = 0x80C0;  // ALPHA_INTENSITY_88: alpha 0x80, intensity 0xC0
  Texture(GR_LOD_1, GR_TEXFMT_ALPHA_INTENSITY_88, &texel);
  grConstantColorValue(0xFFFFFFFF);
  grAlphaCombine(c.alphaFunction, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT, c.alphaOther, FXFALSE);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, c.colourFactor, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_CONSTANT, FXFALSE);
  Rect(0, 0, 4, 4);
  EXPECT_EQ(Pixel(1, 1), c.expected);
  EXPECT_TRUE(Errors().empty());
}

// 255 * (0x80 + 1) >> 8 = 128 per channel: 0x8410. 255 * (0 + 1) >> 8 = 0.
INSTANTIATE_TEST_SUITE_P(Rules, TextureEnable,
                         ::testing::Values(
                             // The alpha unit's other input is the texture, its function LOCAL:
                             // the colour unit's OTHER_ALPHA factor still reads the texel's alpha.
                             EnableCase{"OtherAlphaOfALocalAlphaUnit", GR_COMBINE_FUNCTION_LOCAL,
                                        GR_COMBINE_OTHER_TEXTURE, GR_COMBINE_FACTOR_OTHER_ALPHA, 0x8410},
                             EnableCase{"OtherAlphaOfAScalingAlphaUnit", GR_COMBINE_FUNCTION_SCALE_OTHER,
                                        GR_COMBINE_OTHER_TEXTURE, GR_COMBINE_FACTOR_OTHER_ALPHA, 0x8410},
                             EnableCase{"TextureAlphaFactorAlone", GR_COMBINE_FUNCTION_LOCAL,
                                        GR_COMBINE_OTHER_CONSTANT, GR_COMBINE_FACTOR_TEXTURE_ALPHA, 0x8410},
                             EnableCase{"NothingReadsTheTexture", GR_COMBINE_FUNCTION_LOCAL,
                                        GR_COMBINE_OTHER_ITERATED, GR_COMBINE_FACTOR_OTHER_ALPHA, 0x0000}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the W hint ----------------------------------------------------------------

// A 2x2 texture, left column red, right column blue. Every vertex has
// oow = 1 and tmuvtx[0].oow = 0.5, with sow = 96 = 192 * 0.5: divided by
// the TMU's W, s = 192 (texel column 1); divided by oow, s = 96 (column 0).
TEST_F(Conformance, StwHintMakesTheTextureUnitDivideByItsOwnW) {
  const uint16_t texels[4] = {0xF800, 0x001F, 0xF800, 0x001F};
  Texture(GR_LOD_2, GR_TEXFMT_RGB_565, texels);
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  auto draw = [] {
    GrVertex v[4] = {Vertex(0, 0), Vertex(8, 0), Vertex(8, 8), Vertex(0, 8)};
    for (GrVertex& p : v) {
      p.oow = 1.0f;
      p.tmuvtx[0].oow = 0.5f;
      p.tmuvtx[0].sow = 96.0f;
      p.tmuvtx[0].tow = 32.0f;
    }
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawTriangle(&v[0], &v[2], &v[3]);
    return Pixel(3, 3);
  };
  EXPECT_EQ(draw(), 0xF800);
  grHints(GR_HINT_STWHINT, GR_STWHINT_W_DIFF_TMU0);
  EXPECT_EQ(draw(), 0x001F);
  grHints(GR_HINT_STWHINT, 0);
  EXPECT_EQ(draw(), 0xF800);
}

// ---- depth compared against the bias -----------------------------------------

struct BiasCase {
  const char* name;
  GrDepthBufferMode_t mode;
  GrCmpFnc_t function;
  uint16_t stored;
  bool drawn;
};

void PrintTo(const BiasCase& c, std::ostream* os) {
  *os << c.name;
}

class CompareToBias : public Conformance, public ::testing::WithParamInterface<BiasCase> {};

// Bias 0x4000; the pixel's own depth is z 100 (ooz) or w 2 (floating 0x1000).
// The test is "bias OP stored", and a pixel drawn writes its own depth.
TEST_P(CompareToBias, TheBiasTakesThePixelsPlace) {
  const BiasCase& c = GetParam();
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  grConstantColorValue(0xFFFFFFFF);
  grDepthBufferMode(c.mode);
  grDepthBufferFunction(c.function);
  grDepthMask(FXTRUE);
  grDepthBiasLevel(0x4000);
  grBufferClear(0, 0, c.stored);
  GrVertex v[4] = {Vertex(0, 0, 0.5f), Vertex(8, 0, 0.5f), Vertex(8, 8, 0.5f), Vertex(0, 8, 0.5f)};
  for (GrVertex& p : v) p.ooz = 100.0f;
  grDrawTriangle(&v[0], &v[1], &v[2]);
  grDrawTriangle(&v[0], &v[2], &v[3]);
  const uint16_t own = c.mode == GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS ? 100 : 0x1000;
  EXPECT_EQ(Pixel(3, 3), c.drawn ? 0xFFFF : 0x0000);
  EXPECT_EQ(Depth(3, 3), c.drawn ? own : c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    BothBuffers, CompareToBias,
    ::testing::Values(
        BiasCase{"ZLessPasses", GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS, GR_CMP_LESS, 0x5000, true},
        BiasCase{"ZLessFails", GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS, GR_CMP_LESS, 0x3000, false},
        BiasCase{"ZGreaterPasses", GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS, GR_CMP_GREATER, 0x3000, true},
        BiasCase{"ZGreaterFails", GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS, GR_CMP_GREATER, 0x5000, false},
        BiasCase{"WLessPasses", GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS, GR_CMP_LESS, 0x5000, true},
        BiasCase{"WLessFails", GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS, GR_CMP_LESS, 0x3000, false},
        BiasCase{"WGreaterPasses", GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS, GR_CMP_GREATER, 0x3000, true},
        BiasCase{"WGreaterFails", GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS, GR_CMP_GREATER, 0x5000, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- destination alpha -----------------------------------------------------------

// Black over white with (ONE, DST_ALPHA): out = 255 * (Ad + 1) >> 8. The aux
// buffer holds alpha 0x40; it is the destination alpha only while alpha
// writes are on, else the board reads 255.
TEST_F(Conformance, DestinationAlphaNeedsTheAlphaPlanes) {
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  grConstantColorValue(0xFF000000);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_DST_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
  for (FxBool alphaPlanes : {FXTRUE, FXFALSE}) {
    grColorMask(FXTRUE, FXTRUE);
    grBufferClear(0xFFFFFFFF, 0x40, 0);
    grColorMask(FXTRUE, alphaPlanes);
    Rect(0, 0, 4, 4);
    EXPECT_EQ(Pixel(1, 1), alphaPlanes ? 0x4208 : 0xFFFF) << "alpha planes " << alphaPlanes;
    EXPECT_EQ(Depth(1, 1), alphaPlanes ? 0xFF : 0x40) << "alpha planes " << alphaPlanes;
  }
}

// ---- 12.4 truncation -------------------------------------------------------------

class Truncation : public Conformance {
 protected:
  void SetUp() override {
    Conformance::SetUp();
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grConstantColorValue(0xFFFFFFFF);
  }
  static std::vector<uint16_t> Area() {
    std::vector<uint16_t> pixels(40 * 40);
    EXPECT_TRUE(grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 40, 40, 80, pixels.data()));
    return pixels;
  }
  // A triangle with the three corners given, on a cleared screen.
  static std::vector<uint16_t> Triangle(const float (&xy)[6]) {
    grBufferClear(0, 0, 0);
    GrVertex a = Vertex(xy[0], xy[1]), b = Vertex(xy[2], xy[3]), c = Vertex(xy[4], xy[5]);
    grDrawTriangle(&a, &b, &c);
    return Area();
  }
  static float Truncated(float v) { return static_cast<float>(static_cast<int>(v * 16.0f)) / 16.0f; }
  static float Rounded(float v) { return std::nearbyint(v * 16.0f) / 16.0f; }
};

// 10.55 -> 168/16 = 10.5 and 20.55 -> 328/16 = 20.5: the pixel centres 10.5
// to 19.5 are inside, so columns 10..19 (rounding would give 11..20).
TEST_F(Truncation, ARectangleFrom10_55To20_55CoversColumns10To19) {
  Rect(10.55f, 2.0f, 20.55f, 4.0f);
  const std::vector<uint16_t> area = Area();
  for (int x = 0; x < 40; ++x) EXPECT_EQ(area[3 * 40 + x], x >= 10 && x <= 19 ? 0xFFFF : 0) << "column " << x;
}

// Corners off the 1/16 grid, some negative: the picture is that of the
// corners truncated toward zero, which differs from that of the corners
// rounded. Corners on the grid (and biased ones, rounded by their float
// addition) are taken as they are.
TEST_F(Truncation, PositiveAndNegativeCornersTruncateTowardZero) {
  const float corners[][6] = {{-0.55f, -3.03f, 30.97f, 5.53f, 4.47f, 33.3f},
                              {0.55f, 0.55f, 20.51f, -7.71f, 36.53f, 38.98f},
                              {-5.47f, 10.53f, 38.78f, 12.03f, 15.97f, -0.97f}};
  for (const auto& c : corners) {
    float truncated[6], rounded[6];
    for (int i = 0; i < 6; ++i) truncated[i] = Truncated(c[i]), rounded[i] = Rounded(c[i]);
    const std::vector<uint16_t> drawn = Triangle(c);
    EXPECT_EQ(drawn, Triangle(truncated));
    EXPECT_NE(drawn, Triangle(rounded)) << "the case cannot tell the two apart";
  }
  const float onGrid[6] = {2.0625f, 1.5f, 30.25f, 8.0f, 6.9375f, 35.0f};
  const float biased[6] = {786432.0f + 2.0625f, 786432.0f + 1.5f,    786432.0f + 30.25f,
                           786432.0f + 8.0f,    786432.0f + 6.9375f, 786432.0f + 35.0f};
  EXPECT_EQ(Triangle(onGrid), Triangle(biased));
}

// ---- frame-buffer locks ------------------------------------------------------------

class Locks : public Conformance {
 protected:
  static GrLfbInfo_t Lock(GrLfbWriteMode_t mode, GrOriginLocation_t origin = GR_ORIGIN_UPPER_LEFT,
                          FxBool pipeline = FXFALSE, GrBuffer_t buffer = GR_BUFFER_BACKBUFFER) {
    GrLfbInfo_t info{};
    info.size = sizeof info;
    EXPECT_TRUE(grLfbLock(GR_LFB_WRITE_ONLY, buffer, mode, origin, pipeline, &info));
    return info;
  }
  template <class T>
  static void Put(const GrLfbInfo_t& info, int x, int y, T value) {
    std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + size_t(y) * info.strideInBytes + size_t(x) * sizeof(T),
                &value, sizeof(T));
  }
};

TEST_F(Locks, RowsAre2048BytesApartAndWritesLandAtOnce) {
  const GrLfbInfo_t info = Lock(GR_LFBWRITEMODE_565);
  EXPECT_EQ(info.strideInBytes, 2048u);
  // A program that steps rows by a fixed 2048 bytes.
  uint8_t* base = static_cast<uint8_t*>(info.lfbPtr);
  const uint16_t value = 0x1234;
  std::memcpy(base + 7 * 2048 + 5 * 2, &value, 2);
  EXPECT_EQ(Pixel(5, 7), 0x1234);  // read back before the unlock
  EXPECT_TRUE(grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
  EXPECT_EQ(Pixel(5, 7), 0x1234);
  const GrLfbInfo_t wide = Lock(GR_LFBWRITEMODE_8888);
  EXPECT_EQ(wide.strideInBytes, 4096u);
  grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Locks, ATriangleDrawnDuringALockSurvivesTheUnlock) {
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  grConstantColorValue(0xFFFFFFFF);
  for (GrLfbWriteMode_t mode : {GR_LFBWRITEMODE_565, GR_LFBWRITEMODE_888}) {
    grBufferClear(0, 0, 0);
    const GrLfbInfo_t info = Lock(mode);
    if (mode == GR_LFBWRITEMODE_565)
      Put<uint16_t>(info, 2, 2, 0x07E0);
    else
      Put<uint32_t>(info, 2, 2, 0xFF00FF00u);
    Rect(10, 0, 20, 10);  // drawn after the write, during the lock
    // Black again, what the pointer showed before the rectangle: over its
    // first triangle (13, 2) and over the last one drawn (12, 8).
    if (mode == GR_LFBWRITEMODE_565) {
      Put<uint16_t>(info, 12, 2, 0x001F);
      Put<uint16_t>(info, 13, 2, 0x0000);
      Put<uint16_t>(info, 12, 8, 0x0000);
    } else {
      Put<uint32_t>(info, 12, 2, 0xFF0000FFu);
      Put<uint32_t>(info, 13, 2, 0xFF000000u);
      Put<uint32_t>(info, 12, 8, 0xFF000000u);
    }
    grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
    EXPECT_EQ(Pixel(2, 2), 0x07E0) << "mode " << mode;
    EXPECT_EQ(Pixel(15, 5), 0xFFFF) << "mode " << mode;  // the rectangle
    EXPECT_EQ(Pixel(12, 2), 0x001F) << "mode " << mode;  // written over it
    EXPECT_EQ(Pixel(13, 2), 0x0000) << "mode " << mode;
    EXPECT_EQ(Pixel(12, 8), 0x0000) << "mode " << mode;
  }
}

struct FormatCase {
  const char* name;
  GrLfbWriteMode_t mode;
  uint32_t written;
  uint16_t stored;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << c.name;
}

class WriteFormats : public Locks, public ::testing::WithParamInterface<FormatCase> {};

// The buffer starts as 0x0821 everywhere (green's low bit set, which the
// 555 formats cannot carry): the written pixel converts, its neighbours
// keep every bit. Rows count from the bottom with the lower-left origin.
TEST_P(WriteFormats, WrittenPixelsConvertAndTheOthersStay) {
  const FormatCase& c = GetParam();
  for (GrOriginLocation_t origin : {GR_ORIGIN_UPPER_LEFT, GR_ORIGIN_LOWER_LEFT}) {
    const std::vector<uint16_t> start(640, 0x0821);
    for (FxU32 y = 0; y < 480; ++y)
      grLfbWriteRegion(GR_BUFFER_BACKBUFFER, 0, y, GR_LFB_SRC_FMT_565, 640, 1, 1280,
                       const_cast<uint16_t*>(start.data()));
    const GrLfbInfo_t info = Lock(c.mode, origin);
    if (c.mode == GR_LFBWRITEMODE_888 || c.mode == GR_LFBWRITEMODE_8888)
      Put<uint32_t>(info, 4, 1, c.written);
    else
      Put<uint16_t>(info, 4, 1, static_cast<uint16_t>(c.written));
    grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
    const int row = origin == GR_ORIGIN_LOWER_LEFT ? 478 : 1;
    EXPECT_EQ(Pixel(4, row), c.stored) << "origin " << origin;
    EXPECT_EQ(Pixel(5, row), 0x0821) << "origin " << origin;
    EXPECT_EQ(Pixel(4, 479 - row), 0x0821) << "origin " << origin;
  }
  EXPECT_TRUE(Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryMode, WriteFormats,
                         ::testing::Values(FormatCase{"Rgb565", GR_LFBWRITEMODE_565, 0xF81F, 0xF81F},
                                           FormatCase{"Rgb555", GR_LFBWRITEMODE_555, 0x7C1F, 0xF81F},
                                           FormatCase{"Argb1555", GR_LFBWRITEMODE_1555, 0x83E0, 0x07E0},
                                           FormatCase{"Rgb888", GR_LFBWRITEMODE_888, 0x00FF8000u, 0xFC00},
                                           FormatCase{"Argb8888", GR_LFBWRITEMODE_8888, 0x80104080u, 0x1210}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Locks, DepthWritesLandInTheAuxBuffer) {
  const GrLfbInfo_t info = Lock(GR_LFBWRITEMODE_ZA16, GR_ORIGIN_UPPER_LEFT, FXFALSE, GR_BUFFER_AUXBUFFER);
  EXPECT_EQ(info.strideInBytes, 2048u);
  Put<uint16_t>(info, 3, 3, 0xBEEF);
  EXPECT_EQ(Depth(3, 3), 0xBEEF);
  grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER);
  EXPECT_EQ(Depth(3, 3), 0xBEEF);
}

// With the pixel pipeline the written colour is blended (ONE, ONE: 0x1082
// over the buffer's 0x0841 gives 24, 24, 24), depth tested against the LFB
// constant depth, keyed and clipped; without it the value is stored as it is.
TEST_F(Locks, ThePixelPipelineShadesWrittenPixels) {
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
  grBufferClear(0xFF080808, 0, 0);  // 0x0841
  ASSERT_EQ(Pixel(0, 0), 0x0841);
  for (FxBool pipeline : {FXFALSE, FXTRUE}) {
    const GrLfbInfo_t info = Lock(GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT, pipeline);
    Put<uint16_t>(info, 1 + pipeline, 0, 0x1082);
    grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
  }
  EXPECT_EQ(Pixel(1, 0), 0x1082);
  EXPECT_EQ(Pixel(2, 0), 0x18C3);

  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grLfbConstantDepth(0x3000);
  grBufferClear(0, 0, 0x2000);
  grClipWindow(0, 0, 320, 480);
  GrLfbInfo_t info = Lock(GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT, FXTRUE);
  Put<uint16_t>(info, 1, 0, 0xFFFF);  // behind: 0x3000 < 0x2000 fails
  grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
  EXPECT_EQ(Pixel(1, 0), 0x0000);
  EXPECT_EQ(Depth(1, 0), 0x2000);
  grBufferClear(0, 0, 0x4000);
  grChromakeyValue(0x00FF0000);
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  info = Lock(GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT, FXTRUE);
  Put<uint16_t>(info, 1, 0, 0xFFFF);    // in front: drawn, its depth written
  Put<uint16_t>(info, 2, 0, 0xF800);    // the key colour: dropped
  Put<uint16_t>(info, 400, 0, 0xFFFF);  // outside the clip window
  grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
  EXPECT_EQ(Pixel(1, 0), 0xFFFF);
  EXPECT_EQ(Depth(1, 0), 0x3000);
  EXPECT_EQ(Pixel(2, 0), 0x0000);
  EXPECT_EQ(Pixel(400, 0), 0x0000);
  EXPECT_TRUE(Errors().empty());
}

// Pixels written through the pipeline carry the LFB constant depth and alpha
// in force when they were written, as on the board, not those at unlock.
TEST_F(Locks, PipelineWritesKeepTheConstantDepthAndAlphaOfTheirTime) {
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
  grBufferClear(0, 0, 0x8000);
  grLfbConstantDepth(0x1000);
  grLfbConstantAlpha(0xFF);
  const GrLfbInfo_t info = Lock(GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT, FXTRUE);
  Put<uint16_t>(info, 1, 0, 0xFFFF);
  grLfbConstantDepth(0x2000);
  Put<uint16_t>(info, 2, 0, 0xFFFF);
  grLfbConstantAlpha(0x00);  // white at alpha 0 over black: 255 * (0 + 1) >> 8 = 0
  Put<uint16_t>(info, 3, 0, 0xFFFF);
  grLfbUnlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER);
  EXPECT_EQ(Depth(1, 0), 0x1000);
  EXPECT_EQ(Depth(2, 0), 0x2000);
  EXPECT_EQ(Depth(3, 0), 0x2000);
  EXPECT_EQ(Pixel(1, 0), 0xFFFF);
  EXPECT_EQ(Pixel(2, 0), 0xFFFF);
  EXPECT_EQ(Pixel(3, 0), 0x0000);
  EXPECT_TRUE(Errors().empty());
}

// ---- multibase addressing ------------------------------------------------------------

// Levels 256, 128 and 64 each start at their range's address, and 32 down
// to 1 lie after one another from the fourth as if 32 were the largest: an
// 8x8 level sits 2 * (32 * 32 + 16 * 16) bytes past it.
TEST_F(Conformance, MultibaseReadsEachRangeFromItsOwnAddress) {
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
  const FxU32 range64 = 0x40000, range32 = 0x80000;
  std::vector<uint16_t> red(64 * 64, 0xF800), blue(8 * 8, 0x001F), black(64 * 64, 0);
  // Black at 0 whatever a test before this one in the process left there.
  grTexDownloadMipMapLevel(GR_TMU0, 0, GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1, GR_TEXFMT_RGB_565,
                           GR_MIPMAPLEVELMASK_BOTH, black.data());
  grTexDownloadMipMapLevel(GR_TMU0, range64, GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1, GR_TEXFMT_RGB_565,
                           GR_MIPMAPLEVELMASK_BOTH, red.data());
  grTexDownloadMipMapLevel(GR_TMU0, range32, GR_LOD_8, GR_LOD_32, GR_ASPECT_1x1, GR_TEXFMT_RGB_565,
                           GR_MIPMAPLEVELMASK_BOTH, blue.data());
  auto draw = [](GrLOD_t lod) {
    GrTexInfo info{lod, lod, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, nullptr};
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);  // nothing at 0: black
    grTexMultibaseAddress(GR_TMU0, GR_TEXBASE_64, range64, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexMultibaseAddress(GR_TMU0, GR_TEXBASE_32_TO_1, range32, GR_MIPMAPLEVELMASK_BOTH, &info);
    Rect(0, 0, 8, 8, 1.0f, 100.0f, 100.0f);
    return Pixel(3, 3);
  };
  EXPECT_EQ(draw(GR_LOD_64), 0x0000);
  grTexMultibase(GR_TMU0, FXTRUE);
  EXPECT_EQ(draw(GR_LOD_64), 0xF800);
  EXPECT_EQ(draw(GR_LOD_8), 0x001F);
  grTexMultibase(GR_TMU0, FXFALSE);
  EXPECT_EQ(draw(GR_LOD_8), 0x0000);
  grTexMultibaseAddress(GR_TMU0, 4, 0, GR_MIPMAPLEVELMASK_BOTH, nullptr);
  EXPECT_EQ(Errors().size(), 1u);
}

// ---- detail factor, LOD fraction and trilinear blending -------------------------

// An intensity texture of solid levels, 16x16 (level 4) down to 1x1 (level 8),
// point sampled, mipmapped. The 8x8 square drawn spans the texture's 256
// units, 32 per pixel, at W = 1: its level of detail is exactly 5.0, and the
// LOD bias adds the fraction.
// Level 5's 208 puts 0.75 * 208 = 156 on a multiple of four, so a factor one
// off shows in the RGB565 result.
constexpr uint8_t kLevelValue[9] = {0, 0, 0, 0, 40, 208, 100, 60, 20};

uint16_t Grey(int v) {
  return To565(static_cast<uint32_t>(v) * 0x010101u);
}

class TextureBlend : public Conformance {
 protected:
  void SetUp() override {
    Conformance::SetUp();
    std::vector<uint8_t> texels;
    for (int lod = GR_LOD_16; lod <= GR_LOD_1; ++lod)
      texels.insert(texels.end(), (256 >> lod) * (256 >> lod), kLevelValue[lod]);
    GrTexInfo info{GR_LOD_1, GR_LOD_16, GR_ASPECT_1x1, GR_TEXFMT_INTENSITY_8, texels.data()};
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    info_ = info;
    Source();
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
    guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  }
  void Source() { grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info_); }
  // The combine with this factor that scales the texel by 1 - factor.
  static void ScaleByOneMinus(GrCombineFactor_t factor) {
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_BLEND_LOCAL, factor, GR_COMBINE_FUNCTION_BLEND_LOCAL, factor,
                 FXFALSE, FXFALSE);
  }
  static uint16_t Square() {
    GrVertex v[4] = {Vertex(0, 0, 1, 0, 0), Vertex(8, 0, 1, 256, 0), Vertex(8, 8, 1, 256, 256),
                     Vertex(0, 8, 1, 0, 256)};
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawTriangle(&v[0], &v[2], &v[3]);
    return Pixel(3, 3);
  }
  GrTexInfo info_{};
};

// BLEND_LOCAL: texel + ((0 - texel) * f >> 8), f the factor as the TMU forms it.
constexpr int Scaled(int texel, int f) {
  return texel + ((-texel * f) >> 8);
}

struct DetailCase {
  const char* name;
  GrTextureCombineFnc_t function;  // DETAIL: f = 256 - d; DETAIL_OTHER: f = d + 1
  int bias, scale;
  float max;
  float lodBias;
  int expected;
};

void PrintTo(const DetailCase& c, std::ostream* os) {
  *os << c.name;
}

class DetailFactor : public TextureBlend, public ::testing::WithParamInterface<DetailCase> {};

// One level (8x8, level 5, value 208), so only the factor changes. The
// level of detail before bias is 5.0 = 0x500; d = min(max, ((bias << 8) +
// ~0x500) << scale >> 8), zero when that is negative.
TEST_P(DetailFactor, GrowsAsTheLevelOfDetailFallsBelowTheBias) {
  const DetailCase& c = GetParam();
  grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
  GrTexInfo level8{GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXFMT_INTENSITY_8, nullptr};
  grTexSource(GR_TMU0, 256, GR_MIPMAPLEVELMASK_BOTH, &level8);  // the 8x8 level of the chain
  grTexCombineFunction(GR_TMU0, c.function);
  grTexDetailControl(GR_TMU0, c.bias, static_cast<FxU8>(c.scale), c.max);
  grTexLodBiasValue(GR_TMU0, c.lodBias);
  EXPECT_EQ(Square(), Grey(c.expected));
  EXPECT_TRUE(Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Control, DetailFactor,
    ::testing::Values(
        // 0x600 - 0x501 = 0xFF: 0xFF >> 8 = 0, f = 256.
        DetailCase{"OneLevelBelowUnscaledIsZero", GR_TEXTURECOMBINE_DETAIL, 6, 0, 1.0f, 0, Scaled(208, 256)},
        // 0xFF << 7 >> 8 = 127, f = 129.
        DetailCase{"ScaleShiftsTheDistance", GR_TEXTURECOMBINE_DETAIL, 6, 7, 1.0f, 0, Scaled(208, 129)},
        // 0x2FF << 2 >> 8 = 11, f = 245.
        DetailCase{"ThreeLevelsBelow", GR_TEXTURECOMBINE_DETAIL, 8, 2, 1.0f, 0, Scaled(208, 245)},
        // 0x2FF << 7 >> 8 = 383, clamped to max 0.5 * 255 = 127 (truncated).
        DetailCase{"ClampedToMax", GR_TEXTURECOMBINE_DETAIL, 8, 7, 0.5f, 0, Scaled(208, 129)},
        // 0x500 - 0x501 < 0: zero, f = 256.
        DetailCase{"AtTheBiasIsZero", GR_TEXTURECOMBINE_DETAIL, 5, 7, 1.0f, 0, Scaled(208, 256)},
        // The LOD bias does not move the detail factor.
        DetailCase{"LodBiasLeavesItAlone", GR_TEXTURECOMBINE_DETAIL, 6, 7, 1.0f, 2.0f, Scaled(208, 129)},
        // DETAIL_OTHER: the factor itself, f = 127 + 1.
        DetailCase{"DetailOtherUsesTheFactor", GR_TEXTURECOMBINE_DETAIL_OTHER, 6, 7, 1.0f, 0,
                   Scaled(208, 128)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextureBlend, DetailControlRefusesValuesOutOfRange) {
  grTexDetailControl(GR_TMU0, 32, 0, 1.0f);
  grTexDetailControl(GR_TMU0, 0, 8, 1.0f);
  grTexDetailControl(GR_TMU0, 0, 0, 1.5f);
  grTexDetailControl(GR_TMU0, 0, 0, std::nanf(""));
  EXPECT_EQ(Errors().size(), 4u);
}

struct PassCase {
  const char* name;
  bool lodBlend;
  GrCombineFactor_t factor;
  float lodBias;
  bool sourceAfterCombine;  // grTexSource again after the combine
  int expected;
};

void PrintTo(const PassCase& c, std::ostream* os) {
  *os << c.name;
}

class LodBlendPass : public TextureBlend, public ::testing::WithParamInterface<PassCase> {};

// One pass of a one-TMU trilinear blend. With lodBlend, a TMU of even levels
// reads the next level when the level is odd, and the odd pass (other zeroed,
// factor ONE_MINUS_LOD_FRACTION) the next when it is even; on odd levels the
// factors are reversed. An unreversed LOD fraction is taken as it is.
TEST_P(LodBlendPass, PicksTheLevelAndWeighsIt) {
  const PassCase& c = GetParam();
  ScaleByOneMinus(c.factor);
  grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, c.lodBlend ? FXTRUE : FXFALSE);
  if (c.sourceAfterCombine) Source();
  grTexLodBiasValue(GR_TMU0, c.lodBias);
  EXPECT_EQ(Square(), Grey(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Passes, LodBlendPass,
    ::testing::Values(
        // No blend: level 5 (208) at LOD 5.25; fraction 64 and 256 - 64 add up to 256.
        PassCase{"FractionAsItIs", false, GR_COMBINE_FACTOR_LOD_FRACTION, 0.25f, false, Scaled(208, 64)},
        PassCase{"OneMinusFraction", false, GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION, 0.25f, false,
                 Scaled(208, 192)},
        // LOD 5.5, odd: the even pass reads level 6 (100) by the reversed fraction 256 - 128.
        PassCase{"EvenPassOnAnOddLevel", true, GR_COMBINE_FACTOR_LOD_FRACTION, 0.5f, false, Scaled(100, 128)},
        // The odd pass reads level 5 (208) by the fraction 128 as it is.
        PassCase{"OddPassOnAnOddLevel", true, GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION, 0.5f, false,
                 Scaled(208, 128)},
        // LOD 6.25, even: the even pass reads level 6 by 64, the odd pass level 7 (60) by 256 - 64.
        PassCase{"EvenPassOnAnEvenLevel", true, GR_COMBINE_FACTOR_LOD_FRACTION, 1.25f, false,
                 Scaled(100, 64)},
        PassCase{"OddPassOnAnEvenLevel", true, GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION, 1.25f, false,
                 Scaled(60, 192)},
        // grTexSource sets the odd bit from its levels alone (both: even), as the library does.
        PassCase{"SourceAfterTheOddCombine", true, GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION, 0.5f, true,
                 Scaled(100, 128)}),
    [](const auto& info) { return std::string(info.param.name); });

// The two passes a one-TMU program draws, the second added with ONE, ONE:
// (1 - f) of level L plus f of level L + 1, in RGB565 after each pass.
TEST_F(TextureBlend, TwoPassTrilinearBlendsNeighbouringLevels) {
  struct Case {
    float lodBias;
    int even, odd;  // each pass's grey
  };
  // LOD 5.5: 0.5 * 208 + 0.5 * 100; LOD 6.25: 0.75 * 100 + 0.25 * 60.
  for (const Case& c :
       {Case{0.5f, Scaled(100, 128), Scaled(208, 128)}, Case{1.25f, Scaled(100, 64), Scaled(60, 192)}}) {
    SCOPED_TRACE(c.lodBias);
    grBufferClear(0, 0, 0);
    grTexLodBiasValue(GR_TMU0, c.lodBias);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXTRUE);
    ScaleByOneMinus(GR_COMBINE_FACTOR_LOD_FRACTION);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    EXPECT_EQ(Square(), Grey(c.even));
    ScaleByOneMinus(GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    // The first pass as stored, expanded back (bit replication), plus the second.
    const uint16_t first = Grey(c.even);
    const int r = ((first >> 11) << 3 | (first >> 13)) + c.odd,
              g = (((first >> 5) & 63) << 2 | ((first >> 9) & 3)) + c.odd;
    const uint16_t expected = static_cast<uint16_t>((std::min(r, 255) >> 3) << 11 |
                                                    (std::min(g, 255) >> 2) << 5 | std::min(r, 255) >> 3);
    EXPECT_EQ(Square(), expected);
  }
}

// ---- antialiased primitives --------------------------------------------------------

// White, alpha from the vertices (255), blended SRC_ALPHA / ONE_MINUS_SRC_ALPHA
// over black. A fringe pixel whose centre lies half a pixel out has alpha
// 127.5 -> 127: 255 * 128 >> 8 = 127.
constexpr uint16_t kWhite = 0xFFFF;
const uint16_t kHalf = To565(0x7F7F7F);

class Antialiased : public Conformance {
 protected:
  void SetUp() override {
    Conformance::SetUp();
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
  }
  static GrVertex White(float x, float y) {
    GrVertex v = Vertex(x, y);
    v.r = v.g = v.b = v.a = 255.0f;
    v.ooz = 1000.0f;
    return v;
  }
};

struct EdgeCase {
  const char* name;
  bool ab, bc, ca;
};

void PrintTo(const EdgeCase& c, std::ostream* os) {
  *os << c.name;
}

class AaTriangleEdges : public Antialiased, public ::testing::WithParamInterface<EdgeCase> {};

// Triangle a (4,4), b (12.5,4), c (4,12.5). ab is horizontal with c below: its
// fringe is the row above (row 3). ca is vertical with b right: the column to
// the left (column 3). bc (x + y = 16.5) leans more horizontal than not... it
// is at 45 degrees, so x-major: the fringe lies below it, and pixel (8,8),
// centre 0.5 below the edge, is half covered.
TEST_P(AaTriangleEdges, EachFlaggedEdgeGetsItsFringe) {
  const EdgeCase& c = GetParam();
  GrVertex a = White(4, 4), b = White(12.5f, 4), cc = White(4, 12.5f);
  grAADrawTriangle(&a, &b, &cc, c.ab, c.bc, c.ca);
  EXPECT_EQ(Pixel(6, 5), kWhite);  // inside
  EXPECT_EQ(Pixel(7, 8), kWhite);  // inside, next to bc
  EXPECT_EQ(Pixel(6, 3), c.ab ? kHalf : 0);
  EXPECT_EQ(Pixel(3, 6), c.ca ? kHalf : 0);
  EXPECT_EQ(Pixel(8, 8), c.bc ? kHalf : 0);
  EXPECT_EQ(Pixel(6, 2), 0);  // a fringe is one pixel wide
  EXPECT_EQ(Pixel(2, 6), 0);
  EXPECT_EQ(Pixel(9, 8), 0);
}

INSTANTIATE_TEST_SUITE_P(Flags, AaTriangleEdges,
                         ::testing::Values(EdgeCase{"None", false, false, false},
                                           EdgeCase{"AbOnly", true, false, false},
                                           EdgeCase{"BcOnly", false, true, false},
                                           EdgeCase{"CaOnly", false, false, true},
                                           EdgeCase{"All", true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Depth is tested for the fringes but not written; a culled triangle draws
// neither itself nor its fringes.
TEST_F(Antialiased, TriangleFringesWriteNoDepthAndCullingDropsThem) {
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_ALWAYS);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 7);
  GrVertex a = White(4, 4), b = White(12.5f, 4), c = White(4, 12.5f);
  grAADrawTriangle(&a, &b, &c, FXTRUE, FXTRUE, FXTRUE);
  EXPECT_EQ(Depth(6, 5), 1000);
  EXPECT_EQ(Pixel(6, 3), kHalf);
  EXPECT_EQ(Depth(6, 3), 7);
  GrVertex d = White(34, 4), e = White(42.5f, 4), f = White(34, 12.5f);  // clockwise: area > 0
  grCullMode(GR_CULL_POSITIVE);
  grAADrawTriangle(&d, &e, &f, FXTRUE, FXTRUE, FXTRUE);
  EXPECT_EQ(Pixel(36, 5), 0);
  EXPECT_EQ(Pixel(36, 3), 0);
  grCullMode(GR_CULL_NEGATIVE);
  grAADrawTriangle(&d, &e, &f, FXTRUE, FXTRUE, FXTRUE);
  EXPECT_EQ(Pixel(36, 5), kWhite);
  EXPECT_EQ(Pixel(36, 3), kHalf);
  EXPECT_EQ(Depth(36, 3), 7);
}

// The square (4,4)-(12,12) as a fan of two: its four outer edges get
// fringes, the shared diagonal none; depth writes stay on.
TEST_F(Antialiased, PolygonFringesItsOuterEdges) {
  grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
  grDepthBufferFunction(GR_CMP_ALWAYS);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 7);
  GrVertex v[4] = {White(4, 4), White(12, 4), White(12, 12), White(4, 12)};
  grAADrawPolygonVertexList(4, v);
  EXPECT_EQ(Pixel(6, 3), kHalf);
  EXPECT_EQ(Pixel(3, 6), kHalf);
  EXPECT_EQ(Pixel(12, 6), kHalf);
  EXPECT_EQ(Pixel(6, 12), kHalf);
  EXPECT_EQ(Pixel(8, 8), kWhite);
  EXPECT_EQ(Pixel(7, 8), kWhite);
  EXPECT_EQ(Pixel(6, 2), 0);
  EXPECT_EQ(Depth(6, 3), 1000);
  // A three-vertex polygon: its one triangle is the first and the last, and
  // all three edges are outer (the triangle of AaTriangleEdges, 40 right).
  GrVertex t[3] = {White(44, 4), White(52.5f, 4), White(44, 12.5f)};
  const int indices[3] = {0, 1, 2};
  grAADrawPolygon(3, indices, t);
  EXPECT_EQ(Pixel(46, 3), kHalf);
  EXPECT_EQ(Pixel(43, 6), kHalf);
  EXPECT_EQ(Pixel(48, 8), kHalf);
  EXPECT_EQ(Pixel(47, 8), kWhite);
  EXPECT_TRUE(Errors().empty());
}

// A point is a 2x2 square around it; a line a band one pixel either side,
// along the minor axis; alpha peaks on the point or line.
TEST_F(Antialiased, PointsAndLinesFadeOverTwoPixels) {
  GrVertex p = White(10, 10);
  grAADrawPoint(&p);
  for (int y = 8; y <= 11; ++y)
    for (int x = 8; x <= 11; ++x) {
      const bool inside = x >= 9 && x <= 10 && y >= 9 && y <= 10;
      EXPECT_EQ(Pixel(x, y), inside ? kHalf : 0) << x << "," << y;
    }
  GrVertex h0 = White(20, 10), h1 = White(30, 10);
  grAADrawLine(&h0, &h1);
  EXPECT_EQ(Pixel(25, 9), kHalf);
  EXPECT_EQ(Pixel(25, 10), kHalf);
  EXPECT_EQ(Pixel(25, 8), 0);
  EXPECT_EQ(Pixel(25, 11), 0);
  EXPECT_EQ(Pixel(30, 10), 0);
  GrVertex v0 = White(40, 30), v1 = White(40, 20);  // drawn from the lower y up
  grAADrawLine(&v0, &v1);
  EXPECT_EQ(Pixel(39, 25), kHalf);
  EXPECT_EQ(Pixel(40, 25), kHalf);
  EXPECT_EQ(Pixel(38, 25), 0);
  EXPECT_EQ(Pixel(41, 25), 0);
  grCullMode(GR_CULL_NEGATIVE);  // the square's triangles wind both ways: none is culled
  GrVertex q = White(50, 10);
  grAADrawPoint(&q);
  for (int y = 9; y <= 10; ++y)
    for (int x = 49; x <= 50; ++x) EXPECT_EQ(Pixel(x, y), kHalf) << x << "," << y;
  grAADrawLine(&h0, &h0);  // one place: nothing
  grAADrawPoint(nullptr);
  EXPECT_EQ(Errors().size(), 1u);
}

}  // namespace
}  // namespace gfxtest
