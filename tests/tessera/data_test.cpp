// The generated data beside the program: models that load and have the sizes
// the scene is laid out for, textures Glide accepts that fit one texture
// unit together, and the dialogs' picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "glide_fixture.h"
#include "tessera/resources/bitmap.h"
#include "tessera/scene/model.h"
#include "test_files.h"

namespace tessera {
namespace {

using testing::DataFolder;

struct Extent {
  Vec3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
  float Across() const { return std::max({high.x - low.x, high.y - low.y, high.z - low.z}); }
};

Extent Measure(const Model& model) {
  Extent extent;
  for (const Vec3& v : model.baseVertices) {
    extent.low = {std::min(extent.low.x, v.x), std::min(extent.low.y, v.y), std::min(extent.low.z, v.z)};
    extent.high = {std::max(extent.high.x, v.x), std::max(extent.high.y, v.y), std::max(extent.high.z, v.z)};
  }
  return extent;
}

// Every edge of a closed mesh is shared by an even number of faces.
bool Closed(const Model& model) {
  std::vector<std::pair<uint32_t, uint32_t>> edges;
  for (const Face& f : model.faces) {
    for (auto [a, b] : {std::pair{f.a, f.b}, {f.b, f.c}, {f.c, f.a}})
      edges.emplace_back(std::min(a, b), std::max(a, b));
  }
  std::sort(edges.begin(), edges.end());
  for (size_t i = 0; i < edges.size();) {
    size_t j = i;
    while (j < edges.size() && edges[j] == edges[i]) ++j;
    if ((j - i) % 2 != 0) return false;
    i = j;
  }
  return true;
}

TEST(GeneratedModels, FigureAndObjectsHaveTheirSizes) {
  Model dude;
  ASSERT_TRUE(dude.Load(DataFolder() / "dude.vh3"));
  const Extent figure = Measure(dude);
  EXPECT_NEAR(figure.high.y - figure.low.y, 10.0f, 1.0f) << "about 10 units tall";
  EXPECT_LT(std::max(std::fabs(figure.low.y), std::fabs(figure.high.y)), 6.0f) << "centred on its origin";
  EXPECT_TRUE(Closed(dude));
  EXPECT_LT(dude.faceCount, 2000u);

  std::vector<uint32_t> faceCounts;
  for (const char* name : {"object0.VH3", "object1.VH3", "object2.VH3"}) {
    Model object;
    ASSERT_TRUE(object.Load(DataFolder() / name)) << name;
    const float across = Measure(object).Across();
    EXPECT_GE(across, 6.0f) << name;
    EXPECT_LE(across, 12.0f) << name;
    EXPECT_TRUE(Closed(object)) << name;
    EXPECT_GT(object.faceCount, 20u) << name;
    faceCounts.push_back(object.faceCount);
  }
  EXPECT_TRUE(faceCounts[0] != faceCounts[1] && faceCounts[1] != faceCounts[2]) << "three distinct objects";
}

// The library opened as tessera opens it.
class GeneratedTextures : public gfxtest::GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open(GR_COLORFORMAT_RGBA, GR_ORIGIN_LOWER_LEFT));
  }
};

TEST_F(GeneratedTextures, AllSixLoadTogetherIntoOneUnit) {
  for (const char* name : kTextureFiles) {
    const std::string path = (DataFolder() / name).string();
    Gu3dfInfo info{};
    ASSERT_TRUE(gu3dfGetInfo(path.c_str(), &info)) << name;
    EXPECT_EQ(info.header.format, GR_TEXFMT_RGB_565) << name;
    EXPECT_EQ(info.header.large_lod, GR_LOD_256) << name;
    EXPECT_EQ(info.header.small_lod, GR_LOD_1) << name << ": a full mipmap chain";
    EXPECT_EQ(info.header.aspect_ratio, GR_ASPECT_1x1) << name;
    EXPECT_EQ(std::filesystem::file_size(path),
              info.mem_required + std::strlen("3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n"));
  }
  const FxU32 before = guTexMemQueryAvail(GR_TMU0);
  for (const char* name : kTextureFiles) {
    const std::string path = (DataFolder() / name).string();
    EXPECT_TRUE(TryLoadTexture(path.c_str()).has_value()) << name;
  }
  EXPECT_LE(before - guTexMemQueryAvail(GR_TMU0), 6u * 174768u);
  EXPECT_LE(before, 2u * 1024 * 1024);
}

TEST(GeneratedPicture, IsAn8BitBitmapOf200By150) {
  const std::span<const uint8_t> bmp = Bitmap134();
  ASSERT_GE(bmp.size(), 54u + 1024u + 200u * 150u);
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(bmp[at]) | bmp[at + 1] << 8 | bmp[at + 2] << 16 |
           static_cast<uint32_t>(bmp[at + 3]) << 24;
  };
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32(2), bmp.size());
  EXPECT_EQ(u32(18), 200u);
  EXPECT_EQ(u32(22), 150u);
  EXPECT_EQ(bmp[28], 8);   // bits per pixel
  EXPECT_EQ(u32(30), 0u);  // uncompressed
  EXPECT_EQ(u32(46), 256u);
  // A picture, not a flat field: many palette entries are in use.
  std::vector<bool> used(256);
  for (size_t i = u32(10); i < bmp.size(); ++i) used[bmp[i]] = true;
  EXPECT_GT(std::count(used.begin(), used.end(), true), 200);
}

}  // namespace
}  // namespace tessera
