// io.cpp — writing the generated files: raw bytes and PNG previews.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "art.h"

namespace art {

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool WritePng(const std::string& path, const Image& image) {
  std::vector<uint8_t> rgb;
  rgb.reserve(image.pixels.size() * 3);
  for (const Rgb& c : image.pixels) {
    for (float v : {c.r, c.g, c.b})
      rgb.push_back(static_cast<uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L)));
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace art
