// random.h — the saver's random generator: a 32-bit linear congruential
// generator whose draws are bits 16 to 30 of the new state (0..32767).
#pragma once

#include <cstdint>

namespace halcyon {

class RandomGenerator {
 public:
  void Seed(uint32_t seed) { state = seed; }
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
  uint32_t State() const { return state; }

 private:
  uint32_t state = 1;
};

// The program's one generator; the renderer seeds it when it sets up.
RandomGenerator& ProgramRandom();

// A draw mapped to -0.5..0.5 in 32-bit floats: r * (1 / 32767) - 0.5.
float CentredDraw(int draw);

}  // namespace halcyon
