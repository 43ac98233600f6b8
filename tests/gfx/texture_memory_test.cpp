// texture_memory_test.cpp — sizes of textures in texture memory, allocation
// until the 2 MiB run out, refused allocations, and texels landing where the
// texture source reads them.
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

constexpr FxU32 kTextureMemory = 2u << 20;

struct SizeCase {
  GrLOD_t smallLod, largeLod;
  GrAspectRatio_t aspect;
  GrTextureFormat_t format;
  FxU32 bytes;
};

class TextureSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TextureSizeTest, MatchesTheBoardsLayout) {
  const SizeCase& c = GetParam();
  EXPECT_EQ(grTexCalcMemRequired(c.smallLod, c.largeLod, c.aspect, c.format), c.bytes);
  GrTexInfo info{c.smallLod, c.largeLod, c.aspect, c.format, nullptr};
  EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info), c.bytes);
}

std::string SizeName(const SizeCase& c) {
  const char* aspects[] = {"8x1", "4x1", "2x1", "1x1", "1x2", "1x4", "1x8"};
  return "Lod" + std::to_string(c.largeLod) + "To" + std::to_string(c.smallLod) + "_Aspect" +
         aspects[c.aspect] + "_Format" + std::to_string(c.format);
}

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << SizeName(c) << ", " << c.bytes << " bytes";
}

INSTANTIATE_TEST_SUITE_P(
    Chains, TextureSizeTest,
    ::testing::Values(SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_P_8, 87384},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, 174768},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_2x1, GR_TEXFMT_P_8, 43696},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x2, GR_TEXFMT_ARGB_1555, 87392},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_4x1, GR_TEXFMT_INTENSITY_8, 21856},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x4, GR_TEXFMT_AP_88, 43712},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_8x1, GR_TEXFMT_YIQ_422, 10944},
                      SizeCase{GR_LOD_1, GR_LOD_256, GR_ASPECT_1x8, GR_TEXFMT_ARGB_4444, 21888},
                      SizeCase{GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_P_8, 65536},
                      SizeCase{GR_LOD_128, GR_LOD_128, GR_ASPECT_1x1, GR_TEXFMT_P_8, 16384},
                      // Tiny levels take more room than their texels and round up to 8 bytes.
                      SizeCase{GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RGB_332, 8},
                      SizeCase{GR_LOD_8, GR_LOD_8, GR_ASPECT_8x1, GR_TEXFMT_RGB_332, 16}),
    [](const auto& info) { return SizeName(info.param); });

TEST(TextureSizeTest, RefusesImpossibleTextures) {
  grErrorSetCallback(CollectError);
  EXPECT_EQ(grTexCalcMemRequired(GR_LOD_256, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_P_8), 0u);  // levels swapped
  EXPECT_EQ(grTexCalcMemRequired(GR_LOD_1, -1, GR_ASPECT_1x1, GR_TEXFMT_P_8), 0u);
  EXPECT_EQ(grTexCalcMemRequired(GR_LOD_1, GR_LOD_256, 7, GR_TEXFMT_P_8), 0u);
  EXPECT_EQ(grTexCalcMemRequired(GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RSVD1), 0u);
  EXPECT_EQ(grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, nullptr), 0u);
  grErrorSetCallback(nullptr);
}

class TextureMemoryTest : public GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open());
  }
  static GrMipMapId_t Allocate(GrTextureFormat_t format, GrLOD_t smallLod, GrLOD_t largeLod,
                               GrAspectRatio_t aspect = GR_ASPECT_1x1) {
    return guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 256 >> largeLod, 256 >> largeLod, format,
                               GR_MIPMAP_NEAREST, smallLod, largeLod, aspect, GR_TEXTURECLAMP_WRAP,
                               GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR,
                               0.0f, FXFALSE);
  }
};

TEST_F(TextureMemoryTest, AllocatesUntilTheMemoryRunsOut) {
  EXPECT_EQ(guTexMemQueryAvail(GR_TMU0), kTextureMemory);
  EXPECT_EQ(grTexMaxAddress(GR_TMU0), kTextureMemory - 8);
  std::vector<GrMipMapId_t> ids;
  for (;;) {
    const GrMipMapId_t id = Allocate(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256);
    if (id == GR_NULL_MIPMAP_HANDLE) break;
    ids.push_back(id);
    ASSERT_LT(ids.size(), 20u);
  }
  ASSERT_EQ(ids.size(), 11u);  // 11 x 174768 bytes fit in 2 MiB, 12 do not
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(ids[i], i);
    const GrMipMapInfo* info = guTexGetMipMapInfo(ids[i]);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->tmu_base_address, i * 174768u);
  }
  const FxU32 left = kTextureMemory - 11 * 174768u;
  EXPECT_EQ(guTexMemQueryAvail(GR_TMU0), left);
  // The refused request took nothing: a smaller texture still fits.
  EXPECT_NE(Allocate(GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_256), GR_NULL_MIPMAP_HANDLE);
  EXPECT_EQ(guTexMemQueryAvail(GR_TMU0), left - 87384u);

  guTexMemReset();
  EXPECT_EQ(guTexMemQueryAvail(GR_TMU0), kTextureMemory);
  EXPECT_EQ(guTexGetMipMapInfo(ids[3]), nullptr);
  EXPECT_EQ(Allocate(GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_256), 0u);
}

TEST_F(TextureMemoryTest, HandlesRunOutAfter1024) {
  for (int i = 0; i < MAX_MIPMAPS_PER_SST; ++i)
    ASSERT_NE(Allocate(GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_1), GR_NULL_MIPMAP_HANDLE);
  EXPECT_EQ(Allocate(GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_1), GR_NULL_MIPMAP_HANDLE);
}

TEST_F(TextureMemoryTest, RefusesInvalidAllocations) {
  struct Bad {
    GrChipID_t tmu;
    FxU8 evenOdd;
    int width;
    GrTextureFormat_t format;
    GrMipMapMode_t mipmap;
    GrLOD_t smallLod, largeLod;
    GrAspectRatio_t aspect;
    GrTextureClampMode_t clamp;
    GrTextureFilterMode_t filter;
    float bias;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Bad cases[] = {
      {GR_TMU1, 3, 256, GR_TEXFMT_P_8, 1, 8, 0, 3, 0, 1, 0.0f},  // a second unit
      {GR_TMU0, 0, 256, GR_TEXFMT_P_8, 1, 8, 0, 3, 0, 1, 0.0f},  // no levels
      {GR_TMU0, 3, 0, GR_TEXFMT_P_8, 1, 8, 0, 3, 0, 1, 0.0f},    // no width
      {GR_TMU0, 3, 256, GR_TEXFMT_RSVD0, 1, 8, 0, 3, 0, 1, 0.0f},
      {GR_TMU0, 3, 256, 0x10, 1, 8, 0, 3, 0, 1, 0.0f},
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 3, 8, 0, 3, 0, 1, 0.0f},
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 1, 0, 8, 3, 0, 1, 0.0f},  // levels swapped
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 1, 9, 0, 3, 0, 1, 0.0f},
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 1, 8, 0, -1, 0, 1, 0.0f},
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 1, 8, 0, 3, 2, 1, 0.0f},
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 1, 8, 0, 3, 0, 5, 0.0f},
      {GR_TMU0, 3, 256, GR_TEXFMT_P_8, 1, 8, 0, 3, 0, 1, nan},
  };
  for (const Bad& b : cases) {
    EXPECT_EQ(
        guTexAllocateMemory(b.tmu, b.evenOdd, b.width, b.width, b.format, b.mipmap, b.smallLod, b.largeLod,
                            b.aspect, b.clamp, b.clamp, b.filter, b.filter, b.bias, FXFALSE),
        GR_NULL_MIPMAP_HANDLE);
  }
  EXPECT_EQ(Errors().size(), std::size(cases));
  EXPECT_EQ(guTexMemQueryAvail(GR_TMU0), kTextureMemory);
  // Handles that were never issued are refused without harm.
  guTexSource(7);
  guTexDownloadMipMap(7, nullptr, nullptr);
  guTexSource(GR_NULL_MIPMAP_HANDLE);  // a no-op, not an error
  EXPECT_EQ(guTexGetMipMapInfo(7), nullptr);
  EXPECT_EQ(Errors().size(), std::size(cases) + 2);
}

TEST_F(TextureMemoryTest, TexelsLandWhereTheSourceReadsThem) {
  // A full 16-bit chain, each level one colour, then a one-texel texture after it.
  std::vector<uint16_t> chain;
  const uint16_t kLevelColour[9] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF, 0xF81F, 0x8410, 0x4208, 0x2104};
  for (int lod = 0; lod <= 8; ++lod)
    chain.insert(chain.end(), size_t(256 >> lod) * (256 >> lod), kLevelColour[lod]);
  const GrMipMapId_t big = Allocate(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256);
  const GrMipMapId_t small = Allocate(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_1);
  ASSERT_NE(small, GR_NULL_MIPMAP_HANDLE);
  guTexDownloadMipMap(big, chain.data(), nullptr);
  const uint16_t lone = 0xABCD;
  guTexDownloadMipMap(small, &lone, nullptr);

  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  grDitherMode(GR_DITHER_DISABLE);
  guTexSource(small);
  EXPECT_EQ(guTexGetCurrentMipMap(GR_TMU0), small);
  Rect(0, 0, 16, 16);
  EXPECT_EQ(Pixel(8, 8), lone);
  // One texel per pixel reads the largest level, placed before the small texture.
  guTexSource(big);
  GrVertex a = Vertex(100, 100, 1, 0, 0), b = Vertex(356, 100, 1, 256, 0), c = Vertex(356, 356, 1, 256, 256),
           d = Vertex(100, 356, 1, 0, 256);
  grDrawTriangle(&a, &b, &c);
  grDrawTriangle(&a, &c, &d);
  EXPECT_EQ(Pixel(200, 200), kLevelColour[0]);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(TextureMemoryTest, NewTexelsShowWithoutAnyStateChange) {
  const GrMipMapId_t id = Allocate(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_1);
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
  grDitherMode(GR_DITHER_DISABLE);
  guTexSource(id);
  for (const uint16_t texel : {0x1234, 0x4321, 0xFFFF}) {
    guTexDownloadMipMap(id, &texel, nullptr);
    // The same state again, as programs do for every object.
    guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
    guTexSource(id);
    Rect(0, 0, 4, 4);
    EXPECT_EQ(Pixel(1, 1), texel);
  }
}

}  // namespace
}  // namespace gfxtest
