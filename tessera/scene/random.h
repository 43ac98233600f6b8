// random.h — the program's one pseudo-random generator: a 32-bit linear
// congruential generator whose results are bits 16 to 30 of the new state.
// The order in which the scene draws from it is fixed, so a seed replays a run.
#pragma once

#include <cstdint>

namespace tessera {

class Random {
 public:
  static constexpr uint32_t kMax = 32767;

  explicit Random(uint32_t seed = 1) : state(seed) {}
  void Seed(uint32_t seed) { state = seed; }

  // The next value, 0 to 32767.
  uint32_t Next() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
  }
  // One draw: +1.0 when it is odd, -1.0 when it is even.
  float Sign() { return Next() % 2 == 1 ? 1.0f : -1.0f; }

  uint32_t State() const { return state; }

 private:
  uint32_t state;
};

}  // namespace tessera
