// capture.cpp — PNG frame capture with libpng.
#include "capture.h"

#include <png.h>

#include <cerrno>
#include <charconv>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace gfx {

std::optional<CaptureSettings> ParseCaptureSettings(const char* folder, const char* every,
                                                    std::string* warning) {
  if (folder == nullptr || *folder == '\0') return std::nullopt;
  CaptureSettings settings;
  settings.folder = folder;
  if (every != nullptr && *every != '\0') {
    uint64_t step = 0;
    const char* end = every + std::strlen(every);
    auto [ptr, ec] = std::from_chars(every, end, step);
    if (ec == std::errc() && ptr == end && step >= 1) {
      settings.every = step;
    } else if (warning != nullptr) {
      *warning = std::string("GLIDE_CAPTURE_EVERY=\"") + every +
                 "\" is not a whole number of at least 1; capturing every frame";
    }
  }
  return settings;
}

std::optional<CaptureSettings> CaptureSettingsFromEnvironment() {
  std::string warning;
  auto settings =
      ParseCaptureSettings(std::getenv("GLIDE_CAPTURE"), std::getenv("GLIDE_CAPTURE_EVERY"), &warning);
  if (!warning.empty()) std::fprintf(stderr, "glide: %s\n", warning.c_str());
  return settings;
}

std::string CaptureFileName(uint64_t shownFrame) {
  char name[32];
  std::snprintf(name, sizeof name, "%06llu.png", static_cast<unsigned long long>(shownFrame));
  return name;
}

namespace {

// A path's own characters reach the C library: UTF-16 on Windows.
FILE* OpenForWriting(const std::filesystem::path& file) {
#if defined(_WIN32)
  return _wfopen(file.c_str(), L"wb");
#else
  return std::fopen(file.c_str(), "wb");
#endif
}

// libpng reports errors by longjmp; this function keeps no objects with
// destructors alive across the setjmp.
bool WritePngRows(FILE* file, png_bytep* rows, int width, int height, char* error, size_t errorSize) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    std::snprintf(error, errorSize, "libpng could not start");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::snprintf(error, errorSize, "libpng failed while writing");
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Frames are written while the program runs: favour speed over size.
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePng(const std::filesystem::path& file, const uint32_t* pixels, int width, int height,
              std::string* error) {
  if (width <= 0 || height <= 0) {
    if (error != nullptr) *error = "empty picture";
    return false;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = rgb.data() + static_cast<size_t>(y) * width * 3;
    rows[y] = row;
    const uint32_t* src = pixels + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[3 * x + 0] = static_cast<uint8_t>(src[x] >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(src[x]);
    }
  }
  FILE* out = OpenForWriting(file);
  if (out == nullptr) {
    if (error != nullptr) *error = file.string() + ": " + std::strerror(errno);
    return false;
  }
  char message[128] = {};
  bool written = WritePngRows(out, rows.data(), width, height, message, sizeof message);
  if (std::fclose(out) != 0 && written) {
    written = false;
    std::snprintf(message, sizeof message, "%s", std::strerror(errno));
  }
  if (!written && error != nullptr) *error = file.string() + ": " + message;
  return written;
}

void FrameCapture::Write(uint64_t shownFrame, const uint32_t* pixels, int width, int height) {
  std::string error;
  if (!folderReady_) {
    std::error_code ec;
    std::filesystem::create_directories(settings_.folder, ec);
    if (ec) {
      error = settings_.folder.string() + ": " + ec.message();
    } else {
      folderReady_ = true;
    }
  }
  if (folderReady_ &&
      WritePng(settings_.folder / CaptureFileName(shownFrame), pixels, width, height, &error)) {
    return;
  }
  if (!failureReported_) {
    failureReported_ = true;
    std::fprintf(stderr, "glide: cannot capture frames: %s\n", error.c_str());
  }
}

}  // namespace gfx
