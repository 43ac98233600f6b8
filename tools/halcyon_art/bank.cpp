// bank.cpp — lays the quantised pictures out as the texture bank (a 32-byte
// raw-image header, a 768-byte palette and the texels per record) and draws a
// contact sheet of a bank for looking at it.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "art.h"

namespace halcyon_art {

namespace {

constexpr size_t kHeaderBytes = 32, kPaletteBytes = 768;
constexpr size_t kSphereRecord = 66336, kFloorRecord = 17184, kBankBytes = 324096;

void PutBig16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v >> 8);
  out[at + 1] = static_cast<uint8_t>(v & 0xFF);
}

void PutRecord(std::vector<uint8_t>& out, size_t at, const IndexedImage& image) {
  std::memcpy(&out[at], "mhwanh", 6);
  PutBig16(out, at + 6, 4);
  PutBig16(out, at + 8, static_cast<uint16_t>(image.width));
  PutBig16(out, at + 10, static_cast<uint16_t>(image.height));
  PutBig16(out, at + 12, 256);
  for (int e = 0; e < 256; ++e)
    for (int k = 0; k < 3; ++k) out[at + kHeaderBytes + 3 * e + k] = image.palette[e][k];
  std::memcpy(&out[at + kHeaderBytes + kPaletteBytes], image.texels.data(), image.texels.size());
}

}  // namespace

std::vector<uint8_t> BuildBank() {
  std::vector<uint8_t> bank(kBankBytes, 0);
  PutRecord(bank, 0, Quantise(SphereMap()));
  for (int j = 0; j < 15; ++j) PutRecord(bank, kSphereRecord + kFloorRecord * j, Quantise(FloorTexture(j)));
  return bank;
}

void WriteContactSheet(const std::vector<uint8_t>& bank, const std::string& pngPath) {
  if (bank.size() != kBankBytes) throw std::runtime_error("contact sheet: bank of the wrong size");
  const int cell = 256, gap = 8, columns = 4, rows = 4;
  const int width = columns * cell + (columns + 1) * gap, height = rows * cell + (rows + 1) * gap;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 40);
  auto draw = [&](size_t record, int size, int slot) {
    int ox = gap + (slot % columns) * (cell + gap), oy = gap + (slot / columns) * (cell + gap);
    const uint8_t* palette = &bank[record + kHeaderBytes];
    const uint8_t* texels = &bank[record + kHeaderBytes + kPaletteBytes];
    for (int y = 0; y < cell; ++y) {
      for (int x = 0; x < cell; ++x) {
        int tx = x % size, ty = y % size;
        uint8_t i = texels[ty * size + tx];
        uint8_t* p = &rgb[(static_cast<size_t>(oy + y) * width + ox + x) * 3];
        for (int k = 0; k < 3; ++k) p[k] = palette[3 * i + k];
      }
    }
  };
  draw(0, 256, 0);
  for (int j = 0; j < 15; ++j) draw(kSphereRecord + kFloorRecord * j, 128, j + 1);

  FILE* file = std::fopen(pngPath.c_str(), "wb");
  if (!file) throw std::runtime_error("contact sheet: cannot write " + pngPath);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    throw std::runtime_error("contact sheet: PNG error");
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, &rgb[static_cast<size_t>(y) * width * 3]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

}  // namespace halcyon_art
