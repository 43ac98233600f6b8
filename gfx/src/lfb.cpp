// lfb.cpp — the linear frame buffer: reading and writing regions of a colour
// buffer or the aux buffer, and locks that hand out a pointer to a buffer.
// Rows count from the top of the screen unless a lock asks for the lower left
// (grLfbReadRegion always counts from the top, as the board's library does).
//
// A lock's rows are 1024 pixels long as on the board (2048 bytes, 4096 in
// the 32-bit write modes; the width on wider screens), which programs
// written for the board rely on. The buffers themselves keep rows as wide
// as the screen, which the pipeline draws fastest, so a lock hands out a
// copy of its buffer in the lock's layout and behaves as if it were the
// buffer: the pixels of the copy that differ from what it last held are
// written into the buffer (through the pixel pipeline when the lock asks for
// it) before anything draws, reads or shows the buffer, before the LFB
// constant depth or alpha changes, and at unlock, and the others are never
// touched; what is drawn while the lock is open is copied back into it at
// once. While any lock is open, drawing finishes
// before each call returns, so writes through the pointer and triangles land
// in the order the program issued them.
//
// At an internal scale k every pixel the program reads or writes stands for
// k x k pixels of the buffers: a write fills them all, a colour read is
// their average (each channel rounded to nearest) and an aux read the first
// of them (the top left), since an average of depths or alphas of different
// surfaces would belong to none of them.
//
// Colour buffers of 8 bits a channel keep the board's 16-bit interface, as
// the 32-bit wrappers do: a read averages the 8-bit channels (at scale) and
// truncates them to RGB565; a 16-bit write widens each channel by repeating
// its top bits, and a 24- or 32-bit write keeps all 8 bits of each channel.
#include <algorithm>
#include <cstring>
#include <vector>

#include "context.h"
#include "record.h"

namespace gfx {
namespace {

// A buffer: 16 bits a pixel (a colour buffer in RGB565, or the aux buffer),
// or a colour buffer of 8 bits a channel. At most one pointer is set.
struct PlaneRef {
  uint16_t* p16 = nullptr;
  uint32_t* p32 = nullptr;
  explicit operator bool() const { return p16 != nullptr || p32 != nullptr; }
  size_t PixelBytes() const { return p32 ? 4 : 2; }
  const uint8_t* Bytes() const {
    return p32 ? reinterpret_cast<const uint8_t*>(p32) : reinterpret_cast<const uint8_t*>(p16);
  }
};

// The plane a GrBuffer_t names (nothing set when there is none).
PlaneRef Plane(int buffer) {
  Context& c = Ctx();
  if (buffer == GR_BUFFER_AUXBUFFER || buffer == GR_BUFFER_DEPTHBUFFER || buffer == GR_BUFFER_ALPHABUFFER)
    return PlaneRef{c.aux.empty() ? nullptr : c.aux.data(), nullptr};
  return PlaneRef{ColourBuffer(buffer), ColourBuffer32(buffer)};
}

bool IsAux(int buffer) {
  return buffer == GR_BUFFER_AUXBUFFER || buffer == GR_BUFFER_DEPTHBUFFER || buffer == GR_BUFFER_ALPHABUFFER;
}

bool RegionFits(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  const Context& c = Ctx();
  const uint64_t width = static_cast<uint64_t>(c.width), height = static_cast<uint64_t>(c.height);
  return uint64_t(x) + w <= width && uint64_t(y) + h <= height;
}

uint16_t To565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F));
}

// The program's pixel (x, y) of a plane of 8 bits a channel: the k x k
// pixels' channels averaged (rounded to nearest), then truncated.
uint16_t ReadPixel32(const uint32_t* plane, int x, int y) {
  const Context& c = Ctx();
  const int k = c.scale;
  const size_t stride = size_t(c.stride);
  const uint32_t* block = plane + size_t(y) * size_t(k) * stride + size_t(x) * size_t(k);
  unsigned r = 0, g = 0, b = 0;
  for (int j = 0; j < k; ++j) {
    for (int i = 0; i < k; ++i) {
      const uint32_t p = block[size_t(j) * stride + size_t(i)];
      r += (p >> 16) & 0xFF, g += (p >> 8) & 0xFF, b += p & 0xFF;
    }
  }
  const unsigned n = unsigned(k * k), half = n / 2;
  return To565(((r + half) / n) << 16 | ((g + half) / n) << 8 | ((b + half) / n));
}

// The program's pixel (x, y) of a plane (see the top of the file).
uint16_t ReadPixel(PlaneRef planeRef, bool aux, int x, int y) {
  if (planeRef.p32) return ReadPixel32(planeRef.p32, x, y);
  const uint16_t* plane = planeRef.p16;
  const Context& c = Ctx();
  const int k = c.scale;
  const size_t stride = size_t(c.stride);
  const uint16_t* block = plane + size_t(y) * size_t(k) * stride + size_t(x) * size_t(k);
  if (k == 1 || aux) return block[0];
  unsigned r = 0, g = 0, b = 0;
  for (int j = 0; j < k; ++j) {
    for (int i = 0; i < k; ++i) {
      const unsigned p = block[size_t(j) * stride + size_t(i)];
      r += p >> 11, g += (p >> 5) & 0x3F, b += p & 0x1F;
    }
  }
  const unsigned n = unsigned(k * k), half = n / 2;
  return static_cast<uint16_t>(((r + half) / n) << 11 | ((g + half) / n) << 5 | ((b + half) / n));
}

// Stores the program's pixel (x, y) into every buffer pixel it stands for.
template <class Pixel>
void WritePixel(Pixel* plane, int x, int y, Pixel value) {
  const Context& c = Ctx();
  const int k = c.scale;
  Pixel* block = plane + size_t(y) * size_t(k) * size_t(c.stride) + size_t(x) * size_t(k);
  for (int j = 0; j < k; ++j) std::fill_n(block + size_t(j) * size_t(c.stride), k, value);
}

uint32_t Expand565(uint16_t p) {
  const uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

int PixelBytes(int mode) {
  return (mode == GR_LFBWRITEMODE_888 || mode == GR_LFBWRITEMODE_8888) ? 4 : 2;
}

uint32_t Load(const uint8_t* src, int bytes) {
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  if (bytes == 4) {
    std::memcpy(&v32, src, 4);
    return v32;
  }
  std::memcpy(&v16, src, 2);
  return v16;
}

// A written value as the hardware's 0xAARRGGBB: the alpha from the value
// in 1555 and 8888, else the LFB constant alpha.
uint32_t ToArgb(const uint8_t* src, int mode, int colourFormat, uint8_t constantAlpha) {
  const uint32_t v = Load(src, PixelBytes(mode));
  const uint32_t a = uint32_t{constantAlpha} << 24;
  auto five = [](uint32_t f) { return f << 3 | f >> 2; };
  switch (mode) {
    case GR_LFBWRITEMODE_555:
    case GR_LFBWRITEMODE_1555: {
      const uint32_t alpha = mode == GR_LFBWRITEMODE_1555 ? ((v & 0x8000) ? 0xFF000000u : 0u) : a;
      return alpha | five((v >> 10) & 31) << 16 | five((v >> 5) & 31) << 8 | five(v & 31);
    }
    case GR_LFBWRITEMODE_888:
      return a | (ToHardwareColour(v, colourFormat) & 0xFFFFFFu);
    case GR_LFBWRITEMODE_8888:
      return ToHardwareColour(v, colourFormat);
    default:
      return (Expand565(static_cast<uint16_t>(v)) & 0xFFFFFFu) | a;
  }
}

uint16_t ConvertToPlane(const uint8_t* src, int mode, int colourFormat) {
  const uint32_t v = Load(src, PixelBytes(mode));
  switch (mode) {
    case GR_LFBWRITEMODE_555:
    case GR_LFBWRITEMODE_1555:  // the alpha bit has no plane to go to
      return static_cast<uint16_t>(((v & 0x7FE0) << 1) | ((v & 0x0200) >> 4) | (v & 0x1F));
    case GR_LFBWRITEMODE_888:
    case GR_LFBWRITEMODE_8888:
      return To565(ToHardwareColour(v, colourFormat));
    default:
      return static_cast<uint16_t>(v);
  }
}

// A written value for a plane of 8 bits a channel (0x00RRGGBB).
uint32_t ConvertToPlane32(const uint8_t* src, int mode, int colourFormat) {
  return ToArgb(src, mode, colourFormat, 0) & 0xFFFFFFu;
}

// A written value into the plane it is meant for.
void StorePixel(PlaneRef plane, int x, int y, const uint8_t* src, int mode, int colourFormat) {
  if (plane.p32)
    WritePixel(plane.p32, x, y, ConvertToPlane32(src, mode, colourFormat));
  else
    WritePixel(plane.p16, x, y, ConvertToPlane(src, mode, colourFormat));
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

// One lock: the program's view (`copy`), what that view held when last
// committed (`committed`: a pixel whose bytes differ was written since) and
// the buffer as the copy last saw it (`seen`, at the buffer's own size, to
// find what was drawn since).
struct Lock {
  bool active = false;
  bool write = false;
  bool pipeline = false;
  bool lowerLeft = false;
  bool aux = false;
  int buffer = 0;
  int mode = GR_LFBWRITEMODE_565;
  PlaneRef plane;  // the buffer locked (fixed at lock time)
  size_t strideBytes = 0;
  std::vector<uint8_t> copy, committed;
  std::vector<uint8_t> seen;  // the plane's bytes
};
Lock locks[6];

// Pixels in a lock's row: the board's frame-buffer rows.
constexpr int kLockRowPixels = 1024;

// The copy's row of screen row y (counted from the lock's origin).
int PhysicalRow(const Lock& lock, int y) {
  return lock.lowerLeft ? Ctx().height - 1 - y : y;
}

void Commit(Lock& lock) {
  Context& c = Ctx();
  const int bytes = PixelBytes(lock.mode);
  const size_t rowBytes = size_t(c.width) * bytes;
  std::vector<LfbPixel> pixels;
  for (int y = 0; y < c.height; ++y) {
    uint8_t* now = lock.copy.data() + size_t(y) * lock.strideBytes;
    uint8_t* was = lock.committed.data() + size_t(y) * lock.strideBytes;
    if (std::memcmp(now, was, rowBytes) == 0) continue;
    const int row = PhysicalRow(lock, y);
    for (int x = 0; x < c.width; ++x) {
      const size_t at = size_t(x) * bytes;
      if (std::memcmp(now + at, was + at, bytes) == 0) continue;
      std::memcpy(was + at, now + at, bytes);
      if (lock.pipeline) {
        const uint32_t argb = ToArgb(now + at, lock.mode, c.lfbWriteColourFormat, c.lfbConstantAlpha);
        for (int j = 0; j < c.scale; ++j)
          for (int i = 0; i < c.scale; ++i)
            pixels.push_back(LfbPixel{x * c.scale + i, row * c.scale + j, argb, c.lfbConstantDepth});
      } else {
        StorePixel(lock.plane, x, row, now + at, lock.mode, c.lfbWriteColourFormat);
      }
    }
  }
  if (pixels.empty()) return;
  if (c.dirty) ApplyChangedState();
  Framebuffer target;
  target.colour = lock.plane.p16;
  target.colour32 = lock.plane.p32;
  target.depth = c.aux.empty() ? nullptr : c.aux.data();
  target.width = c.bufferWidth;
  target.height = c.bufferHeight;
  target.stride = c.stride;
  target.scale = c.scale;
  c.rasterizer->WriteThroughPipeline(target, pixels.data(), pixels.size());
}

// The copy's pixels whose buffer pixel changed since it was last seen, in
// the copy and in `committed` alike, so they do not count as written.
void Sync(Lock& lock) {
  Context& c = Ctx();
  const int bytes = PixelBytes(lock.mode);
  // Bytes: of a buffer pixel, of the program's pixel's run in one buffer row, of a buffer row.
  const size_t pixel = lock.plane.PixelBytes();
  const size_t k = size_t(c.scale), run = k * pixel, stride = size_t(c.stride) * pixel;
  for (int y = 0; y < c.height; ++y) {
    const int row = PhysicalRow(lock, y);
    // The k buffer rows of the program's row, one after the other (the stride is the buffer's width).
    const uint8_t* now = lock.plane.Bytes() + size_t(row) * k * stride;
    uint8_t* seen = lock.seen.data() + size_t(row) * k * stride;
    if (std::memcmp(now, seen, k * stride) == 0) continue;
    uint8_t* copy = lock.copy.data() + size_t(y) * lock.strideBytes;
    uint8_t* committed = lock.committed.data() + size_t(y) * lock.strideBytes;
    for (int x = 0; x < c.width; ++x) {
      bool changed = false;
      for (size_t j = 0; j < k; ++j) {
        const size_t at = j * stride + size_t(x) * run;
        if (std::memcmp(now + at, seen + at, run) == 0) continue;
        std::memcpy(seen + at, now + at, run);
        changed = true;
      }
      if (!changed) continue;
      ConvertFromPlane(ReadPixel(lock.plane, lock.aux, x, row), lock.mode, c.lfbWriteColourFormat,
                       copy + size_t(x) * bytes);
      if (lock.write) std::memcpy(committed + size_t(x) * bytes, copy + size_t(x) * bytes, bytes);
    }
  }
}

void EndLock(Lock& lock) {
  Context& c = Ctx();
  if (lock.active) {
    --c.lfbLocks;
    if (lock.write) --c.lfbStagedLocks;
  }
  lock = Lock{};
}

// Before the LFB constant depth or alpha changes: what pipeline locks hold
// so far is committed with the values in force when it was written.
void CommitBeforeConstantsChange() {
  for (const Lock& lock : locks) {
    if (lock.active && lock.pipeline) {
      CommitLfbWrites();
      return;
    }
  }
}

}  // namespace

void CommitLfbWrites() {
  Context& c = Ctx();
  if (!c.open) return;
  if (c.rasterizer) c.rasterizer->Finish();
  for (Lock& lock : locks)
    if (lock.active && lock.write) Commit(lock);
  // Committed pixels changed the buffers: the copies take them as seen.
  SyncLfbCopies();
}

void SyncLfbCopies() {
  for (Lock& lock : locks)
    if (lock.active) Sync(lock);
}

void ReleaseLfbLocks() {
  for (Lock& lock : locks) EndLock(lock);
}

}  // namespace gfx

using namespace gfx;

extern "C" {

FxBool grLfbReadRegion(GrBuffer_t srcBuffer, FxU32 srcX, FxU32 srcY, FxU32 srcWidth, FxU32 srcHeight,
                       FxU32 dstStride, void* dstData) {
  Record("grLfbReadRegion", srcBuffer, srcX, srcY, srcWidth, srcHeight, dstStride, dstData);
  if (!RequireOpen("grLfbReadRegion")) return FXFALSE;
  const PlaneRef plane = Plane(srcBuffer);
  if (!plane || !dstData || !RegionFits(srcX, srcY, srcWidth, srcHeight) ||
      (srcHeight > 1 && dstStride < srcWidth * 2)) {
    ReportError("grLfbReadRegion", "invalid buffer, region or destination");
    return FXFALSE;
  }
  FinishRendering();
  const Context& c = Ctx();
  uint8_t* out = static_cast<uint8_t*>(dstData);
  const bool aux = IsAux(srcBuffer);
  for (FxU32 row = 0; row < srcHeight; ++row) {
    uint8_t* to = out + size_t(row) * dstStride;
    if (c.scale == 1 && plane.p16) {
      std::memcpy(to, plane.p16 + size_t(srcY + row) * c.stride + srcX, size_t(srcWidth) * 2);
      continue;
    }
    for (FxU32 x = 0; x < srcWidth; ++x) {
      const uint16_t value = ReadPixel(plane, aux, int(srcX + x), int(srcY + row));
      std::memcpy(to + size_t(x) * 2, &value, 2);
    }
  }
  return FXTRUE;
}

FxBool grLfbWriteRegion(GrBuffer_t dstBuffer, FxU32 dstX, FxU32 dstY, GrLfbSrcFmt_t srcFormat, FxU32 srcWidth,
                        FxU32 srcHeight, FxI32 srcStride, void* srcData) {
  Record("grLfbWriteRegion", dstBuffer, dstX, dstY, srcFormat, srcWidth, srcHeight, srcStride, srcData);
  if (!RequireOpen("grLfbWriteRegion")) return FXFALSE;
  const PlaneRef plane = Plane(dstBuffer);
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
    const uint8_t* src = in + size_t(row) * FxU32(srcStride);
    for (FxU32 x = 0; x < srcWidth; ++x)
      StorePixel(plane, int(dstX + x), int(dstY + row), src + size_t(x) * bytes, srcFormat,
                 c.lfbWriteColourFormat);
  }
  if (c.lfbLocks) SyncLfbCopies();
  return FXTRUE;
}

FxBool grLfbLock(GrLock_t type, GrBuffer_t buffer, GrLfbWriteMode_t writeMode, GrOriginLocation_t origin,
                 FxBool pixelPipeline, GrLfbInfo_t* info) {
  Record("grLfbLock", type, buffer, writeMode, origin, pixelPipeline, info);
  if (!RequireOpen("grLfbLock")) return FXFALSE;
  const bool write = (type & 1) == GR_LFB_WRITE_ONLY;
  const PlaneRef plane = Plane(buffer);
  if (!info || !plane || buffer < 0 || buffer > GR_BUFFER_TRIPLEBUFFER) {
    ReportError("grLfbLock", "invalid buffer or null GrLfbInfo_t");
    return FXFALSE;
  }
  Lock& lock = locks[buffer];
  if (lock.active) {
    ReportError("grLfbLock", "the buffer is already locked");
    return FXFALSE;
  }
  const bool aux = IsAux(buffer);
  int mode =
      writeMode == GR_LFBWRITEMODE_ANY ? (aux ? GR_LFBWRITEMODE_ZA16 : GR_LFBWRITEMODE_565) : writeMode;
  const bool validMode = mode == GR_LFBWRITEMODE_565 || mode == GR_LFBWRITEMODE_555 ||
                         mode == GR_LFBWRITEMODE_1555 || mode == GR_LFBWRITEMODE_888 ||
                         mode == GR_LFBWRITEMODE_8888 || mode == GR_LFBWRITEMODE_ZA16;
  if (!validMode ||
      (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT && origin != GR_ORIGIN_ANY)) {
    ReportError("grLfbLock", "invalid write mode or origin");
    return FXFALSE;
  }
  if (write && aux != (mode == GR_LFBWRITEMODE_ZA16)) {
    ReportError("grLfbLock", "ZA16 writes go to the aux buffer, colour writes to a colour buffer");
    return FXFALSE;
  }
  if (!write) mode = aux ? GR_LFBWRITEMODE_ZA16 : GR_LFBWRITEMODE_565;
  FinishRendering();
  Context& c = Ctx();
  lock.active = true;
  lock.write = write;
  lock.buffer = buffer;
  lock.mode = mode;
  lock.plane = plane;
  lock.lowerLeft = origin == GR_ORIGIN_LOWER_LEFT;
  lock.aux = aux;
  // Aux writes store what they are given; colour writes may go through the pipeline.
  lock.pipeline = write && !aux && pixelPipeline != FXFALSE;
  const int bytes = PixelBytes(mode);
  lock.strideBytes = size_t(std::max(c.width, kLockRowPixels)) * bytes;
  ++c.lfbLocks;
  // A copy in the lock's layout, starting as the buffer's picture.
  lock.seen.assign(plane.Bytes(),
                   plane.Bytes() + size_t(c.stride) * size_t(c.bufferHeight) * plane.PixelBytes());
  lock.copy.assign(lock.strideBytes * c.height, 0);
  for (int y = 0; y < c.height; ++y) {
    uint8_t* to = lock.copy.data() + size_t(y) * lock.strideBytes;
    for (int x = 0; x < c.width; ++x)
      ConvertFromPlane(ReadPixel(plane, aux, x, PhysicalRow(lock, y)), mode, c.lfbWriteColourFormat,
                       to + size_t(x) * bytes);
  }
  if (write) {
    lock.committed = lock.copy;
    ++c.lfbStagedLocks;
  }
  info->lfbPtr = lock.copy.data();
  info->strideInBytes = static_cast<FxU32>(lock.strideBytes);
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
  if (lock.write && Ctx().open) FinishRendering();  // commits this lock's writes with the others'

  EndLock(lock);
  return FXTRUE;
}

void grLfbConstantAlpha(GrAlpha_t alpha) {
  Record("grLfbConstantAlpha", alpha);
  if (alpha != Ctx().lfbConstantAlpha) CommitBeforeConstantsChange();
  Ctx().lfbConstantAlpha = alpha;
}

void grLfbConstantDepth(FxU16 depth) {
  Record("grLfbConstantDepth", depth);
  if (depth != Ctx().lfbConstantDepth) CommitBeforeConstantsChange();
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
