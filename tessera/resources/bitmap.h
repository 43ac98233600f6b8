// bitmap.h — bitmap 134, the picture of the saver shown in both of its
// dialogs: the bytes of a 200 × 150, 8-bit .bmp with a 256-colour palette,
// made at build time by tools/tessera_art and built into the program.
#pragma once

#include <cstdint>
#include <span>

namespace tessera {

constexpr int kSaverBitmapId = 134;
std::span<const uint8_t> Bitmap134();

}  // namespace tessera
