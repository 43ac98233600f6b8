// texture_fuzz.cpp — the .3df reader: a header that gu3dfGetInfo accepts
// loads into a buffer of exactly the size it announced.
#include <glide.h>

#include <memory>

#include "fuzz_targets.h"

namespace fuzz {

int TextureFile(const uint8_t* data, size_t size) {
  const std::string path = WriteScratch("texture.3df", data, size).string();
  Gu3dfInfo info{};
  if (!gu3dfGetInfo(path.c_str(), &info)) return 0;
  if (info.mem_required > (size_t{1} << 20)) Broken("3df", "more texel memory than a file can fill");
  // Exactly the size announced: AddressSanitizer sees any write past it.
  std::unique_ptr<uint8_t[]> texels(new uint8_t[info.mem_required == 0 ? 1 : info.mem_required]);
  info.data = texels.get();
  if (!gu3dfLoad(path.c_str(), &info)) Broken("3df", "a file gu3dfGetInfo accepted did not load");
  return 0;
}

}  // namespace fuzz
