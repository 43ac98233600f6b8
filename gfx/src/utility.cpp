// utility.cpp — the remaining utility calls: byte-order helpers, the several-
// texture-unit helpers (one unit here), movie capture switches, run-length
// encoding for frame buffer writes and a colour-coded test mip chain.
#include <cstring>
#include <vector>

#include "context.h"
#include "record.h"

using namespace gfx;

extern "C" {

FxU32 guEndianSwapWords(FxU32 value) {
  Record("guEndianSwapWords", value);
  return value << 16 | value >> 16;
}

FxU16 guEndianSwapBytes(FxU16 value) {
  Record("guEndianSwapBytes", value);
  return static_cast<FxU16>(value << 8 | value >> 8);
}

void guMPInit(void) {
  Record("guMPInit");
}

void guMPDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  Record("guMPDrawTriangle", a, b, c);
  QuietRecording quiet;
  grDrawTriangle(a, b, c);
}

void guMPTexSource(GrChipID_t tmu, GrMipMapId_t mmid) {
  Record("guMPTexSource", tmu, mmid);
  if (tmu != GR_TMU0) {
    ReportError("guMPTexSource", "this board has one texture unit (GR_TMU0)");
    return;
  }
  QuietRecording quiet;
  guTexSource(mmid);
}

void guMPTexCombineFunction(GrMPTextureCombineFnc_t fnc) {
  Record("guMPTexCombineFunction", fnc);
  if (fnc < GR_MPTEXTURECOMBINE_ADD || fnc > GR_MPTEXTURECOMBINE_SUBTRACT) {
    ReportError("guMPTexCombineFunction", "invalid function");
    return;
  }
  // With one unit every multi-pass combine comes down to the first texture alone.
  QuietRecording quiet;
  guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
}

void guMovieStart(void) {
  Record("guMovieStart");
}

void guMovieStop(void) {
  Record("guMovieStop");
}

void guMovieSetName(const char* name) {
  Record("guMovieSetName", name);
}

// Runs of equal 16-bit pixels per row: a count byte (1..128) then the pixel,
// little-endian. Returns the bytes written (dst may be null to measure).
int guEncodeRLE16(void* dst, void* src, FxU32 width, FxU32 height) {
  Record("guEncodeRLE16", dst, src, width, height);
  if (!src || width == 0 || height == 0 || width > 4096 || height > 4096) {
    ReportError("guEncodeRLE16", "null source or invalid size");
    return 0;
  }
  const uint8_t* in = static_cast<const uint8_t*>(src);
  uint8_t* out = static_cast<uint8_t*>(dst);
  int written = 0;
  for (FxU32 y = 0; y < height; ++y) {
    FxU32 x = 0;
    while (x < width) {
      uint16_t pixel;
      std::memcpy(&pixel, in + (size_t(y) * width + x) * 2, 2);
      FxU32 run = 1;
      while (x + run < width && run < 128) {
        uint16_t next;
        std::memcpy(&next, in + (size_t(y) * width + x + run) * 2, 2);
        if (next != pixel) break;
        ++run;
      }
      if (out) {
        out[written] = static_cast<uint8_t>(run);
        std::memcpy(out + written + 1, &pixel, 2);
      }
      written += 3;
      x += run;
    }
  }
  return written;
}

// A full 256x256 RGB565 chain, each level one flat colour, for seeing which
// level the hardware picks.
FxU16* guTexCreateColorMipMap(void) {
  Record("guTexCreateColorMipMap");
  static std::vector<FxU16> chain;
  if (chain.empty()) {
    static const FxU16 kColours[9] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF, 0xF81F, 0xFFFF, 0x8410, 0xFC00};
    for (int lod = GR_LOD_256; lod <= GR_LOD_1; ++lod) {
      const int side = 256 >> lod;
      chain.insert(chain.end(), size_t(side) * side, kColours[lod]);
    }
  }
  return chain.data();
}

}  // extern "C"
