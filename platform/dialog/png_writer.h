// png_writer.h — writes a 32-bit SDL surface as a PNG file.
#pragma once

#include <string>

struct SDL_Surface;

namespace platform::dialog {

// False when the surface cannot be converted or the file cannot be written.
bool WritePng(SDL_Surface* surface, const std::string& path);

}  // namespace platform::dialog
