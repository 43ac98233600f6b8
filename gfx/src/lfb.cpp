// lfb.cpp — the linear frame buffer: reading and writing regions of a colour
// buffer or the aux buffer, and locks that hand out a pointer to a buffer.
// Rows count from the top of the screen unless a lock asks for the lower left
// (grLfbReadRegion always counts from the top, as the board's library does).
// Writes go straight to the buffer: a lock's pixel-pipeline flag is accepted
// but the pixels are not shaded, blended or depth tested.
#include <cstring>
#include <vector>

#include "context.h"
#include "record.h"

namespace gfx {
namespace {

// The 16-bit plane a GrBuffer_t names, or null.
uint16_t* Plane(int buffer) {
  Context& c = Ctx();
  if (buffer == GR_BUFFER_AUXBUFFER || buffer == GR_BUFFER_DEPTHBUFFER || buffer == GR_BUFFER_ALPHABUFFER)
    return c.aux.empty() ? nullptr : c.aux.data();
  return ColourBuffer(buffer);
}

bool RegionFits(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  const Context& c = Ctx();
  const uint64_t width = static_cast<uint64_t>(c.width), height = static_cast<uint64_t>(c.height);
  return uint64_t(x) + w <= width && uint64_t(y) + h <= height;
}

uint16_t To565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F));
}

uint32_t Expand565(uint16_t p) {
  const uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

// One lock: the pointer handed out and, for formats other than the buffer's
// own or a lower-left origin, the staging copy written back on unlock.
struct Lock {
  bool active = false;
  bool write = false;
  int buffer = 0;
  int mode = GR_LFBWRITEMODE_565;
  bool lowerLeft = false;
  std::vector<uint8_t> staging;
};
Lock locks[6];

int PixelBytes(int mode) {
  return (mode == GR_LFBWRITEMODE_888 || mode == GR_LFBWRITEMODE_8888) ? 4 : 2;
}

uint16_t ConvertToPlane(const uint8_t* src, int mode, int colourFormat) {
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  if (PixelBytes(mode) == 4)
    std::memcpy(&v32, src, 4);
  else
    std::memcpy(&v16, src, 2);
  switch (mode) {
    case GR_LFBWRITEMODE_555:
    case GR_LFBWRITEMODE_1555:  // the alpha bit has no plane to go to
      return static_cast<uint16_t>(((v16 & 0x7FE0) << 1) | ((v16 & 0x0200) >> 4) | (v16 & 0x1F));
    case GR_LFBWRITEMODE_888:
    case GR_LFBWRITEMODE_8888:
      return To565(ToHardwareColour(v32, colourFormat));
    default:
      return v16;
  }
}

void ConvertFromPlane(uint16_t p, int mode, int colourFormat, uint8_t* dst) {
  if (PixelBytes(mode) == 4) {
    uint32_t argb = Expand565(p);
    // Back into the program's byte order.
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    uint32_t v = argb;
    if (colourFormat == GR_COLORFORMAT_ABGR) v = a << 24 | b << 16 | g << 8 | r;
    if (colourFormat == GR_COLORFORMAT_RGBA) v = r << 24 | g << 16 | b << 8 | a;
    if (colourFormat == GR_COLORFORMAT_BGRA) v = b << 24 | g << 16 | r << 8 | a;
    std::memcpy(dst, &v, 4);
    return;
  }
  uint16_t v = p;
  if (mode == GR_LFBWRITEMODE_555 || mode == GR_LFBWRITEMODE_1555)
    v = static_cast<uint16_t>(0x8000 | ((p >> 1) & 0x7FE0) | (p & 0x1F));
  std::memcpy(dst, &v, 2);
}

}  // namespace

void ReleaseLfbLocks() {
  for (Lock& lock : locks) {
    lock.active = false;
    std::vector<uint8_t>().swap(lock.staging);
  }
}

}  // namespace gfx

using namespace gfx;

extern "C" {

FxBool grLfbReadRegion(GrBuffer_t srcBuffer, FxU32 srcX, FxU32 srcY, FxU32 srcWidth, FxU32 srcHeight,
                       FxU32 dstStride, void* dstData) {
  Record("grLfbReadRegion", srcBuffer, srcX, srcY, srcWidth, srcHeight, dstStride, dstData);
  if (!RequireOpen("grLfbReadRegion")) return FXFALSE;
  const uint16_t* plane = Plane(srcBuffer);
  if (!plane || !dstData || !RegionFits(srcX, srcY, srcWidth, srcHeight) ||
      (srcHeight > 1 && dstStride < srcWidth * 2)) {
    ReportError("grLfbReadRegion", "invalid buffer, region or destination");
    return FXFALSE;
  }
  FinishRendering();
  const Context& c = Ctx();
  uint8_t* out = static_cast<uint8_t*>(dstData);
  for (FxU32 row = 0; row < srcHeight; ++row) {
    std::memcpy(out + size_t(row) * dstStride, plane + size_t(srcY + row) * c.width + srcX,
                size_t(srcWidth) * 2);
  }
  return FXTRUE;
}

FxBool grLfbWriteRegion(GrBuffer_t dstBuffer, FxU32 dstX, FxU32 dstY, GrLfbSrcFmt_t srcFormat, FxU32 srcWidth,
                        FxU32 srcHeight, FxI32 srcStride, void* srcData) {
  Record("grLfbWriteRegion", dstBuffer, dstX, dstY, srcFormat, srcWidth, srcHeight, srcStride, srcData);
  if (!RequireOpen("grLfbWriteRegion")) return FXFALSE;
  uint16_t* plane = Plane(dstBuffer);
  const bool aux = dstBuffer == GR_BUFFER_AUXBUFFER;
  const bool known = srcFormat == GR_LFB_SRC_FMT_565 || srcFormat == GR_LFB_SRC_FMT_555 ||
                     srcFormat == GR_LFB_SRC_FMT_1555 || srcFormat == GR_LFB_SRC_FMT_888 ||
                     srcFormat == GR_LFB_SRC_FMT_8888 || srcFormat == GR_LFB_SRC_FMT_ZA16;
  if (!plane || !srcData || !known || (aux != (srcFormat == GR_LFB_SRC_FMT_ZA16)) ||
      !RegionFits(dstX, dstY, srcWidth, srcHeight) || srcStride < 0 ||
      (srcHeight > 1 && FxU32(srcStride) < srcWidth * PixelBytes(srcFormat))) {
    ReportError("grLfbWriteRegion", "invalid buffer, format, region or source");
    return FXFALSE;
  }
  FinishRendering();
  const Context& c = Ctx();
  const uint8_t* in = static_cast<const uint8_t*>(srcData);
  const int bytes = PixelBytes(srcFormat);
  for (FxU32 row = 0; row < srcHeight; ++row) {
    uint16_t* dst = plane + size_t(dstY + row) * c.width + dstX;
    const uint8_t* src = in + size_t(row) * FxU32(srcStride);
    for (FxU32 x = 0; x < srcWidth; ++x)
      dst[x] = ConvertToPlane(src + size_t(x) * bytes, srcFormat, c.lfbWriteColourFormat);
  }
  return FXTRUE;
}

FxBool grLfbLock(GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode, GrOriginLocation_t origin,
                 FxBool pixelPipeline, GrLfbInfo_t* info) {
  Record("grLfbLock", type, buffer, writeMode, origin, pixelPipeline, info);
  if (!RequireOpen("grLfbLock")) return FXFALSE;
  const bool write = (type & 1) == GR_LFB_WRITE_ONLY;
  uint16_t* plane = Plane(buffer);
  if (!info || !plane || buffer < 0 || buffer > GR_BUFFER_TRIPLEBUFFER) {
    ReportError("grLfbLock", "invalid buffer or null GrLfbInfo_t");
    return FXFALSE;
  }
  Lock& lock = locks[buffer];
  if (lock.active) {
    ReportError("grLfbLock", "the buffer is already locked");
    return FXFALSE;
  }
  int mode = writeMode == GR_LFBWRITEMODE_ANY
                 ? (buffer == GR_BUFFER_AUXBUFFER ? GR_LFBWRITEMODE_ZA16 : GR_LFBWRITEMODE_565)
                 : writeMode;
  const bool validMode = mode == GR_LFBWRITEMODE_565 || mode == GR_LFBWRITEMODE_555 ||
                         mode == GR_LFBWRITEMODE_1555 || mode == GR_LFBWRITEMODE_888 ||
                         mode == GR_LFBWRITEMODE_8888 || mode == GR_LFBWRITEMODE_ZA16;
  if (!validMode ||
      (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT && origin != GR_ORIGIN_ANY)) {
    ReportError("grLfbLock", "invalid write mode or origin");
    return FXFALSE;
  }
  if (!write) mode = buffer == GR_BUFFER_AUXBUFFER ? GR_LFBWRITEMODE_ZA16 : GR_LFBWRITEMODE_565;
  FinishRendering();
  Context& c = Ctx();
  lock.active = true;
  lock.write = write;
  lock.buffer = buffer;
  lock.mode = mode;
  lock.lowerLeft = origin == GR_ORIGIN_LOWER_LEFT;
  // Every lock works on a copy in the requested layout; writes reach the
  // buffer on unlock. The copy starts as the buffer's picture.
  const int bytes = PixelBytes(mode);
  lock.staging.assign(size_t(c.width) * c.height * bytes, 0);
  for (int y = 0; y < c.height; ++y) {
    const int srcRow = lock.lowerLeft ? c.height - 1 - y : y;
    for (int x = 0; x < c.width; ++x) {
      ConvertFromPlane(plane[size_t(srcRow) * c.width + x], mode, c.lfbWriteColourFormat,
                       lock.staging.data() + (size_t(y) * c.width + x) * bytes);
    }
  }
  info->lfbPtr = lock.staging.data();
  info->strideInBytes = static_cast<FxU32>(c.width * bytes);
  info->writeMode = mode;
  info->origin = lock.lowerLeft ? GR_ORIGIN_LOWER_LEFT : GR_ORIGIN_UPPER_LEFT;
  return FXTRUE;
}

FxBool grLfbUnlock(GrLock_t type, GrBuffer_t buffer) {
  Record("grLfbUnlock", type, buffer);
  if (buffer < 0 || buffer > GR_BUFFER_TRIPLEBUFFER || !locks[buffer].active) {
    ReportError("grLfbUnlock", "the buffer is not locked");
    return FXFALSE;
  }
  Lock& lock = locks[buffer];
  Context& c = Ctx();
  uint16_t* plane = Plane(buffer);
  if (lock.write && plane && lock.staging.size() == size_t(c.width) * c.height * PixelBytes(lock.mode)) {
    const int bytes = PixelBytes(lock.mode);
    for (int y = 0; y < c.height; ++y) {
      const int dstRow = lock.lowerLeft ? c.height - 1 - y : y;
      for (int x = 0; x < c.width; ++x) {
        plane[size_t(dstRow) * c.width + x] = ConvertToPlane(
            lock.staging.data() + (size_t(y) * c.width + x) * bytes, lock.mode, c.lfbWriteColourFormat);
      }
    }
  }
  lock.active = false;
  std::vector<uint8_t>().swap(lock.staging);
  return FXTRUE;
}

void grLfbConstantAlpha(GrAlpha_t alpha) {
  Record("grLfbConstantAlpha", alpha);
  Ctx().lfbConstantAlpha = alpha;
}

void grLfbConstantDepth(FxU16 depth) {
  Record("grLfbConstantDepth", depth);
  Ctx().lfbConstantDepth = depth;
}

void grLfbWriteColorSwizzle(FxBool swizzleBytes, FxBool swapWords) {
  Record("grLfbWriteColorSwizzle", swizzleBytes, swapWords);
  Ctx().lfbSwizzleBytes = swizzleBytes != FXFALSE;
  Ctx().lfbSwapWords = swapWords != FXFALSE;
}

void grLfbWriteColorFormat(GrColorFormat_t colorFormat) {
  Record("grLfbWriteColorFormat", colorFormat);
  if (colorFormat < GR_COLORFORMAT_ARGB || colorFormat > GR_COLORFORMAT_BGRA) {
    ReportError("grLfbWriteColorFormat", "invalid colour format");
    return;
  }
  Ctx().lfbWriteColourFormat = colorFormat;
}

}  // extern "C"
