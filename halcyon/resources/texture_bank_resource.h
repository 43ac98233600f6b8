// texture_bank_resource.h — the texture bank built into the program (drawn
// by tools/halcyon_art at build time), registered as resource "TEXTURE" 666.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace halcyon {

extern const uint8_t textureBankBytes[];
extern const size_t textureBankByteCount;

inline std::span<const uint8_t> TextureBankResourceBytes() {
  return {textureBankBytes, textureBankByteCount};
}

}  // namespace halcyon
