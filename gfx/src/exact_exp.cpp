// exact_exp.cpp — e^x as 2^k * e^r with |r| <= ln(2)/2 and a Taylor
// polynomial for e^r, in double-precision arithmetic that every IEEE system
// does alike (no library call but the exact scaling by 2^k).
#include "exact_exp.h"

#include <cmath>

namespace gfx {

float ExactExp(float x) {
  // Beyond these a float result is infinite or zero (or x is not a number).
  if (!(x > -104.0f)) return x != x ? x : 0.0f;
  if (x > 89.0f) return HUGE_VALF;
  // ln 2 in two parts, the first with 32 bits so that k times it is exact.
  constexpr double kLn2High = 6.93147180369123816490e-01;
  constexpr double kLn2Low = 1.90821492927058770002e-10;
  constexpr double kOverLn2 = 1.44269504088896338700e+00;
  const double value = x;
  const double k = std::floor(value * kOverLn2 + 0.5);
  const double r = (value - k * kLn2High) - k * kLn2Low;
  // e^r = 1 + r (1 + r/2 (1 + r/3 (... (1 + r/16)))): the terms left out
  // are below 2^-60 for |r| <= 0.35.
  double sum = 1.0;
  for (int n = 16; n >= 1; --n) sum = 1.0 + r * sum / n;
  return static_cast<float>(std::ldexp(sum, static_cast<int>(k)));
}

}  // namespace gfx
