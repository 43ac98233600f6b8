// file3df.cpp — the .3df texture file: a four-line text header (version,
// format name, level range, aspect ratio), an NCC table or a palette for the
// formats that need one, then every level's texels, 16-bit texels big-endian.
// Nothing is read past the file's end or written past the caller's buffer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "context.h"
#include "record.h"

namespace gfx {
namespace {

constexpr size_t kMaxHeaderBytes = 99;

struct FormatName {
  const char* name;
  int format;
};
constexpr FormatName kFormats[] = {
    {"RGB332", GR_TEXFMT_RGB_332},
    {"YIQ", GR_TEXFMT_YIQ_422},
    {"A8", GR_TEXFMT_ALPHA_8},
    {"I8", GR_TEXFMT_INTENSITY_8},
    {"AI44", GR_TEXFMT_ALPHA_INTENSITY_44},
    {"P8", GR_TEXFMT_P_8},
    {"ARGB8332", GR_TEXFMT_ARGB_8332},
    {"AYIQ8422", GR_TEXFMT_AYIQ_8422},
    {"RGB565", GR_TEXFMT_RGB_565},
    {"ARGB1555", GR_TEXFMT_ARGB_1555},
    {"ARGB4444", GR_TEXFMT_ARGB_4444},
    {"AI88", GR_TEXFMT_ALPHA_INTENSITY_88},
    {"AP88", GR_TEXFMT_AP_88},
};

// A cursor over the header text with the matching rules of a scanf pattern:
// a blank in the pattern skips any run of white space, other characters must match.
class HeaderScanner {
 public:
  explicit HeaderScanner(const std::string& text) : text(text) {}
  void SkipSpace() {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  }
  bool Literal(const char* literal) {
    for (const char* p = literal; *p; ++p) {
      if (*p == ' ') {
        SkipSpace();
        continue;
      }
      if (pos >= text.size() || text[pos] != *p) return false;
      ++pos;
    }
    return true;
  }
  bool Word(size_t maxLength, std::string* out) {
    SkipSpace();
    const size_t start = pos;
    while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos])) &&
           pos - start < maxLength)
      ++pos;
    *out = text.substr(start, pos - start);
    return !out->empty();
  }
  // An integer written as C writes one: decimal, 0x hexadecimal or 0 octal.
  bool Integer(long* out) {
    SkipSpace();
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int base = 10;
    if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
      base = 16;
      pos += 2;
    } else if (pos < text.size() && text[pos] == '0') {
      base = 8;
    }
    long value = 0;
    size_t digits = 0;
    while (pos < text.size()) {
      const int c = std::tolower(static_cast<unsigned char>(text[pos]));
      int digit = std::isdigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
      if (digit >= base) break;
      if (value < 1000000) value = value * base + digit;  // larger values are invalid anyway
      ++digits;
      ++pos;
    }
    *out = negative ? -value : value;
    return digits > 0;
  }

 private:
  const std::string& text;
  size_t pos = 0;
};

int SizeToLod(long size) {
  for (int lod = GR_LOD_256; lod <= GR_LOD_1; ++lod) {
    if (size == (256L >> lod)) return lod;
  }
  return -1;
}

int TableBytes(int format) {
  if (format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422) return 80;
  if (format == GR_TEXFMT_P_8 || format == GR_TEXFMT_AP_88) return 1024;
  return 0;
}

uint32_t HostBytes(const Gu3dfHeader& h) {
  uint32_t texels = 0;
  for (int lod = h.large_lod; lod <= h.small_lod; ++lod) {
    int w = 0, hh = 0;
    LevelSize(h.aspect_ratio, lod, &w, &hh);
    texels += static_cast<uint32_t>(w * hh);
  }
  return texels * static_cast<uint32_t>(BytesPerTexel(h.format));
}

struct Parsed {
  Gu3dfHeader header{};
  size_t dataOffset = 0;  // first byte after the text header
  uint32_t tableBytes = 0;
  uint32_t texelBytes = 0;
};

// The file's descriptor when it is a regular file, -1 otherwise. A FIFO or
// a device in a texture's place would block open() or read() for good; its
// type is checked before a non-blocking open and again on what was opened.
// (The platform layer has the same rule; this library does not depend on it.)
int OpenRegularFile(const char* filename) {
#if defined(_WIN32)
  // Windows has no FIFOs among files; its devices (CON, NUL, COM1, ...) are
  // what stat calls character devices. Binary mode: no line end is changed.
  struct stat info {};
  if (stat(filename, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const int fd = _open(filename, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return -1;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
#else
  struct stat info {};
  if (stat(filename, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const int fd = open(filename, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
#endif
}

// Reads the whole file (bounded: a .3df file is never larger than a full
// 16-bit chain with a palette and its header).
bool ReadFile(const char* function, const char* filename, std::vector<uint8_t>* bytes) {
  if (!filename) {
    ReportError(function, "null file name");
    return false;
  }
  const int fd = OpenRegularFile(filename);
  if (fd < 0) return false;
  constexpr size_t kLimit = size_t{1} << 20;
  bytes->resize(kLimit);
  size_t got = 0;
  while (got < kLimit) {
    const ssize_t n = read(fd, bytes->data() + got, kLimit - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      bytes->clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  bytes->resize(got);
  return true;
}

bool ParseHeader(const std::vector<uint8_t>& bytes, Parsed* out) {
  size_t end = 0;
  int lines = 0;
  while (end < bytes.size() && end < kMaxHeaderBytes && lines < 4) {
    if (bytes[end++] == '\n') ++lines;
  }
  if (lines < 4) return false;
  const std::string text(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(end));
  HeaderScanner scan(text);
  std::string version, name;
  long smallSize = 0, largeSize = 0, aspectW = 0, aspectH = 0;
  if (!scan.Literal("3df v") || !scan.Word(4, &version) || !scan.Word(15, &name) ||
      !scan.Literal(" lod range:") || !scan.Integer(&smallSize) || !scan.Integer(&largeSize) ||
      !scan.Literal(" aspect ratio:") || !scan.Integer(&aspectW) || !scan.Integer(&aspectH))
    return false;
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  int format = -1;
  for (const FormatName& f : kFormats) {
    if (name == f.name) format = f.format;
  }
  if (format < 0) return false;
  const int smallLod = SizeToLod(smallSize), largeLod = SizeToLod(largeSize);
  if (smallLod < 0 || largeLod < 0 || smallLod < largeLod) return false;
  int aspect = -1;
  for (int i = 0; i <= 3; ++i) {
    if (aspectW == 1 && aspectH == (1L << i)) aspect = GR_ASPECT_1x1 + i;
    if (aspectH == 1 && aspectW == (1L << i)) aspect = GR_ASPECT_1x1 - i;
  }
  if (aspect < 0) return false;
  Gu3dfHeader& h = out->header;
  if (aspectW >= aspectH) {
    h.width = static_cast<FxU32>(largeSize);
    h.height = static_cast<FxU32>(std::max(1L, largeSize / aspectW));
  } else {
    h.height = static_cast<FxU32>(largeSize);
    h.width = static_cast<FxU32>(std::max(1L, largeSize / aspectH));
  }
  h.small_lod = smallLod;
  h.large_lod = largeLod;
  h.aspect_ratio = aspect;
  h.format = format;
  out->dataOffset = end;
  out->tableBytes = static_cast<uint32_t>(TableBytes(format));
  out->texelBytes = HostBytes(h);
  return true;
}

bool Complete(const std::vector<uint8_t>& bytes, const Parsed& p) {
  return bytes.size() >= p.dataOffset + p.tableBytes + p.texelBytes;
}

uint32_t BigEndian16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 8 | p[1];
}
uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void ReadNcc(const uint8_t* p, GuNccTable* table) {
  std::memset(table, 0, sizeof *table);
  for (int i = 0; i < 16; ++i) table->yRGB[i] = static_cast<FxU8>(BigEndian16(p + 2 * i) & 0xFF);
  for (int k = 0; k < 4; ++k) {
    for (int c = 0; c < 3; ++c) {
      table->iRGB[k][c] = static_cast<FxI16>(BigEndian16(p + 32 + 2 * (3 * k + c)) & 0x1FF);
      table->qRGB[k][c] = static_cast<FxI16>(BigEndian16(p + 56 + 2 * (3 * k + c)) & 0x1FF);
    }
  }
  for (int i = 0; i < 16; ++i)
    table->packed_data[i / 4] |= static_cast<FxU32>(table->yRGB[i]) << (8 * (i % 4));
  for (int k = 0; k < 4; ++k) {
    auto pack = [](const FxI16* rgb) {
      return static_cast<FxU32>(rgb[0] & 0x1FF) << 18 | static_cast<FxU32>(rgb[1] & 0x1FF) << 9 |
             static_cast<FxU32>(rgb[2] & 0x1FF);
    };
    table->packed_data[4 + k] = pack(table->iRGB[k]);
    table->packed_data[8 + k] = pack(table->qRGB[k]);
  }
}

}  // namespace
}  // namespace gfx

using namespace gfx;

extern "C" {

FxBool gu3dfGetInfo(const char* filename, Gu3dfInfo* info) {
  Record("gu3dfGetInfo", filename, info);
  if (!info) {
    ReportError("gu3dfGetInfo", "null Gu3dfInfo");
    return FXFALSE;
  }
  std::vector<uint8_t> bytes;
  Parsed parsed;
  if (!ReadFile("gu3dfGetInfo", filename, &bytes) || !ParseHeader(bytes, &parsed) || !Complete(bytes, parsed))
    return FXFALSE;
  info->header = parsed.header;
  info->mem_required = parsed.texelBytes;
  return FXTRUE;
}

FxBool gu3dfLoad(const char* filename, Gu3dfInfo* info) {
  Record("gu3dfLoad", filename, info);
  if (!info || !info->data) {
    ReportError("gu3dfLoad", "null Gu3dfInfo or texel buffer");
    return FXFALSE;
  }
  std::vector<uint8_t> bytes;
  Parsed parsed;
  if (!ReadFile("gu3dfLoad", filename, &bytes) || !ParseHeader(bytes, &parsed) || !Complete(bytes, parsed))
    return FXFALSE;
  // The caller sized its buffer from gu3dfGetInfo: the file must still be the one described.
  const Gu3dfHeader& h = parsed.header;
  if (h.format != info->header.format || h.small_lod != info->header.small_lod ||
      h.large_lod != info->header.large_lod || h.aspect_ratio != info->header.aspect_ratio ||
      parsed.texelBytes > info->mem_required) {
    ReportError("gu3dfLoad", "the file does not match the Gu3dfInfo gu3dfGetInfo filled");
    return FXFALSE;
  }
  const uint8_t* p = bytes.data() + parsed.dataOffset;
  if (parsed.tableBytes == 80) {
    ReadNcc(p, &info->table.nccTable);
  } else if (parsed.tableBytes == 1024) {
    for (int i = 0; i < 256; ++i) info->table.palette.data[i] = BigEndian32(p + 4 * i);
  }
  p += parsed.tableBytes;
  if (BytesPerTexel(h.format) == 2) {
    uint8_t* out = static_cast<uint8_t*>(info->data);
    for (uint32_t i = 0; i < parsed.texelBytes / 2; ++i) {
      const FxU16 texel = static_cast<FxU16>(BigEndian16(p + 2 * i));
      std::memcpy(out + 2 * i, &texel, sizeof texel);
    }
  } else {
    std::memcpy(info->data, p, parsed.texelBytes);
  }
  return FXTRUE;
}

}  // extern "C"
