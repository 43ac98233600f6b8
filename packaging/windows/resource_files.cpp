// resource_files.cpp — writes the files the Windows resource scripts take:
// the texture bank (halcyon's resource TEXTURE 666) and bitmap 134
// (tessera's) as the programs build them in, and an icon for each saver.
//   savers_resource_files bank FILE | bitmap FILE | halcyon-icon FILE.ico | tessera-icon FILE.ico
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "halcyon/resources/texture_bank_resource.h"
#include "tessera/resources/bitmap.h"

namespace {

struct Image {
  int size = 0;
  std::vector<uint32_t> argb;  // top row first
};

bool WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// An .ico file of 32-bit images with alpha (and the AND mask old readers want).
std::vector<uint8_t> IconFile(const std::vector<Image>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const Image& image : images) {
    std::vector<uint8_t> body;
    Put32(body, 40);
    Put32(body, static_cast<uint32_t>(image.size));
    Put32(body, static_cast<uint32_t>(image.size * 2));  // the picture and its mask
    Put16(body, 1);
    Put16(body, 32);
    for (int i = 0; i < 6; ++i) Put32(body, 0);
    for (int y = image.size - 1; y >= 0; --y)
      for (int x = 0; x < image.size; ++x) Put32(body, image.argb[static_cast<size_t>(y * image.size + x)]);
    const int maskRow = ((image.size + 31) / 32) * 4;
    for (int y = image.size - 1; y >= 0; --y) {
      std::vector<uint8_t> row(static_cast<size_t>(maskRow), 0);
      for (int x = 0; x < image.size; ++x)
        if ((image.argb[static_cast<size_t>(y * image.size + x)] >> 24) < 128)
          row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(body));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].size));
    out.push_back(static_cast<uint8_t>(images[i].size));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

uint32_t Argb(float a, float r, float g, float b) {
  auto channel = [](float v) {
    return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

// halcyon: a lit world over its fogged floor, sampled 4 x 4 per pixel.
Image HalcyonIcon(int size) {
  Image image{size, std::vector<uint32_t>(static_cast<size_t>(size * size))};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float a = 0, r = 0, g = 0, b = 0;
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const float u =
              (static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 4.0f) / static_cast<float>(size);
          const float v =
              (static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 4.0f) / static_cast<float>(size);
          const float dx = (u - 0.5f) / 0.36f, dy = (v - 0.42f) / 0.36f;
          const float d2 = dx * dx + dy * dy;
          if (d2 <= 1.0f) {
            const float dz = std::sqrt(1.0f - d2);
            const float light = std::max(0.0f, -0.45f * dx - 0.55f * dy + 0.7f * dz);
            const float land =
                std::sin(dx * 5.0f + dy * 2.0f) * std::cos(dy * 4.0f - dx) > 0.25f ? 1.0f : 0.0f;
            a += 1;
            r += (0.15f + 0.35f * land) * (0.25f + light);
            g += (0.35f + 0.3f * land) * (0.25f + light);
            b += (0.75f - 0.45f * land) * (0.25f + light);
          } else if (v > 0.8f) {
            const float fog = (v - 0.8f) / 0.2f;
            const bool tile = (static_cast<int>(u * 8.0f) + static_cast<int>(v * 20.0f)) % 2 == 0;
            a += 1;
            r += (tile ? 0.3f : 0.18f) * fog;
            g += (tile ? 0.32f : 0.2f) * fog;
            b += (tile ? 0.45f : 0.3f) * fog;
          }
        }
      }
      const float n = 16.0f;
      image.argb[static_cast<size_t>(y * size + x)] =
          a > 0 ? Argb(a / n, r / a, g / a, b / a) : 0;  // colour averaged over the covered samples
    }
  }
  return image;
}

// tessera: bitmap 134, its centre square scaled down by averaging.
Image TesseraIcon(std::span<const uint8_t> bmp, int size) {
  Image image{size, std::vector<uint32_t>(static_cast<size_t>(size * size), 0)};
  if (bmp.size() < 54 + 1024) return image;
  auto read32 = [&](size_t at) {
    return static_cast<uint32_t>(bmp[at]) | (static_cast<uint32_t>(bmp[at + 1]) << 8) |
           (static_cast<uint32_t>(bmp[at + 2]) << 16) | (static_cast<uint32_t>(bmp[at + 3]) << 24);
  };
  const uint32_t pixels = read32(10);
  const int width = static_cast<int>(read32(18)), height = static_cast<int>(read32(22));
  const uint32_t headerSize = read32(14);
  const size_t palette = 14 + headerSize;
  const int rowBytes = (width + 3) & ~3;
  if (width <= 0 || height <= 0 || pixels + static_cast<size_t>(rowBytes) * height > bmp.size()) return image;
  const int side = std::min(width, height);
  const int left = (width - side) / 2, top = (height - side) / 2;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float r = 0, g = 0, b = 0;
      int count = 0;
      for (int py = top + y * side / size; py < top + (y + 1) * side / size; ++py) {
        for (int px = left + x * side / size; px < left + (x + 1) * side / size; ++px) {
          const int row = height - 1 - py;  // bottom-up
          const uint8_t index = bmp[pixels + static_cast<size_t>(row) * rowBytes + px];
          const size_t entry = palette + static_cast<size_t>(index) * 4;
          b += bmp[entry];
          g += bmp[entry + 1];
          r += bmp[entry + 2];
          ++count;
        }
      }
      if (count > 0)
        image.argb[static_cast<size_t>(y * size + x)] =
            Argb(1.0f, r / count / 255.0f, g / count / 255.0f, b / count / 255.0f);
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s bank FILE | bitmap FILE | halcyon-icon FILE | tessera-icon FILE\n",
                 argv[0]);
    return 2;
  }
  const std::string command = argv[1], target = argv[2];
  bool ok = false;
  if (command == "bank") {
    ok = WriteFile(target, halcyon::TextureBankResourceBytes());
  } else if (command == "bitmap") {
    ok = WriteFile(target, tessera::Bitmap134());
  } else if (command == "halcyon-icon") {
    ok = WriteFile(target, IconFile({HalcyonIcon(32), HalcyonIcon(16)}));
  } else if (command == "tessera-icon") {
    ok = WriteFile(target,
                   IconFile({TesseraIcon(tessera::Bitmap134(), 32), TesseraIcon(tessera::Bitmap134(), 16)}));
  } else {
    std::fprintf(stderr, "%s: unknown command %s\n", argv[0], command.c_str());
    return 2;
  }
  if (!ok) std::fprintf(stderr, "%s: could not write %s\n", argv[0], target.c_str());
  return ok ? 0 : 1;
}
