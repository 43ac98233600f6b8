// glide_fixture.h — a test fixture that opens the library on a headless
// 640x480 display, collects the errors it reports and reads pixels back.
#pragma once

#include <glide.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace gfxtest {

inline std::vector<std::string>& Errors() {
  static std::vector<std::string> errors;
  return errors;
}

inline void CollectError(const char* message, FxBool) {
  Errors().push_back(message ? message : "");
}

// RGB565 with the plain truncation the board does when dithering is off.
constexpr uint16_t To565(uint32_t argb) {
  return static_cast<uint16_t>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x1F));
}

inline GrVertex Vertex(float x, float y, float oow = 1.0f, float sow = 0.0f, float tow = 0.0f) {
  GrVertex v{};
  v.x = x;
  v.y = y;
  v.oow = oow;
  v.tmuvtx[0].sow = sow;
  v.tmuvtx[0].tow = tow;
  v.tmuvtx[0].oow = oow;
  return v;
}

class GlideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("GLIDE_DISPLAY", "headless", 0);
    unsetenv("GLIDE_NO_BOARD");
    unsetenv("GLIDE_CAPTURE");
    Errors().clear();
    grErrorSetCallback(CollectError);
    grGlideInit();
  }
  void TearDown() override {
    grGlideShutdown();
    grErrorSetCallback(nullptr);
  }
  bool Open(GrColorFormat_t format = GR_COLORFORMAT_ARGB, GrOriginLocation_t origin = GR_ORIGIN_UPPER_LEFT) {
    return grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, format, origin, 2, 1) == FXTRUE;
  }
  static uint16_t Pixel(int x, int y, GrBuffer_t buffer = GR_BUFFER_BACKBUFFER) {
    uint16_t p = 0;
    EXPECT_EQ(grLfbReadRegion(buffer, x, y, 1, 1, 2, &p), FXTRUE);
    return p;
  }
  // A rectangle covering [x0, x1) x [y0, y1) as two triangles.
  static void Rect(float x0, float y0, float x1, float y1, float oow = 1.0f, float s = 0.0f, float t = 0.0f) {
    GrVertex a = Vertex(x0, y0, oow, s * oow, t * oow), b = Vertex(x1, y0, oow, s * oow, t * oow),
             c = Vertex(x1, y1, oow, s * oow, t * oow), d = Vertex(x0, y1, oow, s * oow, t * oow);
    grDrawTriangle(&a, &b, &c);
    grDrawTriangle(&a, &c, &d);
  }
};

// The library opened on 640x480 ARGB, dithering off, both buffers' colour cleared to black.
class OpenGlideTest : public GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    ASSERT_TRUE(Open());
    grDitherMode(GR_DITHER_DISABLE);
    grBufferClear(0, 0, 0);
  }
};

}  // namespace gfxtest
