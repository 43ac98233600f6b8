// png_writer.cpp — PNG output of dialog pictures through libpng's simplified API.
#include "png_writer.h"

#include <SDL.h>
#include <png.h>

#include <cstring>

namespace platform::dialog {

bool WritePng(SDL_Surface* surface, const std::string& path) {
  if (surface == nullptr || path.empty()) return false;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
  if (rgba == nullptr) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(rgba->w);
  image.height = static_cast<png_uint_32>(rgba->h);
  image.format = PNG_FORMAT_RGBA;
  SDL_LockSurface(rgba);
  const int written = png_image_write_to_file(&image, path.c_str(), 0, rgba->pixels, rgba->pitch, nullptr);
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  png_image_free(&image);
  return written != 0;
}

}  // namespace platform::dialog
