// file3df_test.cpp — reading .3df texture files: real files from the board's
// SDK (good, damaged and of a format this board does not take), and made-up
// files cut short at every length or with broken header lines.
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "glide_fixture.h"

namespace gfxtest {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempFile {
 public:
  // Memory-backed when the machine has it: the truncation tests rewrite the file thousands of times.
  TempFile() : path(Folder() / ("gfx_3df_" + std::to_string(::getpid()) + ".3df")) {}
  ~TempFile() { fs::remove(path); }
  void Write(const std::vector<uint8_t>& bytes, size_t length) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
  }
  void Write(const std::string& text) const {
    Write(std::vector<uint8_t>(text.begin(), text.end()), text.size());
  }
  std::string Name() const { return path.string(); }

 private:
  static fs::path Folder() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  }
  fs::path path;
};

// Loads a file the way a program does, into a buffer with a guard zone after
// mem_required bytes; the guard must stay untouched whatever the file holds.
struct Loaded {
  bool info = false, load = false;
  Gu3dfInfo record{};
  std::vector<uint8_t> texels;
};
constexpr size_t kGuard = 64;

Loaded Load(const std::string& name) {
  Loaded out;
  out.info = gu3dfGetInfo(name.c_str(), &out.record) == FXTRUE;
  if (!out.info) return out;
  out.texels.assign(out.record.mem_required + kGuard, 0xEE);
  out.record.data = out.texels.data();
  out.load = gu3dfLoad(name.c_str(), &out.record) == FXTRUE;
  for (size_t i = out.record.mem_required; i < out.texels.size(); ++i) EXPECT_EQ(out.texels[i], 0xEE) << name;
  return out;
}

// ---- real files ---------------------------------------------------------------

struct SampleCase {
  const char* file;
  GrTextureFormat_t format;
  int smallLod, largeLod;
  FxU32 memRequired;
  size_t headerBytes;  // text header plus table
};

void PrintTo(const SampleCase& c, std::ostream* os) {
  *os << c.file;
}

class SampleFileTest : public ::testing::TestWithParam<SampleCase> {
 protected:
  void SetUp() override {
    if (!fs::exists(fs::path(GFX_3DF_SAMPLES_DIR) / GetParam().file))
      GTEST_SKIP() << "sample files not present";
  }
};

TEST_P(SampleFileTest, LoadsHeaderAndTexels) {
  const SampleCase& c = GetParam();
  const fs::path path = fs::path(GFX_3DF_SAMPLES_DIR) / c.file;
  const Loaded l = Load(path.string());
  ASSERT_TRUE(l.info);
  ASSERT_TRUE(l.load);
  EXPECT_EQ(l.record.header.format, c.format);
  EXPECT_EQ(l.record.header.small_lod, c.smallLod);
  EXPECT_EQ(l.record.header.large_lod, c.largeLod);
  EXPECT_EQ(l.record.header.aspect_ratio, GR_ASPECT_1x1);
  EXPECT_EQ(l.record.header.width, 256u >> c.largeLod);
  EXPECT_EQ(l.record.header.height, 256u >> c.largeLod);
  EXPECT_EQ(l.record.mem_required, c.memRequired);
  // The texels are the file's last mem_required bytes; 16-bit ones turn from
  // big-endian to the machine's order.
  const std::vector<uint8_t> file = ReadAll(path);
  ASSERT_EQ(file.size(), c.headerBytes + c.memRequired);
  const bool wide = c.format >= GR_TEXFMT_16BIT;
  for (size_t i = 0; i < c.memRequired; i += 997) {
    const size_t from = c.headerBytes + (wide ? (i ^ 1) : i);
    ASSERT_EQ(l.texels[i], file[from]) << "texel byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Good, SampleFileTest,
    ::testing::Values(SampleCase{"alpha.3df", GR_TEXFMT_ALPHA_8, 8, 0, 87381, 47},
                      SampleCase{"argb1555.3df", GR_TEXFMT_ARGB_1555, 8, 0, 174762, 53},
                      SampleCase{"argb4444.3df", GR_TEXFMT_ARGB_4444, 8, 0, 174762, 53},
                      SampleCase{"argb8332.3df", GR_TEXFMT_ARGB_8332, 8, 0, 174762, 53},
                      SampleCase{"decal1.3df", GR_TEXFMT_RGB_565, 8, 0, 174762, 51},
                      SampleCase{"light.3df", GR_TEXFMT_RGB_565, 8, 2, 10922, 50},
                      SampleCase{"matt1.3df", GR_TEXFMT_RGB_565, 8, 0, 174762, 51},
                      SampleCase{"miro.3df", GR_TEXFMT_RGB_565, 8, 0, 174762, 51},
                      SampleCase{"rgb332.3df", GR_TEXFMT_RGB_332, 8, 0, 87381, 51},
                      SampleCase{"rgb565.3df", GR_TEXFMT_RGB_565, 8, 0, 174762, 51}),
    [](const auto& info) {
      return std::string(info.param.file).substr(0, std::string(info.param.file).find('.'));
    });

TEST(SampleFileTest, RefusesDamagedFilesAndTheUnsupportedFormat) {
  for (const char* name : {"ap88.3df", "ayiq.3df", "lava.3df", "p8.3df", "yiq.3df", "argb8888.3df"}) {
    const fs::path path = fs::path(GFX_3DF_SAMPLES_DIR) / name;
    if (!fs::exists(path)) GTEST_SKIP() << "sample files not present";
    const Loaded l = Load(path.string());
    EXPECT_FALSE(l.info && l.load) << name;
  }
}

// A FIFO, a device or a folder named as a texture is refused at once, as a
// missing file is: opening a FIFO for reading would wait for a writer.
TEST(SampleFileTest, RefusesWhatIsNotARegularFile) {
  const fs::path folder = fs::temp_directory_path() / ("gfx_3df_kinds_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "folder.3df");
#if defined(_WIN32)
  // No FIFOs among Windows' files; its devices answer to their names in every folder.
  const char* const names[] = {"NUL", "CON", "folder.3df", "missing.3df"};
#else
  ASSERT_EQ(mkfifo((folder / "fifo.3df").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", folder / "device.3df");
  alarm(30);  // a read that blocks fails the test instead of hanging it
  const char* const names[] = {"fifo.3df", "device.3df", "folder.3df", "missing.3df"};
#endif
  for (const char* name : names) {
    const std::string path = (folder / name).string();
    Gu3dfInfo info{};
    EXPECT_FALSE(gu3dfGetInfo(path.c_str(), &info)) << name;
    uint8_t texels[64];
    info.data = texels;
    EXPECT_FALSE(gu3dfLoad(path.c_str(), &info)) << name;
  }
#if !defined(_WIN32)
  alarm(0);
#endif
  fs::remove_all(folder);
}

// ---- made-up files --------------------------------------------------------------

// A small file of the given format: levels 8x8 down to 1x1 (2:1 when wide),
// with its table, every byte distinct enough to spot a misplaced read.
std::vector<uint8_t> MakeFile(const std::string& formatName, int bytesPerTexel, int tableBytes, bool wide) {
  std::string header =
      "3df v1.1\n" + formatName + "\nlod range: 1 8\naspect ratio: " + (wide ? "2 1" : "1 1") + "\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  const int texels = wide ? 32 + 8 + 2 + 1 : 64 + 16 + 4 + 1;
  for (int i = 0; i < tableBytes + texels * bytesPerTexel; ++i)
    bytes.push_back(static_cast<uint8_t>(i * 7 + 3));
  return bytes;
}

struct MadeCase {
  const char* name;
  GrTextureFormat_t format;
  int bytesPerTexel, tableBytes;
};

void PrintTo(const MadeCase& c, std::ostream* os) {
  *os << c.name;
}

class MadeFileTest : public GlideTest, public ::testing::WithParamInterface<MadeCase> {};

TEST_P(MadeFileTest, ReadsWholeFilesAndRefusesEveryShorterOne) {
  const MadeCase& c = GetParam();
  TempFile file;
  for (bool wide : {false, true}) {
    const std::vector<uint8_t> bytes = MakeFile(c.name, c.bytesPerTexel, c.tableBytes, wide);
    file.Write(bytes, bytes.size());
    const Loaded whole = Load(file.Name());
    ASSERT_TRUE(whole.info && whole.load) << c.name;
    EXPECT_EQ(whole.record.header.format, c.format);
    EXPECT_EQ(whole.record.header.aspect_ratio, wide ? GR_ASPECT_2x1 : GR_ASPECT_1x1);
    EXPECT_EQ(whole.record.header.width, 8u);
    EXPECT_EQ(whole.record.header.height, wide ? 4u : 8u);
    EXPECT_EQ(whole.record.mem_required, FxU32((wide ? 43 : 85) * c.bytesPerTexel));
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
      file.Write(bytes, cut);
      // The record a program kept from the whole file must not lead to a read past the short one.
      Gu3dfInfo kept = whole.record;
      std::vector<uint8_t> texels(kept.mem_required + kGuard, 0xEE);
      kept.data = texels.data();
      EXPECT_FALSE(gu3dfLoad(file.Name().c_str(), &kept)) << "cut at " << cut;
      const Loaded l = Load(file.Name());
      EXPECT_FALSE(l.info && l.load) << "cut at " << cut;
      for (size_t i = kept.mem_required; i < texels.size(); ++i) ASSERT_EQ(texels[i], 0xEE);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, MadeFileTest,
    ::testing::Values(
        MadeCase{"rgb332", GR_TEXFMT_RGB_332, 1, 0}, MadeCase{"yiq", GR_TEXFMT_YIQ_422, 1, 80},
        MadeCase{"a8", GR_TEXFMT_ALPHA_8, 1, 0}, MadeCase{"i8", GR_TEXFMT_INTENSITY_8, 1, 0},
        MadeCase{"ai44", GR_TEXFMT_ALPHA_INTENSITY_44, 1, 0}, MadeCase{"P8", GR_TEXFMT_P_8, 1, 1024},
        MadeCase{"argb8332", GR_TEXFMT_ARGB_8332, 2, 0}, MadeCase{"ayiq8422", GR_TEXFMT_AYIQ_8422, 2, 80},
        MadeCase{"RGB565", GR_TEXFMT_RGB_565, 2, 0}, MadeCase{"argb1555", GR_TEXFMT_ARGB_1555, 2, 0},
        MadeCase{"argb4444", GR_TEXFMT_ARGB_4444, 2, 0}, MadeCase{"ai88", GR_TEXFMT_ALPHA_INTENSITY_88, 2, 0},
        MadeCase{"ap88", GR_TEXFMT_AP_88, 2, 1024}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GlideTest, File3dfTablesAreDecoded) {
  // NCC: 16 Y words, then I and Q as 9-bit patterns; palette: big-endian 0xAARRGGBB.
  std::string header = "3df v1.0\nyiq\nlod range: 1 1\naspect ratio: 1 1\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  auto word = [&](unsigned v) {
    bytes.push_back(static_cast<uint8_t>(v >> 8));
    bytes.push_back(static_cast<uint8_t>(v));
  };
  for (int i = 0; i < 16; ++i) word(0x100 + i * 16);  // only the low 8 bits count
  for (int i = 0; i < 12; ++i) word(0x1FF);           // -1
  for (int i = 0; i < 12; ++i) word(0x0100 + i);      // -256 + i
  bytes.push_back(0x5A);
  TempFile file;
  file.Write(bytes, bytes.size());
  Loaded l = Load(file.Name());
  ASSERT_TRUE(l.load);
  const GuNccTable& t = l.record.table.nccTable;
  EXPECT_EQ(t.yRGB[1], 16);
  EXPECT_EQ(t.iRGB[2][1], 0x1FF);
  EXPECT_EQ(t.qRGB[3][2], 0x10B);
  EXPECT_EQ(t.packed_data[0], 0x30201000u);
  EXPECT_EQ(t.packed_data[4], 0x1FFu << 18 | 0x1FFu << 9 | 0x1FFu);
  EXPECT_EQ(l.texels[0], 0x5A);

  header = "3df v1.0\np8\nlod range: 1 1\naspect ratio: 1 1\n";
  bytes.assign(header.begin(), header.end());
  for (int i = 0; i < 256; ++i) {
    word(0x0012);
    word(static_cast<unsigned>(i * 257));
  }
  bytes.push_back(7);
  file.Write(bytes, bytes.size());
  l = Load(file.Name());
  ASSERT_TRUE(l.load);
  EXPECT_EQ(l.record.table.palette.data[3], 0x00120303u);
}

TEST_F(GlideTest, File3dfRefusesBrokenHeaders) {
  const std::string body(2000, '\x11');
  const char* headers[] = {
      "3dg v1.1\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
      "3df v1.1\nrgb555\nlod range: 1 8\naspect ratio: 1 1\n",
      "3df v1.1\nargb8888\nlod range: 1 8\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod range: 1 300\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod range: 8 1\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod range: 3 8\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod range: -1 8\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod range: 1 8\naspect ratio: 3 1\n",
      "3df v1.1\nrgb565\nlod range: 1 8\naspect ratio: 2 2\n",
      "3df v1.1\nrgb565\nlod range: 1 8\naspect ratio: 16 1\n",
      "3df v1.1\nrgb565\nlod range: 1 8\naspect ratio: 0 1\n",
      "3df v1.1\nrgb565\nlod range: one 8\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod: 1 8\naspect ratio: 1 1\n",
      "3df v1.1\nrgb565\nlod range: 1 8\n",
      "3df v1.12345\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
      "",
  };
  TempFile file;
  for (const char* header : headers) {
    file.Write(header + body);
    Gu3dfInfo info{};
    EXPECT_FALSE(gu3dfGetInfo(file.Name().c_str(), &info)) << header;
  }
  // A header line too long to be one.
  file.Write("3df v1.1\nrgb565\nlod range: 1 8" + std::string(100, ' ') + "\naspect ratio: 1 1\n" + body);
  Gu3dfInfo info{};
  EXPECT_FALSE(gu3dfGetInfo(file.Name().c_str(), &info));
  // Whitespace is free between tokens, numbers are read as C reads them.
  file.Write("3df   v1.1\r\nrgb565 \r\n lod range:  0x1 010\r\naspect ratio: 1   2\r\n" + body);
  ASSERT_TRUE(gu3dfGetInfo(file.Name().c_str(), &info));
  EXPECT_EQ(info.header.large_lod, GR_LOD_8);
  EXPECT_EQ(info.header.aspect_ratio, GR_ASPECT_1x2);
  EXPECT_EQ(info.header.width, 4u);
  EXPECT_EQ(info.header.height, 8u);

  EXPECT_FALSE(gu3dfGetInfo("/nonexistent/file.3df", &info));
  EXPECT_FALSE(gu3dfGetInfo(nullptr, &info));
  EXPECT_FALSE(gu3dfGetInfo(file.Name().c_str(), nullptr));
  info.data = nullptr;
  EXPECT_FALSE(gu3dfLoad(file.Name().c_str(), &info));
}

TEST_F(GlideTest, File3dfLoadKeepsToTheCallersBuffer) {
  // A record from a smaller file must not let a bigger file overrun the buffer sized for it.
  TempFile file;
  const std::vector<uint8_t> small = MakeFile("rgb565", 2, 0, true);
  file.Write(small, small.size());
  Loaded l = Load(file.Name());
  ASSERT_TRUE(l.load);
  const std::vector<uint8_t> big = MakeFile("rgb565", 2, 0, false);
  file.Write(big, big.size());
  std::fill(l.texels.begin(), l.texels.end(), 0xEE);
  EXPECT_FALSE(gu3dfLoad(file.Name().c_str(), &l.record));
  for (uint8_t b : l.texels) ASSERT_EQ(b, 0xEE);
}

}  // namespace
}  // namespace gfxtest
