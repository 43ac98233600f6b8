// png_reader.h — reads a PNG file back as 8-bit RGB for the tests.
#pragma once

#include <png.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace gfx::testing {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, top row first
  uint32_t At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
};

inline bool ReadPng(const std::filesystem::path& file, RgbImage* image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, file.string().c_str())) return false;
  png.format = PNG_FORMAT_RGB;
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->rgb.resize(PNG_IMAGE_SIZE(png));
  const bool ok = png_image_finish_read(&png, nullptr, image->rgb.data(), 0, nullptr) != 0;
  png_image_free(&png);
  return ok;
}

}  // namespace gfx::testing
