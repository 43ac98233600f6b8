// random.cpp — the program-wide random generator.
#include "halcyon/render/random.h"

#include <bit>

namespace halcyon {

RandomGenerator& ProgramRandom() {
  static RandomGenerator generator;
  return generator;
}

float CentredDraw(int draw) {
  // 1 / 32767 as the 32-bit float 3.0518509e-05.
  const float step = std::bit_cast<float>(uint32_t{0x38000100});
  return static_cast<float>(draw) * step - 0.5f;
}

}  // namespace halcyon
