// texture_bank.cpp — palette conversion and the resource look-up of the bank.
#include "halcyon/render/texture_bank.h"

#include <cstring>

#include "platform/win32.h"

namespace halcyon {

void ConvertPalette(const uint8_t* palette, uint32_t entries[256]) {
  for (int i = 0; i < 256; ++i) {
    entries[i] = (uint32_t{palette[3 * i]} << 16) | (uint32_t{palette[3 * i + 1]} << 8) | palette[3 * i + 2];
  }
}

std::vector<uint8_t> LoadTextureBankResource() {
  HRSRC found = FindResourceA(nullptr, "#666", "texture");
  if (found == nullptr) return {};
  DWORD size = SizeofResource(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return {};
  std::vector<uint8_t> copy(size);
  std::memcpy(copy.data(), bytes, size);
  return copy;
}

}  // namespace halcyon
